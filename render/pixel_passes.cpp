#include "render/pixel_passes.h"

#include <cmath>

// The opacity and tint passes map one byte to one byte with a fixed factor, so
// each builds a 256-entry table with the exact arithmetic once per call and
// then only looks bytes up while walking the buffer; premultiplying looks up
// a fixed table of every alpha and channel pair. The loops avoid branches
// on the pixel values: drawings mix transparent, edge and opaque pixels
// without a pattern a branch predictor could follow.

static int RoundHalfEven(float value) {
    return static_cast<int>(std::nearbyint(value));
}

static int ClampByte(int value) {
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

static uint32_t AlphaOf(uint32_t pixel) {
    return pixel >> 24;
}

// All ones for a pixel with alpha above 0, else 0: selects without a branch.
static uint32_t VisibleMask(uint32_t pixel) {
    return 0u - static_cast<uint32_t>(AlphaOf(pixel) != 0);
}

static uint32_t Select(uint32_t mask, uint32_t ifSet, uint32_t ifClear) {
    return (ifSet & mask) | (ifClear & ~mask);
}

void ApplyOpacity(uint32_t* pixels, int count, int opacity) {
    if (!pixels || count < 1 || opacity >= 255)
        return;
    if (opacity < 0)
        opacity = 0;
    const float factor = static_cast<float>(opacity) / 255.0f;
    uint32_t alphaTable[256]; // alpha 0 stays 0, so no pixel needs skipping
    for (int alpha = 0; alpha < 256; alpha++) {
        int scaled = RoundHalfEven(static_cast<float>(alpha) * factor);
        alphaTable[alpha] = static_cast<uint32_t>(scaled > 255 ? 255 : scaled) << 24;
    }
    for (int i = 0; i < count; i++) {
        uint32_t pixel = pixels[i];
        pixels[i] = (pixel & 0x00FFFFFFu) | alphaTable[AlphaOf(pixel)];
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
        uint32_t r = redTable[(pixel >> 16) & 0xFF];
        uint32_t g = greenTable[(pixel >> 8) & 0xFF];
        uint32_t b = blueTable[pixel & 0xFF];
        uint32_t tinted = (pixel & 0xFF000000u) | (r << 16) | (g << 8) | b;
        pixels[i] =
            Select(VisibleMask(pixel), tinted, pixel); // transparent pixels keep their bytes
    }
}

// c * alpha / 255 for every alpha and channel byte, built on first use.
struct PremultiplyTable {
    uint8_t value[256][256]; // [alpha][channel]
    PremultiplyTable() {
        for (int alpha = 0; alpha < 256; alpha++) {
            for (int c = 0; c < 256; c++)
                value[alpha][c] = static_cast<uint8_t>(c * alpha / 255);
        }
    }
};

void PremultiplyAlpha(uint32_t* pixels, int count) {
    if (!pixels || count < 1)
        return;
    static const PremultiplyTable table;
    for (int i = 0; i < count; i++) {
        uint32_t pixel = pixels[i];
        const uint8_t* row = table.value[AlphaOf(pixel)];
        uint32_t premultiplied =
            (pixel & 0xFF000000u) | (static_cast<uint32_t>(row[(pixel >> 16) & 0xFF]) << 16) |
            (static_cast<uint32_t>(row[(pixel >> 8) & 0xFF]) << 8) | row[pixel & 0xFF];
        // Alpha 255 gives the same bytes; alpha 0 keeps them as they are.
        pixels[i] = Select(VisibleMask(pixel), premultiplied, pixel);
    }
}
