// layeredpick: stratified resampling of a weight array, in one pass.
//
//   idx = layeredpick(W)   an array the shape of W's first two dimensions, nondecreasing
//
// Slot p (0-based) receives the particle i whose cumulative expected count S(i) first reaches
// p + U(p+1), with S(i) the sum of (W(j) / sum(W)) * N over j <= i, so each slot draws from its
// own stratum of width one. The running form: acc gathers expected counts; whole units of acc
// fill slots without looking at their uniforms, and what is left competes with the next slot's
// uniform. All N uniforms come from one rand(rows, cols) call made first. Stratified resampling:
// Kitagawa (1996).
#include "common/errors.hpp"
#include "common/host_random.hpp"
#include "mex.h"
#include "resampling/cumulative.hpp"
#include "resampling/weights.hpp"

using namespace montemex;

namespace {
const char* const kName = "layeredpick";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkOutputCount(kName, nlhs);
    checkInputCount(kName, nrhs == 1);
    WeightArray w = readWeights(kName, prhs[0]);
    const std::size_t n = w.count;
    const double* weight = w.values();

    mxArray* uniforms = nullptr;
    drawHostArray(&uniforms, "rand", static_cast<double>(w.shape.rows), static_cast<double>(w.shape.cols));
    const double* u = mxGetPr(uniforms);
    plhs[0] = mxCreateDoubleMatrix(static_cast<mwSize>(w.shape.rows), static_cast<mwSize>(w.shape.cols), mxREAL);
    double* result = mxGetPr(plhs[0]);

    // Each expected count is used once, so none is stored. A NaN acc (zero or non-finite total
    // weight) passes neither test, in both builds: such slots keep 0. Whole units never fill
    // more slots than remain (negative weights can ask for more).
    const double total = sumWeights(weight, n);
    double acc = 0.0;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double index = static_cast<double>(i + 1);
        acc = acc + expectedCount(weight[i], total, n);
        if (acc >= 1.0) {
            std::size_t copies = wholeCopies(acc, n - pos);
            acc = acc - static_cast<double>(copies);
            for (std::size_t c = 0; c < copies; ++c) result[pos++] = index;
        }
        if (pos < n && u[pos] <= acc) {
            result[pos++] = index;
            acc = acc - 1.0;
        }
    }
    mxDestroyArray(uniforms);
    releaseWeights(w);
}
