// The bootstrap weight draw shared by weightavgdraw and weightquantdraw, and the chunked fetching
// of its uniform numbers from the host's "rand".
//
// One draw turns n host uniforms u(i) into e(i) = -ln u(i), each multiplied by its prior weight
// w(i) when prior weights are given; the draw's weights are e(i) / sum(e). Without prior weights
// they are a flat Dirichlet draw, the Bayesian bootstrap of Rubin (1981, "The Bayesian
// bootstrap", Annals of Statistics 9, 130-134).
#pragma once

#include <cstddef>

#include "mex.h"

namespace montemex {

// Overwrites u(0 ... n-1) with e(i) = (-ln u(i)) * w(i) (w may be null: no prior weights) and
// returns the sum of the e(i), accumulated in ascending i.
double drawBootstrapWeights(double* u, std::size_t n, const double* w);

// The uniforms of consecutive draws come in chunks: one rand(n, b) call returns the same numbers,
// in the same order, as b calls of rand(n, 1), so column s of a chunk holds draw s's uniforms.
// A chunk holds at most kMaxChunkNumbers numbers (but always at least one draw), and the caller
// destroys each chunk as soon as its draws are done, so memory does not grow with the number of
// draws. The unbuffered build fetches one draw per call, rand(n, 1).
constexpr std::size_t kMaxChunkNumbers = std::size_t(1) << 20;

// How many of the `remaining` draws (at least 1) the next chunk holds.
std::size_t chunkDraws(std::size_t n, std::size_t remaining);

// rand(n, draws) from the host; the caller destroys the returned array.
mxArray* fetchUniformColumns(std::size_t n, std::size_t draws);

}  // namespace montemex
