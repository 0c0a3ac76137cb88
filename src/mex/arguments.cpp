#include "mex/arguments.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "mex/errors.hpp"
#include "mex/interrupt.hpp"
#include "sampling/progress.hpp"

namespace montemex {

namespace {

// Elements begin ... end - 1 of the data.
template <typename T>
void convert(const void* source, double* target, std::size_t begin, std::size_t end)
{
    const auto* bytes = static_cast<const unsigned char*>(source);
    for (std::size_t k = begin; k < end; ++k) {
        T value;
        std::memcpy(&value, bytes + k * sizeof(T), sizeof(T));
        target[k] = static_cast<double>(value);
    }
}

void convertElements(const mxArray* array, double* target, std::size_t count)
{
    const void* data = mxGetData(array);
    const mxClassID kind = mxGetClassID(array);
    InterruptPoll poll;
    for (std::size_t begin = 0; begin < count; begin = chunkEnd(begin, count)) {
        const std::size_t end = chunkEnd(begin, count);
        switch (kind) {
        case mxSINGLE_CLASS: convert<float>(data, target, begin, end); break;
        case mxINT8_CLASS: convert<std::int8_t>(data, target, begin, end); break;
        case mxUINT8_CLASS: convert<std::uint8_t>(data, target, begin, end); break;
        case mxINT16_CLASS: convert<std::int16_t>(data, target, begin, end); break;
        case mxUINT16_CLASS: convert<std::uint16_t>(data, target, begin, end); break;
        case mxINT32_CLASS: convert<std::int32_t>(data, target, begin, end); break;
        case mxUINT32_CLASS: convert<std::uint32_t>(data, target, begin, end); break;
        case mxINT64_CLASS: convert<std::int64_t>(data, target, begin, end); break;
        case mxUINT64_CLASS: convert<std::uint64_t>(data, target, begin, end); break;
        case mxLOGICAL_CLASS: convert<mxLogical>(data, target, begin, end); break;
        default: std::memset(target + begin, 0, (end - begin) * sizeof(double)); break;
        }
        poll(end - begin);
    }
}

}  // namespace

Shape shapeOf(const mxArray* array)
{
    // One element or a column: as many elements as rows, at least one, leave 1 for every further
    // dimension. Told by the two counts, without asking for the dimension list, which Octave
    // allocates for the request (as it does for mxGetN and mxGetNumberOfDimensions): that took a
    // tenth of a small call for each argument.
    const std::size_t count = mxGetNumberOfElements(array);
    if (count > 0 && mxGetM(array) == count) return Shape{static_cast<std::int64_t>(count), 1};
    const mwSize* dims = mxGetDimensions(array);
    Shape shape;
    shape.rows = static_cast<std::int64_t>(dims[0]);
    shape.cols = static_cast<std::int64_t>(dims[1]);
    return shape;
}

Shape valuesShapeOf(const mxArray* array)
{
    Shape shape = shapeOf(array);
    if (shape.count() > 0 && mxGetNumberOfElements(array) == 0) shape = Shape{};
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
    // Beyond 2^53 sizes are no longer exact integers; compared as a double, so that the
    // conversion below is always defined. Smaller sizes the host cannot index are refused by
    // checkedCount, after the memory rule has had its say.
    if (truncated > 0x1p53) raiseError(function, "sizeTooLarge", "Size arguments are too large.");
    return static_cast<std::int64_t>(truncated);
}

std::size_t checkedCount(const char* function, std::int64_t rows, std::int64_t cols)
{
    // The host's dimension type, and a count of doubles whose bytes this process can address.
    const std::int64_t largestDimension = static_cast<std::int64_t>(std::numeric_limits<mwSize>::max());
    const std::uint64_t largestCount = std::numeric_limits<std::size_t>::max() / sizeof(double);
    if (rows > largestDimension || cols > largestDimension) {
        raiseError(function, "sizeTooLarge", "Size arguments are too large.");
    }
    if (rows <= 0 || cols <= 0) return 0;
    // Compared as doubles, so that the product cannot overflow.
    if (static_cast<double>(rows) * static_cast<double>(cols) >= static_cast<double>(largestCount)) {
        raiseError(function, "sizeTooLarge", "Size arguments are too large.");
    }
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

double* allocateDoubles(std::size_t count)
{
    return count > 0 ? static_cast<double*>(mxMalloc(count * sizeof(double))) : nullptr;
}

std::uint32_t* allocateIndices(std::size_t count)
{
    return count > 0 ? static_cast<std::uint32_t*>(mxMalloc(count * sizeof(std::uint32_t))) : nullptr;
}

void releaseScratch(void* block)
{
    if (block != nullptr) mxFree(block);
}

void releaseDoubles(DoubleData& data)
{
    if (data.copy != nullptr) mxFree(data.copy);
    data = DoubleData{};
}

}  // namespace montemex
