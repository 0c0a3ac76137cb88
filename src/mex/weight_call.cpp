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
    weights.count = static_cast<std::size_t>(weights.shape.count());
    const double copies = mxIsDouble(array) ? 0.0 : 1.0;
    checkMemory(function, bytesOfDoubles((doublesPerWeight + copies) * static_cast<double>(weights.count)));
    weights.data = readDoubles(array, weights.count);
    return weights;
}

WeightArray readResamplingCall(const char* function, int nlhs, int nrhs, const mxArray* prhs[],
                               double doublesPerWeight)
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
