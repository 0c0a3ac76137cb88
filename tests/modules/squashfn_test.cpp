// squashfn through the embedded host, current and legacy builds.
#include <cmath>
#include <cstdio>

#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

std::vector<double> squashfn(Build build, const std::vector<double>& x)
{
    Array input = makeRow(x);
    return outputOf(callModule(build, "squashfn", 1, {input.get()})).values;
}

}  // namespace

TEST(Squashfn, SpecialValuesAndThresholds)
{
    volatile double thirtySix = 36.0;
    const double atEighteen = 1.0 - 2.0 / (std::exp(thirtySix) + 1.0);
    EXPECT_EQ(atEighteen, 0.9999999999999996);
    const double aboveEighteen = std::nextafter(18.0, 19.0);
    const double tiny = 4.9406564584124654e-324;
    const std::vector<double> x = {0.0,   -0.0,          1e-9, -1e-9, 1.5e-8, -1.5e-8,  tiny,      18.0,
                                   -18.0, aboveEighteen, 20.0, -20.0, 1e300,  INFINITY, -INFINITY, NAN};
    std::vector<double> expected = {0.0,         -0.0, 1e-9, -1e-9, 1.5e-8, -1.5e-8, tiny, atEighteen,
                                    -atEighteen, 1.0,  1.0,  -1.0,  1.0,    1.0,     -1.0, NAN};
    EXPECT_TRUE(sameValues(expected, squashfn(Build::Current, x)));
    // The legacy build counts NaN as beyond the threshold and positive.
    expected.back() = 1.0;
    EXPECT_TRUE(sameValues(expected, squashfn(Build::Legacy, x)));

    // Just above the small-argument threshold the formula is used: it is not the identity there.
    const double aboveSmall = std::nextafter(1.5e-8, 1.0);
    EXPECT_NE(squashfn(Build::Current, {aboveSmall})[0], aboveSmall);
}

// Between the thresholds the result is within 5e-16 of tanh (computed here in long double): the
// formula 1 - 2/(e + 1) has an absolute, not relative, error of about an ulp of 1.
TEST(Squashfn, MiddleBandIsCloseToTanh)
{
    std::vector<double> x;
    for (int k = 0; k <= 2000; ++k) x.push_back(1.6e-8 * std::pow(18.0 / 1.6e-8, k / 2000.0));
    const std::size_t positives = x.size();
    for (std::size_t k = 0; k < positives; ++k) x.push_back(-x[k]);
    for (double integer : {1.0, 3.0, 17.0, -1.0, -3.0, -17.0}) x.push_back(integer);
    for (Build build : {Build::Current, Build::Legacy}) {
        std::vector<double> y = squashfn(build, x);
        ASSERT_EQ(y.size(), x.size());
        double worst = 0, worstRelative = 0;
        for (std::size_t k = 0; k < x.size(); ++k) {
            double error = static_cast<double>(fabsl(y[k] - tanhl(x[k])));
            worst = std::fmax(worst, error);
            worstRelative = std::fmax(worstRelative, error / std::fabs(y[k]));
            EXPECT_EQ(std::signbit(y[k]), std::signbit(x[k]));
        }
        EXPECT_LT(worst, 5e-16);
        if (build == Build::Current) {
            std::printf("squashfn, middle band: largest absolute error %.3g, largest relative error %.3g\n", worst,
                        worstRelative);
        }
    }
}

TEST(Squashfn, ShapesClassesArgumentsAndOutputs)
{
    Array values = makeMatrix(2, 3, {-20, -0.5, 0, 1e-9, 0.5, 20});
    mwSize dims[3] = {2, 3, 4};
    Array cube(mxCreateNumericArray(3, dims, mxDOUBLE_CLASS, mxREAL));
    for (int k = 0; k < 24; ++k) mxGetPr(cube.get())[k] = k < 6 ? mxGetPr(values.get())[k] : 99;
    Array empty = makeMatrix(0, 3, {});
    Array cell(mxCreateCellMatrix(1, 2));
    Array integers(mxCreateNumericMatrix(2, 1, mxINT8_CLASS, mxREAL));
    static_cast<std::int8_t*>(mxGetData(integers.get()))[0] = -1;
    static_cast<std::int8_t*>(mxGetData(integers.get()))[1] = 30;
    Array complex(mxCreateDoubleMatrix(1, 1, mxCOMPLEX));
    Array text(mxCreateString("abc"));

    for (Build build : {Build::Current, Build::Legacy}) {
        std::vector<double> expected = squashfn(build, {-20, -0.5, 0, 1e-9, 0.5, 20});
        // nlhs 0 still fills the first output; arguments after the first are never looked at.
        Output matrix = outputOf(callModule(build, "squashfn", 0, {values.get(), cell.get(), text.get()}));
        EXPECT_EQ(matrix.rows, 2u);
        EXPECT_EQ(matrix.cols, 3u);
        EXPECT_TRUE(sameValues(expected, matrix.values));
        Output firstPage = outputOf(callModule(build, "squashfn", 1, {cube.get()}));
        EXPECT_EQ(firstPage.rows, 2u);
        EXPECT_EQ(firstPage.cols, 3u);
        EXPECT_TRUE(sameValues(expected, firstPage.values));
        Output none = outputOf(callModule(build, "squashfn", 1, {empty.get()}));
        EXPECT_EQ(none.rows, 0u);
        EXPECT_EQ(none.cols, 3u);

        CallResult converted = callModule(build, "squashfn", 1, {integers.get()});
        EXPECT_TRUE(sameValues(squashfn(build, {-1, 30}), outputOf(converted).values));
        EXPECT_EQ(converted.stats.blocksReclaimed, 0u);
        EXPECT_EQ(converted.stats.hostCalls, 0u);

        expectError(callModule(build, "squashfn", 1, {}), "squashfn", "wrongInputCount",
                    "Wrong number of input arguments.");
        expectError(callModule(build, "squashfn", 1, {complex.get()}), "squashfn", "notRealNumeric",
                    "Arguments must be full real numeric or logical arrays.");
        expectError(callModule(build, "squashfn", 1, {text.get(), values.get()}), "squashfn", "notRealNumeric",
                    "Arguments must be full real numeric or logical arrays.");
        // There is one result: a second output is refused rather than left unassigned.
        expectError(callModule(build, "squashfn", 2, {values.get()}), "squashfn", "tooManyOutputs",
                    "Too many output arguments.");
    }
}
