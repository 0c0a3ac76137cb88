// recipshapedrawone: one scaled inverse chi-square variate by scale and degrees of freedom.
//
//   r = recipshapedrawone(s, v)
//
// r is s v / 2 / g for a standard gamma variate g with shape v/2, exactly as one element of
// recipshapedraw(s, v): the same uniforms give the same value.
#include "mex.h"
#include "mex/gamma_fill.hpp"
#include "mex/scalar_pair.hpp"

using namespace montemex;

namespace {
const char* const kName = "recipshapedrawone";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    ScalarPair arguments = readScalarPair(kName, nlhs, nrhs, prhs);
    plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
    double* r = mxGetPr(plhs[0]);

    HostSource source(kName);
    source.reserveUniforms(minimumGammaUniforms(arguments.second / 2.0));
    r[0] = drawInverseGammaByScale(source, arguments.first, arguments.second);
    source.release();
}
