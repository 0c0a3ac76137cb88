// The library's categorical draw, fed with scripted numbers.
#include <gtest/gtest.h>

#include <cmath>

#include "categorical.hpp"
#include "scripted_source.hpp"

using montemex::test::ScriptedSource;
using namespace montemex;

namespace {

const double kLargestBelowOne = std::nextafter(1.0, 0.0);

}  // namespace

TEST(Categorical, WalkChoosesByTheUniformAndSkipsZeroWeights)
{
    // (1, 1): index 0 exactly when 2u - 1 < 0; u = 0.5 leaves t = 0, which is not below 0.
    ScriptedSource halves{{0.25, std::nextafter(0.5, 0.0), 0.5, 0.75}};
    const double pair[] = {1, 1};
    EXPECT_EQ(drawCategorical(halves, pair, 2), 0);
    EXPECT_EQ(drawCategorical(halves, pair, 2), 0);
    EXPECT_EQ(drawCategorical(halves, pair, 2), 1);
    EXPECT_EQ(drawCategorical(halves, pair, 2), 1);
    EXPECT_EQ(halves.uniformsUsed, 4u);

    // (0, 0, 5) always gives 2; a single weight always 0; one uniform per draw.
    const double lastOnly[] = {0, 0, 5};
    const double single[] = {0.3};
    ScriptedSource edges{{0x1p-53, 0.5, kLargestBelowOne, 0.1, kLargestBelowOne}};
    for (int k = 0; k < 3; ++k) EXPECT_EQ(drawCategorical(edges, lastOnly, 3), 2);
    EXPECT_EQ(drawCategorical(edges, single, 1), 0);
    EXPECT_EQ(drawCategorical(edges, single, 1), 0);
    EXPECT_EQ(edges.uniformsUsed, 5u);

    // Rounding can leave t at 0 after the last weight: (0, 0.1, 0.2, 0.3) with u just below 1
    // walks off the end and falls back to the first positive weight, 1, not the last.
    const double tenths[] = {0, 0.1, 0.2, 0.3};
    ScriptedSource top{{kLargestBelowOne}};
    EXPECT_EQ(drawCategorical(top, tenths, 4), 1);

    // Infinite weights are accepted; t is infinite and the fallback decides.
    const double infinite[] = {0, 1, INFINITY};
    ScriptedSource any{{0.5}};
    EXPECT_EQ(drawCategorical(any, infinite, 3), 1);
}

TEST(Categorical, FloatWeightsAreWidenedBeforeTheArithmetic)
{
    // In single precision 1 + 1e-8 is 1, and u just below 1 would end the walk at index 0. The
    // total is a double, 1 + 1e-8, so the walk passes the first weight and returns 1.
    const float w[] = {1.0f, 1e-8f};
    ScriptedSource source{{kLargestBelowOne, 0.5}};
    EXPECT_EQ(drawCategoricalFloat(source, w, 2), 1);
    EXPECT_EQ(drawCategoricalFloat(source, w, 2), 0);
    EXPECT_EQ(source.uniformsUsed, 2u);
}

TEST(Categorical, PreconditionViolationsReturnMinusOneBeforeAnyDraw)
{
    const double negative[] = {2, -1, 3};
    const double zeros[] = {0, 0};
    const double nan[] = {1, NAN};
    const float floatZeros[] = {0, 0, 5};
    const float floatNaN[] = {1, NAN};
    const float floatPositive[] = {1, 2};
    ScriptedSource source{{0.5}};

    EXPECT_EQ(drawCategorical(source, negative, 3), -1);
    EXPECT_EQ(drawCategorical(source, nan, 2), -1);
    EXPECT_EQ(drawCategorical(source, zeros, 2), -1);
    EXPECT_EQ(drawCategorical(source, negative, 0), -1);
    EXPECT_EQ(drawCategorical(source, negative, -4), -1);
    EXPECT_EQ(drawCategoricalFloat(source, floatZeros, 3), -1);
    EXPECT_EQ(drawCategoricalFloat(source, floatNaN, 2), -1);
    EXPECT_EQ(drawCategoricalFloat(source, floatPositive, 0), -1);
    EXPECT_EQ(source.uniformsUsed, 0u);

    // Checking stops at the first violation: later weights are not looked at.
    CategoricalTotal checked = totalCategoricalWeights(negative, 3);
    EXPECT_FALSE(checked.valid);
    EXPECT_EQ(checked.badWeight, 1);
    EXPECT_EQ(checked.total, 2.0);
    EXPECT_EQ(totalCategoricalWeights(floatZeros, 3).badWeight, 0);
    EXPECT_EQ(totalCategoricalWeights(zeros, 2).badWeight, -1);
}
