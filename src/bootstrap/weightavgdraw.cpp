// weightavgdraw: Bayesian bootstrap draws of the column means of X.
//
//   M = weightavgdraw(X)        one draw; M is 1-by-m
//   M = weightavgdraw(X, B)     B draws; M is B-by-m
//   M = weightavgdraw(X, B, W)  B draws with prior weights W, a column of n
//
// X is n-by-m, one observation per row. Draw s gives the rows the weights g(i) = e(i) / total,
// e(i) = -ln u(i) (times W(i)) from n host uniforms, and row s of M is the sum over i, in
// ascending i, of X(i, :) * g(i), starting from 0 (sampling/bootstrap.hpp).
#include <cstdint>
#include <cstring>

#include "mex.h"
#include "mex/arguments.hpp"
#include "mex/bootstrap_call.hpp"
#include "mex/errors.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"
#include "mex/scratch.hpp"
#include "sampling/bootstrap.hpp"

using namespace montemex;

namespace {
const char* const kName = "weightavgdraw";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkOutputCount(kName, nlhs);
    checkInputCount(kName, nrhs >= 1 && nrhs <= 3);

    const mxArray* xArray = prhs[0];
    const Shape xShape = shapeOf(xArray);
    const std::size_t n = static_cast<std::size_t>(xShape.rows);
    const std::size_t m = static_cast<std::size_t>(xShape.cols);
    const BootstrapCall call =
        readBootstrapCall(kName, nrhs, prhs, 1, n, {"wLengthMismatch", "W must have same length as X."});
    requireRealNumeric(kName, xArray);
    const double results = static_cast<double>(call.draws) * static_cast<double>(m);
    checkUnseenDraws(kName, results, n, call.draws);
    // The result, a block of uniforms, the scratch of the sums and converted copies of X and W.
    const double xCopy = mxIsDouble(xArray) ? 0.0 : static_cast<double>(n) * static_cast<double>(m);
    const double wCopy = call.weights != nullptr && !mxIsDouble(call.weights) ? static_cast<double>(n) : 0.0;
    checkMemory(kName, bytesOfDoubles(results + static_cast<double>(meanScratch(n)) + xCopy + wCopy) +
                           blockBytes(n, call.draws));
    const std::size_t resultCount = checkedCount(kName, call.draws, xShape.cols);
    const std::size_t draws = static_cast<std::size_t>(call.draws);
    // An X whose further dimensions are 0 has no values; its draws still use their uniforms. (n * m
    // in 64 bits: on 32-bit builds it can pass a size_t.)
    const bool summing = resultCount > 0 && static_cast<std::uint64_t>(mxGetNumberOfElements(xArray)) >=
                                                static_cast<std::uint64_t>(xShape.count());

    // Validated: from here on nothing raises an error of its own.
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(draws), static_cast<mwSize>(m), mxREAL);
    double* result = mxGetPr(plhs[0]);
    // With no rows there is nothing to draw and every mean is the empty sum, 0.
    if (n == 0 || draws == 0) return;

    DoubleData x;
    DoubleData w;
    Scratch scratch;
    double* side = nullptr;
    if (summing) {
        x = readDoubles(xArray, n * m);
        if (call.weights != nullptr) w = readDoubles(call.weights, n);
        // Blocks of one draw need no scratch (addWeightedMeans); the first block is the widest.
        if (blockDraws(n, draws) > 1) {
            side = scratch.doubles(meanScratch(n));
            std::memset(side, 0, meanScratch(n) * sizeof(double));
        }
    }
    InterruptPoll poll;
    for (std::size_t first = 0; first < draws;) {
        const std::size_t blockSize = blockDraws(n, draws - first);
        mxArray* block = fetchUniformColumns(kName, n, blockSize);
        if (summing) {
            addWeightedMeans(mxGetPr(block), blockSize, x.values, n, m, w.values, result, draws, first, side, poll);
        }
        poll(blockSize * n);
        // Each block goes as soon as it is used, so memory stays flat however many draws.
        mxDestroyArray(block);
        first += blockSize;
    }
    scratch.release(side);
    releaseDoubles(w);
    releaseDoubles(x);
    // After the draws, as in every module: a warning made an error leaves the generator where
    // the call leaves it. A row of values typed where a column was meant is the usual slip.
    if (summing && xShape.rows == 1 && xShape.cols > 1) {
        warn(kName, "oneRow",
             "X is one row, and each row is one observation: every draw returns that row (pass X(:) for a "
             "sample in a row).");
    }
}
