// Gradient paint as SVG defines it, worked out as brush parameters: the
// coordinate systems (user space or bounding box, gradient transform), the
// spread methods over the whole painted area, focal points and stops.
#include "render/gradient_plan.h"

#include <algorithm>
#include <cmath>

#include "render/graphics.h"

int SpreadToWrapMode(int spread) {
    return spread == 1 ? GfxWrapModeTileFlipXY : GfxWrapModeTile;
}

void StopsToBlend(const GradientDef* definition, float opacity, std::vector<uint32_t>* colours,
                  std::vector<float>* positions) {
    colours->clear();
    positions->clear();
    int count = GradientStopCount(definition);
    const GradientStop* stops = GradientStops(definition);
    if (count < 1)
        return;
    // Of stops sharing the first offset the last one holds there; at 0 the
    // earlier ones would show nowhere but in a sliver at the very start.
    int first = 0;
    while (first + 1 < count && stops[first + 1].offset == 0.0f)
        first++;
    stops += first;
    count -= first;
    if (stops[0].offset > 0.0f) {
        colours->push_back(ScaleAlpha(stops[0].colour, opacity));
        positions->push_back(0.0f);
    }
    for (int i = 0; i < count; i++) {
        colours->push_back(ScaleAlpha(stops[i].colour, opacity));
        positions->push_back(stops[i].offset);
    }
    if (stops[count - 1].offset < 1.0f) {
        colours->push_back(colours->back());
        positions->push_back(1.0f);
    }
}

