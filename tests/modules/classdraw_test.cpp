// classdraw through the embedded host, against reference code written here from the host's
// own stream.
#include <cmath>
#include <random>

#include "hostile.hpp"
#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

const std::uint32_t kSeed = 20261210;

// The next `count` host uniforms, each turned into 1 + the first cumulative probability >= it,
// by the bisection written out plainly.
std::vector<double> referenceDraws(const std::vector<double>& p, std::size_t count)
{
    const int k = static_cast<int>(p.size());
    std::vector<double> q(p.size());
    q[0] = p[0];
    for (int i = 1; i < k; ++i) q[i] = q[i - 1] + p[i];
    for (int i = 0; i < k - 1; ++i) q[i] = q[i] / q[k - 1];
    q[k - 1] = 1.0;
    std::vector<double> out = hostUniforms(count);
    for (double& x : out) {
        if (q[0] >= x) {
            x = 1;
            continue;
        }
        int lo = 0, hi = k - 1;
        while (hi - lo > 1) {
            int mid = (lo + hi) / 2;
            if (q[mid] < x) {
                lo = mid;
            } else {
                hi = mid;
            }
        }
        x = hi + 1;
    }
    return out;
}

}  // namespace

TEST(Classdraw, SeededDrawsEqualTheReferenceForEveryForm)
{
    Host host;
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<double> many(500);
    for (double& v : many) v = uniform(rng) < 0.25 ? 0.0 : uniform(rng);

    struct Case {
        std::vector<double> p;
        std::size_t pRows;
        int nrhs;
        double m, n;
        std::size_t rows, cols;
    };
    const std::vector<Case> cases = {
        {{0.2, 0.8}, 1, 1, 0, 0, 1, 1},
        {{1, 1, 2}, 1, 3, 2, 3, 2, 3},
        {{1, 1, 2}, 3, 2, 4, 0, 4, 1},           // a column of probabilities
        {{0, 3, 0, 1, 2, 0}, 2, 3, 3, 5, 3, 5},  // a 2-by-3 matrix of probabilities
        {{0, 1}, 1, 2, 5, 0, 5, 1},
        {{7}, 1, 3, 2, 2, 2, 2},
        {{0, 0, 0}, 1, 3, 2, 2, 2, 2},
        {{1, 2}, 1, 3, 2.9, 3.7, 2, 3},  // sizes truncated
        {many, 1, 3, 40, 50, 40, 50},    // enough draws for the guided search
        {many, 1, 2, 3, 0, 3, 1},        // too few: plain bisection
    };
    for (const Case& c : cases) {
        Array p = makeMatrix(c.pRows, c.p.size() / c.pRows, c.p);
        Array m = makeScalar(c.m), n = makeScalar(c.n);
        std::vector<const mxArray*> args = {p.get(), m.get(), n.get()};
        args.resize(static_cast<std::size_t>(c.nrhs));
        host.seed(kSeed);
        std::vector<double> expected = referenceDraws(c.p, c.rows * c.cols);
        RandomState after = host.randomState();
        host.seed(kSeed);
        Output out = outputOf(callModule(Build::Current, "classdraw", 1, args));
        EXPECT_EQ(out.rows, c.rows);
        EXPECT_EQ(out.cols, c.cols);
        EXPECT_TRUE(sameValues(expected, out.values)) << c.p.size() << " probabilities";
        EXPECT_TRUE(host.randomState() == after);
    }

    // Fixed answers: [0 1] always 2, all zeros always 2, one probability always 1, and
    // uniforms on the cumulative values 0.25 and 0.5 of [1 1 2] select the lower category.
    Array zeroOne = makeRow({0, 1}), five = makeScalar(5), three = makeScalar(3);
    EXPECT_TRUE(sameValues(std::vector<double>(5, 2.0),
                           outputOf(callModule(Build::Current, "classdraw", 1, {zeroOne.get(), five.get()})).values));
    Array ties = makeRow({1, 1, 2});
    host.scriptUniforms({0.25, std::nextafter(0.25, 1.0), 0.5, std::nextafter(0.5, 1.0), 1e-300});
    EXPECT_TRUE(sameValues({1, 2, 2, 3, 1},
                           outputOf(callModule(Build::Current, "classdraw", 1, {ties.get(), five.get()})).values));
    host.clearScripts();
}

