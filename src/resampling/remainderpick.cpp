// remainderpick: residual resampling of a weight array.
//
//   idx = remainderpick(W)   an array the shape of W's first two dimensions
//
// Particle i first receives floor(E(i)) copies of its expected count E(i) = (W(i) / sum(W)) * N,
// written front to back in particle order; the R = N - (copies so far) places left are then
// drawn by simple resampling over the fractional remainders, with the R uniforms of one
// rand(R, 1) call, in the order of those uniforms (sampling/resampling.hpp).
#include "mex.h"
#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "mex/scratch.hpp"
#include "mex/weight_call.hpp"
#include "sampling/resampling.hpp"

using namespace montemex;

namespace {
const char* const kName = "remainderpick";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    // The result, the table of remainders, at most n uniforms and a guide (half a double each).
    WeightArray w = readResamplingCall(kName, nlhs, nrhs, prhs, 3.5);
    const std::size_t n = w.count;

    Scratch scratch;
    double* table = scratch.doubles(n);
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(w.shape.rows), static_cast<mwSize>(w.shape.cols), mxREAL);
    double* result = mxGetPr(plhs[0]);
    InterruptPoll poll;
    const WeightTotal total = totalWeight(w.values(), n, poll);
    const std::size_t pos = residualCopies(w.values(), n, total, result, table, poll);
    const std::size_t remaining = n - pos;

    mxArray* uniforms = nullptr;
    drawHostArray(kName, &uniforms, "rand", remaining, 1);
    // After the draw, as in every module: a warning made an error leaves the generator where
    // the call leaves it.
    warnIfDegenerate(kName, n > 0 ? total.total : 1.0);
    if (n > 0) {
        residualTable(table, n, remaining, poll);
        std::uint32_t* guide = scratch.indices(guideSize(n, remaining));
        residualDraws(table, n, mxGetPr(uniforms), remaining, result + pos, guide, poll);
        scratch.release(guide);
    }
    scratch.release(table);
    mxDestroyArray(uniforms);
    releaseWeights(w);
}
