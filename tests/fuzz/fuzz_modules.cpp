// libFuzzer harness: every module, both builds, with argument lists made from the fuzz input.
//
// The input picks a module, a build (current or legacy), the number of outputs (0 to 3) and 0 to 6
// arguments of any class the host interface names (double, single, integer classes, logical, char,
// complex, sparse, cell, struct; empty, scalar, matrix and 3-D shapes, 3-D ones without pages
// too) holding awkward values (NaN, infinities, -0, huge, tiny, negative, non-integer). Each call
// must return or raise an error, never misuse the host interface, return a result of the
// documented shape, and leave no host array behind.
// The input may also make the host's "rand", "randn" or "sort" misbehave, as a user's m-file that
// shadows them can: return nothing, arrays of the wrong size or class, or values outside what the
// real functions give (0, 1, NaN, negative ...), or the right array with some values wrong.
// Time per call is bounded by libFuzzer's -timeout (20 s: the slowest legitimate call, a
// scalehyperdraw draw that gives up after 100000 proposals, takes about 4 s instrumented).
//
// MONTEMEX_FUZZ_MODULE=<name> restricts the run to one module; MONTEMEX_FUZZ_SHOW=1 prints each
// call before making it (to see what a crashing or slow input does).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "expected_shape.hpp"
#include "montemex/host.hpp"

