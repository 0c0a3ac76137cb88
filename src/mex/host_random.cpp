#include "mex/host_random.hpp"

#include <cstdio>

#include "mex/errors.hpp"
#include "mex/host_results.hpp"
#include "sampling/gamma.hpp"

namespace montemex {

namespace {

HostNumbers numbersOf(const char* hostFunction)
{
    return hostFunction[4] == 'n' ? HostNumbers::Normals : HostNumbers::Uniforms;  // "randn" or "rand"
}

}  // namespace

const double* drawHostArray(const char* function, mxArray** slot, const char* hostFunction, std::size_t rows,
                            std::size_t cols)
{
    mxArray* sizes[2];
    sizes[0] = mxCreateDoubleScalar(static_cast<double>(rows));
    sizes[1] = mxCreateDoubleScalar(static_cast<double>(cols));
    *slot = nullptr;
    mexCallMATLAB(1, slot, 2, sizes, hostFunction);
    mxDestroyArray(sizes[0]);
    mxDestroyArray(sizes[1]);
    return checkHostNumbers(function, hostFunction, *slot, rows, cols, numbersOf(hostFunction));
}

const double* drawHostArray(const char* function, mxArray** slot, const char* hostFunction, const Shape& shape)
{
    return drawHostArray(function, slot, hostFunction, static_cast<std::size_t>(shape.rows),
                         static_cast<std::size_t>(shape.cols));
}

void HostSource::planUniforms(std::size_t current, std::size_t later)
{
    plan(uniforms_, "rand", current, later);
}

void HostSource::planNormals(std::size_t current, std::size_t later)
{
    plan(normals_, "randn", current, later);
}

void HostSource::skipUniforms(std::size_t count)
{
    work_ += kNumberSteps * count;
    if (count == 0) return;
    // Whole values were drawn from the block: their plan is used up.
    uniforms_.certain = 0;
    if (count >= uniforms_.left) {
        drop(uniforms_);
        return;
    }
    uniforms_.next += count;
    uniforms_.left -= count;
}

void HostSource::release()
{
    drop(uniforms_);
    drop(normals_);
    uniforms_.certain = uniforms_.later = 0;
    normals_.certain = normals_.later = 0;
}

std::size_t HostSource::takeWork()
{
    const std::size_t work = work_;
    work_ = 0;
    return work;
}

void HostSource::rejectionLimitReached()
{
    char message[128];
    std::snprintf(message, sizeof message, "rand returned numbers that a rejection loop rejected %ld times in a row.",
                  kMaxGammaAttempts);
    raiseError(function_, "badHostResult", message);
}

double HostSource::take(Block& block, const char* hostFunction)
{
    work_ += kNumberSteps;
    if (block.left == 0) {
        // The number wanted now is certain, whatever was said before.
        if (block.certain == 0) block.certain = 1;
        fetchCertain(block, hostFunction);
    }
    if (block.certain > 0) --block.certain;
    if (block.left > 0) {
        const double value = *block.next++;
        if (--block.left == 0) drop(block);
        return value;
    }
    work_ += kHostCallSteps;
    mxArray* single = nullptr;
    mexCallMATLAB(1, &single, 0, nullptr, hostFunction);
    const double value = *checkHostNumbers(function_, hostFunction, single, 1, 1, numbersOf(hostFunction));
    mxDestroyArray(single);
    return value;
}

void HostSource::reserve(Block& block, const char* hostFunction, std::size_t count)
{
    if (count > block.certain) block.certain = count;
    fetchCertain(block, hostFunction);
}

void HostSource::plan(Block& block, const char* hostFunction, std::size_t current, std::size_t later)
{
    block.certain = current;
    block.later = later;
    fetchCertain(block, hostFunction);
}

void HostSource::fetchCertain(Block& block, const char* hostFunction)
{
    if (kOneNumberPerHostCall || block.left > 0 || block.certain == 0) return;
    std::size_t count = block.certain + block.later;
    if (count > block.limit) count = block.limit;
    if (count < 2) return;
    work_ += kHostCallSteps;
    block.next = drawHostArray(function_, &block.array, hostFunction, count, 1);
    block.left = count;
}

void HostSource::drop(Block& block)
{
    if (block.array != nullptr) mxDestroyArray(block.array);
    block.array = nullptr;
    block.next = nullptr;
    block.left = 0;
}

}  // namespace montemex
