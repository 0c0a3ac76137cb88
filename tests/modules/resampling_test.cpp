// plainpick, remainderpick, layeredpick and fixedpick through the embedded host, against the
// plain reference (tests/unit/resampling_reference.hpp) fed the host's own stream.
#include <algorithm>
#include <cmath>
#include <random>

#include "hostile.hpp"
#include "module_test.hpp"
#include "resampling_reference.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

const std::uint32_t kSeed = 20261209;
const double kNaN = std::nan("");
const char* const kModules[] = {"plainpick", "remainderpick", "layeredpick", "fixedpick"};

// The plain reference of the unit layer, fed the host's uniforms as the module draws them.
std::vector<double> reference(const std::string& module, const std::vector<double>& w)
{
    if (module == "plainpick") return referenceMultinomial(w, hostUniforms(w.size()));
    if (module == "remainderpick") return referenceResidual(w, hostUniforms);
    if (module == "layeredpick") return referenceStratified(w, hostUniforms(w.size()));
    return referenceDeterministic(w);
}

struct Weights {
    std::size_t rows;
    std::size_t cols;
    std::vector<double> values;
};

std::vector<double> randomWeights(std::size_t n, double zeroShare, std::uint64_t seed)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<double> w(n);
    for (double& v : w) v = uniform(rng) < zeroShare ? 0.0 : uniform(rng);
    return w;
}

// Counts of each particle in a result.
std::vector<int> countsOf(const std::vector<double>& indices, std::size_t n)
{
    std::vector<int> counts(n, 0);
    for (double v : indices) counts[static_cast<std::size_t>(v) - 1]++;
    return counts;
}

}  // namespace

TEST(Resampling, SeededResultsEqualTheReferenceBitForBitInBothBuilds)
{
    Host host;
    std::vector<Weights> cases = {
        {1, 4, {0.1, 0.2, 0.3, 0.4}},
        {5, 1, {3, 0.5, 0, 2, 7}},
        {3, 4, {0, 1, 0, 2, 0, 0, 5, 0.25, 0, 1, 3, 0}},
        {1, 3, {1, 1, 2}},     // expected counts 0.75 0.75 1.5; remainders tie at 3/8
        {2, 2, {1, 1, 1, 1}},  // every expected count exactly 1
        {1, 3, {0, 0, 1}},
        {1, 3, {0, 3, 1}},
        {1, 2, {1, 3}},  // fixedpick: the running sum reaches exactly 1
        {1, 2, {3, 1}},
        {1, 3, {1, 2, 1}},
        {1, 1, {4.5}},
        {7, 7, std::vector<double>(49, 1.0)},    // (1/49)*49 is just below 1
        {1, 3, {0.5, -0.1, 0.6}},                // a negative weight that overflows nothing
        {1, 3000, randomWeights(3000, 0.3, 1)},  // long enough for the guided search
        {1000, 3, randomWeights(3000, 0.0, 2)},
        // Around the sizes where a call's tables leave the stack for host memory (Scratch): the
        // guide alone, exactly the whole buffer, the table alone.
        {1, 400, randomWeights(400, 0.3, 4)},
        {512, 1, randomWeights(512, 0.1, 5)},
        {1, 513, randomWeights(513, 0.0, 6)},
    };
    for (const char* module : kModules) {
        for (const Weights& c : cases) {
            Array w = makeMatrix(c.rows, c.cols, c.values);
            host.seed(kSeed);
            std::vector<double> expected = reference(module, c.values);
            RandomState after = host.randomState();
            for (Build build : {Build::Current, Build::Legacy}) {
                host.seed(kSeed);
                Output out = outputOf(callModule(build, module, 1, {w.get()}));
                EXPECT_EQ(out.rows, c.rows) << module;
                EXPECT_EQ(out.cols, c.cols) << module;
                EXPECT_TRUE(sameValues(expected, out.values)) << module << " on " << c.rows << "x" << c.cols;
                EXPECT_TRUE(host.randomState() == after) << module << ": wrong number of uniforms";
            }
        }
    }

    // Examples worked by hand.
    Array equal = makeRow({1, 1, 1, 1}), oneThree = makeRow({1, 3}), threeOne = makeRow({3, 1});
    for (const char* module : {"remainderpick", "layeredpick", "fixedpick"}) {
        EXPECT_TRUE(sameValues({1, 2, 3, 4}, outputOf(callModule(Build::Current, module, 1, {equal.get()})).values));
    }
    EXPECT_TRUE(sameValues({1, 2}, outputOf(callModule(Build::Current, "fixedpick", 1, {oneThree.get()})).values));
    EXPECT_TRUE(sameValues({1, 1}, outputOf(callModule(Build::Current, "fixedpick", 1, {threeOne.get()})).values));
}