namespace {

using montemex::Array;

struct Target {
    std::string name;
    std::string directory;
};

std::vector<Target> targets;

// Reads the fuzz input front to back; past its end every read gives 0.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    double rawDouble()
    {
        std::uint64_t bits = 0;
        for (int k = 0; k < 8; ++k) bits = (bits << 8) | byte();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

double pickValue(ByteReader& in)
{
    static const double palette[] = {0.0,       -0.0, 1.0,          -1.0,   2.0,    0.5,     3.0,     10.0,
                                     100.0,     1e-9, 1e-300,       5e-324, 1e308,  -1e308,  NAN,     INFINITY,
                                     -INFINITY, 1e5,  2147483648.0, -7.5,   4.2,    1.00001, 0.00001, 1e15,
                                     -1e15,     18.0, 0.99999,      1.5e-8, 2.0e-5, 4.0,     7.0,     1000.0};
    std::uint8_t choice = in.byte();
    const std::size_t count = sizeof palette / sizeof palette[0];
    if (choice < 200) return palette[choice % count];
    if (choice < 230) return static_cast<double>(static_cast<int>(in.byte()) - 64);
    return in.rawDouble();
}

mxArray* makeArgument(ByteReader& in)
{
    std::uint8_t kind = in.byte() % 12;
    mwSize rows = in.byte() % 5;
    mwSize cols = in.byte() % 5;
    // Mostly 2-D; now and then 3-D, with two pages or none (2x3x0 holds nothing its first two
    // dimensions promise).
    const std::uint8_t depth = in.byte() % 8;
    mwSize pages = depth == 0 ? 2 : depth == 1 ? 0 : 1;
    if (kind >= 9) rows = cols = pages = 1;  // scalars are the common case
    mwSize dims[3] = {rows, cols, pages};
    std::size_t count = static_cast<std::size_t>(rows) * cols * pages;

    if (kind == 4) {
        char text[6] = {0};
        for (std::size_t k = 0; k < 5 && k < count; ++k) text[k] = static_cast<char>('a' + in.byte() % 26);
        return mxCreateString(text);
    }
    if (kind == 6) {
        mxArray* sparse = mxCreateSparse(rows, cols, 1, mxREAL);
        if (rows > 0 && cols > 0) {
            mxGetPr(sparse)[0] = pickValue(in);
            mxGetJc(sparse)[cols] = 1;
            for (mwSize c = 1; c < cols; ++c) mxGetJc(sparse)[c] = 1;
        }
        return sparse;
    }
    if (kind == 7) return mxCreateCellMatrix(rows, cols);
    if (kind == 8) return mxCreateStructMatrix(1, 1, 0, nullptr);

    static const mxClassID classes[] = {mxSINGLE_CLASS, mxINT8_CLASS,   mxUINT8_CLASS, mxINT16_CLASS, mxUINT16_CLASS,
                                        mxINT32_CLASS,  mxUINT32_CLASS, mxINT64_CLASS, mxUINT64_CLASS};
    mxClassID classId = mxDOUBLE_CLASS;
    if (kind == 1) classId = classes[in.byte() % 9];
    if (kind == 3) classId = mxLOGICAL_CLASS;
    mxArray* array = classId == mxLOGICAL_CLASS
                         ? mxCreateLogicalArray(3, dims)
                         : mxCreateNumericArray(3, dims, classId, kind == 5 ? mxCOMPLEX : mxREAL);
    auto* bytes = static_cast<unsigned char*>(mxGetData(array));
    std::size_t size = mxGetElementSize(array);
    for (std::size_t k = 0; k < count; ++k) {
        double value = pickValue(in);
        if (classId == mxDOUBLE_CLASS) {
            std::memcpy(bytes + k * size, &value, size);
        } else if (classId == mxSINGLE_CLASS) {
            float f = static_cast<float>(value);
            std::memcpy(bytes + k * size, &f, size);
        } else {
            // Integer classes: the low bytes of a small integer.
            long long whole = std::isfinite(value) && std::fabs(value) < 1e9 ? static_cast<long long>(value) : 0;
            if (classId == mxLOGICAL_CLASS) whole = whole != 0;
            std::memcpy(bytes + k * size, &whole, size);
        }
    }
    return array;
}

// The requested rows and columns of a "rand" or "randn" call (1-by-1 without size arguments), or
// the dimensions of the argument of "sort".
std::pair<std::size_t, std::size_t> requestedSize(int nrhs, mxArray* prhs[], bool sort)
{
    if (sort && nrhs >= 1) return {mxGetM(prhs[0]), mxGetN(prhs[0])};
    if (nrhs < 2) return {1, 1};
    return {static_cast<std::size_t>(montemex::values(prhs[0])[0]),
            static_cast<std::size_t>(montemex::values(prhs[1])[0])};
}

// Makes the host function `name` misbehave, with what it returns read from the fuzz input at each
// call: nothing, any argument-like array, the requested size with a row more or less, or the
// requested size; the last two hold 0.5 with some values replaced by awkward ones.
void shadow(montemex::Host& host, const char* name, ByteReader& in)
{
    const bool sort = std::strcmp(name, "sort") == 0;
    host.shadowFunction(name, [&in, sort](int, mxArray* plhs[], int nrhs, mxArray* prhs[]) {
        auto [rows, cols] = requestedSize(nrhs, prhs, sort);
        switch (in.byte() % 5) {
        case 0: return;  // nothing
        case 1: plhs[0] = makeArgument(in); return;
        case 2: rows = rows > 0 && in.byte() % 2 == 0 ? rows - 1 : rows + 1; break;
        default: break;
        }
        if (rows * cols > 4096) rows = cols = 1;
        plhs[0] = mxCreateDoubleMatrix(rows, cols, mxREAL);
        double* values = mxGetPr(plhs[0]);
        for (std::size_t k = 0; k < rows * cols; ++k) values[k] = 0.5;
        std::uint8_t replaced = in.byte();
        for (std::size_t k = 0; k < rows * cols && replaced > 0; ++k, --replaced) {
            values[(k * 7 + replaced) % (rows * cols)] = pickValue(in);
        }
    });
}

void showCall(const Target& target, int nlhs, const std::vector<const mxArray*>& args)
{
    std::fprintf(stderr, "call %s (%s), %d outputs:\n", target.name.c_str(), target.directory.c_str(), nlhs);
    for (const mxArray* arg : args) {
        const mwSize* dims = mxGetDimensions(arg);
        std::fprintf(stderr, "  %s%s%s %dx%d (%zu elements):", mxGetClassName(arg), mxIsComplex(arg) ? " complex" : "",
                     mxIsSparse(arg) ? " sparse" : "", dims[0], dims[1], mxGetNumberOfElements(arg));
        for (double v : montemex::values(arg)) std::fprintf(stderr, " %.17g", v);
        std::fprintf(stderr, "\n");
    }
}

[[noreturn]] void fail(const std::string& what, const Target& target)
{
    std::fprintf(stderr, "fuzz failure in %s (%s): %s\n", target.name.c_str(), target.directory.c_str(), what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* only = std::getenv("MONTEMEX_FUZZ_MODULE");
    montemex::Host host;
    for (const char* build : {"current", "legacy"}) {
        std::string directory = std::string(MONTEMEX_BUILD_DIR) + "/embedded/" + build;
        host.setModulePath({directory});
        for (const std::string& name : host.listModules()) {
            if (only == nullptr || name == only) targets.push_back({name, directory});
        }
    }
    if (targets.empty()) {
        std::fprintf(stderr, "no modules to fuzz\n");
        std::exit(1);
    }
    // Small arrays only: a size argument of 1e15 must fail fast, not fill memory.
    host.setMaxElements(4096);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    const Target& target = targets[in.byte() % targets.size()];
    int nlhs = in.byte() % 4;
    int nrhs = in.byte() % 7;
    std::uint32_t seed = in.byte();

    montemex::Host host;
    host.setModulePath({target.directory});
    host.seed(seed);
    host.clearShadows();
    const std::uint8_t misbehaving = in.byte();
    if (misbehaving % 4 == 1) shadow(host, "rand", in);
    if (misbehaving % 8 == 5) shadow(host, "randn", in);
    if (misbehaving % 16 == 9) shadow(host, "sort", in);
    std::vector<Array> args;
    for (int k = 0; k < nrhs; ++k) args.emplace_back(makeArgument(in));
    std::vector<const mxArray*> argv;
    for (const Array& arg : args) argv.push_back(arg.get());

    static const bool show = std::getenv("MONTEMEX_FUZZ_SHOW") != nullptr;
    if (show) showCall(target, nlhs, argv);
    std::size_t liveBefore = host.liveArrayCount();
    montemex::CallResult result = host.call(target.name, nlhs, argv);
    if (!result.stats.misuse.empty()) fail("interface misuse: " + result.stats.misuse[0], target);
    if (result.ok) {
        if (result.outputs.empty() || !result.outputs[0]) fail("no result", target);
        const mxArray* out = result.outputs[0].get();
        if (!mxIsDouble(out) || mxIsComplex(out) || mxIsSparse(out) || mxGetNumberOfDimensions(out) != 2) {
            fail("result is not a real 2-D double matrix", target);
        }
        std::string why = montemex::fuzz::checkShape(target.name, argv, out);
        if (!why.empty()) fail(why, target);
    } else if (result.message.empty()) {
        fail("an error without a message", target);
    }
    std::size_t outputs = 0;
    for (const Array& out : result.outputs) outputs += out ? 1 : 0;
    if (host.liveArrayCount() != liveBefore + outputs) fail("host arrays left behind", target);
    host.clearShadows();
    return 0;
}
