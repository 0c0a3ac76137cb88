// shapedrawone: one gamma variate by mean and degrees of freedom.
//
//   r = shapedrawone(a, v)
//
// r is 2 g a / v for a standard gamma variate g with shape v/2, exactly as one element of
// shapedraw(a, v): the same uniforms give the same value.
#include "mex.h"
#include "mex/gamma_fill.hpp"
#include "mex/scalar_pair.hpp"

using namespace montemex;

namespace {
const char* const kName = "shapedrawone";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    ScalarPair arguments = readScalarPair(kName, nlhs, nrhs, prhs);
    plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
    double* r = mxGetPr(plhs[0]);

    HostSource source(kName);
    source.reserveUniforms(minimumGammaUniforms(arguments.second / 2.0));
    r[0] = drawGammaByMean(source, arguments.first, arguments.second);
    source.release();
}
