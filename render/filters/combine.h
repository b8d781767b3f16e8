// Primitives that combine two premultiplied images of the same size pixel
// by pixel: Porter-Duff compositing, arithmetic and blend modes.
#pragma once

#include <cstdint>

#include "svg/records/filters.h"

// out = top (in) composited with bottom (in2) by the operator; k holds
// k1..k4 for arithmetic (result = k1 i1 i2 + k2 i1 + k3 i2 + k4 on
// premultiplied values, clamped). out may be either input.
void CompositePixels(const uint32_t* top, const uint32_t* bottom, uint32_t* out, int count, int op,
                     const float k[4]);

// out = top (in) blended over bottom (in2) with the mode.
void BlendPixels(const uint32_t* top, const uint32_t* bottom, uint32_t* out, int count, int mode);
