// Cumulative tables of weights and the search that turns a uniform number into a 1-based index
// over them (plainpick, remainderpick, classdraw), and the expected-count step (remainderpick,
// layeredpick, fixedpick).
//
// The search is a bisection over a table q[0..n-1] whose last entry is 1.0. Particle filters
// call it up to ten million times per call, so the modules search through a guide table
// (Chen and Asau 1974): [0, 1) is cut into G = 2^k equal buckets, and for each bucket the guide
// holds the first table position at or above the bucket's lower edge. A uniform then needs a
// look-up and a search over a position or two instead of log2(n) scattered reads. The guide only
// replaces the bisection where the two provably agree (a nondecreasing table without NaN and a
// value in [0, 1)); everywhere else the bisection runs as it is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace montemex {

// ---- Cumulative table ----

// q[i] = q[i-1] + w[i] (q[0] = w[0]), in ascending order. Returns the position of the first
// weight below 0 (a plain comparison: NaN passes), or n when there is none. n >= 1.
std::size_t accumulateWeights(const double* w, double* q, std::size_t n);

// Divides q[0..n-2] by the total q[n-1] (which keeps the total meanwhile), then sets
// q[n-1] = 1.0 exactly. n >= 1.
void normaliseCumulative(double* q, std::size_t n);

// ---- Search ----

// 1 + the position found by bisection: 1 when q[0] >= x; else lo = 0, hi = n - 1 and, while
// hi - lo > 1, mid = (lo + hi) / 2 becomes lo when q[mid] < x and hi otherwise; the result is
// hi + 1. For a nondecreasing table that is 1 + the first position j <= n - 2 with q[j] >= x, or n
// when there is none: q[n-1] is never read. In the legacy build a NaN entry compared in the
// bisection step counts as below x (the first test treats NaN as the current build does).
// n >= 1; the result is a double from 1 to n.
double searchCumulative(const double* q, std::size_t n, double x);

// Number of guide buckets for a table of n entries: the largest power of two not above the
// n - 1 positions the search reads, or 0 when a guide cannot help (tiny tables) or cannot be
// indexed in 32 bits.
std::size_t guideBuckets(std::size_t n);

// Fills guide[0..buckets] (buckets + 1 entries): guide[b] is the first position j <= n - 2 with
// q[j] >= b / buckets, or n - 1 when there is none. Returns false, leaving the guide unusable,
// when q[0..n-2] is not nondecreasing or holds NaN.
bool buildGuide(const double* q, std::size_t n, std::uint32_t* guide, std::size_t buckets);

// The same index as searchCumulative(q, n, x), through a guide that buildGuide accepted.
double searchGuided(const double* q, std::size_t n, const std::uint32_t* guide, std::size_t buckets, double x);

// A table ready for many searches: with a guide (host memory, mxMalloc) where one helps and
// applies, else plain bisection. Plain pointers only, so an error may end the call around it.
struct CumulativeSearch {
    const double* table = nullptr;
    std::size_t n = 0;
    std::uint32_t* guide = nullptr;
    std::size_t buckets = 0;
};

// `draws` is how many searches will follow; a guide is built only when they repay it.
CumulativeSearch prepareSearch(const double* table, std::size_t n, std::size_t draws);

// out[k] = searchCumulative(table, n, x[k]) for k = 0 .. count-1; out may be x itself.
void searchEach(const CumulativeSearch& search, const double* x, double* out, std::size_t count);

// Frees the guide (mxFree).
void releaseSearch(CumulativeSearch& search);

// ---- Expected counts ----

// w[0] + ... + w[n-1], added in ascending order.
double sumWeights(const double* w, std::size_t n);

// A particle's expected count among n: (weight / total) * n, the quotient formed first.
inline double expectedCount(double weight, double total, std::size_t n)
{
    return (weight / total) * static_cast<double>(n);
}

// Whole copies for a value that reached 1.0: its integer part, but never more than `room`, the
// result elements still free (negative weights can ask for more), and none for NaN (the legacy
// build lets NaN through its tests). Never converts a NaN or an out-of-range double.
std::size_t wholeCopies(double value, std::size_t room);

}  // namespace montemex
