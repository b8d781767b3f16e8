// feTurbulence: Perlin turbulence and fractal noise as SVG defines the
// algorithm, its pseudo-random lattice included, so that a seed draws the
// same picture everywhere.
#pragma once

#include <cstdint>

#include "render/filters/placement.h"
#include "svg/values/transform.h"

struct TurbulenceParams {
    double baseX, baseY; // base frequencies, per user unit
    int octaves;
    long seed;
    int fractal; // fractal noise, else turbulence
    int stitch;  // stitch the tiles: the tile is (tileX, tileY, tileWidth, tileHeight)
    double tileX, tileY, tileWidth, tileHeight;
};

// The most octaves summed; more add nothing a pixel can show.
const int MaxTurbulenceOctaves = 24;

// Fills the pixels of area (of a width x height image) with the noise, as
// premultiplied pixels: each pixel's top left corner is taken back to user
// space through the inverse of userToImage. False when that matrix cannot
// be inverted.
bool TurbulencePixels(uint32_t* pixels, int width, int height, const FilterRect& area,
                      const Matrix2D& userToImage, const TurbulenceParams& params);

// The noise of one channel (0..3: red, green, blue, alpha) at a user-space
// point, before it becomes a colour: the sum over the octaves.
double TurbulenceAt(const TurbulenceParams& params, int channel, double x, double y);
