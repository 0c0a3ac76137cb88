// weightquantdraw: Bayesian bootstrap draws of weighted percentiles of a sample.
//
//   Q = weightquantdraw(X, P)        one draw; Q is 1-by-K
//   Q = weightquantdraw(X, P, B)     B draws; Q is B-by-K
//   Q = weightquantdraw(X, P, B, W)  B draws with prior weights W, a column of n
//
// X's first column holds the n observations, in ascending order for true percentiles (X is not
// sorted here). P holds K percentiles; the host's "sort" orders them and column k of Q holds the
// k-th smallest. Draw s gives the observations the weights e(i) / total of the bootstrap weight
// draw (bootstrap_weights.hpp) and reads each percentile off the piecewise linear quantile
// function through the points (G(i), X(i)), G the cumulative weights: flat at X(1) up to G(1),
// G(n) exactly 1, and a percentile equal to G(i) belongs to segment i. Percentiles above 100 are
// never reached and stay 0.
//
// Legacy build: the comparison p <= G counts as true when either side is NaN (compare.hpp).
#include "bootstrap/bootstrap_weights.hpp"
#include "common/arguments.hpp"
#include "common/compare.hpp"
#include "common/errors.hpp"
#include "mex.h"

using namespace montemex;

namespace {

const char* const kName = "weightquantdraw";

// One draw: places the ascending fractions p(0 ... K-1) into result(s, :) (column stride
// `resultRows`) from the observations x and their unnormalised weights e, whose sum is `total`.
// Each percentile is placed at most once; the scan goes on where the previous segment stopped.
void placePercentiles(const double* x, const double* e, std::size_t n, double total, const double* p,
                      std::size_t k, double* result, std::size_t resultRows)
{
    std::size_t placed = 0;
    double upper = e[0] / total;
    while (placed < k && legacyAtMost(p[placed], upper)) {
        result[placed * resultRows] = x[0];
        ++placed;
    }
    for (std::size_t i = 1; i < n && placed < k; ++i) {
        const double lower = upper;
        // The last segment ends at exactly 1 rather than at the accumulated sum.
        upper = i == n - 1 ? 1.0 : lower + e[i] / total;
        const double a = x[i - 1];
        const double b = x[i];
        while (placed < k && legacyAtMost(p[placed], upper)) {
            result[placed * resultRows] = a + ((b - a) * (p[placed] - lower)) / (upper - lower);
            ++placed;
        }
    }
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkOutputCount(kName, nlhs);
    checkInputCount(kName, nrhs >= 2 && nrhs <= 4);

    const mxArray* xArray = prhs[0];
    const Shape xShape = shapeOf(xArray);
    const std::size_t n = static_cast<std::size_t>(xShape.rows);

    const mxArray* pArray = prhs[1];
    const Shape pShape = shapeOf(pArray);
    if (pShape.rows > 1 && pShape.cols > 1) raiseError(kName, "pNotVector", "P must be a vector.");
    requireRealNumeric(kName, pArray);
    const std::size_t k = static_cast<std::size_t>(pShape.count());
    mxArray* sortInput[1] = {const_cast<mxArray*>(pArray)};
    mxArray* sorted = nullptr;
    mexCallMATLAB(1, &sorted, 1, sortInput, "sort");

    std::int64_t draws = 1;
    if (nrhs >= 3) {
        if (!shapeOf(prhs[2]).isScalarLike()) raiseError(kName, "bNotScalar", "B must be a scalar.");
        draws = readSize(kName, prhs[2]);
    }

    const mxArray* wArray = nrhs == 4 ? prhs[3] : nullptr;
    if (wArray != nullptr) {
        const Shape wShape = shapeOf(wArray);
        if (wShape.cols > 1) raiseError(kName, "wNotColumn", "W must be a column vector.");
        // A W whose further dimensions are 0 holds no weights at all.
        if (wShape.rows != xShape.rows || mxGetNumberOfElements(wArray) < n) {
            raiseError(kName, "wSizeMismatch", "W must be a same size as X.");
        }
        requireRealNumeric(kName, wArray);
    }
    requireRealNumeric(kName, xArray);
    const std::size_t resultCount = checkedCount(kName, draws, pShape.count());
    const std::size_t drawCount = static_cast<std::size_t>(draws);

    // Percentiles are placed only when there are observations and percentiles to place: an X or
    // P whose further dimensions are 0 has no values, and with no rows there is no segment at all,
    // so the result keeps its zeros. The draws still use their uniforms whenever n > 0.
    const bool placing = resultCount > 0 && mxGetNumberOfElements(xArray) >= n && mxGetNumberOfElements(sorted) >= k;
    // X is then read as doubles, which must be addressable (32-bit builds).
    if (placing) checkedCount(kName, xShape.rows, 1);

    // Validated: from here on nothing raises an error of its own.
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(drawCount), static_cast<mwSize>(k), mxREAL);
    double* result = mxGetPr(plhs[0]);

    double* p = nullptr;
    DoubleData x;
    DoubleData w;
    if (placing && n > 0) {
        DoubleData sortedValues = readDoubles(sorted, k);
        p = static_cast<double*>(mxMalloc(k * sizeof(double)));
        for (std::size_t c = 0; c < k; ++c) p[c] = sortedValues.values[c] / 100.0;
        releaseDoubles(sortedValues);
        x = readDoubles(xArray, n);
        if (wArray != nullptr) w = readDoubles(wArray, n);
    }
    mxDestroyArray(sorted);

    for (std::size_t first = 0; n > 0 && first < drawCount;) {
        const std::size_t chunkSize = chunkDraws(n, drawCount - first);
        mxArray* chunk = fetchUniformColumns(n, chunkSize);
        double* uniforms = mxGetPr(chunk);
        for (std::size_t t = 0; p != nullptr && t < chunkSize; ++t) {
            double* e = uniforms + t * n;
            const double total = drawBootstrapWeights(e, n, w.values);
            placePercentiles(x.values, e, n, total, p, k, result + first + t, drawCount);
        }
        // Each chunk goes as soon as it is used, so memory stays flat however many draws.
        mxDestroyArray(chunk);
        first += chunkSize;
    }

    if (p != nullptr) mxFree(p);
    releaseDoubles(w);
    releaseDoubles(x);
}
