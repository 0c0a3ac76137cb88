// shapedraw: gamma variates by mean and degrees of freedom.
//
//   R = shapedraw(A, V)        R takes the shape of A, or of V when A is a scalar
//   R = shapedraw(A, V, m, n)  an m-by-n array; A and V each scalar or exactly m-by-n
//
// Element i is 2 g A(i) / V(i) for a standard gamma variate g with shape V(i)/2: a chi-square
// variate with V(i) degrees of freedom scaled to mean A(i). Its density is that of a gamma
// distribution with shape k = V/2 and scale t = 2A/V: x^(k-1) e^(-x/t) / (Gamma(k) t^k).
// Elements are drawn in column-major order, each with the uniforms of one drawGamma call.
#include "mex.h"
#include "mex/gamma_fill.hpp"

using namespace montemex;

namespace {
const char* const kName = "shapedraw";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    ElementwiseCall call = applySizeRule(kName, 2, nlhs, nrhs, prhs);
    readParameters(call);
    // Besides the result and converted parameters: a block of the uniforms the call is certain to draw.
    const std::size_t minimumUniforms = minimumGammaFamilyUniforms(call);
    checkMemory(kName, call.bytes + gammaReserveBytes(minimumUniforms));
    plhs[0] =
        mxCreateDoubleMatrix(static_cast<mwSize>(call.output.rows), static_cast<mwSize>(call.output.cols), mxREAL);
    double* r = mxGetPr(plhs[0]);

    HostSource source(kName);
    fillGammaFamily(source, call, minimumUniforms, r,
                    [](double g, double first, double v) { return gammaByMean(g, first, v); });
    releaseParameters(call);
}
