// The calls a module makes into the host: host functions by name, errors, warnings, printing.
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "../mx/host_state.hpp"
#include "builtins.hpp"
#include "mex.h"

using namespace montemex::host;
using montemex::WarningMode;

namespace {

// Appends printf-style text at text[used], within `size`; returns the new length.
std::size_t append(char* text, std::size_t size, std::size_t used, const char* format, ...)
{
    if (used >= size) return used;
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(text + used, size - used, format, args);
    va_end(args);
    return written < 0 ? used : used + static_cast<std::size_t>(written);
}

// The call as the log shows it, "mexCallMATLAB rand(3,1)": a 1x1 double by its value, any other
// array by its size.
void describeCall(char* text, std::size_t size, const char* name, int nrhs, mxArray* prhs[])
{
    std::size_t used = append(text, size, 0, "mexCallMATLAB %s(", name);
    for (int k = 0; k < nrhs; ++k) {
        if (k > 0) used = append(text, size, used, ",");
        const mxArray* arg = prhs[k];
        if (isLive(arg) && arg->dims.size() == 2 && arg->dims[0] == 1 && arg->dims[1] == 1 &&
            arg->classId == mxDOUBLE_CLASS) {
            used = append(text, size, used, "%.17g", realElement(arg, 0));
        } else if (isLive(arg)) {
            used = append(text, size, used, "%dx%d", arg->dims[0], arg->dims[1]);
        } else {
            used = append(text, size, used, "?");
        }
    }
    append(text, size, used, ")");
}

// Runs the host function with the call log paused, so the log shows the module's own calls.
// Returns false with the error stored in the host state.
//
// Errors raised inside it are exceptions, which runBuiltin catches: its frames hold objects with
// destructors, which a jump to the module's caller would skip.
bool callHostFunction(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], const char* name)
{
    HostState& s = state();
    for (int k = 0; k < nrhs; ++k) {
        if (!isLive(prhs[k])) {
            char message[256];
            std::snprintf(message, sizeof message, "%s: an argument is not a host array.", name);
            setError("montemex:host:badArgument", message);
            recordMisuse("mexCallMATLAB with an argument that is not a host array");
            return false;
        }
    }
    const bool logging = s.logging;
    std::jmp_buf* const jump = s.errorJump;
    s.logging = false;
    s.errorJump = nullptr;
    BuiltinError error;
    bool ok = false;
    if (!tryAllocation([&] { ok = runBuiltin(name, nlhs, plhs, nrhs, prhs, error); })) {
        error.set("MATLAB:nomem", "Out of memory.");
    }
    s.logging = logging;
    s.errorJump = jump;
    if (!ok) setError(error.identifier, error.message);
    return ok;
}

// What the host does with the warning `identifier`.
WarningMode warningMode(const char* identifier)
{
    const auto& modes = state().warningModes;
    WarningMode mode = WarningMode::On;
    const bool found = tryAllocation([&] {
        auto it = modes.find(identifier);
        if (it != modes.end()) mode = it->second;
    });
    if (!found) raiseOutOfMemory();
    return mode;
}

}  // namespace

extern "C" {

int mexCallMATLAB(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], const char* name)
{
    HostState& s = state();
    if (s.logging && s.inCall) {
        char text[512];
        describeCall(text, sizeof text, name != nullptr ? name : "", nrhs, prhs);
        logCall("%s", text);
    }
    ++s.stats.hostCalls;
    if (name == nullptr || nlhs < 0 || nrhs < 0 || (nlhs > 0 && plhs == nullptr) || (nrhs > 0 && prhs == nullptr)) {
        recordMisuse("mexCallMATLAB with invalid arguments");
        raiseHostError("montemex:host:badCall", "mexCallMATLAB: invalid arguments.");
    }
    if (!callHostFunction(nlhs, plhs, nrhs, prhs, name)) {
        // Copies, because raiseHostError stores into the same buffers.
        char id[sizeof s.errorId];
        char message[sizeof s.errorMessage];
        std::memcpy(id, s.errorId, sizeof id);
        std::memcpy(message, s.errorMessage, sizeof message);
        raiseHostError(id, message);
    }
    return 0;
}

void mexErrMsgTxt(const char* message)
{
    raiseHostError("", message != nullptr ? message : "");
}

void mexErrMsgIdAndTxt(const char* identifier, const char* format, ...)
{
    char message[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format != nullptr ? format : "", args);
    va_end(args);
    raiseHostError(identifier != nullptr ? identifier : "", message);
}

int mexEvalString(const char* statement)
{
    HostState& s = state();
    logCall("mexEvalString");
    const char* text = statement != nullptr ? statement : "";
    if (std::strcmp(text, "") != 0 && std::strcmp(text, "drawnow;") != 0) {
        raiseHostError("montemex:host:evalUnsupported", "mexEvalString: this host evaluates no statements.");
    }
    ++s.stats.interruptChecks;
    if (takeInterrupt()) raiseHostError("montemex:host:interrupted", "Interrupted.");
    return 0;
}

void mexWarnMsgTxt(const char* message)
{
    mexWarnMsgIdAndTxt("", "%s", message != nullptr ? message : "");
}

void mexWarnMsgIdAndTxt(const char* identifier, const char* format, ...)
{
    char message[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format != nullptr ? format : "", args);
    va_end(args);
    const char* id = identifier != nullptr ? identifier : "";
    const WarningMode mode = warningMode(id);
    if (mode == WarningMode::Off) return;
    // Made an error (warning("error", id) in a host), it ends the call with its own identifier.
    if (mode == WarningMode::Error) raiseHostError(id, message);
    HostState& s = state();
    if (s.inCall && !tryAllocation([&] { s.stats.warnings.push_back(std::string(id) + ": " + message); })) {
        raiseOutOfMemory();
    }
    // Named like an error, "warning: plainpick: The weights ...", as hosts print a module's warnings.
    if (s.currentModule.empty()) {
        std::fprintf(stderr, "warning: %s\n", message);
    } else {
        std::fprintf(stderr, "warning: %s: %s\n", s.currentModule.c_str(), message);
    }
}

int mexPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int written = std::vprintf(format, args);
    va_end(args);
    return written;
}

const char* mexFunctionName(void)
{
    return state().currentModule.c_str();
}

}  // extern "C"
