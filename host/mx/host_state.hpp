// Private state of the embedded host, shared by its array library (libmx) and its module
// interface (libmex).
#pragma once

#include <csetjmp>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "matrix.h"
#include "montemex/host.hpp"

struct mxArray_tag {
    mxClassID classId = mxDOUBLE_CLASS;
    bool isComplex = false;
    bool isSparse = false;
    std::vector<mwSize> dims{0, 0};   // always at least two entries
    std::vector<unsigned char> real;  // element bytes; the nzmax stored values when sparse
    std::vector<unsigned char> imag;
    std::vector<mwIndex> ir, jc;          // sparse row indices and column starts
    std::vector<mxArray*> cells;          // cell elements, or struct field values
    std::vector<std::string> fieldNames;  // struct fields
};

namespace montemex::host {

enum class Owner { Caller, Temporary };

// The memory rule's limit in doubles: 90% of physical memory, or MONTEMEX_MEMORY_LIMIT bytes when
// that is set (as the modules read it); on 32-bit builds at most 2 GB.
std::size_t defaultMaxElements();

struct HostState {
    std::unordered_map<const mxArray*, Owner> arrays;  // every live array
    std::unordered_map<void*, std::size_t> blocks;     // live mxMalloc blocks and their sizes
    std::size_t liveTemporaryArrays = 0;
    std::size_t liveBytes = 0;  // bytes of temporaries and blocks

    bool inCall = false;
    std::string currentModule;
    // Where an error ends the module call; null while no module frame is on the stack (host
    // code, and the host's own functions a module calls by name), where errors are exceptions.
    std::jmp_buf* errorJump = nullptr;
    // The error that ended the call, in fixed buffers: raising it must not allocate.
    char errorId[128] = "";
    char errorMessage[4096] = "";

    std::unordered_map<std::string, WarningMode> warningModes;  // by identifier; On when absent
    std::size_t maxElements = defaultMaxElements();
    bool logging = false;
    std::vector<std::string> log;
    CallStats stats;
};

HostState& state();

// Sets the flag that takeInterrupt reads (Host::requestInterrupt).
void requestInterruptFlag();

// Whether an interrupt was requested (Host::requestInterrupt) since the last check; clears it.
bool takeInterrupt();

// An error of host code with no module frame to jump to, as a C++ exception.
struct HostError : std::runtime_error {
    HostError(const char* identifier, const char* message) : std::runtime_error(message), identifier(identifier) {}
    std::string identifier;
};

// Stores the error that ends the call (truncated to the buffers).
void setError(const char* identifier, const char* message);

// Ends the module call in progress with an error, by a jump back to where the host called the
// module; with no module frame to jump to (errorJump null) it throws HostError. Callers must hold
// no objects with destructors in the frames it unwinds.
[[noreturn]] void raiseHostError(const char* identifier, const char* message);

// "Out of memory.", identifier MATLAB:nomem.
[[noreturn]] void raiseOutOfMemory();

// Runs `body` and returns whether it completed; false when it ran out of memory (std::bad_alloc,
// or std::length_error from a container asked for more than it can hold).
//
// Host functions that modules call allocate inside it and raise "Out of memory." after it returns
// false, once the exception is gone: no C++ exception may unwind into a module, which takes errors
// only as the host's error jump (and on Windows has an unwinder of its own).
template <typename Body>
bool tryAllocation(Body body)
{
    try {
        body();
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return false;
}

// printf-style entries of the call log (when logging is on) and of the interface misuse of the
// call in progress. Neither allocates outside tryAllocation; either may raise "Out of memory.".
void logCall(const char* format, ...);
void recordMisuse(const char* format, ...);
bool isLive(const mxArray* array);
// Element `index` of a real numeric, logical or char array, as a double.
double realElement(const mxArray* array, std::size_t index);
std::size_t arrayBytes(const mxArray* array);
// Bytes of one element of the class: a pointer for cell and struct arrays, 0 for an unknown class.
std::size_t elementSize(mxClassID classId);

// Element count of a dimension list (negative lengths count as 0); raises "Out of memory." when
// the count exceeds the host's limit. Takes plain arrays so that no object with a destructor is
// alive when it raises.
std::size_t checkedElementCount(std::size_t ndim, const mwSize* dims);

// Registers a newly made array as owned by the module call in progress (or by host code).
mxArray* adopt(mxArray* array);
// Removes an array and everything it holds from the registry and frees it.
void destroy(mxArray* array);
// Frees an array and the arrays it contains (which are not in the registry).
void freeTree(mxArray* array);
// Takes an array out of the registry without freeing it (it now belongs to a container).
void detach(mxArray* array);
// Destroys every temporary and frees every block left by the call that just ended.
void reclaimCallMemory();

}  // namespace montemex::host
