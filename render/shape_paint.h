// Painting one shape record: its fill and stroke with colours, gradients or
// pattern tiles, in paint order.
#pragma once

struct DeviceBox;
struct GfxBrush;
struct GfxGraphics;
struct GfxMatrix;
struct ShapeRecord;
struct SvgDocument;

// Paints the shape on a graphics whose drawn pixels are `area`; false when
// a part of it was left out for coordinates GDI+ cannot take (the other
// part is still drawn).
bool PaintShape(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
                GfxMatrix* base, const DeviceBox& area, GfxBrush* fillTexture,
                GfxBrush* strokeTexture);