TEST(Classdraw, NegativeProbabilityFailsAfterTheDrawAndFreesTheTable)
{
    Host host;
    host.setLogging(true);
    Array two = makeScalar(2), three = makeScalar(3), zero = makeScalar(0);
    for (const std::vector<double>& p : {std::vector<double>{0.5, -0.1, 0.6}, std::vector<double>{0.5, 0.6, -0.1}}) {
        Array probabilities = makeRow(p);
        host.seed(kSeed);
        CallResult result = callModule(Build::Current, "classdraw", 1, {probabilities.get(), two.get(), three.get()});
        expectError(result, "classdraw", "negativeProbability", "Negative probability.");
        EXPECT_EQ(result.stats.uniformsDrawn, 6u);
        EXPECT_EQ(result.stats.blocksReclaimed, 0u);  // the table went with mxFree before the error
        EXPECT_EQ(result.log.back(), "mxFree");
        // Still checked when nothing is drawn.
        expectError(callModule(Build::Current, "classdraw", 1, {probabilities.get(), zero.get()}), "classdraw",
                    "negativeProbability", "Negative probability.");
    }

    // The order of host calls, and nothing left behind on success.
    Array p = makeRow({1, 1, 2});
    CallResult ok = callModule(Build::Current, "classdraw", 1, {p.get(), two.get(), three.get()});
    const std::vector<std::string> expected = {"mxGetScalar",
                                               "mxGetScalar",
                                               "mxGetDimensions_700",
                                               "mxCreateDoubleScalar(2)",
                                               "mxCreateDoubleScalar(3)",
                                               "mexCallMATLAB rand(2,3)",
                                               "mxDestroyArray",
                                               "mxDestroyArray",
                                               "mxGetPr",
                                               "mxGetPr",
                                               "mxGetDimensions_700",
                                               "mxGetPr",
                                               "mxMalloc(24)",
                                               "mxFree"};
    EXPECT_EQ(ok.log, expected);
    EXPECT_EQ(ok.stats.arraysReclaimed, 0u);
    EXPECT_EQ(ok.stats.blocksReclaimed, 0u);
    CallResult single = callModule(Build::Current, "classdraw", 1, {p.get()});
    EXPECT_EQ(single.log.at(3), "mexCallMATLAB rand(1,1)");
    CallResult column = callModule(Build::Current, "classdraw", 1, {p.get(), three.get()});
    EXPECT_EQ(column.log.at(4), "mexCallMATLAB rand(3,1)");
    host.setLogging(false);
}

TEST(Classdraw, SizesAndArgumentErrorsNeverReplaceMoreThanTheResultHolds)
{
    Host host;
    host.seed(kSeed);
    RandomState before = host.randomState();
    Array p = makeRow({1, 2, 3}), empty = makeMatrix(0, 3, {}), text(mxCreateString("p"));
    Array minusTwo = makeScalar(-2), minusThree = makeScalar(-3), four = makeScalar(4), nan = makeScalar(NAN);
    Array inf = makeScalar(INFINITY), none = makeMatrix(0, 0, {}), one = makeScalar(1);

    // Negative sizes count as 0; two of them do not make a positive count.
    Output both = outputOf(callModule(Build::Current, "classdraw", 1, {p.get(), minusTwo.get(), minusThree.get()}));
    EXPECT_EQ(both.rows, 0u);
    EXPECT_EQ(both.cols, 0u);
    Output rowsOnly = outputOf(callModule(Build::Current, "classdraw", 1, {p.get(), minusTwo.get()}));
    EXPECT_EQ(rowsOnly.rows, 0u);
    EXPECT_EQ(rowsOnly.cols, 1u);
    EXPECT_EQ(outputOf(callModule(Build::Current, "classdraw", 1, {p.get(), four.get(), minusTwo.get()})).values.size(),
              0u);

    expectError(callModule(Build::Current, "classdraw", 2, {p.get()}), "classdraw", "tooManyOutputs",
                "Too many output arguments.");
    expectError(callModule(Build::Current, "classdraw", 1, {}), "classdraw", "wrongInputCount",
                "Wrong number of input arguments.");
    expectError(callModule(Build::Current, "classdraw", 1, {p.get(), one.get(), one.get(), one.get()}), "classdraw",
                "wrongInputCount", "Wrong number of input arguments.");
    expectError(callModule(Build::Current, "classdraw", 1, {empty.get(), one.get()}), "classdraw", "emptyProbabilities",
                "Probabilities must not be empty.");
    expectError(callModule(Build::Current, "classdraw", 1, {text.get()}), "classdraw", "notRealNumeric",
                "Arguments must be full real numeric or logical arrays.");
    for (const Array* size : {&nan, &inf, &none, &text}) {
        expectError(callModule(Build::Current, "classdraw", 1, {p.get(), size->get()}), "classdraw", "badSize",
                    "Size arguments must be finite real numbers.");
    }
    EXPECT_TRUE(host.randomState() == before);  // no error above drew anything
}

TEST(Classdraw, HostileArgumentsNeverMisuseTheHost)
{
    Sweep sweep;
    sweep.check = [](const CallResult& result) {
        Output out = outputOf(result);
        EXPECT_EQ(out.values.size(), result.stats.uniformsDrawn);
        for (double v : out.values) EXPECT_TRUE(v >= 1 && v <= 200 && v == std::floor(v)) << v;
    };
    EXPECT_GT(sweepHostile(Build::Current, "classdraw", sweep), 5000u);
}
