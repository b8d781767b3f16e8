// The scene rasterizer: draws a Layer's parsed drawing into a 32-bit buffer,
// placed inside the Layer's margins by its layout mode and turned by its
// rotation, then runs the opacity, tint and premultiply passes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "layers/layer.h"
#include "render/pixel_passes.h"

// Where the drawing lands in a buffer. A user-space point p is drawn at
// ((p - view origin) * inner scale + inner offset) * scale + offset, then
// turned about the centre of the area; nothing outside the clip rectangle
// (offset, clip size) is drawn.
struct LayerPlacement {
    float viewX, viewY, viewWidth, viewHeight; // the user-space rectangle shown
    float naturalWidth, naturalHeight;         // the size the drawing asks for
    float innerScaleX, innerScaleY;            // the view fitted into the natural size
    float innerX, innerY;                      // as the root's preserveAspectRatio says
    int areaX, areaY;                          // the rectangle inside the margins
    float areaWidth, areaHeight;
    float scaleX, scaleY, offsetX, offsetY; // natural size into the buffer
    float clipWidth, clipHeight;
};

// The placement of the layer's document in a width x height buffer. A layout
// mode other than fit, stretch or original is placed as fit.
void ComputeLayerPlacement(const Layer* layer, int width, int height, LayerPlacement* placement);

// Draws the layer's document into pixels (width x height words, rows from the
// top) and applies the layer's opacity and tint, leaving straight alpha.
// Returns 0 without touching the buffer when there is nothing to draw (no
// layer, no buffer, no shapes, a side below 1); returns 0 with the buffer
// cleared when no graphics object could be made on it; 1 when drawn. An
// out-of-range layoutMode is stored back as fit (0).
int RenderLayerPixels(Layer* layer, uint32_t* pixels, int width, int height);

// Groups with an opacity below 1 or a mask, their masks and pattern tiles are
// drawn into offscreen bitmaps, 128 MB at most over one render. Past that, a
// group's shapes are drawn directly, each faded by the group's opacity, a
// mask is left out and a pattern's fallback colour paints; the document's
// notDrawn[NotDrawnFadedGroups] counts each of these of the last render.
enum : size_t { DefaultOffscreenPixelBudget = size_t(1) << 25 };
// Sets the budget in pixels (tests use a small one to see the fallback).
void SetOffscreenPixelBudget(size_t pixels);

// Renders the layer into its own bitmap (pixels, bitmapWidth x bitmapHeight)
// and premultiplies the result for the per-pixel-alpha window update. Does
// nothing when the layer has no bitmap or no pixels.
void RenderLayer(Layer* layer);
