// feConvolveMatrix on premultiplied pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "svg/records/filters.h"

struct ConvolveKernel {
    int orderX, orderY;        // columns and rows
    int targetX, targetY;      // the kernel cell over the pixel computed
    std::vector<float> values; // orderX x orderY, rows from the top
    float divisor, bias;
    int edgeMode;      // FilterEdgeMode
    int preserveAlpha; // convolve straight colours and keep alpha
};

// out = in convolved with the kernel, each result clamped to 0..1 and its
// colours to its alpha.
void ConvolvePixels(const uint32_t* in, uint32_t* out, int width, int height,
                    const ConvolveKernel& kernel);
