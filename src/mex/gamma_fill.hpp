// The element loops of the modules that draw gamma variates value by value, one element after
// another in column-major order from the host's uniforms: shapedraw and recipshapedraw
// (fillGammaFamily) and studentdraw (fillStudent, gamma_fill.cpp).
//
// Both use exact bulk drawing (host_random.hpp): the uniforms the elements ahead are certain to
// draw (their minimum numbers, summed) are fetched in one host call, and consecutive elements with
// the same degrees of freedom whose variates the block gives whole are drawn from it together
// (gamma_batch.hpp); the others one by one. Every number fetched is used, in order, so the values
// and the host's final state are those of one-at-a-time drawing.
//
// Time is linear in the elements and the numbers drawn, whatever the values: no element is looked
// at more than a bounded number of times, and the work done is reported to an interrupt poll,
// elements that draw nothing included.
#pragma once

#include <cstddef>

#include "mex/host_random.hpp"
#include "mex/interrupt.hpp"
#include "mex/memory_limit.hpp"
#include "mex/size_rule.hpp"
#include "sampling/gamma.hpp"
#include "sampling/gamma_batch.hpp"
#include "sampling/progress.hpp"
#include "sampling/student.hpp"

namespace montemex {

// Blocks the gamma family reserves hold at most this many uniforms (2 MB, within
// HostSource::kMaxReserve).
//
// The host writes a block, the entry layer checks it and the batch reads it while it is still in
// the processor's cache. Blocks of 2^20 (8 MB) are not, and took a sixth longer in all (measured
// in Octave).
inline constexpr std::size_t kGammaBlock = std::size_t(1) << 18;

// The work of one element besides its numbers, in interrupt-poll steps.
inline constexpr std::size_t kElementSteps = 4;

// Runs of equal values of a parameter, for loops that reach the elements in increasing order
// and ask at each for the run that starts there.
//
// What one scan has found equal is remembered, so that no element is compared twice however many
// elements of a run are drawn one by one (without that, long runs of values the batch cannot
// draw, such as zeros(1000), took time growing with the square of their length).
class EqualRuns {
public:
    explicit EqualRuns(const Parameter& p) : p_(p) {}

    // How many of the elements i ... end - 1 (at most `limit`) have the value of element i.
    // i must not decrease from one call to the next.
    std::size_t length(std::size_t i, std::size_t end, std::size_t limit)
    {
        if (end - i > limit) end = i + limit;
        if (!p_.isArray()) return end - i;
        const double* x = p_.data.values;
        if (equalUpTo_ <= i) equalUpTo_ = i + 1;
        const std::size_t from = equalUpTo_;
        while (equalUpTo_ < end && x[equalUpTo_] == x[i]) ++equalUpTo_;
        compared_ += equalUpTo_ - from + 1;
        return (equalUpTo_ < end ? equalUpTo_ : end) - i;
    }

