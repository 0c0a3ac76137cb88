// The Bayesian bootstrap (Rubin 1981, "The Bayesian bootstrap", Annals of Statistics 9, 130-134).
//
// One draw gives n observations the weights e(i) / sum(e), e(i) = -ln u(i) for n uniforms,
// each multiplied by its prior weight w(i) when prior weights are given. Without prior weights
// they are a flat Dirichlet draw. From such a draw come weighted means of the columns of a data
// matrix and weighted percentiles of a sorted sample.
#pragma once

#include <cmath>
#include <cstddef>

#include "compare.hpp"
#include "progress.hpp"

namespace montemex {

// Overwrites u(0 ... n-1) with e(i) = (-ln u(i)) * w(i) (w may be null: no prior weights) and
// returns the sum of the e(i), accumulated in ascending i.
template <typename Progress = NoProgress>
double exponentialWeights(double* u, std::size_t n, const double* w, Progress&& progress = Progress{})
{
    double total = 0.0;
    for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        if (w == nullptr) {
            for (std::size_t i = begin; i < end; ++i) {
                u[i] = -std::log(u[i]);
                total += u[i];
            }
        } else {
            for (std::size_t i = begin; i < end; ++i) {
                u[i] = (-std::log(u[i])) * w[i];
                total += u[i];
            }
        }
        progress(4 * (end - begin));
    }
    return total;
}

// ---- Weighted means ----
//
// Result row s is the sum over i, in ascending i, of X(i, :) * g_s(i), g_s(i) = e_s(i) / total_s,
// starting from what the result holds (zeros). Draws are summed kMeanBlock at a time, over slabs
// of at most kMeanSlabRows rows: the block's weights for a slab are laid side by side, row i
// holding g(i) of each draw, so the inner loop runs over contiguous memory that stays in cache for
// every column of X, and vectorises; every result element still adds its terms one at a time in
// ascending i, carried from slab to slab in the result itself.
constexpr std::size_t kMeanBlock = 8;
constexpr std::size_t kMeanSlabRows = 4096;

// Scratch the accumulation needs, in doubles: at most a slab of rows, kMeanBlock doubles each.
constexpr std::size_t kMeanScratch = kMeanBlock * kMeanSlabRows;

// The scratch for n observations: a slab holds no more rows than there are (a small call would
// otherwise allocate and clear 256 KB, which took as long as the rest of a call on 50 values).
inline std::size_t meanScratch(std::size_t n)
{
    return kMeanBlock * (n < kMeanSlabRows ? n : kMeanSlabRows);
}

// Normalises rows first ... first + rows - 1 of the `width` draws whose unnormalised weights start
// at columns[t] and lays them out in `side` (rows of kMeanBlock). Columns past `width` keep
// whatever they held.
inline void layOutWeights(const double* const columns[], const double totals[], std::size_t width, std::size_t first,
                          std::size_t rows, double* side)
{
    for (std::size_t r = 0; r < rows; ++r) {
        double* row = side + r * kMeanBlock;
        for (std::size_t t = 0; t < width; ++t) row[t] = columns[t][first + r] / totals[t];
    }
}

// Adds X(i, j) * g_t(i) for the slab's rows, in ascending i, to result(draw + t, j) for t < width.
// `x` points at the slab's first row; `stride` is X's column length. The unused columns of `side`
// only feed sums that are never stored.
template <typename Progress>
void addWeightedRows(const double* x, std::size_t stride, std::size_t rows, std::size_t m, const double* side,
                     std::size_t width, double* result, std::size_t resultRows, std::size_t draw, Progress& progress)
{
    for (std::size_t j = 0; j < m; ++j) {
        const double* column = x + j * stride;
        double* out = result + j * resultRows + draw;
        double sum[kMeanBlock] = {};
        for (std::size_t t = 0; t < width; ++t) sum[t] = out[t];
        for (std::size_t r = 0; r < rows; ++r) {
            const double value = column[r];
            const double* row = side + r * kMeanBlock;
            // Unrolled, the sums stay in registers (GCC and Clang; other compilers ignore it).
#pragma GCC unroll 8
            for (std::size_t t = 0; t < kMeanBlock; ++t) sum[t] += value * row[t];
        }
        for (std::size_t t = 0; t < width; ++t) out[t] = sum[t];
        progress(rows * kMeanBlock);
    }
}