TEST(Resampling, UniformsOnExactCumulativeValuesSelectTheLowerEntry)
{
    Host host;
    // plainpick: [1 1 2] gives the table [0.25 0.5 1].
    Array w = makeRow({1, 1, 2});
    host.scriptUniforms({0.25, 0.5, std::nextafter(0.5, 1.0)});
    EXPECT_TRUE(sameValues({1, 2, 3}, outputOf(callModule(Build::Current, "plainpick", 1, {w.get()})).values));

    // 64 equal weights: the table holds i/64, on the guide's bucket edges; a uniform equal to
    // i/64 selects particle i, the next double above it particle i + 1. Zero weights between
    // equal entries are never selected.
    std::vector<double> flat(64, 1.0);
    std::vector<double> ties(64), above(64), expectTies(64), expectAbove(64);
    for (int k = 0; k < 64; ++k) {
        int i = (k * 37) % 63 + 1;  // shuffled 1..63
        ties[k] = i / 64.0;
        above[k] = std::nextafter(i / 64.0, 1.0);
        expectTies[k] = i;
        expectAbove[k] = i + 1;
    }
    Array flatRow = makeRow(flat);
    for (Build build : {Build::Current, Build::Legacy}) {
        host.scriptUniforms(ties);
        EXPECT_TRUE(sameValues(expectTies, outputOf(callModule(build, "plainpick", 1, {flatRow.get()})).values));
        host.scriptUniforms(above);
        EXPECT_TRUE(sameValues(expectAbove, outputOf(callModule(build, "plainpick", 1, {flatRow.get()})).values));
    }
    std::vector<double> gaps(64, 1.0);
    for (int i = 10; i < 20; ++i) gaps[i] = 0.0;  // 54 of mass; particles 11-20 hold none
    Array gapRow = makeRow(gaps);
    std::vector<double> atGap(64, 10.0 / 54.0), pastGap(64, std::nextafter(10.0 / 54.0, 1.0));
    host.scriptUniforms(atGap);
    Output low = outputOf(callModule(Build::Current, "plainpick", 1, {gapRow.get()}));
    host.scriptUniforms(pastGap);
    Output high = outputOf(callModule(Build::Current, "plainpick", 1, {gapRow.get()}));
    EXPECT_EQ(low.values[0], 10.0);
    EXPECT_EQ(high.values[0], 21.0);

    // remainderpick: [1 1 2] -> one copy of 3, then remainders [3/8 3/4 1].
    host.scriptUniforms({0.375, 0.75});
    EXPECT_TRUE(sameValues({3, 1, 2}, outputOf(callModule(Build::Current, "remainderpick", 1, {w.get()})).values));
    host.scriptUniforms({std::nextafter(0.375, 1.0), std::nextafter(0.75, 1.0)});
    EXPECT_TRUE(sameValues({3, 2, 3}, outputOf(callModule(Build::Current, "remainderpick", 1, {w.get()})).values));

    // layeredpick: [1 3] has expected counts [0.5 1.5]; a first uniform of exactly 0.5 goes to
    // particle 1; the second uniform is never read.
    Array oneThree = makeRow({1, 3});
    host.scriptUniforms({0.5, 0.999});
    EXPECT_TRUE(sameValues({1, 2}, outputOf(callModule(Build::Current, "layeredpick", 1, {oneThree.get()})).values));
    host.scriptUniforms({std::nextafter(0.5, 1.0), 0.001});
    EXPECT_TRUE(sameValues({2, 2}, outputOf(callModule(Build::Current, "layeredpick", 1, {oneThree.get()})).values));
    host.clearScripts();
}

