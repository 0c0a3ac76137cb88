#include "resampling/weights.hpp"

namespace montemex {

WeightArray readWeights(const char* function, const mxArray* array)
{
    requireRealNumeric(function, array);
    WeightArray weights;
    weights.shape = shapeOf(array);
    if (weights.shape.count() > 0 && mxGetNumberOfElements(array) == 0) weights.shape = Shape{};
    // Their double copy must be addressable (32-bit builds).
    weights.count = checkedCount(function, weights.shape.rows, weights.shape.cols);
    weights.data = readDoubles(array, weights.count);
    return weights;
}

void releaseWeights(WeightArray& weights)
{
    releaseDoubles(weights.data);
}

}  // namespace montemex
