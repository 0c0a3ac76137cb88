// weightavgdraw: Bayesian bootstrap draws of the column means of X.
//
//   M = weightavgdraw(X)        one draw; M is 1-by-m
//   M = weightavgdraw(X, B)     B draws; M is B-by-m
//   M = weightavgdraw(X, B, W)  B draws with prior weights W, a column of n
//
// X is n-by-m, one observation per row. Draw s gives the rows the weights g(i) = e(i) / total,
// e(i) = -ln u(i) (times W(i)) from n host uniforms (bootstrap_weights.hpp), and row s of M is
// the sum over i, in ascending i, of X(i, :) * g(i), starting from 0.
#include <cstdint>
#include <cstring>

#include "bootstrap/bootstrap_weights.hpp"
#include "common/arguments.hpp"
#include "common/errors.hpp"
#include "mex.h"

using namespace montemex;

namespace {

const char* const kName = "weightavgdraw";

// Draws are summed kBlock at a time, over slabs of at most kSlabRows rows. The block's weights for
// a slab are laid side by side, row i holding g(i) of each draw, so the inner loop runs over
// contiguous memory that stays in cache for every column of X, and vectorises; every result
// element still adds its terms one at a time in ascending i, carried from slab to slab in the
// result itself.
constexpr std::size_t kBlock = 8;
constexpr std::size_t kSlabRows = 4096;

// Normalises rows first ... first + rows - 1 of the `width` draws whose unnormalised weights start
// at columns[t] and lays them out in `side` (rows of kBlock). Columns past `width` keep whatever
// they held.
void layOutWeights(const double* const columns[], const double totals[], std::size_t width, std::size_t first,
                   std::size_t rows, double* side)
{
    for (std::size_t r = 0; r < rows; ++r) {
        double* row = side + r * kBlock;
        for (std::size_t t = 0; t < width; ++t) row[t] = columns[t][first + r] / totals[t];
    }
}

// Adds X(i, j) * g_t(i) for the slab's rows, in ascending i, to result(draw + t, j) for t < width.
// `x` points at the slab's first row; `stride` is X's column length. The unused columns of `side`
// only feed sums that are never stored.
void addWeightedRows(const double* x, std::size_t stride, std::size_t rows, std::size_t m, const double* side,
                     std::size_t width, double* result, std::size_t resultRows, std::size_t draw)
{
    for (std::size_t j = 0; j < m; ++j) {
        const double* column = x + j * stride;
        double* out = result + j * resultRows + draw;
        double sum[kBlock] = {};
        for (std::size_t t = 0; t < width; ++t) sum[t] = out[t];
        for (std::size_t r = 0; r < rows; ++r) {
            const double value = column[r];
            const double* row = side + r * kBlock;
            // Unrolled, the sums stay in registers (GCC and Clang; other compilers ignore it).
#pragma GCC unroll 8
            for (std::size_t t = 0; t < kBlock; ++t) sum[t] += value * row[t];
        }
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
    // An X whose further dimensions are 0 has no values; its draws still use their uniforms.
    // (n * m in 64 bits: it can pass a 32-bit size_t.)
    const bool summing = resultCount > 0 && mxGetNumberOfElements(xArray) >= static_cast<std::uint64_t>(xShape.count());
    // The values are read as doubles, which must be addressable (32-bit builds).
    if (summing) checkedCount(kName, xShape.rows, xShape.cols);

    // Validated: from here on nothing raises an error of its own.
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(drawCount), static_cast<mwSize>(m), mxREAL);
    double* result = mxGetPr(plhs[0]);
    // With no rows there is nothing to draw and every mean is the empty sum, 0.
    if (n == 0 || drawCount == 0) return;

    DoubleData x;
    DoubleData w;
    double* side = nullptr;
    if (summing) {
        x = readDoubles(xArray, n * m);
        if (wArray != nullptr) w = readDoubles(wArray, n);
        side = static_cast<double*>(mxMalloc(kSlabRows * kBlock * sizeof(double)));
        std::memset(side, 0, kSlabRows * kBlock * sizeof(double));
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
            for (std::size_t slab = 0; slab < n; slab += kSlabRows) {
                const std::size_t rows = n - slab < kSlabRows ? n - slab : kSlabRows;
                layOutWeights(columns, totals, width, slab, rows, side);
                addWeightedRows(x.values + slab, n, rows, m, side, width, result, drawCount, first + start);
            }
        }
        // Each chunk goes as soon as it is used, so memory stays flat however many draws.
        mxDestroyArray(chunk);
        first += chunkSize;
    }

    if (side != nullptr) mxFree(side);
    releaseDoubles(w);
    releaseDoubles(x);
}
