// Gamma and beta variates: drawGamma(source, a), drawBeta(source, a, b), and the gamma family by
// mean or scale, drawGammaByMean(source, a, v) and drawInverseGammaByScale(source, s, v).
//
// drawGamma: density x^(a-1) e^(-x) / Gamma(a) on x > 0, by a path that depends on the shape a:
//   a < 0.00001            the shape itself, nothing drawn
//   0.00001 <= a <= 1      boost: u, then g = drawGamma(a + 1), result g * u^(1/a)
//   1 < a < 1.00001        an exponential variate -ln(u)
//   a >= 1.00001           rejection from a t-like envelope: Best, D. J. (1978), "Letter to the
//                          editor", Applied Statistics 27, p. 181 (the "XG" algorithm), two
//                          uniforms per attempt
// Every path ends with a lower clamp: a result below 1e-15 (and below a) becomes 1e-15, or a
// itself when a < 1e-15, so a variate for a shape of at least 0.00001 can always be divided by.
//
// drawBeta: x / (x + y) for x = drawGamma(a), y = drawGamma(b), density
// x^(a-1) (1-x)^(b-1) / B(a, b) on (0, 1), rounded to a multiple of 2^-52 and drawn again until
// it lies strictly inside (0, 1).
//
// No shape and no source makes a draw loop for ever: a NaN shape gives NaN and a huge one
// (kHugeGammaShape) the shape itself, drawing nothing; the rejection method gives up after
// kMaxGammaAttempts rejected attempts, and drawBeta's redraws after kMaxBetaAttempts.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <limits>

#include "source.hpp"
#include "variates.hpp"

