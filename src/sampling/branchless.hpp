// Picking one of two doubles by a comparison without a branch, for loops whose comparisons come
// out at random (the resampling walks, where expected counts spread around 1 make a branch
// mispredict every other particle).
//
// g++ turns a plain `a >= b ? x : y` on doubles into a branch whatever the odds; with SSE2 (every
// x86-64 processor, and the 32-bit builds, which need -msse2) the comparison gives a bit mask that
// picks x or y instead. Elsewhere the plain form.
#pragma once

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define MONTEMEX_HAVE_SSE2 1
#include <emmintrin.h>
#endif

#include "compare.hpp"

namespace montemex {

#ifdef MONTEMEX_HAVE_SSE2
namespace detail {

inline double pickByMask(__m128d mask, double x, double y)
{
    return _mm_cvtsd_f64(_mm_or_pd(_mm_and_pd(mask, _mm_set_sd(x)), _mm_andnot_pd(mask, _mm_set_sd(y))));
}

}  // namespace detail
#endif

// a <= b ? x : y
inline double pickIfAtMost(double a, double b, double x, double y)
{
#ifdef MONTEMEX_HAVE_SSE2
    return detail::pickByMask(_mm_cmple_sd(_mm_set_sd(a), _mm_set_sd(b)), x, y);
#else
    return a <= b ? x : y;
#endif
}

// a >= b ? x : y
inline double pickIfAtLeast(double a, double b, double x, double y)
{
#ifdef MONTEMEX_HAVE_SSE2
    return detail::pickByMask(_mm_cmpge_sd(_mm_set_sd(a), _mm_set_sd(b)), x, y);
#else
    return a >= b ? x : y;
#endif
}

// legacyAtLeast(a, b) ? x : y (compare.hpp): in the legacy build a NaN operand picks x.
inline double pickIfLegacyAtLeast(double a, double b, double x, double y)
{
#ifdef MONTEMEX_HAVE_SSE2
    // "Not less than" holds for a >= b and for unordered operands.
    const __m128d mask =
        kLegacyBuild ? _mm_cmpnlt_sd(_mm_set_sd(a), _mm_set_sd(b)) : _mm_cmpge_sd(_mm_set_sd(a), _mm_set_sd(b));
    return detail::pickByMask(mask, x, y);
#else
    return legacyAtLeast(a, b) ? x : y;
#endif
}

}  // namespace montemex
