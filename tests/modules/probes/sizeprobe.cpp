// Test module: applies the elementwise size rule with PROBE_PARAMETERS parameters and returns
// element i = a(i) (one parameter) or a(i) * 1000 + b(i) (two), showing which values the rule
// hands to each output element.
#include "mex.h"
#include "mex/size_rule.hpp"

using namespace montemex;

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    const char* name = PROBE_PARAMETERS == 1 ? "sizeprobe1" : "sizeprobe2";
    ElementwiseCall call = applySizeRule(name, PROBE_PARAMETERS, nlhs, nrhs, prhs);
    plhs[0] =
        mxCreateDoubleMatrix(static_cast<mwSize>(call.output.rows), static_cast<mwSize>(call.output.cols), mxREAL);
    double* out = mxGetPr(plhs[0]);
    readParameters(call);
    for (std::size_t i = 0; i < call.count; ++i) {
        double a = call.parameters[0].at(i);
        out[i] = PROBE_PARAMETERS == 1 ? a : a * 1000 + call.parameters[1].at(i);
    }
    releaseParameters(call);
}
