#include "mex/bootstrap_call.hpp"

#include <cstdio>

#include "mex/errors.hpp"
#include "mex/host_random.hpp"
#include "mex/memory_limit.hpp"

namespace montemex {

BootstrapCall readBootstrapCall(const char* function, int nrhs, const mxArray* prhs[], int bIndex, std::size_t n,
                                const WeightMismatch& mismatch)
{
    BootstrapCall call;
    if (nrhs > bIndex) {
        if (!shapeOf(prhs[bIndex]).isScalarLike()) raiseError(function, "bNotScalar", "B must be a scalar.");
        call.draws = readSize(function, prhs[bIndex]);
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

std::size_t blockDraws(std::size_t n, std::size_t remaining)
{
    if (kOneNumberPerHostCall || remaining == 0) return 1;
    std::size_t draws = n == 0 ? remaining : kMaxBlockNumbers / n;
    if (draws < 1) draws = 1;
    return draws < remaining ? draws : remaining;
}

double blockBytes(std::size_t n, std::int64_t draws)
{
    if (n == 0 || draws == 0) return 0.0;
    const double perBlock = n >= kMaxBlockNumbers ? 1.0 : static_cast<double>(kMaxBlockNumbers / n);
    const double block = static_cast<double>(draws) < perBlock ? static_cast<double>(draws) : perBlock;
    return bytesOfDoubles(block * static_cast<double>(n));
}

void checkUnseenDraws(const char* function, double resultCount, std::size_t n, std::int64_t draws)
{
    const double numbers = static_cast<double>(n) * static_cast<double>(draws);
    if (resultCount > 0.0 || numbers <= kMaxUnseenNumbers) return;
    char message[200];
    std::snprintf(message, sizeof message,
                  "The result is empty, yet the call would draw %.3g random numbers for it; at most %.0f are drawn "
                  "for an empty result.",
                  numbers, kMaxUnseenNumbers);
    raiseError(function, "tooManyDraws", message);
}

mxArray* fetchUniformColumns(const char* function, std::size_t n, std::size_t draws)
{
    mxArray* block = nullptr;
    drawHostArray(function, &block, "rand", n, draws);
    return block;
}

}  // namespace montemex
