// Creating and destroying host arrays.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "host_state.hpp"

using namespace montemex::host;

namespace {

bool isNumericClass(mxClassID classId)
{
    return classId >= mxDOUBLE_CLASS && classId <= mxUINT64_CLASS;
}

std::vector<mwSize> dimsOf(mwSize ndim, const mwSize* dims)
{
    std::vector<mwSize> result;
    for (mwSize k = 0; k < ndim && dims != nullptr; ++k) result.push_back(dims[k] > 0 ? dims[k] : 0);
    while (result.size() < 2) result.push_back(result.empty() ? 0 : 1);
    // Trailing singleton dimensions beyond the second are dropped, as hosts do.
    while (result.size() > 2 && result.back() == 1) result.pop_back();
    return result;
}

std::size_t countOf(mwSize ndim, const mwSize* dims)
{
    return dims != nullptr && ndim > 0 ? checkedElementCount(static_cast<std::size_t>(ndim), dims) : 0;
}

// An array being made: freed with what it contains unless it is released.
struct TreeDeleter {
    void operator()(mxArray* array) const { freeTree(array); }
};
using NewArray = std::unique_ptr<mxArray, TreeDeleter>;

// Makes a full array of the given class and shape, zero-filled. Raises "Out of memory." before
// anything is allocated when the element count exceeds the host's limit, and when the memory
// cannot be had.
mxArray* makeFull(mxClassID classId, mwSize ndim, const mwSize* dims, bool isComplex)
{
    std::size_t count = countOf(ndim, dims);
    // With a raised element limit the byte count could pass a 32-bit size_t.
    const std::size_t width = elementSize(classId);
    if (width > 0 && count > SIZE_MAX / width) {
        raiseHostError("MATLAB:nomem", "Out of memory. The requested array is too large.");
    }
    mxArray* made = nullptr;
    const bool allocated = tryAllocation([&] {
        NewArray array(new mxArray_tag);
        array->classId = classId;
        array->dims = dimsOf(ndim, dims);
        array->isComplex = isComplex;
        if (classId == mxCELL_CLASS || classId == mxSTRUCT_CLASS) {
            array->cells.assign(count, nullptr);
        } else {
            array->real.assign(count * width, 0);
            if (isComplex) array->imag.assign(count * width, 0);
        }
        made = array.release();
    });
    if (!allocated) raiseOutOfMemory();
    return adopt(made);
}

// Deep copy; contained arrays are copied too and stay out of the registry. Throws std::bad_alloc
// with nothing left behind.
mxArray* copyTree(const mxArray* source)
{
    NewArray array(new mxArray_tag(*source));
    // The copied pointers still belong to the source: replaced one by one by their copies.
    for (mxArray*& child : array->cells) child = nullptr;
    for (std::size_t k = 0; k < source->cells.size(); ++k) {
        if (source->cells[k] != nullptr) array->cells[k] = copyTree(source->cells[k]);
    }
    return array.release();
}

mxArray* createDouble(mwSize m, mwSize n, mxComplexity flag)
{
    mwSize dims[2] = {m, n};
    return makeFull(mxDOUBLE_CLASS, 2, dims, flag == mxCOMPLEX);
}

}  // namespace

extern "C" {

mxArray* mxCreateDoubleMatrix_700(mwSize m, mwSize n, mxComplexity flag)
{
    logCall("mxCreateDoubleMatrix_700(%d,%d)", m, n);
    return createDouble(m, n, flag);
}

mxArray* mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity flag)
{
    logCall("mxCreateDoubleMatrix(%d,%d)", m, n);
    return createDouble(m, n, flag);
}

mxArray* mxCreateDoubleScalar(double value)
{
    logCall("mxCreateDoubleScalar(%.17g)", value);
    mwSize dims[2] = {1, 1};
    mxArray* array = makeFull(mxDOUBLE_CLASS, 2, dims, false);
    std::memcpy(array->real.data(), &value, sizeof value);
    return array;
}

mxArray* mxCreateNumericArray(mwSize ndim, const mwSize* dims, mxClassID classId, mxComplexity flag)
{
    logCall("mxCreateNumericArray");
    // Logical and char arrays are made as asked, as GNU Octave makes them: their elements are
    // narrower than a double, and a caller writes them as such. Other classes have no numeric
    // data at all.
    if (!isNumericClass(classId) && classId != mxLOGICAL_CLASS && classId != mxCHAR_CLASS) {
        recordMisuse("mxCreateNumericArray of class %d", static_cast<int>(classId));
        classId = mxDOUBLE_CLASS;
    }
    return makeFull(classId, ndim, dims, flag == mxCOMPLEX);
}

