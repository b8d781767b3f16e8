// Painting one shape record with the graphics layer.
#include "render/shape_paint.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/gradient_brush.h"
#include "render/graphics.h"
#include "render/graphics_owned.h"
#include "render/hairlines.h"
#include "render/shape_fitting.h"
#include "svg/records/document.h"
#include "svg/records/document_gradients.h"
#include "svg/style/gradients.h"

// Pen widths are given in world units, so that the world transform scales a
// stroke with its geometry: a drawing rendered at four times the size shows
// its strokes four times as wide. Measured under Wine's GDI+: a pen in pixel
// units (2) keeps its width whatever the world transform, while a pen in
// world units (0) scales with it; on Windows world units scale as well.
static const int StrokePenUnit = 0;

namespace {

// GDI+ refuses dashes of length 0; a dash this short (in pen widths) still
// shows its round caps as a dot.
const float ShortestDash = 0.001f;

// The stroke's dashes as GDI+ takes them: lengths in pen widths. GDI+ has no
// square dash cap, so with square caps every dash grows by the pen width
// (half at each end) and its gap shrinks by as much, which draws the same.
void SetStrokeDashes(GfxPen* pen, const ShapeRecord& shape) {
    const std::vector<float>& dashes = FloatsOf(shape.dashes);
    const size_t count = dashes.size();
    const float width = shape.strokeWidth;
    if (count < 2 || !(width > 0))
        return;
    const float grow = shape.lineCap == 1 ? width : 0.0f;
    std::vector<float> lengths(count);
    float total = 0;
    for (size_t i = 0; i < count; i++) {
        float length = dashes[i] + (i % 2 == 0 ? grow : -grow);
        lengths[i] = std::max(length / width, ShortestDash);
        total += lengths[i];
    }
    float offset = std::fmod((shape.dashOffset + grow / 2) / width, total);
    if (offset < 0)
        offset += total;
    if (!std::isfinite(offset))
        offset = 0;
    GfxSetPenDashes(pen, lengths.data(), static_cast<int>(count), offset,
                    shape.lineCap == 2 ? 2 : 0);
}

// Caps, joins, miter limit and dashes of the shape's stroke.
void SetUpPen(GfxPen* pen, const ShapeRecord& shape) {
    GfxSetPenLineCap(pen, shape.lineCap);
    GfxSetPenLineJoin(pen, shape.lineJoin);
    GfxSetPenMiterLimit(pen, shape.miterLimit);
    SetStrokeDashes(pen, shape);
}

// The painters below return PaintOutcome bits. A pen or brush that cannot
// be made is memory GDI+ did not have, as GDI+ itself says of one.

// Fills the path, or strokes it with a pen made from the brush.
int PaintWithBrush(GfxGraphics* graphics, const ShapeRecord& shape, GfxBrush* brush, bool stroke) {
    if (!stroke)
        return PaintOutcomeOf(GfxFillPath(graphics, brush, shape.path));
    GfxOwned<GfxPen> pen(GfxCreatePenFromBrush(brush, shape.strokeWidth, StrokePenUnit));
    if (!pen)
        return PaintLeftOutNoMemory;
    SetUpPen(pen.get(), shape);
    return PaintOutcomeOf(GfxDrawPath(graphics, pen.get(), shape.path));
}

// Strokes the path with a pen of one colour (made directly, with no brush
// to make and copy into it).
int StrokeWithColour(GfxGraphics* graphics, const ShapeRecord& shape, uint32_t colour) {
    GfxOwned<GfxPen> pen(GfxCreatePen(colour, shape.strokeWidth, StrokePenUnit));
    if (!pen)
        return PaintLeftOutNoMemory;
    SetUpPen(pen.get(), shape);
    return PaintOutcomeOf(GfxDrawPath(graphics, pen.get(), shape.path));
}

int PaintWithColour(GfxGraphics* graphics, const ShapeRecord& shape, uint32_t colour, bool stroke) {
    if (stroke)
        return StrokeWithColour(graphics, shape, colour);
    GfxOwned<GfxBrush> brush(GfxCreateSolidBrush(colour));
    if (!brush)
        return PaintLeftOutNoMemory;
    return PaintOutcomeOf(GfxFillPath(graphics, brush.get(), shape.path));
}

// Where a part is painted: its user space into the graphics' pixels, and
// the pixels the graphics draws on.
struct PartPlace {
    DeviceMatrix world;
    DeviceBox area;
};

// A path gradient's circle that reaches farther beyond the area than GDI+
// can flatten (as with a shape's path, render/shape_fitting.h) becomes a
// polygon of this many corners on it. Between them it falls short of the
// circle by 4.7e-6 of the radius, a fifth of a pixel at the size where GDI+
// starts to fail; the under-colour is cut along the same polygon.
const int FarCircleSides = 1024;

// 0 for the circle itself, FarCircleSides, or -1 when the circle has no
// finite size on the device.
int GradientCircleSides(const GradientPlan& plan, const PartPlace& place) {
    const float* t = plan.transform; // gradient space into user space
    const DeviceMatrix& w = place.world;
    const DeviceMatrix m = {w.a * t[0] + w.c * t[1],       w.b * t[0] + w.d * t[1],
                            w.a * t[2] + w.c * t[3],       w.b * t[2] + w.d * t[3],
                            w.a * t[4] + w.c * t[5] + w.e, w.b * t[4] + w.d * t[5] + w.f};
    const double r = plan.radius;
    DeviceBox bounds;
    if (!DeviceBoundsOf(m, plan.centre.x - r, plan.centre.y - r, 2 * r, 2 * r, &bounds))
        return -1;
    return WithinGdiPlusReach(bounds, place.area) ? 0 : FarCircleSides;
}

// A padded radial gradient's last colour outside its circle: over the whole
// shape when the gradient is opaque and covers it anyway, else around the
// circle only, so that translucent colours are not painted twice.
int PaintUnderColour(GfxGraphics* graphics, const ShapeRecord& shape, const GradientPlan& plan,
                     int sides, bool stroke) {
    if ((plan.underColour >> 24) == 0)
        return 0;
    if (plan.underOpaqueBlend)
        return PaintWithColour(graphics, shape, plan.underColour, stroke);
    GfxOwned<GfxPath> circle(CreatePlannedCircle(plan, sides));
    if (!circle)
        return PaintLeftOutNoMemory;
    const unsigned state = GfxSaveGraphics(graphics);
    GfxExcludeClipPath(graphics, circle.get());
    const int outcome = PaintWithColour(graphics, shape, plan.underColour, stroke);
    GfxRestoreGraphics(graphics, state);
    return outcome;
}

int PaintWithGradient(GfxGraphics* graphics, const ShapeRecord& shape, const GradientDef& gradient,
                      const PartPlace& place, bool stroke) {
    GradientPlan plan;
    PlanGradient(&gradient, stroke ? StrokeTarget(&shape) : FillTarget(&shape), &plan);
    if (plan.kind == GradientPaintNothing)
        return 0;
    int sides = 0, outcome = 0;
    if (plan.kind == GradientPaintPath) {
        sides = GradientCircleSides(plan, place);
        if (sides < 0)
            return PaintLeftOutUnusable;
        outcome = PaintUnderColour(graphics, shape, plan, sides, stroke);
    }
    GfxOwned<GfxBrush> brush(CreatePlannedBrush(plan, sides));
    if (!brush)
        return outcome | PaintLeftOutNoMemory;
    return outcome | PaintWithBrush(graphics, shape, brush.get(), stroke);
}

// A paint that names a gradient the document holds is drawn with it; any
// other paint with its solid colour.
int PaintShapePart(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
                   const PartPlace& place, bool stroke) {
    const std::wstring& ref = TextOf(stroke ? shape.strokeRef : shape.fillRef);
    const GradientDef* gradient = ref.empty() ? nullptr : FindDocumentGradient(&document, ref);
    if (gradient)
        return PaintWithGradient(graphics, shape, *gradient, place, stroke);
    return PaintWithColour(graphics, shape, stroke ? shape.strokeColor : shape.fillColor, stroke);
}

// One part of the shape painted with a texture, a gradient or its colour.
int PaintPart(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
              const PartPlace& place, GfxBrush* texture, bool stroke) {
    if (texture)
        return PaintWithBrush(graphics, shape, texture, stroke);
    return PaintShapePart(graphics, document, shape, place, stroke);
}

// Paints one part on a graphics whose drawn pixels are `area`, under the
// matrix the graphics' world transform holds: the shape's own path when
// GDI+ can take it, else the part of it that can show (render/shape_fitting.h).
int PaintFittedPart(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
                    GfxMatrix* world, const DeviceBox& area, GfxBrush* texture, bool stroke) {
    float e[6];
    GfxGetMatrixElements(world, e);
    const PartPlace place = {{e[0], e[1], e[2], e[3], e[4], e[5]}, area};
    FittedPaths fitted;
    const PathFit fit = FitShapePath(shape, e, area, stroke, &fitted);
    if (fit == PathUnusable)
        return PaintLeftOutUnusable;
    if (fit == PathNoMemory)
        return PaintLeftOutNoMemory;
    if (fit == PathAsItIs)
        return PaintPart(graphics, document, shape, place, texture, stroke);
    int outcome = 0;
    ShapeRecord part = shape; // shares the strings; the paths stay in `fitted`
    for (size_t i = 0; i < fitted.paths.size(); i++) {
        part.path = fitted.paths[i].get();
        part.dashOffset = static_cast<float>(shape.dashOffset + fitted.dashStarts[i]);
        outcome |= PaintPart(graphics, document, part, place, texture, stroke);
    }
    return outcome;
}

// A non-scaling stroke is drawn on the path moved into pixels, with no world
// transform, so its width stays in pixels; the world transform stays reset
// until the next shape sets its own. Only solid strokes take this way: a
// gradient stroke keeps its brush in user space and scales with the drawing.
int StrokeInPixels(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
                   GfxMatrix* world, const DeviceBox& area) {
    GfxOwned<GfxPath> inPixels(GfxClonePath(shape.path));
    GfxOwned<GfxMatrix> identity(GfxCreateMatrix());
    if (!inPixels || !identity)
        return PaintLeftOutNoMemory;
    GfxTransformPath(inPixels.get(), world);
    GfxResetWorldTransform(graphics);
    ShapeRecord inWorld = shape; // shares the strings; the path stays in `inPixels`
    inWorld.path = inPixels.get();
    return PaintFittedPart(graphics, document, inWorld, identity.get(), area, nullptr, true);
}

// How many device pixels one user unit of the stroke is wide under the
// world transform: the square root of its area scale (1 for a non-scaling
// stroke, whose width is in pixels).
double StrokeScale(const ShapeRecord& shape, GfxMatrix* world) {
    if (shape.nonScalingStroke && !shape.strokeRef)
        return 1;
    float e[6];
    GfxGetMatrixElements(world, e);
    return std::sqrt(
        std::fabs(static_cast<double>(e[0]) * e[3] - static_cast<double>(e[1]) * e[2]));
}

// Paints the fill and stroke in paint order, the world transform set.
int PaintParts(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
               GfxMatrix* world, const DeviceBox& area, GfxBrush* fillTexture,
               GfxBrush* strokeTexture) {
    int outcome = 0;
    if (shape.hasFill && !shape.strokeFirst)
        outcome = PaintFittedPart(graphics, document, shape, world, area, fillTexture, false);
    if (shape.hasStroke && !strokeTexture && shape.nonScalingStroke && !shape.strokeRef)
        outcome |= StrokeInPixels(graphics, document, shape, world, area);
    else if (shape.hasStroke)
        outcome |= PaintFittedPart(graphics, document, shape, world, area, strokeTexture, true);
    if (shape.hasFill && shape.strokeFirst) { // paint-order: the fill over the stroke
        GfxSetWorldTransform(graphics, world);
        outcome |= PaintFittedPart(graphics, document, shape, world, area, fillTexture, false);
    }
    return outcome;
}

} // namespace

