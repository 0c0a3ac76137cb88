// Cumulative tables of weights and the search that turns a uniform number into a 1-based index
// over them (multinomial and residual resampling, categorical draws).
//
// The search is a bisection over a table q[0..n-1] whose last entry is 1.0. Particle filters
// call it up to ten million times per call, so many searches go through a guide table
// (Chen and Asau 1974): [0, 1) is cut into G = 2^k equal buckets, and for each bucket the guide
// holds the first table position at or above the bucket's lower edge. A uniform then needs a
// look-up and a search over a position or two instead of log2(n) scattered reads. The guide only
// replaces the bisection where the two provably agree (a nondecreasing table without NaN and a
// value in [0, 1)). Other tables (negative weights, NaN) get a guide of where the bisection's
// steps for a bucket's values part (buildStarts), from which the bisection runs as it is.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "compare.hpp"
#include "progress.hpp"

namespace montemex {

// ---- Cumulative table ----

// q[i] = q[i-1] + w[i] * scale (q[0] = w[0] * scale), in ascending order; a scale of 1 changes
// nothing. Returns the position of the first weight below 0 (a plain comparison: NaN passes), or
// n when there is none. n >= 1.
template <typename Progress = NoProgress>
std::size_t accumulateWeights(const double* w, double* q, std::size_t n, double scale = 1.0,
                              Progress&& progress = Progress{})
{
    std::size_t firstNegative = n;
    q[0] = w[0] * scale;
    if (w[0] < 0.0) firstNegative = 0;
    for (std::size_t begin = 1; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        for (std::size_t i = begin; i < end; ++i) {
            q[i] = q[i - 1] + w[i] * scale;
            if (w[i] < 0.0 && firstNegative == n) firstNegative = i;
        }
        progress(end - begin);
    }
    return firstNegative;
}

// Divides q[0..n-2] by the total q[n-1] (which keeps the total meanwhile), then sets
// q[n-1] = 1.0 exactly. n >= 1.
template <typename Progress = NoProgress>
void normaliseCumulative(double* q, std::size_t n, Progress&& progress = Progress{})
{
    const std::size_t last = n - 1;
    // Held apart, so that the compiler need not read it again after every store (which it cannot
    // tell from a store to it); groups of four of a count it knows, which it divides two at a time.
    const double total = q[last];
    for (std::size_t begin = 0; begin < last; begin = chunkEnd(begin, last)) {
        const std::size_t end = chunkEnd(begin, last);
        std::size_t i = begin;
        for (; i + 4 <= end; i += 4) {
            for (std::size_t k = 0; k < 4; ++k) q[i + k] = q[i + k] / total;
        }
        for (; i < end; ++i) q[i] = q[i] / total;
        progress(end - begin);
    }
    q[last] = 1.0;
}

// ---- Search ----

// 1 + the position found by bisection: 1 when q[0] >= x; else lo = 0, hi = n - 1 and, while
// hi - lo > 1, mid = (lo + hi) / 2 becomes lo when q[mid] < x and hi otherwise; the result is
// hi + 1, a double from 1 to n (n >= 1).
//
// For a nondecreasing table that is 1 + the first position j <= n - 2 with q[j] >= x, or n when
// there is none: q[n-1] is never read. In the legacy build a NaN entry compared in the bisection
// step counts as below x (the first test treats NaN as the current build does).
namespace detail {

// The bisection's steps from (lo, hi) on, and its result.
inline double bisectFrom(const double* q, std::size_t lo, std::size_t hi, double x)
{
    while (hi - lo > 1) {
        std::size_t mid = (lo + hi) / 2;
        if (legacyLess(q[mid], x)) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return static_cast<double>(hi + 1);
}

}  // namespace detail

inline double searchCumulative(const double* q, std::size_t n, double x)
{
    if (q[0] >= x) return 1.0;
    return detail::bisectFrom(q, 0, n - 1, x);
}

namespace detail {

// Below this many positions a bisection takes at most five steps: no guide.
constexpr std::size_t kGuideMinimumPositions = 32;

// A guide costs a pass over the table; it is built when at least one search per
// kPositionsPerDraw positions follows.
constexpr std::size_t kPositionsPerDraw = 64;

}  // namespace detail

// Number of guide buckets for a table of n entries: the largest power of two not above the
// n - 1 positions the search reads, or 0 when a guide cannot help (tiny tables) or cannot be
// indexed in 32 bits.
inline std::size_t guideBuckets(std::size_t n)
{
    const std::size_t positions = n - 1;
    if (n == 0 || positions < detail::kGuideMinimumPositions) return 0;
    if (positions >= std::numeric_limits<std::uint32_t>::max()) return 0;
    std::size_t buckets = 1;
    while (buckets * 2 <= positions) buckets *= 2;
    return buckets;
}

namespace detail {

// Whether q[j] <= q[j + 1] for every j < count (false where either is NaN). One pass without early
// exit, eight pairs at a time: each outcome counted in its own sum, in loops of a count the
// compiler knows, so that it compares several pairs at once.
inline bool pairsInOrder(const double* q, std::size_t count)
{
    constexpr std::size_t group = 8;
    double outOfOrder[group] = {};
    std::size_t j = 0;
    for (; j + group <= count; j += group) {
        for (std::size_t k = 0; k < group; ++k) outOfOrder[k] += q[j + k] <= q[j + k + 1] ? 0.0 : 1.0;
    }
    for (; j < count; ++j) outOfOrder[0] += q[j] <= q[j + 1] ? 0.0 : 1.0;
    double total = 0.0;
    for (std::size_t k = 0; k < group; ++k) total += outOfOrder[k];
    return total == 0.0;
}

}  // namespace detail

// Fills guide[0..buckets] (buckets + 1 entries): guide[b] is the first position j <= n - 2 with
// q[j] >= b / buckets, or n - 1 when there is none. Returns false, leaving the guide unusable,
// when q[0..n-2] is not nondecreasing or holds NaN.
template <typename Progress = NoProgress>
bool buildGuide(const double* q, std::size_t n, std::uint32_t* guide, std::size_t buckets,
                Progress&& progress = Progress{})
{
    const std::size_t positions = n - 1;
    // Nondecreasing and free of NaN: a pair with a NaN fails the test, and a lone position is
    // checked on its own.
    if (positions == 0 || q[0] != q[0]) return false;
    for (std::size_t begin = 0; begin + 1 < positions; begin = chunkEnd(begin, positions - 1)) {
        const std::size_t end = chunkEnd(begin, positions - 1);
        if (!detail::pairsInOrder(q + begin, end - begin)) return false;
        progress(end - begin);
    }
    // Bucket b covers [b / buckets, (b + 1) / buckets); both edges are exact doubles. The table
    // is nondecreasing, so the positions below edge(b) come first and guide[b] is their count.
    // Entries of 1 or more lie below no edge: they come last, and are left out.
    std::size_t below = positions;
    std::size_t work = 0;
    while (below > 0 && !(q[below - 1] < 1.0)) {
        --below;
        if (++work == kProgressChunk) {
            progress(work);
            work = 0;
        }
    }
    progress(work);
    // Each other position j marks the first edge above its entry with j + 1 (a later position
    // with the same edge marks it again), and guide[b] is the largest mark at edge b or before:
    // no branch on where entries fall, which a processor cannot predict bucket after bucket.
    for (std::size_t b = 0; b <= buckets; ++b) guide[b] = 0;
    const double scale = static_cast<double>(buckets);
    for (std::size_t begin = 0; begin < below; begin = chunkEnd(begin, below)) {
        const std::size_t end = chunkEnd(begin, below);
        for (std::size_t j = begin; j < end; ++j) {
            // y = q[j] * buckets is exact and below buckets: edge(c) > q[j] exactly when c > y,
            // first for c = floor(y) + 1, and for c = 0 when q[j] < 0.
            const double y = q[j] * scale;
            const std::size_t floorY = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(std::max(y, 0.0)));
            const std::size_t first = (floorY + 1) & (std::size_t(0) - static_cast<std::size_t>(y >= 0.0));
            guide[first] = static_cast<std::uint32_t>(j + 1);
        }
        progress(end - begin);
    }
    std::uint32_t largest = 0;
    for (std::size_t b = 0; b <= buckets; ++b) {
        largest = std::max(largest, guide[b]);
        guide[b] = largest;
    }
    progress(2 * (buckets + 1));
    return true;
}

namespace detail {

// A guide has about one bucket per position, so that a bucket holds this many positions or fewer
// in all but rare cases.
constexpr std::size_t kShortBucket = 4;

// The position searchGuided finds for x in [0, 1), through a guide of `scale` buckets (as a
// double).
inline std::size_t guidedPosition(const double* q, const std::uint32_t* guide, double scale, double x)
{
    // x * scale is exact (a power of two), so b is the bucket with edge(b) <= x < edge(b + 1).
    const std::size_t b = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(x * scale));
    // Every position before guide[b] is below edge(b) <= x, and the entry at guide[b + 1] (if
    // any) is at least edge(b + 1) > x: the first entry >= x lies in [guide[b], guide[b + 1]].
    std::size_t lo = guide[b];
    std::size_t hi = guide[b + 1];
    if (hi - lo <= kShortBucket) {
        // The table is nondecreasing and x is a number, so the entries of [lo, hi) below x come
        // first: lo plus their count is the first entry >= x (or hi). Counted without a branch,
        // in integers (the compiler turns a choice between two positions into one): comparisons
        // that go either way at random cost a misprediction each. A place at or past hi reads
        // q[lo] instead (hi <= n - 1, so q[lo] exists) and counts nothing.
        const auto below = [&](std::size_t k) {
            const std::size_t inBucket = static_cast<std::size_t>(lo + k < hi);
            const std::size_t j = lo + (k & (std::size_t(0) - inBucket));
            return inBucket & static_cast<std::size_t>(q[j] < x);
        };
        static_assert(kShortBucket == 4, "four places are counted");
        return lo + below(0) + below(1) + below(2) + below(3);
    }
    while (lo < hi) {
        std::size_t mid = lo + (hi - lo) / 2;
        if (q[mid] < x) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

// 1 + a position, as a double. Bucket numbers and positions here are counts of table entries, so
// they fit a signed size, whose conversions to and from double are single instructions.
inline double oneBased(std::size_t position)
{
    return static_cast<double>(static_cast<std::ptrdiff_t>(position + 1));
}

}  // namespace detail

// The same index as searchCumulative(q, n, x), through a guide that buildGuide accepted.
inline double searchGuided(const double* q, std::size_t n, const std::uint32_t* guide, std::size_t buckets, double x)
{
    // Outside [0, 1), and for NaN, the bisection's own answer is the one to give.
    if (!(x >= 0.0 && x < 1.0)) return searchCumulative(q, n, x);
    return detail::oneBased(detail::guidedPosition(q, guide, static_cast<double>(buckets), x));
}

// ---- Start guide, for any table ----
//
// On a table that is not nondecreasing, or holds NaN, the bisection's answer need not be the
// first entry >= x, but it still never decreases as x grows: each step goes right exactly when
// legacyLess(q[mid], x), which, for a fixed q[mid], holds for all x above some value and for none
// below it. So all x of a bucket [b / G, (b + 1) / G] take the steps its two edges take alike,
// up to the step where the edges part. For each bucket the start guide holds the (lo, hi) the
// bisection has there (2b, 2b + 1), and the search takes the bisection's remaining steps from
// it: the same comparisons, so the same answer, in a step or two where the table's entries are
// spread over the buckets rather than log2(n).

namespace detail {

// Records, for every bucket whose two edges (edge j is j / G) both reach the bisection's
// (lo, hi), where they part.
//
// A depth-first walk over the bisection's steps that follows only where two edges or more go
// alike. For each step it finds the first edge that goes right (they go right from some edge on);
// the bucket whose edges lie on both sides parts there.
template <typename Progress>
void buildStarts(const double* q, std::size_t n, std::uint32_t* starts, std::size_t buckets, Progress& progress)
{
    struct Step {
        std::size_t lo, hi;
        std::size_t first, last;  // the edges that reach it
    };
    const double width = 1.0 / static_cast<double>(buckets);
    const auto goesRight = [&](std::size_t mid, std::size_t edge) {
        return legacyLess(q[mid], static_cast<double>(edge) * width);
    };
    const auto record = [&](std::size_t bucket, std::size_t lo, std::size_t hi) {
        starts[2 * bucket] = static_cast<std::uint32_t>(lo);
        starts[2 * bucket + 1] = static_cast<std::uint32_t>(hi);
    };
    // Each step goes one level deeper and leaves at most one sibling behind: the bisection has
    // fewer than 64 levels.
    Step pending[130];
    std::size_t depth = 0;
    pending[depth++] = Step{0, n - 1, 0, buckets};
    std::size_t work = 0;
    while (depth > 0) {
        const Step step = pending[--depth];
        ++work;
        if (step.hi - step.lo <= 1) {
            for (std::size_t b = step.first; b < step.last; ++b) record(b, step.lo, step.hi);
            work += step.last - step.first;
            continue;
        }
        const std::size_t mid = (step.lo + step.hi) / 2;
        std::size_t split = step.first;  // the first edge that goes right, or last + 1
        if (goesRight(mid, step.first)) {
            split = step.first;
        } else if (!goesRight(mid, step.last)) {
            split = step.last + 1;
        } else {
            std::size_t below = step.first + 1, above = step.last;
            while (below < above) {
                const std::size_t m = below + (above - below) / 2;
                if (goesRight(mid, m)) {
                    above = m;
                } else {
                    below = m + 1;
                }
                ++work;
            }
            split = below;
            record(split - 1, step.lo, step.hi);
        }
        if (split >= step.first + 2) pending[depth++] = Step{step.lo, mid, step.first, split - 1};
        if (split + 1 <= step.last) pending[depth++] = Step{mid, step.hi, split, step.last};
        if (work >= kProgressChunk) {
            progress(work);
            work = 0;
        }
    }
    progress(work);
}

}  // namespace detail

// The same index as searchCumulative(q, n, x), through a start guide of `buckets` buckets
// (detail::buildStarts).
inline double searchFromStarts(const double* q, std::size_t n, const std::uint32_t* starts, std::size_t buckets,
                               double x)
{
    if (!(x >= 0.0 && x < 1.0)) return searchCumulative(q, n, x);
    if (q[0] >= x) return 1.0;
    const std::size_t b = static_cast<std::size_t>(x * static_cast<double>(buckets));
    return detail::bisectFrom(q, starts[2 * b], starts[2 * b + 1], x);
}

// A table ready for many searches: with a guide where one helps and applies, with a start guide
// where a guide helps but does not apply, else plain bisection.
struct CumulativeSearch {
    const double* table = nullptr;
    std::size_t n = 0;
    const std::uint32_t* guide = nullptr;
    std::size_t buckets = 0;
    const std::uint32_t* starts = nullptr;
    std::size_t startBuckets = 0;
};

// Entries of guide storage worth providing for `draws` searches of a table of n entries: 0 when
// plain bisection is the better choice.
inline std::size_t guideSize(std::size_t n, std::size_t draws)
{
    const std::size_t buckets = guideBuckets(n);
    if (buckets == 0 || draws == 0 || draws < (n - 1) / detail::kPositionsPerDraw) return 0;
    return buckets + 1;
}

// `guide` holds guideSize(n, draws) entries of the caller's (or is null when that is 0). A start
// guide takes them too, with half as many buckets (two entries each).
template <typename Progress = NoProgress>
CumulativeSearch prepareSearch(const double* table, std::size_t n, std::size_t draws, std::uint32_t* guide,
                               Progress&& progress = Progress{})
{
    CumulativeSearch search;
    search.table = table;
    search.n = n;
    const std::size_t size = guideSize(n, draws);
    if (size == 0 || guide == nullptr) return search;
    if (buildGuide(table, n, guide, size - 1, progress)) {
        search.guide = guide;
        search.buckets = size - 1;
    } else {
        detail::buildStarts(table, n, guide, (size - 1) / 2, progress);
        search.starts = guide;
        search.startBuckets = (size - 1) / 2;
    }
    return search;
}

// out[k] = searchCumulative(table, n, x[k]) for k = 0 .. count-1; out may be x itself. A search
// counts as a few steps of progress.
template <typename Progress = NoProgress>
void searchEach(const CumulativeSearch& search, const double* x, double* out, std::size_t count,
                Progress&& progress = Progress{})
{
    for (std::size_t begin = 0; begin < count; begin = chunkEnd(begin, count)) {
        const std::size_t end = chunkEnd(begin, count);
        if (search.guide != nullptr) {
            const double scale = static_cast<double>(search.buckets);
            for (std::size_t k = begin; k < end; ++k) {
                const double value = x[k];
                out[k] = value >= 0.0 && value < 1.0
                             ? detail::oneBased(detail::guidedPosition(search.table, search.guide, scale, value))
                             : searchCumulative(search.table, search.n, value);
            }
        } else if (search.starts != nullptr) {
            for (std::size_t k = begin; k < end; ++k) {
                out[k] = searchFromStarts(search.table, search.n, search.starts, search.startBuckets, x[k]);
            }
        } else {
            for (std::size_t k = begin; k < end; ++k) out[k] = searchCumulative(search.table, search.n, x[k]);
        }
        progress(4 * (end - begin));
    }
}

}  // namespace montemex
