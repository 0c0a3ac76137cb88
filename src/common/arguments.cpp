#include "common/arguments.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "common/errors.hpp"

namespace montemex {

namespace {

template <typename T>
void convert(const void* source, double* target, std::size_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(source);
    for (std::size_t k = 0; k < count; ++k) {
        T value;
        std::memcpy(&value, bytes + k * sizeof(T), sizeof(T));
        target[k] = static_cast<double>(value);
    }
}

void convertElements(const mxArray* array, double* target, std::size_t count)
{
    const void* data = mxGetData(array);
    switch (mxGetClassID(array)) {
    case mxSINGLE_CLASS: convert<float>(data, target, count); break;
    case mxINT8_CLASS: convert<std::int8_t>(data, target, count); break;
    case mxUINT8_CLASS: convert<std::uint8_t>(data, target, count); break;
    case mxINT16_CLASS: convert<std::int16_t>(data, target, count); break;
    case mxUINT16_CLASS: convert<std::uint16_t>(data, target, count); break;
    case mxINT32_CLASS: convert<std::int32_t>(data, target, count); break;
    case mxUINT32_CLASS: convert<std::uint32_t>(data, target, count); break;
    case mxINT64_CLASS: convert<std::int64_t>(data, target, count); break;
    case mxUINT64_CLASS: convert<std::uint64_t>(data, target, count); break;
    case mxLOGICAL_CLASS: convert<mxLogical>(data, target, count); break;
    default: std::memset(target, 0, count * sizeof(double)); break;
    }
}

}  // namespace

Shape shapeOf(const mxArray* array)
{
    const mwSize* dims = mxGetDimensions(array);
    Shape shape;
    shape.rows = static_cast<std::int64_t>(dims[0]);
    shape.cols = static_cast<std::int64_t>(dims[1]);
    return shape;
}

bool isRealNumeric(const mxArray* array)
{
    if (mxIsComplex(array) || mxIsSparse(array)) return false;
    return mxIsNumeric(array) || mxIsLogical(array);
}

void requireRealNumeric(const char* function, const mxArray* array)
{
    if (!isRealNumeric(array)) {
        raiseError(function, "notRealNumeric", "Arguments must be full real numeric or logical arrays.");
    }
}

std::int64_t readSize(const char* function, const mxArray* array)
{
    if (!isRealNumeric(array) || mxIsEmpty(array)) {
        raiseError(function, "badSize", "Size arguments must be finite real numbers.");
    }
    double value = mxGetScalar(array);
    if (!std::isfinite(value)) raiseError(function, "badSize", "Size arguments must be finite real numbers.");
    double truncated = std::trunc(value);
    if (truncated <= 0) return 0;
    // Compared as doubles so the conversion below is always defined.
    if (truncated >= static_cast<double>(std::numeric_limits<mwSize>::max()) + 1.0) {
        raiseError(function, "sizeTooLarge", "Size arguments are too large.");
    }
    return static_cast<std::int64_t>(truncated);
}

std::size_t checkedCount(const char* function, std::int64_t rows, std::int64_t cols)
{
    // The bytes of the doubles must fit a size_t: 2^29 - 1 elements on 32-bit builds.
    const std::uint64_t addressable = std::min<std::uint64_t>(std::numeric_limits<std::int64_t>::max(), SIZE_MAX);
    const std::int64_t limit = static_cast<std::int64_t>(addressable / sizeof(double));
    if (rows <= 0 || cols <= 0) return 0;
    if (cols > limit / rows) raiseError(function, "sizeTooLarge", "Size arguments are too large.");
    return static_cast<std::size_t>(rows * cols);
}

DoubleData readDoubles(const mxArray* array, std::size_t count)
{
    DoubleData data;
    if (count == 0) return data;
    if (mxIsDouble(array)) {
        data.values = mxGetPr(array);
        return data;
    }
    data.copy = static_cast<double*>(mxMalloc(count * sizeof(double)));
    convertElements(array, data.copy, count);
    data.values = data.copy;
    return data;
}

void releaseDoubles(DoubleData& data)
{
    if (data.copy != nullptr) mxFree(data.copy);
    data = DoubleData{};
}

}  // namespace montemex
