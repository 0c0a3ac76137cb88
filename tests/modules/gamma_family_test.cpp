// shapedraw, recipshapedraw, shapedrawone and recipshapedrawone through the embedded host,
// against values computed here from the host's own stream.
#include <cmath>

#include "exact_cdf.hpp"
#include "hostile.hpp"
#include "module_test.hpp"
#include "sampling/gamma.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

const std::uint32_t kSeed = 20261208;
const double kInf = INFINITY;
const double kNaN = NAN;

// Element i of shapedraw (mean) or recipshapedraw (scale) from the stream.
double expectedElement(ScriptedSource& stream, bool inverse, double first, double v)
{
    const double shape = v / 2.0;
    if (isHugeGammaShape(shape)) return first;  // the limit, nothing drawn
    const double g = drawGamma(stream, shape);
    return inverse ? first * v / 2.0 / g : 2.0 * g * first / v;
}

// The elements of a call from the host's stream.
Expected expectFromStream(bool inverse, const std::vector<double>& first, const std::vector<double>& dof,
                          std::size_t count)
{
    return montemex::test::expectFromStream(kSeed, 20 * count + 64, 0, [&](ScriptedSource& stream) {
        std::vector<double> values;
        for (std::size_t i = 0; i < count; ++i) {
            const double a = first.size() == 1 ? first[0] : first[i];
            const double v = dof.size() == 1 ? dof[0] : dof[i];
            values.push_back(expectedElement(stream, inverse, a, v));
        }
        return values;
    });
}

Array arrayOf(const std::vector<double>& values, std::size_t rows)
{
    return values.size() == 1 ? makeScalar(values[0]) : makeMatrix(rows, values.size() / rows, values);
}

}  // namespace

TEST(GammaFamily, ValuesComeFromTheHostStreamElementByElement)
{
    Host host;
    const std::vector<double> means = {1, -2, 0.5, 3, 10, 7};
    const std::vector<double> dofs = {8, 0.5, 2.00001, 2.00002, 3, 200};  // every path
    const Array two = makeScalar(2), three = makeScalar(3), four = makeScalar(4);
    struct Case {
        std::vector<double> first, dof;
        bool sizes;
    };
    const std::vector<Case> cases = {
        {{3}, {8}, true},     {means, dofs, false}, {means, {5}, false},
        {{2.5}, dofs, false}, {means, dofs, true},  {{3}, {0.5}, false},
    };
    for (const char* name : {"shapedraw", "recipshapedraw"}) {
        const bool inverse = std::string(name) == "recipshapedraw";
        for (Build build : {Build::Current, Build::Legacy, Build::Unbuffered}) {
            for (const Case& c : cases) {
                const std::size_t count =
                    c.sizes ? (c.first.size() == 1 ? 12 : 6) : std::max(c.first.size(), c.dof.size());
                const std::size_t rows = c.sizes && c.first.size() == 1 ? 3 : 2;
                Array first = arrayOf(c.first, 2), dof = arrayOf(c.dof, 2);
                Array m = makeScalar(static_cast<double>(rows)), n = makeScalar(static_cast<double>(count / rows));
                Expected expected = expectFromStream(inverse, c.first, c.dof, count);
                CallResult result = c.sizes ? callModule(build, name, 1, {first.get(), dof.get(), m.get(), n.get()})
                                            : callModule(build, name, 1, {first.get(), dof.get()});
                Output output = outputOf(result);
                EXPECT_TRUE(sameValues(expected.values, output.values)) << name;
                EXPECT_EQ(output.rows * output.cols, count);
                EXPECT_TRUE(host.randomState() == expected.after) << name << ": the host's stream moved differently";
                EXPECT_EQ(result.stats.normalsDrawn, 0u);
                EXPECT_EQ(result.stats.arraysReclaimed, 0u);
            }
        }
    }
}

