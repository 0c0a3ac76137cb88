// Many gamma variates of one shape from a block of uniforms already drawn, with exactly the values
// and the numbers that drawGamma (gamma.hpp) gives and uses drawing them one at a time.
//
// drawGamma's rejection method spends two uniforms per attempt, and an attempt's arithmetic
// depends on its own two numbers alone. With a block of numbers in hand, the attempts at every
// place where one can start are evaluated together, a tile at a time, in loops of independent
// iterations that the compiler turns into vector instructions (square roots and divisions are
// correctly rounded there as well). The exact test needs two logarithms; quickLog
// (quick_log.hpp) decides it wherever its two sides are clearly apart, and std::log decides the
// rest, as in drawGamma. A walk then gives each variate the first accepted attempt from its own
// start, without branching on the outcome of every attempt. On 64-bit Linux a copy of it built for
// AVX2 is chosen at run time where the processor has it (drawGammaBatch, at the end).
//
// Where attempts can start:
//   rejection path (a >= 1.00001)  every attempt takes two numbers, so attempts start only an
//                                  even number of places after the block's first: those places
//                                  are evaluated, every one of them is used, and the accepted
//                                  candidates, in order, are the variates;
//   boost path (0.00001 <= a <= 1) each variate takes its own uniform, then attempts for a + 1:
//                                  one variate's attempts start at odd places, the next one's at
//                                  even places, so every place is evaluated (somewhat more than
//                                  half of them are never used), and the walk follows a table of
//                                  "next accepted attempt".
// Other shapes draw at most one number per variate and are left to drawGamma.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "avx2.hpp"
#include "gamma.hpp"
#include "quick_log.hpp"

