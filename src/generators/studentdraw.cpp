// studentdraw: standard Student t variates with nu degrees of freedom.
//
//   R = studentdraw(nu)        one variate per element of nu (nu's first two dimensions)
//   R = studentdraw(nu, m, n)  an m-by-n array; nu scalar or exactly m-by-n
//
// One randn(m, n) call gives the normal numerators Z and becomes R; then, element by element in
// column-major order, Z(i) becomes a t variate with nu(i) degrees of freedom by the draws of
// studentFromNormal (sampling/student.hpp): one more normal for nu = 1, one uniform for nu = 2,
// one gamma variate with shape nu/2 otherwise.
#include "mex.h"
#include "mex/gamma_fill.hpp"

using namespace montemex;

namespace {
const char* const kName = "studentdraw";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    // Negative sizes count as 0 here, so the loop never runs past what randn returned.
    ElementwiseCall call = applySizeRule(kName, 1, nlhs, nrhs, prhs);
    readParameters(call);
    // Besides the result and a converted nu: a block of the uniforms or normals the call is
    // certain to draw.
    checkMemory(kName, call.bytes + studentReserveBytes(minimumStudentCallDraws(call)));
    drawHostArray(kName, &plhs[0], "randn", call.output);

    HostSource source(kName);
    fillStudent(source, call, mxGetPr(plhs[0]));
    releaseParameters(call);
}