TEST(GammaFamily, UnusualDegreesOfFreedomGiveDefinedValuesWithoutDrawing)
{
    Host host;
    host.seed(kSeed);
    const RandomState before = host.randomState();
    //                                NaN   +Inf  2^1021  -Inf   0     -4    1e-6   DBL_MAX
    const std::vector<double> dofs = {kNaN, kInf, 0x1p1021, -kInf, 0.0, -4.0, 1e-6, 1.7e308};
    Array means = makeRow(std::vector<double>(dofs.size(), 3.0)), v = makeRow(dofs);
    for (Build build : {Build::Current, Build::Legacy}) {
        for (const char* name : {"shapedraw", "recipshapedraw"}) {
            CallResult result = callModule(build, name, 1, {means.get(), v.get()});
            EXPECT_TRUE(sameValues({kNaN, 3, 3, kNaN, kNaN, 3, 3, 3}, outputOf(result).values)) << name;
            EXPECT_EQ(result.stats.hostCalls, 0u);
        }
    }
    EXPECT_TRUE(host.randomState() == before);

    // Subnormal degrees of freedom: v / 2 and the products round, as the help says.
    const double smallest = 4.9e-324;
    Array three = makeScalar(3), tiny = makeScalar(smallest), triple = makeScalar(3 * smallest);
    for (Build build : {Build::Current, Build::Legacy}) {
        const auto value = [&](const char* name, const Array& v) {
            return outputOf(callModule(build, name, 1, {three.get(), v.get()})).values.at(0);
        };
        EXPECT_EQ(value("shapedraw", tiny), 0.0);
        EXPECT_EQ(value("shapedraw", triple), 4.0);
        EXPECT_EQ(value("recipshapedraw", tiny), kInf);
        EXPECT_EQ(value("recipshapedraw", triple), 2.0);
        EXPECT_EQ(value("shapedrawone", tiny), 0.0);
        EXPECT_EQ(value("recipshapedrawone", tiny), kInf);
    }
    EXPECT_TRUE(host.randomState() == before);

    // Just below the huge bound the rejection method still draws, and ends.
    Array large = makeScalar(std::nextafter(0x1p1021, 0.0));
    CallResult drawn = callModule(Build::Current, "shapedraw", 1, {three.get(), large.get()});
    EXPECT_GE(drawn.stats.uniformsDrawn, 2u);
    EXPECT_EQ(outputOf(drawn).values[0], 3.0);
}

TEST(GammaFamily, SingleDrawsEqualTheElementwiseDrawFromTheSameState)
{
    Host host;
    const std::vector<std::pair<double, double>> pairs = {
        {3, 8}, {2, 0.5}, {1, 2.00001}, {5, 1e-6}, {kNaN, 4}, {3, kNaN}, {3, kInf}, {3, -4}, {3, 0}, {-2, 7}, {4, 1}};
    for (Build build : {Build::Current, Build::Legacy}) {
        for (const auto& [one, elementwise] :
             {std::pair<const char*, const char*>{"shapedrawone", "shapedraw"},
              std::pair<const char*, const char*>{"recipshapedrawone", "recipshapedraw"}}) {
            for (const auto& [a, v] : pairs) {
                Array first = makeScalar(a), dof = makeScalar(v);
                host.seed(kSeed + 1);
                Output single = outputOf(callModule(build, one, 1, {first.get(), dof.get()}));
                RandomState afterSingle = host.randomState();
                host.seed(kSeed + 1);
                Output element = outputOf(callModule(build, elementwise, 1, {first.get(), dof.get()}));
                EXPECT_EQ(single.rows, 1u);
                EXPECT_EQ(single.cols, 1u);
                EXPECT_TRUE(sameValues(element.values, single.values)) << one << "(" << a << ", " << v << ")";
                EXPECT_TRUE(host.randomState() == afterSingle);
            }
        }
    }
    // Only the first element of an array argument is read.
    Array matrix = makeMatrix(3, 3, {2, 9, 9, 9, 9, 9, 9, 9, 9}), five = makeScalar(5), two = makeScalar(2);
    host.seed(kSeed);
    Output fromMatrix = outputOf(callModule(Build::Current, "shapedrawone", 1, {matrix.get(), five.get()}));
    host.seed(kSeed);
    EXPECT_TRUE(sameValues(outputOf(callModule(Build::Current, "shapedrawone", 1, {two.get(), five.get()})).values,
                           fromMatrix.values));
}

