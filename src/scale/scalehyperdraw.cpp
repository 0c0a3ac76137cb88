// scalehyperdraw: one draw of a scale y from its conditional density in a hierarchical model of
// variances.
//
//   y = scalehyperdraw(S, nu0, nu, H, N)
//
// Density (generalized inverse Gaussian):
//   p(y) ~ y^((nu*N - nu0)/2 - 1) * exp(-S*nu0/(2y) - nu*N*y/(2H)),   y > 0,
// the posterior of y with a scaled inverse chi-square prior (nu0 degrees of freedom, scale S)
// given N variances, each scaled inverse chi-square with nu degrees of freedom and scale y, whose
// harmonic mean is H. The draw is made by adaptive rejection sampling (ars.hpp) of x = -log y,
// whose log-density
//   h(x) = (nu0 - nu*N)/2 * x - (S*nu0/2) * e^x - (nu*N/(2H)) * e^-x
// is concave, starting the searches at y = S with step log(1/sqrt(nu0) + 1).
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "mex.h"
#include "mex/arguments.hpp"
#include "mex/errors.hpp"
#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "sampling/ars.hpp"

using namespace montemex;

namespace {

const char* const kName = "scalehyperdraw";

// Whether the rejection warning has been written since the module was loaded: the first draw to
// reject kWarningRejections proposals writes it, as soon as it has rejected them.
bool arsWarned = false;

// The constants of h, handed to scaleLogDensity through ars.
struct ScaleParams {
    double recipS;   // 1/S
    double linCoef;  // nu0 - N*nu
    double nu0;
    double nu;
    double nOverH;  // (1/H)*N
};

double scaleLogDensity(double x, double& slopeOut, void* data)
{
    const ScaleParams& p = *static_cast<const ScaleParams*>(data);
    const double e = std::exp(x);
    slopeOut = (p.linCoef / 2.0 - (e * p.nu0) / (2.0 * p.recipS)) + (p.nu * p.nOverH) / (2.0 * e);
    return (x * p.linCoef / 2.0 - (e * p.nu0) / (2.0 * p.recipS)) - (p.nu * p.nOverH) / (2.0 * e);
}

bool isWithin(double value, double low, double high)
{
    return value >= low && value <= high;
}

// The range in which the sampler's double arithmetic is sound: acceptance ratios are accurate to
// about 1e-5, the start searches end within a few dozen steps, and no draw of y over- or
// underflows.
//
// Below 1e-4 degrees of freedom the density becomes so flat that the sampler's flat-slope rule
// can keep it from ever adapting.
bool isInWorkingRange(double s, double nu0, double nu, double h, double n)
{
    return isWithin(s, 1e-100, 1e100) && isWithin(h, 1e-100, 1e100) && isWithin(nu0, 1e-4, 1e8) && nu <= 1e8 &&
           n <= 1e8 && isWithin(nu * n, 1e-4, 1e8);
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkInputCount(kName, nrhs == 5);
    checkOutputCount(kName, nlhs);
    for (int k = 0; k < 5; ++k) {
        requireRealNumeric(kName, prhs[k]);
        if (mxIsEmpty(prhs[k])) raiseError(kName, "notPositive", "Arguments must be positive finite numbers.");
    }
    const double s = mxGetScalar(prhs[0]);
    const double nu0 = mxGetScalar(prhs[1]);
    const double nu = mxGetScalar(prhs[2]);
    const double n = mxGetScalar(prhs[4]);
    const double h = mxGetScalar(prhs[3]);
    for (double value : {s, nu0, nu, h, n}) {
        if (!(value > 0.0) || !std::isfinite(value)) {
            raiseError(kName, "notPositive", "Arguments must be positive finite numbers.");
        }
    }
    if (!isInWorkingRange(s, nu0, nu, h, n)) {
        raiseError(kName, "outOfRange", "Arguments are outside the range the sampler handles.");
    }

    ScaleParams params;
    params.recipS = 1.0 / s;
    params.linCoef = nu0 - n * nu;
    params.nu0 = nu0;
    params.nu = nu;
    params.nOverH = (1.0 / h) * n;
    const double xStart = std::log(params.recipS);
    const double step = std::log(1.0 / std::sqrt(nu0) + 1.0);

    HostSource source(kName);
    Hull hull;
    InterruptPoll poll;
    // A hopeless draw makes 100000 proposals, a host call each: Ctrl-C must reach it meanwhile.
    const auto progress = [&](std::size_t steps) { poll(steps + source.takeWork()); };
    // Written at once, before the draw's next proposal, and once while the module stays loaded.
    const auto warnOnce = [] {
        if (arsWarned) return;
        std::fprintf(stderr, "WARNING: More than 10000 rejections in ars\n");
        arsWarned = true;
    };
    const ArsDraw draw = ars(source, hull, xStart, step, scaleLogDensity, &params, warnOnce, progress);
    source.release();
    switch (draw.status) {
    case ArsStatus::Drawn: break;
    case ArsStatus::NoStart:
        // The searches draw nothing: this is still part of checking the arguments.
        raiseError(kName, "tooFarFromS", "The density lies too far from S for double precision.");
    case ArsStatus::BadDensity: raiseError(kName, "badEnvelope", "The sampler's envelope is not finite.");
    case ArsStatus::TooManyProposals:
        raiseError(kName, "tooManyProposals", "No candidate was accepted in 100000 proposals.");
    }

    // Created only now, so that no error leaves an array behind.
    plhs[0] = mxCreateDoubleMatrix(1, 1, mxREAL);
    *mxGetPr(plhs[0]) = std::exp(-draw.x);
}
