// recipshapedraw: scaled inverse chi-square variates by scale and degrees of freedom.
//
//   R = recipshapedraw(S, V)        R takes the shape of S, or of V when S is a scalar
//   R = recipshapedraw(S, V, m, n)  an m-by-n array; S and V each scalar or exactly m-by-n
//
// Element i is S(i) V(i) / 2 / g for a standard gamma variate g with shape V(i)/2, that is
// V S / X for a chi-square variate X with V degrees of freedom: an inverse-gamma variate with
// shape k = V/2 and scale t = V S / 2, density t^k x^(-k-1) e^(-t/x) / Gamma(k) on x > 0 (mean
// V S / (V - 2) for V > 2). Elements are drawn in column-major order, each with the uniforms of
// one drawGamma call.
#include "mex.h"
#include "mex/gamma_fill.hpp"

using namespace montemex;

namespace {
const char* const kName = "recipshapedraw";
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
                    [](double g, double first, double v) { return inverseGammaByScale(g, first, v); });
    releaseParameters(call);
}
