// The elementwise size rule, through probe modules that return, for each output element, the
// parameter values the rule hands it: a(i) for one parameter, a(i) * 1000 + b(i) for two.
#include <cmath>

#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

CallResult probe(int parameters, int nlhs, std::initializer_list<const mxArray*> args)
{
    return callModule(Build::Probe, parameters == 1 ? "sizeprobe1" : "sizeprobe2", nlhs, args);
}

Array array3d(mwSize rows, mwSize cols, mwSize pages, double first)
{
    mwSize dims[3] = {rows, cols, pages};
    Array array(mxCreateNumericArray(3, dims, mxDOUBLE_CLASS, mxREAL));
    double* data = mxGetPr(array.get());
    for (mwSize k = 0; k < rows * cols * pages; ++k) data[k] = first + k;
    return array;
}

}  // namespace

TEST(SizeRule, CountsAreCheckedOutputsFirst)
{
    Array one = makeScalar(1);
    expectError(probe(2, 1, {one.get(), one.get(), one.get()}), "sizeprobe2", "wrongInputCount",
                "Wrong number of input arguments.");
    expectError(probe(1, 1, {one.get(), one.get()}), "sizeprobe1", "wrongInputCount",
                "Wrong number of input arguments.");
    expectError(probe(1, 1, {}), "sizeprobe1", "wrongInputCount", "Wrong number of input arguments.");
    expectError(probe(2, 1, {one.get(), one.get(), one.get(), one.get(), one.get()}), "sizeprobe2", "wrongInputCount",
                "Wrong number of input arguments.");
    // Two outputs is reported first, even with a wrong input count.
    expectError(probe(2, 2, {one.get()}), "sizeprobe2", "tooManyOutputs", "Too many output arguments.");
    EXPECT_TRUE(probe(2, 0, {one.get(), one.get()}).ok);
}

TEST(SizeRule, ArrayParametersMustAgreeWithEachOtherAndWithTheSizes)
{
    Array a23 = makeMatrix(2, 3, {1, 2, 3, 4, 5, 6}), b23 = makeMatrix(2, 3, {6, 5, 4, 3, 2, 1});
    Array a32 = makeMatrix(3, 2, {1, 2, 3, 4, 5, 6});
    expectError(probe(2, 1, {a23.get(), a32.get()}), "sizeprobe2", "sizeMismatch", "Size information is inconsistent.");
    Output both = outputOf(probe(2, 1, {a23.get(), b23.get()}));
    EXPECT_EQ(both.rows, 2u);
    EXPECT_TRUE(sameValues({1006, 2005, 3004, 4003, 5002, 6001}, both.values));

    Array a34 = makeMatrix(3, 4, std::vector<double>(12, 7.0));
    Array three = makeScalar(3), four = makeScalar(4), five = makeScalar(5), two = makeScalar(2), one = makeScalar(1);
    expectError(probe(1, 1, {a34.get(), three.get(), five.get()}), "sizeprobe1", "sizeMismatch",
                "Size information is inconsistent.");
    expectError(probe(1, 1, {a34.get(), two.get(), four.get()}), "sizeprobe1", "sizeMismatch",
                "Size information is inconsistent.");
    EXPECT_EQ(outputOf(probe(1, 1, {a34.get(), three.get(), four.get()})).values.size(), 12u);
    // With size arguments the mismatch between two arrays is still found first.
    expectError(probe(2, 1, {a23.get(), a32.get(), three.get(), two.get()}), "sizeprobe2", "sizeMismatch",
                "Size information is inconsistent.");
    expectError(probe(2, 1, {one.get(), a34.get(), three.get(), five.get()}), "sizeprobe2", "sizeMismatch",
                "Size information is inconsistent.");
}

TEST(SizeRule, OutputShapeComesFromTheSizesOrTheParameters)
{
    Array rows = makeScalar(2.9), cols = makeScalar(3.7), one = makeScalar(1), seven = makeScalar(7);
    Output truncated = outputOf(probe(1, 1, {seven.get(), rows.get(), cols.get()}));
    EXPECT_EQ(truncated.rows, 2u);
    EXPECT_EQ(truncated.cols, 3u);
    EXPECT_TRUE(sameValues(std::vector<double>(6, 7.0), truncated.values));

    Array b25 = makeMatrix(2, 5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), a41 = makeMatrix(4, 1, {1, 2, 3, 4});
    Output second = outputOf(probe(2, 1, {seven.get(), b25.get()}));
    EXPECT_EQ(second.rows, 2u);
    EXPECT_EQ(second.cols, 5u);
    EXPECT_EQ(second.values[9], 7010);
    Output first = outputOf(probe(2, 1, {a41.get(), one.get()}));
    EXPECT_EQ(first.rows, 4u);
    EXPECT_TRUE(sameValues({1001, 2001, 3001, 4001}, first.values));

    Array empty = makeMatrix(0, 0, {});
    Output nothing = outputOf(probe(2, 1, {one.get(), empty.get()}));
    EXPECT_EQ(nothing.rows, 0u);
    EXPECT_EQ(nothing.cols, 0u);
}

