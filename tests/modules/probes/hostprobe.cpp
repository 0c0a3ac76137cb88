// Test module exercising the host itself. hostprobe(mode):
//   0  returns how many times it has been called since it was loaded (module state)
//   1  leaves a temporary array and an mxMalloc block for the host to reclaim, returns 1
//   2  allocates, then raises an error
//   3  reads an int32 array through mxGetPr (interface misuse), returns 0
//   4  returns its own input as the output (interface misuse)
//   5  calls a host function that does not exist
//   6  raises an error 40 calls deep, below a frame holding an object with a destructor
#include "mex.h"

static int callCount = 0;

// An object whose frame needs unwinding information with a clean-up. The host promises neither
// to run nor to skip its destructor when an error jumps past it, but the jump must land.
struct Guard {
    volatile int* counter;
    ~Guard() { ++*counter; }
};
static volatile int guardsDestroyed = 0;

static double raiseDeep(int depth)
{
    if (depth == 0) {
        mexErrMsgIdAndTxt("montemex:hostprobe:deep", "Failed %d calls deep.", 40);
        return 0;
    }
    volatile double below = raiseDeep(depth - 1);
    return below + depth;
}

static double raiseBelowGuard()
{
    Guard guard{&guardsDestroyed};
    return raiseDeep(40);
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    (void)nlhs;
    ++callCount;
    int mode = nrhs > 0 ? static_cast<int>(mxGetScalar(prhs[0])) : 0;
    switch (mode) {
    case 1:
        mxCreateDoubleMatrix(10, 10, mxREAL);
        mxMalloc(100);
        plhs[0] = mxCreateDoubleScalar(1);
        break;
    case 2:
        mxCreateDoubleMatrix(10, 10, mxREAL);
        mxMalloc(100);
        mexErrMsgIdAndTxt("montemex:hostprobe:failed", "Failed after %d allocations.", 2);
        break;
    case 3: {
        mxArray* integers = mxCreateNumericMatrix(1, 2, mxINT32_CLASS, mxREAL);
        mxGetPr(integers);
        mxDestroyArray(integers);
        plhs[0] = mxCreateDoubleScalar(0);
        break;
    }
    case 4: plhs[0] = const_cast<mxArray*>(prhs[0]); break;
    case 5: {
        mxArray* out = nullptr;
        mexCallMATLAB(1, &out, 0, nullptr, "nosuchfunction");
        break;
    }
    case 6: plhs[0] = mxCreateDoubleScalar(raiseBelowGuard()); break;
    default: plhs[0] = mxCreateDoubleScalar(callCount); break;
    }
}
