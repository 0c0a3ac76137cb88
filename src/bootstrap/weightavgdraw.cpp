// weightavgdraw: Bayesian bootstrap draws of the column means of X.
//
//   M = weightavgdraw(X)        one draw; M is 1-by-m
//   M = weightavgdraw(X, B)     B draws; M is B-by-m
//   M = weightavgdraw(X, B, W)  B draws with prior weights W, a column of n
//
// X is n-by-m, one observation per row. Draw s gives the rows the weights g(i) = e(i) / total,
// e(i) = -ln u(i) (times W(i)) from n host uniforms (bootstrap_weights.hpp), and row s of M is
// the sum over i, in ascending i, of X(i, :) * g(i), starting from 0.
#include <cstring>

#include "bootstrap/bootstrap_weights.hpp"
#include "common/arguments.hpp"
#include "common/errors.hpp"
#include "mex.h"

using namespace montemex;

namespace {

const char* const kName = "weightavgdraw";

// Draws are summed kBlock at a time. Their weights are laid side by side, row i holding g(i) of
// each draw of the block, so the inner loop runs over contiguous memory and vectorises, while every
// result element still adds its terms one at a time in ascending i.
constexpr std::size_t kBlock = 8;

// Normalises the `width` draws whose unnormalised weights start at columns[t] and lays them out
// row by row in `side` (n rows of kBlock). Columns past `width` are left as they are.
void layOutWeights(const double* const columns[], const double totals[], std::size_t width, std::size_t n,
                   double* side)
{
    for (std::size_t i = 0; i < n; ++i) {
        double* row = side + i * kBlock;
        for (std::size_t t = 0; t < width; ++t) row[t] = columns[t][i] / totals[t];
    }
}

// result(first + t, j) = sum over ascending i of X(i, j) * g_t(i), for t < width. The unused
// columns of `side` only feed sums that are never stored.
void addWeightedRows(const double* x, std::size_t n, std::size_t m, const double* side, std::size_t width,
                     double* result, std::size_t resultRows, std::size_t first)
{
    for (std::size_t j = 0; j < m; ++j) {
        const double* column = x + j * n;
        double sum[kBlock] = {};
        for (std::size_t i = 0; i < n; ++i) {
            const double value = column[i];
            const double* row = side + i * kBlock;
            // Unrolled, the sums stay in registers (GCC and Clang; other compilers ignore it).
#pragma GCC unroll 8
            for (std::size_t t = 0; t < kBlock; ++t) sum[t] += value * row[t];
        }
        double* out = result + j * resultRows + first;
        for (std::size_t t = 0; t < width; ++t) out[t] = sum[t];
    }
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkOutputCount(kName, nlhs);
    checkInputCount(kName, nrhs >= 1 && nrhs <= 3);

    const mxArray* xArray = prhs[0];
    const Shape xShape = shapeOf(xArray);
    const std::size_t n = static_cast<std::size_t>(xShape.rows);
    const std::size_t m = static_cast<std::size_t>(xShape.cols);

    std::int64_t draws = 1;
    if (nrhs >= 2) {
        if (!shapeOf(prhs[1]).isScalarLike()) raiseError(kName, "bNotScalar", "B must be a scalar.");
        draws = readSize(kName, prhs[1]);
    }

    const mxArray* wArray = nrhs == 3 ? prhs[2] : nullptr;
    if (wArray != nullptr) {
        const Shape wShape = shapeOf(wArray);
        if (wShape.cols > 1) raiseError(kName, "wNotColumn", "W must be a column vector.");
        // A W whose further dimensions are 0 holds no weights at all.
        if (wShape.rows != xShape.rows || mxGetNumberOfElements(wArray) < n) {
            raiseError(kName, "wLengthMismatch", "W must have same length as X.");
        }
        requireRealNumeric(kName, wArray);
    }
    requireRealNumeric(kName, xArray);
    const std::size_t resultCount = checkedCount(kName, draws, xShape.cols);
    const std::size_t drawCount = static_cast<std::size_t>(draws);

    // Validated: from here on nothing raises an error of its own.
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(drawCount), static_cast<mwSize>(m), mxREAL);
    double* result = mxGetPr(plhs[0]);

    // An X whose further dimensions are 0 has no values; its draws still use their uniforms.
    const bool summing = resultCount > 0 && mxGetNumberOfElements(xArray) >= n * m;
    // With no rows there is nothing to draw and every mean is the empty sum, 0.
    if (n == 0 || drawCount == 0) return;

    DoubleData x;
    DoubleData w;
    double* side = nullptr;
    if (summing) {
        x = readDoubles(xArray, n * m);
        if (wArray != nullptr) w = readDoubles(wArray, n);
        side = static_cast<double*>(mxMalloc(n * kBlock * sizeof(double)));
        std::memset(side, 0, n * kBlock * sizeof(double));
    }

    for (std::size_t first = 0; first < drawCount;) {
        const std::size_t chunkSize = chunkDraws(n, drawCount - first);
        mxArray* chunk = fetchUniformColumns(n, chunkSize);
        double* uniforms = mxGetPr(chunk);
        for (std::size_t start = 0; summing && start < chunkSize; start += kBlock) {
            const std::size_t width = chunkSize - start < kBlock ? chunkSize - start : kBlock;
            const double* columns[kBlock];
            double totals[kBlock];
            for (std::size_t t = 0; t < width; ++t) {
                double* u = uniforms + (start + t) * n;
                totals[t] = drawBootstrapWeights(u, n, w.values);
                columns[t] = u;
            }
            layOutWeights(columns, totals, width, n, side);
            addWeightedRows(x.values, n, m, side, width, result, drawCount, first + start);
        }
        // Each chunk goes as soon as it is used, so memory stays flat however many draws.
        mxDestroyArray(chunk);
        first += chunkSize;
    }

    if (side != nullptr) mxFree(side);
    releaseDoubles(w);
    releaseDoubles(x);
}
