#include "builtins.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "../mx/host_state.hpp"
#include "random.hpp"

namespace montemex::host {

namespace {

bool fail(BuiltinError& error, const char* identifier, const std::string& message)
{
    error.set(identifier, message.c_str());
    return false;
}

bool isRealNumeric(const mxArray* array)
{
    return isLive(array) && !array->isComplex && !array->isSparse &&
           ((array->classId >= mxDOUBLE_CLASS && array->classId <= mxUINT64_CLASS) ||
            array->classId == mxLOGICAL_CLASS);
}

std::size_t elementCount(const mxArray* array)
{
    std::size_t n = 1;
    for (mwSize d : array->dims) n *= static_cast<std::size_t>(d);
    return n;
}

// Reads one size argument: a finite integer; negative lengths count as 0.
bool readLength(double value, const std::string& function, mwSize& length, BuiltinError& error)
{
    if (!std::isfinite(value) || value != std::floor(value)) {
        return fail(error, "MATLAB:rand:sizeNotInteger", function + ": size arguments must be finite integers.");
    }
    if (value > 2147483647.0) return fail(error, "MATLAB:nomem", "Out of memory. The requested array is too large.");
    length = value < 0 ? 0 : static_cast<mwSize>(value);
    return true;
}

// The dimensions requested of "rand" or "randn": none (1x1), one scalar n (n-by-n), one size
// vector, or one scalar per dimension.
bool readDimensions(const std::string& function, int nrhs, mxArray* prhs[], std::vector<mwSize>& dims,
                    BuiltinError& error)
{
    for (int k = 0; k < nrhs; ++k) {
        if (!isRealNumeric(prhs[k])) {
            return fail(error, "MATLAB:rand:invalidSize", function + ": size arguments must be real numeric values.");
        }
    }
    dims.clear();
    if (nrhs == 0) {
        dims = {1, 1};
    } else if (nrhs == 1) {
        std::size_t count = elementCount(prhs[0]);
        if (count == 0) return fail(error, "MATLAB:rand:invalidSize", function + ": size vector must not be empty.");
        for (std::size_t k = 0; k < count; ++k) {
            mwSize length = 0;
            if (!readLength(realElement(prhs[0], k), function, length, error)) return false;
            dims.push_back(length);
        }
        if (count == 1) dims.push_back(dims[0]);
    } else {
        for (int k = 0; k < nrhs; ++k) {
            if (elementCount(prhs[k]) != 1) {
                return fail(error, "MATLAB:rand:invalidSize", function + ": each size argument must be a scalar.");
            }
            mwSize length = 0;
            if (!readLength(realElement(prhs[k], 0), function, length, error)) return false;
            dims.push_back(length);
        }
    }
    std::size_t count = 1;
    for (mwSize d : dims) {
        std::size_t length = static_cast<std::size_t>(d);
        if (length != 0 && count > state().maxElements / length) {
            return fail(error, "MATLAB:nomem", "Out of memory. The requested array is too large.");
        }
        count *= length;
    }
    return true;
}

bool randomArray(bool normal, int nrhs, mxArray* prhs[], mxArray* plhs[], BuiltinError& error)
{
    const std::string function = normal ? "randn" : "rand";
    std::vector<mwSize> dims;
    if (!readDimensions(function, nrhs, prhs, dims, error)) return false;
    std::size_t count = 1;
    for (mwSize d : dims) count *= static_cast<std::size_t>(d);
    RandomGenerators& g = generators();
    if (normal ? !g.canDrawNormals(count) : !g.canDrawUniforms(count)) {
        return fail(error, "montemex:host:scriptExhausted", function + ": the scripted numbers ran out.");
    }
    mxArray* result = mxCreateNumericArray(static_cast<mwSize>(dims.size()), dims.data(), mxDOUBLE_CLASS, mxREAL);
    auto* data = reinterpret_cast<double*>(result->real.data());
    for (std::size_t k = 0; k < count; ++k) data[k] = normal ? g.normal() : g.uniform();
    if (normal) {
        state().stats.normalsDrawn += count;
    } else {
        state().stats.uniformsDrawn += count;
    }
    plhs[0] = result;
    return true;
}

// Ascending order with NaN last; equal elements keep their order.
template <typename T>
void sortSlices(const mxArray* input, mxArray* sorted, mxArray* indices, std::size_t length, std::size_t stride,
                std::size_t slices)
{
    const T* in = reinterpret_cast<const T*>(input->real.data());
    T* out = reinterpret_cast<T*>(sorted->real.data());
    double* index = indices != nullptr ? reinterpret_cast<double*>(indices->real.data()) : nullptr;
    std::vector<std::size_t> order(length);
    for (std::size_t slice = 0; slice < slices; ++slice) {
        // Slice `slice` starts at (slice / stride) * length * stride + slice % stride.
        std::size_t base = (slice / stride) * length * stride + slice % stride;
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            T x = in[base + a * stride];
            T y = in[base + b * stride];
            if (x != x) return false;  // NaN sorts last
            if (y != y) return true;
            return x < y;
        });
        for (std::size_t k = 0; k < length; ++k) {
            out[base + k * stride] = in[base + order[k] * stride];
            if (index != nullptr) index[base + k * stride] = static_cast<double>(order[k] + 1);
        }
    }
}

