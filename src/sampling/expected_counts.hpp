// The expected-count step shared by residual, stratified and deterministic resampling: among n
// particles, particle i expects (w[i] / total) * n copies, the quotient formed first.
#pragma once

#include <cstddef>

namespace montemex {

// w[0] + ... + w[n-1], added in ascending order.
inline double sumWeights(const double* w, std::size_t n)
{
    double total = 0.0;
    for (std::size_t i = 0; i < n; ++i) total = total + w[i];
    return total;
}

// A particle's expected count among n: (weight / total) * n, the quotient formed first.
inline double expectedCount(double weight, double total, std::size_t n)
{
    return (weight / total) * static_cast<double>(n);
}

// Whole copies for a value that reached 1.0: its integer part, but never more than `room`, the
// result elements still free (negative weights can ask for more), and none for NaN (the legacy
// build lets NaN through its tests). Never converts a NaN or an out-of-range double.
inline std::size_t wholeCopies(double value, std::size_t room)
{
    if (!(value >= 1.0)) return 0;
    if (value >= static_cast<double>(room)) return room;
    return static_cast<std::size_t>(value);
}

}  // namespace montemex
