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

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "branchless.hpp"
#include "compare.hpp"
#include "cumulative.hpp"
#include "expected_counts.hpp"
#include "progress.hpp"
#include "source.hpp"
#include "variates.hpp"

namespace montemex {

namespace detail {

// out[0 ... count - 1] = value: the copies of one particle in a resample, which can fill a whole
// result. Beyond a progress chunk they are written a chunk at a time, each reported, so that the
// caller's own report (which counts them again) does not come only after them all.
template <typename Progress>
void writeCopies(double* out, std::size_t count, double value, Progress& progress)
{
    if (count <= kProgressChunk) {
        for (std::size_t k = 0; k < count; ++k) out[k] = value;
        return;
    }
    for (std::size_t begin = 0; begin < count; begin = chunkEnd(begin, count)) {
        const std::size_t end = chunkEnd(begin, count);
        for (std::size_t k = begin; k < end; ++k) out[k] = value;
        progress(end - begin);
    }
}

}  // namespace detail

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
// copies were written; R = n minus that many places are left to draw, and the first of them may
// have been written too (the draws of those places write them all).
//
// Copies never go past the n results: with negative weights the counts can add up to more, and
// the surplus is dropped. The legacy build lets a NaN count through the test; it then gives no
// copies.
template <typename Progress = NoProgress>
std::size_t residualCopies(const double* w, std::size_t n, const WeightTotal& total, double* out, double* remainders,
                           Progress&& progress = Progress{})
{
    std::size_t pos = 0;
    for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        const std::size_t first = pos;
        for (std::size_t i = begin; i < end; ++i) {
            double expected = expectedCount(w[i], total, n);
            if (expected < 2.0 && pos < n) {
                // The common case, at most one whole copy, without a branch on whether there is
                // one (expected counts spread around 1 would make it mispredict every other
                // particle): the particle is written at pos either way, and pos moves past it
                // only for a copy; a place it does not keep is written again later (by a copy or
                // by the draws of the places left). expected - 1 is exact for expected in [1, 2).
                out[pos] = static_cast<double>(i + 1);
                pos += static_cast<std::size_t>(expected >= 1.0);
                remainders[i] = pickIfAtLeast(expected, 1.0, expected - 1.0, expected);
                continue;
            }
            if (legacyAtLeast(expected, 1.0)) {
                const std::size_t copies = wholeCopies(expected, n - pos);
                expected = expected - static_cast<double>(copies);
                detail::writeCopies(out + pos, copies, static_cast<double>(i + 1), progress);
                pos += copies;
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

// ---- Stratified and deterministic ----
//
// Both walk the particles once, with a running sum acc; each particle fills the next few slots.
// They work a slice of particles at a time: first the expected counts (expected_counts.hpp),
// then how many slots each particle fills, then the writes. The common step (at most one whole
// unit and one more slot, and two slots or more left) has no branch on its outcome: expected
// counts spread around 1 would make such branches mispredict every other particle. It picks the
// new acc among values computed for every outcome, each with the operations the plain step
// (written out for the other cases) does for that outcome, so acc takes exactly the same values.

namespace detail {

// How many slots each particle of a slice fills.
struct SliceSlots {
    std::size_t slots[kSliceParticles];
};

// Writes particle first + k + 1 into its slots, for the slice's `count` particles, from slot pos
// on; the slice fills slots pos ... end - 1.
//
// A particle that fills one or two slots writes both of its next two slots (when they exist)
// without a branch on how many it fills: a slot written too early is written again by the
// particle that fills it, and the two slots from `end` on, never filled here, get back what they
// held.
template <typename Progress>
void writeSlots(const SliceSlots& slice, std::size_t count, std::size_t first, std::size_t pos, std::size_t end,
                std::size_t n, double* out, Progress& progress)
{
    const std::size_t kept = end + 2 <= n ? 2 : n - end;
    double held[2] = {0.0, 0.0};
    for (std::size_t c = 0; c < kept; ++c) held[c] = out[end + c];
    for (std::size_t k = 0; k < count; ++k) {
        const double index = static_cast<double>(first + k + 1);
        const std::size_t slots = slice.slots[k];
        if (slots <= 2 && pos + 1 < n) {
            out[pos] = index;
            out[pos + 1] = index;
        } else {
            writeCopies(out + pos, slots, index, progress);
        }
        pos += slots;
    }
    for (std::size_t c = 0; c < kept; ++c) out[end + c] = held[c];
}

// Walks the n particles a slice at a time: the slice's expected counts, then for each particle k
// slotsOf(acc, counts, k, pos), how many slots it fills from slot pos on (the caller's step, which
// updates the running sum acc, starting at `start`), then the writes.
template <typename SlotsOf, typename Progress>
void walkInSlices(const double* w, std::size_t n, const WeightTotal& total, double* out, Progress& progress,
                  double start, SlotsOf slotsOf)
{
    double acc = start;
    std::size_t pos = 0;
    SliceCounts counts;
    SliceSlots fills;
    for (std::size_t begin = 0; begin < n; begin += kSliceParticles) {
        const std::size_t count = std::min(kSliceParticles, n - begin);
        const std::size_t first = pos;
        expectedCounts(w + begin, count, total, n, counts);
        for (std::size_t k = 0; k < count; ++k) {
            fills.slots[k] = slotsOf(acc, counts, k, pos);
            pos += fills.slots[k];
        }
        writeSlots(fills, count, begin, first, pos, n, out, progress);
        progress(count + pos - first);
    }
}

}  // namespace detail

namespace detail {

// The running form's step of stratified resampling for any acc (see resampleStratified), which
// has just gathered the particle's expected count: the slots it fills from slot pos on.
inline std::size_t stratifiedStep(double& acc, const double* u, std::size_t n, std::size_t pos)
{
    std::size_t copies = 0;
    if (acc >= 1.0) {
        copies = wholeCopies(acc, n - pos);
        acc = acc - static_cast<double>(copies);
    }
    const bool take = pos + copies < n && u[pos + copies] <= acc;
    if (take) acc = acc - 1.0;
    return copies + static_cast<std::size_t>(take);
}

}  // namespace detail

// out[p] for the n uniforms u[p], in one pass. The running form: acc gathers expected counts;
// whole units of acc fill slots without looking at their uniforms, and what is left competes
// with the next slot's uniform.
//
// A NaN acc (zero or non-finite total weight) passes neither test, in every build: such slots
// keep what out held (the modules pass zeros). Whole units never fill more slots than remain
// (negative weights can ask for more).
template <typename Progress = NoProgress>
void resampleStratified(const double* w, std::size_t n, const WeightTotal& total, const double* u, double* out,
                        Progress&& progress = Progress{})
{
    // The common step is kept small, so that the compiler writes it into the walk's loop, where
    // acc stays in a register: each particle's step waits on the one before.
    const auto step = [n, u](double& acc, const SliceCounts& counts, std::size_t k, std::size_t pos) {
        acc = acc + counts.count(k, n);
        if (acc < 3.0 && pos + 2 < n) {
            // At most two whole units, then the stratum test. What is left after the whole units
            // is acc - 0 (acc itself), acc - 1 or acc - 2, the values the running form computes
            // when it removes them, picked among the three (the comparisons and subtractions run
            // side by side).
            const std::size_t copies = static_cast<std::size_t>(acc >= 1.0) + static_cast<std::size_t>(acc >= 2.0);
            const double rest = pickIfAtLeast(acc, 2.0, acc - 2.0, pickIfAtLeast(acc, 1.0, acc - 1.0, acc));
            const double next = u[pos + copies];
            acc = pickIfAtMost(next, rest, rest - 1.0, rest);
            return copies + static_cast<std::size_t>(next <= rest);
        }
        return detail::stratifiedStep(acc, u, n, pos);
    };
    detail::walkInSlices(w, n, total, out, progress, 0.0, step);
}

// out[0 ... n-1] without any uniform. Writes stop when the result is full (negative weights can
// ask for more than n copies); unfilled places keep what out held. The legacy build counts a NaN
// as reaching 1 at both tests: a NaN count gives no whole copies but one extra copy.
template <typename Progress = NoProgress>
void resampleDeterministic(const double* w, std::size_t n, const WeightTotal& total, double* out,
                           Progress&& progress = Progress{})
{
    const auto step = [n](double& acc, const SliceCounts& counts, std::size_t k, std::size_t pos) {
        const double quotient = counts.quotients[k];
        if (quotient < 2.0 && counts.checks[k] <= 0.0 && pos + 1 < n) {
            // At most one whole copy (count >= 1, and then count - 1 is exact), and the test of acc.
            acc = acc + pickIfAtLeast(quotient, 1.0, quotient - 1.0, quotient);
            const bool take = legacyAtLeast(acc, 1.0);
            acc = pickIfLegacyAtLeast(acc, 1.0, acc - 1.0, acc);
            return static_cast<std::size_t>(quotient >= 1.0) + static_cast<std::size_t>(take);
        }
        double expected = counts.count(k, n);
        std::size_t copies = 0;
        if (legacyAtLeast(expected, 1.0)) {
            copies = wholeCopies(expected, n - pos);
            expected = expected - static_cast<double>(copies);
        }
        acc = acc + expected;
        const bool take = legacyAtLeast(acc, 1.0) && pos + copies < n;
        if (take) acc = acc - 1.0;
        return copies + static_cast<std::size_t>(take);
    };
    detail::walkInSlices(w, n, total, out, progress, 0.5, step);
}

}  // namespace montemex
