// floor_rand: an empty module call plus host calls of "rand" made the way the modules make them,
// for bench/small_calls.m.
//
//   r = floor_rand(k)      one host call for k uniforms; r is the first of them
//   r = floor_rand(k, h)   h such host calls (further arguments are ignored)
//
// A call for one number is rand() without arguments; one for k > 1 numbers is rand(k, 1), with
// the two size scalars created for the call and destroyed right after it. Each result is read
// and destroyed at once. Nothing is checked: this is the host's floor, not a module.
#include "mex.h"

void mexFunction(int, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const double k = nrhs > 0 ? mxGetScalar(prhs[0]) : 1.0;
    const double h = nrhs > 1 ? mxGetScalar(prhs[1]) : 1.0;
    double first = 0.0;
    for (double call = 0.0; call < h; call = call + 1.0) {
        mxArray* numbers = nullptr;
        if (k <= 1.0) {
            mexCallMATLAB(1, &numbers, 0, nullptr, "rand");
        } else {
            mxArray* sizes[2] = {mxCreateDoubleScalar(k), mxCreateDoubleScalar(1.0)};
            mexCallMATLAB(1, &numbers, 2, sizes, "rand");
            mxDestroyArray(sizes[0]);
            mxDestroyArray(sizes[1]);
        }
        first = *mxGetPr(numbers);
        mxDestroyArray(numbers);
    }
    plhs[0] = mxCreateDoubleScalar(first);
}
