// The element loop that shapedraw and recipshapedraw share: one gamma-family variate per output
// element, in column-major order, from the host's uniforms.
#pragma once

#include <cstddef>

#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"
#include "mex/size_rule.hpp"
#include "sampling/gamma.hpp"
#include "sampling/gamma_batch.hpp"
#include "sampling/progress.hpp"

namespace montemex {

// What a gamma-family call holds besides its result and parameters: one block of reserved
// uniforms.
inline double gammaFamilyExtraBytes()
{
    return bytesOfDoubles(static_cast<double>(HostSource::kMaxReserve));
}

// Blocks the gamma family reserves hold at most this many uniforms (2 MB, within
// HostSource::kMaxReserve): the host writes a block, the entry layer checks it and the batch
// reads it while it is still in the processor's cache. Blocks of 2^20 (8 MB) are not, and took a
// sixth longer in all (measured in Octave).
inline constexpr std::size_t kGammaBlock = std::size_t(1) << 18;

// How many of the elements i ... end - 1 (at most `limit`) have the value of element i.
inline std::size_t elementsWithSameValue(const Parameter& p, std::size_t i, std::size_t end, std::size_t limit)
{
    if (end - i > limit) end = i + limit;
    if (!p.isArray()) return end - i;
    std::size_t k = i + 1;
    while (k < end && p.data.values[k] == p.data.values[i]) ++k;
    return k - i;
}

// Draws standard gamma variates of shape v / 2 for elements i, i + 1, ... (before `end`, at most
// `limit`) that share element i's degrees of freedom v, as many as the held block of uniforms
// gives whole, into variates[0 ...] (gamma_batch.hpp). Returns how many; 0 when no block is held
// or it cannot give element i whole, which is then drawn number by number.
inline std::size_t drawGammaRun(HostSource& source, const Parameter& dof, std::size_t i, std::size_t end,
                                std::size_t limit, double* variates)
{
    const HostSource::Span held = source.heldUniforms();
    const std::size_t run = elementsWithSameValue(dof, i, end, limit);
    const GammaBatch batch = drawGammaBatch(held.values, held.count, dof.at(i) / 2.0, variates, run);
    source.skipUniforms(batch.uniformsUsed);
    return batch.variates;
}

// Fills out[i] = fromGamma(g, first(i), v(i)) for every element of the call in order, where
// g = drawGamma(v(i) / 2) and the second parameter holds the degrees of freedom v; where v / 2
// is a huge shape (isHugeGammaShape), out[i] = first(i) without a draw (gamma.hpp). A variate
// counts as a dozen steps of work (interrupt.hpp).
//
// Exact bulk drawing: at each element boundary where no uniforms are held, the uniforms every
// remaining element is certain to draw (their minimum, summed; at most kGammaBlock) are fetched
// in one host call; draws beyond them come one per host call. Every number fetched is used, in order, so the
// values and the host's final state are those of one-at-a-time drawing. Elements whose
// variates the held block gives whole are drawn from it together (drawGammaRun); the others
// one by one.
template <typename FromGamma>
void fillGammaFamily(HostSource& source, const ElementwiseCall& call, double* out, FromGamma fromGamma)
{
    const Parameter& first = call.parameters[0];
    const Parameter& dof = call.parameters[1];
    std::size_t remaining = 0;  // minimum uniforms of the elements not yet drawn
    if (dof.isArray()) {
        for (std::size_t i = 0; i < call.count; ++i) remaining += minimumGammaUniforms(dof.data.values[i] / 2.0);
    } else if (call.count > 0) {
        remaining = minimumGammaUniforms(dof.scalar / 2.0) * call.count;
    }
    InterruptPoll poll;
    std::size_t i = 0;
    while (i < call.count) {
        const double v = dof.at(i);
        const double shape = v / 2.0;
        source.reserveUniforms(remaining < kGammaBlock ? remaining : kGammaBlock);  // not while uniforms are held
        std::size_t drawn = drawGammaRun(source, dof, i, call.count, kProgressChunk, out + i);
        if (first.isArray()) {
            for (std::size_t k = i; k < i + drawn; ++k) out[k] = fromGamma(out[k], first.data.values[k], v);
        } else {
            const double a = first.scalar;
            for (std::size_t k = i; k < i + drawn; ++k) out[k] = fromGamma(out[k], a, v);
        }
        if (drawn == 0) {
            out[i] = isHugeGammaShape(shape) ? first.at(i) : fromGamma(drawGamma(source, shape), first.at(i), v);
            drawn = 1;
        }
        remaining -= minimumGammaUniforms(shape) * drawn;
        i += drawn;
        poll(12 * drawn);
    }
    source.release();
}

}  // namespace montemex
