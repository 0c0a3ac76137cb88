// The host allocator: blocks live until mxFree or until the module call returns.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host_state.hpp"

using namespace montemex::host;

namespace {

void* allocate(std::size_t bytes, bool zeroed)
{
    HostState& s = state();
    // The element limit bounds blocks too, counted in doubles.
    if (bytes / sizeof(double) > s.maxElements) {
        raiseHostError("MATLAB:nomem", "Out of memory. The requested block is too large.");
    }
    void* block = zeroed ? std::calloc(bytes > 0 ? bytes : 1, 1) : std::malloc(bytes > 0 ? bytes : 1);
    if (block == nullptr) raiseOutOfMemory();
    if (!tryAllocation([&] { s.blocks[block] = bytes; })) {
        std::free(block);
        raiseOutOfMemory();
    }
    if (s.inCall) {
        s.liveBytes += bytes;
        if (s.liveBytes > s.stats.peakLiveBytes) s.stats.peakLiveBytes = s.liveBytes;
    }
    return block;
}

}  // namespace

extern "C" {

void* mxMalloc(size_t n)
{
    logCall("mxMalloc(%llu)", static_cast<unsigned long long>(n));
    return allocate(n, false);
}

void* mxCalloc(size_t n, size_t size)
{
    logCall("mxCalloc(%llu,%llu)", static_cast<unsigned long long>(n), static_cast<unsigned long long>(size));
    if (size != 0 && n > SIZE_MAX / size) {
        raiseHostError("MATLAB:nomem", "Out of memory. The requested block is too large.");
    }
    return allocate(n * size, true);
}

void* mxRealloc(void* ptr, size_t n)
{
    logCall("mxRealloc(%llu)", static_cast<unsigned long long>(n));
    if (ptr == nullptr) return allocate(n, false);
    HostState& s = state();
    auto it = s.blocks.find(ptr);
    if (it == s.blocks.end()) {
        recordMisuse("mxRealloc of a block the host did not allocate");
        return nullptr;
    }
    std::size_t old = it->second;
    void* block = allocate(n, false);
    std::memcpy(block, ptr, old < n ? old : n);
    mxFree(ptr);
    return block;
}

void mxFree(void* ptr)
{
    logCall("mxFree");
    if (ptr == nullptr) return;
    HostState& s = state();
    auto it = s.blocks.find(ptr);
    if (it == s.blocks.end()) {
        recordMisuse("mxFree of a block the host did not allocate");
        return;
    }
    if (s.inCall) s.liveBytes -= it->second < s.liveBytes ? it->second : s.liveBytes;
    s.blocks.erase(it);
    std::free(ptr);
}

}  // extern "C"
