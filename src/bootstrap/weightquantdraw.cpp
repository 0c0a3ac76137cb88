// weightquantdraw: Bayesian bootstrap draws of weighted percentiles of a sample.
//
//   Q = weightquantdraw(X, P)        one draw; Q is 1-by-K
//   Q = weightquantdraw(X, P, B)     B draws; Q is B-by-K
//   Q = weightquantdraw(X, P, B, W)  B draws with prior weights W, a column of n
//
// X's first column holds the n observations, in ascending order for true percentiles (X is not
// sorted here). P holds K percentiles; the host's "sort" orders them and column k of Q holds the
// k-th smallest. Draw s gives the observations the weights e(i) / total of the bootstrap weight
// draw and reads each percentile off the piecewise linear quantile function through the points
// (G(i), X(i)), G the cumulative weights (sampling/bootstrap.hpp). Percentiles above 100 are
// never reached and stay 0.
#include "mex.h"
#include "mex/arguments.hpp"
#include "mex/bootstrap_call.hpp"
#include "mex/errors.hpp"
#include "mex/host_results.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"
#include "mex/scratch.hpp"
#include "sampling/bootstrap.hpp"

using namespace montemex;

namespace {

const char* const kName = "weightquantdraw";

// No x(i) above x(i + 1); NaN compares as neither.
bool isAscending(const double* x, std::size_t n, InterruptPoll& poll)
{
    for (std::size_t begin = 1; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        for (std::size_t i = begin; i < end; ++i) {
            if (x[i - 1] > x[i]) return false;
        }
        poll(end - begin);
    }
    return true;
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
    // K is the product of P's first two dimensions, 0 for a P like 1-by-3-by-0 that holds no values.
    const Shape pShape = valuesShapeOf(pArray);
    if (pShape.rows > 1 && pShape.cols > 1) raiseError(kName, "pNotVector", "P must be a vector.");
    requireRealNumeric(kName, pArray);
    const std::size_t k = static_cast<std::size_t>(pShape.count());
    mxArray* sortInput[1] = {const_cast<mxArray*>(pArray)};
    mxArray* sorted = nullptr;
    mexCallMATLAB(1, &sorted, 1, sortInput, "sort");
    // The host's sort orders P along its first dimension longer than 1, so the k values read
    // below are in order even when P has further dimensions.
    checkSorted(kName, sorted, pArray, k);

    const BootstrapCall call =
        readBootstrapCall(kName, nrhs, prhs, 2, n, {"wSizeMismatch", "W must be a same size as X."});
    requireRealNumeric(kName, xArray);
    const double results = static_cast<double>(call.draws) * static_cast<double>(k);
    checkUnseenDraws(kName, results, n, call.draws);
    // The result, a block of uniforms, the percentiles as fractions and converted copies of X and W.
    const double xCopy = mxIsDouble(xArray) ? 0.0 : static_cast<double>(n);
    const double wCopy = call.weights != nullptr && !mxIsDouble(call.weights) ? static_cast<double>(n) : 0.0;
    checkMemory(kName, bytesOfDoubles(results + static_cast<double>(k) + xCopy + wCopy) + blockBytes(n, call.draws));
    const std::size_t resultCount = checkedCount(kName, call.draws, pShape.count());
    const std::size_t draws = static_cast<std::size_t>(call.draws);

    // Percentiles are placed only when there are observations and percentiles to place: an X or
    // P whose further dimensions are 0 has no values, and with no rows there is no segment at all,
    // so the result keeps its zeros. The draws still use their uniforms whenever n > 0.
    const bool placing = resultCount > 0 && mxGetNumberOfElements(xArray) >= n && mxGetNumberOfElements(sorted) >= k;

    // Validated: from here on nothing raises an error of its own.
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(draws), static_cast<mwSize>(k), mxREAL);
    double* result = mxGetPr(plhs[0]);

    Scratch scratch;
    double* p = nullptr;
    DoubleData x;
    DoubleData w;
    bool unsorted = false;
    bool outOfRange = false;
    InterruptPoll poll;
    if (placing && n > 0) {
        DoubleData sortedValues = readDoubles(sorted, k);
        p = scratch.doubles(k);
        for (std::size_t c = 0; c < k; ++c) p[c] = sortedValues.values[c] / 100.0;
        releaseDoubles(sortedValues);
        // Sorted, with any NaN last: the ends tell whether a fraction lies outside [0, 1].
        outOfRange = p[0] < 0.0 || !(p[k - 1] <= 1.0);
        x = readDoubles(xArray, n);
        if (call.weights != nullptr) w = readDoubles(call.weights, n);
        unsorted = !isAscending(x.values, n, poll);
    }
    mxDestroyArray(sorted);

    for (std::size_t first = 0; n > 0 && first < draws;) {
        const std::size_t blockSize = blockDraws(n, draws - first);
        mxArray* block = fetchUniformColumns(kName, n, blockSize);
        double* uniforms = mxGetPr(block);
        for (std::size_t t = 0; p != nullptr && t < blockSize; ++t) {
            double* e = uniforms + t * n;
            const double total = exponentialWeights(e, n, w.values, poll);
            placePercentiles(x.values, e, n, total, p, k, result + first + t, draws, poll);
        }
        poll(blockSize * n);
        // Each block goes as soon as it is used, so memory stays flat however many draws.
        mxDestroyArray(block);
        first += blockSize;
    }
    scratch.release(p);
    releaseDoubles(w);
    releaseDoubles(x);
    // After the draws, as in every module: a warning made an error leaves the generator where
    // the call leaves it.
    if (placing && n == 1 && xShape.cols > 1) {
        warn(kName, "oneRow",
             "X is one row, and each row is one observation: only X(1) is read (pass X(:) for a sample in a row).");
    }
    if (outOfRange) {
        warn(kName, "percentRange",
             "P holds values outside 0 to 100 or NaN, which are no percentiles: below 0 gives X(1), above 100 "
             "gives 0.");
    }
    if (unsorted) {
        warn(kName, "unsortedX",
             "X is not sorted in ascending order: the percentiles are not those of the sample (pass sort(X)).");
    }
}