TEST(SizeRule, HigherDimensionsAreIgnored)
{
    Array scalarLike = array3d(1, 1, 5, 40), block = array3d(2, 3, 4, 1);
    Array two = makeScalar(2), three = makeScalar(3);
    Output fromFirst = outputOf(probe(1, 1, {scalarLike.get(), two.get(), three.get()}));
    EXPECT_TRUE(sameValues(std::vector<double>(6, 40.0), fromFirst.values));
    Output firstSix = outputOf(probe(1, 1, {block.get()}));
    EXPECT_EQ(firstSix.rows, 2u);
    EXPECT_EQ(firstSix.cols, 3u);
    EXPECT_TRUE(sameValues({1, 2, 3, 4, 5, 6}, firstSix.values));
}

TEST(SizeRule, UnsafeSizesAreClampedOrRefused)
{
    Array seven = makeScalar(7), minusThree = makeScalar(-3), minusHalf = makeScalar(-0.5), two = makeScalar(2);
    Output bothNegative = outputOf(probe(1, 1, {seven.get(), minusThree.get(), minusThree.get()}));
    EXPECT_EQ(bothNegative.rows, 0u);
    EXPECT_EQ(bothNegative.cols, 0u);
    EXPECT_EQ(outputOf(probe(1, 1, {seven.get(), minusHalf.get(), two.get()})).rows, 0u);

    Array nan = makeScalar(NAN), inf = makeScalar(INFINITY), empty = makeMatrix(0, 0, {}), huge = makeScalar(3e9);
    Array text(mxCreateString("ab"));
    for (const mxArray* bad : {nan.get(), inf.get(), empty.get(), text.get()}) {
        expectError(probe(1, 1, {seven.get(), bad, two.get()}), "sizeprobe1", "badSize",
                    "Size arguments must be finite real numbers.");
    }
    // 2-by-3e9 is more memory than any call may take; 0-by-3e9 takes none, but the host's
    // dimension type (32 bits here) cannot hold 3e9.
    EXPECT_EQ(probe(1, 1, {seven.get(), two.get(), huge.get()}).identifier, "montemex:sizeprobe1:tooLarge");
    Array zero = makeScalar(0);
    expectError(probe(1, 1, {seven.get(), zero.get(), huge.get()}), "sizeprobe1", "sizeTooLarge",
                "Size arguments are too large.");
}

TEST(SizeRule, ParametersOfOtherClassesAreConvertedOrRefused)
{
    Array integers(mxCreateNumericMatrix(1, 3, mxINT16_CLASS, mxREAL));
    auto* data = static_cast<short*>(mxGetData(integers.get()));
    data[0] = -4;
    data[1] = 0;
    data[2] = 300;
    Array flag(mxCreateLogicalScalar(1));
    Output converted = outputOf(probe(2, 1, {integers.get(), flag.get()}));
    EXPECT_TRUE(sameValues({-3999, 1, 300001}, converted.values));

    Array complexValue(mxCreateDoubleMatrix(1, 1, mxCOMPLEX)), sparse(mxCreateSparse(2, 2, 1, mxREAL));
    Array text(mxCreateString("x")), cell(mxCreateCellMatrix(1, 1));
    for (const mxArray* bad : {complexValue.get(), sparse.get(), text.get(), cell.get()}) {
        expectError(probe(1, 1, {bad}), "sizeprobe1", "notRealNumeric",
                    "Arguments must be full real numeric or logical arrays.");
    }
}

TEST(SizeRule, AParameterWithoutValuesCannotFillANonEmptyOutput)
{
    Array empty = makeMatrix(0, 0, {}), two = makeScalar(2), three = makeScalar(3), b = makeMatrix(1, 2, {1, 2});
    Array noPages = array3d(2, 3, 0, 0), scalarNoPages = array3d(1, 1, 0, 0);
    expectError(probe(1, 1, {empty.get(), two.get(), two.get()}), "sizeprobe1", "sizeMismatch",
                "Size information is inconsistent.");
    expectError(probe(2, 1, {empty.get(), b.get()}), "sizeprobe2", "sizeMismatch", "Size information is inconsistent.");
    // 2x3x0 promises six values in its first two dimensions and holds none.
    expectError(probe(1, 1, {noPages.get()}), "sizeprobe1", "sizeMismatch", "Size information is inconsistent.");
    expectError(probe(1, 1, {noPages.get(), two.get(), three.get()}), "sizeprobe1", "sizeMismatch",
                "Size information is inconsistent.");
    expectError(probe(2, 1, {scalarNoPages.get(), b.get()}), "sizeprobe2", "sizeMismatch",
                "Size information is inconsistent.");
    EXPECT_EQ(outputOf(probe(1, 1, {empty.get()})).values.size(), 0u);
}
