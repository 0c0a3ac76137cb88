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
    constexpr std::size_t kBatch = 4096;
    double gammas[kBatch];
    // Exact bulk drawing, one run at a time: a run is a stretch of elements none of which draws
    // the other kind of number than the run's first drawing element. Where "rand" and "randn"
    // share one stream, a reserve must not reach past a draw of the other kind, so each reserve
    // covers at most the minimum draws of what is left of its run, and all of it is used
    // before the run ends.
    std::size_t i = 0;
    while (i < call.count) {
        std::size_t end = i;
        StudentDraws run;
        if (!nu.isArray()) {
            // One nu for all: one run of all elements.
            const StudentDraws each = minimumStudentDraws(nu.scalar);
            end = call.count;
            run.uniforms = each.uniforms * call.count;
            run.normals = each.normals * call.count;
        }
        for (; end < call.count; ++end) {
            StudentDraws next = minimumStudentDraws(nu.at(end));
            if ((next.normals > 0 && run.uniforms > 0) || (next.uniforms > 0 && run.normals > 0)) break;
            run.uniforms += next.uniforms;
            run.normals += next.normals;
        }
        while (i < end) {
            const double v = nu.at(i);
            const StudentDraws element = minimumStudentDraws(v);
            if (element.uniforms > 0) source.reserveUniforms(run.uniforms < kGammaBlock ? run.uniforms : kGammaBlock);
            if (element.normals > 0) source.reserveNormals(run.normals);
            // Elements with the same nu whose gamma variates the held block gives whole are
            // drawn together (gamma_fill.hpp), the others one by one.
            std::size_t drawn = studentUsesGamma(v) ? drawGammaRun(source, nu, i, end, kBatch, gammas) : 0;
            for (std::size_t k = 0; k < drawn; ++k) r[i + k] = studentFromGamma(r[i + k], gammas[k], v);
            if (drawn == 0) {
                r[i] = studentFromNormal(source, r[i], v);
                drawn = 1;
            }
            run.uniforms -= element.uniforms * drawn;
            run.normals -= element.normals * drawn;
            i += drawn;
            poll(12 * drawn);
        }
    }
    source.release();
    releaseParameters(call);
}
