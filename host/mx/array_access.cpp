// Reading host arrays: shape, class and data.
#include <cstdint>
#include <cstring>

#include "host_state.hpp"

using namespace montemex::host;

namespace {

// Every accessor first checks that the array exists; a module that passes anything else
// is recorded as misusing the interface.
bool check(const mxArray* array, const char* function)
{
    if (isLive(array)) return true;
    // Arrays held inside cells are not in the registry but are valid all the same.
    if (array != nullptr && !state().inCall) return true;
    recordMisuse("%s on an array that does not exist", function);
    return false;
}

template <typename T>
double elementAsDouble(const std::vector<unsigned char>& bytes, std::size_t index)
{
    T value;
    std::memcpy(&value, bytes.data() + index * sizeof(T), sizeof(T));
    return static_cast<double>(value);
}

const mwSize* dimensionsOf(const mxArray* array, const char* function)
{
    logCall("%s", function);
    if (!check(array, function)) return nullptr;
    return array->dims.data();
}

}  // namespace

namespace montemex::host {

double realElement(const mxArray* array, std::size_t index)
{
    const std::vector<unsigned char>& bytes = array->real;
    switch (array->classId) {
    case mxDOUBLE_CLASS: return elementAsDouble<double>(bytes, index);
    case mxSINGLE_CLASS: return elementAsDouble<float>(bytes, index);
    case mxINT8_CLASS: return elementAsDouble<std::int8_t>(bytes, index);
    case mxUINT8_CLASS: return elementAsDouble<std::uint8_t>(bytes, index);
    case mxINT16_CLASS: return elementAsDouble<std::int16_t>(bytes, index);
    case mxUINT16_CLASS: return elementAsDouble<std::uint16_t>(bytes, index);
    case mxINT32_CLASS: return elementAsDouble<std::int32_t>(bytes, index);
    case mxUINT32_CLASS: return elementAsDouble<std::uint32_t>(bytes, index);
    case mxINT64_CLASS: return elementAsDouble<std::int64_t>(bytes, index);
    case mxUINT64_CLASS: return elementAsDouble<std::uint64_t>(bytes, index);
    case mxLOGICAL_CLASS: return elementAsDouble<std::uint8_t>(bytes, index);
    case mxCHAR_CLASS: return elementAsDouble<std::uint16_t>(bytes, index);
    default: return 0.0;
    }
}

}  // namespace montemex::host