    // The elements compared since the last call, as interrupt-poll steps.
    std::size_t takeWork()
    {
        const std::size_t work = compared_;
        compared_ = 0;
        return work;
    }

private:
    const Parameter& p_;
    std::size_t equalUpTo_ = 0;  // the elements from the current run's start to here hold its value
    std::size_t compared_ = 0;
};

// Runs shorter than this are drawn one by one: the batch evaluates a tile of attempts at a
// time (gamma_batch.hpp), which costs more than drawing a few variates.
inline constexpr std::size_t kShortestGammaRun = 32;

// Draws standard gamma variates of the shape `shape` for `run` elements that share it into
// variates[0 ...] (gamma_batch.hpp), as many as the held block of uniforms gives whole.
//
// Returns how many; 0 when no block is held, it cannot give the first whole, or the run is
// short: the first is then drawn number by number.
inline std::size_t drawGammaRun(HostSource& source, double shape, std::size_t run, double* variates)
{
    if (run < kShortestGammaRun) return 0;
    const HostSource::Span held = source.heldUniforms();
    const GammaBatch batch = drawGammaBatch(held.values, held.count, shape, variates, run);
    source.skipUniforms(batch.uniformsUsed);
    return batch.variates;
}

// The uniforms every element of a gamma-family call is certain to draw, summed
// (minimumGammaUniforms of each element's v / 2, the degrees of freedom being the second
// parameter).
//
// At most 3 per element: checkedCount keeps the element count below SIZE_MAX / 8, so the sum
// cannot overflow.
std::size_t minimumGammaFamilyUniforms(const ElementwiseCall& call);

// The bytes of the largest block of reserved uniforms a call holds whose elements are certain to
// draw `minimumUniforms` uniforms in all.
inline double gammaReserveBytes(std::size_t minimumUniforms)
{
    return bytesOfDoubles(static_cast<double>(minimumUniforms < kGammaBlock ? minimumUniforms : kGammaBlock));
}

// Fills out[i] = fromGamma(g, first(i), v(i)) for every element of the call in order, where
// g = drawGamma(v(i) / 2) and the second parameter holds the degrees of freedom v; where v / 2
// is a huge shape (isHugeGammaShape), out[i] = first(i) without a draw (gamma.hpp).
//
// `minimumUniforms` is minimumGammaFamilyUniforms(call).
//
// Before each element the source is told the minimum uniforms of that element and of the
// elements after it: whenever it holds none, it fetches what those and the draw in progress are
// certain to use (at most kGammaBlock) in one host call.
template <typename FromGamma>
void fillGammaFamily(HostSource& source, const ElementwiseCall& call, std::size_t minimumUniforms, double* out,
                     FromGamma fromGamma)
{
    const Parameter& first = call.parameters[0];
    const Parameter& dof = call.parameters[1];
    std::size_t remaining = minimumUniforms;  // minimum uniforms of the elements not yet drawn
    EqualRuns runs(dof);
    InterruptPoll poll;
    source.limitUniformBlocks(kGammaBlock);
    std::size_t i = 0;
    while (i < call.count) {
        const double v = dof.at(i);
        const double shape = v / 2.0;
        const std::size_t element = minimumGammaUniforms(shape);
        source.planUniforms(element, remaining - element);
        std::size_t drawn = drawGammaRun(source, shape, runs.length(i, call.count, kProgressChunk), out + i);
        if (first.isArray()) {
            for (std::size_t k = i; k < i + drawn; ++k) out[k] = fromGamma(out[k], first.data.values[k], v);
        } else {
            const double a = first.scalar;
            for (std::size_t k = i; k < i + drawn; ++k) out[k] = fromGamma(out[k], a, v);
        }
        if (drawn == 0) {
            out[i] = isHugeGammaShape(shape) ? first.at(i) : fromGamma(drawGamma(source, shape), first.at(i), v);
            drawn = 1;
        }
        remaining -= element * drawn;
        i += drawn;
        poll(kElementSteps * drawn + runs.takeWork() + source.takeWork());
    }
    source.release();
}

// The numbers of each kind every element of a studentdraw call is certain to draw, summed
// (minimumStudentDraws of each element's nu, the only parameter). At most 3 per element, as above.
StudentDraws minimumStudentCallDraws(const ElementwiseCall& call);

// The bytes of the largest block of reserved numbers a studentdraw call holds whose elements are
// certain to draw `minimum` numbers: a block of uniforms or of normals, never both at once (see
// fillStudent).
double studentReserveBytes(const StudentDraws& minimum);

// Turns the normals Z in r[0 ...] (from one randn call, one per element) into Student t variates
// by the draws of studentFromNormal (sampling/student.hpp), element by element in order; nu is
// the call's only parameter.
//
// Exact bulk drawing, one run at a time: a run is a stretch of elements none of which draws the
// other kind of number than the run's first drawing element, and the source's plan covers at
// most what is left of its run (see host_random.hpp for why); a block holds at most kGammaBlock
// uniforms or HostSource::kMaxReserve normals. All of it is used before the run ends, so a block
// of one kind is never held while the other kind is drawn.
void fillStudent(HostSource& source, const ElementwiseCall& call, double* r);

}  // namespace montemex
