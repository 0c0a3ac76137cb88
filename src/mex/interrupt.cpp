#include "mex/interrupt.hpp"

#include "mex.h"

namespace montemex {

void InterruptPoll::poll()
{
    steps_ = 0;
#ifdef HAVE_OCTAVE
    // Defined by Octave's mex.h. The empty statement cannot be shadowed by a user's function.
    mexEvalString("");
#else
    mexEvalString("drawnow;");
#endif
}

}  // namespace montemex
