#include "mex/weight_call.hpp"

#include "mex/errors.hpp"

namespace montemex {

WeightArray readWeights(const char* function, const mxArray* array)
{
    requireRealNumeric(function, array);
    WeightArray weights;
    weights.shape = valuesShapeOf(array);
    weights.count = static_cast<std::size_t>(weights.shape.count());
    weights.data = readDoubles(array, weights.count);
    return weights;
}

WeightArray readResamplingCall(const char* function, int nlhs, int nrhs, const mxArray* prhs[])
{
    checkOutputCount(function, nlhs);
    checkInputCount(function, nrhs == 1);
    return readWeights(function, prhs[0]);
}

void releaseWeights(WeightArray& weights)
{
    releaseDoubles(weights.data);
}

}  // namespace montemex
