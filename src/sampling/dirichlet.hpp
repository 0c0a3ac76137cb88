// Flat Dirichlet variates, Dirichlet(1, ..., 1): points uniform on the probability simplex
// {r : r(i) >= 0, sum(r) = 1}, density (K - 1)! there.
//
// K standard exponentials e(i) = -ln u(i) divided by their sum are such a draw (Devroye 1986,
// Non-Uniform Random Variate Generation, on uniform spacings).
#pragma once

#include <cmath>
#include <cstddef>

#include "progress.hpp"
#include "source.hpp"
#include "variates.hpp"

namespace montemex {

// Turns k uniforms into a flat Dirichlet draw, in place: each becomes -ln u, the exponentials are
// summed in ascending order, then each is divided by the sum.
template <typename Progress = NoProgress>
void flatDirichletFromUniforms(double* column, std::size_t k, Progress&& progress = Progress{})
{
    double sum = 0.0;
    for (std::size_t begin = 0; begin < k; begin = chunkEnd(begin, k)) {
        const std::size_t end = chunkEnd(begin, k);
        for (std::size_t r = begin; r < end; ++r) {
            column[r] = -std::log(column[r]);
            sum += column[r];
        }
        progress(4 * (end - begin));
    }
    for (std::size_t begin = 0; begin < k; begin = chunkEnd(begin, k)) {
        const std::size_t end = chunkEnd(begin, k);
        for (std::size_t r = begin; r < end; ++r) column[r] = column[r] / sum;
        progress(end - begin);
    }
}

// One draw into out[0 ... k-1] from k uniforms of the source.
template <typename Source>
void drawFlatDirichlet(Source& source, std::size_t k, double* out)
{
    reserveUniforms(source, k);
    for (std::size_t r = 0; r < k; ++r) out[r] = drawUniform(source);
    flatDirichletFromUniforms(out, k);
}

}  // namespace montemex
