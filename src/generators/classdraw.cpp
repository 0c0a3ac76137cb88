// classdraw: categorical variates.
//
//   R = classdraw(P)         one index
//   R = classdraw(P, m)      an m-by-1 column of indices
//   R = classdraw(P, m, n)   an m-by-n array of indices
//
// Index k (1-based) has probability P(k) / sum(P). One rand(m, n) call supplies every uniform
// and becomes the result; each uniform is turned in place into 1 + the first position of the
// cumulative table Q = cumsum(P) / sum(P) (last entry exactly 1) that is >= the uniform. The
// probabilities are read and checked after that call, so a refused probability has already
// advanced the host's generator.
#include "mex.h"
#include "mex/arguments.hpp"
#include "mex/errors.hpp"
#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"
#include "mex/weight_call.hpp"
#include "sampling/resampling.hpp"

using namespace montemex;

namespace {
const char* const kName = "classdraw";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkOutputCount(kName, nlhs);
    checkInputCount(kName, nrhs >= 1 && nrhs <= 3);
    requireRealNumeric(kName, prhs[0]);
    if (mxGetNumberOfElements(prhs[0]) == 0) {
        raiseError(kName, "emptyProbabilities", "Probabilities must not be empty.");
    }
    // Sizes are truncated here and handed to "rand" as such, so the result holds exactly the
    // elements that get replaced.
    std::int64_t rows = 1;
    std::int64_t cols = 1;
    if (nrhs >= 2) rows = readSize(kName, prhs[1]);
    if (nrhs == 3) cols = readSize(kName, prhs[2]);
    // The result, and for each probability its place in the table and its guide (half a double),
    // and a converted copy when P is not double.
    const double k = static_cast<double>(valuesShapeOf(prhs[0]).count());
    checkMemory(kName, bytesOfDoubles(static_cast<double>(rows) * static_cast<double>(cols) +
                                      (mxIsDouble(prhs[0]) ? 1.5 : 2.5) * k));
    checkedCount(kName, rows, cols);  // refuses counts that cannot be addressed

    drawHostArray(kName, &plhs[0], "rand", Shape{rows, cols});
    double* result = mxGetPr(plhs[0]);
    const std::size_t count = mxGetNumberOfElements(plhs[0]);

    WeightArray p = readWeights(kName, prhs[0], 0.0);
    double* q = allocateDoubles(p.count);
    InterruptPoll poll;
    if (accumulateWeights(p.values(), q, p.count, 1.0, poll) < p.count) {
        releaseScratch(q);
        releaseWeights(p);
        raiseError(kName, "negativeProbability", "Negative probability.");
    }
    // Probabilities whose sum overflows are scaled down first.
    warnIfDegenerate(kName, accumulateScaled(p.values(), p.count, q, poll));
    normaliseCumulative(q, p.count, poll);
    releaseWeights(p);

    std::uint32_t* guide = allocateIndices(guideSize(p.count, count));
    searchEach(prepareSearch(q, p.count, count, guide, poll), result, result, count, poll);
    releaseScratch(guide);
    releaseScratch(q);
}
