// Scratch memory of one module call: small blocks from a buffer on the caller's stack, larger
// ones from the host (mxMalloc).
//
// Octave's mxMalloc registers every block for its cleanup at the end of the call, and mxFree
// looks it up again: for a call on a hundred weights the two took as long as the work on them. A
// small call's tables fit in a few kilobytes, which the stack holds for nothing. Large calls
// still take host memory, which the memory rule counts (memory_limit.hpp).
//
// Nothing here has a destructor, so an error that ends the call (a longjmp on some hosts) leaves
// nothing behind: the buffer goes with the caller's stack frame, and the host reclaims its blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace montemex {

class Scratch {
public:
    // Room for a table and a guide of about 400 weights.
    static constexpr std::size_t kBufferBytes = 4096;

    // Null for a count of 0, as allocateDoubles and allocateIndices (arguments.hpp).
    double* doubles(std::size_t count) { return static_cast<double*>(take(count, sizeof(double))); }
    std::uint32_t* indices(std::size_t count)
    {
        return static_cast<std::uint32_t*>(take(count, sizeof(std::uint32_t)));
    }

    // Frees a host block (mxFree); a block from the buffer, or null, needs nothing.
    void release(void* block);

private:
    void* take(std::size_t count, std::size_t size);

    alignas(16) unsigned char buffer_[kBufferBytes];
    std::size_t used_ = 0;
};

}  // namespace montemex
