// The adaptive rejection sampler on densities whose distribution is known, with scripted and
// seeded uniforms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ars.hpp"
#include "exact_cdf.hpp"
#include "scripted_source.hpp"
#include "seeded_source.hpp"

using montemex::test::ksBound;
using montemex::test::NumericCdf;
using montemex::test::ScriptedSource;
using montemex::test::SeededSource;
using montemex::test::ksDistance;
using namespace montemex;

namespace {

// Uniforms from a seeded stream, every third one (the acceptance test) replaced by `accept` when
// it is set, so that a test can force rejections.
struct Seeded {
    SeededSource numbers;
    double accept = -1.0;
    double uniform()
    {
        const double u = numbers.uniform();
        return numbers.uniformsUsed % 3 == 0 && accept >= 0.0 ? accept : u;
    }
};

// Each density counts its calls in *data (an int) when data is given.
void count(void* data)
{
    if (data != nullptr) ++*static_cast<int*>(data);
}

// -cosh x: the conditional scale density with all five arguments 1.
double coshDensity(double x, double& slope, void* data)
{
    count(data);
    slope = -std::sinh(x);
    return -std::cosh(x);
}

double normalDensity(double x, double& slope, void* data)
{
    count(data);
    slope = -x;
    return -0.5 * x * x;
}

// log of a gamma(3) variate: k x - e^x with k = 3.
double logGammaDensity(double x, double& slope, void* data)
{
    count(data);
    slope = 3.0 - std::exp(x);
    return 3.0 * x - std::exp(x);
}

// Concave with linear tails of slope +1 and -1: -x^2/2 - 1/2 on [-1, 1], -|x| outside.
double linearTailsDensity(double x, double& slope, void* data)
{
    count(data);
    if (std::fabs(x) <= 1.0) {
        slope = -x;
        return -0.5 * x * x - 0.5;
    }
    slope = x > 0 ? -1.0 : 1.0;
    return -std::fabs(x);
}

// A long linear tail that ends in a wall growing like exp(exp(x)): a tail candidate that lands in
// the wall gives a tangent too steep for double precision to place.
double wallDensity(double x, double& slope, void* data)
{
    count(data);
    const double e = std::exp(x);
    slope = (-0.0495 - 5e-4 * e) + 0.05 / e;
    return (-0.0495 * x - 5e-4 * e) - 0.05 / e;
}

// The hull of the draw in progress in the tests below (a draw's state belongs to its caller).
Hull hull;

template <typename Source>
ArsDraw drawOnce(Source& source, double xStart, double step, LogDensityFn density, void* data = nullptr)
{
    return ars(source, hull, xStart, step, density, data);
}

struct Walk {
    int nodes = 0;
    bool ordered = true;
    double headX = 0.0;
};

// The hull as it stands: node count, leftmost x, and whether x and the boundaries ascend.
Walk walkHull()
{
    Walk walk;
    walk.headX = hull.head->x;
    for (const HullNode* n = hull.head; n != nullptr; n = n->next) {
        ++walk.nodes;
        if (n->next == nullptr) break;
        walk.ordered = walk.ordered && n->x < n->next->x && n->x <= n->zRight && n->zRight <= n->next->x &&
                       n->next->prev == n && (n->prev == nullptr || n->prev->zRight <= n->zRight);
    }
    return walk;
}

// Records the hull at every candidate (every call after the searches' calls), then evaluates
// the density `inner`.
struct Watch {
    LogDensityFn inner;
    int searchCalls;
    std::vector<Walk> walks = {};
    std::vector<double> candidates = {};
};

double watchedDensity(double x, double& slope, void* data)
{
    Watch& watch = *static_cast<Watch*>(data);
    if (watch.searchCalls > 0) {
        --watch.searchCalls;
        return watch.inner(x, slope, nullptr);
    }
    watch.walks.push_back(walkHull());
    watch.candidates.push_back(x);
    return watch.inner(x, slope, nullptr);
}

}  // namespace

