// Elementary variates of the sampling library, fed with scripted numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "scripted_source.hpp"
#include "source.hpp"
#include "variates.hpp"

using montemex::test::ScriptedSource;
using namespace montemex;

namespace {
const double kLargestBelowOne = std::nextafter(1.0, 0.0);  // 1 - 2^-53
const double kSmallestUniform = 0x1p-53;
}  // namespace

TEST(Variates, UniformAndNormalPassHostNumbersThroughOneEach)
{
    ScriptedSource source{{0.25, 0.75}, {-1.5}};
    EXPECT_EQ(drawUniform(source), 0.25);
    EXPECT_EQ(drawNormal(source), -1.5);
    EXPECT_EQ(drawUniform(source), 0.75);
    EXPECT_EQ(source.uniformsUsed, 2u);
    EXPECT_EQ(source.normalsUsed, 1u);
}

TEST(Variates, IndexTruncatesAndNeverReachesN)
{
    ScriptedSource one{{0.999}};
    EXPECT_EQ(drawIndex(one, 1), 0);
    EXPECT_EQ(one.uniformsUsed, 1u);

    ScriptedSource source{{0.5, 0.2, 0.7999999999999999}};
    EXPECT_EQ(drawIndex(source, 4), 2);
    EXPECT_EQ(drawIndex(source, 5), 1);  // 0.2 * 5 rounds to exactly 1
    EXPECT_EQ(drawIndex(source, 5), 3);

    // The largest uniform below 1 stays below n for every n, powers of two included.
    for (int n : {1, 2, 3, 7, 1000, 1 << 20, (1 << 30) + 1, 2147483647}) {
        ScriptedSource top{{kLargestBelowOne}};
        EXPECT_EQ(drawIndex(top, n), n - 1) << "n = " << n;
    }
}

TEST(Variates, ExponentialIsMinusLogOfTheUniform)
{
    ScriptedSource source{{0.5, kSmallestUniform, kLargestBelowOne}};
    EXPECT_EQ(drawExponential(source), -std::log(0.5));
    double largest = drawExponential(source);
    double smallest = drawExponential(source);
    EXPECT_DOUBLE_EQ(largest, 53 * std::log(2.0));
    EXPECT_TRUE(std::isfinite(largest));
    EXPECT_GT(smallest, 0.0);  // -log(1 - 2^-53) is 2^-53, not 0
}

TEST(Variates, CauchySubtractsTheHalfFirst)
{
    // volatile keeps the compiler from folding tan at build time, which can differ from the
    // library's tan in the last bit.
    volatile double quarter = 0.25, tenth = 0.1;
    ScriptedSource source{{0.5, 0.75, 0.1}};
    EXPECT_EQ(drawCauchy(source), 0.0);
    EXPECT_EQ(drawCauchy(source), std::tan(3.141592653589793 * quarter));
    EXPECT_EQ(drawCauchy(source), std::tan(3.141592653589793 * (tenth - 0.5)));
    EXPECT_EQ(source.uniformsUsed, 3u);
}

// An engine that returns the numbers it is given, to look at StandardSource's edges.
struct FixedEngine {
    using result_type = std::uint64_t;
    std::vector<std::uint64_t> outputs;
    std::size_t next = 0;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return ~std::uint64_t(0); }
    result_type operator()() { return outputs[next++]; }
};

TEST(Variates, StandardSourceKeepsUniformsInsideTheOpenIntervalAndNormalsFinite)
{
    FixedEngine engine{{0, ~std::uint64_t(0), std::uint64_t(1) << 63, 0, ~std::uint64_t(0)}};
    StandardSource<FixedEngine> source(engine);
    EXPECT_EQ(source.uniform(), 0x1p-53);        // (0 + 0.5) / 2^52
    EXPECT_EQ(source.uniform(), 1.0 - 0x1p-53);  // the top 52 bits all set
    EXPECT_EQ(source.uniform(), 0.5 + 0x1p-53);
    EXPECT_TRUE(std::isfinite(source.normal()));  // the most extreme pair of uniforms
    EXPECT_EQ(engine.next, 5u);

    // A real engine: reproducible from its seed.
    std::mt19937_64 a(5), b(5);
    StandardSource<std::mt19937_64> first(a), second(b);
    for (int k = 0; k < 100; ++k) ASSERT_EQ(first.uniform(), second.uniform());
}
