#include "mex/size_rule.hpp"

#include "mex/errors.hpp"
#include "mex/memory_limit.hpp"

namespace montemex {

namespace {

void raiseInconsistent(const char* function)
{
    raiseError(function, "sizeMismatch", "Size information is inconsistent.");
}

}  // namespace

ElementwiseCall applySizeRule(const char* function, int parameterCount, int nlhs, int nrhs, const mxArray* prhs[])
{
    checkOutputCount(function, nlhs);
    checkInputCount(function, nrhs == parameterCount || nrhs == parameterCount + 2);
    for (int k = 0; k < parameterCount; ++k) requireRealNumeric(function, prhs[k]);

    ElementwiseCall call;
    call.parameterCount = parameterCount;
    for (int k = 0; k < parameterCount; ++k) {
        call.parameters[k].array = prhs[k];
        call.parameters[k].shape = shapeOf(prhs[k]);
    }
    Parameter& first = call.parameters[0];
    Parameter& last = call.parameters[parameterCount - 1];
    if (parameterCount == 2 && first.isArray() && last.isArray() && first.shape != last.shape) {
        raiseInconsistent(function);
    }

    if (nrhs == parameterCount) {
        call.output = first.isArray() ? first.shape : last.shape;
    } else {
        call.output.rows = readSize(function, prhs[parameterCount]);
        call.output.cols = readSize(function, prhs[parameterCount + 1]);
        for (int k = 0; k < parameterCount; ++k) {
            if (call.parameters[k].isArray() && call.parameters[k].shape != call.output) raiseInconsistent(function);
        }
    }
    // The result, and a converted copy of each array parameter that is not double.
    const double elements = static_cast<double>(call.output.rows) * static_cast<double>(call.output.cols);
    double doubles = elements;
    for (int k = 0; k < parameterCount; ++k) {
        if (call.parameters[k].isArray() && !mxIsDouble(call.parameters[k].array)) doubles += elements;
    }
    call.bytes = bytesOfDoubles(doubles);
    checkMemory(function, call.bytes);
    call.count = checkedCount(function, call.output.rows, call.output.cols);
    // A parameter must hold the values it is to supply: one for a scalar, one per output element
    // for an array. Empty parameters, and arrays like 2x3x0 whose first two dimensions promise
    // values they do not hold, cannot fill a non-empty output.
    for (int k = 0; k < parameterCount && call.count > 0; ++k) {
        const Parameter& p = call.parameters[k];
        std::size_t needed = p.isArray() ? call.count : 1;
        if (mxGetNumberOfElements(p.array) < needed) raiseInconsistent(function);
    }
    return call;
}

void readParameters(ElementwiseCall& call)
{
    for (int k = 0; k < call.parameterCount; ++k) {
        Parameter& p = call.parameters[k];
        if (p.isArray()) {
            p.data = readDoubles(p.array, call.count);
        } else if (call.count > 0) {
            p.scalar = mxGetScalar(p.array);
        }
    }
}

void releaseParameters(ElementwiseCall& call)
{
    for (int k = 0; k < call.parameterCount; ++k) releaseDoubles(call.parameters[k].data);
}

}  // namespace montemex
