// Reading module arguments safely, whatever the caller passes.
//
// Real full double arrays are used as they are; other real numeric classes and logical arrays
// are converted to double; complex, sparse, char, cell, struct and other arrays are refused.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mex.h"

namespace montemex {

// The first two dimensions of an array; further dimensions are ignored everywhere.
struct Shape {
    std::int64_t rows = 0;
    std::int64_t cols = 0;

    std::int64_t count() const { return rows * cols; }
    // Both first dimensions at most 1: 1x1, also 0x0, 0x1, 1x0 and 1x1xK.
    bool isScalarLike() const { return rows <= 1 && cols <= 1; }
    bool operator==(const Shape& other) const { return rows == other.rows && cols == other.cols; }
    bool operator!=(const Shape& other) const { return !(*this == other); }
};

// An array with as many elements as rows (one element, a column) from its counts; any other
// through mxGetDimensions, which the current build binds to mxGetDimensions_700.
Shape shapeOf(const mxArray* array);

// The shape of the values an array holds: its first two dimensions, or 0-by-0 when they promise
// values but it holds none because a later dimension is 0 (2-by-3-by-0), so that nothing is read
// past its data. Empty arrays such as 0-by-3 keep their shape.
Shape valuesShapeOf(const mxArray* array);

bool isRealNumeric(const mxArray* array);

// "Arguments must be full real numeric or logical arrays." (reason "notRealNumeric").
void requireRealNumeric(const char* function, const mxArray* array);

// A size argument, read with mxGetScalar and truncated toward zero; negative values count as 0,
// as the host's own "rand" and "zeros" count them.
//
// Raises "Size arguments must be finite real numbers." (reason "badSize") for NaN, infinite,
// empty and non-numeric arguments, and "Size arguments are too large." (reason "sizeTooLarge")
// beyond 2^53.
std::int64_t readSize(const char* function, const mxArray* array);

// rows * cols (each at least 0), or "Size arguments are too large." when a dimension exceeds what
// the host's dimension type (mwSize) holds or that many doubles cannot be addressed.
//
// Modules call it after the memory rule (memory_limit.hpp), so that a request too large for the
// machine is refused as such, whatever the host's index type.
std::size_t checkedCount(const char* function, std::int64_t rows, std::int64_t cols);

// The first elements of a real numeric or logical array as doubles: the array's own data when it
// is a double array, else a converted copy in host memory. `copy` is that copy (or null).
struct DoubleData {
    const double* values = nullptr;
    double* copy = nullptr;
};

// `count` must not exceed the array's number of elements.
DoubleData readDoubles(const mxArray* array, std::size_t count);
void releaseDoubles(DoubleData& data);

// Scratch in host memory (mxMalloc), or null when count is 0. The host reclaims it when an error
// ends the call; releaseScratch (mxFree, nothing for null) releases it otherwise.
double* allocateDoubles(std::size_t count);
std::uint32_t* allocateIndices(std::size_t count);
void releaseScratch(void* block);

}  // namespace montemex
