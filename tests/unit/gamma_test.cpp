// Gamma and beta variates of the sampling library, fed with scripted numbers.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "gamma.hpp"
#include "scripted_source.hpp"
#include "seeded_source.hpp"

using montemex::test::ScriptedSource;
using montemex::test::SeededSource;
using namespace montemex;

namespace {

const double kInf = INFINITY;
const double kNaN = NAN;

// drawGamma(a) with the given uniforms, expecting all of them to be used.
double gammaFrom(double a, std::vector<double> uniforms)
{
    ScriptedSource source{uniforms};
    double g = drawGamma(source, a);
    EXPECT_EQ(source.uniformsUsed, uniforms.size()) << "shape " << a;
    return g;
}

}  // namespace

TEST(Gamma, ShapesOutsideTheMethodsComeBackWithoutADraw)
{
    const double justBelowTiny = std::nextafter(0.00001, 0.0);
    for (double a : {0.0, -0.0, -2.0, -kInf, justBelowTiny, 1e-300, 4.9e-324}) {
        EXPECT_EQ(gammaFrom(a, {}), a) << a;
        EXPECT_EQ(minimumGammaUniforms(a), 0u);
    }
    EXPECT_TRUE(std::isnan(gammaFrom(NAN, {})));
    // Shapes too large for the rejection method: the shape itself. Above DBL_MAX / 12, c / w
    // overflows for every uniform and the method would never accept.
    for (double a : {kInf, DBL_MAX, DBL_MAX / 2.9, DBL_MAX / 4, DBL_MAX / 11.9, 0x1p1020}) {
        EXPECT_TRUE(isHugeGammaShape(a)) << a;
        EXPECT_EQ(gammaFrom(a, {}), a);
    }
    // The largest shapes below that bound still take the rejection method, and it ends: with
    // u = v = 1/2, y = 0 and the candidate b = a - 1 is accepted.
    for (double a : {std::nextafter(0x1p1020, 0.0), 1e300, 1e20}) {
        EXPECT_FALSE(isHugeGammaShape(a)) << a;
        EXPECT_EQ(gammaFrom(a, {0.5, 0.5}), a - 1.0);
    }
    EXPECT_FALSE(isHugeGammaShape(NAN));
}

TEST(Gamma, BoostPathDrawsItsUniformFirstThenTheRejectionMethodForShapePlusOne)
{
    // Shape 1 is boosted, not exponential: g(2) = 1 from u = v = 1/2, then 1 * 0.3^1.
    EXPECT_EQ(gammaFrom(1.0, {0.3, 0.5, 0.5}), 0.3);
    // Shape exactly 0.00001: a + 1 is exactly 1.00001, which takes the rejection method.
    EXPECT_EQ(1.0 + 0.00001, 1.00001);
    EXPECT_EQ(gammaFrom(0.00001, {1 - 1e-9, 0.5, 0.5}), 9.999000050091618e-06);
    // 0.5^10000 underflows to 0: the clamp gives 1e-15.
    EXPECT_EQ(gammaFrom(1e-4, {0.5, 0.5, 0.5}), 1e-15);
    // A rejected attempt for a + 1 draws two more uniforms before the accepted one.
    EXPECT_EQ(gammaFrom(1.0, {0.25, 0.6, 0.99, 0.5, 0.5}), 0.25);
}

TEST(Gamma, ExponentialPathIsOneUniformStrictlyBetweenOneAnd1point00001)
{
    volatile double u = 0.3;
    const double minusLog = -std::log(u);
    for (double a : {std::nextafter(1.0, 2.0), 1.000005, std::nextafter(1.00001, 0.0)}) {
        EXPECT_EQ(gammaFrom(a, {0.3}), minusLog) << a;
        EXPECT_EQ(minimumGammaUniforms(a), 1u);
    }
    // -log(1 - 2^-53) is about 1.1e-16: clamped.
    EXPECT_EQ(gammaFrom(1.000005, {std::nextafter(1.0, 0.0)}), 1e-15);
    // Exactly 1.00001 takes the rejection method: with u = v = 1/2 the result is a - 1.
    EXPECT_EQ(gammaFrom(1.00001, {0.5, 0.5}), 1.00001 - 1.0);
}

