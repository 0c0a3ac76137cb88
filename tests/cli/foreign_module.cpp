// A module not built for the embedded host, which must refuse to load it. With
// FOREIGN_INTERFACE it carries its own host functions, as a module linking another host's
// library sees them; without, it links no host at all.
#include <cstddef>

extern "C" {

struct mxArray_tag;
typedef struct mxArray_tag mxArray;

#ifdef FOREIGN_INTERFACE
double* mxGetPr(const mxArray*)
{
    return nullptr;
}
mxArray* mxCreateDoubleMatrix(std::size_t, std::size_t, int)
{
    return nullptr;
}
void mexErrMsgIdAndTxt(const char*, const char*, ...) {}
#endif

// Assigns no output: were it called, the call would fail another way.
void mexFunction(int, mxArray**, int, const mxArray**) {}
}
