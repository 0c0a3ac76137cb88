// The library's StandardSource over a seeded std::mt19937_64, counting the numbers drawn: an
// endless reproducible stream for draws too many to script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

#include "source.hpp"

namespace montemex::test {

struct SeededSource {
    explicit SeededSource(std::uint64_t seed) : engine(seed) {}
    SeededSource(const SeededSource&) = delete;
    SeededSource& operator=(const SeededSource&) = delete;

    double uniform()
    {
        ++uniformsUsed;
        return standard.uniform();
    }

    double normal()
    {
        ++normalsUsed;
        return standard.normal();
    }

    std::mt19937_64 engine;
    StandardSource<std::mt19937_64> standard{engine};
    std::size_t uniformsUsed = 0;
    std::size_t normalsUsed = 0;
};

}  // namespace montemex::test
