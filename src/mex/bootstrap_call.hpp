// The calls of the two bootstrap modules, weightavgdraw(X, B, W) and weightquantdraw(X, P, B, W):
// reading B and W, and fetching the uniforms of consecutive draws from the host's "rand".
#pragma once

#include <cstddef>
#include <cstdint>

#include "mex.h"
#include "mex/arguments.hpp"

namespace montemex {

// The number of draws B (1 when not given) and the prior weights W (null when not given).
struct BootstrapCall {
    std::int64_t draws = 1;
    const mxArray* weights = nullptr;
};

// What the two modules say when W does not match X (they word it differently).
struct WeightMismatch {
    const char* reason;
    const char* message;
};

// Reads B from prhs[bIndex] (when nrhs > bIndex) and W from prhs[bIndex + 1] (when
// nrhs > bIndex + 1), with their checks in this order:
//
// "B must be a scalar." when B's first or second dimension exceeds 1 (an empty B passes); B
// truncated (readSize: negative counts as 0); "W must be a column vector." when W has more than
// one column; the mismatch message when W's rows differ from n or W holds fewer than n values
// (2-by-1-by-0); W must be real numeric.
BootstrapCall readBootstrapCall(const char* function, int nrhs, const mxArray* prhs[], int bIndex, std::size_t n,
                                const WeightMismatch& mismatch);

// The uniforms of consecutive draws come in blocks, one host call each: one rand(n, b) call
// returns the same numbers, in the same order, as b calls of rand(n, 1), so column s of a block
// holds draw s's uniforms.
//
// A block holds at most kMaxBlockNumbers numbers (but always at least one draw), and the caller
// destroys each block as soon as its draws are done, so memory does not grow with the number of
// draws. The unbuffered build fetches one draw per call, rand(n, 1).
constexpr std::size_t kMaxBlockNumbers = std::size_t(1) << 20;

// How many of the `remaining` draws (at least 1) the next block holds.
std::size_t blockDraws(std::size_t n, std::size_t remaining);

// The bytes of the largest block of a call with n observations and `draws` draws.
double blockBytes(std::size_t n, std::int64_t draws);

// A call whose result is empty still draws its numbers, n per draw, so that the generator ends
// where it would with values to show; beyond kMaxUnseenNumbers such numbers (about half a minute
// of drawing) that no one can see, the call is refused with montemex:<function>:tooManyDraws.
constexpr double kMaxUnseenNumbers = 4294967296.0;  // 2^32
void checkUnseenDraws(const char* function, double resultCount, std::size_t n, std::int64_t draws);

// rand(n, draws) from the host, checked; the caller destroys the returned array.
mxArray* fetchUniformColumns(const char* function, std::size_t n, std::size_t draws);

}  // namespace montemex
