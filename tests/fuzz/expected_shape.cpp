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
    if (name == "waitdraw") {
        expected = elementwise(args, 1);
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
