// Progress of long loops: the library's loops over arrays report their work to a callback the
// caller may pass last, progress(steps), a chunk at a time (at most kProgressChunk elements, or as
// many elementary steps; "chunk" means this stretch of a loop, and nothing else, in the code).
//
// The modules use it to let the host act on a pending Ctrl-C every few milliseconds; by default
// nothing happens. A step is one cheap operation on one element (a comparison, an addition, a
// division), a few nanoseconds.
#pragma once

#include <cstddef>

namespace montemex {

inline constexpr std::size_t kProgressChunk = std::size_t(1) << 16;

struct NoProgress {
    void operator()(std::size_t) const {}
};

// The end of the chunk that starts at `begin`, for a loop that runs to `end`.
inline std::size_t chunkEnd(std::size_t begin, std::size_t end)
{
    return end - begin > kProgressChunk ? begin + kProgressChunk : end;
}

}  // namespace montemex
