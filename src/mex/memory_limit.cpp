#include "mex/memory_limit.hpp"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "mex/errors.hpp"

namespace montemex {

namespace {

double physicalMemory()
{
#ifdef _WIN32
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? static_cast<double>(status.ullTotalPhys) : 0.0;
#else
    return static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGE_SIZE));
#endif
}

}  // namespace

double memoryLimit()
{
    const char* text = std::getenv("MONTEMEX_MEMORY_LIMIT");
    if (text != nullptr) {
        const double bytes = std::strtod(text, nullptr);
        if (bytes > 0.0) return bytes;
    }
    double limit = 0.9 * physicalMemory();
    if (sizeof(void*) == 4 && !(limit <= 2147483648.0)) limit = 2147483648.0;
    return limit;
}

void checkMemory(const char* function, double bytes)
{
    const double limit = memoryLimit();
    if (bytes <= limit) return;
    // Three significant digits, without an exponent up to a million GB.
    char needed[32];
    char allowed[32];
    std::snprintf(needed, sizeof needed, bytes < 1e12 ? "%.3g" : "%.0f", bytes / 1e9);
    std::snprintf(allowed, sizeof allowed, limit < 1e12 ? "%.3g" : "%.0f", limit / 1e9);
    char message[160];
    std::snprintf(message, sizeof message, "This call needs %s GB of memory at once, more than the %s GB a call may use here.",
                  needed, allowed);
    raiseError(function, "tooLarge", message);
}

}  // namespace montemex
