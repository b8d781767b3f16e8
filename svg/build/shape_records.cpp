// Committing a shape: the record made from its path and state, its gradient
// bounds and the document's content bounds.
#include "svg/build/shape_records.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "render/graphics.h"
#include "svg/build/shape_paths.h"
#include "svg/records/document.h"
#include "svg/records/work_budget.h"
#include "svg/style/style.h"

namespace {

int AlphaOf(Argb colour) {
    return static_cast<int>(colour >> 24);
}

// The gradient's bounding box: the path's own bounds, taken only for records
// that refer to a gradient.
void TakeGradientBounds(ShapeRecord* record) {
    if (!record->fillRef && !record->strokeRef)
        return;
    GfxRectF bounds;
    if (!GfxGetPathBounds(record->path, nullptr, &bounds))
        return;
    record->boundsX = bounds.x;
    record->boundsY = bounds.y;
    record->boundsWidth = bounds.width;
    record->boundsHeight = bounds.height;
    record->boundsValid = 1;
}

// Grows the document's content bounds by the record's box in document space,
// padded by half the stroke width (scaled, rotation and shear not counted).
// A path without points has no box and leaves the bounds alone.
void WidenContentBounds(SvgDocument* document, const ShapeRecord* record) {
    if (GfxGetPathPointCount(record->path) <= 0)
        return;
    const Matrix2D& m = record->matrix;
    const float elements[6] = {m.a, m.b, m.c, m.d, m.e, m.f};
    GfxRectF box;
    if (!GfxGetPathBounds(record->path, elements, &box))
        return;
    float pad = 0;
    if (record->hasStroke)
        pad = record->strokeWidth * std::fmax(std::fabs(m.a), std::fabs(m.d)) / 2;
    AddToBounds(&document->content, box.x - pad, box.y - pad, box.x + box.width + pad,
                box.y + box.height + pad);
}

// SVG draws the caps of a subpath of length 0 (a dot for round caps, a
// square for square caps); GDI+ draws nothing for it. Each such subpath gets
// a very short figure at its place, whose caps show.
void AddZeroLengthCaps(GfxPath* path, float strokeWidth) {
    std::vector<GfxPointF> points;
    std::vector<uint8_t> types;
    ReadPathPoints(path, &points, &types);
    const int count = static_cast<int>(points.size());
    if (count == 0)
        return;
    std::vector<GfxPointF> dots;
    int start = 0;
    for (int i = 1; i <= count; i++) {
        if (i < count && (types[i] & GfxPointTypeMask) != GfxPointTypeStart)
            continue;
        bool zeroLength = true;
        for (int k = start + 1; k < i && zeroLength; k++)
            zeroLength = points[k].x == points[start].x && points[k].y == points[start].y;
        if (zeroLength)
            dots.push_back(points[start]);
        start = i;
    }
    const float half = strokeWidth / 200; // the figure is 1 % of the stroke width long
    for (const GfxPointF& p : dots) {
        GfxStartFigure(path);
        GfxAddLine(path, p.x - half, p.y, p.x + half, p.y);
    }
}

} // namespace

void CommitShape(SvgDocument* document, GfxPath* path, const StyleState* state, std::wstring id) {
    if (!path)
        return;
    if (state->hidden) { // visibility: hidden or collapse
        GfxDeletePath(path);
        return;
    }
    // The alpha tested is the colour's own, before the opacities.
    int fillOn = state->hasFill != 0 && AlphaOf(state->fillColor) > 0;
    int strokeOn =
        state->hasStroke != 0 && AlphaOf(state->strokeColor) > 0 && state->strokeWidth > 0;
    if ((fillOn || strokeOn) && !SpendWork(LoadWorkBudget(), &document->loadWork,
                                           static_cast<size_t>(GfxGetPathPointCount(path)))) {
        document->notDrawn[NotDrawnLoadBudget]++;
        fillOn = strokeOn = 0;
    }
    ShapeRecord* record = (fillOn || strokeOn) ? AppendShapeRecord(document) : nullptr;
    if (!record) {
        GfxDeletePath(path);
        return;
    }
    GfxSetFillMode(path, state->fillRule ? GfxFillModeWinding : GfxFillModeAlternate);
    record->path = path;
    record->hasFill = fillOn;
    record->hasStroke = strokeOn;
    record->fillOpacity = state->opacity * state->fillOpacity;
    record->strokeOpacity = state->opacity * state->strokeOpacity;
    if (fillOn)
        record->fillColor = ScaleAlpha(state->fillColor, record->fillOpacity);
    if (strokeOn) {
        record->strokeColor = ScaleAlpha(state->strokeColor, record->strokeOpacity);
        record->strokeWidth = state->strokeWidth;
        record->dashes = state->dashes;
        record->dashOffset = state->dashOffset;
        record->nonScalingStroke = state->nonScalingStroke;
        if (state->lineCap != 0)
            AddZeroLengthCaps(path, state->strokeWidth);
    }
    record->fillRule = state->fillRule;
    record->lineCap = state->lineCap;
    record->lineJoin = state->lineJoin;
    record->miterLimit = state->miterLimit > 0 ? state->miterLimit : 4.0f;
    record->matrix = state->matrix;
    record->clip = state->clip;
    record->group = state->group;
    record->strokeFirst = fillOn && strokeOn &&
                          (PaintOrderPart(state->paintOrder, 0) == PaintStroke ||
                           (PaintOrderPart(state->paintOrder, 0) == PaintMarkers &&
                            PaintOrderPart(state->paintOrder, 1) == PaintStroke));
    record->id = std::move(id);
    if (fillOn)
        record->fillRef = state->fillRef;
    if (strokeOn)
        record->strokeRef = state->strokeRef;
    TakeGradientBounds(record);
    WidenContentBounds(document, record);
}
