// layeredpick: stratified resampling of a weight array, in one pass.
//
//   idx = layeredpick(W)   an array the shape of W's first two dimensions, nondecreasing
//
// Slot p (0-based) receives the particle i whose cumulative expected count S(i) first reaches
// p + U(p+1), with S(i) the sum of (W(j) / sum(W)) * N over j <= i, so each slot draws from its
// own stratum of width one (sampling/resampling.hpp). All N uniforms come from one
// rand(rows, cols) call made first.
#include "mex.h"
#include "mex/host_random.hpp"
#include "mex/weight_call.hpp"
#include "sampling/resampling.hpp"

using namespace montemex;

namespace {
const char* const kName = "layeredpick";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    WeightArray w = readResamplingCall(kName, nlhs, nrhs, prhs);

    mxArray* uniforms = nullptr;
    drawHostArray(kName, &uniforms, "rand", w.shape);
    const double* u = mxGetPr(uniforms);
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(w.shape.rows), static_cast<mwSize>(w.shape.cols), mxREAL);
    resampleStratified(w.values(), w.count, u, mxGetPr(plhs[0]));
    mxDestroyArray(uniforms);
    releaseWeights(w);
}