namespace montemex {

// What drawGammaBatch drew: out[0 .. variates), from the first uniformsUsed numbers of the block.
struct GammaBatch {
    std::size_t variates = 0;
    std::size_t uniformsUsed = 0;
};

// Whether drawGammaBatch draws variates of shape a.
inline bool hasGammaBatch(double a)
{
    return minimumGammaUniforms(a) >= 2;
}

namespace detail {

// Attempts evaluated together, a tile: their arrays stay in the first-level cache. Fewer than
// kMaxGammaAttempts, so that only a variate whose attempts began in an earlier tile can reach it.
inline constexpr std::size_t kAttemptTile = 256;
static_assert(kAttemptTile < static_cast<std::size_t>(kMaxGammaAttempts), "see the walks");

// Blocks shorter than this are left to drawGamma: evaluating a tile would cost more than it saves.
inline constexpr std::size_t kShortestBatchBlock = 64;

// Attempts that need the exact test go through the logarithms in groups of this many: a count
// known to the compiler, so that it vectorises the loop.
inline constexpr std::size_t kLogGroup = 8;

// The attempts of one tile: attempt j starts at numbers[j * Stride] of the block, or of `tail`,
// a copy filled up past the block's end, for the block's last tile.
struct AttemptTile {
    double tail[2 * kAttemptTile + 1];
    double x[kAttemptTile];  // the candidate
    double y[kAttemptTile];
    double z[kAttemptTile];
    double accepted[kAttemptTile];  // 1 or 0
};

// The exact test, 2 (b ln(x / b) - y) >= ln z, for the `count` attempts listed in `open`.
//
// quickLog decides where the two sides are clearly apart. Why its decisions agree with
// passesExactTest: with F1 and F2 the quickLog values for ln(x / b) and ln z, e = kQuickLogError,
// and std::log within 2^-40 of ln (relative; C libraries are within a unit or two of 2^-52), F1
// and F2 lie within 1.0002 e of std::log's values, relative. Carried through b F1 - y, its
// rounding, the doubling and the subtraction below, the difference D computed here lies within
// 2.01 e S of the difference of passesExactTest's two sides, S = |b F1| + |y| + |F2|. The
// margin, 8 e S, is four times that. A NaN (quickLog outside its range, an overflow) fails both
// comparisons. passesExactTest itself decides the rest, next to never.
inline void decideByLogarithms(AttemptTile& tile, const std::uint16_t* open, std::size_t count, double b)
{
    constexpr std::size_t size = kAttemptTile + kLogGroup;
    double x[size];
    double y[size];
    double z[size];
    for (std::size_t k = 0; k < count; ++k) {
        x[k] = tile.x[open[k]];
        y[k] = tile.y[open[k]];
        z[k] = tile.z[open[k]];
    }
    // Up to a whole group with attempts that decide nothing: x = b, y = 0, z = 1/2.
    const std::size_t groups = (count + kLogGroup - 1) / kLogGroup;
    for (std::size_t k = count; k < groups * kLogGroup; ++k) {
        x[k] = b;
        y[k] = 0.0;
        z[k] = 0.5;
    }
    double holds[size];
    double fails[size];
    for (std::size_t group = 0; group < groups; ++group) {
        for (std::size_t lane = 0; lane < kLogGroup; ++lane) {
            const std::size_t k = group * kLogGroup + lane;
            double logT;
            double logZ;
            quickLogPair(x[k] / b, z[k], logT, logZ);
            const double scaledLog = b * logT;
            const double difference = 2.0 * (scaledLog - y[k]) - logZ;
            const double margin = 8.0 * kQuickLogError * (std::fabs(scaledLog) + std::fabs(y[k]) + std::fabs(logZ));
            holds[k] = difference > margin ? 1.0 : 0.0;
            fails[k] = difference < -margin ? 1.0 : 0.0;
        }
    }
    // Undecided attempts (neither holds nor fails), counted lane by lane, in a loop of their own:
    // counted in the loop above, they keep the compiler from vectorising it.
    double pending[kLogGroup] = {};
    for (std::size_t group = 0; group < groups; ++group) {
        for (std::size_t lane = 0; lane < kLogGroup; ++lane) {
            const std::size_t k = group * kLogGroup + lane;
            pending[lane] += 1.0 - holds[k] - fails[k];
        }
    }
    for (std::size_t k = 0; k < count; ++k) tile.accepted[open[k]] = holds[k];
    double undecided = 0.0;
    for (std::size_t lane = 0; lane < kLogGroup; ++lane) undecided += pending[lane];
    if (undecided == 0.0) return;
    for (std::size_t k = 0; k < count; ++k) {
        if (holds[k] + fails[k] == 0.0) tile.accepted[open[k]] = passesExactTest({x[k], y[k], z[k]}, b) ? 1.0 : 0.0;
    }
}

// Evaluates all kAttemptTile attempts of the tile (a count known here, so that the loops are
// vectorised) into tile.accepted.
template <std::size_t Stride>
void evaluateAttempts(const double* __restrict numbers, AttemptTile& tile, double b, double c)
{
    constexpr std::size_t n = kAttemptTile;
    // Outcomes as doubles, 1 or 0, each from one comparison: a form the compiler vectorises.
    double positive[n];
    double cheap[n];
    for (std::size_t j = 0; j < n; ++j) {
        const BestAttempt t = bestAttempt(numbers[j * Stride], numbers[j * Stride + 1], b, c);
        tile.x[j] = t.x;
        tile.y[j] = t.y;
        tile.z[j] = t.z;
        positive[j] = t.x >= 0.0 ? 1.0 : 0.0;
        cheap[j] = passesCheapTest(t) ? 1.0 : 0.0;
    }
    // The exact test decides positive candidates that fail the cheap test (open: 1 or 0). They
    // are listed without a branch on each attempt's outcome.
    for (std::size_t j = 0; j < n; ++j) {
        tile.accepted[j] = positive[j] * cheap[j];
        positive[j] = positive[j] - tile.accepted[j];
    }
    std::uint16_t open[n];
    std::size_t count = 0;
    for (std::size_t j = 0; j < n; ++j) {
        open[count] = static_cast<std::uint16_t>(j);
        count += static_cast<std::size_t>(positive[j]);
    }
    decideByLogarithms(tile, open, count, b);
}

// Evaluates the attempts of the tile that starts at u[first] (u holds `count`). Past the block
// the numbers are 1/2 (a copy); attempts that reach past it are rejected.
template <std::size_t Stride>
void evaluateTile(const double* u, std::size_t count, std::size_t first, double b, double c, AttemptTile& tile)
{
    constexpr std::size_t span = Stride * kAttemptTile;  // numbers[span] is read too
    if (count - first > span) {
        evaluateAttempts<Stride>(u + first, tile, b, c);
        return;
    }
    const std::size_t copied = count - first;
    std::memcpy(tile.tail, u + first, copied * sizeof(double));
    for (std::size_t k = copied; k <= span; ++k) tile.tail[k] = 0.5;
    evaluateAttempts<Stride>(tile.tail, tile, b, c);
    // Attempt j reads numbers j * Stride and j * Stride + 1: whole from j = 0 to valid - 1.
    const std::size_t valid = (copied + Stride - 2) / Stride;
    for (std::size_t j = valid; j < kAttemptTile; ++j) tile.accepted[j] = 0.0;
}

// Whether a variate whose first attempt starts at `begin` and which is accepted at the attempt
// starting at `accepted` (two numbers per attempt) took more than kMaxGammaAttempts attempts:
// drawGamma gives up on it before.
inline bool pastAttemptLimit(std::size_t begin, std::size_t accepted)
{
    return (accepted - begin) / 2 >= static_cast<std::size_t>(kMaxGammaAttempts);
}

// The rejection path: every accepted candidate, in order, ends a variate.
inline GammaBatch walkRejection(const double* u, std::size_t count, double a, double* out, std::size_t wanted)
{
    const double b = a - 1.0;
    const double c = 3.0 * a - 0.75;
    AttemptTile tile;
    GammaBatch batch;
    std::size_t start = 0;  // the first number of the variate in progress
    for (std::size_t first = 0; first + 1 < count && batch.variates < wanted; first += 2 * kAttemptTile) {
        evaluateTile<2>(u, count, first, b, c, tile);
        // The accepted attempts of the tile, in order, gathered without a branch on each.
        double candidates[kAttemptTile];
        std::uint16_t at[kAttemptTile];
        std::size_t found = 0;
        for (std::size_t j = 0; j < kAttemptTile; ++j) {
            candidates[found] = tile.x[j];
            at[found] = static_cast<std::uint16_t>(j);
            found += static_cast<std::size_t>(tile.accepted[j]);
        }
        // Only the first variate ended in a tile can have begun before it.
        if (found > 0 && pastAttemptLimit(start, first + 2 * at[0])) break;
        const std::size_t taken = found < wanted - batch.variates ? found : wanted - batch.variates;
        for (std::size_t k = 0; k < taken; ++k) out[batch.variates + k] = clampGamma(candidates[k], a);
        batch.variates += taken;
        if (taken > 0) start = first + 2 * at[taken - 1] + 2;
    }
    batch.uniformsUsed = start;
    return batch;
}

// The boost path: a variate's uniform, then attempts for a + 1 two places apart.
inline GammaBatch walkBoost(const double* u, std::size_t count, double a, double* out, std::size_t wanted)
{
    const double shape = a + 1.0;  // as drawGamma draws it
    const double b = shape - 1.0;
    const double c = 3.0 * shape - 0.75;
    AttemptTile tile;
    std::int32_t next[kAttemptTile];  // the first accepted attempt of j, j + 2, j + 4, ..., or -1
    GammaBatch batch;
    std::size_t start = 0;    // the first number of the variate in progress, its uniform
    std::size_t attempt = 1;  // the place of its next attempt not yet evaluated
    for (std::size_t first = 0; first + 1 < count && batch.variates < wanted; first += kAttemptTile) {
        evaluateTile<1>(u, count, first, b, c, tile);
        // Both parities at once, from the back, each in a variable of its own: selections without
        // a branch on each attempt's outcome.
        std::int32_t nextEven = -1;
        std::int32_t nextOdd = -1;
        for (std::size_t j = kAttemptTile; j > 0; j -= 2) {
            const std::int32_t odd = static_cast<std::int32_t>(j - 1);
            const std::int32_t oddTaken = -static_cast<std::int32_t>(tile.accepted[odd]);  // all ones or 0
            const std::int32_t evenTaken = -static_cast<std::int32_t>(tile.accepted[odd - 1]);
            nextOdd = (odd & oddTaken) | (nextOdd & ~oddTaken);
            nextEven = ((odd - 1) & evenTaken) | (nextEven & ~evenTaken);
            next[odd] = nextOdd;
            next[odd - 1] = nextEven;
        }
        while (attempt < first + kAttemptTile) {
            const std::int32_t found = next[attempt - first];
            if (found < 0) {
                // None of the variate's attempts in this tile is accepted: on to its first
                // attempt in the next tile.
                attempt += 2 * ((first + kAttemptTile - attempt + 1) / 2);
                break;
            }
            const std::size_t accepted = first + static_cast<std::size_t>(found);
            if (pastAttemptLimit(start + 1, accepted)) {
                batch.uniformsUsed = start;
                return batch;
            }
            const double g = clampGamma(tile.x[found], shape);
            out[batch.variates] = clampGamma(g * std::pow(u[start], 1.0 / a), a);
            start = accepted + 2;
            attempt = start + 1;
            if (++batch.variates == wanted) break;
        }
    }
    batch.uniformsUsed = start;
    return batch;
}

inline GammaBatch drawGammaBatchPortable(const double* u, std::size_t count, double a, double* out, std::size_t wanted)
{
    if (a <= 1.0) return walkBoost(u, count, a, out, wanted);
    return walkRejection(u, count, a, out, wanted);
}

// A second copy of the batch compiled for processors with AVX2 (avx2.hpp), chosen at run time; it
// gives the same values (a test compares them).
#ifdef MONTEMEX_AVX2_COPIES
// flatten: every function the batch calls is compiled into this copy, for AVX2.
__attribute__((target("avx2"), flatten)) inline GammaBatch drawGammaBatchAvx2(const double* u, std::size_t count,
                                                                              double a, double* out, std::size_t wanted)
{
    return drawGammaBatchPortable(u, count, a, out, wanted);
}
#endif

}  // namespace detail

// Draws up to `wanted` variates of shape a into out[0 ...] from the block u[0 .. count), each
// exactly as drawGamma(source, a) draws it from a source that returns u[0], u[1], ... in turn.
//
// Only whole variates are drawn: it stops before one that would need a number past the block,
// or that would reach kMaxGammaAttempts (drawGamma gives up on it), so that the caller can draw
// that one with drawGamma from the same numbers. Draws nothing for shapes without a batch form
// (hasGammaBatch) and for blocks too short to gain from it.
inline GammaBatch drawGammaBatch(const double* u, std::size_t count, double a, double* out, std::size_t wanted)
{
    if (!hasGammaBatch(a) || count < detail::kShortestBatchBlock || wanted == 0) return GammaBatch{};
#ifdef MONTEMEX_AVX2_COPIES
    if (hasAvx2()) return detail::drawGammaBatchAvx2(u, count, a, out, wanted);
#endif
    return detail::drawGammaBatchPortable(u, count, a, out, wanted);
}

}  // namespace montemex
