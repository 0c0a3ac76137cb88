// Hostile argument lists for every module through the embedded host: one pool of awkward arguments
// and one sweep that calls a module with lists drawn from it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "module_test.hpp"

namespace montemex::test {

// Every class the host interface names (double, single, integers, logical, char, complex, sparse,
// cell, struct), empty and N-D shapes (2x3x0 and 1x1x5 among them), NaN, infinities, signed zeros,
// fractions, tiny, huge and 2^31 - 1 values, very negative digamma arguments, and weight vectors
// that are degenerate, mixed in sign or overflow when summed.
const std::vector<Array>& hostilePool();

struct Sweep {
    explicit Sweep(int args = 4, int outputs = 3) : maxArgs(args), maxOutputs(outputs) {}

    int maxArgs;                                   // argument counts 0 ... maxArgs
    int maxOutputs;                                // output counts 0 ... maxOutputs
    const mxArray* filler = nullptr;               // when set, most partners are this valid argument
    std::function<void(const CallResult&)> check;  // looks at each successful call
};

// Calls `name` with lists from the pool: for every output and argument count, every pool entry in
// every position with rotating partners elsewhere, and every pair of entries in the first two
// positions. Each call must end without misusing the host, leave nothing behind when it succeeds
// and carry a message when it fails. The host's memory limit is lowered meanwhile, so that huge
// requests are refused rather than served. Returns the number of calls.
std::size_t sweepHostile(Build build, const std::string& name, const Sweep& sweep);

}  // namespace montemex::test
