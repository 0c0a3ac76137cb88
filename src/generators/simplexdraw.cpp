// simplexdraw: points drawn uniformly from the probability simplex (flat Dirichlet draws).
//
//   R = simplexdraw(K)     one draw, a K-by-1 column
//   R = simplexdraw(K, M)  M draws, a K-by-M array, one draw per column
//
// A flat Dirichlet variate, Dirichlet(1, ..., 1), has density (K - 1)! on the simplex
// {r : r(i) >= 0, sum(r) = 1}: K standard exponentials e(i) = -ln u(i) divided by their sum are
// such a draw (Devroye 1986, Non-Uniform Random Variate Generation, on uniform spacings). All
// K * M uniforms come from one rand(K, M) call whose result array becomes R; each column is
// transformed in place, its exponentials summed in ascending order.
#include <cmath>

#include "common/arguments.hpp"
#include "common/errors.hpp"
#include "common/host_random.hpp"
#include "mex.h"

using namespace montemex;

namespace {

const char* const kName = "simplexdraw";

// Turns the k uniforms of one column into a flat Dirichlet draw, in place.
void normaliseColumn(double* column, std::size_t k)
{
    double sum = 0.0;
    for (std::size_t r = 0; r < k; ++r) {
        column[r] = -std::log(column[r]);
        sum += column[r];
    }
    for (std::size_t r = 0; r < k; ++r) column[r] = column[r] / sum;
}

}  // namespace

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
    const std::size_t count = checkedCount(kName, k, m);

    drawHostArray(&plhs[0], "rand", static_cast<double>(k), static_cast<double>(m));
    if (count == 0) return;
    double* r = mxGetPr(plhs[0]);
    const std::size_t rows = static_cast<std::size_t>(k);
    for (std::size_t column = 0; column < static_cast<std::size_t>(m); ++column) normaliseColumn(r + column * rows, rows);
}
