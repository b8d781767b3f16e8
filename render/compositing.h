// Compositing of offscreen layers: pure arithmetic on 0xAARRGGBB buffers
// with straight alpha, the form GDI+ leaves in a 32bppARGB bitmap.
#pragma once

#include <cstddef>
#include <cstdint>

// What a mask lets through at each pixel, 0..255: the luminance of the
// colour (sRGB values weighed 0.2125, 0.7154, 0.0721) times its alpha, or the
// alpha alone when luminance is 0.
void MaskCoverage(const uint32_t* mask, size_t count, int luminance, uint8_t* coverage);

// Draws the layer (width x height words) over the target, whose rows are
// targetWidth words long, with the layer's top left at (x, y) in it; the
// caller keeps the layer inside the target. Each layer pixel's alpha is
// scaled by opacity (0..1) and, when coverage is not null, by its coverage.
void CompositeLayer(uint32_t* target, int targetWidth, int x, int y, const uint32_t* layer,
                    int width, int height, float opacity, const uint8_t* coverage);
// The same with a blend mode (svg/values/blend_mode.h): where the layer and
// the target both show, the mode mixes their colours; each shows alone
// elsewhere (source-over, as Compositing and Blending Level 1 has it).
void BlendLayer(uint32_t* target, int targetWidth, int x, int y, const uint32_t* layer, int width,
                int height, float opacity, const uint8_t* coverage, int mode);
