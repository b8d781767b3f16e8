#include "render/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "render/gradient_brush.h"
#include "render/graphics.h"
#include "render/graphics_owned.h"
#include "svg/clip_paths.h"
#include "svg/gradients.h"

// Pen widths are given in world units, so that the world transform scales a
// stroke with its geometry: a drawing rendered at four times the size shows
// its strokes four times as wide. Measured under Wine's GDI+: a pen in pixel
// units (2) keeps its width whatever the world transform, while a pen in
// world units (0) scales with it; on Windows world units scale as well.
static const int StrokePenUnit = 0;

namespace {

struct ViewRect {
    float x, y, width, height;
};

ViewRect ViewOfDocument(const SvgDocument& document) {
    if (document.viewBoxWidth > 0.0f && document.viewBoxHeight > 0.0f)
        return {document.viewBoxX, document.viewBoxY, document.viewBoxWidth,
                document.viewBoxHeight};
    const float w = document.width, h = document.height;
    if (w > 0.0f && h > 0.0f)
        return {0.0f, 0.0f, w, h};
    if (h > 0.0f)
        return {0.0f, 0.0f, h, h};
    if (w > 0.0f)
        return {0.0f, 0.0f, w, w};
    return {0.0f, 0.0f, 100.0f, 100.0f};
}

// Cuts empty space around the content away, as long as the content lies
// within the view grown by half its size on every side.
ViewRect CropToContent(const SvgDocument& document, const ViewRect& view) {
    if (!document.hasContentBounds)
        return view;
    const float minX = document.contentMinX, minY = document.contentMinY;
    const float maxX = document.contentMaxX, maxY = document.contentMaxY;
    const float cw = maxX - minX, ch = maxY - minY;
    if (!(cw > 0.5f && ch > 0.5f))
        return view;
    const float halfW = view.width / 2.0f, halfH = view.height / 2.0f;
    if (minX >= view.x - halfW && minY >= view.y - halfH && maxX <= view.x + view.width + halfW &&
        maxY <= view.y + view.height + halfH)
        return {minX, minY, cw, ch};
    return view;
}

int IsKnownLayoutMode(int mode) {
    return mode == LayoutFit || mode == LayoutStretch || mode == LayoutOriginal;
}

void PlaceArea(const Layer* layer, int width, int height, LayerPlacement* p) {
    int left = layer->marginLeft, right = layer->marginRight;
    int top = layer->marginTop, bottom = layer->marginBottom;
    if (left + right >= width)
        left = right = 0;
    if (top + bottom >= height)
        top = bottom = 0;
    p->areaX = left;
    p->areaY = top;
    p->areaWidth = static_cast<float>(std::max(1, width - left - right));
    p->areaHeight = static_cast<float>(std::max(1, height - top - bottom));
}

void PlaceInArea(int layoutMode, LayerPlacement* p) {
    const float areaX = static_cast<float>(p->areaX), areaY = static_cast<float>(p->areaY);
    if (layoutMode == LayoutStretch) {
        p->scaleX = p->areaWidth / p->naturalWidth;
        p->scaleY = p->areaHeight / p->naturalHeight;
        p->offsetX = areaX;
        p->offsetY = areaY;
        p->clipWidth = p->areaWidth;
        p->clipHeight = p->areaHeight;
    } else if (layoutMode == LayoutOriginal) {
        p->scaleX = p->scaleY = 1.0f;
        p->offsetX = areaX;
        p->offsetY = areaY;
        p->clipWidth = p->naturalWidth;
        p->clipHeight = p->naturalHeight;
    } else {
        const float s = std::min(p->areaWidth / p->naturalWidth, p->areaHeight / p->naturalHeight);
        p->scaleX = p->scaleY = s;
        p->offsetX = areaX + (p->areaWidth - p->naturalWidth * s) / 2.0f;
        p->offsetY = areaY + (p->areaHeight - p->naturalHeight * s) / 2.0f;
        p->clipWidth = p->naturalWidth * s;
        p->clipHeight = p->naturalHeight * s;
    }
}

// The base matrix: view into the natural size, natural size into the buffer,
// then the turn about the centre of the area inside the margins.
GfxMatrix* CreateBaseMatrix(const LayerPlacement& p, float rotation) {
    GfxMatrix* m = GfxCreateMatrix();
    if (!m)
        return nullptr;
    GfxTranslateMatrix(m, -p.viewX, -p.viewY);
    GfxScaleMatrix(m, p.innerScaleX, p.innerScaleY);
    GfxTranslateMatrix(m, p.innerX, p.innerY);
    GfxScaleMatrix(m, p.scaleX, p.scaleY);
    GfxTranslateMatrix(m, p.offsetX, p.offsetY);
    // An angle that is not a finite number would make every point undefined.
    if (rotation != 0.0f && std::isfinite(rotation)) {
        const float cx = static_cast<float>(p.areaX) + p.areaWidth / 2.0f;
        const float cy = static_cast<float>(p.areaY) + p.areaHeight / 2.0f;
        GfxTranslateMatrix(m, -cx, -cy);
        GfxRotateMatrix(m, rotation);
        GfxTranslateMatrix(m, cx, cy);
    }
    return m;
}

// GDI+ refuses dashes of length 0; a dash this short (in pen widths) still
// shows its round caps as a dot.
const float ShortestDash = 0.001f;

// The stroke's dashes as GDI+ takes them: lengths in pen widths. GDI+ has no
// square dash cap, so with square caps every dash grows by the pen width
// (half at each end) and its gap shrinks by as much, which draws the same.
void SetStrokeDashes(GfxPen* pen, const ShapeRecord& shape) {
    const size_t count = shape.dashes.size();
    const float width = shape.strokeWidth;
    if (count < 2 || !(width > 0))
        return;
    const float grow = shape.lineCap == 1 ? width : 0.0f;
    std::vector<float> lengths(count);
    float total = 0;
    for (size_t i = 0; i < count; i++) {
        float length = shape.dashes[i] + (i % 2 == 0 ? grow : -grow);
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

// Fills the path, or strokes it with a pen made from the brush.
void PaintWithBrush(GfxGraphics* graphics, const ShapeRecord& shape, GfxBrush* brush, bool stroke) {
    if (!stroke) {
        GfxFillPath(graphics, brush, shape.path);
        return;
    }
    GfxOwned<GfxPen> pen(GfxCreatePenFromBrush(brush, shape.strokeWidth, StrokePenUnit));
    if (!pen)
        return;
    SetUpPen(pen.get(), shape);
    GfxDrawPath(graphics, pen.get(), shape.path);
}

// A non-scaling stroke is drawn on the path moved into pixels, with no world
// transform, so its width stays in pixels; the world transform stays reset
// until the next shape sets its own. Only solid strokes take this way: a
// gradient stroke keeps its brush in user space and scales with the drawing.
void StrokeInPixels(GfxGraphics* graphics, const ShapeRecord& shape, GfxMatrix* world) {
    GfxOwned<GfxPath> inPixels(GfxClonePath(shape.path));
    if (!inPixels)
        return;
    GfxTransformPath(inPixels.get(), world);
    GfxResetWorldTransform(graphics);
    GfxOwned<GfxPen> pen(GfxCreatePen(shape.strokeColor, shape.strokeWidth, StrokePenUnit));
    if (pen) {
        SetUpPen(pen.get(), shape);
        GfxDrawPath(graphics, pen.get(), inPixels.get());
    }
}

void PaintWithColour(GfxGraphics* graphics, const ShapeRecord& shape, uint32_t colour,
                     bool stroke) {
    GfxOwned<GfxBrush> brush(GfxCreateSolidBrush(colour));
    if (brush)
        PaintWithBrush(graphics, shape, brush.get(), stroke);
}

// A padded radial gradient's last colour outside its circle: over the whole
// shape when the gradient is opaque and covers it anyway, else around the
// circle only, so that translucent colours are not painted twice.
void PaintUnderColour(GfxGraphics* graphics, const ShapeRecord& shape, const GradientPlan& plan,
                      bool stroke) {
    if ((plan.underColour >> 24) == 0)
        return;
    if (plan.underOpaqueBlend) {
        PaintWithColour(graphics, shape, plan.underColour, stroke);
        return;
    }
    GfxOwned<GfxPath> circle(CreatePlannedCircle(plan));
    if (!circle)
        return;
    const unsigned state = GfxSaveGraphics(graphics);
    GfxExcludeClipPath(graphics, circle.get());
    PaintWithColour(graphics, shape, plan.underColour, stroke);
    GfxRestoreGraphics(graphics, state);
}

void PaintWithGradient(GfxGraphics* graphics, const ShapeRecord& shape, const GradientDef& gradient,
                       bool stroke) {
    GradientPlan plan;
    PlanGradient(&gradient, stroke ? StrokeTarget(&shape) : FillTarget(&shape), &plan);
    if (plan.kind == GradientPaintPath)
        PaintUnderColour(graphics, shape, plan, stroke);
    GfxOwned<GfxBrush> brush(CreatePlannedBrush(plan));
    if (brush)
        PaintWithBrush(graphics, shape, brush.get(), stroke);
}

// A paint that names a gradient the document holds is drawn with it; any
// other paint with its solid colour.
void PaintShapePart(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
                    bool stroke) {
    const std::wstring& ref = stroke ? shape.strokeRef : shape.fillRef;
    const GradientDef* gradient = ref.empty() ? nullptr : FindDocumentGradient(&document, ref);
    if (gradient)
        PaintWithGradient(graphics, shape, *gradient, stroke);
    else
        PaintWithColour(graphics, shape, stroke ? shape.strokeColor : shape.fillColor, stroke);
}

void PaintShape(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
                GfxMatrix* base) {
    const Matrix2D& m = shape.matrix;
    GfxOwned<GfxMatrix> world(GfxCreateMatrix6(m.a, m.b, m.c, m.d, m.e, m.f));
    if (!world)
        return;
    GfxMultiplyMatrix(world.get(), base); // the shape's matrix, then the placement
    GfxSetWorldTransform(graphics, world.get());
    if (shape.hasFill)
        PaintShapePart(graphics, document, shape, false);
    if (shape.hasStroke) {
        if (shape.nonScalingStroke && shape.strokeRef.empty())
            StrokeInPixels(graphics, shape, world.get());
        else
            PaintShapePart(graphics, document, shape, true);
    }
}

// The document's clip regions in buffer pixels, each made when a record
// first needs it and kept for the one drawing.
struct ClipCache {
    const DocumentClips* clips;
    GfxMatrix* base;
    std::vector<GfxOwned<GfxRegion>> full; // by region number; null until made
};

// Clip paths inside clip paths are followed this deep.
const int MaxClipNesting = 32;

GfxRegion* ShapeRegion(const ClipShape& shape, GfxMatrix* base) {
    const Matrix2D& m = shape.matrix;
    GfxMatrix* world = GfxCreateMatrix6(m.a, m.b, m.c, m.d, m.e, m.f);
    if (!world)
        return nullptr;
    GfxMultiplyMatrix(world, base);
    float elements[6];
    GfxGetMatrixElements(world, elements);
    GfxDeleteMatrix(world);
    return GfxCreatePathRegion(shape.path, elements);
}

GfxRegion* FullClipRegion(ClipCache* cache, int n, int nesting);

// The union of the region's shapes, each cut by its own clip.
GfxRegion* OwnClipRegion(ClipCache* cache, const ClipRegion& region, int nesting) {
    GfxOwned<GfxRegion> result(GfxCreateEmptyRegion());
    for (int i = 0; result && i < region.shapeCount; i++) {
        const ClipShape& shape = cache->clips->shapes[region.firstShape + i];
        GfxOwned<GfxRegion> part(ShapeRegion(shape, cache->base));
        if (!part)
            continue;
        GfxRegion* cut = shape.clip ? FullClipRegion(cache, shape.clip, nesting + 1) : nullptr;
        if (shape.clip && cut)
            GfxIntersectRegion(part.get(), cut);
        if (!shape.clip || cut)
            GfxUniteRegion(result.get(), part.get());
    }
    return result.release();
}

// Region number n cut by every region above it; null when it cannot be
// made (nothing is then drawn through it).
GfxRegion* FullClipRegion(ClipCache* cache, int n, int nesting) {
    if (!cache->clips || n < 1 || n >= static_cast<int>(cache->full.size()) ||
        nesting > MaxClipNesting)
        return nullptr;
    // The chain of parents up to one already made, made from the top down.
    std::vector<int> chain;
    for (int r = n; r > 0 && !cache->full[r]; r = cache->clips->regions[r - 1].parent) {
        if (chain.size() > cache->full.size())
            return nullptr; // parents that go round in a circle
        chain.push_back(r);
    }
    for (size_t i = chain.size(); i-- > 0;) {
        const ClipRegion& region = cache->clips->regions[chain[i] - 1];
        GfxOwned<GfxRegion> own(OwnClipRegion(cache, region, nesting));
        if (!own)
            return nullptr;
        if (region.parent > 0)
            GfxIntersectRegion(own.get(), cache->full[region.parent].get());
        cache->full[chain[i]] = std::move(own);
    }
    return cache->full[n].get();
}

// Sets the clip of the next records: the Layer's rectangle cut down to the
// record's clip region. False when the region cannot be made.
bool SetRecordClip(GfxGraphics* graphics, const LayerPlacement& p, ClipCache* cache, int clip) {
    GfxSetWorldTransform(graphics, nullptr);
    GfxSetClipRect(graphics, p.offsetX, p.offsetY, p.clipWidth, p.clipHeight);
    if (!clip)
        return true;
    GfxRegion* region = FullClipRegion(cache, clip, 0);
    if (!region)
        return false;
    GfxIntersectClipRegion(graphics, region);
    return true;
}

void DrawShapes(GfxGraphics* graphics, const SvgDocument& document, const LayerPlacement& p,
                GfxMatrix* base) {
    ClipCache cache = {document.clips, base, {}};
    if (document.clips)
        cache.full.resize(document.clips->regions.size() + 1);
    int clip = 0;
    bool clipUsable = true;
    for (int i = 0; i < document.shapeCount; i++) {
        const ShapeRecord& shape = document.shapes[i];
        if (!shape.path)
            continue;
        if (shape.clip != clip) {
            clip = shape.clip;
            clipUsable = SetRecordClip(graphics, p, &cache, clip);
        }
        if (clipUsable)
            PaintShape(graphics, document, shape, base);
    }
}

// Draws every shape; returns 0 when no graphics object could be made.
int DrawDocument(const Layer* layer, const LayerPlacement& p, uint32_t* pixels, int width,
                 int height) {
    GfxOwned<GfxGraphics> graphics(GfxCreateGraphicsOnPixels(pixels, width, height));
    if (!graphics)
        return 0;
    GfxSetHighQuality(graphics.get());
    GfxSetClipRect(graphics.get(), p.offsetX, p.offsetY, p.clipWidth, p.clipHeight);
    GfxOwned<GfxMatrix> base(CreateBaseMatrix(p, layer->rotation));
    if (base)
        DrawShapes(graphics.get(), layer->document, p, base.get());
    return 1;
}

} // namespace

void ComputeLayerPlacement(const Layer* layer, int width, int height, LayerPlacement* p) {
    const SvgDocument& document = layer->document;
    ViewRect view = ViewOfDocument(document);
    if (layer->layoutMode != LayoutOriginal)
        view = CropToContent(document, view);
    p->viewX = view.x;
    p->viewY = view.y;
    p->viewWidth = view.width;
    p->viewHeight = view.height;

    PlaceArea(layer, width, height, p);

    p->naturalWidth = document.width > 0.0f ? document.width : view.width;
    p->naturalHeight = document.height > 0.0f ? document.height : view.height;

    p->innerScaleX = p->innerScaleY = 1.0f;
    p->innerX = (p->naturalWidth - view.width) / 2.0f;
    p->innerY = (p->naturalHeight - view.height) / 2.0f;
    if (view.width > 0.0f && view.height > 0.0f) {
        const ViewBox box = {view.x, view.y, view.width, view.height};
        Matrix2D m = ViewBoxMatrix(box, document.aspect, 0, 0, p->naturalWidth, p->naturalHeight);
        p->innerScaleX = m.a;
        p->innerScaleY = m.d;
        p->innerX = m.e + view.x * m.a;
        p->innerY = m.f + view.y * m.d;
    }

    int mode = IsKnownLayoutMode(layer->layoutMode) ? layer->layoutMode : LayoutFit;
    PlaceInArea(mode, p);
}

int RenderLayerPixels(Layer* layer, uint32_t* pixels, int width, int height) {
    if (!layer || !pixels || width < 1 || height < 1)
        return 0;
    if (layer->document.shapeCount < 1 || !layer->document.shapes)
        return 0;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::memset(pixels, 0, count * sizeof(uint32_t));
    if (!IsKnownLayoutMode(layer->layoutMode))
        layer->layoutMode = LayoutFit;

    LayerPlacement placement;
    ComputeLayerPlacement(layer, width, height, &placement);
    if (!DrawDocument(layer, placement, pixels, width, height))
        return 0;

    const int pixelCount = static_cast<int>(count);
    ApplyOpacity(pixels, pixelCount, layer->opacity);
    if (layer->tintStrength >= 1)
        ApplyTint(pixels, pixelCount, layer->tintRed, layer->tintGreen, layer->tintBlue,
                  layer->tintStrength);
    return 1;
}

void RenderLayer(Layer* layer) {
    if (!layer || !layer->bitmap || !layer->pixels)
        return;
    if (RenderLayerPixels(layer, layer->pixels, layer->bitmapWidth, layer->bitmapHeight))
        PremultiplyAlpha(layer->pixels, layer->bitmapWidth * layer->bitmapHeight);
}
