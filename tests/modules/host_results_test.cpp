// What the host's "rand", "randn" and "sort" return is checked before use: shadowed by functions
// that return the wrong size, class or values (as a user's rand.m can), every module ends with
// badHostResult or a sound result, never a read or write past an array, a result it did not make,
// or a loop without end.
#include <cstdint>
#include <string>

#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

// The rows and columns a call of "rand" or "randn" asked for.
std::pair<std::size_t, std::size_t> requested(int nrhs, mxArray* prhs[])
{
    if (nrhs < 2) return {1, 1};
    return {static_cast<std::size_t>(values(prhs[0])[0]), static_cast<std::size_t>(values(prhs[1])[0])};
}

mxArray* filled(std::size_t rows, std::size_t cols, double value)
{
    mxArray* array = mxCreateDoubleMatrix_700(rows, cols, mxREAL);
    for (std::size_t k = 0; k < rows * cols; ++k) mxGetPr(array)[k] = value;
    return array;
}

struct Misbehaviour {
    const char* what;
    HostFunction function;
};

std::vector<Misbehaviour> misbehaviours()
{
    std::vector<Misbehaviour> list = {
        {"nothing", [](int, mxArray**, int, mxArray**) {}},
        {"a 1x1 array", [](int, mxArray* plhs[], int, mxArray**) { plhs[0] = filled(1, 1, 0.5); }},
        {"a row too many",
         [](int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
             auto [rows, cols] = requested(nrhs, prhs);
             plhs[0] = filled(rows + 1, cols, 0.5);
         }},
        {"int8",
         [](int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
             auto [rows, cols] = requested(nrhs, prhs);
             plhs[0] = mxCreateNumericMatrix(rows, cols, mxINT8_CLASS, mxREAL);
         }},
        {"single",
         [](int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
             auto [rows, cols] = requested(nrhs, prhs);
             plhs[0] = mxCreateNumericMatrix(rows, cols, mxSINGLE_CLASS, mxREAL);
         }},
        {"a cell",
         [](int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
             auto [rows, cols] = requested(nrhs, prhs);
             plhs[0] = mxCreateCellMatrix(rows, cols);
         }},
        {"text", [](int, mxArray* plhs[], int, mxArray**) { plhs[0] = mxCreateString("0.5"); }},
        {"complex",
         [](int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
             auto [rows, cols] = requested(nrhs, prhs);
             plhs[0] = mxCreateDoubleMatrix_700(rows, cols, mxCOMPLEX);
         }},
        {"sparse",
         [](int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
             auto [rows, cols] = requested(nrhs, prhs);
             plhs[0] = mxCreateSparse(rows, cols, 1, mxREAL);
         }},
    };
    // The right size and class, but constant values: outside (0, 1) or not finite for all but
    // the last two, and for 0.999 ones that the gamma rejection method never accepts.
    for (double value : {0.0, 1.0, 2.0, -1.0, double(NAN), double(INFINITY), 0.5, 0.999}) {
        list.push_back({"constants", [value](int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
                            auto [rows, cols] = requested(nrhs, prhs);
                            plhs[0] = filled(rows, cols, value);
                        }});
    }
    return list;
}

struct Call {
    const char* name;
    std::vector<double> args;  // scalars
};

}  // namespace

