// The library's four resampling schemes against the plain reference (resampling_reference.hpp),
// and the cheap test in front of snapToWhole against snapToWhole itself.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "resampling.hpp"
#include "resampling_reference.hpp"
#include "same_values.hpp"
#include "scripted_source.hpp"

using namespace montemex;
using namespace montemex::test;

TEST(Resampling, EverySchemeGivesTheReferenceResultsForEveryKindOfWeights)
{
    std::mt19937_64 engine(99);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // Random, equal, mostly zero, a few heavy, negative, NaN, infinite, all zero and overflowing
    // weights, for sizes around the walks' slices of 256 particles and the guided search's
    // threshold; unfilled slots must keep what out held (-7).
    for (int trial = 0; trial < 3000; ++trial) {
        const std::size_t sizes[] = {1, 2, 3, 255, 256, 257, 513, 1000};
        const std::size_t n = sizes[trial % 8];
        std::vector<double> w(n), u(n);
        const int kind = trial / 8 % 9;
        for (std::size_t i = 0; i < n; ++i) {
            const double r = unit(engine);
            w[i] = kind == 0   ? r
                   : kind == 1 ? 1.0
                   : kind == 2 ? (r < 0.9 ? 0.0 : r)
                   : kind == 3 ? std::pow(r, 20.0)
                               : r;
            u[i] = (std::floor(unit(engine) * 8.0) + 0.5) / 8.0;  // ties with acc happen
        }
        if (kind == 4) w[engine() % n] = -w[engine() % n] * 3.0;
        if (kind == 5) w[engine() % n] = NAN;
        if (kind == 6) w[engine() % n] = INFINITY;
        if (kind == 7) std::fill(w.begin(), w.end(), 0.0);
        if (kind == 8) std::transform(w.begin(), w.end(), w.begin(), [](double v) { return v * 1e308; });
        const WeightTotal total = totalWeight(w.data(), n);
        std::vector<double> actual(n, -7.0);
        resampleStratified(w.data(), n, total, u.data(), actual.data());
        ASSERT_TRUE(sameValues(referenceStratified(w, u, -7.0), actual)) << "stratified, kind " << kind << ", n " << n;
        actual.assign(n, -7.0);
        resampleDeterministic(w.data(), n, total, actual.data());
        ASSERT_TRUE(sameValues(referenceDeterministic(w, -7.0), actual))
            << "deterministic, kind " << kind << ", n " << n;

        std::vector<double> table(n);
        std::vector<std::uint32_t> guide(guideSize(n, n));
        resampleMultinomial(w.data(), n, u.data(), actual.data(), table.data(), guide.data());
        ASSERT_TRUE(sameValues(referenceMultinomial(w, u), actual)) << "multinomial, kind " << kind << ", n " << n;
        ScriptedSource source{u};
        std::size_t drawn = 0;
        const auto firstUniforms = [&](std::size_t count) {
            drawn = count;
            return std::vector<double>(u.begin(), u.begin() + static_cast<long>(count));
        };
        drawResidual(source, w.data(), n, actual.data(), table.data());
        ASSERT_TRUE(sameValues(referenceResidual(w, firstUniforms), actual))
            << "residual, kind " << kind << ", n " << n;
        ASSERT_EQ(source.uniformsUsed, drawn);
    }
}

TEST(Resampling, TheCheapTestLetsThroughEveryCountThatSnaps)
{
    // Wherever maySnapToWhole says no, snapToWhole leaves the count as it is: counts just below,
    // at and above whole numbers, tiny, huge, negative and not finite, for small and large n.
    std::mt19937_64 engine(5);
    std::size_t flagged = 0, total = 0;
    // 2^45 particles where std::size_t has room for them (64-bit builds), its largest value otherwise
    const std::size_t huge = sizeof(std::size_t) > 4 ? static_cast<std::size_t>(std::uint64_t(1) << 45) : SIZE_MAX;
    for (std::size_t n : {std::size_t(1), std::size_t(3), std::size_t(1000), std::size_t(1) << 30, huge}) {
        for (int k = 0; k < 200000; ++k) {
            const double whole =
                std::ldexp(1.0, static_cast<int>(engine() % 60)) * static_cast<double>(1 + engine() % 5);
            const double offset = std::ldexp(1.0, -static_cast<int>(engine() % 60)) * (engine() % 2 ? 1.0 : -1.0);
            double count = k % 5 == 0 ? whole : whole * (1.0 + offset * static_cast<double>(n) * DBL_EPSILON);
            if (k % 7 == 0) count = -count;
            if (k % 11 == 0) count = std::ldexp(static_cast<double>(engine() % 100), -1070);
            const double snapped = snapToWhole(count, n);
            if (!maySnapToWhole(count, n)) {
                ASSERT_TRUE(sameBits(snapped, count)) << count << " n " << n;
            }
            flagged += maySnapToWhole(count, n);
            ++total;
        }
    }
    for (double count : {0.0, -0.0, 1.0, DBL_MAX, -DBL_MAX, double(INFINITY), -double(INFINITY), double(NAN)}) {
        const double snapped = snapToWhole(count, 10);
        if (!maySnapToWhole(count, 10)) {
            EXPECT_TRUE(sameBits(snapped, count)) << count;
        }
    }
    EXPECT_LT(flagged * 2, total);  // and the cheap test does turn most counts away
}