TEST(Resampling, ZeroTotalAndNaNWeightsGiveEachBuildsOwnResults)
{
    Array zeros = makeMatrix(2, 3, std::vector<double>(6, 0.0));
    Array singleZero = makeScalar(0), nanWeights = makeRow({1, kNaN, 2}), infinite = makeRow({1, INFINITY, 2});
    const std::vector<double> twos(6, 2.0), sixes(6, 6.0), none(6, 0.0), ascending = {1, 2, 3, 4, 5, 6};

    struct Expectation {
        const char* module;
        std::vector<double> current;
        std::vector<double> legacy;
        std::size_t uniforms;
    };
    for (const Expectation& e :
         {Expectation{"plainpick", twos, sixes, 6}, Expectation{"remainderpick", twos, sixes, 6},
          Expectation{"layeredpick", none, none, 6}, Expectation{"fixedpick", none, ascending, 0}}) {
        CallResult current = callModule(Build::Current, e.module, 1, {zeros.get()});
        CallResult legacy = callModule(Build::Legacy, e.module, 1, {zeros.get()});
        EXPECT_TRUE(sameValues(e.current, outputOf(current).values)) << e.module;
        EXPECT_TRUE(sameValues(e.legacy, outputOf(legacy).values)) << e.module << " (legacy)";
        EXPECT_EQ(current.stats.uniformsDrawn, e.uniforms) << e.module;
        EXPECT_EQ(legacy.stats.uniformsDrawn, e.uniforms) << e.module;
        // A single weight of 0 gives 1 in every build but the all-zero layered and fixed ones.
        for (Build build : {Build::Current, Build::Legacy}) {
            double single = outputOf(callModule(build, e.module, 1, {singleZero.get()})).values.at(0);
            bool filled = std::string(e.module) != "layeredpick" &&
                          (std::string(e.module) != "fixedpick" || build == Build::Legacy);
            EXPECT_EQ(single, filled ? 1.0 : 0.0) << e.module;
        }
    }

    // A NaN weight makes every expected count NaN; an infinite one makes its own NaN.
    EXPECT_TRUE(
        sameValues({2, 2, 2}, outputOf(callModule(Build::Current, "remainderpick", 1, {nanWeights.get()})).values));
    EXPECT_TRUE(
        sameValues({3, 3, 3}, outputOf(callModule(Build::Legacy, "remainderpick", 1, {nanWeights.get()})).values));
    EXPECT_TRUE(sameValues({0, 0, 0}, outputOf(callModule(Build::Current, "fixedpick", 1, {infinite.get()})).values));
    EXPECT_TRUE(sameValues({2, 3, 0}, outputOf(callModule(Build::Legacy, "fixedpick", 1, {infinite.get()})).values));
    for (Build build : {Build::Current, Build::Legacy}) {
        EXPECT_TRUE(sameValues({0, 0, 0}, outputOf(callModule(build, "layeredpick", 1, {infinite.get()})).values));
    }
}

TEST(Resampling, NegativeWeightsNeverWritePastTheResult)
{
    // [1 1 -1]: expected counts [3 3 -3]; an unbounded pass would write six copies into three
    // places. Copies stop when the result is full, and remainderpick then draws nothing.
    Array w = makeRow({1, 1, -1});
    for (Build build : {Build::Current, Build::Legacy}) {
        for (const char* module : {"remainderpick", "layeredpick", "fixedpick"}) {
            CallResult result = callModule(build, module, 1, {w.get()});
            EXPECT_TRUE(sameValues({1, 1, 1}, outputOf(result).values)) << module;
            if (std::string(module) == "remainderpick") {
                EXPECT_EQ(result.stats.uniformsDrawn, 0u);
            }
        }
    }
    // Counts far beyond any integer (a total of 2^-52) or infinite.
    Array huge = makeRow({1, -(1 - 0x1p-52), 0x1p-60}), tiny = makeRow({0x1p-1074, 1e308, -1e308});
    for (const char* module : kModules) {
        for (const Array* a : {&huge, &tiny}) {
            Output out = outputOf(callModule(Build::Current, module, 1, {a->get()}));
            for (double v : out.values) EXPECT_TRUE(v >= 0 && v <= 3 && v == std::floor(v)) << module << " " << v;
        }
    }
}

