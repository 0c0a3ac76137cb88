#include "mex/weight_call.hpp"

#include "mex/errors.hpp"
#include "mex/memory_limit.hpp"
#include "sampling/expected_counts.hpp"

namespace montemex {

WeightArray readWeights(const char* function, const mxArray* array, double doublesPerWeight)
{
    requireRealNumeric(function, array);
    WeightArray weights;
    weights.shape = valuesShapeOf(array);
    const double count = static_cast<double>(weights.shape.rows) * static_cast<double>(weights.shape.cols);
    const double copies = mxIsDouble(array) ? 0.0 : 1.0;
    checkMemory(function, bytesOfDoubles((doublesPerWeight + copies) * count));
    // Their doubles must be addressable (32-bit builds).
    weights.count = checkedCount(function, weights.shape.rows, weights.shape.cols);
    weights.data = readDoubles(array, weights.count);
    return weights;
}

WeightArray readResamplingCall(const char* function, int nlhs, int nrhs, const mxArray* prhs[], double doublesPerWeight)
{
    checkOutputCount(function, nlhs);
    checkInputCount(function, nrhs == 1);
    return readWeights(function, prhs[0], doublesPerWeight);
}

void warnIfDegenerate(const char* function, double total)
{
    if (isProperTotal(total)) return;
    warn(function, "degenerateWeights",
         "The weights do not have a positive finite total, so the result is no resample of them.");
}

void releaseWeights(WeightArray& weights)
{
    releaseDoubles(weights.data);
}

}  // namespace montemex
