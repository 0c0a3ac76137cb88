#include "random.hpp"

#include <cmath>

namespace montemex::host {

RandomGenerators& generators()
{
    static RandomGenerators instance;
    return instance;
}

void RandomGenerators::seed(std::uint32_t seed)
{
    uniformEngine_.seed(seed);
    normalEngine_.seed(seed ^ 0x9e3779b9u);
    uniformsDrawn_ = 0;
    normalsDrawn_ = 0;
}

double RandomGenerators::uniformFrom(std::mt19937& engine)
{
    std::uint64_t high = engine() >> 6;
    std::uint64_t low = engine() >> 6;
    std::uint64_t k = (high << 26) | low;  // 52 random bits
    return (static_cast<double>(k) + 0.5) * 0x1p-52;
}

bool RandomGenerators::canDrawUniforms(std::size_t count) const
{
    return !uniformScript_ || uniformQueue_.size() >= count;
}

bool RandomGenerators::canDrawNormals(std::size_t count) const
{
    return !normalScript_ || normalQueue_.size() >= count;
}

double RandomGenerators::uniform()
{
    ++uniformsDrawn_;
    if (uniformScript_) {
        double value = uniformQueue_.front();
        uniformQueue_.pop_front();
        return value;
    }
    return uniformFrom(uniformEngine_);
}

double RandomGenerators::normal()
{
    ++normalsDrawn_;
    if (normalScript_) {
        double value = normalQueue_.front();
        normalQueue_.pop_front();
        return value;
    }
    std::mt19937& engine = mode_ == StreamMode::Shared ? uniformEngine_ : normalEngine_;
    double u1 = uniformFrom(engine);
    double u2 = uniformFrom(engine);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

void RandomGenerators::scriptUniforms(const std::vector<double>& values)
{
    uniformScript_ = true;
    uniformQueue_.assign(values.begin(), values.end());
}

void RandomGenerators::scriptNormals(const std::vector<double>& values)
{
    normalScript_ = true;
    normalQueue_.assign(values.begin(), values.end());
}

void RandomGenerators::clearScripts()
{
    uniformScript_ = normalScript_ = false;
    uniformQueue_.clear();
    normalQueue_.clear();
}

RandomState RandomGenerators::snapshot() const
{
    RandomState state;
    state.uniformEngine = uniformEngine_;
    state.normalEngine = normalEngine_;
    state.uniformsDrawn = uniformsDrawn_;
    state.normalsDrawn = normalsDrawn_;
    return state;
}

void RandomGenerators::restore(const RandomState& state)
{
    uniformEngine_ = state.uniformEngine;
    normalEngine_ = state.normalEngine;
    uniformsDrawn_ = state.uniformsDrawn;
    normalsDrawn_ = state.normalsDrawn;
}

}  // namespace montemex::host

bool montemex::RandomState::operator==(const RandomState& other) const
{
    return uniformEngine == other.uniformEngine && normalEngine == other.normalEngine &&
           uniformsDrawn == other.uniformsDrawn && normalsDrawn == other.normalsDrawn;
}
