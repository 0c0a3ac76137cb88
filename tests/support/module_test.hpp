// Calling modules through the embedded host from GoogleTest.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "montemex/host.hpp"
#include "same_values.hpp"
#include "scripted_source.hpp"

namespace montemex::test {

enum class Build { Current, Legacy, Unbuffered, Probe };

std::string moduleDirectory(Build build);

// Calls `name` from the given build. Every call is checked for interface misuse (wrong-type
// reads, double destroys, ...), which fails the test.
CallResult callModule(Build build, const std::string& name, int nlhs, std::initializer_list<const mxArray*> args);
CallResult callModule(Build build, const std::string& name, int nlhs, const std::vector<const mxArray*>& args);

// The next `count` numbers of the host's "rand" (or "randn"), drawn with one host call.
std::vector<double> hostUniforms(std::size_t count);
std::vector<double> hostNormals(std::size_t count);

// Values a test computes from the host's next numbers, and the host's state once exactly the
// numbers they used are drawn.
struct Expected {
    std::vector<double> values;
    RandomState after;
};

// Seeds the host with `seed` and hands `compute` its next `uniforms` uniforms and `normals`
// normals (independent streams) as a scripted source; leaves the host seeded with `seed` again.
Expected expectFromStream(std::uint32_t seed, std::size_t uniforms, std::size_t normals,
                          const std::function<std::vector<double>(ScriptedSource&)>& compute);

// Asserts a failed call with this message and identifier "montemex:<name>:<reason>".
void expectError(const CallResult& result, const std::string& name, const std::string& reason,
                 const std::string& message);

// The single output of a successful call, with its first two dimensions.
struct Output {
    std::size_t rows = 0;
    std::size_t cols = 0;
    std::vector<double> values;
};
Output outputOf(const CallResult& result);

}  // namespace montemex::test
