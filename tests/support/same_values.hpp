// Bit-for-bit comparison of doubles, for the tests of every layer.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace montemex::test {

// Exact equality of doubles, NaN equal to NaN, +0 distinct from -0.
inline bool sameBits(double a, double b)
{
    if (a != a && b != b) return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline ::testing::AssertionResult sameValues(const std::vector<double>& expected, const std::vector<double>& actual)
{
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure()
               << "sizes differ: expected " << expected.size() << ", got " << actual.size();
    }
    for (std::size_t k = 0; k < expected.size(); ++k) {
        if (!sameBits(expected[k], actual[k])) {
            return ::testing::AssertionFailure()
                   << "element " << k << ": expected " << expected[k] << ", got " << actual[k];
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace montemex::test
