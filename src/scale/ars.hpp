// Adaptive rejection sampling of a log-concave density (Gilks and Wild 1992, "Adaptive rejection
// sampling for Gibbs sampling", Applied Statistics 41, 337-348), tangent variant without a squeeze.
//
// The density is given by its logarithm h (up to a constant) and the derivative h', both from a
// callback. The upper hull of h is the minimum of tangent lines t_i(v) = slope_i * v + intercept_i;
// exp(hull) is a piecewise-exponential envelope of the density. Each proposal draws a candidate x
// from the normalised envelope and accepts it with probability exp(h(x) - hull(x)); a rejected
// candidate becomes a further tangent, up to 100 tangents in all.
//
// Random numbers: exactly three uniforms per proposal, in this order: segment of the envelope,
// position in the segment, acceptance. The start searches draw none.
//
// Beyond the plain algorithm:
//   - every loop is bounded, and a callback that is not finite or not log-concave ends the draw
//     with a status (ArsStatus), never with an endless loop;
//   - the start tangents must be precise enough for their envelope to mean something
//     (kStartRounding);
//   - no non-finite tangent enters the hull, and a new tangent that would enlarge the envelope
//     (a correct one only lowers it; rounding can swamp one taken far out in a steep tail) is
//     taken back. Neither changes anything while the envelope stays sound.
#pragma once

#include <cmath>
#include <limits>

#include "common/variates.hpp"