namespace {

GradientPoint Apply(const Matrix2D& t, GradientPoint p) {
    ApplyMatrix(t, &p.x, &p.y);
    return p;
}

bool IsFinitePoint(GradientPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Gradient space to user space: the gradient transform, then for bounding-box
// units the box mapping (x + w * u, y + h * v). 0 when the box is empty.
int GradientToUser(const GradientDef* def, const GradientTarget& target, Matrix2D* out) {
    Matrix2D t = {1, 0, 0, 1, 0, 0};
    if (def->hasTransform)
        t = def->transform;
    if (def->units == 1) {
        if (!target.boxValid || !(target.boxWidth > 0.0f) || !(target.boxHeight > 0.0f))
            return 0;
        t = ComposeMatrix(
            Matrix2D{target.boxWidth, 0, 0, target.boxHeight, target.boxX, target.boxY}, t);
    }
    *out = t;
    return 1;
}

// The four corners of the painted area in user space.
int PaintedCorners(const GradientTarget& target, GradientPoint corners[4]) {
    if (!target.boxValid)
        return 0;
    const float m = std::isfinite(target.margin) ? std::fmax(target.margin, 0.0f) : 0.0f;
    const float x0 = target.boxX - m, y0 = target.boxY - m;
    const float x1 = target.boxX + target.boxWidth + m, y1 = target.boxY + target.boxHeight + m;
    corners[0] = {x0, y0};
    corners[1] = {x1, y0};
    corners[2] = {x0, y1};
    corners[3] = {x1, y1};
    return 1;
}

void PlanSolid(uint32_t colour, GradientPlan* plan) {
    plan->kind = GradientPaintSolid;
    plan->solidColour = colour;
}

// ---- linear -------------------------------------------------------------

// Folds the gradient-to-user matrix into the vector: for the user point q the
// gradient reads t = dot(T^-1(q) - P1, d) / |d|^2 (d = P2 - P1); the vector
// P1' -> P2' along the direction in which t grows, with t(P1') = 0 and
// t(P2') = 1, gives the same colours with no brush transform at all.
int FoldIntoVector(const Matrix2D& toUser, GradientPoint* p1, GradientPoint* p2) {
    Matrix2D back;
    if (!InvertMatrix(toUser, &back))
        return 0;
    const float b[6] = {back.a, back.b, back.c, back.d, back.e, back.f};
    const float dx = p2->x - p1->x, dy = p2->y - p1->y;
    const float length2 = dx * dx + dy * dy;
    // t(q) = dot(q, alpha) + beta
    const float alphaX = (b[0] * dx + b[1] * dy) / length2;
    const float alphaY = (b[2] * dx + b[3] * dy) / length2;
    const float beta = ((b[4] - p1->x) * dx + (b[5] - p1->y) * dy) / length2;
    const float alpha2 = alphaX * alphaX + alphaY * alphaY;
    if (!(alpha2 > 0.0f) || !std::isfinite(alpha2))
        return 0;
    *p1 = {-beta * alphaX / alpha2, -beta * alphaY / alpha2};
    *p2 = {p1->x + alphaX / alpha2, p1->y + alphaY / alpha2};
    return IsFinitePoint(*p1) && IsFinitePoint(*p2);
}

// Line brushes cannot clamp, so a padded gradient gets a vector stretched
// over the whole painted area with the end colours at the new ends, and the
// stops moved to their places on the longer vector. Before the vector the
// first stop's colour holds, even when later stops share its offset 0.
void PadOverArea(const GradientTarget& target, uint32_t firstColour, GradientPlan* plan) {
    GradientPoint corners[4];
    if (!PaintedCorners(target, corners))
        return; // tiling at least repeats nothing visible within the vector
    const GradientPoint p1 = plan->p1;
    const float dx = plan->p2.x - p1.x, dy = plan->p2.y - p1.y;
    const float length2 = dx * dx + dy * dy;
    float tMin = 0.0f, tMax = 1.0f;
    for (const GradientPoint& q : corners) {
        const float t = ((q.x - p1.x) * dx + (q.y - p1.y) * dy) / length2;
        tMin = std::fmin(tMin, t);
        tMax = std::fmax(tMax, t);
    }
    // A margin keeps anti-aliased edge pixels off the seam where the brush
    // would start over.
    const float margin = (tMax - tMin) * 0.05f;
    tMin -= margin;
    tMax += margin;
    if (!std::isfinite(tMin) || !std::isfinite(tMax))
        return;
    const float range = tMax - tMin;
    plan->p1 = {p1.x + dx * tMin, p1.y + dy * tMin};
    plan->p2 = {p1.x + dx * tMax, p1.y + dy * tMax};
    for (float& position : plan->positions)
        position = (position - tMin) / range;
    if (firstColour != plan->colours.front()) {
        // Just before the vector's start: a step, not a blend over the pad.
        plan->colours.insert(plan->colours.begin(), firstColour);
        plan->positions.insert(plan->positions.begin(), plan->positions.front() * 0.999f);
    }
    plan->colours.insert(plan->colours.begin(), firstColour);
    plan->positions.insert(plan->positions.begin(), 0.0f);
    plan->colours.push_back(plan->colours.back());
    plan->positions.push_back(1.0f);
}

void PlanLinear(const GradientDef* def, const GradientTarget& target, const Matrix2D& toUser,
                GradientPlan* plan) {
    GradientPoint p1 = {def->x1, def->y1}, p2 = {def->x2, def->y2};
    const float dx = p2.x - p1.x, dy = p2.y - p1.y;
    if (!(dx * dx + dy * dy > 0.0f)) {
        PlanSolid(plan->colours.back(), plan); // a zero-length vector: the last colour
        return;
    }
    if (!FoldIntoVector(toUser, &p1, &p2))
        return;
    plan->kind = GradientPaintLine;
    plan->p1 = p1;
    plan->p2 = p2;
    plan->wrapMode = SpreadToWrapMode(def->spread);
    if (def->spread == 0)
        PadOverArea(target, ScaleAlpha(GradientStops(def)[0].colour, target.opacity), plan);
}

// ---- radial -------------------------------------------------------------

// A focal point outside the circle is moved onto it, just inside.
GradientPoint FocusInsideCircle(GradientPoint centre, float radius, GradientPoint focus) {
    const float dx = focus.x - centre.x, dy = focus.y - centre.y;
    const float distance = std::sqrt(dx * dx + dy * dy);
    const float limit = radius * 0.999f;
    if (!(distance > limit))
        return focus;
    const float k = limit / distance;
    return {centre.x + dx * k, centre.y + dy * k};
}

// The gradient's t at point q (gradient space): q lies on the circle of the
// family centred at f + t (c - f) with radius t r.
float RadialT(GradientPoint c, float r, GradientPoint f, GradientPoint q) {
    const float ex = c.x - f.x, ey = c.y - f.y;
    const float dx = q.x - f.x, dy = q.y - f.y;
    const float a = ex * ex + ey * ey - r * r; // below 0: the focus is inside
    const float de = dx * ex + dy * ey, dd = dx * dx + dy * dy;
    const float root = std::sqrt(std::fmax(de * de - a * dd, 0.0f));
    return (de - root) / a;
}

// How many cycles of the gradient reach every corner of the painted area.
int CyclesToCover(const GradientPlan& plan, const GradientTarget& target) {
    GradientPoint corners[4];
    const float* m = plan.transform;
    Matrix2D toGradient;
    if (!PaintedCorners(target, corners) ||
        !InvertMatrix(Matrix2D{m[0], m[1], m[2], m[3], m[4], m[5]}, &toGradient))
        return 1;
    float most = 1.0f;
    for (const GradientPoint& q : corners) {
        const float t = RadialT(plan.centre, plan.radius, plan.focus, Apply(toGradient, q));
        if (std::isfinite(t))
            most = std::fmax(most, t);
    }
    return static_cast<int>(std::fmin(std::ceil(most), static_cast<float>(MaxRadialCycles)));
}

// Thins the blend to at most `most` colours (ThinGradientStops).
void ThinBlend(size_t most, GradientPlan* plan) {
    if (plan->colours.size() <= most)
        return;
    std::vector<GradientStop> stops(plan->colours.size());
    for (size_t i = 0; i < stops.size(); i++)
        stops[i] = GradientStop{plan->positions[i], plan->colours[i]};
    ThinGradientStops(&stops, most);
    plan->colours.resize(stops.size());
    plan->positions.resize(stops.size());
    for (size_t i = 0; i < stops.size(); i++) {
        plan->colours[i] = stops[i].colour;
        plan->positions[i] = stops[i].offset;
    }
}

// Reflect and repeat unrolled over `cycles` turns of the stops, on a circle
// grown by that factor about the focus (which keeps every circle of the
// family where it was: the circle of t on the grown one is t / cycles).
void UnrollCycles(int spread, int cycles, GradientPlan* plan) {
    ThinBlend(MaxUnrolledStops / static_cast<size_t>(cycles), plan);
    const std::vector<uint32_t> colours = plan->colours;
    const std::vector<float> positions = plan->positions;
    const size_t n = colours.size();
    plan->colours.clear();
    plan->positions.clear();
    for (int cycle = 0; cycle < cycles; cycle++) {
        const bool mirrored = spread == 1 && cycle % 2 == 1;
        for (size_t i = 0; i < n; i++) {
            const size_t k = mirrored ? n - 1 - i : i;
            const float t = mirrored ? 1.0f - positions[k] : positions[k];
            plan->colours.push_back(colours[k]);
            plan->positions.push_back((static_cast<float>(cycle) + t) / static_cast<float>(cycles));
        }
    }
    const float k = static_cast<float>(cycles);
    plan->centre = {plan->focus.x + (plan->centre.x - plan->focus.x) * k,
                    plan->focus.y + (plan->centre.y - plan->focus.y) * k};
    plan->radius *= k;
}

// A path gradient runs from its boundary (0) to its centre point (1): the
// blend is reversed.
void ReverseBlend(GradientPlan* plan) {
    std::reverse(plan->colours.begin(), plan->colours.end());
    std::reverse(plan->positions.begin(), plan->positions.end());
    for (float& position : plan->positions)
        position = 1.0f - position;
    plan->positions.front() = 0.0f;
    plan->positions.back() = 1.0f;
}

void PlanRadial(const GradientDef* def, const GradientTarget& target, const Matrix2D& toUser,
                GradientPlan* plan) {
    if (!(def->r >= 0.0f))
        return; // a negative radius is an error: nothing is painted
    if (def->r == 0.0f) {
        PlanSolid(plan->colours.back(), plan);
        return;
    }
    plan->kind = GradientPaintPath;
    plan->centre = {def->cx, def->cy};
    plan->radius = def->r;
    plan->focus = FocusInsideCircle(plan->centre, def->r, {def->fx, def->fy});
    const float elements[6] = {toUser.a, toUser.b, toUser.c, toUser.d, toUser.e, toUser.f};
    std::copy(elements, elements + 6, plan->transform);
    plan->wrapMode = GfxWrapModeClamp;
    if (def->spread == 0) {
        plan->underColour = plan->colours.back();
        plan->underOpaqueBlend = 1;
        for (uint32_t colour : plan->colours)
            plan->underOpaqueBlend &= (colour >> 24) == 0xFFu ? 1 : 0;
    } else {
        UnrollCycles(def->spread, CyclesToCover(*plan, target), plan);
    }
    ReverseBlend(plan);
}

} // namespace

void PlanGradient(const GradientDef* definition, const GradientTarget& target, GradientPlan* plan) {
    plan->kind = GradientPaintNothing;
    plan->underColour = 0;
    plan->underOpaqueBlend = 0;
    plan->wrapMode = GfxWrapModeTile;
    StopsToBlend(definition, target.opacity, &plan->colours, &plan->positions);
    if (plan->colours.empty())
        return; // no stops: painted as none
    if (GradientStopCount(definition) == 1) {
        PlanSolid(plan->colours.front(), plan);
        return;
    }
    Matrix2D toUser;
    if (!GradientToUser(definition, target, &toUser))
        return;
    Matrix2D check;
    if (!InvertMatrix(toUser, &check))
        return; // a singular gradient transform paints nothing
    if (definition->type == 0)
        PlanLinear(definition, target, toUser, plan);
    else if (definition->type == 1)
        PlanRadial(definition, target, toUser, plan);
}
