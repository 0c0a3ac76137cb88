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
#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"
#include "mex/size_rule.hpp"
#include "sampling/student.hpp"

using namespace montemex;

namespace {
const char* const kName = "studentdraw";
}

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    // Negative sizes count as 0 here, so the loop below never runs past what randn returned.
    // Besides the result and a converted nu: a block each of reserved uniforms and normals.
    ElementwiseCall call =
        applySizeRule(kName, 1, nlhs, nrhs, prhs, bytesOfDoubles(2.0 * static_cast<double>(HostSource::kMaxReserve)));
    drawHostArray(kName, &plhs[0], "randn", call.output);
    double* r = mxGetPr(plhs[0]);

    readParameters(call);
    const Parameter& nu = call.parameters[0];
    HostSource source(kName);
    InterruptPoll poll;
    // Exact bulk drawing, one run at a time: a run is a stretch of elements none of which draws
    // the other kind of number than the run's first drawing element. Where "rand" and "randn"
    // share one stream, a reserve must not reach past a draw of the other kind, so each reserve
    // covers at most the minimum draws of what is left of its run, and all of it is used
    // before the run ends.
    std::size_t i = 0;
    while (i < call.count) {
        std::size_t end = i;
        StudentDraws run;
        for (; end < call.count; ++end) {
            StudentDraws next = minimumStudentDraws(nu.at(end));
            if ((next.normals > 0 && run.uniforms > 0) || (next.uniforms > 0 && run.normals > 0)) break;
            run.uniforms += next.uniforms;
            run.normals += next.normals;
        }
        for (; i < end; ++i) {
            const double v = nu.at(i);
            const StudentDraws element = minimumStudentDraws(v);
            if (element.uniforms > 0) source.reserveUniforms(run.uniforms);
            if (element.normals > 0) source.reserveNormals(run.normals);
            r[i] = studentFromNormal(source, r[i], v);
            run.uniforms -= element.uniforms;
            run.normals -= element.normals;
            poll(12);
        }
    }
    source.release();
    releaseParameters(call);
}
