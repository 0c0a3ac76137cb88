// Comparisons at the places where the legacy build counts a comparison with a NaN operand as true
// (its compiler tested the floating-point flags that way); each routine says where it uses these.
//
// Everywhere else, and in every other build, comparisons follow IEEE rules, under which every
// such comparison is false. The legacy build is compiled with MONTEMEX_LEGACY defined.
#pragma once

namespace montemex {

#ifdef MONTEMEX_LEGACY
inline constexpr bool kLegacyBuild = true;
#else
inline constexpr bool kLegacyBuild = false;
#endif

inline bool isUnordered(double a, double b)
{
    return a != a || b != b;
}

inline bool legacyEqual(double a, double b)
{
    return a == b || (kLegacyBuild && isUnordered(a, b));
}

inline bool legacyLess(double a, double b)
{
    return a < b || (kLegacyBuild && isUnordered(a, b));
}

inline bool legacyAtMost(double a, double b)
{
    return a <= b || (kLegacyBuild && isUnordered(a, b));
}

inline bool legacyGreater(double a, double b)
{
    return a > b || (kLegacyBuild && isUnordered(a, b));
}

inline bool legacyAtLeast(double a, double b)
{
    return a >= b || (kLegacyBuild && isUnordered(a, b));
}

}  // namespace montemex
