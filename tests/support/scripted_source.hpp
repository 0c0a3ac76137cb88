// A random source that returns numbers given by the test (scripted, or drawn ahead from the
// host's stream), counting what was drawn and reserved.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace montemex::test {

struct ScriptedSource {
    std::vector<double> uniforms;
    std::vector<double> normals = {};
    std::size_t uniformsUsed = 0;
    std::size_t normalsUsed = 0;
    std::size_t uniformsReserved = 0;

    double uniform()
    {
        if (uniformsUsed >= uniforms.size()) {
            ADD_FAILURE() << "more uniforms drawn than scripted (" << uniforms.size() << ")";
            return 0.5;
        }
        return uniforms[uniformsUsed++];
    }

    double normal()
    {
        if (normalsUsed >= normals.size()) {
            ADD_FAILURE() << "more normals drawn than scripted (" << normals.size() << ")";
            return 0.0;
        }
        return normals[normalsUsed++];
    }

    void reserveUniforms(std::size_t count) { uniformsReserved += count; }
};

}  // namespace montemex::test
