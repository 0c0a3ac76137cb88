// The expected-count step shared by residual, stratified and deterministic resampling: among n
// particles, particle i expects (w[i] / total) * n copies, the quotient formed first.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "progress.hpp"

namespace montemex {

// The total of the weights, and the factor each weight is multiplied by before use: 1, unless
// every weight is finite but their sum overflows.
//
// Then the weights are scaled by the power of two that brings the largest below 1 (exactly, for
// all but subnormal results), so that the resample is the one the same weights scaled down give:
// [1e308 1e308 1e308] resamples as [1 1 1] does.
struct WeightTotal {
    double total = 0.0;
    double scale = 1.0;
};

// Whether a total gives a distribution: positive and finite. Zero, NaN, infinite (an infinite
// weight) and negative totals give the results their arithmetic gives, which mean nothing.
inline bool isProperTotal(double total)
{
    return total > 0.0 && total <= DBL_MAX;
}

namespace detail {

template <typename Progress>
double sumScaled(const double* w, std::size_t n, double scale, Progress& progress)
{
    double total = 0.0;
    for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        for (std::size_t i = begin; i < end; ++i) total = total + w[i] * scale;
        progress(end - begin);
    }
    return total;
}

// The power of two that brings the largest |w[i]| below 1, or 0 when a weight is not finite.
template <typename Progress>
double overflowScale(const double* w, std::size_t n, Progress& progress)
{
    double largest = 0.0;
    for (std::size_t begin = 0; begin < n; begin = chunkEnd(begin, n)) {
        const std::size_t end = chunkEnd(begin, n);
        for (std::size_t i = begin; i < end; ++i) {
            const double a = std::fabs(w[i]);
            if (!(a <= DBL_MAX)) return 0.0;
            if (a > largest) largest = a;
        }
        progress(end - begin);
    }
    int exponent = 0;
    std::frexp(largest, &exponent);  // largest = f * 2^exponent, 0.5 <= f < 1
    return std::ldexp(1.0, -exponent);
}

}  // namespace detail

// w[0] * scale + ... + w[n-1] * scale, added in ascending order, with the scale chosen as above.
template <typename Progress = NoProgress>
WeightTotal totalWeight(const double* w, std::size_t n, Progress&& progress = Progress{})
{
    WeightTotal result;
    result.total = detail::sumScaled(w, n, 1.0, progress);
    if (std::isinf(result.total)) {
        const double scale = detail::overflowScale(w, n, progress);
        if (scale > 0.0) {
            result.scale = scale;
            result.total = detail::sumScaled(w, n, scale, progress);
        }
    }
    return result;
}

// A count that rounding left below the whole number k >= 1 by no more than the rounding error
// of its computation counts as k; a count above k, or NaN, is left alone.
//
// Summing n weights, dividing and multiplying can each be off by a unit in the last place, so the
// bound is (n + 2) units of 2^-52, relative. Without it equal weights often lose their whole
// copies: (1 / 49) * 49 is 1 - 2^-53, and with weights 1/N each the total itself is off by up to
// about N units.
inline double snapToWhole(double count, std::size_t n)
{
    const double k = std::ceil(count);
    const double shortfall = k - count;
    if (k >= 1.0 && shortfall > 0.0 && shortfall <= static_cast<double>(n + 2) * DBL_EPSILON * k) return k;
    return count;
}

