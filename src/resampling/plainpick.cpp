// plainpick: simple (multinomial) resampling of a weight array.
//
//   idx = plainpick(W)   an array the shape of W's first two dimensions; element k is 1-based
//                        particle i with probability W(i) / sum(W), each element independently
//
// One rand(rows, cols) call supplies every uniform and becomes the result: uniform k is turned in
// place into 1 + the first position of the cumulative table Q = cumsum(W) / sum(W) (last entry
// exactly 1) that is >= the uniform (sampling/resampling.hpp).
#include "mex.h"
#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "mex/scratch.hpp"
#include "mex/weight_call.hpp"
#include "sampling/resampling.hpp"

using namespace montemex;

namespace {
const char* const kName = "plainpick";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    // The result, the cumulative table and its guide (half a double per weight).
    WeightArray w = readResamplingCall(kName, nlhs, nrhs, prhs, 2.5);
    const std::size_t n = w.count;

    Scratch scratch;
    double* table = scratch.doubles(n);
    drawHostArray(kName, &plhs[0], "rand", w.shape);
    double* result = mxGetPr(plhs[0]);
    std::uint32_t* guide = scratch.indices(guideSize(n, n));
    InterruptPoll poll;
    warnIfDegenerate(kName, resampleMultinomial(w.values(), n, result, result, table, guide, poll));
    scratch.release(guide);
    scratch.release(table);
    releaseWeights(w);
}
