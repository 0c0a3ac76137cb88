// The calls a module makes into the host: host functions by name, errors, warnings, printing.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "../mx/host_state.hpp"
#include "builtins.hpp"
#include "mex.h"

using namespace montemex::host;

namespace {

std::string describeCall(const char* name, int nrhs, mxArray* prhs[])
{
    std::string text = std::string("mexCallMATLAB ") + name + "(";
    for (int k = 0; k < nrhs; ++k) {
        if (k > 0) text += ",";
        const mxArray* arg = prhs[k];
        if (isLive(arg) && arg->dims.size() == 2 && arg->dims[0] == 1 && arg->dims[1] == 1 && arg->classId == mxDOUBLE_CLASS) {
            char number[32];
            std::snprintf(number, sizeof number, "%.17g", realElement(arg, 0));
            text += number;
        } else if (isLive(arg)) {
            text += std::to_string(arg->dims[0]) + "x" + std::to_string(arg->dims[1]);
        } else {
            text += "?";
        }
    }
    return text + ")";
}

// Runs the host function with the call log paused, so the log shows the module's own calls.
// Returns false with the error stored in the host state.
bool callHostFunction(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], const char* name)
{
    HostState& s = state();
    for (int k = 0; k < nrhs; ++k) {
        if (!isLive(prhs[k])) {
            s.errorId = "montemex:host:badArgument";
            s.errorMessage = std::string(name) + ": an argument is not a host array.";
            recordMisuse("mexCallMATLAB with an argument that is not a host array");
            return false;
        }
    }
    bool logging = s.logging;
    s.logging = false;
    BuiltinError error;
    bool ok = runBuiltin(name, nlhs, plhs, nrhs, prhs, error);
    s.logging = logging;
    if (!ok) {
        s.errorId = error.identifier;
        s.errorMessage = error.message;
    }
    return ok;
}

}  // namespace

extern "C" {

int mexCallMATLAB(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], const char* name)
{
    HostState& s = state();
    if (s.logging && s.inCall) logCall(describeCall(name != nullptr ? name : "", nrhs, prhs));
    ++s.stats.hostCalls;
    if (name == nullptr || nlhs < 0 || nrhs < 0 || (nlhs > 0 && plhs == nullptr) || (nrhs > 0 && prhs == nullptr)) {
        recordMisuse("mexCallMATLAB with invalid arguments");
        raiseError("montemex:host:badCall", "mexCallMATLAB: invalid arguments.");
    }
    if (!callHostFunction(nlhs, plhs, nrhs, prhs, name)) {
        // Copies, because raiseError stores into the same strings.
        char id[256];
        char message[1024];
        std::snprintf(id, sizeof id, "%s", s.errorId.c_str());
        std::snprintf(message, sizeof message, "%s", s.errorMessage.c_str());
        raiseError(id, message);
    }
    return 0;
}

void mexErrMsgTxt(const char* message)
{
    raiseError("", message != nullptr ? message : "");
}

void mexErrMsgIdAndTxt(const char* identifier, const char* format, ...)
{
    char message[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format != nullptr ? format : "", args);
    va_end(args);
    raiseError(identifier != nullptr ? identifier : "", message);
}

int mexEvalString(const char* statement)
{
    HostState& s = state();
    logCall("mexEvalString");
    const char* text = statement != nullptr ? statement : "";
    if (std::strcmp(text, "") != 0 && std::strcmp(text, "drawnow;") != 0) {
        raiseError("montemex:host:evalUnsupported", "mexEvalString: this host evaluates no statements.");
    }
    ++s.stats.interruptChecks;
    if (takeInterrupt()) raiseError("montemex:host:interrupted", "Interrupted.");
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
    HostState& s = state();
    if (s.inCall) s.stats.warnings.push_back(std::string(identifier != nullptr ? identifier : "") + ": " + message);
    std::fprintf(stderr, "warning: %s\n", message);
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
