#include "bootstrap/bootstrap_weights.hpp"

#include <cmath>

#include "common/build_flavour.hpp"
#include "common/host_random.hpp"

namespace montemex {

double drawBootstrapWeights(double* u, std::size_t n, const double* w)
{
    double total = 0.0;
    if (w == nullptr) {
        for (std::size_t i = 0; i < n; ++i) {
            u[i] = -std::log(u[i]);
            total += u[i];
        }
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            u[i] = (-std::log(u[i])) * w[i];
            total += u[i];
        }
    }
    return total;
}

std::size_t chunkDraws(std::size_t n, std::size_t remaining)
{
    if (kOneNumberPerHostCall || remaining == 0) return 1;
    std::size_t draws = n == 0 ? remaining : kMaxChunkNumbers / n;
    if (draws < 1) draws = 1;
    return draws < remaining ? draws : remaining;
}

mxArray* fetchUniformColumns(std::size_t n, std::size_t draws)
{
    mxArray* chunk = nullptr;
    drawHostArray(&chunk, "rand", static_cast<double>(n), static_cast<double>(draws));
    return chunk;
}

}  // namespace montemex