// Weighted means for `count` consecutive draws whose n uniforms each lie in columns of `uniforms`
// (draw t's at uniforms + t * n, overwritten by its weights): rows draw ... draw + count - 1 of the
// result (resultRows rows, m columns).
//
// x is n-by-m, w the prior weights or null; `side` is meanScratch(n) doubles of scratch,
// zero-filled by the caller before its first use.
//
// A block of one draw (the usual small call) sums its one column of weights directly: the same
// divisions and the same additions in the same order as the first lane of the blocked sums, without
// their other seven, and `side` is not used (it may be null).
template <typename Progress = NoProgress>
void addWeightedMeans(double* uniforms, std::size_t count, const double* x, std::size_t n, std::size_t m,
                      const double* w, double* result, std::size_t resultRows, std::size_t draw, double* side,
                      Progress&& progress = Progress{})
{
    if (count == 1) {
        double* g = uniforms;
        const double total = exponentialWeights(g, n, w, progress);
        for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
            const std::size_t end = chunkEnd(begin, n);
            for (std::size_t i = begin; i < end; ++i) g[i] = g[i] / total;
            progress(end - begin);
        }
        for (std::size_t j = 0; j < m; ++j) {
            const double* column = x + j * n;
            double sum = result[j * resultRows + draw];
            for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
                const std::size_t end = chunkEnd(begin, n);
                for (std::size_t i = begin; i < end; ++i) sum += column[i] * g[i];
                progress(end - begin);
            }
            result[j * resultRows + draw] = sum;
        }
        return;
    }
    for (std::size_t start = 0; start < count; start += kMeanBlock) {
        const std::size_t width = count - start < kMeanBlock ? count - start : kMeanBlock;
        const double* columns[kMeanBlock];
        double totals[kMeanBlock];
        for (std::size_t t = 0; t < width; ++t) {
            double* u = uniforms + (start + t) * n;
            totals[t] = exponentialWeights(u, n, w, progress);
            columns[t] = u;
        }
        for (std::size_t slab = 0; slab < n; slab += kMeanSlabRows) {
            const std::size_t rows = n - slab < kMeanSlabRows ? n - slab : kMeanSlabRows;
            layOutWeights(columns, totals, width, slab, rows, side);
            addWeightedRows(x + slab, n, rows, m, side, width, result, resultRows, draw + start, progress);
        }
    }
}

// ---- Weighted percentiles ----

// One draw: places the ascending fractions p(0 ... K-1) into result(s, :) (column stride
// `resultRows`, first element at `result`) from the observations x (ascending for true
// percentiles) and their unnormalised weights e, whose sum is `total`.
//
// The quantile function is flat at x(1) up to the first cumulative weight G(1) and linear between
// (G(i-1), x(i-1)) and (G(i), x(i)); G(n) is exactly 1, and a percentile equal to G(i) belongs to
// segment i. Each percentile is placed at most once, the scan going on where the previous segment
// stopped; percentiles above 1 are never reached and keep what result held. Legacy build: the
// comparison p <= G counts as true when either side is NaN.
template <typename Progress = NoProgress>
void placePercentiles(const double* x, const double* e, std::size_t n, double total, const double* p, std::size_t k,
                      double* result, std::size_t resultRows, Progress&& progress = Progress{})
{
    // A step for each segment and each percentile placed (all can fall into one segment).
    std::size_t work = 0;
    const auto step = [&work, &progress] {
        if (++work == kProgressChunk) {
            progress(work);
            work = 0;
        }
    };
    std::size_t placed = 0;
    double upper = e[0] / total;
    while (placed < k && legacyAtMost(p[placed], upper)) {
        result[placed * resultRows] = x[0];
        ++placed;
        step();
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
            step();
        }
        step();
    }
    progress(work);
}

}  // namespace montemex
