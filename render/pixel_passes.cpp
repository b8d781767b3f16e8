#include "render/pixel_passes.h"

#include <cmath>

// Every pass maps one byte to one byte with a fixed factor, so each builds a
// 256-entry table with the exact arithmetic once per call and then only looks
// bytes up while walking the buffer.

static int RoundHalfEven(float value) {
    return static_cast<int>(std::nearbyint(value));
}

static int ClampByte(int value) {
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

static uint32_t AlphaOf(uint32_t pixel) {
    return pixel >> 24;
}

void ApplyOpacity(uint32_t* pixels, int count, int opacity) {
    if (!pixels || count < 1 || opacity >= 255)
        return;
    if (opacity < 0)
        opacity = 0;
    const float factor = static_cast<float>(opacity) / 255.0f;
    uint32_t alphaTable[256];
    for (int alpha = 0; alpha < 256; alpha++) {
        int scaled = RoundHalfEven(static_cast<float>(alpha) * factor);
        alphaTable[alpha] = static_cast<uint32_t>(scaled > 255 ? 255 : scaled) << 24;
    }
    for (int i = 0; i < count; i++) {
        uint32_t pixel = pixels[i];
        uint32_t alpha = AlphaOf(pixel);
        if (alpha != 0)
            pixels[i] = (pixel & 0x00FFFFFFu) | alphaTable[alpha];
    }
}

static void BuildTintTable(uint8_t table[256], int component, float factor) {
    for (int c = 0; c < 256; c++) {
        int blended = c * component / 255; // multiply blend, truncating
        float moved = static_cast<float>(c) + static_cast<float>(blended - c) * factor;
        table[c] = static_cast<uint8_t>(ClampByte(RoundHalfEven(moved)));
    }
}

void ApplyTint(uint32_t* pixels, int count, int red, int green, int blue, int strength) {
    if (!pixels || count < 1 || strength == 0)
        return;
    const float factor = static_cast<float>(strength) / 255.0f;
    uint8_t redTable[256], greenTable[256], blueTable[256];
    BuildTintTable(redTable, red, factor);
    BuildTintTable(greenTable, green, factor);
    BuildTintTable(blueTable, blue, factor);
    for (int i = 0; i < count; i++) {
        uint32_t pixel = pixels[i];
        if (AlphaOf(pixel) == 0)
            continue;
        uint32_t r = redTable[(pixel >> 16) & 0xFF];
        uint32_t g = greenTable[(pixel >> 8) & 0xFF];
        uint32_t b = blueTable[pixel & 0xFF];
        pixels[i] = (pixel & 0xFF000000u) | (r << 16) | (g << 8) | b;
    }
}

void PremultiplyAlpha(uint32_t* pixels, int count) {
    if (!pixels || count < 1)
        return;
    for (int i = 0; i < count; i++) {
        uint32_t pixel = pixels[i];
        uint32_t alpha = AlphaOf(pixel);
        if (alpha == 0 || alpha == 255)
            continue;
        uint32_t r = ((pixel >> 16) & 0xFF) * alpha / 255;
        uint32_t g = ((pixel >> 8) & 0xFF) * alpha / 255;
        uint32_t b = (pixel & 0xFF) * alpha / 255;
        pixels[i] = (alpha << 24) | (r << 16) | (g << 8) | b;
    }
}
