// Particle resampling: from n weights (unnormalised, in particle order) to n 1-based particle
// indices, stored as doubles. The routines take the uniforms they use as an array, so that a
// caller can fetch them in one piece; drawResidual takes them from a source instead.
//
//   multinomial     each index drawn independently with probability w[i] / sum(w): index k is
//                   1 + the first position of the cumulative table cumsum(w) / sum(w) (last
//                   entry exactly 1) that is >= u[k] (Gordon, Salmond and Smith 1993)
//   residual        particle i first receives floor(E(i)) copies of its expected count
//                   E(i) = (w[i] / sum(w)) * n, written front to back in particle order; the R
//                   places left are drawn multinomially over the fractional remainders, with R
//                   uniforms, in their order (Liu and Chen 1998)
//   stratified      slot p receives the particle i whose cumulative expected count first reaches
//                   p + u[p], so each slot draws from its own stratum of width one (Kitagawa 1996);
//                   the result is nondecreasing
//   deterministic   floor(E(i)) copies, then the remainders resampled systematically with the
//                   fixed offset 0.5: a running sum started at 0.5 gives a particle one more copy
//                   each time it reaches 1; no uniforms at all
//
// Weights whose sum overflows are scaled down first (totalWeight, expected_counts.hpp); expected
// counts that rounding leaves just below a whole number count as that number. Degenerate weights
// (a total that is zero, negative or not finite) give the results their arithmetic gives; each
// routine returns the total so that a caller can tell. No routine writes past the n results,
// whatever the weights. Every routine takes a progress callback last (progress.hpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "compare.hpp"
#include "cumulative.hpp"
#include "expected_counts.hpp"
#include "progress.hpp"
#include "source.hpp"
#include "variates.hpp"

namespace montemex {

// ---- Multinomial ----

// The running sums of n >= 1 weights in table[0 ... n-1], the weights scaled down first when
// their sum overflows (totalWeight). Returns the total, table[n - 1].
template <typename Progress = NoProgress>
double accumulateScaled(const double* w, std::size_t n, double* table, Progress&& progress = Progress{})
{
    accumulateWeights(w, table, n, 1.0, progress);
    if (std::isinf(table[n - 1])) {
        const double scale = detail::overflowScale(w, n, progress);
        if (scale > 0.0) accumulateWeights(w, table, n, scale, progress);
    }
    return table[n - 1];
}

// out[k] for the n uniforms u[k] (out may be u). `table` is scratch for n doubles; `guide` holds
// guideSize(n, n) entries, or is null (plain bisection). Returns the total weight (1 when n is 0).
template <typename Progress = NoProgress>
double resampleMultinomial(const double* w, std::size_t n, const double* u, double* out, double* table,
                           std::uint32_t* guide, Progress&& progress = Progress{})
{
    if (n == 0) return 1.0;
    const double total = accumulateScaled(w, n, table, progress);
    normaliseCumulative(table, n, progress);
    searchEach(prepareSearch(table, n, n, guide, progress), u, out, n, progress);
    return total;
}

// ---- Residual ----

// The deterministic phase: writes the whole copies to out[0 ...] and each particle's fractional
// remainder (or its whole expected count when that is below 1) to remainders[i]. Returns how many
// copies were written; R = n minus that many places are left to draw. Copies never go past the
// n results: with negative weights the counts can add up to more, and the surplus is dropped.
// The legacy build lets a NaN count through the test; it then gives no copies.
template <typename Progress = NoProgress>
std::size_t residualCopies(const double* w, std::size_t n, const WeightTotal& total, double* out,
                           double* remainders, Progress&& progress = Progress{})
{
    std::size_t pos = 0;
    for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        const std::size_t first = pos;
        for (std::size_t i = begin; i < end; ++i) {
            double expected = expectedCount(w[i], total, n);
            if (legacyAtLeast(expected, 1.0)) {
                const std::size_t copies = wholeCopies(expected, n - pos);
                expected = expected - static_cast<double>(copies);
                for (std::size_t c = 0; c < copies; ++c) out[pos++] = static_cast<double>(i + 1);
            }
            remainders[i] = expected;
        }
        progress(end - begin + pos - first);
    }
    return pos;
}

