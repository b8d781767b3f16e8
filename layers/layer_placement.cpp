// Where a Layer's drawing lands in its buffer: the view of the document,
// the area inside the margins, the layout mode and the turn.
#include "layers/layer_placement.h"

#include <cmath>

#include "render/graphics.h"
#include "render/graphics_owned.h"
#include "svg/values/viewport.h"

int IsKnownLayoutMode(int mode) {
    return mode == LayoutFit || mode == LayoutStretch || mode == LayoutOriginal;
}

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
    if (!document.content.any)
        return view;
    const float minX = document.content.minX, minY = document.content.minY;
    const float maxX = document.content.maxX, maxY = document.content.maxY;
    const float cw = maxX - minX, ch = maxY - minY;
    if (!(cw > 0.5f && ch > 0.5f))
        return view;
    const float halfW = view.width / 2.0f, halfH = view.height / 2.0f;
    if (minX >= view.x - halfW && minY >= view.y - halfH && maxX <= view.x + view.width + halfW &&
        maxY <= view.y + view.height + halfH)
        return {minX, minY, cw, ch};
    return view;
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

} // namespace

// The matrix is composed by the graphics layer, as the rasterizer composes
// every other, so that its numbers are the ones drawing has always used.
int LayerBaseMatrix(const LayerPlacement& p, float rotation, Matrix2D* base) {
    GfxOwned<GfxMatrix> m(GfxCreateMatrix());
    if (!m)
        return 0;
    GfxTranslateMatrix(m.get(), -p.viewX, -p.viewY);
    GfxScaleMatrix(m.get(), p.innerScaleX, p.innerScaleY);
    GfxTranslateMatrix(m.get(), p.innerX, p.innerY);
    GfxScaleMatrix(m.get(), p.scaleX, p.scaleY);
    GfxTranslateMatrix(m.get(), p.offsetX, p.offsetY);
    // An angle that is not a finite number would make every point undefined.
    if (rotation != 0.0f && std::isfinite(rotation)) {
        const float cx = static_cast<float>(p.areaX) + p.areaWidth / 2.0f;
        const float cy = static_cast<float>(p.areaY) + p.areaHeight / 2.0f;
        GfxTranslateMatrix(m.get(), -cx, -cy);
        GfxRotateMatrix(m.get(), rotation);
        GfxTranslateMatrix(m.get(), cx, cy);
    }
    float e[6];
    GfxGetMatrixElements(m.get(), e);
    *base = Matrix2D{e[0], e[1], e[2], e[3], e[4], e[5]};
    return 1;
}

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
