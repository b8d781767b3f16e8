#include "render/gradient_brush.h"

#include <cmath>

#include "render/figures.h"
#include "render/graphics.h"
#include "svg/records/document.h"

namespace {

GradientTarget TargetOf(const ShapeRecord* shape, float margin, float opacity) {
    GradientTarget target;
    target.boxX = shape->boundsX;
    target.boxY = shape->boundsY;
    target.boxWidth = shape->boundsWidth;
    target.boxHeight = shape->boundsHeight;
    target.boxValid = shape->boundsValid;
    target.margin = margin;
    target.opacity = opacity;
    return target;
}

GfxPointF PointOf(GradientPoint p) {
    return GfxPointF{p.x, p.y};
}

GfxBrush* CreateLineBrushOf(const GradientPlan& plan) {
    const int n = static_cast<int>(plan.colours.size());
    GfxBrush* brush = GfxCreateLineBrush(PointOf(plan.p1), PointOf(plan.p2), plan.colours.front(),
                                         plan.colours.back(), plan.wrapMode);
    if (brush && n > 2)
        GfxSetLinePresetBlend(brush, plan.colours.data(), plan.positions.data(), n);
    return brush;
}

// The circle, or with `sides` a polygon of that many corners on it.
GfxPath* CreateCircleInGradientSpace(const GradientPlan& plan, int sides) {
    if (sides < 3) {
        GfxPath* circle = GfxCreatePath();
        if (circle)
            GfxAddEllipse(circle, plan.centre.x - plan.radius, plan.centre.y - plan.radius,
                          2.0f * plan.radius, 2.0f * plan.radius);
        return circle;
    }
    FigureList polygon;
    polygon.points.resize(static_cast<size_t>(sides));
    for (int i = 0; i < sides; i++) {
        const double angle = 2 * 3.14159265358979323846 * i / sides;
        polygon.points[i] =
            GfxPointF{static_cast<float>(plan.centre.x + plan.radius * std::cos(angle)),
                      static_cast<float>(plan.centre.y + plan.radius * std::sin(angle))};
    }
    polygon.types.assign(polygon.points.size(), GfxPointTypeLine);
    polygon.types[0] = GfxPointTypeStart;
    CloseLastFigure(&polygon);
    return GfxCreatePathFromFigures(polygon.points.data(), polygon.types.data(), sides);
}

GfxPath* CreateCircleInUserSpace(const GradientPlan& plan, int sides) {
    GfxPath* circle = CreateCircleInGradientSpace(plan, sides);
    if (circle)
        GfxTransformPath(circle, plan.transform);
    return circle;
}

// The circle and its focus are carried into user space before the brush is
// made, rather than given to the brush as its transform: a path gradient's
// colours follow its path under any affine map, so the brush is the same on
// Windows, and Wine's GDI+ ignores path-gradient transforms.
GfxBrush* CreatePathBrushOf(const GradientPlan& plan, int sides) {
    GfxPath* circle = CreateCircleInUserSpace(plan, sides);
    if (!circle)
        return nullptr;
    GfxBrush* brush = GfxCreatePathGradient(circle);
    GfxDeletePath(circle);
    if (!brush)
        return nullptr;
    const int n = static_cast<int>(plan.colours.size());
    GfxSetPathGradientCenterColour(brush, plan.colours.back());
    GfxSetPathGradientSurroundColour(brush, plan.colours.front());
    if (n > 2)
        GfxSetPathGradientPresetBlend(brush, plan.colours.data(), plan.positions.data(), n);
    GfxPointF focus = PointOf(plan.focus);
    const float* m = plan.transform;
    ApplyMatrix(Matrix2D{m[0], m[1], m[2], m[3], m[4], m[5]}, &focus.x, &focus.y);
    GfxSetPathGradientCenterPoint(brush, focus);
    GfxSetPathGradientWrapMode(brush, plan.wrapMode);
    return brush;
}

} // namespace

GradientTarget FillTarget(const ShapeRecord* shape) {
    return TargetOf(shape, 0.0f, shape->fillOpacity);
}

// A miter can reach miterLimit half-widths beyond the path.
GradientTarget StrokeTarget(const ShapeRecord* shape) {
    const float reach = shape->strokeWidth / 2.0f * std::fmax(shape->miterLimit, 1.0f);
    return TargetOf(shape, reach, shape->strokeOpacity);
}

GfxBrush* CreatePlannedBrush(const GradientPlan& plan, int sides) {
    switch (plan.kind) {
    case GradientPaintSolid:
        return GfxCreateSolidBrush(plan.solidColour);
    case GradientPaintLine:
        return CreateLineBrushOf(plan);
    case GradientPaintPath:
        return CreatePathBrushOf(plan, sides);
    default:
        return nullptr;
    }
}

GfxPath* CreatePlannedCircle(const GradientPlan& plan, int sides) {
    return plan.kind == GradientPaintPath ? CreateCircleInUserSpace(plan, sides) : nullptr;
}
