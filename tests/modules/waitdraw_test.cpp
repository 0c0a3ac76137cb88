// waitdraw through the embedded host, against the host's own stream.
#include <cmath>

#include "hostile.hpp"
#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

const std::uint32_t kSeed = 20261208;

// -mu * ln(u) for the next `count` host uniforms, computed here from the stream.
std::vector<double> expectedExponentials(const std::vector<double>& mu, std::size_t count)
{
    std::vector<double> u = hostUniforms(count);
    std::vector<double> expected(count);
    for (std::size_t i = 0; i < count; ++i) {
        double m = mu.size() == 1 ? mu[0] : mu[i];
        expected[i] = m == 1.0 && mu.size() == 1 ? -std::log(u[i]) : (-m) * std::log(u[i]);
    }
    return expected;
}

}  // namespace

TEST(Waitdraw, ValuesAreMinusMuLogOfTheHostUniformsInColumnOrder)
{
    Host host;
    Array two = makeScalar(2), one = makeScalar(1), three = makeScalar(3), four = makeScalar(4);
    Array mu = makeMatrix(2, 2, {0.5, 1, 2, -3});
    for (Build build : {Build::Current, Build::Legacy}) {
        host.seed(kSeed);
        std::vector<double> expected = expectedExponentials({2}, 12);
        host.seed(kSeed);
        Output scaled = outputOf(callModule(build, "waitdraw", 1, {two.get(), three.get(), four.get()}));
        EXPECT_EQ(scaled.rows, 3u);
        EXPECT_EQ(scaled.cols, 4u);
        EXPECT_TRUE(sameValues(expected, scaled.values));

        host.seed(kSeed);
        expected = expectedExponentials({1}, 12);
        host.seed(kSeed);
        EXPECT_TRUE(sameValues(
            expected, outputOf(callModule(build, "waitdraw", 1, {one.get(), three.get(), four.get()})).values));

        host.seed(kSeed);
        expected = expectedExponentials({0.5, 1, 2, -3}, 4);
        host.seed(kSeed);
        Output perElement = outputOf(callModule(build, "waitdraw", 1, {mu.get()}));
        EXPECT_EQ(perElement.rows, 2u);
        EXPECT_TRUE(sameValues(expected, perElement.values));

        host.seed(kSeed);
        expected = expectedExponentials({2}, 1);
        host.seed(kSeed);
        EXPECT_TRUE(sameValues(expected, outputOf(callModule(build, "waitdraw", 1, {two.get()})).values));
    }
}

TEST(Waitdraw, MakesExactlyOneRandCallAndLeavesNothingBehind)
{
    Host host;
    host.setLogging(true);
    Array two = makeScalar(2), three = makeScalar(3), four = makeScalar(4);
    // A 3-by-4 mu needs its dimension list (a one-element or column argument is told by its
    // counts): the current build asks for it by the "_700" name, the legacy build by the plain one.
    Array mu = makeMatrix(3, 4, std::vector<double>(12, 2.0));
    CallResult current = callModule(Build::Current, "waitdraw", 1, {mu.get(), three.get(), four.get()});
    CallResult legacy = callModule(Build::Legacy, "waitdraw", 1, {mu.get(), three.get(), four.get()});
    host.setLogging(false);
    const std::vector<std::string> expected = {"mxGetDimensions_700",
                                               "mxGetScalar",
                                               "mxGetScalar",
                                               "mxCreateDoubleScalar(3)",
                                               "mxCreateDoubleScalar(4)",
                                               "mexCallMATLAB rand(3,4)",
                                               "mxDestroyArray",
                                               "mxDestroyArray",
                                               "mxGetPr",
                                               "mxGetPr",
                                               "mxGetPr"};
    EXPECT_EQ(current.log, expected);
    std::vector<std::string> expectedLegacy = expected;
    expectedLegacy[0] = "mxGetDimensions";
    EXPECT_EQ(legacy.log, expectedLegacy);
    for (const CallResult* result : {&current, &legacy}) {
        EXPECT_EQ(result->stats.hostCalls, 1u);
        EXPECT_EQ(result->stats.uniformsDrawn, 12u);
        EXPECT_EQ(result->stats.arraysReclaimed, 0u);
        EXPECT_EQ(result->stats.blocksReclaimed, 0u);
    }

    Array zero = makeScalar(0), five = makeScalar(5);
    CallResult empty = callModule(Build::Current, "waitdraw", 1, {two.get(), zero.get(), five.get()});
    Output none = outputOf(empty);
    EXPECT_EQ(none.rows, 0u);
    EXPECT_EQ(none.cols, 5u);
    EXPECT_EQ(empty.stats.hostCalls, 1u);
    EXPECT_EQ(empty.stats.uniformsDrawn, 0u);
}

