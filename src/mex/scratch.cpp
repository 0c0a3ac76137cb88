#include "mex/scratch.hpp"

#include <cstdint>

#include "mex.h"

namespace montemex {

void* Scratch::take(std::size_t count, std::size_t size)
{
    if (count == 0) return nullptr;
    // Blocks start 16 bytes apart at least, as the host's do.
    const std::size_t room = kBufferBytes - used_;
    if (count <= room / size) {
        const std::size_t bytes = (count * size + 15) / 16 * 16;
        void* block = buffer_ + used_;
        used_ += bytes <= room ? bytes : room;
        return block;
    }
    return mxMalloc(count * size);
}

void Scratch::release(void* block)
{
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    const auto start = reinterpret_cast<std::uintptr_t>(buffer_);
    if (block == nullptr || (address >= start && address < start + kBufferBytes)) return;
    mxFree(block);
}

}  // namespace montemex
