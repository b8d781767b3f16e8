#include "render/compositing.h"

#include <cmath>
#include <vector>

#include "render/filters/combine.h"
#include "render/filters/filter_pixels.h"

namespace {

// a x b / 255, rounded, for a and b in 0..255.
uint32_t MultiplyBytes(uint32_t a, uint32_t b) {
    uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// Source over destination with straight alpha: the source's colour weighed
// by its alpha sa, the destination's by da x (1 - sa), divided by the
// resulting alpha.
uint32_t Over(uint32_t source, uint32_t sa, uint32_t destination) {
    const uint32_t da = destination >> 24;
    if (sa == 255 || da == 0)
        return (sa << 24) | (source & 0x00FFFFFFu);
    const uint32_t below = da * (255 - sa); // the destination's weight x 255
    const uint32_t total = sa * 255 + below;
    uint32_t result = ((total + 127) / 255) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t sc = (source >> shift) & 0xFF, dc = (destination >> shift) & 0xFF;
        uint32_t c = (sc * sa * 255 + dc * below + total / 2) / total;
        result |= c << shift;
    }
    return result;
}

} // namespace

void MaskCoverage(const uint32_t* mask, size_t count, int luminance, uint8_t* coverage) {
    for (size_t i = 0; i < count; i++) {
        const uint32_t p = mask[i], a = p >> 24;
        if (!luminance) {
            coverage[i] = static_cast<uint8_t>(a);
            continue;
        }
        const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        // Weights in ten-thousandths; the largest product stays below 2^32.
        const uint32_t weighed = (2125 * r + 7154 * g + 721 * b) * a;
        coverage[i] = static_cast<uint8_t>((weighed + 1275000) / 2550000);
    }
}

namespace {

// A layer pixel's alpha as it is drawn: scaled by the opacity k (0..255)
// and its coverage, if any.
uint32_t LayerAlpha(uint32_t p, uint32_t k, const uint8_t* coverage, size_t i) {
    const uint32_t sa = MultiplyBytes(p >> 24, k);
    return coverage ? MultiplyBytes(sa, coverage[i]) : sa;
}

uint32_t OpacityByte(float opacity) {
    return opacity >= 1 ? 255u : static_cast<uint32_t>(std::lround(opacity * 255));
}

} // namespace

void BlendLayer(uint32_t* target, int targetWidth, int x, int y, const uint32_t* layer, int width,
                int height, float opacity, const uint8_t* coverage, int mode) {
    if (!(opacity > 0))
        return;
    const uint32_t k = OpacityByte(opacity);
    std::vector<uint32_t> top(static_cast<size_t>(width));
    for (int row = 0; row < height; row++) {
        uint32_t* out = target + static_cast<size_t>(y + row) * targetWidth + x;
        const size_t start = static_cast<size_t>(row) * width;
        for (int column = 0; column < width; column++) {
            const uint32_t p = layer[start + column];
            top[column] = (LayerAlpha(p, k, coverage, start + column) << 24) | (p & 0x00FFFFFFu);
        }
        // The blend works on premultiplied colours, the layers keep straight ones.
        PremultiplyPixels(top.data(), width);
        PremultiplyPixels(out, width);
        BlendPixels(top.data(), out, out, width, mode);
        UnpremultiplyPixels(out, width);
    }
}

void CompositeLayer(uint32_t* target, int targetWidth, int x, int y, const uint32_t* layer,
                    int width, int height, float opacity, const uint8_t* coverage) {
    if (!(opacity > 0))
        return;
    const uint32_t k = OpacityByte(opacity);
    for (int row = 0; row < height; row++) {
        uint32_t* out = target + static_cast<size_t>(y + row) * targetWidth + x;
        const size_t start = static_cast<size_t>(row) * width;
        for (int column = 0; column < width; column++) {
            const uint32_t p = layer[start + column];
            const uint32_t sa = LayerAlpha(p, k, coverage, start + column);
            if (sa)
                out[column] = Over(p, sa, out[column]);
        }
    }
}
