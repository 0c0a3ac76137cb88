#include "mex/bootstrap_call.hpp"

#include "mex/errors.hpp"
#include "mex/host_random.hpp"

namespace montemex {

BootstrapCall readBootstrapCall(const char* function, int nrhs, const mxArray* prhs[], int bIndex, std::size_t n,
                                const WeightMismatch& mismatch)
{
    BootstrapCall call;
    if (nrhs > bIndex) {
        if (!shapeOf(prhs[bIndex]).isScalarLike()) raiseError(function, "bNotScalar", "B must be a scalar.");
        call.draws = static_cast<std::size_t>(readSize(function, prhs[bIndex]));
    }
    if (nrhs > bIndex + 1) {
        const mxArray* w = prhs[bIndex + 1];
        const Shape shape = shapeOf(w);
        if (shape.cols > 1) raiseError(function, "wNotColumn", "W must be a column vector.");
        // A W whose further dimensions are 0 holds no weights at all.
        if (static_cast<std::size_t>(shape.rows) != n || mxGetNumberOfElements(w) < n) {
            raiseError(function, mismatch.reason, mismatch.message);
        }
        requireRealNumeric(function, w);
        call.weights = w;
    }
    return call;
}

std::size_t chunkDraws(std::size_t n, std::size_t remaining)
{
    if (kOneNumberPerHostCall || remaining == 0) return 1;
    std::size_t draws = n == 0 ? remaining : kMaxChunkNumbers / n;
    if (draws < 1) draws = 1;
    return draws < remaining ? draws : remaining;
}

mxArray* fetchUniformColumns(const char* function, std::size_t n, std::size_t draws)
{
    mxArray* chunk = nullptr;
    drawHostArray(function, &chunk, "rand", n, draws);
    return chunk;
}

}  // namespace montemex
