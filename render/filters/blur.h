// Gaussian blur of premultiplied pixels, as browsers approximate it: three
// box passes per axis for deviations of 2 pixels and more, a true Gaussian
// kernel below.
#pragma once

#include <cstdint>

#include "svg/records/filters.h"

// The largest deviation, in pixels, a blur takes; larger ones are cut to it.
const float MaxBlurDeviation = 256;

// Blurs width x height pixels in place with the deviations (pixels) along
// each axis; an axis with a deviation of 0 or less (or not a number) is left
// as it is. False when the memory for a line cannot be had.
bool GaussianBlurPixels(uint32_t* pixels, int width, int height, float deviationX, float deviationY,
                        int edgeMode);
