// Calls too big, too long or degenerate: the memory rule (tooLarge before anything is created or
// drawn), interrupt checks in long calls, empty results that would draw for ever, and weights that
// overflow or give no distribution.
#include <cmath>
#include <string>

#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

// A call with scalar arguments (and a weight row `w` first when given).
CallResult callWith(const std::string& name, std::vector<double> scalars, const mxArray* first = nullptr)
{
    std::vector<Array> arrays;
    std::vector<const mxArray*> args;
    if (first != nullptr) args.push_back(first);
    for (double value : scalars) {
        arrays.push_back(makeScalar(value));
        args.push_back(arrays.back().get());
    }
    return callModule(Build::Current, name, 1, args);
}

}  // namespace

TEST(CallLimits, CallsLargerThanTheMemoryLimitAreRefusedBeforeAnythingIsMade)
{
    Host host;
    Array weights = makeRow(std::vector<double>(600000, 1.0)), big = makeMatrix(1000, 1000, {});
    host.setMemoryLimit(4e6);  // 4 MB: half a million doubles
    const std::pair<std::string, CallResult> calls[] = {
        {"shapedraw", callWith("shapedraw", {3, 8, 1000, 1000})},
        {"recipshapedraw", callWith("recipshapedraw", {3, 8, 1000, 1000})},
        {"studentdraw", callWith("studentdraw", {5, 1000, 1000})},
        {"waitdraw", callWith("waitdraw", {1, 1000, 1000})},
        {"simplexdraw", callWith("simplexdraw", {1000, 1000})},
        {"classdraw", callWith("classdraw", {1000, 1000}, weights.get())},
        {"plainpick", callWith("plainpick", {}, weights.get())},
        {"remainderpick", callWith("remainderpick", {}, weights.get())},
        {"layeredpick", callWith("layeredpick", {}, weights.get())},
        {"fixedpick", callWith("fixedpick", {}, weights.get())},
        {"weightavgdraw", callWith("weightavgdraw", {1e6}, weights.get())},
        {"weightquantdraw", callWith("weightquantdraw", {50, 1e6}, weights.get())},
        {"psivalue", callWith("psivalue", {}, big.get())},
        {"squashfn", callWith("squashfn", {}, big.get())},
    };
    for (const auto& [name, result] : calls) {
        EXPECT_EQ(result.identifier, "montemex:" + name + ":tooLarge") << name << ": " << result.message;
        EXPECT_EQ(result.stats.uniformsDrawn + result.stats.normalsDrawn, 0u) << name;
        // weightquantdraw has sorted P by then, as it always does before reading B.
        EXPECT_EQ(result.stats.arraysCreated, name == "weightquantdraw" ? 1u : 0u) << name;
    }
    EXPECT_EQ(calls[0].second.message,
              "This call needs 0.008 GB of memory at once, more than the 0.004 GB a call may use here.");
    // Blocks of reserved numbers count as large as the elements' minimum numbers make them: one
    // gamma draw holds 24 bytes (not the largest block, 2 MB), and elements that draw nothing none.
    host.setMemoryLimit(1e6);
    for (const char* name : {"shapedraw", "recipshapedraw"}) EXPECT_TRUE(callWith(name, {3, 8}).ok) << name;
    EXPECT_TRUE(callWith("studentdraw", {5}).ok);
    host.setMemoryLimit(4e6);
    const std::pair<std::vector<double>, std::string> sized[] = {
        {{3, 8, 300, 1000}, "0.0045"}, {{3, 0, 300, 1000}, ""}, {{1, 300, 1000}, "0.0048"}, {{0, 300, 1000}, ""}};
    for (const auto& [scalars, needed] : sized) {
        const char* name = scalars.size() == 4 ? "shapedraw" : "studentdraw";
        CallResult result = callWith(name, scalars);
        EXPECT_EQ(result.ok, needed.empty()) << name << " " << scalars[1];
        if (!needed.empty()) {
            EXPECT_EQ(result.message.rfind("This call needs " + needed + " GB ", 0), 0u) << result.message;
        }
    }
    host.setMemoryLimit(0);
    // The host's own limit follows the rule too: 8 GB of doubles is more than this limit allows.
    host.setMemoryLimit(1e9);
    Array many = makeScalar(1e5);
    EXPECT_FALSE(host.callBuiltin("rand", 1, {many.get(), many.get()}).ok);
    host.setMemoryLimit(0);
}

