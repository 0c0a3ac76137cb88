#include "resampling/cumulative.hpp"

#include <limits>

#include "common/compare.hpp"
#include "mex.h"

namespace montemex {

namespace {

// Below this many positions a bisection takes at most five steps: no guide.
const std::size_t kGuideMinimumPositions = 32;

// A guide costs a pass over the table; it is built when at least one search per
// kPositionsPerDraw positions follows.
const std::size_t kPositionsPerDraw = 64;

}  // namespace

std::size_t accumulateWeights(const double* w, double* q, std::size_t n)
{
    std::size_t firstNegative = n;
    q[0] = w[0];
    if (w[0] < 0.0) firstNegative = 0;
    for (std::size_t i = 1; i < n; ++i) {
        q[i] = q[i - 1] + w[i];
        if (w[i] < 0.0 && firstNegative == n) firstNegative = i;
    }
    return firstNegative;
}

void normaliseCumulative(double* q, std::size_t n)
{
    const std::size_t last = n - 1;
    for (std::size_t i = 0; i < last; ++i) q[i] = q[i] / q[last];
    q[last] = 1.0;
}

double searchCumulative(const double* q, std::size_t n, double x)
{
    if (q[0] >= x) return 1.0;
    std::size_t lo = 0;
    std::size_t hi = n - 1;
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

std::size_t guideBuckets(std::size_t n)
{
    const std::size_t positions = n - 1;
    if (n == 0 || positions < kGuideMinimumPositions) return 0;
    if (positions >= std::numeric_limits<std::uint32_t>::max()) return 0;
    std::size_t buckets = 1;
    while (buckets * 2 <= positions) buckets *= 2;
    return buckets;
}

bool buildGuide(const double* q, std::size_t n, std::uint32_t* guide, std::size_t buckets)
{
    const std::size_t positions = n - 1;
    // Nondecreasing and free of NaN: a pair with a NaN fails the test, and a lone position is
    // checked on its own.
    if (positions == 0 || q[0] != q[0]) return false;
    for (std::size_t j = 0; j + 1 < positions; ++j) {
        if (!(q[j] <= q[j + 1])) return false;
    }
    // Bucket b covers [b / buckets, (b + 1) / buckets); both edges are exact doubles.
    const double width = 1.0 / static_cast<double>(buckets);
    std::size_t j = 0;
    for (std::size_t b = 0; b <= buckets; ++b) {
        const double edge = static_cast<double>(b) * width;
        while (j < positions && q[j] < edge) ++j;
        guide[b] = static_cast<std::uint32_t>(j);
    }
    return true;
}

double searchGuided(const double* q, std::size_t n, const std::uint32_t* guide, std::size_t buckets, double x)
{
    // Outside [0, 1), and for NaN, the bisection's own answer is the one to give.
    if (!(x >= 0.0 && x < 1.0)) return searchCumulative(q, n, x);
    // x * buckets is exact (a power of two), so b is the bucket with edge(b) <= x < edge(b + 1).
    const std::size_t b = static_cast<std::size_t>(x * static_cast<double>(buckets));
    // Every position before guide[b] is below edge(b) <= x, and the entry at guide[b + 1] (if
    // any) is at least edge(b + 1) > x: the first entry >= x lies in [guide[b], guide[b + 1]].
    std::size_t lo = guide[b];
    std::size_t hi = guide[b + 1];
    while (lo < hi) {
        std::size_t mid = lo + (hi - lo) / 2;
        if (q[mid] < x) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return static_cast<double>(lo + 1);
}

CumulativeSearch prepareSearch(const double* table, std::size_t n, std::size_t draws)
{
    CumulativeSearch search;
    search.table = table;
    search.n = n;
    const std::size_t buckets = guideBuckets(n);
    if (buckets == 0 || draws == 0 || draws < (n - 1) / kPositionsPerDraw) return search;
    auto* guide = static_cast<std::uint32_t*>(mxMalloc((buckets + 1) * sizeof(std::uint32_t)));
    if (buildGuide(table, n, guide, buckets)) {
        search.guide = guide;
        search.buckets = buckets;
    } else {
        mxFree(guide);
    }
    return search;
}

void searchEach(const CumulativeSearch& search, const double* x, double* out, std::size_t count)
{
    if (search.guide != nullptr) {
        for (std::size_t k = 0; k < count; ++k) {
            out[k] = searchGuided(search.table, search.n, search.guide, search.buckets, x[k]);
        }
    } else {
        for (std::size_t k = 0; k < count; ++k) out[k] = searchCumulative(search.table, search.n, x[k]);
    }
}

void releaseSearch(CumulativeSearch& search)
{
    if (search.guide != nullptr) mxFree(search.guide);
    search = CumulativeSearch{};
}

double sumWeights(const double* w, std::size_t n)
{
    double total = 0.0;
    for (std::size_t i = 0; i < n; ++i) total = total + w[i];
    return total;
}

std::size_t wholeCopies(double value, std::size_t room)
{
    if (!(value >= 1.0)) return 0;
    if (value >= static_cast<double>(room)) return room;
    return static_cast<std::size_t>(value);
}

}  // namespace montemex
