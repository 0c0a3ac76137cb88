// The element map of psivalue and squashfn: a result of the argument's first two dimensions whose
// element k is f(argument element k), in column-major order.
#pragma once

#include <cstddef>

#include "mex.h"
#include "mex/arguments.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"

namespace montemex {

// The elements are handed to the module's fill a chunk of at most this many at a time.
inline constexpr std::size_t kMapChunk = 256;

// Refuses arguments that are not real numeric or logical ("Arguments must be full real numeric
// or logical arrays."), checks the memory the result (and a converted copy) takes, creates the
// result in *out and fills it by fill(x, y, count, poll): y[k] = f(x[k]) for k < count, count at
// most kMapChunk, reporting its work to poll (interrupt.hpp) as it goes.
//
// An argument whose first two dimensions promise values it does not hold (2-by-3-by-0) gives a
// 0-by-0 result (valuesShapeOf): only elements that exist are read.
template <typename Fill>
void mapElements(const char* function, const mxArray* argument, mxArray** out, Fill fill)
{
    requireRealNumeric(function, argument);
    const Shape shape = valuesShapeOf(argument);
    const std::size_t count = static_cast<std::size_t>(shape.count());  // within the input's elements
    checkMemory(function, bytesOfDoubles((mxIsDouble(argument) ? 1.0 : 2.0) * static_cast<double>(count)));
    *out = mxCreateDoubleMatrix(static_cast<mwSize>(shape.rows), static_cast<mwSize>(shape.cols), mxREAL);
    double* y = mxGetPr(*out);
    InterruptPoll poll;
    if (count == 1 && mxIsDouble(argument)) {
        // One double, the common small call: mxGetScalar reads it for less than mxGetPr hands out
        // an argument's data in Octave.
        const double x = mxGetScalar(argument);
        fill(&x, y, 1, poll);
        return;
    }

    DoubleData x = readDoubles(argument, count);
    for (std::size_t begin = 0; begin < count; begin += kMapChunk) {
        fill(x.values + begin, y + begin, count - begin < kMapChunk ? count - begin : kMapChunk, poll);
    }
    releaseDoubles(x);
}

}  // namespace montemex
