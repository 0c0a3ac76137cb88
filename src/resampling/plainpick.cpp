// plainpick: simple (multinomial) resampling of a weight array.
//
//   idx = plainpick(W)   an array the shape of W's first two dimensions; element k is 1-based
//                        particle i with probability W(i) / sum(W), each element independently
//
// One rand(rows, cols) call supplies every uniform and becomes the result: uniform k is turned in
// place into 1 + the first position of the cumulative table Q = cumsum(W) / sum(W) (last entry
// exactly 1) that is >= the uniform (searchCumulative). Multinomial resampling as in the bootstrap
// filter of Gordon, Salmond and Smith (1993).
#include "common/errors.hpp"
#include "common/host_random.hpp"
#include "mex.h"
#include "resampling/cumulative.hpp"
#include "resampling/weights.hpp"

using namespace montemex;

namespace {
const char* const kName = "plainpick";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkOutputCount(kName, nlhs);
    checkInputCount(kName, nrhs == 1);
    WeightArray w = readWeights(kName, prhs[0]);
    const std::size_t n = w.count;

    // An empty weight array gives an empty result and no table at all.
    double* q = n > 0 ? static_cast<double*>(mxMalloc(n * sizeof(double))) : nullptr;
    drawHostArray(&plhs[0], "rand", static_cast<double>(w.shape.rows), static_cast<double>(w.shape.cols));
    double* result = mxGetPr(plhs[0]);
    if (n > 0) {
        accumulateWeights(w.values(), q, n);
        normaliseCumulative(q, n);
        CumulativeSearch search = prepareSearch(q, n, n);
        searchEach(search, result, result, n);
        releaseSearch(search);
        mxFree(q);
    }
    releaseWeights(w);
}
