// The host functions a module may call by name: "rand", "randn" and "sort".
#pragma once

#include <map>
#include <string>

#include "matrix.h"
#include "montemex/host.hpp"

namespace montemex::host {

struct BuiltinError {
    std::string identifier;
    std::string message;
};

// Functions that shadow the host's own, by name (Host::shadowFunction).
std::map<std::string, HostFunction>& shadows();

// Runs host function `name` (or what shadows it). Returns false and fills `error` when the call fails; outputs are
// then left unset. Never raises.
bool runBuiltin(const std::string& name, int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], BuiltinError& error);

}  // namespace montemex::host
