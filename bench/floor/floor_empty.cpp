// floor_empty: the least a module call can cost in a host, for bench/small_calls.m.
//
//   r = floor_empty(...)   any arguments, ignored; r is a 1-by-1 zero
//
// Only the host's own work is left: passing the arguments in, the call, and the result every
// module returns.
#include "mex.h"

void mexFunction(int, mxArray* plhs[], int, const mxArray*[])
{
    plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
}