TEST(Resampling, HostCallsComeInOrderAndScratchMemoryIsReleased)
{
    Host host;
    host.setLogging(true);
    Array w = makeRow({1, 1, 2});
    // The tables of a small call live on the stack: no host memory (a large call's below).
    const std::vector<std::string> plain = {"mxGetDimensions_700",
                                            "mxGetPr",
                                            "mxCreateDoubleScalar(1)",
                                            "mxCreateDoubleScalar(3)",
                                            "mexCallMATLAB rand(1,3)",
                                            "mxDestroyArray",
                                            "mxDestroyArray",
                                            "mxGetPr",
                                            "mxGetPr"};
    const std::vector<std::string> residual = {"mxGetDimensions_700",
                                               "mxGetPr",
                                               "mxCreateDoubleMatrix_700(1,3)",
                                               "mxGetPr",
                                               "mxCreateDoubleScalar(2)",
                                               "mxCreateDoubleScalar(1)",
                                               "mexCallMATLAB rand(2,1)",
                                               "mxDestroyArray",
                                               "mxDestroyArray",
                                               "mxGetPr",
                                               "mxGetPr",
                                               "mxDestroyArray"};
    // layeredpick and fixedpick keep no table of expected counts: each is used once.
    const std::vector<std::string> stratified = {"mxGetDimensions_700",
                                                 "mxGetPr",
                                                 "mxCreateDoubleScalar(1)",
                                                 "mxCreateDoubleScalar(3)",
                                                 "mexCallMATLAB rand(1,3)",
                                                 "mxDestroyArray",
                                                 "mxDestroyArray",
                                                 "mxGetPr",
                                                 "mxGetPr",
                                                 "mxCreateDoubleMatrix_700(1,3)",
                                                 "mxGetPr",
                                                 "mxDestroyArray"};
    const std::vector<std::string> deterministic = {"mxGetDimensions_700", "mxGetPr", "mxCreateDoubleMatrix_700(1,3)",
                                                    "mxGetPr"};
    const std::vector<std::string>* logs[] = {&plain, &residual, &stratified, &deterministic};
    for (int m = 0; m < 4; ++m) {
        for (Build build : {Build::Current, Build::Legacy}) {
            std::vector<std::string> expected = *logs[m];
            if (build == Build::Legacy) {
                for (std::string& entry : expected) {
                    if (entry == "mxGetDimensions_700") entry = "mxGetDimensions";
                    if (entry == "mxCreateDoubleMatrix_700(1,3)") entry = "mxCreateDoubleMatrix(1,3)";
                }
            }
            CallResult result = callModule(build, kModules[m], 1, {w.get()});
            EXPECT_EQ(result.log, expected) << kModules[m];
            EXPECT_EQ(result.stats.arraysReclaimed, 0u) << kModules[m];
            EXPECT_EQ(result.stats.blocksReclaimed, 0u) << kModules[m];
        }
    }

    // A large call searches through a guide, freed with the table (both in host memory); equal
    // weights need no draw in remainderpick, which still calls rand(0, 1).
    Array large = makeRow(randomWeights(100000, 0.1, 3));
    Array equal = makeRow(std::vector<double>(5, 2.0));
    for (const char* module : kModules) {
        CallResult result = callModule(Build::Current, module, 1, {large.get()});
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.stats.arraysReclaimed, 0u) << module;
        EXPECT_EQ(result.stats.blocksReclaimed, 0u) << module;
        EXPECT_LE(result.stats.hostCalls, 1u);
        // Besides the result: a table of N doubles, the uniforms and a guide of 4-byte entries
        // at most, and nothing for fixedpick.
        EXPECT_LE(result.stats.peakLiveBytes, 100000u * (8 + 8 + 8 + 4)) << module;
    }
    CallResult none = callModule(Build::Current, "remainderpick", 1, {equal.get()});
    EXPECT_EQ(none.stats.uniformsDrawn, 0u);
    EXPECT_EQ(std::count(none.log.begin(), none.log.end(), "mexCallMATLAB rand(0,1)"), 1);
    host.setLogging(false);
}

TEST(Resampling, MeanCountsAreNTimesTheWeightsAndStayWithinEachSchemesBounds)
{
    Host host;
    host.seed(kSeed);
    // Dyadic weights: their sum is exactly 1, so N * w(i) is each expected count exactly.
    const std::vector<double> w = {0.0625, 0.125, 0.1875, 0.1875, 0.0, 0.25, 0.125, 0.0625};
    const std::size_t n = w.size();
    const int calls = 4000;
    Array weights = makeRow(w);
    for (const char* module : kModules) {
        const std::string name = module;
        std::vector<double> sums(n, 0.0);
        for (int call = 0; call < calls; ++call) {
            Output out = outputOf(callModule(Build::Current, module, 1, {weights.get()}));
            std::vector<int> counts = countsOf(out.values, n);
            for (std::size_t i = 0; i < n; ++i) {
                const double expected = n * w[i];
                sums[i] += counts[i];
                if (name == "remainderpick") {
                    EXPECT_GE(counts[i], std::floor(expected)) << i;  // the outright copies
                } else if (name == "layeredpick") {
                    EXPECT_LT(std::fabs(counts[i] - expected), 2.0) << i;
                    EXPECT_TRUE(std::is_sorted(out.values.begin(), out.values.end()));
                } else if (name == "fixedpick") {
                    EXPECT_LT(std::fabs(counts[i] - expected), 1.0) << i;
                }
            }
            if (name == "fixedpick") break;  // no randomness: one call says all
        }
        const int used = name == "fixedpick" ? 1 : calls;
        for (std::size_t i = 0; i < n; ++i) {
            const double mean = sums[i] / used;
            const double expected = n * w[i];
            // Five standard errors of a multinomial count, whose variance bounds the others'.
            const double bound = name == "fixedpick" ? 1.0 : 5.0 * std::sqrt(n * w[i] * (1 - w[i]) / calls) + 1e-12;
            EXPECT_LE(std::fabs(mean - expected), bound) << module << " particle " << i + 1;
        }
        EXPECT_EQ(sums[4], 0.0) << module << " drew a particle of weight 0";
    }
}

