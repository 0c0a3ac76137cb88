// Categorical draw of the sampling library: one 0-based index i from n unnormalised weights,
// with probability w[i] / total, or -1 for weights that break the preconditions. No module calls
// these; they are part of the library.
//
// One uniform u is drawn, t = total * u, and the weights are subtracted from t in order until it
// drops below 0 (the inverse of the cumulative distribution, walked linearly).
//
// Preconditions, checked weight by weight before the weight is added to the total, and before
// anything is drawn: drawCategorical needs every weight >= 0, drawCategoricalFloat every weight
// > 0, and both a positive total (so n >= 1). A violation returns -1 without drawing; the caller
// can learn which weight broke it from totalCategoricalWeights. NaN weights fail these tests
// (comparisons are written so that NaN is refused), so both builds give the same index from the
// same uniform for every accepted weight vector. Infinite weights are accepted; t is then
// infinite and the walk ends at its fallback below.
#pragma once

#include "variates.hpp"

namespace montemex {

// The total of the weights, and whether they meet the precondition; badWeight is the position
// of the first weight that breaks it (-1 when none does, also when only the total is at fault).
struct CategoricalTotal {
    double total = 0.0;
    bool valid = false;
    int badWeight = -1;
};

inline CategoricalTotal totalCategoricalWeights(const double* w, int n)
{
    CategoricalTotal result;
    for (int i = 0; i < n; ++i) {
        if (!(w[i] >= 0.0)) {
            result.badWeight = i;
            return result;
        }
        result.total = result.total + w[i];
    }
    result.valid = result.total > 0.0;
    return result;
}

// Single-precision weights are widened to double before they are added.
inline CategoricalTotal totalCategoricalWeights(const float* w, int n)
{
    CategoricalTotal result;
    for (int i = 0; i < n; ++i) {
        if (!(w[i] > 0.0f)) {
            result.badWeight = i;
            return result;
        }
        result.total = result.total + static_cast<double>(w[i]);
    }
    result.valid = result.total > 0.0;
    return result;
}

// The walk, for weights that passed the check: t = total * u; the first i after which t is
// below 0 (strictly). When rounding leaves t >= 0 after the last weight, the first positive
// weight is chosen (the first, not the last).
template <typename Weight>
int walkCategorical(const Weight* w, int n, double total, double u)
{
    double t = total * u;
    for (int i = 0; i < n; ++i) {
        t = t - static_cast<double>(w[i]);
        if (t < 0.0) return i;
    }
    for (int i = 0; i < n; ++i) {
        if (w[i] > 0) return i;
    }
    return 0;  // not reached: a positive total has a positive weight
}

// The index for weights that pass the checks, else -1 with nothing drawn.
template <typename Source>
int drawCategorical(Source& source, const double* w, int n)
{
    const CategoricalTotal checked = totalCategoricalWeights(w, n);
    if (!checked.valid) return -1;
    return walkCategorical(w, n, checked.total, drawUniform(source));
}

template <typename Source>
int drawCategoricalFloat(Source& source, const float* w, int n)
{
    const CategoricalTotal checked = totalCategoricalWeights(w, n);
    if (!checked.valid) return -1;
    return walkCategorical(w, n, checked.total, drawUniform(source));
}

}  // namespace montemex