mxArray* mxCreateNumericMatrix(mwSize m, mwSize n, mxClassID classId, mxComplexity flag)
{
    mwSize dims[2] = {m, n};
    return mxCreateNumericArray(2, dims, classId, flag);
}

mxArray* mxCreateLogicalArray(mwSize ndim, const mwSize* dims)
{
    logCall("mxCreateLogicalArray");
    return makeFull(mxLOGICAL_CLASS, ndim, dims, false);
}

mxArray* mxCreateLogicalMatrix(mwSize m, mwSize n)
{
    mwSize dims[2] = {m, n};
    return mxCreateLogicalArray(2, dims);
}

mxArray* mxCreateLogicalScalar(mxLogical value)
{
    mxArray* array = mxCreateLogicalMatrix(1, 1);
    array->real[0] = value ? 1 : 0;
    return array;
}

mxArray* mxCreateCharArray(mwSize ndim, const mwSize* dims)
{
    logCall("mxCreateCharArray");
    return makeFull(mxCHAR_CLASS, ndim, dims, false);
}

mxArray* mxCreateString(const char* text)
{
    logCall("mxCreateString");
    std::size_t length = text != nullptr ? std::strlen(text) : 0;
    mwSize dims[2] = {length > 0 ? 1 : 0, static_cast<mwSize>(length)};
    mxArray* array = makeFull(mxCHAR_CLASS, 2, dims, false);
    for (std::size_t k = 0; k < length; ++k) {
        mxChar c = static_cast<unsigned char>(text[k]);
        std::memcpy(array->real.data() + 2 * k, &c, sizeof c);
    }
    return array;
}

mxArray* mxCreateCellMatrix(mwSize m, mwSize n)
{
    logCall("mxCreateCellMatrix");
    mwSize dims[2] = {m, n};
    return makeFull(mxCELL_CLASS, 2, dims, false);
}

mxArray* mxCreateStructMatrix(mwSize m, mwSize n, int nfields, const char** fieldnames)
{
    logCall("mxCreateStructMatrix");
    mwSize dims[2] = {m, n};
    std::size_t count = countOf(2, dims);
    std::size_t fields = nfields > 0 ? static_cast<std::size_t>(nfields) : 0;
    mxArray* made = nullptr;
    const bool allocated = tryAllocation([&] {
        NewArray array(new mxArray_tag);
        array->classId = mxSTRUCT_CLASS;
        array->dims = dimsOf(2, dims);
        for (std::size_t f = 0; f < fields; ++f) array->fieldNames.emplace_back(fieldnames[f]);
        array->cells.assign(count * fields, nullptr);
        made = array.release();
    });
    if (!allocated) raiseOutOfMemory();
    return adopt(made);
}

mxArray* mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity flag)
{
    logCall("mxCreateSparse");
    mwSize dims[2] = {m, n};
    mwSize storedDims[2] = {nzmax > 1 ? nzmax : 1, 1};
    std::size_t stored = countOf(2, storedDims);
    mxArray* made = nullptr;
    const bool allocated = tryAllocation([&] {
        NewArray array(new mxArray_tag);
        array->classId = mxDOUBLE_CLASS;
        array->isSparse = true;
        array->isComplex = flag == mxCOMPLEX;
        array->dims = dimsOf(2, dims);
        array->real.assign(stored * sizeof(double), 0);
        if (array->isComplex) array->imag.assign(stored * sizeof(double), 0);
        array->ir.assign(stored, 0);
        array->jc.assign(static_cast<std::size_t>(array->dims[1]) + 1, 0);
        made = array.release();
    });
    if (!allocated) raiseOutOfMemory();
    return adopt(made);
}

mxArray* mxDuplicateArray(const mxArray* source)
{
    logCall("mxDuplicateArray");
    if (!isLive(source)) {
        recordMisuse("mxDuplicateArray of an array that does not exist");
        return nullptr;
    }
    mxArray* copy = nullptr;
    if (!tryAllocation([&] { copy = copyTree(source); })) raiseOutOfMemory();
    return adopt(copy);
}

void mxDestroyArray(mxArray* array)
{
    logCall("mxDestroyArray");
    if (array == nullptr) return;
    HostState& s = state();
    auto it = s.arrays.find(array);
    if (it == s.arrays.end()) {
        recordMisuse("mxDestroyArray of an array that does not exist");
        return;
    }
    if (s.inCall && it->second == Owner::Caller) {
        recordMisuse("mxDestroyArray of an array the module does not own");
        return;
    }
    destroy(array);
}

}  // extern "C"
