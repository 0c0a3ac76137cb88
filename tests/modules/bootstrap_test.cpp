// weightavgdraw and weightquantdraw through the embedded host, against sums and scans computed
// here from the host's own stream.
#include <algorithm>
#include <cmath>

#include "hostile.hpp"
#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

const std::uint32_t kSeed = 20240505;

// The next `draws` runs of n host uniforms, each turned into -ln u (times w) and its sum.
struct Weights {
    std::vector<double> e;
    std::vector<double> totals;
};

Weights nextWeights(std::size_t n, std::size_t draws, const std::vector<double>& w)
{
    Weights result{hostUniforms(n * draws), std::vector<double>(draws, 0.0)};
    for (std::size_t s = 0; s < draws; ++s) {
        for (std::size_t i = 0; i < n; ++i) {
            double& e = result.e[s * n + i];
            e = -std::log(e);
            if (!w.empty()) e = e * w[i];
            result.totals[s] += e;
        }
    }
    return result;
}

// Column means of the n-by-m x under each draw's weights, summed in ascending i.
std::vector<double> expectedMeans(const std::vector<double>& x, std::size_t n, std::size_t m, std::size_t draws,
                                  const std::vector<double>& w = {})
{
    Weights weights = nextWeights(n, draws, w);
    std::vector<double> means(draws * m, 0.0);
    for (std::size_t s = 0; s < draws; ++s) {
        for (std::size_t i = 0; i < n; ++i) {
            double g = weights.e[s * n + i] / weights.totals[s];
            for (std::size_t j = 0; j < m; ++j) means[s + j * draws] += x[i + j * n] * g;
        }
    }
    return means;
}

// Percentiles read off each draw's cumulative weights; `legacy` counts comparisons with NaN as true.
std::vector<double> expectedPercentiles(const std::vector<double>& x, std::vector<double> percent, std::size_t draws,
                                        bool legacy, const std::vector<double>& w = {})
{
    const std::size_t n = x.size();
    const std::size_t k = percent.size();
    std::stable_sort(percent.begin(), percent.end(),
                     [](double a, double b) { return !std::isnan(a) && (std::isnan(b) || a < b); });
    auto reaches = [legacy](double p, double g) { return p <= g || (legacy && (std::isnan(p) || std::isnan(g))); };
    Weights weights = nextWeights(n, draws, w);
    std::vector<double> result(draws * k, 0.0);
    for (std::size_t s = 0; s < draws; ++s) {
        const double* e = &weights.e[s * n];
        std::vector<double> cumulative(n);
        std::size_t c = 0;
        for (std::size_t i = 0; i < n; ++i) {
            cumulative[i] = i == 0       ? e[0] / weights.totals[s]
                            : i == n - 1 ? 1.0
                                         : cumulative[i - 1] + e[i] / weights.totals[s];
            for (; c < k && reaches(percent[c] / 100.0, cumulative[i]); ++c) {
                double p = percent[c] / 100.0;
                result[s + c * draws] = i == 0 ? x[0]
                                               : x[i - 1] + ((x[i] - x[i - 1]) * (p - cumulative[i - 1])) /
                                                                (cumulative[i] - cumulative[i - 1]);
            }
        }
    }
    return result;
}

// Calls the module after seeding and checks it against `expected` and against the stream's end.
void expectDraws(Build build, const char* name, const std::vector<const mxArray*>& args, std::size_t rows,
                 std::size_t cols, const std::vector<double>& expected, const RandomState& after)
{
    Host host;
    host.seed(kSeed);
    Output out = outputOf(callModule(build, name, 1, args));
    EXPECT_EQ(out.rows, rows) << name;
    EXPECT_EQ(out.cols, cols) << name;
    EXPECT_TRUE(sameValues(expected, out.values)) << name;
    EXPECT_TRUE(host.randomState() == after) << name << " left the generator elsewhere";
}

template <typename Compute>
void compareWithStream(const char* name, std::initializer_list<Build> builds, const std::vector<const mxArray*>& args,
                       std::size_t rows, std::size_t cols, Compute compute)
{
    Host host;
    host.seed(kSeed);
    std::vector<double> expected = compute();
    RandomState after = host.randomState();
    for (Build build : builds) expectDraws(build, name, args, rows, cols, expected, after);
}

Array column(const std::vector<double>& values)
{
    return makeMatrix(values.size(), 1, values);
}

}  // namespace