// Turns the remainders into the cumulative table of the R places left: each divided by R, then
// summed in ascending order, the last entry set to exactly 1. n >= 1.
template <typename Progress = NoProgress>
void residualTable(double* remainders, std::size_t n, std::size_t remaining, Progress&& progress = Progress{})
{
    for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        for (std::size_t i = begin; i < end; ++i) remainders[i] = remainders[i] / static_cast<double>(remaining);
        for (std::size_t i = begin > 0 ? begin : 1; i < end; ++i) remainders[i] = remainders[i - 1] + remainders[i];
        progress(2 * (end - begin));
    }
    remainders[n - 1] = 1.0;
}

// The random phase: out[k] for the R uniforms u[k] (out may be u), over residualTable's table.
// `guide` holds guideSize(n, R) entries, or is null.
template <typename Progress = NoProgress>
void residualDraws(const double* table, std::size_t n, const double* u, std::size_t remaining, double* out,
                   std::uint32_t* guide, Progress&& progress = Progress{})
{
    if (n == 0) return;
    searchEach(prepareSearch(table, n, remaining, guide, progress), u, out, remaining, progress);
}

// Residual resampling with the R uniforms from the source. `scratch` holds n doubles.
template <typename Source>
void drawResidual(Source& source, const double* w, std::size_t n, double* out, double* scratch)
{
    if (n == 0) return;
    const std::size_t pos = residualCopies(w, n, totalWeight(w, n), out, scratch);
    const std::size_t remaining = n - pos;
    residualTable(scratch, n, remaining);
    reserveUniforms(source, remaining);
    for (std::size_t k = pos; k < n; ++k) out[k] = drawUniform(source);
    residualDraws(scratch, n, out + pos, remaining, out + pos, nullptr);
}

// ---- Stratified ----

// out[p] for the n uniforms u[p], in one pass. The running form: acc gathers expected counts;
// whole units of acc fill slots without looking at their uniforms, and what is left competes
// with the next slot's uniform. A NaN acc (zero or non-finite total weight) passes neither test,
// in every build: such slots keep what out held (the modules pass zeros). Whole units never fill
// more slots than remain (negative weights can ask for more).
template <typename Progress = NoProgress>
void resampleStratified(const double* w, std::size_t n, const WeightTotal& total, const double* u, double* out,
                        Progress&& progress = Progress{})
{
    double acc = 0.0;
    std::size_t pos = 0;
    for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        const std::size_t first = pos;
        for (std::size_t i = begin; i < end; ++i) {
            const double index = static_cast<double>(i + 1);
            acc = acc + expectedCount(w[i], total, n);
            if (acc >= 1.0) {
                const std::size_t copies = wholeCopies(acc, n - pos);
                acc = acc - static_cast<double>(copies);
                for (std::size_t c = 0; c < copies; ++c) out[pos++] = index;
            }
            if (pos < n && u[pos] <= acc) {
                out[pos++] = index;
                acc = acc - 1.0;
            }
        }
        progress(end - begin + pos - first);
    }
}

// ---- Deterministic ----

// out[0 ... n-1] without any uniform. Writes stop when the result is full (negative weights can
// ask for more than n copies); unfilled places keep what out held. The legacy build counts a NaN
// as reaching 1 at both tests: a NaN count gives no whole copies but one extra copy.
template <typename Progress = NoProgress>
void resampleDeterministic(const double* w, std::size_t n, const WeightTotal& total, double* out,
                           Progress&& progress = Progress{})
{
    double acc = 0.5;
    std::size_t pos = 0;
    for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        const std::size_t first = pos;
        for (std::size_t i = begin; i < end; ++i) {
            const double index = static_cast<double>(i + 1);
            double expected = expectedCount(w[i], total, n);
            if (legacyAtLeast(expected, 1.0)) {
                const std::size_t copies = wholeCopies(expected, n - pos);
                expected = expected - static_cast<double>(copies);
                for (std::size_t c = 0; c < copies; ++c) out[pos++] = index;
            }
            acc = acc + expected;
            if (legacyAtLeast(acc, 1.0) && pos < n) {
                out[pos++] = index;
                acc = acc - 1.0;
            }
        }
        progress(end - begin + pos - first);
    }
}

}  // namespace montemex