TEST(Gamma, RejectionMethodAcceptsByEitherTestAndRedrawsTwoUniformsPerAttempt)
{
    const double candidate = 1.4677071733467426;        // a = 2, u = 0.6
    EXPECT_EQ(gammaFrom(2.0, {0.6, 0.5}), candidate);   // z <= 1 - 2y^2/x
    EXPECT_EQ(gammaFrom(2.0, {0.6, 0.95}), candidate);  // only the logarithmic test accepts
    // v = 0.99 fails both tests; u = 0.01 gives a negative candidate: each costs two uniforms.
    EXPECT_EQ(gammaFrom(2.0, {0.6, 0.99, 0.01, 0.5, 0.6, 0.5}), candidate);
}

TEST(Gamma, MinimumUniformsAreExactlyWhatADrawAcceptedAtOnceUses)
{
    // u = v = 1/2 is accepted at the first attempt on every path.
    for (double a : {kNaN, -1.0, 0.0, 1e-6, 0.00001, 0.25, 1.0, 1.000001, 1.00001, 1.5, 4.0, 1e6, 1e300, 1e308, kInf}) {
        ScriptedSource source{std::vector<double>(8, 0.5)};
        drawGamma(source, a);
        EXPECT_EQ(source.uniformsUsed, minimumGammaUniforms(a)) << a;
    }
}

TEST(Beta, RatioOfTwoGammasOnTheGridStrictlyInsideTheUnitInterval)
{
    // x = 1, y = 2: 1/3 rounded to a multiple of 2^-52.
    ScriptedSource source{{0.5, 0.5, 0.5, 0.5}};
    double r = drawBeta(source, 2.0, 3.0);
    EXPECT_EQ(r, 0.33333333333333326);
    EXPECT_EQ(source.uniformsUsed, 4u);

    // Exponential paths: x = 1e-15 (clamped), y = -log(1e-300) gives a ratio that rounds to 0,
    // so both are drawn again.
    ScriptedSource redraw{{std::nextafter(1.0, 0.0), 1e-300, 0.5, 0.5}};
    EXPECT_EQ(drawBeta(redraw, 1.000005, 1.000005), 0.5);
    EXPECT_EQ(redraw.uniformsUsed, 4u);

    SeededSource seeded(12345);
    for (int k = 0; k < 20000; ++k) {
        double value = drawBeta(seeded, 0.3, 0.2);
        ASSERT_GT(value, 0.0);
        ASSERT_LT(value, 1.0);
        ASSERT_EQ(std::fmod(value, 0x1p-52), 0.0);
    }
}

TEST(Beta, ShapesThatCouldLoopForEverGiveADefinedValue)
{
    // Not a beta distribution: NaN, nothing drawn.
    for (double bad : {0.0, -1.0, -kInf, kInf, kNaN}) {
        ScriptedSource source{{}};
        EXPECT_TRUE(std::isnan(drawBeta(source, bad, 2.0)));
        EXPECT_TRUE(std::isnan(drawBeta(source, 2.0, bad)));
    }
    // Neither shape draws anything: one look decides, clamped onto the grid inside (0, 1).
    ScriptedSource none{{}};
    EXPECT_EQ(drawBeta(none, 1e-6, 1e-300), 1.0 - 0x1p-52);
    EXPECT_EQ(drawBeta(none, 1e-300, 1e-6), 0x1p-52);
    EXPECT_EQ(drawBeta(none, 1e-300, 1e-300), 0.5);
    EXPECT_EQ(drawBeta(none, 1e308, 1e308), 0.5);  // x + y overflows
    EXPECT_EQ(drawBeta(none, 1e308, 3e307), 1e308 / 1.3e308 + 1.0 - 1.0);

    // Beta(1, 1e280) lies below 1e-279: every ratio rounds to 0 and redrawing stops at the
    // bound with the smallest value inside.
    SeededSource seeded(12345);
    EXPECT_EQ(drawBeta(seeded, 1.0, 1e280), 0x1p-52);
    EXPECT_GE(seeded.uniformsUsed, 5u * kMaxBetaAttempts);
}
