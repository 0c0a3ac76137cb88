// Adaptive rejection sampling of a log-concave density given by its logarithm h and derivative
// h' (Gilks and Wild 1992, "Adaptive rejection sampling for Gibbs sampling", Applied Statistics
// 41, 337-348), tangent variant without a squeeze: ars(source, hull, xStart, step, h, data).
//
// The upper hull of h is the minimum of tangent lines t_i(v) = slope_i * v + intercept_i;
// exp(hull) is a piecewise-exponential envelope of the density. Each proposal draws a candidate x
// from the normalised envelope and accepts it with probability exp(h(x) - hull(x)); a rejected
// candidate becomes a further tangent, up to 100 tangents in all.
//
// Random numbers: exactly three uniforms per proposal, in this order: segment of the envelope,
// position in the segment, acceptance. The start searches draw none. The hull lives in a Hull the
// caller owns, so the sampler keeps no state of its own. It prints nothing: it calls back when a
// draw has rejected kWarningRejections proposals, before the next, so that its caller may warn
// then, and returns how many proposals it rejected.
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
#include <cstddef>
#include <limits>

#include "progress.hpp"
#include "source.hpp"
#include "variates.hpp"

namespace montemex {

// The density, as the caller's function: returns h(x) and stores h'(x) into slopeOut; `data` is
// the caller's block of constants, handed through unchanged. It must draw no random numbers.
//
// This is the one function pointer the library takes: sources and progress callbacks are
// template arguments.
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

inline constexpr int kHullCapacity = 100;

// The sampler's state during one draw, owned by the caller: a fixed array of nodes (no heap), the
// leftmost node, and how many nodes are in use. startHull sets it up; it means nothing between
// draws. Its nodes point at one another, so a Hull cannot be copied.
struct Hull {
    Hull() = default;
    Hull(const Hull&) = delete;
    Hull& operator=(const Hull&) = delete;

