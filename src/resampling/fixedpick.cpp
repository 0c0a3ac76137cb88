// fixedpick: deterministic resampling of a weight array, without any random number.
//
//   idx = fixedpick(W)   an array the shape of W's first two dimensions, nondecreasing
//
// Particle i receives floor(E(i)) copies of its expected count E(i) = (W(i) / sum(W)) * N; the
// fractional remainders are then resampled systematically with the fixed offset 0.5: a running
// sum started at 0.5 gives a particle one more copy each time it reaches 1
// (sampling/resampling.hpp).
#include "mex.h"
#include "mex/interrupt.hpp"
#include "mex/weight_call.hpp"
#include "sampling/resampling.hpp"

using namespace montemex;

namespace {
const char* const kName = "fixedpick";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    WeightArray w = readResamplingCall(kName, nlhs, nrhs, prhs, 1.0);  // the result
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(w.shape.rows), static_cast<mwSize>(w.shape.cols), mxREAL);
    InterruptPoll poll;
    const WeightTotal total = totalWeight(w.values(), w.count, poll);
    warnIfDegenerate(kName, w.count > 0 ? total.total : 1.0);
    resampleDeterministic(w.values(), w.count, total, mxGetPr(plhs[0]), poll);
    releaseWeights(w);
}
