// Drawing a Layer: its document placed inside its margins by its layout mode
// and turned by its rotation, then its opacity, tint and premultiply passes.
#pragma once

#include <cstdint>

#include "layers/layer.h"

// Draws the layer's document into pixels (width x height words, rows from the
// top) and applies the layer's opacity and tint, leaving straight alpha.
// Returns 0 without touching the buffer when there is nothing to draw (no
// layer, no buffer, no shapes, a side below 1); returns 0 with the buffer
// cleared when GDI+ had not the memory to draw any of it; 1 when drawn. An
// out-of-range layoutMode is stored back as fit (0).
int RenderLayerPixels(Layer* layer, uint32_t* pixels, int width, int height);

// Renders the layer into its own bitmap (pixels, bitmapWidth x bitmapHeight)
// and premultiplies the result for the per-pixel-alpha window update. Does
// nothing when the layer has no bitmap or no pixels. Returns 0 when the
// layer has a drawing of which GDI+ had not the memory to draw anything,
// else 1.
int RenderLayer(Layer* layer);
