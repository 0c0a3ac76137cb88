// Sizes past what 32-bit code can count or address: element counts of 2^31 and 2^32 and beyond,
// double copies of more than 4 GB, random-number requests of n*B past 2^32. A 32-bit build must
// refuse them with the documented error, never compute with a count wrapped to 32 bits.
#include <algorithm>

#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

constexpr bool kNarrow = sizeof(void*) == 4;

// The documented refusal of a call whose memory cannot be addressed.
bool isTooLarge(const CallResult& result, const std::string& name)
{
    return result.identifier == "montemex:" + name + ":sizeTooLarge" ||
           result.identifier == "montemex:" + name + ":tooLarge";
}

// A call a 32-bit build must refuse as too large; a 64-bit build may also end it with
// `wideIdentifier` (by default the embedded host's element limit).
void expectBeyond32Bits(const CallResult& result, const std::string& name,
                        const std::string& wideIdentifier = "MATLAB:nomem")
{
    EXPECT_FALSE(result.ok) << name;
    if (kNarrow) {
        EXPECT_TRUE(isTooLarge(result, name)) << name << ": " << result.identifier << " " << result.message;
    } else {
        EXPECT_TRUE(isTooLarge(result, name) || result.identifier == wideIdentifier)
            << name << ": " << result.identifier << " " << result.message;
    }
}

// An array of doubles whose first two dimensions promise rows * cols values but which holds none.
Array promising(mwSize rows, mwSize cols)
{
    mwSize dims[3] = {rows, cols, 0};
    return Array(mxCreateNumericArray(3, dims, mxDOUBLE_CLASS, mxREAL));
}

}  // namespace

TEST(Limits, SizeArgumentsWhoseCountOrBytesPass32BitsAreRefused)
{
    Host host;
    host.seed(7);
    const RandomState before = host.randomState();
    Array one = makeScalar(1), four = makeScalar(4), probabilities = makeRow({0.2, 0.8});
    const std::size_t live = host.liveArrayCount();
    // 46341^2 just passes 2^31, 50000^2 the bytes of 4 GB, 65536^2 = 2^32 wraps to 0, 70000^2 to
    // a plausible count.
    for (double side : {46341.0, 50000.0, 65536.0, 70000.0}) {
        Array m = makeScalar(side);
        const std::vector<std::pair<const char*, std::vector<const mxArray*>>> calls = {
            {"shapedraw", {one.get(), four.get(), m.get(), m.get()}},
            {"recipshapedraw", {one.get(), four.get(), m.get(), m.get()}},
            {"studentdraw", {four.get(), m.get(), m.get()}},
            {"waitdraw", {one.get(), m.get(), m.get()}},
            {"simplexdraw", {m.get(), m.get()}},
            {"classdraw", {probabilities.get(), m.get(), m.get()}},
        };
        for (Build build : {Build::Current, Build::Legacy}) {
            for (const auto& call : calls) {
                if (build == Build::Legacy && std::string(call.first) == "studentdraw") continue;
                if (build == Build::Legacy && std::string(call.first) == "classdraw") continue;
                expectBeyond32Bits(callModule(build, call.first, 1, call.second), call.first);
            }
        }
        // The bootstrap result is B-by-(columns of X) or B-by-(length of P).
        const std::size_t width = static_cast<std::size_t>(side);
        Array row = makeMatrix(1, width, std::vector<double>(width, 1.0));
        Array percents = makeMatrix(1, width, std::vector<double>(width, 50.0));
        expectBeyond32Bits(callModule(Build::Current, "weightavgdraw", 1, {row.get(), m.get()}), "weightavgdraw");
        expectBeyond32Bits(callModule(Build::Current, "weightquantdraw", 1, {row.get(), percents.get(), m.get()}),
                           "weightquantdraw");
    }
    // Refused before a number is drawn or an array left behind.
    EXPECT_TRUE(host.randomState() == before);
    EXPECT_EQ(host.liveArrayCount(), live);
}

