#include "mex/gamma_fill.hpp"

namespace montemex {

namespace {

StudentDraws operator+(const StudentDraws& a, const StudentDraws& b)
{
    StudentDraws sum;
    sum.uniforms = a.uniforms + b.uniforms;
    sum.normals = a.normals + b.normals;
    return sum;
}

StudentDraws times(const StudentDraws& each, std::size_t count)
{
    StudentDraws all;
    all.uniforms = each.uniforms * count;
    all.normals = each.normals * count;
    return all;
}

// The sum of minimumOf(x) over the first `count` values x of the array parameter p, a chunk at a
// time between interrupt polls.
template <typename Draws, typename MinimumOf>
Draws sumOverElements(const Parameter& p, std::size_t count, MinimumOf minimumOf, Draws sum)
{
    InterruptPoll poll;
    for (std::size_t begin = 0; begin < count; begin = chunkEnd(begin, count)) {
        const std::size_t end = chunkEnd(begin, count);
        for (std::size_t i = begin; i < end; ++i) sum = sum + minimumOf(p.data.values[i]);
        poll(end - begin);
    }
    return sum;
}

std::size_t smaller(std::size_t a, std::size_t b)
{
    return a < b ? a : b;
}

// The planned part of the studentdraw run in progress: the elements before `end`, whether `end`
// is where the run ends, which kind of number its elements draw, and the minimum draws of its
// planned elements not yet drawn.
struct StudentRun {
    std::size_t end = 0;
    bool closed = false;
    bool drawsUniforms = false;
    bool drawsNormals = false;
    StudentDraws left;
};

// Plans elements from run.end on until the planned ones are certain to draw a whole reserve
// (so that planning further would not change it), or the run ends: after the last element, or
// before one that draws the other kind. Each element is planned once.
void extendRun(StudentRun& run, const Parameter& nu, std::size_t count, InterruptPoll& poll)
{
    while (!run.closed && run.left.uniforms < kGammaBlock && run.left.normals < HostSource::kMaxReserve) {
        const std::size_t begin = run.end;
        const std::size_t stop = chunkEnd(begin, count);
        for (; run.end < stop; ++run.end) {
            const StudentDraws next = minimumStudentDraws(nu.at(run.end));
            if ((next.normals > 0 && run.drawsUniforms) || (next.uniforms > 0 && run.drawsNormals)) {
                run.closed = true;
                break;
            }
            run.drawsUniforms = run.drawsUniforms || next.uniforms > 0;
            run.drawsNormals = run.drawsNormals || next.normals > 0;
            run.left = run.left + next;
        }
        if (run.end == count) run.closed = true;
        poll(run.end - begin);
    }
}

}  // namespace

std::size_t minimumGammaFamilyUniforms(const ElementwiseCall& call)
{
    const Parameter& dof = call.parameters[1];
    if (!dof.isArray()) return call.count > 0 ? minimumGammaUniforms(dof.scalar / 2.0) * call.count : 0;
    const auto minimumOf = [](double v) { return minimumGammaUniforms(v / 2.0); };
    return sumOverElements(dof, call.count, minimumOf, std::size_t(0));
}

StudentDraws minimumStudentCallDraws(const ElementwiseCall& call)
{
    const Parameter& nu = call.parameters[0];
    if (!nu.isArray()) return call.count > 0 ? times(minimumStudentDraws(nu.scalar), call.count) : StudentDraws{};
    return sumOverElements(nu, call.count, minimumStudentDraws, StudentDraws{});
}

double studentReserveBytes(const StudentDraws& minimum)
{
    const std::size_t uniforms = smaller(minimum.uniforms, kGammaBlock);
    const std::size_t normals = smaller(minimum.normals, HostSource::kMaxReserve);
    return bytesOfDoubles(static_cast<double>(uniforms > normals ? uniforms : normals));
}

void fillStudent(HostSource& source, const ElementwiseCall& call, double* r)
{
    const Parameter& nu = call.parameters[0];
    EqualRuns equal(nu);
    InterruptPoll poll;
    constexpr std::size_t kBatch = 4096;
    double gammas[kBatch];
    StudentRun run;
    source.limitUniformBlocks(kGammaBlock);
    if (!nu.isArray() && call.count > 0) {
        // One nu for all: one run of all elements, planned at once.
        run.end = call.count;
        run.closed = true;
        run.left = times(minimumStudentDraws(nu.scalar), call.count);
    }
    std::size_t i = 0;
    while (i < call.count) {
        if (i == run.end) {
            // Every element planned is drawn, and with them every number reserved: a new run.
            run = StudentRun{};
            run.end = i;
        }
        extendRun(run, nu, call.count, poll);
        const double v = nu.at(i);
        const StudentDraws element = minimumStudentDraws(v);
        if (element.uniforms > 0) source.planUniforms(element.uniforms, run.left.uniforms - element.uniforms);
        if (element.normals > 0) source.planNormals(element.normals, run.left.normals - element.normals);
        std::size_t drawn = 0;
        if (studentUsesGamma(v)) {
            drawn = drawGammaRun(source, v / 2.0, equal.length(i, run.end, kBatch), gammas);
            for (std::size_t k = 0; k < drawn; ++k) r[i + k] = studentFromGamma(r[i + k], gammas[k], v);
        }
        if (drawn == 0) {
            r[i] = studentFromNormal(source, r[i], v);
            drawn = 1;
        }
        run.left.uniforms -= element.uniforms * drawn;
        run.left.normals -= element.normals * drawn;
        i += drawn;
        poll(kElementSteps * drawn + equal.takeWork() + source.takeWork());
    }
    source.release();
}

}  // namespace montemex
