// psivalue: the digamma function psi(x) = d/dx ln(Gamma(x)), element by element. The result is
// shaped like the input's leading matrix (rows by columns); an input that holds no values gives
// 0-by-0 (element_map.hpp).
//
// Arguments up to 5 are shifted upward with the recurrence psi(x) = psi(x + 1) - 1/x until they
// exceed 5; there the usual asymptotic series in Bernoulli numbers
//   psi(x) ~ ln x - 1/(2x) - sum_k B_2k / (2k x^2k)
// is summed up to its eighth term, B_16 / (16 x^16).
//
// The recurrence adds 1.0 to x once per step, so an argument far below zero costs one step per
// unit, and at or below -(2^53 + 4) (and at -Inf) x + 1.0 rounds back to x and the loop would
// never end. Below kReflectionBelow the reflection formula
//   psi(x) = psi(1 - x) - pi / tan(pi x)
// is used instead, with psi(1 - x) from the same expansion (1 - x needs no shift there).
#include <cmath>

#include "mex.h"
#include "mex/element_map.hpp"
#include "mex/errors.hpp"
#include "sampling/avx2.hpp"

using namespace montemex;

namespace {

const char* const kName = "psivalue";

// At most 65542 shift steps per element; every argument from here up keeps the plain recurrence.
const double kReflectionBelow = -65536.0;
const double kPi = 3.141592653589793;

// The series S(y) = y(-1/12 + y(1/120 + ... + y(-1/12 + 3617y/8160))) for y = 1/x^2.
double series(double y)
{
    double s = 3617.0 * y / 8160.0 + -0.08333333333333333;  // B_16 term, then B_14: -1/12
    s = s * y + 0.021092796092796094;                       // 691/32760
    s = s * y + -0.007575757575757576;                      // -1/132
    s = s * y + 0.004166666666666667;                       // 1/240
    s = s * y + -0.003968253968253968;                      // -1/252
    s = s * y + 0.008333333333333333;                       // 1/120
    s = s * y + -0.08333333333333333;                       // -1/12
    return s * y;
}

// The expansion for a shifted x > 5, added to the sum of the shift steps, given ln x:
// ((sum + ln x) - 0.5/x) + S(1/(x x)).
double expansion(double sum, double x, double logX)
{
    return ((sum + logX) - 0.5 / x) + series(1.0 / (x * x));
}

double addExpansion(double sum, double x)
{
    return expansion(sum, x, std::log(x));
}

// For x below kReflectionBelow. Every double below -2^52 is a negative integer; there, as at
// every negative integer, the result is the pole value -Inf the recurrence gives. psi has no
// limit at -Inf: NaN.
double reflect(double x)
{
    if (x == -INFINITY) return NAN;
    const double r = x - std::round(x);  // exact, in [-0.5, 0.5]; tan has period pi
    if (r == 0.0) return -INFINITY;
    return addExpansion(0.0, 1.0 - x) - kPi / std::tan(kPi * r);
}

// Shifts x up by the recurrence until it exceeds 5 (at once for NaN); returns the sum of the
// steps' -1/x.
double shift(double& x)
{
    double sum = 0.0;
    while (x <= 5.0) {
        sum = sum - 1.0 / x;
        x = x + 1.0;
    }
    return sum;
}

double digamma(double x)
{
    if (x < kReflectionBelow) return reflect(x);
    const double sum = shift(x);
    return addExpansion(sum, x);
}

// The work of one digamma: one step per shift, and one for the expansion.
std::size_t shiftSteps(double x)
{
    if (x >= kReflectionBelow && x <= 5.0) return static_cast<std::size_t>(6.0 - x);
    return 1;
}

// The digamma of a whole chunk, x[0 ... kMapChunk), with the same operations for every element
// as digamma: first each element's shift steps and logarithm, one element after another, then the
// series and the sums of all of them in one loop of independent iterations and a count the
// compiler knows, which it turns into vector instructions (divisions are correctly rounded there
// as well). That loop was most of the time of large calls. Elements below kReflectionBelow are
// handled separately.
void digammaChunk(const double* x, double* y, InterruptPoll& poll)
{
    double shifted[kMapChunk];
    double sums[kMapChunk];
    double logs[kMapChunk];
    bool reflected = false;
    for (std::size_t k = 0; k < kMapChunk; ++k) {
        double v = x[k];
        if (v < kReflectionBelow) {
            reflected = true;
            v = 6.0;  // a stand-in, replaced below
        }
        sums[k] = shift(v);
        shifted[k] = v;
        logs[k] = std::log(v);
        poll(shiftSteps(x[k]));
    }
    for (std::size_t k = 0; k < kMapChunk; ++k) y[k] = expansion(sums[k], shifted[k], logs[k]);
    if (!reflected) return;
    for (std::size_t k = 0; k < kMapChunk; ++k) {
        if (x[k] < kReflectionBelow) y[k] = reflect(x[k]);
    }
}

#ifdef MONTEMEX_AVX2_COPIES
// The same for processors with AVX2 (sampling/avx2.hpp): the loop of the series takes four
// elements per instruction instead of two.
__attribute__((target("avx2"), flatten)) void digammaChunkAvx2(const double* x, double* y, InterruptPoll& poll)
{
    digammaChunk(x, y, poll);
}
#endif

void fillDigamma(const double* x, double* y, std::size_t count, InterruptPoll& poll)
{
    if (count == kMapChunk) {
#ifdef MONTEMEX_AVX2_COPIES
        if (hasAvx2()) {
            digammaChunkAvx2(x, y, poll);
            return;
        }
#endif
        digammaChunk(x, y, poll);
        return;
    }
    for (std::size_t k = 0; k < count; ++k) {
        y[k] = digamma(x[k]);
        poll(shiftSteps(x[k]));
    }
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkInputCount(kName, nrhs == 1);
    checkOutputCount(kName, nlhs);
    mapElements(kName, prhs[0], &plhs[0], fillDigamma);
}
