// The scene rasterizer: draws a document's records into a 32-bit buffer
// through a base matrix. Where the drawing sits in a window, and the passes
// that follow it, belong to the caller (layers/layer_render.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/graphics.h"
#include "svg/records/document.h"
#include "svg/values/transform.h"

// Draws the document's records into pixels (width x height words, rows from
// the top, straight alpha), each user-space point through base; nothing
// outside area (in buffer pixels) is drawn. The pixels are drawn over as they
// are. Returns 1 when drawn; 0 when GDI+ had not the memory to draw anything:
// no graphics object could be made on them, or shapes ran out of memory and
// none was drawn. After a drawing, the document's notDrawn[NotDrawnFadedGroups],
// notDrawn[NotDrawnUnusableGeometry] and notDrawn[NotDrawnOutOfMemory] count
// what it had to leave out.
int DrawDocumentRecords(SvgDocument* document, const Matrix2D& base, const GfxRectF& area,
                        uint32_t* pixels, int width, int height);

// Groups with an opacity below 1 or a mask, their masks and pattern tiles are
// drawn into offscreen bitmaps, as many pixels at most over one render as its
// work budget allows (svg/records/work_budget.h). Past that, a
// group's shapes are drawn directly, each faded by the group's opacity, a
// mask is left out and a pattern's fallback colour paints; the document's
// notDrawn[NotDrawnFadedGroups] counts each of these of the last render. A
// filter whose images do not fit leaves its group unfiltered, counted in
// notDrawn[NotDrawnUnfiltered].
