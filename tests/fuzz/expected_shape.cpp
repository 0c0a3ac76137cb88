#include "expected_shape.hpp"

#include <cmath>
#include <cstdio>

namespace montemex::fuzz {

namespace {

struct Dims {
    double rows;
    double cols;
};

Dims firstTwo(const mxArray* array)
{
    const mwSize* dims = mxGetDimensions(array);
    return {static_cast<double>(dims[0]), static_cast<double>(dims[1])};
}

// A size argument as the modules read it: truncated, negative counts as 0.
double sizeValue(const mxArray* array)
{
    double value = std::trunc(mxGetScalar(array));
    return value < 0 ? 0 : value;
}

// The first two dimensions, or 0x0 when they promise values the array does not hold (2x3x0).
Dims heldValues(const mxArray* array)
{
    Dims d = firstTwo(array);
    if (mxGetNumberOfElements(array) == 0 && d.rows * d.cols > 0) return {0, 0};
    return d;
}

bool scalarLike(const mxArray* array)
{
    Dims d = firstTwo(array);
    return d.rows <= 1 && d.cols <= 1;
}

// Elementwise generators with `parameters` leading parameters and optional sizes m, n.
Dims elementwise(const std::vector<const mxArray*>& args, std::size_t parameters)
{
    if (args.size() == parameters + 2) return {sizeValue(args[parameters]), sizeValue(args[parameters + 1])};
    if (parameters == 2 && !scalarLike(args[0])) return firstTwo(args[0]);
    return firstTwo(args[parameters - 1]);
}

}  // namespace

std::string checkShape(const std::string& name, const std::vector<const mxArray*>& args, const mxArray* result)
{
    Dims expected{-1, -1};
    if (name == "waitdraw" || name == "studentdraw") {
        expected = elementwise(args, 1);
    } else if (name == "shapedraw" || name == "recipshapedraw") {
        expected = elementwise(args, 2);
    } else if (name == "shapedrawone" || name == "recipshapedrawone" || name == "scalehyperdraw") {
        expected = {1, 1};
    } else if (name == "simplexdraw") {
        expected = {sizeValue(args[0]), args.size() > 1 ? sizeValue(args[1]) : 1};
    } else if (name == "classdraw") {
        expected = {args.size() > 1 ? sizeValue(args[1]) : 1, args.size() > 2 ? sizeValue(args[2]) : 1};
    } else if (name == "plainpick" || name == "remainderpick" || name == "layeredpick" || name == "fixedpick") {
        expected = heldValues(args[0]);
    } else if (name == "weightavgdraw") {
        expected = {args.size() > 1 ? sizeValue(args[1]) : 1, firstTwo(args[0]).cols};
    } else if (name == "weightquantdraw") {
        Dims p = heldValues(args[1]);
        expected = {args.size() > 2 ? sizeValue(args[2]) : 1, p.rows * p.cols};
    } else if (name == "psivalue" || name == "squashfn") {
        expected = heldValues(args[0]);
    } else {
        return "";
    }
    Dims actual = firstTwo(result);
    if (actual.rows == expected.rows && actual.cols == expected.cols) return "";
    char text[160];
    std::snprintf(text, sizeof text, "result is %gx%g, documented %gx%g", actual.rows, actual.cols, expected.rows,
                  expected.cols);
    return text;
}

}  // namespace montemex::fuzz