TEST(Resampling, ErrorsComeBeforeAnyDrawAndEmptyWeightsTouchNothing)
{
    Host host;
    host.seed(kSeed);
    RandomState before = host.randomState();
    Array one = makeScalar(1), text(mxCreateString("ab")), complex(mxCreateDoubleMatrix(1, 2, mxCOMPLEX));
    mwSize noPages[3] = {2, 3, 0};
    Array empties[] = {makeMatrix(0, 3, {}), makeMatrix(1, 0, {}), makeMatrix(0, 0, {}),
                       Array(mxCreateNumericArray(3, noPages, mxDOUBLE_CLASS, mxREAL))};
    const std::size_t emptyShapes[][2] = {{0, 3}, {1, 0}, {0, 0}, {0, 0}};
    for (const char* module : kModules) {
        before = host.randomState();
        for (Build build : {Build::Current, Build::Legacy}) {
            expectError(callModule(build, module, 2, {one.get()}), module, "tooManyOutputs",
                        "Too many output arguments.");
            expectError(callModule(build, module, 2, {}), module, "tooManyOutputs", "Too many output arguments.");
            expectError(callModule(build, module, 1, {}), module, "wrongInputCount",
                        "Wrong number of input arguments.");
            expectError(callModule(build, module, 0, {one.get(), one.get()}), module, "wrongInputCount",
                        "Wrong number of input arguments.");
            for (const Array* bad : {&text, &complex}) {
                expectError(callModule(build, module, 1, {bad->get()}), module, "notRealNumeric",
                            "Arguments must be full real numeric or logical arrays.");
            }
            EXPECT_TRUE(host.randomState() == before) << module;
            for (int e = 0; e < 4; ++e) {
                CallResult result = callModule(build, module, 1, {empties[e].get()});
                Output out = outputOf(result);
                EXPECT_EQ(out.rows, emptyShapes[e][0]) << module;
                EXPECT_EQ(out.cols, emptyShapes[e][1]) << module;
                EXPECT_EQ(result.stats.uniformsDrawn, 0u);
                EXPECT_EQ(result.stats.blocksReclaimed, 0u);
            }
        }
        EXPECT_TRUE(callModule(Build::Current, module, 0, {one.get()}).ok);
    }

    // Other classes are read as doubles, and their converted copy is freed.
    Array integers(mxCreateNumericMatrix(1, 4, mxINT32_CLASS, mxREAL));
    int* data = static_cast<int*>(mxGetData(integers.get()));
    data[0] = 3, data[1] = 0, data[2] = 1, data[3] = 4;
    Array doubles = makeRow({3, 0, 1, 4});
    for (const char* module : kModules) {
        host.seed(kSeed);
        CallResult converted = callModule(Build::Current, module, 1, {integers.get()});
        host.seed(kSeed);
        EXPECT_TRUE(sameValues(outputOf(callModule(Build::Current, module, 1, {doubles.get()})).values,
                               outputOf(converted).values))
            << module;
        EXPECT_EQ(converted.stats.blocksReclaimed, 0u);
    }
}

TEST(Resampling, HostileArgumentsNeverMisuseTheHost)
{
    std::size_t calls = 0;
    for (const char* module : kModules) {
        const bool alwaysFilled = std::string(module) == "plainpick" || std::string(module) == "remainderpick";
        Sweep sweep(2);
        sweep.check = [&](const CallResult& result) {
            Output out = outputOf(result);
            const double n = static_cast<double>(out.values.size());
            for (double v : out.values) {
                EXPECT_TRUE(v == std::floor(v) && v >= (alwaysFilled ? 1 : 0) && v <= n) << module << " gave " << v;
            }
        };
        for (Build build : {Build::Current, Build::Legacy}) calls += sweepHostile(build, module, sweep);
    }
    EXPECT_GT(calls, 20000u);
}
