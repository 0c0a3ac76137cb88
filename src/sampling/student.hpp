// Student t variates (location 0, scale 1), density
//   Gamma((nu+1)/2) / (sqrt(nu pi) Gamma(nu/2)) (1 + t^2/nu)^(-(nu+1)/2).
//
// studentFromNormal(source, z, nu) turns a standard normal z, already drawn, into a t variate:
//   nu == 1   z / y for one more normal y (a ratio of normals is Cauchy)
//   nu == 2   sqrt(2) (u - 1/2) / sqrt(u - u^2) for one uniform u, the inverse of the t(2)
//             distribution function; z is not used
//   other     z sqrt(nu) / sqrt(2 g) for g = drawGamma(nu / 2), 2g being chi-square with nu
//             degrees of freedom
// Degrees of freedom so large that nu/2 is a huge gamma shape (nu = +Inf, or 2^1021, about
// 2.2e307, and more) give the limit of the distribution, z itself, drawing nothing.
// drawStudentT(source, nu) draws z first, then the rest.
#pragma once

#include <cmath>
#include <cstddef>

#include "gamma.hpp"
#include "variates.hpp"

namespace montemex {

// The numbers studentFromNormal is certain to draw for nu, by kind.
struct StudentDraws {
    std::size_t uniforms = 0;
    std::size_t normals = 0;
};

inline StudentDraws minimumStudentDraws(double nu)
{
    StudentDraws draws;
    if (nu == 1.0) {
        draws.normals = 1;
    } else if (nu == 2.0) {
        draws.uniforms = 1;
    } else {
        draws.uniforms = minimumGammaUniforms(nu / 2.0);
    }
    return draws;
}

// Whether studentFromNormal draws a gamma variate for nu: for every nu but 1 and 2.
inline bool studentUsesGamma(double nu)
{
    return nu != 1.0 && nu != 2.0;
}

// The t variate from z and a drawn g = drawGamma(nu / 2), where studentUsesGamma(nu).
inline double studentFromGamma(double z, double g, double nu)
{
    return (z * std::sqrt(nu)) / std::sqrt(2.0 * g);
}

template <typename Source>
double studentFromNormal(Source& source, double z, double nu)
{
    if (nu == 1.0) {
        const double y = drawNormal(source);
        return z / y;
    }
    if (nu == 2.0) {
        const double u = drawUniform(source);
        return (std::sqrt(2.0) * (u - 0.5)) / std::sqrt(u - u * u);
    }
    const double shape = nu / 2.0;
    if (isHugeGammaShape(shape)) return z;
    return studentFromGamma(z, drawGamma(source, shape), nu);
}

template <typename Source>
double drawStudentT(Source& source, double nu)
{
    const double z = drawNormal(source);
    return studentFromNormal(source, z, nu);
}

}  // namespace montemex
