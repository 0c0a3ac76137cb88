// Random sources of the sampling library.
//
// Every sampler takes its source first: drawGamma(source, a), drawExponential(source). A source is
// any object with two member functions:
//
//   double uniform();   the next uniform number, strictly inside (0, 1)
//   double normal();    the next standard normal number, finite
//
// and, optionally, two more that samplers call when the source has them:
//
//   void reserveUniforms(std::size_t count);   a hint before `count` uniforms the sampler is
//                                              certain to use: each rejection attempt's two,
//                                              a boosted gamma variate's first three, each
//                                              proposal's three (the modules' host source
//                                              fetches them, with whatever later draws are
//                                              certain to use, in one host call)
//   void rejectionLimitReached();              a rejection loop gave up on the numbers it got
//                                              (a sound source never gets there); the sampler
//                                              then returns NaN, unless this does not return
//
// The samplers keep no state of their own: the source alone fixes every result, so the same
// source state gives the same draws.
//
// StandardSource adapts a standard C++ engine such as std::mt19937_64:
//
//   std::mt19937_64 engine(42);
//   montemex::StandardSource<std::mt19937_64> source(engine);
//   double g = montemex::drawGamma(source, 2.5);
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace montemex {

template <typename Source, typename = void>
struct HasReserveUniforms : std::false_type {
};

template <typename Source>
struct HasReserveUniforms<Source, std::void_t<decltype(std::declval<Source&>().reserveUniforms(std::size_t{}))>>
    : std::true_type {
};

template <typename Source, typename = void>
struct HasRejectionLimitReached : std::false_type {
};

template <typename Source>
struct HasRejectionLimitReached<Source, std::void_t<decltype(std::declval<Source&>().rejectionLimitReached())>>
    : std::true_type {
};

// Call the optional members when the source has them, and do nothing otherwise.
template <typename Source>
void reserveUniforms(Source& source, std::size_t count)
{
    if constexpr (HasReserveUniforms<Source>::value) source.reserveUniforms(count);
}

template <typename Source>
void rejectionLimitReached(Source& source)
{
    if constexpr (HasRejectionLimitReached<Source>::value) source.rejectionLimitReached();
}

// A source over a standard engine that gives at least 52 random bits per call, such as
// std::mt19937_64.
//
// Uniforms are (k + 0.5) / 2^52 for the top 52 bits k of one engine output, so they are never 0
// or 1; normals are Box-Muller transforms of two uniforms (the second value of each pair is not
// kept, so every normal costs exactly two engine outputs).
template <typename Engine>
class StandardSource {
public:
    static_assert(Engine::max() - Engine::min() >= (std::uint64_t(1) << 52) - 1,
                  "the engine must give at least 52 random bits per call");

    explicit StandardSource(Engine& engine) : engine_(engine) {}

    double uniform()
    {
        const std::uint64_t bits = static_cast<std::uint64_t>(engine_() - Engine::min());
        const std::uint64_t k = bits >> (bitWidth() - 52);
        return (static_cast<double>(k) + 0.5) * 0x1p-52;
    }

    double normal()
    {
        const double u1 = uniform();
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

    void reserveUniforms(std::size_t) {}

private:
    // Bits in one engine output, from the engine's range (a full range of 2^w values).
    static constexpr int bitWidth()
    {
        int width = 0;
        for (std::uint64_t range = Engine::max() - Engine::min(); range != 0; range >>= 1) ++width;
        return width;
    }

    Engine& engine_;
};

}  // namespace montemex
