#include "render/filters/convolve.h"

#include <algorithm>

#include "render/filters/filter_pixels.h"

namespace {

// The pixel at (x, y) as the edge mode reads beyond the image; false for a
// transparent one.
bool EdgePixel(int* x, int* y, int width, int height, int edgeMode) {
    if (*x >= 0 && *x < width && *y >= 0 && *y < height)
        return true;
    if (edgeMode == EdgeDuplicate) {
        *x = std::min(std::max(*x, 0), width - 1);
        *y = std::min(std::max(*y, 0), height - 1);
        return true;
    }
    if (edgeMode == EdgeWrap) {
        *x = ((*x % width) + width) % width;
        *y = ((*y % height) + height) % height;
        return true;
    }
    return false;
}

} // namespace

void ConvolvePixels(const uint32_t* in, uint32_t* out, int width, int height,
                    const ConvolveKernel& k) {
    const float divisor = k.divisor != 0 ? k.divisor : 1;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            float sum[4] = {0, 0, 0, 0};
            for (int i = 0; i < k.orderY; i++) {
                for (int j = 0; j < k.orderX; j++) {
                    int sx = x - k.targetX + j, sy = y - k.targetY + i;
                    if (!EdgePixel(&sx, &sy, width, height, k.edgeMode))
                        continue;
                    FilterColour c = UnpackPixel(in[static_cast<size_t>(sy) * width + sx]);
                    if (k.preserveAlpha)
                        c = Unpremultiplied(c);
                    // The kernel is turned half round over the image.
                    const float w = k.values[static_cast<size_t>(k.orderY - 1 - i) * k.orderX +
                                             k.orderX - 1 - j];
                    sum[0] += w * c.r, sum[1] += w * c.g, sum[2] += w * c.b, sum[3] += w * c.a;
                }
            }
            const FilterColour own = UnpackPixel(in[static_cast<size_t>(y) * width + x]);
            FilterColour result;
            if (k.preserveAlpha) {
                result = FilterColour{sum[0] / divisor + k.bias, sum[1] / divisor + k.bias,
                                      sum[2] / divisor + k.bias, own.a};
                for (float* v : {&result.r, &result.g, &result.b})
                    *v = std::min(std::max(*v, 0.0f), 1.0f);
                result = Premultiplied(result);
            } else {
                const float a = std::min(std::max(sum[3] / divisor + k.bias, 0.0f), 1.0f);
                result = FilterColour{sum[0] / divisor + k.bias * a, sum[1] / divisor + k.bias * a,
                                      sum[2] / divisor + k.bias * a, a};
            }
            out[static_cast<size_t>(y) * width + x] = PackPremultiplied(result);
        }
    }
}
