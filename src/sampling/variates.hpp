// Elementary variates of the sampling library. Every routine takes its random source first
// (source.hpp: the host's numbers in the modules, a standard engine or scripted numbers elsewhere)
// and draws exactly one uniform or normal number from it.
#pragma once

#include <cmath>

namespace montemex {

// A double strictly inside (0, 1), as the source gives it.
template <typename Source>
double drawUniform(Source& source)
{
    return source.uniform();
}

// A standard normal number, as the source gives it.
template <typename Source>
double drawNormal(Source& source)
{
    return source.normal();
}

// An integer in 0 ... n - 1 (n >= 1): u * n truncated toward zero. For every u below 1 the
// product rounds below n, so n itself never comes back.
template <typename Source>
int drawIndex(Source& source, int n)
{
    double u = drawUniform(source);
    return static_cast<int>(u * n);
}

// Standard exponential (rate 1): -ln(u).
template <typename Source>
double drawExponential(Source& source)
{
    double u = drawUniform(source);
    return -std::log(u);
}

// Standard Cauchy: tan(pi * (u - 0.5)), the half subtracted first.
template <typename Source>
double drawCauchy(Source& source)
{
    double u = drawUniform(source);
    return std::tan(3.141592653589793 * (u - 0.5));
}

}  // namespace montemex