extern "C" {

const mwSize* mxGetDimensions_700(const mxArray* array)
{
    return dimensionsOf(array, "mxGetDimensions_700");
}

const mwSize* mxGetDimensions(const mxArray* array)
{
    return dimensionsOf(array, "mxGetDimensions");
}

mwSize mxGetNumberOfDimensions(const mxArray* array)
{
    if (!check(array, "mxGetNumberOfDimensions")) return 0;
    return static_cast<mwSize>(array->dims.size());
}

size_t mxGetM(const mxArray* array)
{
    if (!check(array, "mxGetM")) return 0;
    return static_cast<size_t>(array->dims[0]);
}

size_t mxGetN(const mxArray* array)
{
    if (!check(array, "mxGetN")) return 0;
    size_t n = 1;
    for (std::size_t k = 1; k < array->dims.size(); ++k) n *= static_cast<size_t>(array->dims[k]);
    return n;
}

size_t mxGetNumberOfElements(const mxArray* array)
{
    if (!check(array, "mxGetNumberOfElements")) return 0;
    size_t n = 1;
    for (mwSize d : array->dims) n *= static_cast<size_t>(d);
    return n;
}

size_t mxGetElementSize(const mxArray* array)
{
    if (!check(array, "mxGetElementSize")) return 0;
    return elementSize(array->classId);
}

mxClassID mxGetClassID(const mxArray* array)
{
    if (!check(array, "mxGetClassID")) return mxUNKNOWN_CLASS;
    return array->classId;
}

const char* mxGetClassName(const mxArray* array)
{
    static const char* const names[] = {"unknown", "cell",   "struct", "logical", "char",           "void",
                                        "double",  "single", "int8",   "uint8",   "int16",          "uint16",
                                        "int32",   "uint32", "int64",  "uint64",  "function_handle"};
    if (!check(array, "mxGetClassName")) return names[0];
    return names[array->classId];
}

// clang-format off
int mxIsDouble(const mxArray* array) { return mxGetClassID(array) == mxDOUBLE_CLASS; }
int mxIsSingle(const mxArray* array) { return mxGetClassID(array) == mxSINGLE_CLASS; }
int mxIsLogical(const mxArray* array) { return mxGetClassID(array) == mxLOGICAL_CLASS; }
int mxIsChar(const mxArray* array) { return mxGetClassID(array) == mxCHAR_CLASS; }
int mxIsCell(const mxArray* array) { return mxGetClassID(array) == mxCELL_CLASS; }
int mxIsStruct(const mxArray* array) { return mxGetClassID(array) == mxSTRUCT_CLASS; }
// clang-format on

int mxIsNumeric(const mxArray* array)
{
    mxClassID id = mxGetClassID(array);
    return id >= mxDOUBLE_CLASS && id <= mxUINT64_CLASS;
}

int mxIsComplex(const mxArray* array)
{
    return check(array, "mxIsComplex") && array->isComplex;
}

int mxIsSparse(const mxArray* array)
{
    return check(array, "mxIsSparse") && array->isSparse;
}

int mxIsEmpty(const mxArray* array)
{
    return mxGetNumberOfElements(array) == 0;
}

double* mxGetPr(const mxArray* array)
{
    logCall("mxGetPr");
    if (!check(array, "mxGetPr")) return nullptr;
    if (array->classId != mxDOUBLE_CLASS) {
        recordMisuse("mxGetPr on a %s array", mxGetClassName(array));
    }
    auto* mutableArray = const_cast<mxArray*>(array);
    return mutableArray->real.empty() ? nullptr : reinterpret_cast<double*>(mutableArray->real.data());
}

double* mxGetPi(const mxArray* array)
{
    logCall("mxGetPi");
    if (!check(array, "mxGetPi")) return nullptr;
    if (array->classId != mxDOUBLE_CLASS) {
        recordMisuse("mxGetPi on a %s array", mxGetClassName(array));
    }
    auto* mutableArray = const_cast<mxArray*>(array);
    return mutableArray->imag.empty() ? nullptr : reinterpret_cast<double*>(mutableArray->imag.data());
}

void* mxGetData(const mxArray* array)
{
    logCall("mxGetData");
    if (!check(array, "mxGetData")) return nullptr;
    auto* mutableArray = const_cast<mxArray*>(array);
    if (array->classId == mxCELL_CLASS || array->classId == mxSTRUCT_CLASS) {
        return mutableArray->cells.empty() ? nullptr : mutableArray->cells.data();
    }
    return mutableArray->real.empty() ? nullptr : mutableArray->real.data();
}

void* mxGetImagData(const mxArray* array)
{
    if (!check(array, "mxGetImagData")) return nullptr;
    auto* mutableArray = const_cast<mxArray*>(array);
    return mutableArray->imag.empty() ? nullptr : mutableArray->imag.data();
}

mxLogical* mxGetLogicals(const mxArray* array)
{
    logCall("mxGetLogicals");
    if (!check(array, "mxGetLogicals")) return nullptr;
    if (array->classId != mxLOGICAL_CLASS) {
        recordMisuse("mxGetLogicals on a %s array", mxGetClassName(array));
    }
    auto* mutableArray = const_cast<mxArray*>(array);
    return mutableArray->real.empty() ? nullptr : mutableArray->real.data();
}

mwIndex* mxGetIr(const mxArray* array)
{
    if (!check(array, "mxGetIr") || !array->isSparse) return nullptr;
    return const_cast<mxArray*>(array)->ir.data();
}

mwIndex* mxGetJc(const mxArray* array)
{
    if (!check(array, "mxGetJc") || !array->isSparse) return nullptr;
    return const_cast<mxArray*>(array)->jc.data();
}

double mxGetScalar(const mxArray* array)
{
    logCall("mxGetScalar");
    if (!check(array, "mxGetScalar")) return 0.0;
    if (array->classId == mxCELL_CLASS || array->classId == mxSTRUCT_CLASS || array->classId == mxUNKNOWN_CLASS) {
        recordMisuse("mxGetScalar on a %s array", mxGetClassName(array));
        return 0.0;
    }
    if (array->real.empty()) {
        // Hosts disagree here (one returns 0, another raises an error): modules must not ask.
        recordMisuse("mxGetScalar on an empty array");
        return 0.0;
    }
    return realElement(array, 0);
}

mxArray* mxGetCell(const mxArray* array, mwIndex index)
{
    if (!check(array, "mxGetCell") || array->classId != mxCELL_CLASS) return nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= array->cells.size()) {
        recordMisuse("mxGetCell index out of range");
        return nullptr;
    }
    return array->cells[static_cast<std::size_t>(index)];
}

void mxSetCell(mxArray* array, mwIndex index, mxArray* value)
{
    if (!check(array, "mxSetCell") || array->classId != mxCELL_CLASS) return;
    if (index < 0 || static_cast<std::size_t>(index) >= array->cells.size()) {
        recordMisuse("mxSetCell index out of range");
        return;
    }
    mxArray*& slot = array->cells[static_cast<std::size_t>(index)];
    if (slot != nullptr) {
        // The previous element belonged to the cell; it goes with its replacement.
        freeTree(slot);
        slot = nullptr;
    }
    if (value != nullptr) detach(value);
    slot = value;
}

}  // extern "C"
