// studentdraw through the embedded host, against the library's Student t variates drawn from the
// host's streams.
#include <cmath>

#include "exact_cdf.hpp"
#include "hostile.hpp"
#include "module_test.hpp"
#include "sampling/student.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

const std::uint32_t kSeed = 7031;
const double kInf = INFINITY;
const double kNaN = NAN;

// First count normals Z, then each element's own draws, in order (student.hpp, unit-tested).
Expected expectFromStream(const std::vector<double>& nu, std::size_t count)
{
    return montemex::test::expectFromStream(kSeed, 20 * count + 64, 2 * count + 8, [&](ScriptedSource& stream) {
        stream.normalsUsed = count;
        std::vector<double> values;
        for (std::size_t i = 0; i < count; ++i) {
            const double v = nu.size() == 1 ? nu[0] : nu[i];
            values.push_back(studentFromNormal(stream, stream.normals[i], v));
        }
        return values;
    });
}

}  // namespace

TEST(Studentdraw, ValuesComeFromOneRandnBlockThenEachElementsDraws)
{
    Host host;
    Array three = makeScalar(3), four = makeScalar(4);
    const std::vector<std::vector<double>> scalars = {{1},    {2},    {5},    {0.5}, {2.00001},
                                                      {1e-6}, {kInf}, {kNaN}, {0},   {-3}};
    for (const auto& nu : scalars) {
        Expected expected = expectFromStream(nu, 12);
        Array v = makeScalar(nu[0]);
        for (Build build : {Build::Current, Build::Unbuffered}) {
            host.seed(kSeed);
            Output output = outputOf(callModule(build, "studentdraw", 1, {v.get(), three.get(), four.get()}));
            EXPECT_EQ(output.rows, 3u);
            EXPECT_EQ(output.cols, 4u);
            EXPECT_TRUE(sameValues(expected.values, output.values)) << "nu = " << nu[0];
            EXPECT_TRUE(host.randomState() == expected.after) << "nu = " << nu[0];
        }
    }
    // One value per element of nu, the three kinds of element interleaved, special values too.
    const std::vector<double> mixed = {1, 2, 5, 1, 1, 0.5, 2, kInf, kNaN, 3, 0x1p1021, -kInf, 0, 1e-6, 2.00001, 1};
    Expected expected = expectFromStream(mixed, mixed.size());
    Array nu = makeMatrix(4, 4, mixed);
    host.seed(kSeed);
    Output output = outputOf(callModule(Build::Current, "studentdraw", 1, {nu.get()}));
    EXPECT_EQ(output.rows, 4u);
    EXPECT_TRUE(sameValues(expected.values, output.values));
    EXPECT_TRUE(host.randomState() == expected.after);
    // Limits drawn from nothing: Z for infinite and huge nu, NaN for NaN, 0, negative.
    EXPECT_TRUE(std::isnan(output.values[8]) && std::isnan(output.values[11]) && std::isnan(output.values[12]));
    // The smallest subnormal nu: nu / 2 rounds to 0, and Z / 0 is infinite (as the help says).
    Array smallest = makeScalar(4.9e-324);
    for (double t :
         outputOf(callModule(Build::Current, "studentdraw", 1, {smallest.get(), three.get(), four.get()})).values) {
        EXPECT_TRUE(std::isinf(t)) << t;
    }
}

TEST(Studentdraw, BulkDrawingNeverReachesAcrossTheOtherKindOfNumber)
{
    Host host;
    std::vector<double> mixed;
    std::uint32_t state = 99;
    for (int k = 0; k < 3000; ++k) {
        state = state * 1664525u + 1013904223u;
        const double kinds[] = {1, 1, 1, 2, 2, 5, 0.5, 2.00001, 1e-6, kNaN, kInf, 30};
        mixed.push_back(kinds[(state >> 16) % 12]);
    }
    Array nu = makeMatrix(60, 50, mixed), many = makeScalar(200);
    Array one = makeScalar(1), two = makeScalar(2), five = makeScalar(5);
    const std::vector<std::vector<const mxArray*>> argumentLists = {{nu.get()},
                                                                    {one.get(), many.get(), many.get()},
                                                                    {two.get(), many.get(), many.get()},
                                                                    {five.get(), many.get(), many.get()}};
    for (StreamMode mode : {StreamMode::Separate, StreamMode::Shared}) {
        host.setStreamMode(mode);
        for (const auto& args : argumentLists) {
            host.seed(kSeed);
            CallResult bulk = callModule(Build::Current, "studentdraw", 1, args);
            RandomState afterBulk = host.randomState();
            host.seed(kSeed);
            CallResult unbuffered = callModule(Build::Unbuffered, "studentdraw", 1, args);
            EXPECT_TRUE(sameValues(outputOf(unbuffered).values, outputOf(bulk).values));
            EXPECT_TRUE(host.randomState() == afterBulk);
            EXPECT_EQ(bulk.stats.uniformsDrawn, unbuffered.stats.uniformsDrawn);
            EXPECT_EQ(bulk.stats.normalsDrawn, unbuffered.stats.normalsDrawn);
            EXPECT_LT(bulk.stats.hostCalls * 2, unbuffered.stats.hostCalls);
            EXPECT_EQ(bulk.stats.arraysReclaimed, 0u);
        }
    }
    host.setStreamMode(StreamMode::Separate);

    // A scalar nu draws 40000 elements in a handful of calls.
    CallResult cauchy = callModule(Build::Current, "studentdraw", 1, {one.get(), many.get(), many.get()});
    EXPECT_LE(cauchy.stats.hostCalls, 3u);
}