TEST(Ars, StartSearchesDoubleTheirStepsAndDrawNothing)
{
    // All five scale arguments 1: one step each way, to -log 2 and log 2, meeting at 0.
    volatile double log2 = std::log(2.0);
    Hull start;
    const HullNode* nodes = start.nodes;
    int calls = 0;
    ASSERT_EQ(startHull(start, 0.0, log2, coshDensity, &calls), HullStart::Ready);
    EXPECT_EQ(calls, 4);  // xStart twice, one step each way
    EXPECT_EQ(start.head, &nodes[0]);
    EXPECT_EQ(start.count, 2);
    EXPECT_EQ(nodes[0].x, -log2);
    EXPECT_EQ(nodes[1].x, +log2);
    EXPECT_NEAR(nodes[0].slope, 0.75, 1e-15);
    EXPECT_NEAR(nodes[1].slope, -0.75, 1e-15);
    EXPECT_NEAR(nodes[0].intercept + nodes[0].x * nodes[0].slope, -1.25, 1e-15);  // h at -log 2
    EXPECT_NEAR(nodes[0].zRight, 0.0, 1e-15);

    // Mode at -1 from xStart 0, step 1: the left search passes it (-1, then -3); the right search
    // ends at xStart itself, already 0.5 below the top it has seen.
    struct Shifted {
        static double density(double x, double& slope, void* data) { return normalDensity(x + 1.0, slope, data); }
    };
    calls = 0;
    ASSERT_EQ(startHull(start, 0.0, 1.0, Shifted::density, &calls), HullStart::Ready);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(nodes[0].x, -3.0);
    EXPECT_EQ(nodes[1].x, 0.0);
    EXPECT_EQ(nodes[0].zRight, -1.5);
}

TEST(Ars, EnvelopeDrawPicksSegmentsByAreaAndInvertsSteepOnesWithoutOverflow)
{
    // Hand-made hull: tangents of slope 2, 800 and -1 meeting at 0 and 2. A naive inversion of
    // the middle segment would need exp(800 * 2).
    Hull made;
    HullNode* n = made.nodes;
    n[0] = {2.0, 0.0, -1.0, 0.0, 1.0, nullptr, &n[1]};
    n[1] = {800.0, 0.0, 1.0, 2.0, 2.0, &n[0], &n[2]};
    n[2] = {-1.0, 0.0, 3.0, 0.0, 1.0, &n[1], nullptr};
    made.head = &n[0];
    made.count = 3;
    HullNode* chosen = nullptr;

    // Total 4: u1 = 0.25 leaves exactly 0 after the first area, which moves on.
    const double total = 4.0;
    ScriptedSource script{{0.25, 1.0, 0.25, 0x1p-60, 0.9999, 0.5, 0.1, 0.5}};
    EXPECT_EQ(drawEnvelope(script, made, total, chosen), 2.0);  // u2 = 1: the segment's rising end
    EXPECT_EQ(chosen, &n[1]);
    double low = drawEnvelope(script, made, total, chosen);  // u2 tiny: finite and inside
    EXPECT_EQ(chosen, &n[1]);
    EXPECT_TRUE(low >= 0.0 && low < 2.0);
    volatile double half = 0.5;
    EXPECT_EQ(drawEnvelope(script, made, total, chosen), 2.0 + std::log(half) / -1.0);
    EXPECT_EQ(chosen, &n[2]);
    EXPECT_EQ(drawEnvelope(script, made, total, chosen), 0.0 + std::log(half) / 2.0);
    EXPECT_EQ(chosen, &n[0]);
    EXPECT_EQ(script.uniformsUsed, 8u);
}