TEST(GammaFamily, BulkDrawingMatchesOneNumberPerHostCallInBothStreamModes)
{
    Host host;
    std::vector<double> mixed;
    for (int k = 0; k < 1200; ++k) {
        const double pattern[] = {8, 0.5, 2.000005, 1e-6, 3, kNaN, 40, 2.00002, kInf, -1, 2, 0.0};
        mixed.push_back(pattern[(k * 7) % 12]);
    }
    Array three = makeScalar(3), many = makeScalar(150), eight = makeScalar(8), dofs = makeMatrix(40, 30, mixed);
    Array means = makeMatrix(40, 30, std::vector<double>(1200, 1.5));
    const std::vector<std::vector<const mxArray*>> argumentLists = {
        {three.get(), eight.get(), many.get(), many.get()}, {three.get(), dofs.get()}, {means.get(), dofs.get()}};
    for (StreamMode mode : {StreamMode::Separate, StreamMode::Shared}) {
        host.setStreamMode(mode);
        for (const char* name : {"shapedraw", "recipshapedraw"}) {
            for (const auto& args : argumentLists) {
                host.seed(kSeed);
                CallResult bulk = callModule(Build::Current, name, 1, args);
                RandomState afterBulk = host.randomState();
                host.seed(kSeed);
                CallResult unbuffered = callModule(Build::Unbuffered, name, 1, args);
                EXPECT_TRUE(sameValues(outputOf(unbuffered).values, outputOf(bulk).values)) << name;
                EXPECT_TRUE(host.randomState() == afterBulk) << name;
                EXPECT_EQ(unbuffered.stats.hostCalls, unbuffered.stats.uniformsDrawn);
                EXPECT_LT(bulk.stats.hostCalls * 20, unbuffered.stats.hostCalls) << name;
            }
        }
    }
    host.setStreamMode(StreamMode::Separate);
}

TEST(GammaFamily, AMillionElementsTakeAHandfulOfHostCallsAndLittleMemory)
{
    Host host;
    host.seed(kSeed);
    Array three = makeScalar(3), eight = makeScalar(8), thousand = makeScalar(1000);
    CallResult result =
        callModule(Build::Current, "shapedraw", 1, {three.get(), eight.get(), thousand.get(), thousand.get()});
    ASSERT_TRUE(result.ok);
    std::printf("shapedraw(3, 8, 1000, 1000): %zu host calls for %zu uniforms, at most %zu temporaries alive\n",
                result.stats.hostCalls, result.stats.uniformsDrawn, result.stats.peakLiveArrays);
    EXPECT_LE(result.stats.hostCalls, 40u);
    EXPECT_LE(result.stats.peakLiveArrays, 4u);  // the result, one reserve, two size scalars
    EXPECT_EQ(result.stats.arraysReclaimed, 0u);
    // One reserve holds at most 2^20 uniforms (8 MB), next to the 8 MB result.
    EXPECT_LE(result.stats.peakLiveBytes, 8000000 + (std::size_t(1) << 20) * 8 + 1024);
}

TEST(GammaFamily, VariatesFollowTheirExactDistributionsOnEveryPath)
{
    Host host;
    host.seed(kSeed);
    const std::size_t n = 20000;
    Array rows = makeScalar(static_cast<double>(n)), one = makeScalar(1), mean = makeScalar(2), scale = makeScalar(0.7);
    // Gamma shapes 0.25 (boost), 1.000005 (exponential), 1.00001, 1.5, 4 and 100 (rejection).
    for (double v : {0.5, 2.00001, 2.00002, 3.0, 8.0, 200.0}) {
        Array dof = makeScalar(v);
        Output r = outputOf(callModule(Build::Current, "shapedraw", 1, {mean.get(), dof.get(), rows.get(), one.get()}));
        // R v / (2 mean) is a standard gamma variate with shape v / 2.
        double distance = ksDistance(r.values, [&](double x) { return gammaCdf(v / 2, x * v / 4.0); });
        EXPECT_LT(distance, ksBound(n)) << "shapedraw, v = " << v;

        Output inverse =
            outputOf(callModule(Build::Current, "recipshapedraw", 1, {scale.get(), dof.get(), rows.get(), one.get()}));
        // v s / R is chi-square with v degrees of freedom: P(R <= x) = 1 - P(v/2, v s / (2x)).
        distance = ksDistance(inverse.values, [&](double x) { return 1.0 - gammaCdf(v / 2, v * 0.7 / (2.0 * x)); });
        EXPECT_LT(distance, ksBound(n)) << "recipshapedraw, v = " << v;
    }
}

