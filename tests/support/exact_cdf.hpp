// Exact distribution functions for the statistical checks (in closed form, or integrated
// numerically from a log-density), and the Kolmogorov-Smirnov distance of a sample from one.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <vector>

namespace montemex::test {

// The regularized lower incomplete gamma function P(a, x) = gamma(a, x) / Gamma(a): the
// distribution function at x of a standard gamma variate with shape a. A power series below
// x = a + 1, a continued fraction for the upper part above (evaluated by Lentz's method).
inline double gammaCdf(double a, double x)
{
    if (!(x > 0.0)) return 0.0;
    const double logPrefix = -x + a * std::log(x) - std::lgamma(a);
    if (x < a + 1.0) {
        double term = 1.0 / a;
        double sum = term;
        for (int n = 1; n < 100000 && std::fabs(term) > std::fabs(sum) * 1e-17; ++n) {
            term *= x / (a + n);
            sum += term;
        }
        return sum * std::exp(logPrefix);
    }
    const double tiny = 1e-300;
    double b = x + 1.0 - a;
    double c = 1.0 / tiny;
    double d = 1.0 / b;
    double h = d;
    for (int i = 1; i < 100000; ++i) {
        const double an = -i * (i - a);
        b += 2.0;
        d = an * d + b;
        if (std::fabs(d) < tiny) d = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1.0 / d;
        const double step = d * c;
        h *= step;
        if (std::fabs(step - 1.0) < 1e-16) break;
    }
    return 1.0 - std::exp(logPrefix) * h;
}

// Student t distribution functions in closed form for 1, 2 and 3 degrees of freedom.
inline double studentCdf(double nu, double t)
{
    const double pi = 3.141592653589793;
    if (nu == 1.0) return 0.5 + std::atan(t) / pi;
    if (nu == 2.0) return 0.5 + t / (2.0 * std::sqrt(2.0 + t * t));
    const double theta = std::atan(t / std::sqrt(3.0));  // nu == 3
    return 0.5 + (theta + std::sin(theta) * std::cos(theta)) / pi;
}

// The distribution function of the density proportional to exp(h) on [lo, hi] (0 below, 1 above),
// by the trapezoid rule on `points` grid points, in long double.
//
// h is shifted by its largest value on the grid before exponentiating, so that a density whose
// logarithm lies far from 0 neither overflows nor underflows; [lo, hi] should hold all but a
// negligible part of the mass.
class NumericCdf {
public:
    NumericCdf(const std::function<long double(long double)>& h, long double lo, long double hi,
               std::size_t points = 400001)
        : lo_(lo), step_((hi - lo) / static_cast<long double>(points - 1)), cumulative_(points, 0.0L)
    {
        std::vector<long double> values(points);
        long double top = -INFINITY;
        for (std::size_t i = 0; i < points; ++i) {
            values[i] = h(lo + static_cast<long double>(i) * step_);
            top = std::max(top, values[i]);
        }
        for (std::size_t i = 1; i < points; ++i) {
            cumulative_[i] =
                cumulative_[i - 1] + (std::exp(values[i - 1] - top) + std::exp(values[i] - top)) * step_ / 2;
        }
    }

    double operator()(double x) const
    {
        const long double last = static_cast<long double>(cumulative_.size() - 1);
        const long double position = std::clamp((x - lo_) / step_, 0.0L, last);
        const std::size_t i = std::min(static_cast<std::size_t>(position), cumulative_.size() - 2);
        const long double between = cumulative_[i] + (position - i) * (cumulative_[i + 1] - cumulative_[i]);
        return static_cast<double>(between / cumulative_.back());
    }

private:
    long double lo_;
    long double step_;
    std::vector<long double> cumulative_;
};

// sup |F_n - F| for the sample's empirical distribution function F_n.
inline double ksDistance(std::vector<double> sample, const std::function<double(double)>& cdf)
{
    std::sort(sample.begin(), sample.end());
    const double n = static_cast<double>(sample.size());
    double distance = 0.0;
    for (std::size_t i = 0; i < sample.size(); ++i) {
        const double f = cdf(sample[i]);
        distance = std::max({distance, f - i / n, (i + 1) / n - f});
    }
    return distance;
}

// A distance that a correct sampler exceeds with probability about 0.001.
inline double ksBound(std::size_t n)
{
    return 1.95 / std::sqrt(static_cast<double>(n));
}

}  // namespace montemex::test
