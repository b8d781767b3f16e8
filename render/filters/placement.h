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

// Which channel of the displacement map moves pixels along an axis.
enum DisplacementChannel { ChannelRed, ChannelGreen, ChannelBlue, ChannelAlpha };

// feDisplacementMap: out[x, y] = in[x + scaleX * (C(map) - 0.5), y + scaleY *
// (C'(map) - 0.5)], where C and C' are the chosen channels of the map's
// pixel at (x, y) read without premultiplication (0..1), and the pixel of in
// is the one whose square holds that point; transparent where that lies
// outside the image. The scales are in pixels.
void DisplacePixels(const uint32_t* in, const uint32_t* map, uint32_t* out, int width, int height,
                    float scaleX, float scaleY, int xChannel, int yChannel);

// The largest morphology radius, in pixels; larger ones are cut to it.
const int MaxMorphologyRadius = 128;

// Erodes (dilate false) or dilates each channel in place: the least (or
// greatest) value within rx pixels across and ry down, only pixels of the
// image counted. False when the memory for a line cannot be had.
bool MorphologyPixels(uint32_t* pixels, int width, int height, int rx, int ry, bool dilate);