TEST(Waitdraw, ErrorsComeInOrderBeforeAnyDraw)
{
    Host host;
    host.seed(kSeed);
    RandomState before = host.randomState();
    Array one = makeScalar(1), two = makeScalar(2), three = makeScalar(3), four = makeScalar(4), five = makeScalar(5);
    Array mu34 = makeMatrix(3, 4, std::vector<double>(12, 1.0));
    expectError(callModule(Build::Current, "waitdraw", 1, {one.get(), two.get()}), "waitdraw", "wrongInputCount",
                "Wrong number of input arguments.");
    expectError(callModule(Build::Current, "waitdraw", 1, {}), "waitdraw", "wrongInputCount",
                "Wrong number of input arguments.");
    expectError(callModule(Build::Current, "waitdraw", 1, {one.get(), one.get(), one.get(), one.get()}), "waitdraw",
                "wrongInputCount", "Wrong number of input arguments.");
    expectError(callModule(Build::Current, "waitdraw", 2, {one.get(), two.get()}), "waitdraw", "tooManyOutputs",
                "Too many output arguments.");
    expectError(callModule(Build::Legacy, "waitdraw", 1, {mu34.get(), three.get(), five.get()}), "waitdraw",
                "sizeMismatch", "Size information is inconsistent.");
    EXPECT_TRUE(callModule(Build::Current, "waitdraw", 0, {mu34.get(), three.get(), four.get()}).ok);
    host.seed(kSeed);
    expectError(callModule(Build::Current, "waitdraw", 1, {mu34.get(), four.get(), three.get()}), "waitdraw",
                "sizeMismatch", "Size information is inconsistent.");
    EXPECT_TRUE(host.randomState() == before);
}

TEST(Waitdraw, LegacyBuildCountsANaNMeanAsOne)
{
    Host host;
    Array nan = makeScalar(NAN), one = makeScalar(1), three = makeScalar(3);
    host.seed(kSeed);
    std::vector<double> expected = expectedExponentials({1}, 3);
    host.seed(kSeed);
    EXPECT_TRUE(sameValues(
        expected, outputOf(callModule(Build::Legacy, "waitdraw", 1, {nan.get(), one.get(), three.get()})).values));
    Output current = outputOf(callModule(Build::Current, "waitdraw", 1, {nan.get(), one.get(), three.get()}));
    for (double v : current.values) EXPECT_TRUE(std::isnan(v));

    // NaN inside an array mean gives NaN in both builds.
    Array mu = makeRow({NAN, 1});
    for (Build build : {Build::Current, Build::Legacy}) {
        Output values = outputOf(callModule(build, "waitdraw", 1, {mu.get()}));
        EXPECT_TRUE(std::isnan(values.values[0]));
        EXPECT_GT(values.values[1], 0.0);
    }
}

TEST(Waitdraw, MeansOfOtherClassesGiveTheSameValuesAsDoubles)
{
    Host host;
    Array single(mxCreateNumericMatrix(1, 1, mxSINGLE_CLASS, mxREAL));
    *static_cast<float*>(mxGetData(single.get())) = 2.5f;
    Array integers(mxCreateNumericMatrix(1, 2, mxUINT8_CLASS, mxREAL));
    static_cast<unsigned char*>(mxGetData(integers.get()))[0] = 3;
    static_cast<unsigned char*>(mxGetData(integers.get()))[1] = 200;
    Array two = makeScalar(2), one = makeScalar(1);

    host.seed(kSeed);
    std::vector<double> expected = expectedExponentials({2.5}, 2);
    host.seed(kSeed);
    EXPECT_TRUE(sameValues(
        expected, outputOf(callModule(Build::Current, "waitdraw", 1, {single.get(), one.get(), two.get()})).values));

    host.seed(kSeed);
    expected = expectedExponentials({3, 200}, 2);
    host.seed(kSeed);
    CallResult converted = callModule(Build::Current, "waitdraw", 1, {integers.get()});
    EXPECT_TRUE(sameValues(expected, outputOf(converted).values));
    EXPECT_EQ(converted.stats.blocksReclaimed, 0u);  // the converted copy was freed
}

TEST(Waitdraw, HostileArgumentListsNeverMisuseTheHost)
{
    std::size_t calls = 0;
    for (Build build : {Build::Current, Build::Legacy}) calls += sweepHostile(build, "waitdraw", Sweep(4));
    EXPECT_GT(calls, 10000u);
}
