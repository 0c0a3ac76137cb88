// psivalue through the embedded host, against a digamma computed here in long double.
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

// psi in long double (64-bit significand): the recurrence up to x >= 20, the reflection formula
// below -1000, and the asymptotic expansion to its B_20 term, whose first omitted term is
// below 1e-26 at x = 20.
long double referencePsi(long double x)
{
    const long double pi = 3.141592653589793238462643383279502884L;
    if (x < -1000.0L) {
        long double r = x - roundl(x);
        return referencePsi(1.0L - x) - pi / tanl(pi * r);
    }
    long double sum = 0.0L;
    for (; x < 20.0L; x += 1.0L) sum -= 1.0L / x;
    // B_2k / (2k) for k = 1..10.
    const long double coefficients[] = {1.0L / 12,        -1.0L / 120,      1.0L / 252, -1.0L / 240,
                                        1.0L / 132,       -691.0L / 32760,  1.0L / 12,  -3617.0L / 8160,
                                        43867.0L / 14364, -174611.0L / 6600};
    long double y = 1.0L / (x * x), power = y, series = 0.0L;
    for (long double c : coefficients) {
        series += c * power;
        power *= y;
    }
    return sum + logl(x) - 0.5L / x - series;
}

double ulpOf(double v)
{
    v = std::fabs(v);
    return std::nextafter(v, INFINITY) - v;
}

std::vector<double> psivalue(const std::vector<double>& x)
{
    Array input = makeRow(x);
    return outputOf(callModule(Build::Current, "psivalue", 1, {input.get()})).values;
}

}  // namespace

TEST(Psivalue, SpecialValuesAndPoles)
{
    volatile double twoTo52 = 4503599627370496.0;
    const std::vector<double> x = {0.0,
                                   -0.0,
                                   -1.0,
                                   -2.0,
                                   -7.0,
                                   -65536.0,
                                   -65537.0,
                                   -twoTo52 - 1,
                                   -2 * twoTo52,
                                   -2 * twoTo52 - 2,
                                   -2 * twoTo52 - 4,
                                   -1e300,
                                   -DBL_MAX,
                                   NAN,
                                   INFINITY,
                                   -INFINITY};
    const std::vector<double> expected = {-INFINITY, INFINITY,  -INFINITY, -INFINITY, -INFINITY, -INFINITY,
                                          -INFINITY, -INFINITY, -INFINITY, -INFINITY, -INFINITY, -INFINITY,
                                          -INFINITY, NAN,       INFINITY,  NAN};
    EXPECT_TRUE(sameValues(expected, psivalue(x)));

    // Ordinary values against the reference. Below 10 the error is the truncation of the
    // expansion at the shifted point in (5, 6]: at most 6.1e-13 (3e-14 at 6).
    const std::vector<double> points = {1e-9, 1.5e-8, 18, 20, 1, -0.5, 0.5, 2.5, -2.5, -99.5, 1e6};
    std::vector<double> values = psivalue(points);
    for (std::size_t k = 0; k < points.size(); ++k) {
        double reference = static_cast<double>(referencePsi(points[k]));
        double tolerance = points[k] >= 10 ? 4 * ulpOf(reference) : 6.5e-13;
        EXPECT_NEAR(values[k], reference, tolerance) << "x = " << points[k];
    }
    // psi(1) is minus Euler's constant (evaluated at 6), psi(-1/2) = 2 - gamma - 2 ln 2 (at 5.5).
    const long double gamma = 0.577215664901532860606512090082402431L;
    EXPECT_NEAR(values[4], static_cast<double>(-gamma), 3e-14);
    EXPECT_NEAR(values[5], static_cast<double>(2.0L - gamma - 2.0L * logl(2.0L)), 1.5e-13);
}

// 5 still takes a shift step to 6, where the truncated expansion is good to 3e-14; just above 5
// there is no step and the truncation error at 5 is above 1e-13.
TEST(Psivalue, ShiftsWhileAtMostFive)
{
    const double above = std::nextafter(5.0, 6.0);
    std::vector<double> values = psivalue({5.0, above});
    EXPECT_LT(std::fabs(values[0] - static_cast<double>(referencePsi(5.0L))), 3e-14);
    EXPECT_GT(std::fabs(values[1] - static_cast<double>(referencePsi(above))), 1e-13);
}

// Below -65536 the reflection formula replaces the long run of shift steps and is good to a few
// ulps; just above, 65541 shift steps of the recurrence add up to some tens of ulps.
TEST(Psivalue, VeryNegativeArgumentsStayAccurate)
{
    const std::vector<double> x = {-65535.5,   -65535.25,   -65536.5,    -65536.75,
                                   -1e6 - 0.3, -1e12 - 0.5, -3e15 - 0.5, -4503599627370495.5};
    std::vector<double> values = psivalue(x);
    for (std::size_t k = 0; k < x.size(); ++k) {
        double reference = static_cast<double>(referencePsi(x[k]));
        double ulps = x[k] >= -65536 ? 200 : 4;
        EXPECT_NEAR(values[k], reference, ulps * ulpOf(reference)) << "x = " << x[k];
    }
}

