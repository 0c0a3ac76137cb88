// The element loop that shapedraw and recipshapedraw share: one gamma-family variate per output
// element, in column-major order, from the host's uniforms.
#pragma once

#include <cstddef>

#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"
#include "mex/size_rule.hpp"
#include "sampling/gamma.hpp"

namespace montemex {

// What a gamma-family call holds besides its result and parameters: one block of reserved
// uniforms.
inline double gammaFamilyExtraBytes()
{
    return bytesOfDoubles(static_cast<double>(HostSource::kMaxReserve));
}

// Fills out[i] = variate(source, first(i), v(i)) for every element of the call in order, where
// the second parameter holds the degrees of freedom v. A variate counts as a dozen steps of work
// (interrupt.hpp).
//
// Exact bulk drawing: at each element boundary where no uniforms are held, the uniforms every
// remaining element is certain to draw (their minimum, summed) are fetched in one host call;
// draws beyond them come one per host call. Every number fetched is used, in order, so the
// values and the host's final state are those of one-at-a-time drawing.
template <typename Variate>
void fillGammaFamily(HostSource& source, const ElementwiseCall& call, double* out, Variate variate)
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
    for (std::size_t i = 0; i < call.count; ++i) {
        const double v = dof.at(i);
        source.reserveUniforms(remaining);  // nothing happens while uniforms are held
        out[i] = variate(source, first.at(i), v);
        remaining -= minimumGammaUniforms(v / 2.0);
        poll(12);
    }
    source.release();
}

}  // namespace montemex
