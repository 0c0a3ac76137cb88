// The montemex sampling library without any host: gamma, Student t and flat Dirichlet variates and
// residual-resampling indices, drawn from a standard C++ generator.
//
//   cmake -S examples -B build-example -DCMAKE_PREFIX_PATH=<montemex install prefix>
//   cmake --build build-example && build-example/sampling_example
#include <cstdio>
#include <random>
#include <vector>

#include <montemex/sampling/dirichlet.hpp>
#include <montemex/sampling/gamma.hpp>
#include <montemex/sampling/resampling.hpp>
#include <montemex/sampling/source.hpp>
#include <montemex/sampling/student.hpp>

int main()
{
    // Every number comes from this engine: the same seed gives the same draws.
    std::mt19937_64 engine(2026);
    montemex::StandardSource<std::mt19937_64> source(engine);

    // Gamma variates with shape 2.5, and the same as a chi-square scaled to mean 3 (8 degrees of
    // freedom), as shapedraw(3, 8) draws them.
    std::printf("gamma(2.5):");
    for (int k = 0; k < 4; ++k) std::printf(" %.6f", montemex::drawGamma(source, 2.5));
    std::printf("\nmean 3, 8 degrees of freedom: %.6f\n", montemex::drawGammaByMean(source, 3.0, 8.0));

    // Student t with 5 degrees of freedom.
    std::printf("t(5):");
    for (int k = 0; k < 4; ++k) std::printf(" %.6f", montemex::drawStudentT(source, 5.0));

    // A point uniform on the simplex of four categories: non-negative, summing to 1.
    double point[4];
    montemex::drawFlatDirichlet(source, 4, point);
    std::printf("\nflat Dirichlet: %.6f %.6f %.6f %.6f\n", point[0], point[1], point[2], point[3]);

    // Residual resampling of five particles: whole copies of the expected counts first
    // (particle 2 expects 1 copy, particle 3 expects 2.5), the two places left drawn from the
    // remainders.
    const std::vector<double> weights = {0.1, 0.2, 0.5, 0.1, 0.1};
    std::vector<double> indices(weights.size());
    std::vector<double> scratch(weights.size());
    montemex::drawResidual(source, weights.data(), weights.size(), indices.data(), scratch.data());
    std::printf("residual resampling:");
    for (double index : indices) std::printf(" %.0f", index);
    std::printf("\n");
    return 0;
}
