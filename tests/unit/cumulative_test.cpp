// The cumulative table, its bisection, and the guided search that must give the same index.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "cumulative.hpp"
#include "expected_counts.hpp"
#include "resampling.hpp"

using namespace montemex;

namespace {

const double kNaN = std::nan("");

std::vector<double> cumulativeOf(const std::vector<double>& w)
{
    std::vector<double> q(w.size());
    accumulateWeights(w.data(), q.data(), w.size());
    normaliseCumulative(q.data(), w.size());
    return q;
}

// For a nondecreasing table: 1 + the first position j <= n - 2 with q[j] >= x, else n.
double firstAtLeast(const std::vector<double>& q, double x)
{
    return static_cast<double>(std::lower_bound(q.begin(), q.end() - 1, x) - q.begin() + 1);
}

// Values worth searching for in q: each entry, its neighbours, the bucket edges of a guide of
// `buckets` and their neighbours, the extremes of (0, 1), and some outside it.
std::vector<double> probesFor(const std::vector<double>& q, std::size_t buckets, std::mt19937_64& rng)
{
    std::vector<double> xs = {0.0,  -0.0, 0x1p-1074, 0x1p-53,  std::nextafter(1.0, 0.0), 1.0, 1.5,
                              -0.5, kNaN, INFINITY,  -INFINITY};
    for (double v : q) {
        xs.push_back(v);
        xs.push_back(std::nextafter(v, -INFINITY));
        xs.push_back(std::nextafter(v, INFINITY));
    }
    for (std::size_t b = 0; b <= buckets; ++b) {
        double edge = static_cast<double>(b) / static_cast<double>(buckets);
        xs.push_back(edge);
        xs.push_back(std::nextafter(edge, -INFINITY));
        xs.push_back(std::nextafter(edge, INFINITY));
    }
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int k = 0; k < 2000; ++k) xs.push_back(uniform(rng));
    return xs;
}

