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
#include "mex/interrupt.hpp"
#include "mex/weight_call.hpp"
#include "sampling/resampling.hpp"

using namespace montemex;

namespace {
const char* const kName = "layeredpick";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    // The uniforms and the result.
    WeightArray w = readResamplingCall(kName, nlhs, nrhs, prhs, 2.0);

    mxArray* uniforms = nullptr;
    drawHostArray(kName, &uniforms, "rand", w.shape);
    const double* u = mxGetPr(uniforms);
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(w.shape.rows), static_cast<mwSize>(w.shape.cols), mxREAL);
    InterruptPoll poll;
    const WeightTotal total = totalWeight(w.values(), w.count, poll);
    warnIfDegenerate(kName, w.count > 0 ? total.total : 1.0);
    resampleStratified(w.values(), w.count, total, u, mxGetPr(plhs[0]), poll);
    mxDestroyArray(uniforms);
    releaseWeights(w);
}
