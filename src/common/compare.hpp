// Comparisons at the places where the legacy build counts a comparison with a NaN operand as true
// (its compiler tested the floating-point flags that way). The current build follows IEEE rules,
// under which every such comparison is false. Each module says where it uses these.
#pragma once

#include "common/build_flavour.hpp"

namespace montemex {

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
