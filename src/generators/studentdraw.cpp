// studentdraw: standard Student t variates with nu degrees of freedom.
//
//   R = studentdraw(nu)        one variate per element of nu (nu's first two dimensions)
//   R = studentdraw(nu, m, n)  an m-by-n array; nu scalar or exactly m-by-n
//
// Density: Gamma((nu+1)/2) / (sqrt(nu pi) Gamma(nu/2)) (1 + t^2/nu)^(-(nu+1)/2).
// One randn(m, n) call gives the normal numerators Z and becomes R; then, element by element in
// column-major order:
//   nu == 1   Z / Y for one more normal Y (a ratio of normals is Cauchy)
//   nu == 2   sqrt(2) (U - 1/2) / sqrt(U - U^2) for one uniform U, the inverse of the t(2)
//             distribution function; Z is not used
//   other     Z sqrt(nu) / sqrt(2 G) for G = drawGamma(nu / 2), 2G being chi-square with nu
//             degrees of freedom
// Degrees of freedom so large that nu/2 is a huge gamma shape (nu = +Inf, or 2^1021, about
// 2.2e307, and more) give the limit of the distribution, Z itself, drawing nothing.
#include <cmath>

#include "common/gamma.hpp"
#include "common/host_random.hpp"
#include "common/size_rule.hpp"
#include "mex.h"

using namespace montemex;

namespace {

const char* const kName = "studentdraw";

// The numbers one element is certain to draw, by kind.
struct Draws {
    std::size_t uniforms = 0;
    std::size_t normals = 0;
};

Draws minimumDraws(double nu)
{
    Draws draws;
    if (nu == 1.0) {
        draws.normals = 1;
    } else if (nu == 2.0) {
        draws.uniforms = 1;
    } else {
        draws.uniforms = minimumGammaUniforms(nu / 2.0);
    }
    return draws;
}

double drawStudent(HostSource& source, double z, double nu)
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
    const double g = drawGamma(source, shape);
    return (z * std::sqrt(nu)) / std::sqrt(2.0 * g);
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    // Negative sizes count as 0 here, so the loop below never runs past what randn returned.
    ElementwiseCall call = applySizeRule(kName, 1, nlhs, nrhs, prhs);
    drawHostArray(&plhs[0], "randn", static_cast<double>(call.output.rows), static_cast<double>(call.output.cols));
    double* r = mxGetPr(plhs[0]);

    readParameters(call);
    const Parameter& nu = call.parameters[0];
    HostSource source;
    // Exact bulk drawing, one run at a time: a run is a stretch of elements none of which draws
    // the other kind of number than the run's first drawing element. Where "rand" and "randn"
    // share one stream, a reserve must not reach past a draw of the other kind, so each reserve
    // covers at most the minimum draws of what is left of its run, and all of it is used
    // before the run ends.
    std::size_t i = 0;
    while (i < call.count) {
        std::size_t end = i;
        Draws run;
        for (; end < call.count; ++end) {
            Draws next = minimumDraws(nu.at(end));
            if ((next.normals > 0 && run.uniforms > 0) || (next.uniforms > 0 && run.normals > 0)) break;
            run.uniforms += next.uniforms;
            run.normals += next.normals;
        }
        for (; i < end; ++i) {
            const double v = nu.at(i);
            const Draws element = minimumDraws(v);
            if (element.uniforms > 0) source.reserveUniforms(run.uniforms);
            if (element.normals > 0) source.reserveNormals(run.normals);
            r[i] = drawStudent(source, r[i], v);
            run.uniforms -= element.uniforms;
            run.normals -= element.normals;
        }
    }
    source.release();
    releaseParameters(call);
}