::testing::AssertionResult guidedMatchesBisection(const std::vector<double>& q, std::mt19937_64& rng)
{
    const std::size_t n = q.size();
    const std::size_t buckets = guideBuckets(n);
    if (buckets == 0) return ::testing::AssertionFailure() << "no guide for n = " << n;
    std::vector<std::uint32_t> guide(buckets + 1);
    if (!buildGuide(q.data(), n, guide.data(), buckets)) return ::testing::AssertionFailure() << "guide refused";
    // guide[b]: the first position j <= n - 2 with q[j] >= b / buckets, else n - 1.
    for (std::size_t b = 0; b <= buckets; ++b) {
        std::size_t j = 0;
        while (j < n - 1 && !(q[j] >= static_cast<double>(b) / static_cast<double>(buckets))) ++j;
        if (guide[b] != j) return ::testing::AssertionFailure() << "n = " << n << ": guide[" << b << "] = " << guide[b];
    }
    for (double x : probesFor(q, buckets, rng)) {
        double bisection = searchCumulative(q.data(), n, x);
        double guided = searchGuided(q.data(), n, guide.data(), buckets, x);
        if (bisection != guided) {
            return ::testing::AssertionFailure()
                   << "n = " << n << ", x = " << x << ": bisection " << bisection << ", guided " << guided;
        }
        if (!std::isnan(x) && bisection != firstAtLeast(q, x)) {
            return ::testing::AssertionFailure() << "bisection is not the first entry >= x at x = " << x;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(Cumulative, TableIsNormalisedByTheTotalAndEndsInExactlyOne)
{
    // Weights [2 6] behave as [0.25 0.75]; thirds are divided, not multiplied by a reciprocal.
    EXPECT_EQ(cumulativeOf({2, 6}), (std::vector<double>{0.25, 1.0}));
    volatile double one = 1.0, two = 2.0, three = 3.0;
    std::vector<double> thirds = cumulativeOf({1, 1, 1});
    EXPECT_EQ(thirds[0], one / three);
    EXPECT_EQ(thirds[1], two / three);
    EXPECT_EQ(thirds[2], 1.0);
    // 0.1 + 0.2 + 0.3 is not 0.6 in doubles, yet the last entry is exactly 1.
    std::vector<double> tenths = cumulativeOf({0.1, 0.2, 0.3});
    EXPECT_EQ(tenths[2], 1.0);
    EXPECT_EQ(tenths[0], 0.1 / (0.1 + 0.2 + 0.3));

    // The first negative weight is reported; NaN passes the plain test.
    std::vector<double> q(4);
    std::vector<double> negative = {0.5, kNaN, -0.1, -2};
    EXPECT_EQ(accumulateWeights(negative.data(), q.data(), 4), 2u);
    std::vector<double> fine = {0.5, kNaN, 0, -0.0};
    EXPECT_EQ(accumulateWeights(fine.data(), q.data(), 4), 4u);
    std::vector<double> first = {-1, 2};
    EXPECT_EQ(accumulateWeights(first.data(), q.data(), 2), 0u);
}

TEST(Cumulative, BisectionPicksTheFirstEntryAtLeastTheValue)
{
    // [1 1 2] -> [0.25 0.5 1]: a value equal to an entry selects that entry.
    std::vector<double> q = cumulativeOf({1, 1, 2});
    EXPECT_EQ(searchCumulative(q.data(), 3, 0.25), 1.0);
    EXPECT_EQ(searchCumulative(q.data(), 3, std::nextafter(0.25, 1.0)), 2.0);
    EXPECT_EQ(searchCumulative(q.data(), 3, 0.5), 2.0);
    EXPECT_EQ(searchCumulative(q.data(), 3, std::nextafter(0.5, 1.0)), 3.0);
    EXPECT_EQ(searchCumulative(q.data(), 3, 1e-300), 1.0);

    // Zero weights are never selected, not even at a tie: [1 0 0 1] -> [0.5 0.5 0.5 1].
    std::vector<double> zeros = cumulativeOf({1, 0, 0, 1});
    EXPECT_EQ(searchCumulative(zeros.data(), 4, 0.5), 1.0);
    EXPECT_EQ(searchCumulative(zeros.data(), 4, std::nextafter(0.5, 1.0)), 4.0);
    std::vector<double> leading = cumulativeOf({0, 0, 1});
    EXPECT_EQ(searchCumulative(leading.data(), 3, 0x1p-53), 3.0);

    // The last entry is never read: n comes back for anything above q[n-2].
    std::vector<double> broken = {0.25, 0.5, -7};
    EXPECT_EQ(searchCumulative(broken.data(), 3, 0.9), 3.0);
    double single = kNaN;
    EXPECT_EQ(searchCumulative(&single, 1, 0.5), 1.0);

    // All-zero weights: every entry but the last is 0/0, and every search gives 2.
    for (std::size_t n : {2u, 3u, 10u, 100u}) {
        std::vector<double> nan = cumulativeOf(std::vector<double>(n, 0.0));
        EXPECT_TRUE(std::isnan(nan[0]));
        for (double x : {1e-9, 0.5, 0.999}) EXPECT_EQ(searchCumulative(nan.data(), n, x), 2.0) << n;
    }
}

TEST(Cumulative, GuidedSearchEqualsBisectionOnMonotoneTables)
{
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<std::vector<double>> weights;

    // Equal weights: every entry i/n sits exactly on a bucket edge when n is a power of two.
    for (std::size_t n : {33u, 64u, 65u, 100u, 1024u, 1025u}) weights.push_back(std::vector<double>(n, 1.0));
    // Random weights, with runs of zeros and zeros at both ends.
    for (std::size_t n : {40u, 333u, 4096u, 100000u}) {
        std::vector<double> w(n);
        for (double& v : w) v = uniform(rng) < 0.3 ? 0.0 : uniform(rng);
        w[0] = 0;
        w[n - 1] = 0;
        w[n - 2] = 0;
        weights.push_back(w);
    }
    // All the mass in one particle; a huge spread of magnitudes; tiny denormal weights.
    std::vector<double> spike(500, 0.0);
    spike[250] = 3;
    weights.push_back(spike);
    std::vector<double> spread(300);
    for (std::size_t i = 0; i < spread.size(); ++i) spread[i] = std::ldexp(1.0, static_cast<int>(i % 60) - 30);
    weights.push_back(spread);
    weights.push_back(std::vector<double>(50, 0x1p-1074));

    for (const std::vector<double>& w : weights) EXPECT_TRUE(guidedMatchesBisection(cumulativeOf(w), rng));

    // Nondecreasing tables with entries outside [0, 1]: negative ones first, entries above 1
    // before the last, and all infinite (weights whose total is 0).
    std::vector<double> negativeFirst(100, 1.0), aboveOne(100, 1.0), infinite(100, 1.0);
    negativeFirst[0] = -30;
    aboveOne[99] = -50;
    infinite[99] = -99;
    for (const std::vector<double>* w : {&negativeFirst, &aboveOne, &infinite}) {
        EXPECT_TRUE(guidedMatchesBisection(cumulativeOf(*w), rng));
    }

    // Tables the guide must refuse: a decrease (negative weight), NaN (all-zero weights, or a
    // NaN weight), or NaN in the only position.
    std::vector<double> negative(100, 1.0);
    negative[40] = -3;
    std::vector<double> withNaN(100, 1.0);
    withNaN[70] = kNaN;
    for (const std::vector<double>& q :
         {cumulativeOf(negative), cumulativeOf(std::vector<double>(100, 0.0)), cumulativeOf(withNaN)}) {
        std::vector<std::uint32_t> guide(guideBuckets(q.size()) + 1);
        EXPECT_FALSE(buildGuide(q.data(), q.size(), guide.data(), guideBuckets(q.size())));
    }
    // A decrease only in the last entry, which no search reads, is fine.
    std::vector<double> lastDrops = cumulativeOf(std::vector<double>(64, 1.0));
    lastDrops[63] = -1;
    EXPECT_TRUE(guidedMatchesBisection(lastDrops, rng));
}

TEST(Cumulative, StartGuideEqualsBisectionOnAnyTable)
{
    // Tables the plain guide refuses: negative weights, a random walk, NaN (all-zero weights, or
    // a NaN weight), infinite weights, and entries in no order at all, some outside [0, 1].
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<std::vector<double>> tables;
    for (std::size_t n : {33u, 100u, 1000u, 100000u}) {
        std::vector<double> mixed(n), walk(n), shuffled(n);
        for (std::size_t i = 0; i < n; ++i) {
            mixed[i] = i % 2 == 0 ? 2.0 : -1.0;
            walk[i] = uniform(rng) - 0.45;
            shuffled[i] = 2.0 * uniform(rng) - 0.5;
        }
        tables.push_back(cumulativeOf(mixed));
        tables.push_back(cumulativeOf(walk));
        tables.push_back(shuffled);
        tables.push_back(cumulativeOf(std::vector<double>(n, 0.0)));
        std::vector<double> withNaN(n, 1.0), withInf(n, 1.0);
        withNaN[n / 3] = kNaN;
        withInf[n / 2] = -INFINITY;
        withInf[n / 4] = INFINITY;
        tables.push_back(cumulativeOf(withNaN));
        tables.push_back(withInf);
    }
    for (const std::vector<double>& q : tables) {
        std::vector<std::uint32_t> guide(guideSize(q.size(), q.size()));
        const CumulativeSearch search = prepareSearch(q.data(), q.size(), q.size(), guide.data());
        ASSERT_NE(search.starts, nullptr) << q.size();
        for (double x : probesFor(q, search.startBuckets, rng)) {
            ASSERT_EQ(searchFromStarts(q.data(), q.size(), search.starts, search.startBuckets, x),
                      searchCumulative(q.data(), q.size(), x))
                << "n = " << q.size() << ", x = " << x;
        }
    }
}

TEST(Cumulative, PreparedSearchAgreesWithBisectionWhetherGuidedOrNot)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<double> x(5000);
    for (double& v : x) v = uniform(rng);

    std::vector<double> positive(2000), negative(2000);
    for (double& v : positive) v = uniform(rng);
    for (double& v : negative) v = uniform(rng) - 0.2;
    for (const std::vector<double>* w : {&positive, &negative}) {
        std::vector<double> q = cumulativeOf(*w);
        for (std::size_t draws : {std::size_t(1), x.size()}) {
            std::vector<std::uint32_t> guide(guideSize(q.size(), draws));
            CumulativeSearch search = prepareSearch(q.data(), q.size(), draws, guide.data());
            EXPECT_EQ(search.guide != nullptr, w == &positive && draws > 1);
            std::vector<double> out(draws);
            searchEach(search, x.data(), out.data(), draws);
            for (std::size_t k = 0; k < draws; ++k) {
                ASSERT_EQ(out[k], searchCumulative(q.data(), q.size(), x[k])) << k;
            }
        }
    }
    // In place, as the modules use it.
    std::vector<double> q = cumulativeOf(positive);
    std::vector<double> inPlace = x;
    std::vector<std::uint32_t> guide(guideSize(q.size(), inPlace.size()));
    searchEach(prepareSearch(q.data(), q.size(), inPlace.size(), guide.data()), inPlace.data(), inPlace.data(),
               inPlace.size());
    for (std::size_t k = 0; k < x.size(); ++k) ASSERT_EQ(inPlace[k], searchCumulative(q.data(), q.size(), x[k]));
}

TEST(Cumulative, WholeCopiesTruncateButNeverPassTheRoomOrConvertNaN)
{
    EXPECT_EQ(wholeCopies(1.0, 5), 1u);
    EXPECT_EQ(wholeCopies(std::nextafter(3.0, 0.0), 5), 2u);
    EXPECT_EQ(wholeCopies(5.0, 5), 5u);
    EXPECT_EQ(wholeCopies(5.5, 5), 5u);
    EXPECT_EQ(wholeCopies(9.9, 5), 5u);
    EXPECT_EQ(wholeCopies(3.5, 0), 0u);
    EXPECT_EQ(wholeCopies(1e300, 7), 7u);
    EXPECT_EQ(wholeCopies(INFINITY, 7), 7u);
    EXPECT_EQ(wholeCopies(kNaN, 7), 0u);
    EXPECT_EQ(wholeCopies(0.75, 7), 0u);

    // Expected counts form the quotient first: (0.1 / 0.3) * 3 is 1 (0.1 * 3 / 0.3 is not).
    volatile double tenth = 0.1, third = 0.3;
    EXPECT_EQ(expectedCount(tenth, WeightTotal{third, 1.0}, 3), 1.0);
}

TEST(ExpectedCounts, RoundingShortfallsBelowAWholeNumberCountAsThatNumber)
{
    // (1 / 49) * 49 is 1 - 2^-53: it counts as 1. Every equal-weight count, however the weights
    // are written, is at least 1 then, for every N up to 10000 (a count just above 1 keeps its
    // tiny remainder), and residual resampling gives each particle exactly its one copy.
    std::vector<double> out, remainders;
    for (std::size_t n = 1; n <= 10000; ++n) {
        for (double weight : {1.0, 1.0 / static_cast<double>(n)}) {
            std::vector<double> w(n, weight);
            out.assign(n, 0.0);
            remainders.assign(n, -1.0);
            const WeightTotal total = totalWeight(w.data(), n);
            ASSERT_GE(expectedCount(weight, total, n), 1.0) << n << " " << weight;
            ASSERT_EQ(residualCopies(w.data(), n, total, out.data(), remainders.data()), n) << n;
            bool inOrder = true, tiny = true;
            for (std::size_t i = 0; i < n; ++i) {
                inOrder = inOrder && out[i] == static_cast<double>(i + 1);
                tiny = tiny && remainders[i] >= 0.0 && remainders[i] < 1e-12;
            }
            ASSERT_TRUE(inOrder && tiny) << n << " " << weight;
        }
    }
    // Random weights whose expected counts are whole numbers: every whole copy is given, and no
    // remainder is negative or more than rounding.
    std::mt19937_64 engine(11);
    for (int trial = 0; trial < 20000; ++trial) {
        const std::size_t n = 1 + engine() % 300;
        std::vector<double> counts(n, 0.0);
        for (std::size_t j = 0; j < n; ++j) counts[engine() % n] += 1.0;
        const double scale =
            std::ldexp(1.0 + static_cast<double>(engine() % 1000) / 997.0, static_cast<int>(engine() % 40) - 20);
        std::vector<double> w(n);
        for (std::size_t i = 0; i < n; ++i) w[i] = counts[i] * scale;
        out.assign(n, 0.0);
        remainders.assign(n, -1.0);
        ASSERT_EQ(residualCopies(w.data(), n, totalWeight(w.data(), n), out.data(), remainders.data()), n);
        for (double r : remainders) ASSERT_TRUE(r >= 0.0 && r < 1e-12) << r;
    }
    // Counts above a whole number, or clearly below one, are left as they are.
    EXPECT_EQ(snapToWhole(1.0 + 0x1p-52, 3), 1.0 + 0x1p-52);
    EXPECT_EQ(snapToWhole(1.0 - 1e-12, 3), 1.0 - 1e-12);
    EXPECT_EQ(snapToWhole(0.5, 3), 0.5);
    EXPECT_TRUE(std::isnan(snapToWhole(kNaN, 3)));
}

TEST(ExpectedCounts, WeightsWhoseSumOverflowsAreScaledByAPowerOfTwo)
{
    const std::vector<double> huge = {1e308, 1e308, 1e308}, ones = {1, 1, 1}, mixed = {1e308, 1e308, INFINITY};
    const WeightTotal scaled = totalWeight(huge.data(), 3);
    EXPECT_EQ(scaled.scale, 0x1p-1024);  // 1e308 = 0.556 * 2^1024
    EXPECT_TRUE(isProperTotal(scaled.total));
    for (double w : huge) EXPECT_EQ(expectedCount(w, scaled, 3), 1.0);
    EXPECT_EQ(totalWeight(ones.data(), 3).scale, 1.0);
    // An infinite weight is no overflow: the total stays infinite and degenerate.
    const WeightTotal infinite = totalWeight(mixed.data(), 3);
    EXPECT_EQ(infinite.scale, 1.0);
    EXPECT_FALSE(isProperTotal(infinite.total));
    EXPECT_FALSE(isProperTotal(0.0));
    EXPECT_FALSE(isProperTotal(-1.0));
    EXPECT_FALSE(isProperTotal(kNaN));
}
