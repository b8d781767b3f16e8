#include "render/gradient_brush.h"

#include <cmath>

#include "render/graphics.h"
#include "svg/document.h"

int InvertMatrix(float* a, float* b, float* c, float* d, float* e, float* f) {
    float det = *a * *d - *b * *c;
    if (std::fabs(det) < 1e-9f)
        return 0;
    float k = 1.0f / det;
    float a1 = *d * k, b1 = -*b * k, c1 = -*c * k, d1 = *a * k;
    float e1 = (*c * *f - *d * *e) * k;
    float f1 = (*b * *e - *a * *f) * k;
    *a = a1;
    *b = b1;
    *c = c1;
    *d = d1;
    *e = e1;
    *f = f1;
    return 1;
}

void TransformPoint(float a, float b, float c, float d, float e, float f, float* x, float* y) {
    float x0 = *x, y0 = *y;
    *x = a * x0 + c * y0 + e;
    *y = b * x0 + d * y0 + f;
}

int SpreadToWrapMode(int spread, int radial) {
    switch (spread) {
    case 1:
        return GfxWrapModeTileFlipXY;
    case 2:
        return GfxWrapModeTile;
    default:
        return radial ? GfxWrapModeTile : GfxWrapModeClamp;
    }
}

int SortedGradientStops(const GradientDef* definition, uint32_t* colours, float* positions) {
    int count = definition->stopCount;
    if (count > GradientMaxStops)
        count = GradientMaxStops;
    if (count < 1)
        return 0;
    for (int i = 0; i < count; i++) {
        colours[i] = definition->stops[i].colour;
        positions[i] = definition->stops[i].offset;
    }
    // Insertion sort: stable, so stops at the same position keep their order.
    for (int i = 1; i < count; i++) {
        uint32_t colour = colours[i];
        float position = positions[i];
        int j = i - 1;
        while (j >= 0 && positions[j] > position) {
            colours[j + 1] = colours[j];
            positions[j + 1] = positions[j];
            j--;
        }
        colours[j + 1] = colour;
        positions[j + 1] = position;
    }
    // Multi-colour blends must start at 0 and end at 1: the outer stops are
    // moved to the ends rather than padded with extra stops.
    positions[0] = 0.0f;
    positions[count - 1] = 1.0f;
    return count;
}

void ReverseBlendForPathGradient(const uint32_t* colours, const float* positions, int count,
                                 uint32_t* blendColours, float* blendPositions) {
    for (int i = 0; i < count; i++) {
        blendColours[i] = colours[count - 1 - i];
        blendPositions[i] = 1.0f - positions[count - 1 - i];
    }
    if (count > 0) {
        blendPositions[0] = 0.0f;
        blendPositions[count - 1] = 1.0f;
    }
}

