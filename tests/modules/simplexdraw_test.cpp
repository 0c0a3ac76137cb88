// simplexdraw through the embedded host, against the host's own stream.
#include <algorithm>
#include <cmath>

#include "hostile.hpp"
#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

const std::uint32_t kSeed = 7031;

// Columns of k exponentials -ln u from the next k * m host uniforms, each divided by its sum.
std::vector<double> expectedDraws(std::size_t k, std::size_t m)
{
    std::vector<double> r = hostUniforms(k * m);
    for (std::size_t j = 0; j < m; ++j) {
        double sum = 0.0;
        for (std::size_t i = 0; i < k; ++i) {
            r[j * k + i] = -std::log(r[j * k + i]);
            sum += r[j * k + i];
        }
        for (std::size_t i = 0; i < k; ++i) r[j * k + i] = r[j * k + i] / sum;
    }
    return r;
}

}  // namespace

TEST(Simplexdraw, ColumnsAreNormalisedExponentialsOfTheHostStream)
{
    Host host;
    struct Case {
        double k, m;
        std::size_t rows, cols, uniforms;
    };
    // Sizes truncate toward zero and negative sizes count as 0, so two negative sizes end at once.
    const Case cases[] = {{3, 2, 3, 2, 6}, {2.9, 4.2, 2, 4, 8}, {1, 3, 1, 3, 3},  {5, 0, 5, 0, 0},
                          {0, 5, 0, 5, 0}, {-2, -3, 0, 0, 0},   {-2, 3, 0, 3, 0}, {4, -1, 4, 0, 0}};
    for (const Case& c : cases) {
        Array k = makeScalar(c.k), m = makeScalar(c.m);
        host.seed(kSeed);
        std::vector<double> expected = expectedDraws(c.rows, c.cols);
        RandomState after = host.randomState();
        for (Build build : {Build::Current, Build::Legacy}) {
            host.seed(kSeed);
            CallResult result = callModule(build, "simplexdraw", 1, {k.get(), m.get()});
            Output out = outputOf(result);
            EXPECT_EQ(out.rows, c.rows) << c.k << " " << c.m;
            EXPECT_EQ(out.cols, c.cols) << c.k << " " << c.m;
            EXPECT_TRUE(sameValues(expected, out.values)) << c.k << " " << c.m;
            EXPECT_EQ(result.stats.uniformsDrawn, c.uniforms);
            EXPECT_EQ(result.stats.hostCalls, 1u);
            EXPECT_TRUE(host.randomState() == after);
        }
    }
    // One argument: one column. K = 1 gives exactly 1.
    Array four = makeScalar(4), one = makeScalar(1), three = makeScalar(3);
    host.seed(kSeed);
    std::vector<double> expected = expectedDraws(4, 1);
    host.seed(kSeed);
    EXPECT_TRUE(sameValues(expected, outputOf(callModule(Build::Current, "simplexdraw", 1, {four.get()})).values));
    EXPECT_TRUE(
        sameValues({1, 1, 1}, outputOf(callModule(Build::Current, "simplexdraw", 1, {one.get(), three.get()})).values));
}

TEST(Simplexdraw, EveryEntryFollowsBetaOneKMinusOne)
{
    // Kolmogorov-Smirnov distance of each row of 20000 draws from 1 - (1 - x)^(K - 1).
    Host host;
    host.seed(kSeed);
    const std::size_t k = 5, m = 20000;
    Array K = makeScalar(k), M = makeScalar(m);
    Output out = outputOf(callModule(Build::Current, "simplexdraw", 1, {K.get(), M.get()}));
    ASSERT_EQ(out.values.size(), k * m);
    for (std::size_t row = 0; row < k; ++row) {
        std::vector<double> entries(m);
        for (std::size_t j = 0; j < m; ++j) entries[j] = out.values[j * k + row];
        std::sort(entries.begin(), entries.end());
        double distance = 0.0;
        for (std::size_t j = 0; j < m; ++j) {
            double cdf = 1.0 - std::pow(1.0 - entries[j], static_cast<double>(k - 1));
            distance = std::max({distance, std::fabs(cdf - double(j) / m), std::fabs(cdf - double(j + 1) / m)});
        }
        EXPECT_LT(distance, 1.95 / std::sqrt(double(m))) << "row " << row;  // the 0.1% critical value
    }
}

TEST(Simplexdraw, ErrorsComeInOrderBeforeAnyDraw)
{
    Host host;
    host.seed(kSeed);
    RandomState before = host.randomState();
    Array two = makeScalar(2), pair = makeRow({1, 2}), empty = makeMatrix(0, 0, {}), nan = makeScalar(NAN);
    Array text(mxCreateString("a")), huge = makeScalar(1e300);
    struct Case {
        int nlhs;
        std::vector<const mxArray*> args;
        const char* reason;
        const char* message;
    };
    // Each case would also fail a later check: the earlier message wins.
    const Case cases[] = {
        {2, {}, "tooManyOutputs", "Too many output arguments."},
        {1, {pair.get(), two.get(), two.get()}, "wrongInputCount", "Wrong number of input arguments."},
        {1, {pair.get(), pair.get()}, "firstNotScalar", "First argument must be a scalar."},
        {1, {empty.get(), pair.get()}, "badSize", "Size arguments must be finite real numbers."},
        {1, {two.get(), pair.get()}, "secondNotScalar", "Second argument must be a scalar."},
        {1, {two.get(), nan.get()}, "badSize", "Size arguments must be finite real numbers."},
        {1, {text.get()}, "badSize", "Size arguments must be finite real numbers."},
        {1, {huge.get(), two.get()}, "sizeTooLarge", "Size arguments are too large."},
    };
    for (Build build : {Build::Current, Build::Legacy}) {
        for (const Case& c : cases) {
            expectError(callModule(build, "simplexdraw", c.nlhs, c.args), "simplexdraw", c.reason, c.message);
        }
    }
    EXPECT_TRUE(host.randomState() == before);
}

TEST(Simplexdraw, HostileArgumentListsNeverMisuseTheHost)
{
    std::size_t calls = 0;
    for (Build build : {Build::Current, Build::Legacy}) calls += sweepHostile(build, "simplexdraw", Sweep(3));
    EXPECT_GT(calls, 5000u);
}