TEST(Limits, ArraysPromising2To31Or2To32ValuesButHoldingNone)
{
    Host host;
    host.seed(7);
    const std::size_t live = host.liveArrayCount();
    for (mwSize cols : {mwSize(32768), mwSize(65536)}) {
        Array empty = promising(65536, cols), four = makeScalar(4), one = makeScalar(1);
        // The output takes the parameter's shape: 2^31 or 2^32 elements.
        expectBeyond32Bits(callModule(Build::Current, "shapedraw", 1, {empty.get(), four.get()}), "shapedraw",
                           "montemex:shapedraw:sizeMismatch");
        expectBeyond32Bits(callModule(Build::Current, "waitdraw", 1, {empty.get()}), "waitdraw",
                           "montemex:waitdraw:sizeMismatch");
        // Resampling counts such weights as 0-by-0.
        for (const char* name : {"plainpick", "remainderpick", "layeredpick", "fixedpick"}) {
            Output picked = outputOf(callModule(Build::Current, name, 1, {empty.get()}));
            EXPECT_EQ(picked.rows * picked.cols, 0u) << name;
        }
        // X holds no values: one draw of 65536 uniforms, every mean 0.
        Output means = outputOf(callModule(Build::Current, "weightavgdraw", 1, {empty.get(), one.get()}));
        EXPECT_EQ(means.rows, 1u);
        EXPECT_EQ(means.cols, static_cast<std::size_t>(cols));
        EXPECT_TRUE(std::all_of(means.values.begin(), means.values.end(), [](double v) { return v == 0.0; }));
    }
    EXPECT_EQ(host.liveArrayCount(), live);
}

// n * B past 2^32, with the draws of one block scripted: the module asks for whole columns of n
// uniforms (rand(65536, 16)), not for a product wrapped to 32 bits, and ends when the script does.
TEST(Limits, BootstrapDrawsPast2To32NumbersAskForWholeColumns)
{
    Host host;
    host.setLogging(true);
    Array x = makeMatrix(65536, 1, std::vector<double>(65536, 1.0)), draws = makeScalar(65537.0);
    Array percent = makeScalar(50);
    for (const char* name : {"weightavgdraw", "weightquantdraw"}) {
        host.scriptUniforms(std::vector<double>(std::size_t(1) << 20, 0.5));
        std::vector<const mxArray*> args = {x.get(), draws.get()};
        if (std::string(name) == "weightquantdraw") args = {x.get(), percent.get(), draws.get()};
        CallResult result = callModule(Build::Current, name, 1, args);
        EXPECT_EQ(result.identifier, "montemex:host:scriptExhausted") << name;
        const auto asked = std::count_if(result.log.begin(), result.log.end(), [](const std::string& entry) {
            return entry.rfind("mexCallMATLAB rand(", 0) == 0;
        });
        EXPECT_EQ(asked, 2) << name;
        EXPECT_EQ(std::count(result.log.begin(), result.log.end(), "mexCallMATLAB rand(65536,16)"), 2) << name;
        host.clearScripts();
    }
    host.setLogging(false);
}

// Real inputs of 2^29 one-byte elements (512 MB): their double copies (4 GB) cannot be addressed
// by a 32-bit build, whose size_t would wrap the byte count to 0. 64-bit builds would really
// allocate these, so only 32-bit builds run them.
TEST(Limits, DoubleCopiesOfMoreThan4GBAreRefused)
{
    if (!kNarrow) GTEST_SKIP() << "a 64-bit build can address these copies";
    Host host;
    const std::size_t count = std::size_t(1) << 29;
    host.setMaxElements(count);
    Array weights(mxCreateLogicalMatrix(static_cast<mwSize>(count), 1));
    if (!weights || mxGetNumberOfElements(weights.get()) != count) GTEST_SKIP() << "512 MB not available";
    Array one = makeScalar(1), percent = makeScalar(50);
    for (const char* name : {"plainpick", "remainderpick", "layeredpick", "fixedpick", "classdraw"}) {
        expectBeyond32Bits(callModule(Build::Current, name, 1, {weights.get()}), name);
    }
    expectBeyond32Bits(callModule(Build::Current, "waitdraw", 1, {weights.get()}), "waitdraw");
    expectBeyond32Bits(callModule(Build::Current, "weightavgdraw", 1, {weights.get(), one.get()}), "weightavgdraw");
    expectBeyond32Bits(callModule(Build::Current, "weightquantdraw", 1, {weights.get(), percent.get(), one.get()}),
                       "weightquantdraw");
    host.setMaxElements(std::size_t(1) << 28);
}
