#include "render/filters/filter_pixels.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t ToByte(float v) {
    if (!(v > 0))
        return 0;
    if (v >= 1)
        return 255;
    return static_cast<uint32_t>(v * 255 + 0.5f);
}

// The conversion of a premultiplied colour byte at each alpha, [alpha][byte]:
// unpremultiplied (rounding), mapped through the curve's table of straight
// 8-bit values and premultiplied again (rounding). A table lookup is far
// cheaper than the two divisions.
struct CurveTable {
    uint8_t toLinear[256][256], toSrgb[256][256];
    CurveTable() {
        uint8_t straightToLinear[256], straightToSrgb[256];
        for (int i = 0; i < 256; i++) {
            const double c = i / 255.0;
            const double linear = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            const double srgb = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
            straightToLinear[i] = static_cast<uint8_t>(std::lround(linear * 255));
            straightToSrgb[i] = static_cast<uint8_t>(std::lround(srgb * 255));
        }
        for (uint32_t a = 0; a < 256; a++) {
            for (uint32_t c = 0; c < 256; c++) {
                const uint32_t straight = a ? std::min<uint32_t>((c * 255 + a / 2) / a, 255) : 0;
                toLinear[a][c] = static_cast<uint8_t>((straightToLinear[straight] * a + 127) / 255);
                toSrgb[a][c] = static_cast<uint8_t>((straightToSrgb[straight] * a + 127) / 255);
            }
        }
    }
};

const CurveTable& Curves() {
    static const CurveTable table; // constant data, made once
    return table;
}

// Maps each visible pixel's colour bytes through the table's row for its
// alpha.
void MapColours(uint32_t* pixels, int count, const uint8_t (*table)[256]) {
    for (int i = 0; i < count; i++) {
        const uint32_t p = pixels[i], a = p >> 24;
        if (a == 0)
            continue;
        const uint8_t* row = table[a];
        pixels[i] = (a << 24) | (static_cast<uint32_t>(row[(p >> 16) & 0xFF]) << 16) |
                    (static_cast<uint32_t>(row[(p >> 8) & 0xFF]) << 8) | row[p & 0xFF];
    }
}

} // namespace

uint32_t PackPremultiplied(FilterColour c) {
    const uint32_t a = ToByte(c.a);
    const uint32_t r = std::min(ToByte(c.r), a), g = std::min(ToByte(c.g), a);
    const uint32_t b = std::min(ToByte(c.b), a);
    return (a << 24) | (r << 16) | (g << 8) | b;
}

FilterColour Unpremultiplied(FilterColour c) {
    if (!(c.a > 0))
        return FilterColour{0, 0, 0, 0};
    return FilterColour{c.r / c.a, c.g / c.a, c.b / c.a, c.a};
}

FilterColour Premultiplied(FilterColour c) {
    return FilterColour{c.r * c.a, c.g * c.a, c.b * c.a, c.a};
}

void PremultiplyPixels(uint32_t* pixels, int count) {
    for (int i = 0; i < count; i++) {
        const uint32_t p = pixels[i], a = p >> 24;
        uint32_t result = a << 24;
        for (int shift = 0; shift <= 16; shift += 8)
            result |= ((((p >> shift) & 0xFF) * a + 127) / 255) << shift;
        pixels[i] = result;
    }
}

void UnpremultiplyPixels(uint32_t* pixels, int count) {
    for (int i = 0; i < count; i++) {
        const uint32_t p = pixels[i], a = p >> 24;
        if (a == 0) {
            pixels[i] = 0;
            continue;
        }
        uint32_t result = a << 24;
        for (int shift = 0; shift <= 16; shift += 8) {
            const uint32_t c = (p >> shift) & 0xFF;
            result |= std::min<uint32_t>((c * 255 + a / 2) / a, 255) << shift;
        }
        pixels[i] = result;
    }
}

void SrgbToLinearPixels(uint32_t* pixels, int count) {
    MapColours(pixels, count, Curves().toLinear);
}

void LinearToSrgbPixels(uint32_t* pixels, int count) {
    MapColours(pixels, count, Curves().toSrgb);
}