int PaintOutcomeOf(int drawResult) {
    if (drawResult == GfxDrawn)
        return PaintSomeDrawn;
    return drawResult == GfxDrawOutOfMemory ? PaintLeftOutNoMemory : PaintLeftOutUnusable;
}

int PaintShape(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
               GfxMatrix* base, const DeviceBox& area, GfxBrush* fillTexture,
               GfxBrush* strokeTexture) {
    const Matrix2D& m = shape.matrix;
    GfxOwned<GfxMatrix> world(GfxCreateMatrix6(m.a, m.b, m.c, m.d, m.e, m.f));
    if (!world)
        return PaintLeftOutNoMemory;
    GfxMultiplyMatrix(world.get(), base); // the shape's matrix, then the placement
    GfxSetWorldTransform(graphics, world.get());
    // A stroke under a pixel wide is drawn a pixel wide and faded (a texture
    // cannot be faded: it keeps its width).
    if (shape.hasStroke && !strokeTexture) {
        const StrokeWeight weight = HairlineWeight(shape, StrokeScale(shape, world.get()));
        if (weight.alphaScale < 1) {
            ShapeRecord thin = shape; // shares the path, which the original owns
            ApplyStrokeWeight(weight, &thin);
            return PaintParts(graphics, document, thin, world.get(), area, fillTexture,
                              strokeTexture);
        }
    }
    return PaintParts(graphics, document, shape, world.get(), area, fillTexture, strokeTexture);
}
