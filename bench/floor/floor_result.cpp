// floor_result: the host's own share of an elementwise call on a large array, for
// bench/special_functions.m.
//
//   r = floor_result(x)   a zero matrix of x's first two dimensions
//
// The result is created (zero-filled) and handed back, as psivalue and squashfn create theirs:
// what such a call costs before any element is computed.
#include "mex.h"

void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const mwSize* dims = mxGetDimensions(prhs[0]);
    plhs[0] = mxCreateDoubleMatrix(nrhs > 0 ? dims[0] : 0, nrhs > 0 ? dims[1] : 0, mxREAL);
}
