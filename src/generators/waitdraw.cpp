// waitdraw: exponential variates with mean mu.
//
//   R = waitdraw(mu)        one variate per element of mu (mu's first two dimensions)
//   R = waitdraw(mu, m, n)  an m-by-n array; mu scalar or exactly m-by-n
//
// Density (mu > 0): f(x) = exp(-x / mu) / mu for x >= 0. Every uniform comes from a single
// rand(m, n) call whose result array becomes R: element i is turned in place into -mu(i) * ln(u).
#include <cmath>

#include "mex.h"
#include "mex/arguments.hpp"
#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"
#include "mex/size_rule.hpp"
#include "sampling/compare.hpp"
#include "sampling/progress.hpp"

using namespace montemex;

namespace {
const char* const kName = "waitdraw";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    ElementwiseCall call = applySizeRule(kName, 1, nlhs, nrhs, prhs);

    drawHostArray(kName, &plhs[0], "rand", call.output);
    double* r = mxGetPr(plhs[0]);
    const std::size_t count = call.count;

    readParameters(call);
    const Parameter& mu = call.parameters[0];
    InterruptPoll poll;
    for (std::size_t begin = 0; begin < count; begin = chunkEnd(begin, count)) {
        const std::size_t end = chunkEnd(begin, count);
        if (mu.isArray()) {
            for (std::size_t i = begin; i < end; ++i) r[i] = (-mu.data.values[i]) * std::log(r[i]);
        } else if (legacyEqual(mu.scalar, 1.0)) {
            // The legacy build counts a NaN mean as equal to 1 here and returns standard exponentials.
            for (std::size_t i = begin; i < end; ++i) r[i] = -std::log(r[i]);
        } else {
            const double negativeMu = -mu.scalar;
            for (std::size_t i = begin; i < end; ++i) r[i] = negativeMu * std::log(r[i]);
        }
        poll(4 * (end - begin));
    }
    releaseParameters(call);
}
