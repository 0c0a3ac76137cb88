// The variates of the gamma-family modules, by mean (or scale) and degrees of freedom, and the
// element loop that shapedraw and recipshapedraw share.
//
// With X = 2 drawGamma(v / 2), a chi-square variate with v degrees of freedom:
//   drawGammaByMean(a, v)          = X a / v  gamma, shape v/2, scale 2a/v: mean a, variance 2a^2/v
//   drawInverseGammaByScale(s, v)  = v s / X  scaled inverse chi-square: shape v/2, scale v s/2
// Degrees of freedom so large that the gamma shape v/2 is huge (v = +Inf, or v of 2^1021, about
// 2.2e307, and more) draw nothing and give the limit of the distribution, a (or s) exactly: its
// relative spread sqrt(2/v) is far below one unit in the last place, while the formula would
// give NaN for v = +Inf and can overflow on the way for finite v.
#pragma once

#include <cstddef>

#include "common/gamma.hpp"
#include "common/host_random.hpp"
#include "common/size_rule.hpp"

namespace montemex {

// (2 g) a / v, in that order, for g = drawGamma(v / 2).
template <typename Source>
double drawGammaByMean(Source& source, double a, double v)
{
    const double shape = v / 2.0;
    if (isHugeGammaShape(shape)) return a;
    const double g = drawGamma(source, shape);
    return 2.0 * g * a / v;
}

// s v / 2 / g, in that order, for g = drawGamma(v / 2).
template <typename Source>
double drawInverseGammaByScale(Source& source, double s, double v)
{
    const double shape = v / 2.0;
    if (isHugeGammaShape(shape)) return s;
    const double g = drawGamma(source, shape);
    return s * v / 2.0 / g;
}

// Fills out[i] = variate(source, first(i), v(i)) for every element of the call in order, where
// the second parameter holds the degrees of freedom v.
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
    for (std::size_t i = 0; i < call.count; ++i) {
        const double v = dof.at(i);
        source.reserveUniforms(remaining);  // nothing happens while uniforms are held
        out[i] = variate(source, first.at(i), v);
        remaining -= minimumGammaUniforms(v / 2.0);
    }
    source.release();
}

}  // namespace montemex