TEST(Studentdraw, EachBranchFollowsItsExactDistribution)
{
    Host host;
    host.seed(kSeed);
    const std::size_t n = 20000;
    Array rows = makeScalar(static_cast<double>(n)), one = makeScalar(1);
    for (double nu : {1.0, 2.0, 3.0}) {
        Array v = makeScalar(nu);
        Output t = outputOf(callModule(Build::Current, "studentdraw", 1, {v.get(), rows.get(), one.get()}));
        EXPECT_LT(ksDistance(t.values, [&](double x) { return studentCdf(nu, x); }), ksBound(n)) << "nu = " << nu;
    }
    // Interleaved kinds in one call, checked kind by kind.
    std::vector<double> pattern;
    for (std::size_t k = 0; k < 3 * n; ++k) pattern.push_back(1.0 + static_cast<double>(k % 3));
    Array nu = makeMatrix(3, n, pattern);
    Output t = outputOf(callModule(Build::Current, "studentdraw", 1, {nu.get()}));
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<double> sample;
        for (std::size_t k = static_cast<std::size_t>(kind); k < t.values.size(); k += 3) sample.push_back(t.values[k]);
        EXPECT_LT(ksDistance(sample, [&](double x) { return studentCdf(kind + 1.0, x); }), ksBound(n)) << kind + 1;
    }
}

TEST(Studentdraw, ErrorsComeInOrderAndOddSizesDrawNothing)
{
    Host host;
    host.seed(kSeed);
    const RandomState before = host.randomState();
    Array one = makeScalar(1), two = makeScalar(2), three = makeScalar(3), minus = makeScalar(-3),
          inf = makeScalar(kInf);
    Array square = makeMatrix(2, 2, {1, 2, 3, 4}), cell(mxCreateCellMatrix(1, 1)), empty = makeMatrix(0, 0, {});
    const std::string name = "studentdraw";
    expectError(callModule(Build::Current, name, 1, {one.get(), two.get()}), name, "wrongInputCount",
                "Wrong number of input arguments.");
    expectError(callModule(Build::Current, name, 1, {}), name, "wrongInputCount", "Wrong number of input arguments.");
    expectError(callModule(Build::Current, name, 2, {one.get()}), name, "tooManyOutputs", "Too many output arguments.");
    expectError(callModule(Build::Current, name, 2, {one.get(), two.get()}), name, "tooManyOutputs",
                "Too many output arguments.");
    expectError(callModule(Build::Current, name, 1, {square.get(), three.get(), three.get()}), name, "sizeMismatch",
                "Size information is inconsistent.");
    expectError(callModule(Build::Current, name, 1, {square.get(), two.get(), three.get()}), name, "sizeMismatch",
                "Size information is inconsistent.");
    expectError(callModule(Build::Current, name, 1, {empty.get(), two.get(), three.get()}), name, "sizeMismatch",
                "Size information is inconsistent.");
    expectError(callModule(Build::Current, name, 1, {cell.get()}), name, "notRealNumeric",
                "Arguments must be full real numeric or logical arrays.");
    expectError(callModule(Build::Current, name, 1, {one.get(), inf.get(), two.get()}), name, "badSize",
                "Size arguments must be finite real numbers.");
    EXPECT_TRUE(host.randomState() == before);

    // Negative sizes count as 0: an empty randn block and no element draws.
    host.setLogging(true);
    CallResult negative = callModule(Build::Current, name, 1, {one.get(), minus.get(), minus.get()});
    host.setLogging(false);
    Output none = outputOf(negative);
    EXPECT_EQ(none.rows + none.cols, 0u);
    EXPECT_EQ(negative.stats.hostCalls, 1u);
    EXPECT_NE(std::find(negative.log.begin(), negative.log.end(), "mexCallMATLAB randn(0,0)"), negative.log.end());
    EXPECT_EQ(outputOf(callModule(Build::Current, name, 1, {empty.get()})).values.size(), 0u);
    EXPECT_TRUE(host.randomState() == before);

    // Sizes are truncated: 2.7 by 3.2 is 2 by 3.
    Array rows = makeScalar(2.7), cols = makeScalar(3.2);
    Output truncated = outputOf(callModule(Build::Current, name, 0, {three.get(), rows.get(), cols.get()}));
    EXPECT_EQ(truncated.rows, 2u);
    EXPECT_EQ(truncated.cols, 3u);
}

TEST(Studentdraw, HostileArgumentListsNeverMisuseTheHost)
{
    EXPECT_GT(sweepHostile(Build::Current, "studentdraw", Sweep(4)), 5000u);
}
