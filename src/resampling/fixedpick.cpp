// fixedpick: deterministic resampling of a weight array, without any random number.
//
//   idx = fixedpick(W)   an array the shape of W's first two dimensions, nondecreasing
//
// Particle i receives floor(E(i)) copies of its expected count E(i) = (W(i) / sum(W)) * N; the
// fractional remainders are then resampled systematically with the fixed offset 0.5: a running
// sum started at 0.5 gives a particle one more copy each time it reaches 1. Residual resampling
// (Liu and Chen 1998) with systematic resampling of the remainders (Kitagawa 1996) at a fixed
// offset.
#include "common/compare.hpp"
#include "common/errors.hpp"
#include "mex.h"
#include "resampling/cumulative.hpp"
#include "resampling/weights.hpp"

using namespace montemex;

namespace {
const char* const kName = "fixedpick";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkOutputCount(kName, nlhs);
    checkInputCount(kName, nrhs == 1);
    WeightArray w = readWeights(kName, prhs[0]);
    const std::size_t n = w.count;
    const double* weight = w.values();

    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(w.shape.rows), static_cast<mwSize>(w.shape.cols), mxREAL);
    double* result = mxGetPr(plhs[0]);

    // Each expected count is used once, so none is stored. Writes stop when the result is full
    // (negative weights can ask for more than N copies). The legacy build counts a NaN as
    // reaching 1 at both tests: a NaN count gives no whole copies but one extra copy.
    const double total = sumWeights(weight, n);
    double acc = 0.5;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double index = static_cast<double>(i + 1);
        double expected = expectedCount(weight[i], total, n);
        if (legacyAtLeast(expected, 1.0)) {
            std::size_t copies = wholeCopies(expected, n - pos);
            expected = expected - static_cast<double>(copies);
            for (std::size_t c = 0; c < copies; ++c) result[pos++] = index;
        }
        acc = acc + expected;
        if (legacyAtLeast(acc, 1.0) && pos < n) {
            result[pos++] = index;
            acc = acc - 1.0;
        }
    }
    releaseWeights(w);
}
