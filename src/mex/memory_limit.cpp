#include "mex/memory_limit.hpp"

#include <cctype>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "mex/errors.hpp"

namespace montemex {

namespace {

const char* const kVariable = "MONTEMEX_MEMORY_LIMIT";

// Whether a value was warned about since the module was loaded, and which (its first 63
// characters): each value is reported once, and again after another one.
bool warned = false;
char warnedValue[64] = "";

double readPhysicalMemory()
{
#ifdef _WIN32
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? static_cast<double>(status.ullTotalPhys) : 0.0;
#else
    return static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGE_SIZE));
#endif
}

double readDefaultLimit()
{
    double limit = 0.9 * readPhysicalMemory();
    if (sizeof(void*) == 4 && !(limit <= 2147483648.0)) limit = 2147483648.0;
    return limit;
}

// Read once per module load: asking the system is a system call (sysinfo on Linux), which cost a
// fifth of a small call's time when made on every call, and the machine's memory does not change
// while a module stays loaded.
double defaultLimit()
{
    static const double limit = readDefaultLimit();
    return limit;
}

// The bytes `text` gives in the variable's one form, a positive finite number that starts with a
// digit, with an optional fraction and exponent and nothing else (4e9, 4000000000, 2.5e9); 0 for
// any other text.
double bytesFrom(const char* text)
{
    if (!std::isdigit(static_cast<unsigned char>(text[0]))) return 0.0;
    if (std::strspn(text, "0123456789.eE+-") != std::strlen(text)) return 0.0;  // no hexadecimal
    char* end = nullptr;
    const double bytes = std::strtod(text, &end);
    return *end == '\0' && bytes > 0.0 && bytes <= DBL_MAX ? bytes : 0.0;
}

// Gigabytes with three significant digits, without an exponent up to a million GB.
void formatGigabytes(char* text, std::size_t size, double bytes)
{
    std::snprintf(text, size, bytes < 1e12 ? "%.3g" : "%.0f", bytes / 1e9);
}

// Warns montemex:<function>:memoryLimit when the variable is set (to `text`, not null) but not in its
// form (`bytes` is 0), once per value.
void warnIfUnreadable(const char* function, const char* text, double bytes)
{
    if (text == nullptr || bytes > 0.0) {
        warned = false;
        return;
    }
    if (warned && std::strncmp(text, warnedValue, sizeof warnedValue - 1) == 0) return;
    char shown[48];
    std::snprintf(shown, sizeof shown, "%.40s%s", text, std::strlen(text) > 40 ? "..." : "");
    char limit[32];
    formatGigabytes(limit, sizeof limit, defaultLimit());
    char message[200];
    std::snprintf(message, sizeof message,
                  "%s is \"%s\", not a positive number of bytes such as 4e9: the default limit of %s GB applies.",
                  kVariable, shown, limit);
    warn(function, "memoryLimit", message);
    // Only once the warning has not ended the call (made an error, it does so every time).
    warned = true;
    std::snprintf(warnedValue, sizeof warnedValue, "%s", text);
}

}  // namespace

double memoryLimit()
{
    const char* text = std::getenv(kVariable);
    const double bytes = text != nullptr ? bytesFrom(text) : 0.0;
    return bytes > 0.0 ? bytes : defaultLimit();
}

void checkMemory(const char* function, double bytes)
{
    // The variable is read on every call (getenv reads the process's memory, no system call), so
    // a change between calls counts from the next call on.
    const char* text = std::getenv(kVariable);
    const double variableBytes = text != nullptr ? bytesFrom(text) : 0.0;
    warnIfUnreadable(function, text, variableBytes);
    const double limit = variableBytes > 0.0 ? variableBytes : defaultLimit();
    if (bytes <= limit) return;
    char needed[32];
    char allowed[32];
    formatGigabytes(needed, sizeof needed, bytes);
    formatGigabytes(allowed, sizeof allowed, limit);
    char message[160];
    std::snprintf(message, sizeof message,
                  "This call needs %s GB of memory at once, more than the %s GB a call may use here.", needed, allowed);
    raiseError(function, "tooLarge", message);
}

}  // namespace montemex
