// The host's random generators behind "rand" and "randn".
#pragma once

#include <cstdint>
#include <deque>
#include <random>

#include "montemex/host.hpp"

namespace montemex::host {

// Uniforms are built from two 26-bit pieces of a Mersenne Twister (MT19937) output as
// (k + 0.5) / 2^52, so they lie strictly inside (0, 1). Normals are Box-Muller transforms of two
// uniforms. In the shared mode "randn" takes its uniforms from the "rand" generator.
class RandomGenerators {
public:
    void seed(std::uint32_t seed);
    void setMode(StreamMode mode) { mode_ = mode; }

    // False when scripted numbers are in use and fewer than `count` remain.
    bool canDrawUniforms(std::size_t count) const;
    bool canDrawNormals(std::size_t count) const;
    double uniform();
    double normal();

    void scriptUniforms(const std::vector<double>& values);
    void scriptNormals(const std::vector<double>& values);
    void clearScripts();
    bool uniformsScripted() const { return uniformScript_; }
    bool normalsScripted() const { return normalScript_; }

    RandomState snapshot() const;
    void restore(const RandomState& state);

private:
    static double uniformFrom(std::mt19937& engine);

    StreamMode mode_ = StreamMode::Separate;
    std::mt19937 uniformEngine_{5489u};
    std::mt19937 normalEngine_{5489u ^ 0x9e3779b9u};
    std::uint64_t uniformsDrawn_ = 0;
    std::uint64_t normalsDrawn_ = 0;
    bool uniformScript_ = false;
    bool normalScript_ = false;
    std::deque<double> uniformQueue_;
    std::deque<double> normalQueue_;
};

RandomGenerators& generators();

}  // namespace montemex::host