namespace montemex {

// h(x), with h'(x) stored into slopeOut; data is the caller's opaque block. Must draw no random
// numbers and must not call ars.
using LogDensityFn = double (*)(double x, double& slopeOut, void* data);

// One tangent of the hull. The hull is a list in ascending x; a node's segment runs from its left
// neighbour's zRight (minus infinity for the leftmost) to its own zRight (plus infinity for the
// rightmost, whose zRight is never set).
struct HullNode {
    double slope;      // h'(x)
    double intercept;  // h(x) - x * slope
    double x;          // where h and h' were evaluated
    double zRight;     // where this tangent meets the next node's tangent
    double area;       // integral of exp(tangent - hullMax) over the segment
    HullNode* prev;
    HullNode* next;
};

// Module-level state: the leftmost node of the hull of the draw in progress (meaningless between
// draws), and whether the rejection warning has been written since the module was loaded.
extern HullNode* hullHead;
extern int arsWarned;

enum class ArsStatus {
    Drawn,          // the result is a draw
    BadStart,       // xStart not finite, or step not positive, finite and larger than xStart's spacing
    SearchFailed,   // a start search met a non-finite h or h', did not end in kMaxSearchSteps steps,
                    // or ended with tangents that do not form a hull
    Imprecise,      // the start tangents are too steep, or lie too far out, to be evaluated at their
                    // meeting point to within kStartRounding: the envelope would be rounding noise
    BadDensity,     // h was NaN or +Inf at a candidate, or the envelope's total area was not
                    // finite and positive
    TooManyProposals,  // kMaxProposals proposals were rejected
};

inline constexpr int kHullCapacity = 100;
inline constexpr double kFlatSlope = 1e-9;
inline constexpr long kWarningRejections = 10000;
// A bound only a callback breaking the requirements can reach: doubling steps leave the finite
// doubles within about 2100 steps of any positive step.
inline constexpr int kMaxSearchSteps = 4096;
// Proposals before giving up: far above what any sound envelope needs (a few dozen), and low
// enough that a hopeless draw ends in well under a second.
inline constexpr long kMaxProposals = 100000;
// Largest rounding error, in units of h, allowed in the start tangents at their meeting point.
// Draws fail (with a swamped, infinite or empty envelope) only from about 1000 onwards.
inline constexpr double kStartRounding = 1.0;

// The two start nodes in nodes[0] and nodes[1], found by searching left and right of xStart with
// doubling steps; sets hullHead. Calls the callback only.
ArsStatus startHull(HullNode nodes[], double xStart, double step, LogDensityFn logDensity, void* data);

// The envelope's largest value (hullMax) and its total area relative to exp(hullMax).
struct Envelope {
    double hullMax = 0.0;
    double total = 0.0;
};

// hullMax and every node's area, from scratch; the total sums the areas from leftmost to rightmost.
Envelope updateEnvelope();

// The node whose segment holds the point at which the cumulative area reaches t (t = total * u1).
HullNode* chooseSegment(double t);

// The point of node's segment for the uniform u2, inverting the segment's distribution function
// from the end where the envelope is highest, so that no exponent is positive.
double placeInSegment(const HullNode* node, double u2);

// What an addition changed, so that it can be taken back.
struct Addition {
    HullNode* added = nullptr;  // none when nothing was added
    HullNode* left = nullptr;
    HullNode* right = nullptr;
    double leftZRight = 0.0;  // left's zRight before the addition, when left had a right neighbour
};

// Adds the rejected candidate (x, h, slope) as a tangent when the hull has room and its slope is
// neither flat nor within kFlatSlope of the slopes of `node` (the candidate's segment) and its
// neighbours, and when its tangent and intersections are finite. Returns what was added.
Addition addNode(HullNode nodes[], int& count, HullNode* node, double x, double h, double slope);

// Takes back the last addition: the hull is as it was before it.
void undoAddition(const Addition& addition, int& count);

inline bool isUsableTotal(double total)
{
    return total > 0.0 && total <= std::numeric_limits<double>::max();
}

// Whether `after` is finite and encloses no more area than `before` (one part in a million is
// allowed for rounding), both measured on the same scale.
inline bool isSmallerEnvelope(const Envelope& after, const Envelope& before)
{
    return isUsableTotal(after.total) &&
           after.total * std::exp(after.hullMax - before.hullMax) <= before.total * (1.0 + 1e-6);
}

// Writes the rejection warning to standard error the first time only.
void warnOnce();

// One draw from the normalised envelope of the current hull; nodeOut receives the node whose
// segment holds it. Two uniforms.
template <typename Source>
double drawEnvelope(Source& source, HullNode*& nodeOut)
{
    double total = 0.0;
    for (const HullNode* n = hullHead; n != nullptr; n = n->next) total += n->area;
    double t = total * drawUniform(source);
    HullNode* node = chooseSegment(t);
    double u2 = drawUniform(source);
    nodeOut = node;
    return placeInSegment(node, u2);
}

// One draw from the density proportional to exp(h). The searches start at xStart (best near the
// mode) with base step `step`. The source must offer uniform() and reserveUniforms(k); three
// uniforms are reserved before each proposal, since each proposal is certain to use them.
// Returns NaN when status is not Drawn.
template <typename Source>
double ars(Source& source, double xStart, double step, LogDensityFn logDensity, void* data, ArsStatus& status)
{
    const double failed = std::numeric_limits<double>::quiet_NaN();
    HullNode nodes[kHullCapacity];
    status = startHull(nodes, xStart, step, logDensity, data);
    if (status != ArsStatus::Drawn) return failed;

    int count = 2;
    Addition last;
    Envelope previous;
    for (long rejections = 0;; ++rejections) {
        if (rejections == kWarningRejections) warnOnce();
        if (rejections == kMaxProposals) {
            status = ArsStatus::TooManyProposals;
            return failed;
        }
        Envelope envelope = updateEnvelope();
        if (last.added != nullptr && !isSmallerEnvelope(envelope, previous)) {
            // A new tangent can only lower the envelope. This one came from a far tail where h is
            // so steep that rounding swamped its value at the segment boundaries: take it back.
            undoAddition(last, count);
            envelope = updateEnvelope();
        }
        if (!isUsableTotal(envelope.total)) {
            status = ArsStatus::BadDensity;
            return failed;
        }
        previous = envelope;
        last = Addition{};

        source.reserveUniforms(3);
        HullNode* node = nullptr;
        double x = drawEnvelope(source, node);
        double slope = 0.0;
        double h = logDensity(x, slope, data);
        double u = drawUniform(source);
        if (std::isnan(h) || h == std::numeric_limits<double>::infinity()) {
            status = ArsStatus::BadDensity;
            return failed;
        }
        double w = std::exp((h - node->slope * x) - node->intercept);
        if (u <= w) return x;
        last = addNode(nodes, count, node, x, h, slope);
    }
}

}  // namespace montemex
