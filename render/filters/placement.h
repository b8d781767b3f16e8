// Primitives that move or repeat pixels, or make them: offset, tile,
// flood and morphology, on premultiplied images of one size.
#pragma once

#include <cstdint>

struct FilterRect {
    int left, top, right, bottom; // right and bottom exclusive
};

// out[x, y] = in[x - dx, y - dy], transparent where that lies outside.
void OffsetPixels(const uint32_t* in, uint32_t* out, int width, int height, int dx, int dy);

// Fills the rectangle (cut to the image) with the premultiplied colour.
void FloodPixels(uint32_t* pixels, int width, int height, const FilterRect& rect, uint32_t colour);

// Clears every pixel outside the rectangle.
void ClearOutside(uint32_t* pixels, int width, int height, const FilterRect& rect);

// Repeats the tile (a rectangle of in, cut to the image) over all of out.
// Nothing is drawn for a tile of no area.
void TilePixels(const uint32_t* in, uint32_t* out, int width, int height, const FilterRect& tile);

// The largest morphology radius, in pixels; larger ones are cut to it.
const int MaxMorphologyRadius = 128;

// Erodes (dilate false) or dilates each channel in place: the least (or
// greatest) value within rx pixels across and ry down, only pixels of the
// image counted. False when the memory for a line cannot be had.
bool MorphologyPixels(uint32_t* pixels, int width, int height, int rx, int ry, bool dilate);
