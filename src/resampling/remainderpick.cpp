// remainderpick: residual resampling of a weight array.
//
//   idx = remainderpick(W)   an array the shape of W's first two dimensions
//
// Particle i first receives floor(E(i)) copies of its expected count E(i) = (W(i) / sum(W)) * N,
// written front to back in particle order; the R = N - (copies so far) places left are then
// drawn by simple resampling over the fractional remainders, with the R uniforms of one
// rand(R, 1) call, in the order of those uniforms. Residual resampling: Liu and Chen (1998).
#include "common/compare.hpp"
#include "common/errors.hpp"
#include "common/host_random.hpp"
#include "mex.h"
#include "resampling/cumulative.hpp"
#include "resampling/weights.hpp"

using namespace montemex;

namespace {
const char* const kName = "remainderpick";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkOutputCount(kName, nlhs);
    checkInputCount(kName, nrhs == 1);
    WeightArray w = readWeights(kName, prhs[0]);
    const std::size_t n = w.count;
    const double* weight = w.values();

    double* b = n > 0 ? static_cast<double*>(mxMalloc(n * sizeof(double))) : nullptr;
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(w.shape.rows), static_cast<mwSize>(w.shape.cols), mxREAL);
    double* result = mxGetPr(plhs[0]);

    // Deterministic copies. b[i] ends up holding particle i's fractional remainder (or its
    // whole expected count when that is below 1). Copies never go past the result: with negative
    // weights the counts can add up to more than N, and the surplus is dropped.
    std::size_t pos = 0;
    const double total = sumWeights(weight, n);
    for (std::size_t i = 0; i < n; ++i) {
        double expected = expectedCount(weight[i], total, n);
        // The legacy build lets a NaN count through here; it then gives no copies.
        if (legacyAtLeast(expected, 1.0)) {
            std::size_t copies = wholeCopies(expected, n - pos);
            expected = expected - static_cast<double>(copies);
            for (std::size_t c = 0; c < copies; ++c) result[pos++] = static_cast<double>(i + 1);
        }
        b[i] = expected;
    }
    const std::size_t remaining = n - pos;
    for (std::size_t i = 0; i < n; ++i) b[i] = b[i] / static_cast<double>(remaining);

    mxArray* uniforms = nullptr;
    drawHostArray(&uniforms, "rand", static_cast<double>(remaining), 1.0);
    const double* u = mxGetPr(uniforms);

    if (n > 0) {
        for (std::size_t i = 1; i < n; ++i) b[i] = b[i - 1] + b[i];
        b[n - 1] = 1.0;
        CumulativeSearch search = prepareSearch(b, n, remaining);
        searchEach(search, u, result + pos, remaining);
        releaseSearch(search);
        mxFree(b);
    }
    mxDestroyArray(uniforms);
    releaseWeights(w);
}
