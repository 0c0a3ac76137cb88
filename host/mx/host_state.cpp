#include "host_state.hpp"

#include <atomic>
#include <cctype>
#include <cfloat>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace montemex::host {

HostState& state()
{
    static HostState instance;
    return instance;
}

namespace {
// Lock-free, so that a signal handler may set it.
std::atomic<bool> interruptRequested{false};
}  // namespace

void requestInterruptFlag()
{
    interruptRequested.store(true);
}

bool takeInterrupt()
{
    return interruptRequested.exchange(false);
}

namespace {

// The bytes MONTEMEX_MEMORY_LIMIT gives, or 0 when it is unset or not in its one form: a positive
// finite number of bytes that starts with a digit, with an optional fraction and exponent and
// nothing else (4e9, 4000000000, 2.5e9).
//
// The modules read it by the same rule, and warn when it is set otherwise; this host then applies
// the default as they do. (The host includes no product code, so the rule is written here once
// more.)
double limitFromEnvironment()
{
    const char* text = std::getenv("MONTEMEX_MEMORY_LIMIT");
    if (text == nullptr || !std::isdigit(static_cast<unsigned char>(text[0]))) return 0.0;
    if (std::strspn(text, "0123456789.eE+-") != std::strlen(text)) return 0.0;
    char* end = nullptr;
    const double bytes = std::strtod(text, &end);
    return *end == '\0' && bytes > 0.0 && bytes <= DBL_MAX ? bytes : 0.0;
}

}  // namespace

std::size_t defaultMaxElements()
{
    double bytes = limitFromEnvironment();
    if (bytes == 0.0) {
#ifdef _WIN32
        MEMORYSTATUSEX status;
        status.dwLength = sizeof status;
        if (GlobalMemoryStatusEx(&status)) bytes = 0.9 * static_cast<double>(status.ullTotalPhys);
#else
        bytes = 0.9 * static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGE_SIZE));
#endif
        if (sizeof(void*) == 4 && bytes > 2147483648.0) bytes = 2147483648.0;
    }
    const double elements = bytes / 8.0;
    if (!(elements >= 1.0)) return 1;
    if (elements >= static_cast<double>(SIZE_MAX)) return SIZE_MAX;
    return static_cast<std::size_t>(elements);
}

void setError(const char* identifier, const char* message)
{
    HostState& s = state();
    std::snprintf(s.errorId, sizeof s.errorId, "%s", identifier);
    std::snprintf(s.errorMessage, sizeof s.errorMessage, "%s", message);
}

void raiseHostError(const char* identifier, const char* message)
{
    HostState& s = state();
    if (s.inCall && s.errorJump != nullptr) {
        setError(identifier, message);
        std::longjmp(*s.errorJump, 1);
    }
    throw HostError(identifier, message);
}

void raiseOutOfMemory()
{
    raiseHostError("MATLAB:nomem", "Out of memory.");
}

namespace {

// Appends the formatted entry to `list` (cut at 511 characters); false when it cannot be stored.
bool storeEntry(std::vector<std::string>& list, const char* format, std::va_list args)
{
    char entry[512];
    std::vsnprintf(entry, sizeof entry, format, args);
    return tryAllocation([&] { list.emplace_back(entry); });
}

}  // namespace

void logCall(const char* format, ...)
{
    HostState& s = state();
    if (!s.inCall || !s.logging) return;
    std::va_list args;
    va_start(args, format);
    const bool stored = storeEntry(s.log, format, args);
    va_end(args);
    if (!stored) raiseOutOfMemory();
}

void recordMisuse(const char* format, ...)
{
    HostState& s = state();
    if (!s.inCall) return;
    std::va_list args;
    va_start(args, format);
    const bool stored = storeEntry(s.stats.misuse, format, args);
    va_end(args);
    if (!stored) raiseOutOfMemory();
}

bool isLive(const mxArray* array)
{
    return array != nullptr && state().arrays.count(array) != 0;
}

std::size_t elementSize(mxClassID classId)
{
    switch (classId) {
    case mxDOUBLE_CLASS:
    case mxINT64_CLASS:
    case mxUINT64_CLASS: return 8;
    case mxSINGLE_CLASS:
    case mxINT32_CLASS:
    case mxUINT32_CLASS: return 4;
    case mxINT16_CLASS:
    case mxUINT16_CLASS:
    case mxCHAR_CLASS: return 2;
    case mxINT8_CLASS:
    case mxUINT8_CLASS:
    case mxLOGICAL_CLASS: return 1;
    case mxCELL_CLASS:
    case mxSTRUCT_CLASS: return sizeof(mxArray*);
    default: return 0;
    }
}

std::size_t arrayBytes(const mxArray* array)
{
    return array->real.size() + array->imag.size() + sizeof(mwIndex) * (array->ir.size() + array->jc.size());
}

std::size_t checkedElementCount(std::size_t ndim, const mwSize* dims)
{
    // Any zero length makes an empty array, however large the others (65536x65536x0).
    for (std::size_t k = 0; k < ndim; ++k) {
        if (dims[k] <= 0) return 0;
    }
    const std::size_t limit = state().maxElements;
    std::size_t count = 1;
    for (std::size_t k = 0; k < ndim; ++k) {
        std::size_t length = static_cast<std::size_t>(dims[k]);
        if (count > limit / length) raiseHostError("MATLAB:nomem", "Out of memory. The requested array is too large.");
        count *= length;
    }
    return count;
}

mxArray* adopt(mxArray* array)
{
    HostState& s = state();
    const Owner owner = s.inCall ? Owner::Temporary : Owner::Caller;
    if (!tryAllocation([&] { s.arrays[array] = owner; })) {
        freeTree(array);
        raiseOutOfMemory();
    }
    if (s.inCall) {
        ++s.liveTemporaryArrays;
        s.liveBytes += arrayBytes(array);
        ++s.stats.arraysCreated;
        if (s.liveTemporaryArrays > s.stats.peakLiveArrays) s.stats.peakLiveArrays = s.liveTemporaryArrays;
        if (s.liveBytes > s.stats.peakLiveBytes) s.stats.peakLiveBytes = s.liveBytes;
    }
    return array;
}

// Frees an array and the arrays it contains; contained arrays are not in the registry.
void freeTree(mxArray* array)
{
    if (array == nullptr) return;
    for (mxArray* child : array->cells) {
        if (child != nullptr) freeTree(child);
    }
    delete array;
}

void detach(mxArray* array)
{
    HostState& s = state();
    auto it = s.arrays.find(array);
    if (it == s.arrays.end()) return;
    if (it->second == Owner::Temporary) {
        --s.liveTemporaryArrays;
        s.liveBytes -= arrayBytes(array);
    }
    s.arrays.erase(it);
}

void destroy(mxArray* array)
{
    if (!isLive(array)) return;
    detach(array);
    freeTree(array);
}

void reclaimCallMemory()
{
    HostState& s = state();
    // Erased as they are found, so that reclaiming needs no memory of its own.
    for (auto it = s.arrays.begin(); it != s.arrays.end();) {
        if (it->second != Owner::Temporary) {
            ++it;
            continue;
        }
        mxArray* array = const_cast<mxArray*>(it->first);
        it = s.arrays.erase(it);
        freeTree(array);
        ++s.stats.arraysReclaimed;
    }
    for (auto& block : s.blocks) {
        std::free(block.first);
        ++s.stats.blocksReclaimed;
    }
    s.blocks.clear();
    s.liveBytes = 0;
    s.liveTemporaryArrays = 0;
}

}  // namespace montemex::host