namespace detail {

// What maySnapToWhole needs to know of n: n + 2, and the largest count its cheap test takes
// (see there); 0 when n is too large for it.
struct SnapLimits {
    double n2 = 0.0;
    double largest = 0.0;
};

inline SnapLimits snapLimits(std::size_t n)
{
    SnapLimits limits;
    limits.n2 = static_cast<double>(n + 2);
    limits.largest = limits.n2 <= 0x1p40 ? 0x1p47 / limits.n2 : 0.0;
    return limits;
}

// Positive where snapToWhole may change count (maySnapToWhole).
inline double snapCheck(double count, const SnapLimits& limits)
{
    // Positive when count lies less than twice the largest snap window below its nearest whole
    // number (in range, a positive distance is at least 2^-53: the product does not underflow).
    const double below = ((count + 0x1p52) - 0x1p52) - count;
    const double window = 2.0 * limits.n2 * DBL_EPSILON * (count + 1.0);
    const double closeness = below * (window - below);
    // Positive beyond the range of that test.
    const double over = count - limits.largest;
    return closeness > over ? closeness : over;
}

}  // namespace detail

// Whether snapToWhole(count, n) may change count: false only where it certainly leaves count as
// it is, and cheaper to tell than snapToWhole itself (no rounding up, no branch that goes either
// way).
//
// snapToWhole changes only positive finite counts. For count in [0, 2^47 / (n + 2)] with
// n + 2 <= 2^40, the snap window (n + 2) eps k is below 1/8 for k = ceil(count) <= count + 1,
// so a count that snaps lies less than the window below its nearest whole number r; r comes from
// adding and removing 2^52, exact below 2^51. Larger counts always go to snapToWhole.
inline bool maySnapToWhole(double count, std::size_t n)
{
    return detail::snapCheck(count, detail::snapLimits(n)) > 0.0;
}

// A particle's expected count among n: (weight / total) * n, the quotient formed first, with the
// weight scaled as totalWeight says and the rounding shortfall made good (snapToWhole).
inline double expectedCount(double weight, const WeightTotal& total, std::size_t n)
{
    const double count = (weight * total.scale / total.total) * static_cast<double>(n);
    return maySnapToWhole(count, n) ? snapToWhole(count, n) : count;
}

// The resampling walks take the particles a slice of kSliceParticles at a time; SliceCounts holds
// the expected counts of a slice: the quotient, and maySnapToWhole's test (positive where
// snapToWhole must look).
//
// A whole slice runs through a loop of a count the compiler knows, which it vectorises.
inline constexpr std::size_t kSliceParticles = 256;

struct SliceCounts {
    double quotients[kSliceParticles];
    double checks[kSliceParticles];

    // expectedCount of particle k of the slice.
    double count(std::size_t k, std::size_t n) const
    {
        return checks[k] > 0.0 ? snapToWhole(quotients[k], n) : quotients[k];
    }
};

// Fills the slice's counts for w[0 ... count), count <= kSliceParticles (the rest is left as it
// is).
inline void expectedCounts(const double* w, std::size_t count, const WeightTotal& total, std::size_t n,
                           SliceCounts& slice)
{
    const detail::SnapLimits limits = detail::snapLimits(n);
    const double scale = total.scale, sum = total.total, particles = static_cast<double>(n);
    if (count < kSliceParticles) {
        // The last slice, or all of a small call (a whole slice's divisions for one weight took
        // a third of the call).
        for (std::size_t k = 0; k < count; ++k) {
            slice.quotients[k] = (w[k] * scale / sum) * particles;
            slice.checks[k] = detail::snapCheck(slice.quotients[k], limits);
        }
        return;
    }
    std::memcpy(slice.quotients, w, sizeof slice.quotients);
    for (std::size_t k = 0; k < kSliceParticles; ++k) {
        slice.quotients[k] = (slice.quotients[k] * scale / sum) * particles;
        slice.checks[k] = detail::snapCheck(slice.quotients[k], limits);
    }
}

// Whole copies for a value that reached 1.0: its integer part, but never more than `room`, the
// result elements still free (negative weights can ask for more), and none for NaN (the legacy
// build lets NaN through its tests). Never converts a NaN or an out-of-range double.
inline std::size_t wholeCopies(double value, std::size_t room)
{
    if (!(value >= 1.0)) return 0;
    if (value >= static_cast<double>(room)) return room;
    return static_cast<std::size_t>(value);
}

}  // namespace montemex