// The accuracy figures of the help text: the largest error in ulps over x > 0 on a grid up to
// 1e6, range by range, and the largest relative error on the negative grid down to -100.
TEST(Psivalue, AccuracyOnAGridFromMinus100To1e6)
{
    std::vector<double> x;
    for (int k = 1; k <= 10000; ++k) x.push_back(-100.0 + (k - 0.5) * 0.01);  // never an integer
    for (int k = 1; k <= 100000; ++k) x.push_back(k * 0.001);
    for (int k = 1; k <= 10000; ++k) x.push_back(100.0 * std::pow(10.0, k * 4e-4));  // to 1e6
    std::vector<double> values = psivalue(x);
    ASSERT_EQ(values.size(), x.size());

    // Ranges of x > 0 by their upper ends; psi has its positive zero at 1.4616 in the second.
    const double upper[] = {1.0, 2.0, 5.0, 10.0, 100.0, 1e6};
    double worstUlps[6] = {}, worstAt[6] = {}, worstAbsolute[6] = {};
    double worstNegative = 0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        long double reference = referencePsi(x[k]);
        double error = static_cast<double>(fabsl(static_cast<long double>(values[k]) - reference));
        if (x[k] < 0) {
            worstNegative = std::fmax(worstNegative, error / std::fabs(static_cast<double>(reference)));
            continue;
        }
        int range = 0;
        while (x[k] > upper[range]) ++range;
        double ulps = error / ulpOf(static_cast<double>(reference));
        worstAbsolute[range] = std::fmax(worstAbsolute[range], error);
        if (ulps > worstUlps[range]) {
            worstUlps[range] = ulps;
            worstAt[range] = x[k];
        }
    }
    double lower = 0;
    for (int range = 0; range < 6; ++range) {
        std::printf("psivalue on (%g, %g]: largest error %.3g ulps at x = %.17g, largest absolute error %.3g\n", lower,
                    upper[range], worstUlps[range], worstAt[range], worstAbsolute[range]);
        lower = upper[range];
        EXPECT_LT(worstAbsolute[range], 1e-12);
    }
    std::printf("psivalue on (-100, 0): largest relative error %.3g\n", worstNegative);
    EXPECT_LT(worstUlps[4], 100.0);
    EXPECT_LT(worstUlps[5], 10.0);
    EXPECT_LT(worstNegative, 1e-9);
}

TEST(Psivalue, LongArraysGiveTheValuesOfSingleCalls)
{
    // Arrays are computed a chunk at a time, the series of a whole chunk in one loop; each value
    // must be the one a call on that element alone gives. Every path, a partial last chunk, and a
    // chunk with reflected elements among others.
    std::vector<double> x;
    const double pattern[] = {0.3, 7.5, -2.5, 1e-9, 5.0, 1e6, -70000.5, NAN, -1.0, 20.25, INFINITY, -1e300, 0.0};
    for (int k = 0; k < 700; ++k) x.push_back(pattern[k % 13] * (1.0 + k * 1e-3));
    const std::vector<double> chunked = psivalue(x);
    ASSERT_EQ(chunked.size(), x.size());
    for (std::size_t k = 0; k < x.size(); ++k) {
        EXPECT_TRUE(sameValues(psivalue({x[k]}), {chunked[k]})) << "x = " << x[k];
    }
}

TEST(Psivalue, ShapesClassesAndErrors)
{
    Array matrix = makeMatrix(2, 3, {0.5, 1, 1.5, 2, 2.5, 3});
    Output twoByThree = outputOf(callModule(Build::Current, "psivalue", 1, {matrix.get()}));
    EXPECT_EQ(twoByThree.rows, 2u);
    EXPECT_EQ(twoByThree.cols, 3u);
    EXPECT_TRUE(sameValues(psivalue({0.5, 1, 1.5, 2, 2.5, 3}), twoByThree.values));

    // A 2x3x4 array gives a 2x3 result from its first six elements.
    mwSize dims[3] = {2, 3, 4};
    Array cube(mxCreateNumericArray(3, dims, mxDOUBLE_CLASS, mxREAL));
    for (int k = 0; k < 24; ++k) mxGetPr(cube.get())[k] = 0.5 * (k + 1);
    Output firstPage = outputOf(callModule(Build::Current, "psivalue", 1, {cube.get()}));
    EXPECT_EQ(firstPage.rows, 2u);
    EXPECT_EQ(firstPage.cols, 3u);
    EXPECT_TRUE(sameValues(twoByThree.values, firstPage.values));

    Array empty = makeMatrix(0, 3, {});
    CallResult none = callModule(Build::Current, "psivalue", 0, {empty.get()});
    EXPECT_EQ(outputOf(none).cols, 3u);
    EXPECT_EQ(none.stats.hostCalls, 0u);

    // Other classes are converted to double first, and the copy is freed.
    Array integers(mxCreateNumericMatrix(1, 3, mxINT16_CLASS, mxREAL));
    std::int16_t* ints = static_cast<std::int16_t*>(mxGetData(integers.get()));
    ints[0] = -3, ints[1] = 7, ints[2] = 1000;
    CallResult converted = callModule(Build::Current, "psivalue", 1, {integers.get()});
    EXPECT_TRUE(sameValues(psivalue({-3, 7, 1000}), outputOf(converted).values));
    EXPECT_EQ(converted.stats.blocksReclaimed, 0u);
    Array logical = Array(mxCreateLogicalScalar(true));
    EXPECT_TRUE(sameValues(psivalue({1}), outputOf(callModule(Build::Current, "psivalue", 1, {logical.get()})).values));

    // The input count is checked before the output count.
    Array one = makeScalar(1);
    expectError(callModule(Build::Current, "psivalue", 2, {one.get(), one.get()}), "psivalue", "wrongInputCount",
                "Wrong number of input arguments.");
    expectError(callModule(Build::Current, "psivalue", 1, {}), "psivalue", "wrongInputCount",
                "Wrong number of input arguments.");
    expectError(callModule(Build::Current, "psivalue", 2, {one.get()}), "psivalue", "tooManyOutputs",
                "Too many output arguments.");
    Array complex(mxCreateDoubleMatrix(1, 1, mxCOMPLEX));
    expectError(callModule(Build::Current, "psivalue", 1, {complex.get()}), "psivalue", "notRealNumeric",
                "Arguments must be full real numeric or logical arrays.");
}
