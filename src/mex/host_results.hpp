// Checks of what the host's "rand", "randn" and "sort" return: anything but what was asked for
// ends the call with montemex:<function>:badHostResult.
//
// Users can shadow these functions (an m-file on the path, a toolbox that overloads them), so
// their results are input like any argument: a module uses one only when it is a real, full array
// of the class and size asked for, holding uniforms strictly inside (0, 1) or finite normals.
// Anything else ends the call before anything is written past an array or returned, and before
// any loop can run on such numbers.
#pragma once

#include <cstddef>

#include "mex.h"

namespace montemex {

// What the numbers of an array must be.
enum class HostNumbers { Uniforms, Normals };

// `array` is what host function `hostFunction` ("rand" or "randn") put into its output slot for a
// request of rows-by-cols numbers. Raises, for instance, "rand returned a 1-by-1 array where
// 3-by-4 was requested." Returns the numbers (mxGetPr), or null when none were requested.
const double* checkHostNumbers(const char* function, const char* hostFunction, const mxArray* array, std::size_t rows,
                               std::size_t cols, HostNumbers numbers);

// `sorted` is what "sort" returned for `input`: an array of the same class and dimensions whose
// first `count` values (no more than it holds) are in ascending order with any NaN after every
// number, as the host's own sort leaves them.
//
// Otherwise: "sort returned values that are not in ascending order."
void checkSorted(const char* function, const mxArray* sorted, const mxArray* input, std::size_t count);

}  // namespace montemex
