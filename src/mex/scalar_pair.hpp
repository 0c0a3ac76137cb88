// The entry checks of the single-draw modules (shapedrawone, recipshapedrawone): exactly two
// arguments, each read as a scalar, and at most one output.
#pragma once

#include "mex.h"
#include "mex/arguments.hpp"
#include "mex/errors.hpp"

namespace montemex {

struct ScalarPair {
    double first = 0.0;
    double second = 0.0;
};

// The first element of each of the two arguments, first argument first, after the checks; their
// shapes are not looked at otherwise.
//
// The checks, in this order: "Wrong number of input arguments." unless nrhs is 2; "Too many
// output arguments."; "Arguments must be full real numeric or logical arrays."; an empty argument
// "Size information is inconsistent." (it cannot fill the 1-by-1 result, as in the elementwise
// modules).
inline ScalarPair readScalarPair(const char* function, int nlhs, int nrhs, const mxArray* prhs[])
{
    checkInputCount(function, nrhs == 2);
    checkOutputCount(function, nlhs);
    requireRealNumeric(function, prhs[0]);
    requireRealNumeric(function, prhs[1]);
    if (mxIsEmpty(prhs[0]) || mxIsEmpty(prhs[1])) {
        raiseError(function, "sizeMismatch", "Size information is inconsistent.");
    }
    ScalarPair pair;
    pair.first = mxGetScalar(prhs[0]);
    pair.second = mxGetScalar(prhs[1]);
    return pair;
}

}  // namespace montemex