bool sortArray(int nlhs, int nrhs, mxArray* prhs[], mxArray* plhs[], BuiltinError& error)
{
    if (nrhs != 1) return fail(error, "MATLAB:sort:nargin", "sort: this host supports sort(X) only.");
    const mxArray* input = prhs[0];
    if (!isLive(input) || input->isComplex || input->isSparse ||
        !((input->classId >= mxDOUBLE_CLASS && input->classId <= mxUINT64_CLASS) || input->classId == mxLOGICAL_CLASS ||
          input->classId == mxCHAR_CLASS)) {
        return fail(error, "MATLAB:sort:type", "sort: X must be a real full numeric, logical or char array.");
    }
    // Sort along the first dimension longer than 1.
    std::size_t dim = 0;
    while (dim < input->dims.size() && input->dims[dim] == 1) ++dim;
    if (dim == input->dims.size()) dim = 0;
    std::size_t length = static_cast<std::size_t>(input->dims[dim]);
    std::size_t stride = 1;
    for (std::size_t k = 0; k < dim; ++k) stride *= static_cast<std::size_t>(input->dims[k]);
    std::size_t count = elementCount(input);
    std::size_t slices = length > 0 ? count / length : 0;

    mxArray* sorted = mxDuplicateArray(input);
    mxArray* indices = nullptr;
    if (nlhs >= 2) {
        indices =
            mxCreateNumericArray(static_cast<mwSize>(input->dims.size()), input->dims.data(), mxDOUBLE_CLASS, mxREAL);
    }
    switch (input->classId) {
    case mxDOUBLE_CLASS: sortSlices<double>(input, sorted, indices, length, stride, slices); break;
    case mxSINGLE_CLASS: sortSlices<float>(input, sorted, indices, length, stride, slices); break;
    case mxINT8_CLASS: sortSlices<std::int8_t>(input, sorted, indices, length, stride, slices); break;
    case mxUINT8_CLASS:
    case mxLOGICAL_CLASS: sortSlices<std::uint8_t>(input, sorted, indices, length, stride, slices); break;
    case mxINT16_CLASS: sortSlices<std::int16_t>(input, sorted, indices, length, stride, slices); break;
    case mxUINT16_CLASS:
    case mxCHAR_CLASS: sortSlices<std::uint16_t>(input, sorted, indices, length, stride, slices); break;
    case mxINT32_CLASS: sortSlices<std::int32_t>(input, sorted, indices, length, stride, slices); break;
    case mxUINT32_CLASS: sortSlices<std::uint32_t>(input, sorted, indices, length, stride, slices); break;
    case mxINT64_CLASS: sortSlices<std::int64_t>(input, sorted, indices, length, stride, slices); break;
    case mxUINT64_CLASS: sortSlices<std::uint64_t>(input, sorted, indices, length, stride, slices); break;
    default: break;
    }
    plhs[0] = sorted;
    if (indices != nullptr) plhs[1] = indices;
    return true;
}

}  // namespace

std::map<std::string, HostFunction>& shadows()
{
    static std::map<std::string, HostFunction> table;
    return table;
}

namespace {

bool dispatch(const std::string& name, int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], BuiltinError& error)
{
    auto shadow = shadows().find(name);
    if (shadow != shadows().end()) {
        shadow->second(nlhs, plhs, nrhs, prhs);
        return true;
    }
    if (name == "rand" || name == "randn") {
        if (nlhs > 1) return fail(error, "MATLAB:maxlhs", name + ": too many output arguments.");
        return randomArray(name == "randn", nrhs, prhs, plhs, error);
    }
    if (name == "sort") {
        if (nlhs > 2) return fail(error, "MATLAB:maxlhs", "sort: too many output arguments.");
        return sortArray(nlhs, nrhs, prhs, plhs, error);
    }
    return fail(error, "MATLAB:UndefinedFunction", "Undefined function '" + name + "'.");
}

}  // namespace

void BuiltinError::set(const char* id, const char* text)
{
    std::snprintf(identifier, sizeof identifier, "%s", id);
    std::snprintf(message, sizeof message, "%s", text);
}

bool runBuiltin(const std::string& name, int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], BuiltinError& error)
{
    try {
        return dispatch(name, nlhs, plhs, nrhs, prhs, error);
    } catch (const HostError& e) {
        error.set(e.identifier.c_str(), e.what());
    } catch (const std::bad_alloc&) {
        error.set("MATLAB:nomem", "Out of memory.");
    } catch (const std::length_error&) {
        error.set("MATLAB:nomem", "Out of memory.");
    } catch (const std::exception& e) {
        error.set("montemex:host:failed", e.what());
    } catch (...) {
        error.set("montemex:host:failed", "A host function failed.");
    }
    return false;
}

}  // namespace montemex::host