TEST(CallLimits, LongCallsLetAPendingInterruptEndThem)
{
    // An interrupt requested before the call is acted on at the call's first check, which comes
    // after a few milliseconds of work; a short call makes no check at all.
    Array weights = makeRow(std::vector<double>(2000000, 1.0)), x = makeMatrix(2000, 1, {});
    Array big = makeMatrix(1000, 2000, std::vector<double>(2000000, -3.5));
    const std::pair<std::string, std::vector<const mxArray*>> longCalls[] = {{"shapedraw", {}},
                                                                             {"recipshapedraw", {}},
                                                                             {"studentdraw", {}},
                                                                             {"waitdraw", {}},
                                                                             {"simplexdraw", {}},
                                                                             {"classdraw", {weights.get()}},
                                                                             {"plainpick", {weights.get()}},
                                                                             {"remainderpick", {weights.get()}},
                                                                             {"layeredpick", {weights.get()}},
                                                                             {"fixedpick", {weights.get()}},
                                                                             {"weightavgdraw", {x.get()}},
                                                                             {"weightquantdraw", {x.get()}},
                                                                             {"psivalue", {big.get()}},
                                                                             {"squashfn", {big.get()}}};
    const std::vector<std::vector<double>> scalars = {{3, 8, 1000, 1000},
                                                      {3, 8, 1000, 1000},
                                                      {5, 1000, 1000},
                                                      {1, 2000, 1000},
                                                      {1000, 2000},
                                                      {1000, 1000},
                                                      {},
                                                      {},
                                                      {},
                                                      {},
                                                      {2000},
                                                      {50, 2000},
                                                      {},
                                                      {}};
    for (std::size_t c = 0; c < std::size(longCalls); ++c) {
        const auto& [name, leading] = longCalls[c];
        std::vector<Array> arrays;
        std::vector<const mxArray*> args = leading;
        for (double value : scalars[c]) {
            arrays.push_back(makeScalar(value));
            args.push_back(arrays.back().get());
        }
        CallResult plain = callModule(Build::Current, name, 1, args);
        EXPECT_TRUE(plain.ok) << name << ": " << plain.message;
        EXPECT_GT(plain.stats.interruptChecks, 0u) << name;
        Host::requestInterrupt();
        CallResult interrupted = callModule(Build::Current, name, 1, args);
        EXPECT_EQ(interrupted.message, "Interrupted.") << name;
        EXPECT_EQ(interrupted.stats.interruptChecks, 1u) << name;
    }
    Array one = makeScalar(1);
    EXPECT_EQ(callModule(Build::Current, "waitdraw", 1, {one.get()}).stats.interruptChecks, 0u);
}

TEST(CallLimits, TheWorkReportedGrowsLinearlyWhateverTheValues)
{
    // Interrupt checks come every 2^20 steps of the work a call reports, the elements its scans
    // for runs of equal values compare included. Elements that draw nothing must count, and no
    // element may be compared again for each of its neighbours (long runs of values the batch
    // cannot draw once were): four times the elements, four times the checks.
    Array three = makeScalar(3);
    for (double v : {0.0, double(NAN), 2.000001, 8.0}) {  // as all that draw nothing, NaN, one number, the batch
        for (const char* name : {"shapedraw", "studentdraw"}) {
            std::size_t checks[2];
            for (std::size_t k = 0; k < 2; ++k) {
                const std::size_t n = std::size_t(1) << (18 + 2 * k);
                Array dof = makeMatrix(1, n, std::vector<double>(n, v));
                CallResult result = std::string(name) == "shapedraw"
                                        ? callModule(Build::Current, name, 1, {three.get(), dof.get()})
                                        : callModule(Build::Current, name, 1, {dof.get()});
                checks[k] = result.stats.interruptChecks;
            }
            EXPECT_GE(checks[0], 1u) << name << ", v = " << v;
            EXPECT_LE(checks[1], 4 * (checks[0] + 1)) << name << ", v = " << v;
        }
    }
}

