#include "resampling/weights.hpp"

namespace montemex {

WeightArray readWeights(const char* function, const mxArray* array)
{
    requireRealNumeric(function, array);
    WeightArray weights;
    weights.shape = shapeOf(array);
    if (weights.shape.count() > 0 && mxGetNumberOfElements(array) == 0) weights.shape = Shape{};
    weights.count = static_cast<std::size_t>(weights.shape.count());
    weights.data = readDoubles(array, weights.count);
    return weights;
}

void releaseWeights(WeightArray& weights)
{
    releaseDoubles(weights.data);
}

}  // namespace montemex