TEST(Weightavgdraw, DrawsAreWeightedColumnMeansFromTheHostStream)
{
    // The last column sums signed zeros: every mean starts from +0.
    const std::vector<double> x = {1.5, -2,   7, 0.25, 3, 10,   20,   -30,  40,   1e-3,
                                   0,   -0.0, 5, 5,    5, -0.0, -0.0, -0.0, -0.0, -0.0};
    Array X = makeMatrix(5, 4, x);
    Array eleven = makeScalar(11.9), w = column({1, 0, 2.5, -1, 3}), ones = column({1, 1, 1, 1, 1});
    const auto all = {Build::Current, Build::Legacy, Build::Unbuffered};
    compareWithStream("weightavgdraw", all, {X.get()}, 1, 4, [&] { return expectedMeans(x, 5, 4, 1); });
    compareWithStream("weightavgdraw", all, {X.get(), eleven.get()}, 11, 4, [&] { return expectedMeans(x, 5, 4, 11); });
    compareWithStream("weightavgdraw", all, {X.get(), eleven.get(), w.get()}, 11, 4, [&] {
        return expectedMeans(x, 5, 4, 11, {1, 0, 2.5, -1, 3});
    });
    // A W of ones is no W at all.
    compareWithStream("weightavgdraw", all, {X.get(), eleven.get(), ones.get()}, 11, 4,
                      [&] { return expectedMeans(x, 5, 4, 11); });
}

TEST(Weightavgdraw, UniformArraysGoAsSoonAsTheyAreRead)
{
    Host host;
    Array X = makeMatrix(3, 1, {1, 2, 3}), forty = makeScalar(40);
    host.setLogging(true);
    CallResult unbuffered = callModule(Build::Unbuffered, "weightavgdraw", 1, {X.get(), forty.get()});
    CallResult current = callModule(Build::Current, "weightavgdraw", 1, {X.get(), forty.get()});
    host.setLogging(false);
    EXPECT_EQ(std::count(unbuffered.log.begin(), unbuffered.log.end(), "mexCallMATLAB rand(3,1)"), 40);
    EXPECT_EQ(std::count(current.log.begin(), current.log.end(), "mexCallMATLAB rand(3,40)"), 1);
    for (const CallResult* result : {&unbuffered, &current}) {
        EXPECT_EQ(result->stats.uniformsDrawn, 120u);
        EXPECT_LE(result->stats.peakLiveArrays, 4u);
        EXPECT_EQ(result->stats.arraysReclaimed, 0u);
        EXPECT_EQ(result->stats.blocksReclaimed, 0u);
    }

    // 40 MB of uniforms in all, never more than one bounded block of them alive.
    Array big = makeMatrix(1000, 1, std::vector<double>(1000, 1.0)), many = makeScalar(5000);
    CallResult large = callModule(Build::Current, "weightavgdraw", 1, {big.get(), many.get()});
    EXPECT_EQ(large.stats.uniformsDrawn, 5000000u);
    EXPECT_LE(large.stats.peakLiveBytes, (std::size_t(9) << 20) + 5000 * 8);
}

TEST(Weightavgdraw, MeanAndSpreadOfManyDrawsMatchTheBayesianBootstrap)
{
    // Flat Dirichlet weights: each draw has mean mean(x) and variance var(x, 1) / (n + 1).
    Host host;
    host.seed(kSeed);
    const std::vector<double> x = {-3, 0.5, 1, 2, 2, 4, 7, 11, 12, 20};
    const double n = 10, draws = 100000;
    Array X = column(x), B = makeScalar(draws);
    Output out = outputOf(callModule(Build::Current, "weightavgdraw", 1, {X.get(), B.get()}));
    double mean = 0, spread = 0, sumOfMeans = 0, sumOfSquares = 0;
    for (double v : x) mean += v / n;
    for (double v : x) spread += (v - mean) * (v - mean) / n;
    for (double v : out.values) sumOfMeans += v;
    const double drawMean = sumOfMeans / draws;
    for (double v : out.values) sumOfSquares += (v - drawMean) * (v - drawMean);
    const double variance = spread / (n + 1);
    EXPECT_NEAR(drawMean, mean, 4 * std::sqrt(variance / draws));
    // The sample variance of 1e5 draws is within a few percent of the true one.
    EXPECT_NEAR(sumOfSquares / (draws - 1) / variance, 1.0, 0.03);
}

TEST(Weightquantdraw, PercentilesAreReadOffTheCumulativeWeightsOfTheHostStream)
{
    const std::vector<double> x = {-1, 0, 0.5, 2, 2, 3.5, 10};
    Array X = column(x), eight = makeScalar(8.5), ones = column(std::vector<double>(7, 1.0));
    Array w = column({0.5, 1, 0, 2, 1, 3, 1});
    const std::vector<double> percent = {90, 10, 50, 0, 100, 150, -5, 33.3};
    Array P = makeRow(percent);
    const auto all = {Build::Current, Build::Legacy, Build::Unbuffered};
    compareWithStream("weightquantdraw", all, {X.get(), P.get(), eight.get()}, 8, 8,
                      [&] { return expectedPercentiles(x, percent, 8, false); });
    compareWithStream("weightquantdraw", all, {X.get(), P.get(), eight.get(), w.get()}, 8, 8, [&] {
        return expectedPercentiles(x, percent, 8, false, {0.5, 1, 0, 2, 1, 3, 1});
    });
    compareWithStream("weightquantdraw", all, {X.get(), P.get(), eight.get(), ones.get()}, 8, 8,
                      [&] { return expectedPercentiles(x, percent, 8, false); });
}

