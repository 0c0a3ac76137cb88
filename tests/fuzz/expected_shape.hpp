// The documented result shape of each module, for the fuzz harness.
#pragma once

#include <string>
#include <vector>

#include "matrix.h"

namespace montemex::fuzz {

// Empty when `result` has the shape the module's help promises for these arguments (or the
// module has no rule here), else a description of the difference.
std::string checkShape(const std::string& name, const std::vector<const mxArray*>& args, const mxArray* result);

}  // namespace montemex::fuzz
