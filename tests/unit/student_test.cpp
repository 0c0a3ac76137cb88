// Student t variates of the sampling library, fed with scripted numbers: each kind of degrees of
// freedom with the draws it takes.
#include <gtest/gtest.h>

#include <cmath>

#include "scripted_source.hpp"
#include "student.hpp"

using montemex::test::ScriptedSource;
using namespace montemex;

TEST(Student, EachDegreesOfFreedomTurnsTheNormalIntoATVariateWithItsOwnDraws)
{
    volatile double z = 1.25, u = 0.8;  // volatile: computed at run time, as the library does

    // nu = 1: z over one more normal.
    ScriptedSource one{{}, {-0.5}};
    EXPECT_EQ(studentFromNormal(one, z, 1.0), -2.5);
    EXPECT_EQ(one.normalsUsed, 1u);

    // nu = 2: sqrt(2) (u - 1/2) / sqrt(u - u^2) for one uniform u; z plays no part.
    ScriptedSource two{{u}};
    EXPECT_EQ(studentFromNormal(two, z, 2.0), std::sqrt(2.0) * (u - 0.5) / std::sqrt(u - u * u));
    EXPECT_EQ(two.uniformsUsed, 1u);

    // Other nu: z sqrt(nu) / sqrt(2 g) for g a gamma variate of shape nu / 2. With u = v = 1/2
    // the rejection method accepts its first candidate, shape - 1.
    ScriptedSource five{{0.5, 0.5}};
    EXPECT_EQ(studentFromNormal(five, z, 5.0), z * std::sqrt(5.0) / std::sqrt(2.0 * 1.5));
    EXPECT_EQ(five.uniformsUsed, 2u);
    // nu = 1.5: the boost path, its own uniform first, then g(1.75) = 0.75 scaled by 0.25^(4/3).
    volatile double quarter = 0.25;
    ScriptedSource boost{{quarter, 0.5, 0.5}};
    const double g = 0.75 * std::pow(quarter, 1.0 / 0.75);
    EXPECT_EQ(studentFromNormal(boost, z, 1.5), z * std::sqrt(1.5) / std::sqrt(2.0 * g));
    EXPECT_EQ(boost.uniformsUsed, 3u);

    // Draws nothing: huge nu gives the limit z; tiny nu a gamma variate equal to its shape (z up
    // to rounding); NaN, 0 and negative nu give NaN.
    ScriptedSource none{{}};
    EXPECT_EQ(studentFromNormal(none, z, INFINITY), 1.25);
    EXPECT_EQ(studentFromNormal(none, z, 0x1p1021), 1.25);
    EXPECT_NEAR(studentFromNormal(none, z, 1e-6), 1.25, 1e-15);
    for (double bad : {double(NAN), 0.0, -3.0}) EXPECT_TRUE(std::isnan(studentFromNormal(none, z, bad))) << bad;
    EXPECT_EQ(none.uniformsUsed + none.normalsUsed, 0u);

    // drawStudentT draws the normal z first.
    ScriptedSource both{{}, {1.25, -0.5}};
    EXPECT_EQ(drawStudentT(both, 1.0), -2.5);

    // What each kind is certain to draw.
    EXPECT_EQ(minimumStudentDraws(1.0).normals, 1u);
    EXPECT_EQ(minimumStudentDraws(2.0).uniforms, 1u);
    EXPECT_EQ(minimumStudentDraws(5.0).uniforms, 2u);
    EXPECT_EQ(minimumStudentDraws(1.5).uniforms, 3u);
    EXPECT_EQ(minimumStudentDraws(INFINITY).uniforms + minimumStudentDraws(INFINITY).normals, 0u);
}
