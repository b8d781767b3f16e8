// Painting one shape record: its fill and stroke with colours, gradients or
// pattern tiles, in paint order.
#pragma once

struct DeviceBox;
struct GfxBrush;
struct GfxGraphics;
struct GfxMatrix;
struct ShapeRecord;
struct SvgDocument;

// What painting a shape came to, as bits: each part (a fill, a stroke, or
// a piece of one) drawn or left out adds its own. 0 when nothing had to be
// drawn.
enum PaintOutcome {
    PaintSomeDrawn = 1,       // a part was drawn
    PaintLeftOutUnusable = 2, // a part was left out: coordinates GDI+ cannot take
    PaintLeftOutNoMemory = 4, // a part was left out: GDI+ had no memory for it, its
                              // brush or its pen
};

// The outcome of one part from what GDI+ said of drawing it (GfxDrawResult).
int PaintOutcomeOf(int drawResult);

// Paints the shape on a graphics whose drawn pixels are `area`; the parts
// left out do not keep the others from being drawn.
int PaintShape(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
               GfxMatrix* base, const DeviceBox& area, GfxBrush* fillTexture,
               GfxBrush* strokeTexture);