TEST(GammaFamily, ErrorsComeInOrderBeforeAnyDraw)
{
    Host host;
    host.seed(kSeed);
    const RandomState before = host.randomState();
    Array one = makeScalar(1), two = makeScalar(2), three = makeScalar(3), nan = makeScalar(kNaN);
    Array a23 = makeMatrix(2, 3, std::vector<double>(6, 1.0)), a32 = makeMatrix(3, 2, std::vector<double>(6, 1.0));
    Array empty = makeMatrix(0, 0, {}), text(mxCreateString("abc")), complex(mxCreateDoubleMatrix(1, 1, mxCOMPLEX));
    for (Build build : {Build::Current, Build::Legacy}) {
        for (const char* name : {"shapedraw", "recipshapedraw"}) {
            expectError(callModule(build, name, 1, {one.get(), one.get(), one.get()}), name, "wrongInputCount",
                        "Wrong number of input arguments.");
            expectError(callModule(build, name, 1, {one.get()}), name, "wrongInputCount",
                        "Wrong number of input arguments.");
            expectError(callModule(build, name, 2, {one.get()}), name, "tooManyOutputs", "Too many output arguments.");
            expectError(callModule(build, name, 1, {a23.get(), a32.get()}), name, "sizeMismatch",
                        "Size information is inconsistent.");
            expectError(callModule(build, name, 1, {a23.get(), one.get(), three.get(), two.get()}), name,
                        "sizeMismatch", "Size information is inconsistent.");
            expectError(callModule(build, name, 1, {one.get(), a23.get(), two.get(), two.get()}), name, "sizeMismatch",
                        "Size information is inconsistent.");
            expectError(callModule(build, name, 1, {one.get(), empty.get(), two.get(), two.get()}), name,
                        "sizeMismatch", "Size information is inconsistent.");
            expectError(callModule(build, name, 1, {text.get(), one.get()}), name, "notRealNumeric",
                        "Arguments must be full real numeric or logical arrays.");
            expectError(callModule(build, name, 1, {one.get(), one.get(), nan.get(), one.get()}), name, "badSize",
                        "Size arguments must be finite real numbers.");
        }
        for (const char* name : {"shapedrawone", "recipshapedrawone"}) {
            // The input count is checked before the output count here.
            expectError(callModule(build, name, 2, {one.get(), one.get(), one.get()}), name, "wrongInputCount",
                        "Wrong number of input arguments.");
            expectError(callModule(build, name, 1, {one.get()}), name, "wrongInputCount",
                        "Wrong number of input arguments.");
            expectError(callModule(build, name, 2, {one.get(), one.get()}), name, "tooManyOutputs",
                        "Too many output arguments.");
            expectError(callModule(build, name, 1, {complex.get(), one.get()}), name, "notRealNumeric",
                        "Arguments must be full real numeric or logical arrays.");
            expectError(callModule(build, name, 1, {one.get(), empty.get()}), name, "sizeMismatch",
                        "Size information is inconsistent.");
        }
    }
    EXPECT_TRUE(host.randomState() == before);
    // An empty result draws nothing; no output requested still gives the result.
    Array zero = makeScalar(0);
    Output none = outputOf(callModule(Build::Current, "shapedraw", 1, {one.get(), empty.get()}));
    EXPECT_EQ(none.rows * none.cols, 0u);
    EXPECT_EQ(
        outputOf(callModule(Build::Legacy, "recipshapedraw", 1, {one.get(), two.get(), zero.get(), three.get()})).cols,
        3u);
    EXPECT_TRUE(host.randomState() == before);
    EXPECT_TRUE(callModule(Build::Current, "shapedrawone", 0, {one.get(), three.get()}).ok);
}

TEST(GammaFamily, HostileArgumentListsNeverMisuseTheHost)
{
    std::size_t calls = 0;
    for (const char* name : {"shapedraw", "recipshapedraw", "shapedrawone", "recipshapedrawone"}) {
        for (Build build : {Build::Current, Build::Legacy}) calls += sweepHostile(build, name, Sweep(5));
    }
    EXPECT_GT(calls, 40000u);
}
