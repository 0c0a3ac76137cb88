#include "mex/errors.hpp"

#include <cstdio>
#include <cstdlib>

#include "mex.h"

namespace montemex {

void raiseError(const char* function, const char* reason, const char* message)
{
    char identifier[128];
    std::snprintf(identifier, sizeof identifier, "montemex:%s:%s", function, reason);
    mexErrMsgIdAndTxt(identifier, "%s", message);
    std::abort();  // not reached: the host's error call does not return
}

void warn(const char* function, const char* reason, const char* message)
{
    char identifier[128];
    std::snprintf(identifier, sizeof identifier, "montemex:%s:%s", function, reason);
    mexWarnMsgIdAndTxt(identifier, "%s", message);
}

void checkOutputCount(const char* function, int nlhs)
{
    if (nlhs > 1) raiseError(function, "tooManyOutputs", "Too many output arguments.");
}

void checkInputCount(const char* function, bool countIsValid)
{
    if (!countIsValid) raiseError(function, "wrongInputCount", "Wrong number of input arguments.");
}

}  // namespace montemex
