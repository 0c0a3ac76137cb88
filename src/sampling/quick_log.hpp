// A natural logarithm with a known error bound, written so that the compiler can evaluate it for
// several arguments at once.
//
// It never replaces std::log in a value that is returned: it only decides comparisons whose two
// sides are so far apart that std::log would decide them alike (gamma_batch.hpp); std::log
// decides every other case.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>

namespace montemex {

// Relative error bound of quickLog: |quickLog(t) - ln t| <= kQuickLogError |ln t| for every
// normal positive finite t (ln 1 = 0 comes back exactly).
//
// Why: t = m 2^e exactly, with m in [sqrt(1/2), sqrt(2)). With s = (m - 1) / (m + 1),
// |s| <= 0.1716, ln m = 2 atanh s = 2 (s + s^3/3 + ... + s^9/9) + R, and the series' tail is
// |R| <= 2 |s|^11 / (11 (1 - s^2)), which is at most 2.1e-9 |ln m| since |ln m| >= 2 |s|.
// Rounding adds at most a dozen units of 2^-53 relative (quickLogPair's shared division
// included). When e != 0, |ln t| >= ln(2) / 2 >= |ln m| and |e ln 2| <= 2 |ln t|, so the error
// stays below 2.2e-9 |ln t|. The bound used, 2^-27 (7.5e-9), leaves a factor of three to spare.
inline constexpr double kQuickLogError = 0x1p-27;

namespace detail {

// t = m 2^e with m in [sqrt(1/2), sqrt(2)), both as doubles, and `invalid`: 0 for a normal
// positive finite t, NaN otherwise. Every step is plain arithmetic on doubles and integers, with
// selections between constants only: a form that compilers vectorise.
struct LogArgument {
    double m;
    double e;
    double invalid;
};

inline LogArgument splitForLog(double t)
{
    std::uint64_t bits;
    std::memcpy(&bits, &t, sizeof bits);
    // m: t's significand with the exponent of 1, in [1, 2).
    const std::uint64_t significandBits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;
    double m;
    std::memcpy(&m, &significandBits, sizeof m);
    // e: t's exponent field placed in the low bits of 2^52, minus 2^52 and the bias 1023.
    const std::uint64_t exponentBits = (bits >> 52) | 0x4330000000000000ull;
    double e;
    std::memcpy(&e, &exponentBits, sizeof e);
    e = e - 4503599627371519.0;
    // Into [sqrt(1/2), sqrt(2)): halving m is exact.
    const double halve = m > 1.4142135623730951 ? 1.0 : 0.0;
    m = m - 0.5 * halve * m;
    e = e + halve;
    // t - t is NaN for infinite and NaN t; the selection covers the rest.
    const double invalid = (t - t) + (t >= 0x1p-1022 ? 0.0 : std::numeric_limits<double>::quiet_NaN());
    return {m, e, invalid};
}

// ln t from its parts and s = (m - 1) / (m + 1).
inline double logFromParts(const LogArgument& p, double s)
{
    const double s2 = s * s;
    const double s4 = s2 * s2;
    // s^2/3 + s^4/5 + s^6/7 + s^8/9, grouped in pairs to keep the chain of dependent operations
    // short; the coefficients are rounded constants.
    constexpr double c3 = 1.0 / 3.0, c5 = 1.0 / 5.0, c7 = 1.0 / 7.0, c9 = 1.0 / 9.0;
    const double series = s2 * ((c3 + c5 * s2) + s4 * (c7 + c9 * s2));
    return p.e * 0.6931471805599453 + (2.0 * s + 2.0 * s * series) + p.invalid;
}

}  // namespace detail

// ln t as above; NaN for t that is not a normal positive finite number.
inline double quickLog(double t)
{
    const detail::LogArgument p = detail::splitForLog(t);
    return detail::logFromParts(p, (p.m - 1.0) / (p.m + 1.0));
}

// quickLog of two numbers with one division between them: s = (m - 1) / (m + 1) of each as
// (m - 1) times the other's m + 1, over the product of both. The few more roundings keep the
// result within the bound above.
inline void quickLogPair(double t1, double t2, double& log1, double& log2)
{
    const detail::LogArgument p1 = detail::splitForLog(t1);
    const detail::LogArgument p2 = detail::splitForLog(t2);
    const double plus1 = p1.m + 1.0;
    const double plus2 = p2.m + 1.0;
    const double over = 1.0 / (plus1 * plus2);
    log1 = detail::logFromParts(p1, (p1.m - 1.0) * plus2 * over);
    log2 = detail::logFromParts(p2, (p2.m - 1.0) * plus1 * over);
}

}  // namespace montemex
