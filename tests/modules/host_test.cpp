// The embedded host itself: its random generators, "sort", error unwinding, reclamation of what
// a module leaves behind, and module state across calls.
#include <cmath>

#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

CallResult builtin(const std::string& name, std::initializer_list<const mxArray*> args, int nlhs = 1)
{
    Host host;
    return host.callBuiltin(name, nlhs, std::vector<const mxArray*>(args));
}

}  // namespace

TEST(Host, RandIsSeededStrictlyInsideTheUnitIntervalAndBulkEqualsOneByOne)
{
    Host host;
    host.seed(42);
    std::vector<double> bulk = hostUniforms(1000);
    host.seed(42);
    std::vector<double> single;
    for (int k = 0; k < 1000; ++k) single.push_back(values(builtin("rand", {}).outputs[0].get())[0]);
    EXPECT_TRUE(sameValues(bulk, single));
    for (double u : bulk) {
        EXPECT_GT(u, 0.0);
        EXPECT_LT(u, 1.0);
    }
    host.seed(43);
    EXPECT_NE(hostUniforms(1)[0], bulk[0]);
}

TEST(Host, RandAndRandnAreIndependentUnlessSharingOneStream)
{
    Host host;
    host.seed(1);
    std::vector<double> uniforms = hostUniforms(4);
    host.seed(1);
    hostNormals(3);
    EXPECT_TRUE(sameValues(uniforms, hostUniforms(4)));  // randn did not move rand

    host.setStreamMode(StreamMode::Shared);
    host.seed(1);
    hostNormals(1);  // two uniforms of the shared stream
    std::vector<double> after = hostUniforms(2);
    host.setStreamMode(StreamMode::Separate);
    EXPECT_TRUE(sameValues({uniforms[2], uniforms[3]}, after));
}

TEST(Host, RandSizeArgumentsFollowTheHostRules)
{
    Array three = makeScalar(3), minusTwo = makeScalar(-2), notInteger = makeScalar(2.7), nan = makeScalar(NAN);
    Array sizes = makeRow({2, 4});
    EXPECT_EQ(dimensions(builtin("rand", {three.get()}).outputs[0].get()), (std::vector<std::size_t>{3, 3}));
    EXPECT_EQ(dimensions(builtin("rand", {sizes.get()}).outputs[0].get()), (std::vector<std::size_t>{2, 4}));
    EXPECT_EQ(dimensions(builtin("rand", {minusTwo.get(), three.get()}).outputs[0].get()),
              (std::vector<std::size_t>{0, 3}));
    EXPECT_FALSE(builtin("rand", {notInteger.get(), three.get()}).ok);
    EXPECT_FALSE(builtin("randn", {nan.get(), three.get()}).ok);

    Host host;
    host.setMaxElements(100);
    Array hundred = makeScalar(100);
    CallResult tooLarge = builtin("rand", {hundred.get(), three.get()});
    host.setMaxElements(std::size_t(1) << 28);
    EXPECT_EQ(tooLarge.identifier, "MATLAB:nomem");
}

TEST(Host, SortOrdersAscendingWithNaNLastAlongTheFirstLongDimension)
{
    Array row = makeRow({3, NAN, -1, 2, -1});
    CallResult sorted = builtin("sort", {row.get()}, 2);
    ASSERT_TRUE(sorted.ok);
    EXPECT_TRUE(sameValues({-1, -1, 2, 3, NAN}, values(sorted.outputs[0].get())));
    EXPECT_TRUE(sameValues({3, 5, 4, 1, 2}, values(sorted.outputs[1].get())));  // stable for ties

    Array matrix = makeMatrix(2, 2, {4, 1, 2, 3});  // [4 2; 1 3], sorted down each column
    EXPECT_TRUE(sameValues({1, 4, 2, 3}, values(builtin("sort", {matrix.get()}).outputs[0].get())));

    Array integers(mxCreateNumericMatrix(1, 3, mxINT8_CLASS, mxREAL));
    auto* data = static_cast<signed char*>(mxGetData(integers.get()));
    data[0] = 5;
    data[1] = -7;
    data[2] = 0;
    CallResult sortedIntegers = builtin("sort", {integers.get()});
    EXPECT_EQ(mxGetClassID(sortedIntegers.outputs[0].get()), mxINT8_CLASS);
    EXPECT_TRUE(sameValues({-7, 0, 5}, values(sortedIntegers.outputs[0].get())));
}

