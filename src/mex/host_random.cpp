#include "mex/host_random.hpp"

namespace montemex {

void drawHostArray(mxArray** slot, const char* function, double rows, double cols)
{
    mxArray* sizes[2];
    sizes[0] = mxCreateDoubleScalar(rows);
    sizes[1] = mxCreateDoubleScalar(cols);
    mexCallMATLAB(1, slot, 2, sizes, function);
    mxDestroyArray(sizes[0]);
    mxDestroyArray(sizes[1]);
}

double HostSource::uniform()
{
    return take(uniforms_, "rand");
}

double HostSource::normal()
{
    return take(normals_, "randn");
}

void HostSource::reserveUniforms(std::size_t count)
{
    reserve(uniforms_, "rand", count);
}

void HostSource::reserveNormals(std::size_t count)
{
    reserve(normals_, "randn", count);
}

void HostSource::release()
{
    drop(uniforms_);
    drop(normals_);
}

double HostSource::take(Block& block, const char* function)
{
    if (block.left > 0) {
        double value = *block.next++;
        if (--block.left == 0) drop(block);
        return value;
    }
    mxArray* single = nullptr;
    mexCallMATLAB(1, &single, 0, nullptr, function);
    double value = mxGetScalar(single);
    mxDestroyArray(single);
    return value;
}

void HostSource::reserve(Block& block, const char* function, std::size_t count)
{
    if (kOneNumberPerHostCall || block.left > 0 || count < 2) return;
    if (count > kMaxReserve) count = kMaxReserve;
    drawHostArray(&block.array, function, static_cast<double>(count), 1.0);
    block.next = mxGetPr(block.array);
    block.left = count;
}

void HostSource::drop(Block& block)
{
    if (block.array != nullptr) mxDestroyArray(block.array);
    block = Block{};
}

}  // namespace montemex
