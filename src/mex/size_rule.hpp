// The elementwise size rule of the generators that draw one value per output element from one
// or two distribution parameters (P = 1 or 2), each a scalar or an array, with optional trailing
// size arguments m and n.
//
//   1. more than one output: "Too many output arguments."
//   2. nrhs neither P nor P + 2: "Wrong number of input arguments."
//   3. (parameters and size arguments must be real numeric or logical)
//   4. P = 2 and both parameters arrays of different first two dimensions:
//      "Size information is inconsistent."
//   5. the output is m-by-n from the size arguments, each array parameter having exactly that
//      shape ("Size information is inconsistent." otherwise); without size arguments it takes the
//      shape of the first array parameter, else of the last parameter.
// A parameter that holds no values (empty, or like 2x3x0) cannot fill a non-empty output:
// "Size information is inconsistent."
#pragma once

#include <cstddef>

#include "mex/arguments.hpp"

namespace montemex {

// One distribution parameter: a single value, or one value per output element.
struct Parameter {
    const mxArray* array = nullptr;
    Shape shape;
    double scalar = 0.0;  // when scalar-like, read once
    DoubleData data;      // otherwise

    bool isArray() const { return !shape.isScalarLike(); }
    double at(std::size_t i) const { return isArray() ? data.values[i] : scalar; }
};

struct ElementwiseCall {
    Shape output;
    std::size_t count = 0;  // output elements
    int parameterCount = 0;
    Parameter parameters[2];
    double bytes = 0.0;  // the result and the converted copies of array parameters
};

// Steps 1 to 5: raises the stated messages, in their order; reads no parameter values. Then the
// memory rule (memory_limit.hpp) for the result and converted array parameters, before the
// count is checked against the host's index type.
//
// A module that holds more (blocks of random numbers whose size depends on the parameters'
// values) applies the rule again to call.bytes and that, before it creates its result.
ElementwiseCall applySizeRule(const char* function, int parameterCount, int nlhs, int nrhs, const mxArray* prhs[]);

// Reads the parameter values: scalars with mxGetScalar, arrays through their data.
void readParameters(ElementwiseCall& call);
void releaseParameters(ElementwiseCall& call);

}  // namespace montemex
