#include "mex/host_results.hpp"

#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "mex/errors.hpp"

namespace montemex {

namespace {

// Messages are built in fixed buffers: an error ends the call without running destructors on
// every host, so no object that owns memory may be alive when one is raised.
constexpr std::size_t kTextSize = 160;

// The dimensions of an array as text, "2-by-3" or "2-by-3-by-4".
void describeDimensions(const mxArray* array, char* text)
{
    const mwSize count = mxGetNumberOfDimensions(array);
    const mwSize* dims = mxGetDimensions(array);
    std::size_t used = 0;
    text[0] = '\0';
    for (mwSize k = 0; k < count && used < kTextSize; ++k) {
        int written = std::snprintf(text + used, kTextSize - used, "%s%llu", k > 0 ? "-by-" : "",
                                    static_cast<unsigned long long>(dims[k]));
        if (written < 0) break;
        used += static_cast<std::size_t>(written);
    }
}

// Whether the array's dimensions are rows, cols and then only ones.
bool hasSize(const mxArray* array, std::size_t rows, std::size_t cols)
{
    // A column of at least one row, the blocks of exact bulk drawing, is told by counts alone:
    // `rows` rows and as many elements leave 1 for every further dimension. (Octave allocates a
    // list for a request of the dimensions, which cost a twentieth of a host call.)
    if (cols == 1 && rows > 0) return mxGetM(array) == rows && mxGetNumberOfElements(array) == rows;
    // Two dimensions, the common case, are read without fetching the dimension list.
    const mwSize count = mxGetNumberOfDimensions(array);
    if (count == 2) return mxGetM(array) == rows && mxGetN(array) == cols;
    const mwSize* dims = mxGetDimensions(array);
    if (count < 2 || static_cast<std::size_t>(dims[0]) != rows || static_cast<std::size_t>(dims[1]) != cols) {
        return false;
    }
    for (mwSize k = 2; k < count; ++k) {
        if (dims[k] != 1) return false;
    }
    return true;
}

// Whether both arrays are the same column (or one element): as many elements as rows, at least
// one, leave 1 for every further dimension, and hosts drop trailing dimensions of 1, so both
// dimension lists are (rows, 1).
bool sameColumn(const mxArray* a, const mxArray* b)
{
    const std::size_t count = mxGetNumberOfElements(a);
    return count > 0 && mxGetM(a) == count && mxGetNumberOfElements(b) == count && mxGetM(b) == count;
}

// "a complex array", "a sparse array", or null for a real full array.
const char* irregularKind(const mxArray* array)
{
    if (mxIsComplex(array)) return "a complex array";
    if (mxIsSparse(array)) return "a sparse array";
    return nullptr;
}

// One pass without early exit, eight numbers at a time: each outcome a double from one
// comparison, counted in eight separate sums, in loops of a count the compiler knows, so that it
// vectorises them and no sum waits on the one before. The counts stay exact in doubles.
template <typename Outside>
bool noneOutside(const double* x, std::size_t count, Outside outside)
{
    constexpr std::size_t group = 8;
    double found[group] = {};
    std::size_t i = 0;
    for (; i + group <= count; i += group) {
        for (std::size_t k = 0; k < group; ++k) found[k] += outside(x[i + k]) ? 1.0 : 0.0;
    }
    for (; i < count; ++i) found[0] += outside(x[i]) ? 1.0 : 0.0;
    double total = 0.0;
    for (std::size_t k = 0; k < group; ++k) total += found[k];
    return total == 0.0;
}

bool allUniform(const double* u, std::size_t count)
{
    return noneOutside(u, count, [](double v) { return !(v > 0.0 && v < 1.0); });
}

bool allFinite(const double* z, std::size_t count)
{
    return noneOutside(z, count, [](double v) { return !(v >= -DBL_MAX && v <= DBL_MAX); });
}

// Whether the first `count` values are in ascending order with every NaN after every number, the
// order the host's own sort gives. A pair is in order when the later value is NaN or the earlier
// one is a number not above it.
template <typename T>
bool inAscendingOrder(const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    T earlier;
    T later;
    for (std::size_t i = 1; i < count; ++i) {
        std::memcpy(&earlier, bytes + (i - 1) * sizeof(T), sizeof(T));
        std::memcpy(&later, bytes + i * sizeof(T), sizeof(T));
        if (!(later != later || earlier <= later)) return false;
    }
    return true;
}

bool sortedValuesInOrder(const mxArray* sorted, std::size_t count)
{
    const void* data = mxGetData(sorted);
    switch (mxGetClassID(sorted)) {
    case mxDOUBLE_CLASS: return inAscendingOrder<double>(data, count);
    case mxSINGLE_CLASS: return inAscendingOrder<float>(data, count);
    case mxINT8_CLASS: return inAscendingOrder<std::int8_t>(data, count);
    case mxUINT8_CLASS: return inAscendingOrder<std::uint8_t>(data, count);
    case mxINT16_CLASS: return inAscendingOrder<std::int16_t>(data, count);
    case mxUINT16_CLASS: return inAscendingOrder<std::uint16_t>(data, count);
    case mxINT32_CLASS: return inAscendingOrder<std::int32_t>(data, count);
    case mxUINT32_CLASS: return inAscendingOrder<std::uint32_t>(data, count);
    case mxINT64_CLASS: return inAscendingOrder<std::int64_t>(data, count);
    case mxUINT64_CLASS: return inAscendingOrder<std::uint64_t>(data, count);
    case mxLOGICAL_CLASS: return inAscendingOrder<mxLogical>(data, count);
    default: return true;
    }
}

}  // namespace

const double* checkHostNumbers(const char* function, const char* hostFunction, const mxArray* array, std::size_t rows,
                               std::size_t cols, HostNumbers numbers)
{
    char message[3 * kTextSize];
    const unsigned long long m = rows, n = cols;
    if (array == nullptr) {
        std::snprintf(message, sizeof message, "%s returned nothing where %llu-by-%llu was requested.", hostFunction, m,
                      n);
        raiseError(function, "badHostResult", message);
    }
    const char* kind = irregularKind(array);
    if (kind != nullptr || !mxIsDouble(array)) {
        char what[kTextSize];
        if (kind == nullptr) std::snprintf(what, sizeof what, "an array of class %s", mxGetClassName(array));
        std::snprintf(message, sizeof message, "%s returned %s where real doubles were requested.", hostFunction,
                      kind != nullptr ? kind : what);
        raiseError(function, "badHostResult", message);
    }
    if (!hasSize(array, rows, cols)) {
        char dims[kTextSize];
        describeDimensions(array, dims);
        std::snprintf(message, sizeof message, "%s returned a %s array where %llu-by-%llu was requested.", hostFunction,
                      dims, m, n);
        raiseError(function, "badHostResult", message);
    }
    const std::size_t count = rows * cols;
    if (count == 0) return nullptr;
    const double* values = mxGetPr(array);
    if (numbers == HostNumbers::Uniforms && !allUniform(values, count)) {
        std::snprintf(message, sizeof message, "%s returned a number outside the open interval (0, 1).", hostFunction);
        raiseError(function, "badHostResult", message);
    }
    if (numbers == HostNumbers::Normals && !allFinite(values, count)) {
        std::snprintf(message, sizeof message, "%s returned a number that is not finite.", hostFunction);
        raiseError(function, "badHostResult", message);
    }
    return values;
}

void checkSorted(const char* function, const mxArray* sorted, const mxArray* input, std::size_t count)
{
    char message[3 * kTextSize];
    char wanted[kTextSize];
    if (sorted == nullptr) {
        describeDimensions(input, wanted);
        std::snprintf(message, sizeof message, "sort returned nothing where a %s %s array was expected.", wanted,
                      mxGetClassName(input));
        raiseError(function, "badHostResult", message);
    }
    const char* kind = irregularKind(sorted);
    bool same = kind == nullptr && mxGetClassID(sorted) == mxGetClassID(input);
    // The same column is told by the counts, without the dimension lists Octave allocates when
    // asked for them.
    if (same && !sameColumn(sorted, input)) {
        same = mxGetNumberOfDimensions(sorted) == mxGetNumberOfDimensions(input);
        for (mwSize k = 0; same && k < mxGetNumberOfDimensions(sorted); ++k) {
            same = mxGetDimensions(sorted)[k] == mxGetDimensions(input)[k];
        }
    }
    if (!same) {
        describeDimensions(input, wanted);
        char got[kTextSize];
        describeDimensions(sorted, got);
        std::snprintf(message, sizeof message, "sort returned a %s %s%s array where a %s %s array was expected.", got,
                      kind != nullptr ? (mxIsComplex(sorted) ? "complex " : "sparse ") : "", mxGetClassName(sorted),
                      wanted, mxGetClassName(input));
        raiseError(function, "badHostResult", message);
    }
    if (!sortedValuesInOrder(sorted, count)) {
        raiseError(function, "badHostResult", "sort returned values that are not in ascending order.");
    }
}

}  // namespace montemex
