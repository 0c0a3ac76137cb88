// Reading the call of the resampling modules, fun(W), and the probability array of classdraw.
#pragma once

#include <cstddef>

#include "mex.h"
#include "mex/arguments.hpp"

namespace montemex {

// The weights are the first rows * cols elements in column-major order; further dimensions are
// ignored. An array that holds no elements at all counts as 0-by-0 (valuesShapeOf).
struct WeightArray {
    Shape shape;
    std::size_t count = 0;
    DoubleData data;

    const double* values() const { return data.values; }
};

// Reads a weight array: refuses complex, sparse, char, cell and struct arrays ("Arguments must be
// full real numeric or logical arrays."), reads the dimensions, checks the memory the call will
// hold, then reads the data (converted to double for other classes).
//
// The memory (memory_limit.hpp): `doublesPerWeight` doubles for each weight, and a converted copy
// of the weights when they are not double.
WeightArray readWeights(const char* function, const mxArray* array, double doublesPerWeight);

// The resampling modules' checks, in order: "Too many output arguments.", "Wrong number of input
// arguments." unless exactly one argument, then readWeights.
WeightArray readResamplingCall(const char* function, int nlhs, int nrhs, const mxArray* prhs[],
                               double doublesPerWeight);

// When the weights' total does not give a distribution (zero, negative, NaN or infinite), warns
// montemex:<function>:degenerateWeights, once.
void warnIfDegenerate(const char* function, double total);

// Frees the converted copy, if any.
void releaseWeights(WeightArray& weights);

}  // namespace montemex
