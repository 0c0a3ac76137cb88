// Host arrays from MATLAB-style literals typed on the command line:
//   3   -0.5   NaN   -Inf   [1 2; 3 4]   []   'text'   true
//   int32([1 2])   single(3)   logical([1 0])   sparse([1 0])   complex(1, 2)
//   zeros(2, 3, 4)   ones(2)   nan(1, 3)   cell(1, 2)   struct()
#pragma once

#include <stdexcept>
#include <string>

#include "montemex/host.hpp"

namespace montemex::cli {

struct LiteralError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws LiteralError with a message naming the problem.
Array parseLiteral(const std::string& text);

}  // namespace montemex::cli