namespace montemex {

inline constexpr double kTinyGammaShape = 0.00001;         // below it: the shape itself
inline constexpr double kExponentialGammaShape = 1.00001;  // (1, 1.00001): exponential path
inline constexpr double kGammaClamp = 1e-15;               // smallest value normally returned

// Shapes drawGamma returns as they are, drawing nothing, because they are too large for the
// rejection method: 2^1020 (about 1.1e307) and more, +Inf included; not NaN or -Inf.
//
// Above a twelfth of the largest double, c / w = (3a - 0.75) / (u (1 - u)) overflows for every
// uniform and the rejection method would never accept a candidate (where 3a - 0.75 itself
// overflows it has no constant at all). Below 2^1020, c / w stays finite for every u within 1/4
// of 1/2, so attempts succeed about as often as usual. For huge shapes the method's candidate
// b + y always rounds to b = a (|y| < sqrt(DBL_MAX) is far below one unit in the last place of
// a), so a is the value the method would give.
inline constexpr double kHugeGammaShape = 0x1p1020;

// Rejected attempts after which one rejection-method variate gives up: it tells the source
// (rejectionLimitReached, source.hpp) and returns NaN.
//
// That guards against a source that never lets the method accept (a broken generator returning
// one number for ever, say). Each attempt is accepted with probability above 1/3, so independent
// uniforms reach the bound with probability below 10^-1700: for a sound source it never happens.
inline constexpr long kMaxGammaAttempts = 10000;

inline bool isHugeGammaShape(double a)
{
    return a >= kHugeGammaShape;
}

// The fewest uniforms drawGamma(a) is certain to draw, which a caller may fetch ahead in one host
// call without changing which numbers any draw receives.
//
// 0 when it draws nothing (tiny, NaN and huge shapes), 3 on the boost path (its own uniform and
// one rejection attempt for a + 1), 1 on the exponential path, 2 (one attempt) for the rejection
// method.
inline std::size_t minimumGammaUniforms(double a)
{
    if (a != a || a < kTinyGammaShape) return 0;
    if (a <= 1.0) return 3;
    if (a < kExponentialGammaShape) return 1;
    if (isHugeGammaShape(a)) return 0;
    return 2;
}

namespace detail {

// The lower clamp that ends every path that draws.
inline double clampGamma(double r, double a)
{
    if (r < kGammaClamp && r < a) return a < kGammaClamp ? a : kGammaClamp;
    return r;
}

// One attempt of Best's rejection method from its two uniforms u and v, shared with the batch
// form (gamma_batch.hpp) so that both do the same arithmetic: with b = a - 1 and c = 3a - 0.75,
// the candidate x = b + y, y = sqrt(c / w) (u - 1/2), w = u (1 - u), and z = 64 w^3 v^2.
struct BestAttempt {
    double x;  // the candidate
    double y;
    double z;
};

inline BestAttempt bestAttempt(double u, double v, double b, double c)
{
    const double w = u * (1.0 - u);
    const double y = std::sqrt(c / w) * (u - 0.5);
    const double x = b + y;
    const double z = 64.0 * w * w * w * v * v;
    return {x, y, z};
}

// The cheap test z <= 1 - 2 y^2 / x, and the exact test 2 (b ln(x / b) - y) >= ln z. A candidate
// x = 0 fails both (1 - 2 y^2 / 0 is -Inf, ln 0 is -Inf).
inline bool passesCheapTest(const BestAttempt& t)
{
    return t.z <= 1.0 - (2.0 * t.y * t.y) / t.x;
}

inline bool passesExactTest(const BestAttempt& t, double b)
{
    return 2.0 * (b * std::log(t.x / b) - t.y) >= std::log(t.z);
}

// Best's rejection method for 1.00001 <= a < 2^1020: the first candidate that passes the cheap
// or else the exact test; NaN after kMaxGammaAttempts rejections.
template <typename Source>
double drawGammaByRejection(Source& source, double a)
{
    const double b = a - 1.0;
    const double c = 3.0 * a - 0.75;
    for (long attempt = 0; attempt < kMaxGammaAttempts; ++attempt) {
        reserveUniforms(source, 2);  // every attempt uses both of its uniforms
        const double u = drawUniform(source);
        const double v = drawUniform(source);
        const BestAttempt t = bestAttempt(u, v, b, c);
        if (!(t.x >= 0.0)) continue;
        if (passesCheapTest(t)) return t.x;
        if (passesExactTest(t, b)) return t.x;
    }
    rejectionLimitReached(source);
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace detail

template <typename Source>
double drawGamma(Source& source, double a)
{
    if (a != a) return a;
    if (a < kTinyGammaShape) return a;  // the clamp leaves it unchanged
    if (a <= 1.0) {
        reserveUniforms(source, 3);  // its own uniform and the first attempt's two
        const double u = drawUniform(source);
        const double g = drawGamma(source, a + 1.0);  // a + 1 >= 1.00001: the rejection method
        return detail::clampGamma(g * std::pow(u, 1.0 / a), a);
    }
    if (a < kExponentialGammaShape) return detail::clampGamma(drawExponential(source), a);
    if (isHugeGammaShape(a)) return a;
    return detail::clampGamma(detail::drawGammaByRejection(source, a), a);
}

// drawBeta's redraws end after this many attempts (see below).
inline constexpr long kMaxBetaAttempts = 1000000;

namespace detail {

// x / (x + y) rounded to a multiple of 2^-52 by adding and removing 1. For huge shapes x + y
// can overflow; halves give the same ratio then.
inline double betaRatio(double x, double y)
{
    const double sum = x + y;
    const double q = sum <= DBL_MAX ? x / sum : (0.5 * x) / (0.5 * x + 0.5 * y);
    const double s = 1.0 + q;
    return s - 1.0;
}

}  // namespace detail

// A beta variate for positive finite shapes; NaN, drawing nothing, for a NaN, zero, negative or
// infinite shape. When the ratio rounds to 0 or 1 both gamma variates are drawn again.
//
// That can go on for ever when nearly all of the distribution lies within 2^-53 of 0 or 1
// (drawBeta(1, 1e300)), so redrawing stops when it cannot change the outcome (neither shape
// draws anything) and after kMaxBetaAttempts attempts; the last ratio then becomes the nearest
// value inside, 2^-52 or 1 - 2^-52. For shapes whose ratios fall inside with any reasonable
// probability the bound is never reached.
template <typename Source>
double drawBeta(Source& source, double a, double b)
{
    if (!(a > 0.0 && a <= DBL_MAX && b > 0.0 && b <= DBL_MAX)) return std::numeric_limits<double>::quiet_NaN();
    const bool drawsNothing = minimumGammaUniforms(a) == 0 && minimumGammaUniforms(b) == 0;
    double r = 0.0;
    for (long attempt = 0; attempt < kMaxBetaAttempts; ++attempt) {
        const double x = drawGamma(source, a);
        const double y = drawGamma(source, b);
        r = detail::betaRatio(x, y);
        if (r > 0.0 && r < 1.0) return r;
        if (drawsNothing) break;
    }
    return r <= 0.0 ? 0x1p-52 : 1.0 - 0x1p-52;
}

// The gamma-family variates by mean a (or scale s) and degrees of freedom v, from the chi-square
// variate X = 2 drawGamma(v / 2) with v degrees of freedom:
//
//   drawGammaByMean(a, v)          = X a / v  gamma, shape v/2, scale 2a/v: mean a, variance 2a^2/v
//   drawInverseGammaByScale(s, v)  = v s / X  scaled inverse chi-square: shape v/2, scale v s/2
//
// Degrees of freedom so large that the gamma shape v/2 is huge (v = +Inf, or v of 2^1021, about
// 2.2e307, and more) draw nothing and give the limit of the distribution, a (or s) exactly: its
// relative spread sqrt(2/v) is far below one unit in the last place, while the formula would
// give NaN for v = +Inf and can overflow on the way for finite v.

// The variates from a drawn g = drawGamma(v / 2): (2 g) a / v, and s v / 2 / g, in that order.
inline double gammaByMean(double g, double a, double v)
{
    return 2.0 * g * a / v;
}

inline double inverseGammaByScale(double g, double s, double v)
{
    return s * v / 2.0 / g;
}

template <typename Source>
double drawGammaByMean(Source& source, double a, double v)
{
    const double shape = v / 2.0;
    if (isHugeGammaShape(shape)) return a;
    return gammaByMean(drawGamma(source, shape), a, v);
}

template <typename Source>
double drawInverseGammaByScale(Source& source, double s, double v)
{
    const double shape = v / 2.0;
    if (isHugeGammaShape(shape)) return s;
    return inverseGammaByScale(drawGamma(source, shape), s, v);
}

}  // namespace montemex
