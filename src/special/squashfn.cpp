// squashfn: the hyperbolic tangent, element by element, saturating at exactly +-1. The result is
// shaped like the input's leading matrix (rows by columns); an input that holds no values gives
// 0-by-0 (element_map.hpp).
//
// tanh(x) = 1 - 2 / (exp(2x) + 1), from one exponential. Beyond |x| = 18 the result is +-1
// (tanh(18) is within 5e-16 of 1), and for |x| <= 1.5e-8 it is x itself (tanh(x) = x - x^3/3 + ...
// and there x^3/3 is less than one ulp of x).
//
// Values are never checked and extra inputs go unread; the call is refused only without an
// input, with two or more outputs, or for an input that cannot be read as real numbers.
#include <cmath>

#include "mex.h"
#include "mex/element_map.hpp"
#include "mex/errors.hpp"
#include "sampling/compare.hpp"

using namespace montemex;

namespace {

const char* const kName = "squashfn";

double squash(double x)
{
    const double a = std::fabs(x);
    // The legacy build counts both comparisons as true for NaN, which thus gives 1.0 there.
    if (legacyGreater(a, 18.0)) return legacyGreater(x, 0.0) ? 1.0 : -1.0;
    if (a > 1.5e-8) {
        const double e = std::exp(2.0 * x);
        return 1.0 - 2.0 / (e + 1.0);
    }
    return x;
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkInputCount(kName, nrhs >= 1);
    // Only one result exists: a second output would be left unassigned, which Octave lets
    // through into a cell array ([c{:}] = squashfn(x)) as an undefined value.
    checkOutputCount(kName, nlhs);
    mapElements(kName, prhs[0], &plhs[0], [](const double* x, double* y, std::size_t count, InterruptPoll& poll) {
        for (std::size_t k = 0; k < count; ++k) y[k] = squash(x[k]);
        poll(2 * count);
    });
}