TEST(Weightquantdraw, NaNComparisonsDifferOnlyInTheLegacyBuild)
{
    const std::vector<double> x = {1, 2, 4, 8};
    Array X = column(x), three = makeScalar(3), zeros = column({0, 0, 0, 0}), one = column({5}), zero = column({0});
    Array gap = column({1, NAN, 1, 1});
    const std::vector<double> percent = {NAN, 50, 0, 100}, above = {NAN, 50, 0, 150, 100};
    Array P = makeRow(percent), Pabove = makeRow(above);
    for (bool legacy : {false, true}) {
        const Build build = legacy ? Build::Legacy : Build::Current;
        compareWithStream("weightquantdraw", {build}, {X.get(), P.get(), three.get()}, 3, 4,
                          [&] { return expectedPercentiles(x, percent, 3, legacy); });
        // A NaN weight makes every later cumulative weight but the last NaN.
        compareWithStream("weightquantdraw", {build}, {X.get(), Pabove.get(), three.get(), gap.get()}, 3, 5, [&] {
            return expectedPercentiles(x, above, 3, legacy, {1, NAN, 1, 1});
        });
        // All-zero weights: NaN cumulative weights up to the last segment.
        compareWithStream("weightquantdraw", {build}, {X.get(), Pabove.get(), three.get(), zeros.get()}, 3, 5, [&] {
            hostUniforms(12);
            return legacy ? std::vector<double>(15, 1.0)
                          : std::vector<double>{NAN, NAN, NAN, NAN, NAN, NAN, NAN, NAN, NAN, 0, 0, 0, 0, 0, 0};
        });
        compareWithStream("weightquantdraw", {build}, {one.get(), Pabove.get(), three.get(), zero.get()}, 3, 5, [&] {
            hostUniforms(3);
            return std::vector<double>(15, legacy ? 5.0 : 0.0);
        });
    }
    // The first segment: 0 is X(1), and the legacy build places the NaN right after it there too.
    Array early = makeRow({NAN, 0});
    compareWithStream("weightquantdraw", {Build::Current}, {X.get(), early.get()}, 1, 2, [] {
        hostUniforms(4);
        return std::vector<double>{1, 0};
    });
    compareWithStream("weightquantdraw", {Build::Legacy}, {X.get(), early.get()}, 1, 2, [] {
        hostUniforms(4);
        return std::vector<double>{1, 1};
    });
}

