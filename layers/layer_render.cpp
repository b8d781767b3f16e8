// Drawing a Layer: placement, the records, then the pixel passes.
#include "layers/layer_render.h"

#include <cstring>

#include "layers/layer_placement.h"
#include "render/pixel_passes.h"
#include "render/rasterizer.h"

int RenderLayerPixels(Layer* layer, uint32_t* pixels, int width, int height) {
    if (!layer || !pixels || width < 1 || height < 1)
        return 0;
    if (layer->document.shapeCount < 1 || !layer->document.shapes)
        return 0;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::memset(pixels, 0, count * sizeof(uint32_t));
    if (!IsKnownLayoutMode(layer->layoutMode))
        layer->layoutMode = LayoutFit;

    LayerPlacement p;
    ComputeLayerPlacement(layer, width, height, &p);
    Matrix2D base;
    if (!LayerBaseMatrix(p, layer->rotation, &base))
        return 0;
    const GfxRectF area = {p.offsetX, p.offsetY, p.clipWidth, p.clipHeight};
    if (!DrawDocumentRecords(&layer->document, base, area, pixels, width, height)) {
        std::memset(pixels, 0, count * sizeof(uint32_t)); // what a filter may have left
        return 0;
    }

    const int pixelCount = static_cast<int>(count);
    ApplyOpacity(pixels, pixelCount, layer->opacity);
    if (layer->tintStrength >= 1)
        ApplyTint(pixels, pixelCount, layer->tintRed, layer->tintGreen, layer->tintBlue,
                  layer->tintStrength);
    return 1;
}

int RenderLayer(Layer* layer) {
    if (!layer || !layer->bitmap || !layer->pixels)
        return 1;
    if (RenderLayerPixels(layer, layer->pixels, layer->bitmapWidth, layer->bitmapHeight)) {
        PremultiplyAlpha(layer->pixels, layer->bitmapWidth * layer->bitmapHeight);
        return 1;
    }
    // Nothing drawn: for want of memory unless there was nothing to draw.
    return layer->document.shapeCount < 1 || !layer->document.shapes;
}
