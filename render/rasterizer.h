// The scene rasterizer: draws a Layer's parsed drawing into a 32-bit buffer,
// placed inside the Layer's margins by its layout mode and turned by its
// rotation, then runs the opacity, tint and premultiply passes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "layers/layer.h"
#include "render/pixel_passes.h"

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