TEST(Ars, AcceptsWhenTheUniformReachesTheRatioAndDrawsThreeUniformsPerProposal)
{
    // Find the first candidate (accepted with a tiny u), then replay with u equal to its ratio.
    Watch watch{coshDensity, 4};
    ScriptedSource first{{0.3, 0.6, 0x1p-60}};
    const ArsDraw accepted = drawOnce(first, 0.0, std::log(2.0), watchedDensity, &watch);
    ASSERT_EQ(accepted.status, ArsStatus::Drawn);
    EXPECT_EQ(accepted.rejections, 0);
    const double x = accepted.x;
    EXPECT_EQ(first.uniformsUsed, 3u);
    EXPECT_EQ(first.uniformsReserved, 3u);
    EXPECT_EQ(watch.walks.back().nodes, 2);  // accepted at once: the hull keeps its two nodes

    Hull start;
    startHull(start, 0.0, std::log(2.0), coshDensity, nullptr);
    const HullNode* nodes = start.nodes;
    double slope;
    double h = coshDensity(x, slope, nullptr);
    const HullNode& segment = x < nodes[0].zRight ? nodes[0] : nodes[1];
    double w = std::exp((h - segment.slope * x) - segment.intercept);
    ScriptedSource equal{{0.3, 0.6, w}};
    EXPECT_EQ(drawOnce(equal, 0.0, std::log(2.0), coshDensity).x, x);
    EXPECT_EQ(equal.uniformsUsed, 3u);
    ScriptedSource above{{0.3, 0.6, std::nextafter(w, 1.0), 0.3, 0.6, 0x1p-60}};
    const ArsDraw second = drawOnce(above, 0.0, std::log(2.0), coshDensity);
    EXPECT_NE(second.x, x);
    EXPECT_EQ(second.rejections, 1);
    EXPECT_EQ(above.uniformsUsed, 6u);
    EXPECT_EQ(above.uniformsReserved, 6u);
}

TEST(Ars, RejectionsAddTangentsInOrderUntilTheHullIsFull)
{
    // u = 2 rejects every candidate: each rejection adds one tangent, up to 100 nodes, and the
    // hull stays a sorted list with ordered boundaries throughout.
    Watch watch{normalDensity, 5};
    Seeded source{SeededSource(11)};
    std::vector<double> script;
    for (int k = 0; k < 150; ++k) {
        double u1 = source.uniform(), u2 = source.uniform();
        bool farLeft = k == 10 || k == 40;  // the leftmost segment, well out in its tail
        script.insert(script.end(), {farLeft ? 1e-12 : u1, farLeft ? 0.05 : u2, k < 149 ? 2.0 : 0x1p-60});
    }
    ScriptedSource scripted{script};
    const ArsDraw draw = drawOnce(scripted, 0.5, 1.0, watchedDensity, &watch);
    ASSERT_EQ(draw.status, ArsStatus::Drawn);
    EXPECT_EQ(draw.rejections, 149);
    ASSERT_EQ(watch.walks.size(), 150u);
    double leftmost = -2.5;  // the left search ends at 0.5 - 3
    for (std::size_t k = 0; k < watch.walks.size(); ++k) {
        EXPECT_EQ(watch.walks[k].nodes, std::min<int>(2 + static_cast<int>(k), kHullCapacity)) << k;
        EXPECT_TRUE(watch.walks[k].ordered) << k;
        if (k > 0 && k < 99 && watch.candidates[k - 1] < leftmost) {
            leftmost = watch.candidates[k - 1];
            EXPECT_EQ(watch.walks[k].headX, leftmost) << k;  // left of every node: the new head
        }
    }
    EXPECT_LT(leftmost, -2.5);

    // Flat or equal slopes are not added: a candidate at the boundary 0 of -cosh (u2 = 1,
    // h' = -sinh(0)), and candidates in a linear tail whose slope equals its node's.
    Watch flat{coshDensity, 4};
    ScriptedSource atBoundary{{0.3, 1.0, 2.0, 0.3, 1.0, 0x1p-60}};
    drawOnce(atBoundary, 0.0, std::log(2.0), watchedDensity, &flat);
    EXPECT_EQ(flat.walks[1].nodes, 2);
    Watch tails{linearTailsDensity, 4};
    ScriptedSource inTails{{0.01, 0.001, 2.0, 0.99, 0.001, 2.0, 0.3, 0.5, 0x1p-60}};
    drawOnce(inTails, 0.0, 1.0, watchedDensity, &tails);
    EXPECT_LT(tails.candidates[0], -1.0);
    EXPECT_GT(tails.candidates[1], 1.0);
    EXPECT_EQ(tails.walks[2].nodes, 2);
}

