// The element map of psivalue and squashfn: a result of the argument's first two dimensions whose
// element k is f(argument element k), in column-major order.
#pragma once

#include <cstddef>

#include "mex.h"
#include "mex/arguments.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"

namespace montemex {

// Refuses arguments that are not real numeric or logical ("Arguments must be full real numeric
// or logical arrays."), checks the memory the result (and a converted copy) takes, creates the
// result in *out and fills it; `steps(x)` is the work f does for x, in steps (interrupt.hpp).
//
// An argument whose first two dimensions promise values it does not hold (2-by-3-by-0) gives a
// 0-by-0 result (valuesShapeOf): only elements that exist are read.
template <typename Function, typename Steps>
void mapElements(const char* function, const mxArray* argument, mxArray** out, Function f, Steps steps)
{
    requireRealNumeric(function, argument);
    const Shape shape = valuesShapeOf(argument);
    const std::size_t count = static_cast<std::size_t>(shape.count());  // within the input's elements
    checkMemory(function, bytesOfDoubles((mxIsDouble(argument) ? 1.0 : 2.0) * static_cast<double>(count)));
    *out = mxCreateDoubleMatrix(static_cast<mwSize>(shape.rows), static_cast<mwSize>(shape.cols), mxREAL);
    double* y = mxGetPr(*out);
    if (count == 1 && mxIsDouble(argument)) {
        // One double, the common small call: mxGetScalar reads it for less than mxGetPr hands out
        // an argument's data in Octave.
        y[0] = f(mxGetScalar(argument));
        return;
    }

    DoubleData x = readDoubles(argument, count);
    InterruptPoll poll;
    for (std::size_t k = 0; k < count; ++k) {
        y[k] = f(x.values[k]);
        poll(steps(x.values[k]));
    }
    releaseDoubles(x);
}

}  // namespace montemex