TEST(Host, ScriptedNumbersComeFirstAndRunningOutIsAnError)
{
    Host host;
    host.scriptUniforms({0.25, 0.5});
    host.scriptNormals({-3});
    EXPECT_TRUE(sameValues({0.25, 0.5}, hostUniforms(2)));
    EXPECT_TRUE(sameValues({-3}, hostNormals(1)));
    CallResult exhausted = builtin("rand", {});
    host.clearScripts();
    EXPECT_EQ(exhausted.identifier, "montemex:host:scriptExhausted");
}

TEST(Host, ReclaimsWhatAModuleLeavesAndUnwindsErrors)
{
    Array leave = makeScalar(1), fail = makeScalar(2), unknown = makeScalar(5);
    CallResult left = callModule(Build::Probe, "hostprobe", 1, {leave.get()});
    ASSERT_TRUE(left.ok);
    EXPECT_EQ(left.stats.arraysReclaimed, 1u);  // the 10x10 matrix; the output is the caller's
    EXPECT_EQ(left.stats.blocksReclaimed, 1u);

    CallResult failed = callModule(Build::Probe, "hostprobe", 1, {fail.get()});
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.identifier, "montemex:hostprobe:failed");
    EXPECT_EQ(failed.message, "Failed after 2 allocations.");
    EXPECT_EQ(failed.stats.arraysReclaimed, 1u);
    EXPECT_EQ(failed.stats.blocksReclaimed, 1u);
    EXPECT_TRUE(failed.outputs.empty());

    CallResult missing = callModule(Build::Probe, "hostprobe", 1, {unknown.get()});
    EXPECT_EQ(missing.message, "Undefined function 'nosuchfunction'.");
}

// An error jumps from the host library through the module's frames back to where the host called
// the module; on 64-bit Windows that jump unwinds every frame in between, across three DLLs.
// Thousands in a row, raised by the module, from 40 calls below a frame with a clean-up, and
// from inside a host function, must each end just their own call.
TEST(Host, ErrorsEndOnlyTheirOwnCallThousandsOfTimesInARow)
{
    Host host;
    host.setModulePath({moduleDirectory(Build::Probe)});
    host.unload("hostprobe");
    Array modes[3] = {makeScalar(2), makeScalar(6), makeScalar(5)};
    const std::string messages[3] = {"Failed after 2 allocations.", "Failed 40 calls deep.",
                                     "Undefined function 'nosuchfunction'."};
    for (int k = 0; k < 3000; ++k) {
        CallResult failed = host.call("hostprobe", 1, {modes[k % 3].get()});
        ASSERT_FALSE(failed.ok);
        ASSERT_EQ(failed.message, messages[k % 3]);
        ASSERT_TRUE(failed.stats.misuse.empty());
    }
    CallResult counted = host.call("hostprobe", 1, {});
    ASSERT_TRUE(counted.ok);
    EXPECT_TRUE(sameValues({3001}, values(counted.outputs[0].get())));  // module state intact
    Array mean = makeScalar(2);
    EXPECT_TRUE(callModule(Build::Current, "waitdraw", 1, {mean.get()}).ok);
}

TEST(Host, RecordsInterfaceMisuse)
{
    Host host;
    host.setModulePath({moduleDirectory(Build::Probe)});
    Array wrongType = makeScalar(3), ownInput = makeScalar(4);
    CallResult misread = host.call("hostprobe", 1, {wrongType.get()});
    ASSERT_EQ(misread.stats.misuse.size(), 1u);
    EXPECT_EQ(misread.stats.misuse[0], "mxGetPr on a int32 array");
    CallResult returnedInput = host.call("hostprobe", 1, {ownInput.get()});
    ASSERT_EQ(returnedInput.stats.misuse.size(), 1u);
    EXPECT_TRUE(sameValues({4}, values(returnedInput.outputs[0].get())));  // a copy, not the input
}

TEST(Host, ModulesStayLoadedBetweenCallsUntilUnloaded)
{
    Host host;
    host.unload("hostprobe");
    EXPECT_TRUE(sameValues({1}, values(callModule(Build::Probe, "hostprobe", 1, {}).outputs[0].get())));
    EXPECT_TRUE(sameValues({2}, values(callModule(Build::Probe, "hostprobe", 1, {}).outputs[0].get())));
    host.unload("hostprobe");
    EXPECT_TRUE(sameValues({1}, values(callModule(Build::Probe, "hostprobe", 1, {}).outputs[0].get())));
}

TEST(Host, UnknownFunctionsAndUnassignedOutputs)
{
    Host host;
    host.setModulePath({moduleDirectory(Build::Current)});
    EXPECT_EQ(host.call("nosuchmodule", 1, {}).identifier, "MATLAB:UndefinedFunction");
    EXPECT_EQ(host.call("../current/waitdraw", 1, {}).identifier, "MATLAB:UndefinedFunction");
}