TEST(CallLimits, EmptyResultsDrawAtMostTwoToTheThirtySecondNumbers)
{
    Array noColumns = makeMatrix(10, 0, {}), x = makeMatrix(10, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    Array empty = makeMatrix(1, 0, {}), many = makeScalar(1e12), some = makeScalar(3);
    expectError(
        callModule(Build::Current, "weightavgdraw", 1, {noColumns.get(), many.get()}), "weightavgdraw", "tooManyDraws",
        "The result is empty, yet the call would draw 1e+13 random numbers for it; at most 4294967296 are drawn "
        "for an empty result.");
    EXPECT_EQ(callModule(Build::Current, "weightquantdraw", 1, {x.get(), empty.get(), many.get()}).identifier,
              "montemex:weightquantdraw:tooManyDraws");
    // Ordinary empty results still draw their numbers.
    CallResult ordinary = callModule(Build::Current, "weightavgdraw", 1, {noColumns.get(), some.get()});
    EXPECT_TRUE(ordinary.ok);
    EXPECT_EQ(ordinary.stats.uniformsDrawn, 30u);
}

TEST(CallLimits, OverflowingWeightsResampleAsScaledDownAndDegenerateOnesWarn)
{
    Host host;
    Array huge = makeRow({1e308, 1e308, 1e308}), ones = makeRow({1, 1, 1}), zeros = makeRow({0, 0, 0});
    Array nan = makeRow({1, NAN, 2}), infinite = makeRow({1, INFINITY}), negative = makeRow({1, -3});
    for (const char* name : {"plainpick", "remainderpick", "layeredpick", "fixedpick", "classdraw"}) {
        for (Build build : {Build::Current, Build::Legacy}) {
            if (build == Build::Legacy && std::string(name) == "classdraw") continue;
            for (std::uint32_t seed : {1u, 2u, 3u}) {
                host.seed(seed);
                Output scaled = outputOf(callModule(build, name, 1, {huge.get()}));
                host.seed(seed);
                Output plain = outputOf(callModule(build, name, 1, {ones.get()}));
                EXPECT_TRUE(sameValues(plain.values, scaled.values)) << name;
            }
            EXPECT_TRUE(callModule(build, name, 1, {ones.get()}).stats.warnings.empty());
            for (const Array* degenerate : {&zeros, &nan, &infinite, &negative}) {
                CallResult result = callModule(build, name, 1, {degenerate->get()});
                if (!result.ok) continue;  // classdraw refuses the negative probability
                ASSERT_EQ(result.stats.warnings.size(), 1u) << name;
                EXPECT_EQ(result.stats.warnings[0],
                          "montemex:" + std::string(name) +
                              ":degenerateWeights: The weights do not have a positive finite total, so the result is "
                              "no resample of them.");
            }
        }
    }
    // Equal weights keep their whole copies whatever N: no random number is needed.
    Array fortyNine = makeRow(std::vector<double>(49, 1.0));
    CallResult residual = callModule(Build::Current, "remainderpick", 1, {fortyNine.get()});
    EXPECT_EQ(residual.stats.uniformsDrawn, 0u);
    std::vector<double> inOrder(49);
    for (std::size_t i = 0; i < 49; ++i) inOrder[i] = static_cast<double>(i + 1);
    EXPECT_TRUE(sameValues(inOrder, outputOf(residual).values));
}

TEST(CallLimits, AWarningMadeAnErrorLeavesTheGeneratorWhereTheCallWould)
{
    // Every warning about the arguments comes once the call has drawn its numbers, so a call that
    // a warning ends (warning("error", id)) has moved the generator exactly as far as the same
    // call that only warns; turned off, the warning goes unrecorded and the result is the same.
    // Both builds warn alike.
    Host host;
    Array zeros = makeRow({0, 0, 0}), unsorted = makeMatrix(4, 1, {3, 1, 2, 0}), p = makeRow({5, 95}),
          draws = makeScalar(3), row = makeRow({1, 2, 3}), sorted = makeMatrix(3, 1, {1, 2, 3}),
          beyond = makeRow({50, (0.1 + 0.2) / 0.3 * 100}), below = makeRow({-1e-300, 50}), nan = makeRow({50, NAN});
    const struct {
        std::string name;
        std::string reason;
        std::vector<const mxArray*> args;
    } calls[] = {{"plainpick", "degenerateWeights", {zeros.get()}},
                 {"layeredpick", "degenerateWeights", {zeros.get()}},
                 {"remainderpick", "degenerateWeights", {zeros.get()}},
                 {"fixedpick", "degenerateWeights", {zeros.get()}},
                 {"classdraw", "degenerateWeights", {zeros.get(), draws.get()}},
                 {"weightquantdraw", "unsortedX", {unsorted.get(), p.get(), draws.get()}},
                 {"weightquantdraw", "oneRow", {row.get(), p.get(), draws.get()}},
                 {"weightquantdraw", "percentRange", {sorted.get(), beyond.get(), draws.get()}},
                 {"weightquantdraw", "percentRange", {sorted.get(), below.get(), draws.get()}},
                 {"weightquantdraw", "percentRange", {sorted.get(), nan.get(), draws.get()}},
                 {"weightavgdraw", "oneRow", {row.get(), draws.get()}}};
    for (Build build : {Build::Current, Build::Legacy}) {
        for (const auto& [name, reason, args] : calls) {
            if (build == Build::Legacy && name == "classdraw") continue;
            const std::string id = "montemex:" + name + ":" + reason;
            host.seed(5);
            CallResult warned = callModule(build, name, 1, args);
            ASSERT_EQ(warned.stats.warnings.size(), 1u) << name;
            EXPECT_EQ(warned.stats.warnings[0].rfind(id + ": ", 0), 0u) << warned.stats.warnings[0];
            const RandomState after = host.randomState();
            host.setWarningMode(id, WarningMode::Error);
            host.seed(5);
            CallResult ended = callModule(build, name, 1, args);
            EXPECT_EQ(ended.identifier, id);
            EXPECT_EQ(id + ": " + ended.message, warned.stats.warnings[0]);
            EXPECT_TRUE(host.randomState() == after) << name;
            host.setWarningMode(id, WarningMode::Off);
            host.seed(5);
            CallResult quiet = callModule(build, name, 1, args);
            EXPECT_TRUE(quiet.stats.warnings.empty()) << name;
            EXPECT_TRUE(sameValues(outputOf(warned).values, outputOf(quiet).values)) << name;
            host.clearWarningModes();
        }
    }
}

TEST(CallLimits, TheMemoryLimitVariableHasOneFormAndAnyOtherValueWarns)
{
    // In its form the value is the limit, for the modules and the host's own arrays alike: 4e6
    // bytes refuse a million doubles. Any other value gets a warning naming it, once per value
    // while the module stays loaded, and the default applies ("inf" and "1e999" once removed the
    // limit, "5000abc" read as 5000, and the rest were ignored silently).
    Host host;
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {{"4e6", true},      {"4000000", true}, {"4000000.5", true}, {"4.0E+6", true},    {"abc", false},
                 {"-1", false},      {"0", false},      {"nan", false},      {"inf", false},      {"1e999", false},
                 {"5000abc", false}, {" 4e6", false},   {"+4e6", false},     {"0x3d0900", false}, {"4e6 ", false}};
    Array one = makeScalar(1), thousand = makeScalar(1000);
    for (const auto& c : cases) {
        host.setMemoryLimitVariable(c.text);
        CallResult first = callModule(Build::Current, "waitdraw", 1, {one.get(), thousand.get(), thousand.get()});
        CallResult again = callModule(Build::Current, "waitdraw", 1, {one.get(), thousand.get(), thousand.get()});
        EXPECT_EQ(host.callBuiltin("rand", 1, {thousand.get(), thousand.get()}).ok, !c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_EQ(first.identifier, "montemex:waitdraw:tooLarge") << c.text;
            EXPECT_TRUE(first.stats.warnings.empty()) << c.text;
            continue;
        }
        EXPECT_TRUE(first.ok && again.ok) << c.text;
        ASSERT_EQ(first.stats.warnings.size(), 1u) << c.text;
        EXPECT_EQ(first.stats.warnings[0].rfind("montemex:waitdraw:memoryLimit: MONTEMEX_MEMORY_LIMIT is \"" +
                                                    std::string(c.text) +
                                                    "\", not a positive number of bytes such as 4e9: "
                                                    "the default limit of ",
                                                0),
                  0u)
            << first.stats.warnings[0];
        EXPECT_TRUE(again.stats.warnings.empty()) << c.text;
    }
    host.setMemoryLimit(0);
}

TEST(CallLimits, OrdinaryBootstrapCallsDoNotWarn)
{
    // Sorted columns, percentiles from 0 to 100 and single values: no warning. (The calls that
    // warn are above.)
    Array sorted = makeMatrix(4, 1, {0, 1, 2, 3}), p = makeRow({0, 5, 95, 100}), one = makeScalar(7),
          draws = makeScalar(3), row = makeRow({1, 2, 3}), none = makeScalar(0);
    for (Build build : {Build::Current, Build::Legacy}) {
        const std::vector<std::vector<const mxArray*>> quantileCalls = {
            {sorted.get(), p.get(), draws.get()}, {one.get(), p.get(), draws.get()}, {row.get(), p.get(), none.get()}};
        for (const auto& args : quantileCalls) {
            EXPECT_TRUE(callModule(build, "weightquantdraw", 1, args).stats.warnings.empty());
        }
        const std::vector<std::vector<const mxArray*>> meanCalls = {
            {sorted.get(), draws.get()}, {one.get(), draws.get()}, {row.get(), none.get()}};
        for (const auto& args : meanCalls) {
            EXPECT_TRUE(callModule(build, "weightavgdraw", 1, args).stats.warnings.empty());
        }
    }
}