    HullNode nodes[kHullCapacity];
    HullNode* head = nullptr;
    int count = 0;
};

// How the start searches ended (startHull).
enum class HullStart {
    Ready,         // nodes[0] and nodes[1] hold the two start tangents
    BadStart,      // xStart not finite, or step not positive, finite and larger than xStart's spacing
    SearchFailed,  // a search met a non-finite h or h', did not end in kMaxSearchSteps steps, or
                   // ended with tangents that do not form a hull
    Imprecise,     // the start tangents are too steep, or lie too far out, to be evaluated at their
                   // meeting point to within kStartRounding: the envelope would be rounding noise
};

// How a draw ended (ars).
enum class ArsStatus {
    Drawn,             // the result is a draw
    NoStart,           // startHull found no hull (see HullStart)
    BadDensity,        // h was NaN or +Inf at a candidate, or the envelope's total area was not
                       // finite and positive
    TooManyProposals,  // kMaxProposals proposals were rejected
};

inline constexpr double kFlatSlope = 1e-9;
// Rejections in one draw past which a caller may warn that the density is hard to sample.
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

namespace detail {

inline bool isFinite(double v)
{
    return std::isfinite(v);
}

// x where the tangents of `left` and `right` meet.
inline double meetingPoint(const HullNode* left, const HullNode* right)
{
    return (right->intercept - left->intercept) / (left->slope - right->slope);
}

// Bound on the rounding error of slope * z + intercept, the node's tangent at z, as computed from
// its parts.
inline double roundingAt(const HullNode* node, double z)
{
    double scale = std::fabs(node->slope) * std::fmax(std::fabs(z), std::fabs(node->x)) + std::fabs(node->intercept);
    return std::numeric_limits<double>::epsilon() * scale;
}

inline void setTangent(HullNode* node, double x, double h, double slope)
{
    node->x = x;
    node->slope = slope;
    node->intercept = h - x * slope;
}

}  // namespace detail

// The two start nodes in nodes[0] and nodes[1], found by searching left and right of xStart with
// doubling steps; sets up the hull with them. Calls the callback only.
inline HullStart startHull(Hull& hull, double xStart, double step, LogDensityFn logDensity, void* data)
{
    using detail::isFinite;
    HullNode* nodes = hull.nodes;
    nodes[0].prev = nullptr;
    nodes[0].next = &nodes[1];
    nodes[1].prev = &nodes[0];
    nodes[1].next = nullptr;
    hull.head = &nodes[0];
    hull.count = 2;
    // A step below the spacing of the doubles at xStart would leave the searches in place.
    if (!isFinite(xStart) || !(step > 0.0) || !isFinite(step) || xStart - step == xStart || xStart + step == xStart) {
        return HullStart::BadStart;
    }

    // Left search: steps of step, 2 step, 4 step, ... to the left, until the slope is clearly
    // positive and h lies at least 0.1 below the largest value met.
    double slope = 0.0;
    double x = xStart;
    double h = logDensity(x, slope, data);
    double top = h;
    for (int steps = 0; !(slope >= kFlatSlope && h <= top - 0.1); ++steps) {
        if (!isFinite(h) || !isFinite(slope) || steps == kMaxSearchSteps) return HullStart::SearchFailed;
        x = x - ((xStart - x) + step);
        h = logDensity(x, slope, data);
        if (h > top) top = h;
    }
    if (!isFinite(h) || !isFinite(slope)) return HullStart::SearchFailed;
    detail::setTangent(&nodes[0], x, h, slope);

    // Right search, the mirror image; top keeps the largest value of the left search.
    x = xStart;
    h = logDensity(x, slope, data);
    for (int steps = 0; !(slope <= -kFlatSlope && h <= top - 0.1); ++steps) {
        if (!isFinite(h) || !isFinite(slope) || steps == kMaxSearchSteps) return HullStart::SearchFailed;
        x = x + ((x - xStart) + step);
        h = logDensity(x, slope, data);
        if (h > top) top = h;
    }
    if (!isFinite(h) || !isFinite(slope)) return HullStart::SearchFailed;
    detail::setTangent(&nodes[1], x, h, slope);
    nodes[0].zRight = detail::meetingPoint(&nodes[0], &nodes[1]);

    // A log-concave h has its positive-slope end left of its negative-slope end.
    if (!(nodes[0].x < nodes[1].x) || !isFinite(nodes[0].intercept) || !isFinite(nodes[1].intercept) ||
        !isFinite(nodes[0].zRight)) {
        return HullStart::SearchFailed;
    }
    const double z = nodes[0].zRight;
    if (detail::roundingAt(&nodes[0], z) > kStartRounding || detail::roundingAt(&nodes[1], z) > kStartRounding) {
        return HullStart::Imprecise;
    }
    return HullStart::Ready;
}

// The envelope's largest value (hullMax) and its total area relative to exp(hullMax).
struct Envelope {
    double hullMax = 0.0;
    double total = 0.0;
};

// hullMax and every node's area, from scratch; the total sums the areas from leftmost to rightmost.
inline Envelope updateEnvelope(Hull& hull)
{
    // The largest value of the hull is at one of the inner segment boundaries.
    double hullMax = hull.head->slope * hull.head->zRight + hull.head->intercept;
    for (const HullNode* n = hull.head->next; n->next != nullptr; n = n->next) {
        double value = n->slope * n->zRight + n->intercept;
        if (value > hullMax) hullMax = value;
    }

    double total = 0.0;
    for (HullNode* n = hull.head; n != nullptr; n = n->next) {
        if (n->prev == nullptr) {
            n->area = std::exp(n->slope * n->zRight + n->intercept - hullMax) / n->slope;
        } else if (n->next != nullptr) {
            double p = n->prev->zRight;
            n->area = (std::exp(n->slope * n->zRight + n->intercept - hullMax) -
                       std::exp(n->slope * p + n->intercept - hullMax)) /
                      n->slope;
        } else {
            double p = n->prev->zRight;
            n->area = -std::exp(n->slope * p + n->intercept - hullMax) / n->slope;
        }
        total += n->area;
    }
    Envelope envelope;
    envelope.hullMax = hullMax;
    envelope.total = total;
    return envelope;
}

// The node whose segment holds the point at which the cumulative area reaches t (t = total * u1).
inline HullNode* chooseSegment(const Hull& hull, double t)
{
    HullNode* node = hull.head;
    while (node->next != nullptr) {
        t = t - node->area;
        if (!(t >= 0.0)) break;
        node = node->next;
    }
    return node;
}

// The point of node's segment for the uniform u2, inverting the segment's distribution function
// from the end where the envelope is highest, so that no exponent is positive.
inline double placeInSegment(const HullNode* node, double u2)
{
    const double s = node->slope;
    if (node->prev == nullptr) return node->zRight + std::log(u2) / s;
    const double a = node->prev->zRight;
    if (node->next == nullptr) return a + std::log(u2) / s;
    const double c = node->zRight;
    // The segment's distribution function inverted from its higher end: E is the envelope's
    // value at the lower end relative to the higher end, in (0, 1].
    double e = std::exp(std::fabs(s) * (a - c));
    double offset = std::log(u2 + (1.0 - u2) * e) / s;
    return s > 0.0 ? c + offset : a + offset;
}

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
inline Addition addNode(Hull& hull, HullNode* node, double x, double h, double slope)
{
    using detail::isFinite;
    using detail::meetingPoint;
    Addition addition;
    if (!(hull.count < kHullCapacity)) return addition;
    if (!(std::fabs(slope) > kFlatSlope)) return addition;
    if (!(std::fabs(slope - node->slope) > kFlatSlope)) return addition;
    if (node->prev != nullptr && !(std::fabs(slope - node->prev->slope) > kFlatSlope)) return addition;
    if (node->next != nullptr && !(std::fabs(slope - node->next->slope) > kFlatSlope)) return addition;

    // The new node goes after `left` (before the head when there is none).
    HullNode* left = node->x > x ? node->prev : node;
    HullNode* right = left != nullptr ? left->next : hull.head;

    // A tangent or intersection that is not finite would spoil every later envelope: such a
    // candidate (from a far tail where h has over- or underflowed) is dropped like the others.
    HullNode added;
    detail::setTangent(&added, x, h, slope);
    if (!isFinite(h) || !isFinite(slope) || !isFinite(added.intercept)) return addition;
    if (left != nullptr && !isFinite(meetingPoint(left, &added))) return addition;
    if (right != nullptr && !isFinite(meetingPoint(&added, right))) return addition;

    HullNode* fresh = &hull.nodes[hull.count];
    ++hull.count;
    addition.added = fresh;
    addition.left = left;
    addition.right = right;
    if (left != nullptr && right != nullptr) addition.leftZRight = left->zRight;
    fresh->prev = left;
    if (left != nullptr) {
        fresh->next = left->next;
        left->next = fresh;
    } else {
        fresh->next = hull.head;
        hull.head = fresh;
    }
    if (right != nullptr) right->prev = fresh;
    detail::setTangent(fresh, x, h, slope);
    if (left != nullptr) left->zRight = meetingPoint(left, fresh);
    if (right != nullptr) fresh->zRight = meetingPoint(fresh, right);
    return addition;
}

// Takes back the last addition: the hull is as it was before it.
inline void undoAddition(Hull& hull, const Addition& addition)
{
    if (addition.left != nullptr) {
        addition.left->next = addition.right;
        if (addition.right != nullptr) addition.left->zRight = addition.leftZRight;
    } else {
        hull.head = addition.right;
    }
    if (addition.right != nullptr) addition.right->prev = addition.left;
    --hull.count;
}

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

// One draw from the normalised envelope of the current hull, whose areas add up to `total`
// (updateEnvelope); nodeOut receives the node whose segment holds it. Two uniforms.
template <typename Source>
double drawEnvelope(Source& source, const Hull& hull, double total, HullNode*& nodeOut)
{
    double t = total * drawUniform(source);
    HullNode* node = chooseSegment(hull, t);
    double u2 = drawUniform(source);
    nodeOut = node;
    return placeInSegment(node, u2);
}

// The default for a caller that does not warn of many rejections.
struct NoRejectionWarning {
    void operator()() const {}
};

// A draw and how it went: x is NaN unless status is Drawn; `rejections` counts the proposals
// rejected before the draw ended, however it ended.
struct ArsDraw {
    double x = std::numeric_limits<double>::quiet_NaN();
    ArsStatus status = ArsStatus::Drawn;
    long rejections = 0;
};

// One draw from the density proportional to exp(h), in `hull`. The searches start at xStart (best
// near the mode) with base step `step`. manyRejections() is called once, when kWarningRejections
// proposals have been rejected, before the next is drawn. Each proposal is reported as progress
// (progress.hpp): a pass over the hull, a few exponentials per node.
//
// Three uniforms are reserved before each proposal (reserveUniforms, source.hpp), since each
// proposal is certain to use them.
template <typename Source, typename Warning = NoRejectionWarning, typename Progress = NoProgress>
ArsDraw ars(Source& source, Hull& hull, double xStart, double step, LogDensityFn logDensity, void* data,
            Warning&& manyRejections = Warning{}, Progress&& progress = Progress{})
{
    ArsDraw draw;
    if (startHull(hull, xStart, step, logDensity, data) != HullStart::Ready) {
        draw.status = ArsStatus::NoStart;
        return draw;
    }

    Addition last;
    Envelope previous;
    for (;; ++draw.rejections) {
        if (draw.rejections == kMaxProposals) {
            draw.status = ArsStatus::TooManyProposals;
            return draw;
        }
        Envelope envelope = updateEnvelope(hull);
        if (last.added != nullptr && !isSmallerEnvelope(envelope, previous)) {
            // A new tangent can only lower the envelope. This one came from a far tail where h is
            // so steep that rounding swamped its value at the segment boundaries: take it back.
            undoAddition(hull, last);
            envelope = updateEnvelope(hull);
        }
        if (!isUsableTotal(envelope.total)) {
            draw.status = ArsStatus::BadDensity;
            return draw;
        }
        previous = envelope;
        last = Addition{};

        reserveUniforms(source, 3);
        HullNode* node = nullptr;
        double x = drawEnvelope(source, hull, envelope.total, node);
        double slope = 0.0;
        double h = logDensity(x, slope, data);
        double u = drawUniform(source);
        if (std::isnan(h) || h == std::numeric_limits<double>::infinity()) {
            draw.status = ArsStatus::BadDensity;
            return draw;
        }
        double w = std::exp((h - node->slope * x) - node->intercept);
        if (u <= w) {
            draw.x = x;
            return draw;
        }
        last = addNode(hull, node, x, h, slope);
        if (draw.rejections + 1 == kWarningRejections) manyRejections();
        progress(8 * static_cast<std::size_t>(hull.count));
    }
}

}  // namespace montemex
