// Particle resampling written out plainly, one particle and one slot at a time: the reference that
// the library's resampling (resampling.hpp) is tested against here, and that the modules are
// tested against, fed the host's uniforms, in tests/modules. It shares no code with the library.
//
// Every routine takes n weights in particle order and gives n 1-based indices, as the current
// build does (the legacy build differs only where a comparison meets a NaN).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace montemex::test {

// The weights' total, and the factor each weight is multiplied by first: 1, or the power of two
// that brings the largest weight below 1 when every weight is finite but their sum overflows.
struct ReferenceTotal {
    double total = 0.0;
    double scale = 1.0;
};

inline ReferenceTotal referenceTotal(const std::vector<double>& w)
{
    ReferenceTotal t;
    for (double v : w) t.total = t.total + v;
    if (!std::isinf(t.total)) return t;
    double largest = 0.0;
    for (double v : w) {
        if (!std::isfinite(v)) return t;
        largest = std::max(largest, std::fabs(v));
    }
    int exponent = 0;
    std::frexp(largest, &exponent);
    t.scale = std::ldexp(1.0, -exponent);
    t.total = 0.0;
    for (double v : w) t.total = t.total + v * t.scale;
    return t;
}

// Particle i's expected count among n, (w * scale / total) * n, the quotient formed first. A
// count that rounding left below a whole number k >= 1 by at most (n + 2) units of 2^-52 of k
// counts as k.
inline double referenceCount(double w, const ReferenceTotal& t, std::size_t n)
{
    double count = (w * t.scale / t.total) * static_cast<double>(n);
    const double k = std::ceil(count);
    if (k >= 1.0 && count < k && k - count <= static_cast<double>(n + 2) * std::ldexp(k, -52)) count = k;
    return count;
}

// Appends floor(value) copies of `index` to out[pos ...], but never past the n places; returns
// how many.
inline std::size_t appendCopies(std::vector<double>& out, std::size_t& pos, double value, double index)
{
    std::size_t copies = 0;
    while (pos < out.size() && value >= static_cast<double>(copies + 1)) {
        out[pos++] = index;
        ++copies;
    }
    return copies;
}

// 1 + the position found by bisection over the table q: 1 when q[0] >= x; else lo = 0,
// hi = n - 1 and, while hi - lo > 1, mid = (lo + hi) / 2 becomes lo when q[mid] < x, else hi.
inline double referenceSearch(const std::vector<double>& q, double x)
{
    if (q[0] >= x) return 1.0;
    std::size_t lo = 0, hi = q.size() - 1;
    while (hi - lo > 1) {
        const std::size_t mid = (lo + hi) / 2;
        if (q[mid] < x) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return static_cast<double>(hi + 1);
}

// Multinomial: index k searched for u[k] in the running sums of the (scaled) weights, each
// divided by the last, the last set to 1.
inline std::vector<double> referenceMultinomial(const std::vector<double>& w, const std::vector<double>& u)
{
    const std::size_t n = w.size();
    if (n == 0) return {};
    const double scale = referenceTotal(w).scale;
    std::vector<double> q(n);
    q[0] = w[0] * scale;
    for (std::size_t i = 1; i < n; ++i) q[i] = q[i - 1] + w[i] * scale;
    for (std::size_t i = 0; i + 1 < n; ++i) q[i] = q[i] / q[n - 1];
    q[n - 1] = 1.0;
    std::vector<double> out(n);
    for (std::size_t k = 0; k < n; ++k) out[k] = referenceSearch(q, u[k]);
    return out;
}

// Residual: floor of each expected count in copies, front to back; the R places left are drawn
// multinomially over the remainders (each divided by R, summed in order, the last set to 1) with
// the R uniforms that uniforms(R) returns.
template <typename Uniforms>
std::vector<double> referenceResidual(const std::vector<double>& w, Uniforms uniforms)
{
    const std::size_t n = w.size();
    if (n == 0) return {};
    const ReferenceTotal t = referenceTotal(w);
    std::vector<double> out(n), rest(n);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i) {
        rest[i] = referenceCount(w[i], t, n);
        if (rest[i] >= 1.0) rest[i] = rest[i] - static_cast<double>(appendCopies(out, pos, rest[i], i + 1.0));
    }
    const std::size_t remaining = n - pos;
    for (std::size_t i = 0; i < n; ++i) rest[i] = rest[i] / static_cast<double>(remaining);
    for (std::size_t i = 1; i < n; ++i) rest[i] = rest[i - 1] + rest[i];
    rest[n - 1] = 1.0;
    for (double x : uniforms(remaining)) out[pos++] = referenceSearch(rest, x);
    return out;
}

// Stratified: a running sum gathers the expected counts; each whole unit of it fills a slot, and
// what is left takes the next slot when that slot's uniform is at most it. Slots never filled
// keep `unfilled`.
inline std::vector<double> referenceStratified(const std::vector<double>& w, const std::vector<double>& u,
                                               double unfilled = 0.0)
{
    const std::size_t n = w.size();
    const ReferenceTotal t = referenceTotal(w);
    std::vector<double> out(n, unfilled);
    double acc = 0.0;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i) {
        acc = acc + referenceCount(w[i], t, n);
        if (acc >= 1.0) acc = acc - static_cast<double>(appendCopies(out, pos, acc, i + 1.0));
        if (pos < n && u[pos] <= acc) {
            out[pos++] = i + 1.0;
            acc = acc - 1.0;
        }
    }
    return out;
}

// Deterministic: floor of each expected count in copies, then a running sum of the remainders,
// started at 0.5, gives one more copy each time it reaches 1. Slots never filled keep `unfilled`.
inline std::vector<double> referenceDeterministic(const std::vector<double>& w, double unfilled = 0.0)
{
    const std::size_t n = w.size();
    const ReferenceTotal t = referenceTotal(w);
    std::vector<double> out(n, unfilled);
    double acc = 0.5;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double count = referenceCount(w[i], t, n);
        if (count >= 1.0) count = count - static_cast<double>(appendCopies(out, pos, count, i + 1.0));
        acc = acc + count;
        if (acc >= 1.0 && pos < n) {
            out[pos++] = i + 1.0;
            acc = acc - 1.0;
        }
    }
    return out;
}

}  // namespace montemex::test
