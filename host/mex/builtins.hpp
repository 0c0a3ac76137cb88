// The host functions a module may call by name: "rand", "randn" and "sort".
#pragma once

#include <string>

#include "matrix.h"

namespace montemex::host {

struct BuiltinError {
    std::string identifier;
    std::string message;
};

// Runs host function `name`. Returns false and fills `error` when the call fails; outputs are
// then left unset. Never raises.
bool runBuiltin(const std::string& name, int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], BuiltinError& error);

}  // namespace montemex::host
