#include "scale/ars.hpp"

#include <cstdio>

namespace montemex {

HullNode* hullHead = nullptr;
int arsWarned = 0;

namespace {

bool isFinite(double v)
{
    return std::isfinite(v);
}

// x where the tangents of `left` and `right` meet.
double meetingPoint(const HullNode* left, const HullNode* right)
{
    return (right->intercept - left->intercept) / (left->slope - right->slope);
}

// Bound on the rounding error of slope * z + intercept, the node's tangent at z, as computed from
// its parts.
double roundingAt(const HullNode* node, double z)
{
    double scale = std::fabs(node->slope) * std::fmax(std::fabs(z), std::fabs(node->x)) + std::fabs(node->intercept);
    return std::numeric_limits<double>::epsilon() * scale;
}

void setTangent(HullNode* node, double x, double h, double slope)
{
    node->x = x;
    node->slope = slope;
    node->intercept = h - x * slope;
}

}  // namespace

ArsStatus startHull(HullNode nodes[], double xStart, double step, LogDensityFn logDensity, void* data)
{
    nodes[0].prev = nullptr;
    nodes[0].next = &nodes[1];
    nodes[1].prev = &nodes[0];
    nodes[1].next = nullptr;
    hullHead = &nodes[0];
    // A step below the spacing of the doubles at xStart would leave the searches in place.
    if (!isFinite(xStart) || !(step > 0.0) || !isFinite(step) || xStart - step == xStart || xStart + step == xStart) {
        return ArsStatus::BadStart;
    }

    // Left search: steps of step, 2 step, 4 step, ... to the left, until the slope is clearly
    // positive and h lies at least 0.1 below the largest value met.
    double slope = 0.0;
    double x = xStart;
    double h = logDensity(x, slope, data);
    double top = h;
    for (int steps = 0; !(slope >= kFlatSlope && h <= top - 0.1); ++steps) {
        if (!isFinite(h) || !isFinite(slope) || steps == kMaxSearchSteps) return ArsStatus::SearchFailed;
        x = x - ((xStart - x) + step);
        h = logDensity(x, slope, data);
        if (h > top) top = h;
    }
    if (!isFinite(h) || !isFinite(slope)) return ArsStatus::SearchFailed;
    setTangent(&nodes[0], x, h, slope);

    // Right search, the mirror image; top keeps the largest value of the left search.
    x = xStart;
    h = logDensity(x, slope, data);
    for (int steps = 0; !(slope <= -kFlatSlope && h <= top - 0.1); ++steps) {
        if (!isFinite(h) || !isFinite(slope) || steps == kMaxSearchSteps) return ArsStatus::SearchFailed;
        x = x + ((x - xStart) + step);
        h = logDensity(x, slope, data);
        if (h > top) top = h;
    }
    if (!isFinite(h) || !isFinite(slope)) return ArsStatus::SearchFailed;
    setTangent(&nodes[1], x, h, slope);
    nodes[0].zRight = meetingPoint(&nodes[0], &nodes[1]);

    // A log-concave h has its positive-slope end left of its negative-slope end.
    if (!(nodes[0].x < nodes[1].x) || !isFinite(nodes[0].intercept) || !isFinite(nodes[1].intercept) ||
        !isFinite(nodes[0].zRight)) {
        return ArsStatus::SearchFailed;
    }
    const double z = nodes[0].zRight;
    if (roundingAt(&nodes[0], z) > kStartRounding || roundingAt(&nodes[1], z) > kStartRounding) {
        return ArsStatus::Imprecise;
    }
    return ArsStatus::Drawn;
}

Envelope updateEnvelope()
{
    // The largest value of the hull is at one of the inner segment boundaries.
    double hullMax = hullHead->slope * hullHead->zRight + hullHead->intercept;
    for (const HullNode* n = hullHead->next; n->next != nullptr; n = n->next) {
        double value = n->slope * n->zRight + n->intercept;
        if (value > hullMax) hullMax = value;
    }

    double total = 0.0;
    for (HullNode* n = hullHead; n != nullptr; n = n->next) {
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

HullNode* chooseSegment(double t)
{
    HullNode* node = hullHead;
    while (node->next != nullptr) {
        t = t - node->area;
        if (!(t >= 0.0)) break;
        node = node->next;
    }
    return node;
}

double placeInSegment(const HullNode* node, double u2)
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

Addition addNode(HullNode nodes[], int& count, HullNode* node, double x, double h, double slope)
{
    Addition addition;
    if (!(count < kHullCapacity)) return addition;
    if (!(std::fabs(slope) > kFlatSlope)) return addition;
    if (!(std::fabs(slope - node->slope) > kFlatSlope)) return addition;
    if (node->prev != nullptr && !(std::fabs(slope - node->prev->slope) > kFlatSlope)) return addition;
    if (node->next != nullptr && !(std::fabs(slope - node->next->slope) > kFlatSlope)) return addition;

    // The new node goes after `left` (before the head when there is none).
    HullNode* left = node->x > x ? node->prev : node;
    HullNode* right = left != nullptr ? left->next : hullHead;

    // A tangent or intersection that is not finite would spoil every later envelope: such a
    // candidate (from a far tail where h has over- or underflowed) is dropped like the others.
    HullNode added;
    setTangent(&added, x, h, slope);
    if (!isFinite(h) || !isFinite(slope) || !isFinite(added.intercept)) return addition;
    if (left != nullptr && !isFinite(meetingPoint(left, &added))) return addition;
    if (right != nullptr && !isFinite(meetingPoint(&added, right))) return addition;

    HullNode* fresh = &nodes[count];
    ++count;
    addition.added = fresh;
    addition.left = left;
    addition.right = right;
    if (left != nullptr && right != nullptr) addition.leftZRight = left->zRight;
    fresh->prev = left;
    if (left != nullptr) {
        fresh->next = left->next;
        left->next = fresh;
    } else {
        fresh->next = hullHead;
        hullHead = fresh;
    }
    if (right != nullptr) right->prev = fresh;
    setTangent(fresh, x, h, slope);
    if (left != nullptr) left->zRight = meetingPoint(left, fresh);
    if (right != nullptr) fresh->zRight = meetingPoint(fresh, right);
    return addition;
}

void undoAddition(const Addition& addition, int& count)
{
    if (addition.left != nullptr) {
        addition.left->next = addition.right;
        if (addition.right != nullptr) addition.left->zRight = addition.leftZRight;
    } else {
        hullHead = addition.right;
    }
    if (addition.right != nullptr) addition.right->prev = addition.left;
    --count;
}

void warnOnce()
{
    if (arsWarned == 0) {
        std::fprintf(stderr, "WARNING: More than 10000 rejections in ars\n");
        arsWarned = 1;
    }
}

}  // namespace montemex