TEST(HostResults, ShadowedRandAndRandnEndInAnErrorOrASoundResult)
{
    Host host;
    const Call calls[] = {
        {"shapedraw", {3, 8, 2, 3}}, {"shapedraw", {3, 0.5, 2, 3}}, {"recipshapedraw", {2, 10, 3, 1}},
        {"shapedrawone", {3, 8}},    {"recipshapedrawone", {2, 1}}, {"studentdraw", {5, 2, 2}},
        {"studentdraw", {1, 2, 2}},  {"studentdraw", {2, 1, 3}},    {"waitdraw", {2, 3, 4}},
        {"simplexdraw", {3, 2}},     {"classdraw", {3, 2}},         {"scalehyperdraw", {1, 1, 1, 1, 1}},
        {"plainpick", {}},           {"remainderpick", {}},         {"layeredpick", {}},
        {"weightavgdraw", {}},       {"weightquantdraw", {}},
    };
    Array weights = makeRow({1, 2, 3.5}), x = makeMatrix(3, 1, {1, 2, 3}), p = makeRow({10, 90}), draws = makeScalar(2);
    // The argument lists, and the shape each call gives with the host's own functions.
    std::vector<Array> scalars;
    std::vector<std::vector<const mxArray*>> lists;
    std::vector<std::vector<std::size_t>> shapes;
    for (const Call& call : calls) {
        const std::string name = call.name;
        std::vector<const mxArray*> args;
        if (name == "plainpick" || name == "remainderpick" || name == "layeredpick" || name == "classdraw") {
            args.push_back(weights.get());
        }
        if (name == "weightavgdraw") args = {x.get(), draws.get()};
        if (name == "weightquantdraw") args = {x.get(), p.get(), draws.get()};
        for (double value : call.args) {
            scalars.push_back(makeScalar(value));
            args.push_back(scalars.back().get());
        }
        lists.push_back(args);
        CallResult plain = callModule(Build::Current, name, 1, args);
        ASSERT_TRUE(plain.ok) << name << ": " << plain.message;
        shapes.push_back(dimensions(plain.outputs[0].get()));
    }
    for (const Misbehaviour& bad : misbehaviours()) {
        for (const char* function : {"rand", "randn"}) {
            host.clearShadows();
            host.shadowFunction(function, bad.function);
            for (std::size_t c = 0; c < lists.size(); ++c) {
                const std::string name = calls[c].name;
                CallResult result = callModule(Build::Current, name, 1, lists[c]);
                if (result.ok) {
                    // Only numbers of the class and size asked for get this far: the result is the
                    // module's own, of its usual shape.
                    EXPECT_EQ(dimensions(result.outputs[0].get()), shapes[c]) << name << " " << bad.what;
                } else {
                    EXPECT_EQ(result.identifier, "montemex:" + name + ":badHostResult")
                        << name << " with " << function << " returning " << bad.what << ": " << result.message;
                }
            }
        }
    }
    host.clearShadows();

    // The messages name what came back.
    host.shadowFunction("rand", misbehaviours()[1].function);
    Array two = makeScalar(2), three = makeScalar(3), four = makeScalar(4);
    expectError(callModule(Build::Current, "waitdraw", 1, {two.get(), three.get(), four.get()}), "waitdraw",
                "badHostResult", "rand returned a 1-by-1 array where 3-by-4 was requested.");
    host.shadowFunction("rand", misbehaviours()[3].function);
    expectError(callModule(Build::Current, "plainpick", 1, {weights.get()}), "plainpick", "badHostResult",
                "rand returned an array of class int8 where real doubles were requested.");
    host.shadowFunction("rand", misbehaviours().back().function);
    expectError(callModule(Build::Current, "shapedrawone", 1, {three.get(), four.get()}), "shapedrawone",
                "badHostResult", "rand returned numbers that a rejection loop rejected 10000 times in a row.");
    host.shadowFunction("sort", [](int, mxArray* plhs[], int, mxArray**) { plhs[0] = filled(5, 1, 1.0); });
    expectError(callModule(Build::Current, "weightquantdraw", 1, {x.get(), p.get()}), "weightquantdraw",
                "badHostResult", "sort returned a 5-by-1 double array where a 1-by-2 double array was expected.");

    // A sort that returns P as given: only P already in the host's order (ascending, NaN last)
    // may pass, whatever its class. A descending sort once gave percentiles outside the data.
    host.shadowFunction("sort",
                        [](int, mxArray* plhs[], int, mxArray* prhs[]) { plhs[0] = mxDuplicateArray(prhs[0]); });
    Array descending = makeRow({90, 10}), nanFirst = makeRow({NAN, 10}), nanLast = makeRow({10, 10, 90, NAN, NAN});
    auto int32Pair = [](std::int32_t first, std::int32_t second) {
        Array pair(mxCreateNumericMatrix(1, 2, mxINT32_CLASS, mxREAL));
        static_cast<std::int32_t*>(mxGetData(pair.get()))[0] = first;
        static_cast<std::int32_t*>(mxGetData(pair.get()))[1] = second;
        return pair;
    };
    Array integers = int32Pair(5, 95), integersDescending = int32Pair(95, 5);
    const std::pair<const Array*, bool> orders[] = {{&p, true},         {&nanLast, true},
                                                    {&integers, true},  {&descending, false},
                                                    {&nanFirst, false}, {&integersDescending, false}};
    for (const auto& [percentiles, inOrder] : orders) {
        CallResult result = callModule(Build::Current, "weightquantdraw", 1, {x.get(), percentiles->get()});
        if (inOrder) {
            EXPECT_TRUE(result.ok) << result.message;
        } else {
            expectError(result, "weightquantdraw", "badHostResult",
                        "sort returned values that are not in ascending order.");
        }
    }
    host.clearShadows();
}