TEST(Bootstrap, ErrorsComeInOrderBeforeAnyDraw)
{
    Host host;
    host.seed(kSeed);
    RandomState before = host.randomState();
    Array X = column({1, 2, 3}), P = makeRow({5, 95}), square = makeMatrix(2, 2, {1, 2, 3, 4}), two = makeScalar(2);
    Array pair = makeRow({1, 2}), wRow = makeRow({1, 1, 1}), wShort = column({1, 1}), empty = makeMatrix(0, 0, {});
    Array text(mxCreateString("ab")), cell(mxCreateCellMatrix(1, 1)), wComplex(mxCreateDoubleMatrix(1, 1, mxCOMPLEX));
    struct Case {
        const char* name;
        int nlhs;
        std::vector<const mxArray*> args;
        const char* reason;
        const char* message;
    };
    const char* const notReal = "Arguments must be full real numeric or logical arrays.";
    const char* const badSize = "Size arguments must be finite real numbers.";
    // Each case would also fail a later check: the earlier message wins.
    const Case cases[] = {
        {"weightavgdraw", 2, {}, "tooManyOutputs", "Too many output arguments."},
        {"weightavgdraw",
         1,
         {X.get(), two.get(), X.get(), two.get()},
         "wrongInputCount",
         "Wrong number of input arguments."},
        {"weightavgdraw", 1, {text.get(), pair.get(), wRow.get()}, "bNotScalar", "B must be a scalar."},
        {"weightavgdraw", 1, {X.get(), empty.get(), wRow.get()}, "badSize", badSize},
        {"weightavgdraw", 1, {text.get(), two.get(), wRow.get()}, "wNotColumn", "W must be a column vector."},
        {"weightavgdraw", 1, {X.get(), two.get(), wShort.get()}, "wLengthMismatch", "W must have same length as X."},
        {"weightavgdraw", 1, {cell.get(), two.get(), wComplex.get()}, "notRealNumeric", notReal},
        {"weightavgdraw", 1, {cell.get()}, "notRealNumeric", notReal},
        {"weightquantdraw", 2, {X.get()}, "tooManyOutputs", "Too many output arguments."},
        {"weightquantdraw", 1, {X.get()}, "wrongInputCount", "Wrong number of input arguments."},
        {"weightquantdraw", 1, {X.get(), square.get(), pair.get()}, "pNotVector", "P must be a vector."},
        {"weightquantdraw", 1, {X.get(), text.get(), pair.get()}, "notRealNumeric", notReal},
        {"weightquantdraw", 1, {cell.get(), P.get(), pair.get(), wRow.get()}, "bNotScalar", "B must be a scalar."},
        {"weightquantdraw", 1, {X.get(), P.get(), cell.get()}, "badSize", badSize},
        {"weightquantdraw",
         1,
         {cell.get(), P.get(), two.get(), wRow.get()},
         "wNotColumn",
         "W must be a column vector."},
        {"weightquantdraw",
         1,
         {X.get(), P.get(), two.get(), wShort.get()},
         "wSizeMismatch",
         "W must be a same size as X."},
        {"weightquantdraw", 1, {cell.get(), P.get(), two.get(), wComplex.get()}, "notRealNumeric", notReal},
        {"weightquantdraw", 1, {cell.get(), P.get()}, "notRealNumeric", notReal},
    };
    for (Build build : {Build::Current, Build::Legacy}) {
        for (const Case& c : cases) expectError(callModule(build, c.name, c.nlhs, c.args), c.name, c.reason, c.message);
    }
    EXPECT_TRUE(host.randomState() == before);

    // sort is called once, also when B then fails its check.
    host.setLogging(true);
    CallResult ok = callModule(Build::Current, "weightquantdraw", 1, {X.get(), P.get(), two.get()});
    CallResult failed = callModule(Build::Current, "weightquantdraw", 1, {X.get(), P.get(), pair.get()});
    host.setLogging(false);
    EXPECT_EQ(std::count(ok.log.begin(), ok.log.end(), "mexCallMATLAB sort(1x2)"), 1);
    EXPECT_EQ(std::count(failed.log.begin(), failed.log.end(), "mexCallMATLAB sort(1x2)"), 1);
    EXPECT_EQ(ok.stats.arraysReclaimed, 0u);
    EXPECT_EQ(ok.stats.blocksReclaimed, 0u);
}

TEST(Bootstrap, HostileArgumentListsNeverMisuseTheHost)
{
    std::size_t calls = 0;
    for (const char* name : {"weightavgdraw", "weightquantdraw"}) {
        for (Build build : {Build::Current, Build::Legacy}) calls += sweepHostile(build, name, Sweep(5, 1));
    }
    EXPECT_GT(calls, 20000u);

    // The largest counts: the host cannot hold the result, or the count is refused outright.
    Host host;
    host.setMaxElements(1 << 22);
    Array X = makeMatrix(3, 1, {1, 2, 3}), P = makeScalar(50), most = makeScalar(2147483647.0),
          huge = makeScalar(1e300);
    EXPECT_FALSE(callModule(Build::Current, "weightavgdraw", 1, {X.get(), most.get()}).ok);
    EXPECT_FALSE(callModule(Build::Current, "weightquantdraw", 1, {X.get(), P.get(), most.get()}).ok);
    expectError(callModule(Build::Current, "weightavgdraw", 1, {X.get(), huge.get()}), "weightavgdraw", "sizeTooLarge",
                "Size arguments are too large.");
    host.setMaxElements(std::size_t(1) << 28);
}

TEST(Weightquantdraw, PercentileCountIsTheProductOfPsFirstTwoDimensions)
{
    Array x = makeMatrix(3, 1, {1, 2, 3}), draws = makeScalar(2);
    mwSize empty[3] = {1, 1, 0}, pages[3] = {4, 1, 2};
    Array none(mxCreateNumericArray(3, empty, mxDOUBLE_CLASS, mxREAL));
    Array paged(mxCreateNumericArray(3, pages, mxDOUBLE_CLASS, mxREAL));
    Output noPercentiles =
        outputOf(callModule(Build::Current, "weightquantdraw", 1, {x.get(), none.get(), draws.get()}));
    EXPECT_EQ(noPercentiles.rows, 2u);
    EXPECT_EQ(noPercentiles.cols, 0u);
    EXPECT_EQ(outputOf(callModule(Build::Current, "weightquantdraw", 1, {x.get(), paged.get()})).cols, 4u);
}