TEST(Ars, DrawsFollowTheExactDistribution)
{
    const int n = 20000;
    const double critical = ksBound(n);  // 0.1% level
    Seeded source{SeededSource(2024)};
    auto sample = [&](double xStart, double step, LogDensityFn density) {
        std::vector<double> draws;
        ArsDraw draw;
        for (int k = 0; k < n && draw.status == ArsStatus::Drawn; ++k) {
            draw = drawOnce(source, xStart, step, density);
            draws.push_back(draw.x);
        }
        EXPECT_EQ(draw.status, ArsStatus::Drawn);
        return draws;
    };
    EXPECT_LT(
        ksDistance(sample(3.0, 0.5, normalDensity), [](double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }),
        critical);
    // log of a gamma(3) variate: P(G <= g) = 1 - e^-g (1 + g + g^2/2).
    EXPECT_LT(ksDistance(sample(-2.0, 0.3, logGammaDensity),
                         [](double x) {
                             double g = std::exp(x);
                             return 1.0 - std::exp(-g) * (1.0 + g + 0.5 * g * g);
                         }),
              critical);
    // A long linear tail ending in a wall: far-tail tangents that rounding has swamped are taken
    // back, and the draws stay exact.
    std::vector<double> wall = sample(0.0, std::log(1.0 / std::sqrt(1e-3) + 1.0), wallDensity);
    const auto logWall = [](long double x) {
        double slope;
        return static_cast<long double>(wallDensity(static_cast<double>(x), slope, nullptr));
    };
    EXPECT_LT(ksDistance(wall, NumericCdf(logWall, -8.0, 14.0)), critical);
}

TEST(Ars, BrokenDensitiesEndWithAStatusInsteadOfLooping)
{
    struct Broken {
        static double nan(double, double& slope, void*)
        {
            slope = NAN;
            return NAN;
        }
        static double convex(double x, double& slope, void*)
        {
            slope = 2 * x;
            return x * x;
        }
        static double flat(double, double& slope, void*)
        {
            slope = 0.0;
            return 0.0;
        }
        static double huge(double x, double& slope, void*)
        {
            slope = -2e20 * x;
            return -1e20 * x * x;
        }
        static double infiniteAfterSearches(double x, double& slope, void* data)
        {
            return ++*static_cast<int*>(data) > 4 ? INFINITY : coshDensity(x, slope, nullptr);
        }
    };
    Hull start;
    EXPECT_EQ(startHull(start, 0.0, 1.0, Broken::nan, nullptr), HullStart::SearchFailed);
    EXPECT_EQ(startHull(start, 0.0, 1.0, Broken::convex, nullptr), HullStart::SearchFailed);
    EXPECT_EQ(startHull(start, 0.0, 1.0, Broken::flat, nullptr), HullStart::SearchFailed);
    EXPECT_EQ(startHull(start, 1e20, 1.0, coshDensity, nullptr), HullStart::BadStart);  // step below the spacing
    EXPECT_EQ(startHull(start, 0.0, 0.0, coshDensity, nullptr), HullStart::BadStart);
    EXPECT_EQ(startHull(start, 0.0, 1.0, Broken::huge, nullptr), HullStart::Imprecise);
    ScriptedSource script{{}};
    const ArsDraw none = drawOnce(script, 0.0, 1.0, Broken::nan);
    EXPECT_EQ(none.status, ArsStatus::NoStart);
    EXPECT_TRUE(std::isnan(none.x));
    EXPECT_EQ(script.uniformsUsed, 0u);  // the searches draw nothing

    int calls = 0;
    ScriptedSource proposal{{0.5, 0.5, 0.5}};
    EXPECT_EQ(drawOnce(proposal, 0.0, 1.0, Broken::infiniteAfterSearches, &calls).status, ArsStatus::BadDensity);

    // Every candidate rejected: the bound ends the draw, which says how many it rejected and
    // prints nothing. Warning is the caller's business: it is called back once, when the
    // 10000th proposal has been rejected and before the next draws its uniforms.
    Seeded rejectAll{SeededSource(3), 2.0};
    std::vector<std::size_t> usedAtWarning;
    testing::internal::CaptureStderr();
    const ArsDraw hopeless = ars(rejectAll, hull, 0.0, 1.0, normalDensity, nullptr,
                                 [&] { usedAtWarning.push_back(rejectAll.numbers.uniformsUsed); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(usedAtWarning, std::vector<std::size_t>{3u * kWarningRejections});
    EXPECT_EQ(hopeless.status, ArsStatus::TooManyProposals);
    EXPECT_EQ(hopeless.rejections, kMaxProposals);
    EXPECT_EQ(rejectAll.numbers.uniformsUsed, 3u * kMaxProposals);
}
