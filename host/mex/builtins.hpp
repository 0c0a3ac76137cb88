// The host functions a module may call by name: "rand", "randn" and "sort".
#pragma once

#include <map>
#include <string>

#include "matrix.h"
#include "montemex/host.hpp"

namespace montemex::host {

// Fixed buffers, so that storing an error needs no memory.
struct BuiltinError {
    char identifier[128] = "";
    char message[1024] = "";
    void set(const char* id, const char* text);
};

// Functions that shadow the host's own, by name (Host::shadowFunction).
std::map<std::string, HostFunction>& shadows();

// Runs host function `name` (or what shadows it). Returns false and fills `error` when the call
// fails, running out of memory included; outputs may then hold temporaries, which the host
// reclaims with the call.
//
// Never raises and never throws: errors raised inside (by the host's array functions, or by a
// shadowing function) must come as exceptions, so the caller clears the state's errorJump first.
bool runBuiltin(const std::string& name, int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], BuiltinError& error);

}  // namespace montemex::host