namespace {

// The gradient's points and radius in the brush's space (the shape's own
// user space).
struct BrushGeometry {
    GfxPointF p1, p2, centre, focus;
    float radius;
};

int MapToBoundingBox(const GradientDef* def, const ShapeRecord* shape, BrushGeometry* g) {
    if (!shape->boundsValid || !(shape->boundsWidth > 0.0f) || !(shape->boundsHeight > 0.0f))
        return 0;
    const float x = shape->boundsX, y = shape->boundsY;
    const float w = shape->boundsWidth, h = shape->boundsHeight;
    g->p1 = {x + def->x1 * w, y + def->y1 * h};
    g->p2 = {x + def->x2 * w, y + def->y2 * h};
    g->centre = {x + def->cx * w, y + def->cy * h};
    g->focus = {x + def->fx * w, y + def->fy * h};
    g->radius = def->r * (w + h) / 2.0f;
    return 1;
}

// User-space coordinates are meant in the document's root space, but the
// brush lives in the shape's space: map them back through the shape's matrix.
int MapFromRootSpace(const GradientDef* def, const ShapeRecord* shape, BrushGeometry* g) {
    Matrix2D m = shape->matrix;
    if (!InvertMatrix(&m.a, &m.b, &m.c, &m.d, &m.e, &m.f))
        return 0;
    GfxPointF* points[4] = {&g->p1, &g->p2, &g->centre, &g->focus};
    g->p1 = {def->x1, def->y1};
    g->p2 = {def->x2, def->y2};
    g->centre = {def->cx, def->cy};
    g->focus = {def->fx, def->fy};
    for (GfxPointF* p : points)
        TransformPoint(m.a, m.b, m.c, m.d, m.e, m.f, &p->x, &p->y);
    g->radius = def->r * (std::fabs(m.a) + std::fabs(m.d)) / 2.0f;
    return 1;
}

void TransformElements(const Matrix2D& m, float elements[6]) {
    elements[0] = m.a;
    elements[1] = m.b;
    elements[2] = m.c;
    elements[3] = m.d;
    elements[4] = m.e;
    elements[5] = m.f;
}

// A linear gradient's colour is an affine function of the point, so a
// gradient transform T can be folded into the vector itself: for the shape
// point q the gradient reads t = dot(T^-1(q) - P1, d) / |d|^2 (d = P2 - P1),
// and the vector P1' -> P2' along the gradient of t with t(P1') = 0 and
// t(P2') = 1 gives the same colours without any brush transform. (Setting a
// transform on a line brush replaces the one that maps the brush onto its
// two points, so setting the gradient transform on the brush itself would lose the
// vector.) Returns 0 when T is singular.
int FoldTransformIntoVector(const Matrix2D& transform, GfxPointF* p1, GfxPointF* p2) {
    Matrix2D back = transform;
    if (!InvertMatrix(&back.a, &back.b, &back.c, &back.d, &back.e, &back.f))
        return 0;
    const float dx = p2->x - p1->x, dy = p2->y - p1->y;
    const float length2 = dx * dx + dy * dy;
    // t(q) = dot(q, alpha) + beta
    const float alphaX = (back.a * dx + back.b * dy) / length2;
    const float alphaY = (back.c * dx + back.d * dy) / length2;
    const float beta = ((back.e - p1->x) * dx + (back.f - p1->y) * dy) / length2;
    const float alpha2 = alphaX * alphaX + alphaY * alphaY;
    if (!(alpha2 > 0.0f) || !std::isfinite(alpha2))
        return 0;
    *p1 = {-beta * alphaX / alpha2, -beta * alphaY / alpha2};
    *p2 = {p1->x + alphaX / alpha2, p1->y + alphaY / alpha2};
    return std::isfinite(p1->x) && std::isfinite(p1->y) && std::isfinite(p2->x) &&
           std::isfinite(p2->y);
}

// Line brushes of the graphics library refuse the clamp wrap mode, so a
// padded gradient is built by stretching its vector over the whole shape:
// the end colours are added at the new ends and the stops are moved to their
// places on the longer vector, so that nothing of the shape lies beyond it.
struct LinearBlend {
    GfxPointF p1, p2;
    uint32_t colours[GradientMaxStops + 2];
    float positions[GradientMaxStops + 2];
    int count;
};

// The shape's box in its own user space: its stored bounds, else its path's.
int ShapeBox(const ShapeRecord* shape, GfxRectF* box) {
    if (shape->boundsValid && shape->boundsWidth >= 0.0f && shape->boundsHeight >= 0.0f) {
        *box = {shape->boundsX, shape->boundsY, shape->boundsWidth, shape->boundsHeight};
        return 1;
    }
    return shape->path && GfxGetPathBounds(shape->path, nullptr, box);
}

int PadOverShape(const ShapeRecord* shape, LinearBlend* blend) {
    GfxRectF box;
    if (!ShapeBox(shape, &box))
        return 0;
    const GfxPointF p1 = blend->p1;
    const float dx = blend->p2.x - p1.x, dy = blend->p2.y - p1.y;
    const float length2 = dx * dx + dy * dy;
    float tMin = 0.0f, tMax = 1.0f;
    const float xs[2] = {box.x, box.x + box.width}, ys[2] = {box.y, box.y + box.height};
    for (float x : xs) {
        for (float y : ys) {
            float t = ((x - p1.x) * dx + (y - p1.y) * dy) / length2;
            tMin = std::fmin(tMin, t);
            tMax = std::fmax(tMax, t);
        }
    }
    // A margin keeps anti-aliased edge pixels off the seam where the brush
    // would start over.
    const float margin = (tMax - tMin) * 0.05f;
    tMin -= margin;
    tMax += margin;
    if (!std::isfinite(tMin) || !std::isfinite(tMax))
        return 0;
    const float range = tMax - tMin;
    blend->p1 = {p1.x + dx * tMin, p1.y + dy * tMin};
    blend->p2 = {p1.x + dx * tMax, p1.y + dy * tMax};
    const int n = blend->count;
    for (int i = n; i > 0; i--) {
        blend->colours[i] = blend->colours[i - 1];
        blend->positions[i] = (blend->positions[i - 1] - tMin) / range;
    }
    blend->positions[0] = 0.0f; // the first colour, from the new start
    blend->colours[n + 1] = blend->colours[n];
    blend->positions[n + 1] = 1.0f; // the last colour, to the new end
    blend->count = n + 2;
    return 1;
}

GfxBrush* CreateLinearBrush(const GradientDef* def, const ShapeRecord* shape,
                            const BrushGeometry& g, const uint32_t* colours, const float* positions,
                            int count) {
    float dx = g.p2.x - g.p1.x, dy = g.p2.y - g.p1.y;
    if (!(dx * dx + dy * dy >= 1e-6f))
        return nullptr;
    LinearBlend blend;
    blend.p1 = g.p1;
    blend.p2 = g.p2;
    blend.count = count;
    for (int i = 0; i < count; i++) {
        blend.colours[i] = colours[i];
        blend.positions[i] = positions[i];
    }
    if (def->hasTransform && !FoldTransformIntoVector(def->transform, &blend.p1, &blend.p2))
        return nullptr;
    int wrapMode = def->vectorFromTransform ? GfxWrapModeTile : SpreadToWrapMode(def->spread, 0);
    if (wrapMode == GfxWrapModeClamp) {
        // Without a box to cover, mirroring at least continues both ends
        // smoothly.
        wrapMode = PadOverShape(shape, &blend) ? GfxWrapModeTile : GfxWrapModeTileFlipXY;
    }
    GfxBrush* brush = GfxCreateLineBrush(blend.p1, blend.p2, blend.colours[0],
                                         blend.colours[blend.count - 1], wrapMode);
    if (brush && blend.count > 2)
        GfxSetLinePresetBlend(brush, blend.colours, blend.positions, blend.count);
    return brush;
}

GfxBrush* CreateRadialBrush(const GradientDef* def, const BrushGeometry& g, const uint32_t* colours,
                            const float* positions, int count) {
    if (!(g.radius > 0.0f))
        return nullptr;
    GfxPath* circle = GfxCreatePath();
    if (!circle)
        return nullptr;
    // A circle even when the bounding box is not square.
    GfxAddEllipse(circle, g.centre.x - g.radius, g.centre.y - g.radius, 2.0f * g.radius,
                  2.0f * g.radius);
    GfxBrush* brush = GfxCreatePathGradient(circle);
    if (!brush) {
        GfxDeletePath(circle);
        return nullptr;
    }
    GfxSetPathGradientCenterColour(brush, colours[0]);
    GfxSetPathGradientSurroundColour(brush, colours[count - 1]);
    if (count > 2) {
        uint32_t blendColours[GradientMaxStops];
        float blendPositions[GradientMaxStops];
        ReverseBlendForPathGradient(colours, positions, count, blendColours, blendPositions);
        GfxSetPathGradientPresetBlend(brush, blendColours, blendPositions, count);
    }
    if (g.focus.x != g.centre.x || g.focus.y != g.centre.y)
        GfxSetPathGradientCenterPoint(brush, g.focus);
    if (def->hasTransform) {
        float elements[6];
        TransformElements(def->transform, elements);
        GfxSetPathGradientTransform(brush, elements);
    }
    GfxSetPathGradientWrapMode(brush, SpreadToWrapMode(def->spread, 1));
    GfxDeletePath(circle);
    return brush;
}

} // namespace

GfxBrush* CreateGradientBrush(const GradientDef* definition, const ShapeRecord* shape) {
    if (!definition || !shape || definition->stopCount < 2)
        return nullptr;
    BrushGeometry geometry;
    int mapped = definition->units == 1 ? MapToBoundingBox(definition, shape, &geometry)
                                        : MapFromRootSpace(definition, shape, &geometry);
    if (!mapped)
        return nullptr;
    uint32_t colours[GradientMaxStops];
    float positions[GradientMaxStops];
    int count = SortedGradientStops(definition, colours, positions);
    if (definition->type == 0)
        return CreateLinearBrush(definition, shape, geometry, colours, positions, count);
    if (definition->type == 1)
        return CreateRadialBrush(definition, geometry, colours, positions, count);
    return nullptr;
}
