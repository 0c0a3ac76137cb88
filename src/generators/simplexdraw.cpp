// simplexdraw: points drawn uniformly from the probability simplex (flat Dirichlet draws).
//
//   R = simplexdraw(K)     one draw, a K-by-1 column
//   R = simplexdraw(K, M)  M draws, a K-by-M array, one draw per column
//
// A flat Dirichlet variate, Dirichlet(1, ..., 1), has density (K - 1)! on the simplex
// {r : r(i) >= 0, sum(r) = 1}. All K * M uniforms come from one rand(K, M) call whose result
// array becomes R; each column is transformed in place into K exponentials -ln u divided by their
// sum, summed in ascending order (sampling/dirichlet.hpp).
#include "mex.h"
#include "mex/arguments.hpp"
#include "mex/errors.hpp"
#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"
#include "sampling/dirichlet.hpp"

using namespace montemex;

namespace {
const char* const kName = "simplexdraw";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    checkOutputCount(kName, nlhs);
    checkInputCount(kName, nrhs == 1 || nrhs == 2);

    if (!shapeOf(prhs[0]).isScalarLike()) raiseError(kName, "firstNotScalar", "First argument must be a scalar.");
    // Negative sizes count as 0, as in rand itself, so the column loop below always ends.
    const std::int64_t k = readSize(kName, prhs[0]);
    std::int64_t m = 1;
    if (nrhs == 2) {
        if (!shapeOf(prhs[1]).isScalarLike()) raiseError(kName, "secondNotScalar", "Second argument must be a scalar.");
        m = readSize(kName, prhs[1]);
    }
    checkMemory(kName, bytesOfDoubles(static_cast<double>(k) * static_cast<double>(m)));
    const std::size_t count = checkedCount(kName, k, m);

    drawHostArray(kName, &plhs[0], "rand", Shape{k, m});
    if (count == 0) return;
    double* r = mxGetPr(plhs[0]);
    const std::size_t rows = static_cast<std::size_t>(k);
    InterruptPoll poll;
    for (std::size_t column = 0; column < static_cast<std::size_t>(m); ++column) {
        flatDirichletFromUniforms(r + column * rows, rows, poll);
    }
}
