#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "render/pixel_passes.h"

namespace {

uint32_t Pixel(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

} // namespace

TEST(PixelPasses, OpacityScalesAlphaOnlyRoundingToTheNearest) {
    // opacity 128: 255 -> 128, 200 -> 100.39 -> 100, 1 -> 0.502 -> 1;
    // opacity 51 (f = 0.2): 254 -> 50.8 -> 51, 2 -> 0.4 -> 0. Alpha 0 stays 0
    // and colour bytes are never touched. (No 8-bit alpha and opacity give an
    // exact half in 32-bit floats, so the halves-to-even rule never shows.)
    std::vector<uint32_t> px = {Pixel(255, 10, 20, 30), Pixel(0, 10, 20, 30),
                                Pixel(1, 255, 255, 255), Pixel(200, 1, 2, 3)};
    ApplyOpacity(px.data(), static_cast<int>(px.size()), 128);
    EXPECT_EQ(Pixel(128, 10, 20, 30), px[0]);
    EXPECT_EQ(Pixel(0, 10, 20, 30), px[1]);
    EXPECT_EQ(Pixel(1, 255, 255, 255), px[2]);
    EXPECT_EQ(Pixel(100, 1, 2, 3), px[3]);
    std::vector<uint32_t> faint = {Pixel(254, 0, 0, 0), Pixel(2, 0, 0, 0)};
    ApplyOpacity(faint.data(), 2, 51);
    EXPECT_EQ(51u, faint[0] >> 24);
    EXPECT_EQ(0u, faint[1] >> 24); // a faint pixel may vanish
    std::vector<uint32_t> opaque = {Pixel(255, 9, 9, 9)};
    ApplyOpacity(opaque.data(), 1, 255); // nothing to do at full opacity
    EXPECT_EQ(Pixel(255, 9, 9, 9), opaque[0]);
    ApplyOpacity(opaque.data(), 1, 0);
    EXPECT_EQ(Pixel(0, 9, 9, 9), opaque[0]);
}

TEST(PixelPasses, TintMovesChannelsTowardsTheirMultiplyBlend) {
    struct Case {
        uint32_t in;
        int r, g, b, strength;
        uint32_t out;
    } cases[] = {
        {Pixel(255, 200, 100, 50), 255, 0, 0, 255, Pixel(255, 200, 0, 0)},
        {Pixel(255, 200, 100, 50), 255, 0, 0, 128, Pixel(255, 200, 50, 25)},
        // "Warm Sunset" on opaque white.
        {Pixel(255, 255, 255, 255), 255, 180, 120, 128, Pixel(255, 255, 217, 187)},
        // Black stays black under any tint; alpha is kept.
        {Pixel(77, 0, 0, 0), 150, 180, 255, 128, Pixel(77, 0, 0, 0)},
        // Transparent pixels are skipped, whatever their colour bytes.
        {Pixel(0, 200, 100, 50), 0, 0, 0, 255, Pixel(0, 200, 100, 50)},
        // Strength 0 does nothing.
        {Pixel(255, 200, 100, 50), 0, 0, 0, 0, Pixel(255, 200, 100, 50)},
        // Grey tint: every channel darkened by the same factor.
        {Pixel(255, 255, 255, 255), 150, 150, 150, 128, Pixel(255, 202, 202, 202)},
    };
    for (const Case& c : cases) {
        uint32_t px = c.in;
        ApplyTint(&px, 1, c.r, c.g, c.b, c.strength);
        EXPECT_EQ(c.out, px) << std::hex << c.in << " strength " << std::dec << c.strength;
    }
}

TEST(PixelPasses, PremultiplyTruncatesAndLeavesOpaqueAndTransparentAlone) {
    std::vector<uint32_t> px = {Pixel(128, 200, 100, 50), Pixel(255, 200, 100, 50),
                                Pixel(0, 200, 100, 50), Pixel(1, 255, 254, 128),
                                Pixel(254, 255, 1, 128)};
    PremultiplyAlpha(px.data(), static_cast<int>(px.size()));
    EXPECT_EQ(Pixel(128, 100, 50, 25), px[0]);
    EXPECT_EQ(Pixel(255, 200, 100, 50), px[1]);
    EXPECT_EQ(Pixel(0, 200, 100, 50), px[2]);
    EXPECT_EQ(Pixel(1, 1, 0, 0), px[3]);
    EXPECT_EQ(Pixel(254, 254, 0, 127), px[4]);
}

TEST(PixelPasses, MissingBuffersAndEmptyCountsAreIgnored) {
    ApplyOpacity(nullptr, 10, 10);
    ApplyTint(nullptr, 10, 1, 2, 3, 4);
    PremultiplyAlpha(nullptr, 10);
    uint32_t px = Pixel(128, 200, 100, 50);
    ApplyOpacity(&px, 0, 10);
    ApplyTint(&px, 0, 0, 0, 0, 255);
    PremultiplyAlpha(&px, -1);
    EXPECT_EQ(Pixel(128, 200, 100, 50), px);
}

TEST(PixelPasses, PassesMatchTheDirectFormulaOnEveryByte) {
    // The passes work from per-call tables; check them against the formula
    // written out per pixel for every alpha / channel value.
    for (int strength : {1, 77, 128, 254, 255}) {
        const float f = static_cast<float>(strength) / 255.0f;
        std::vector<uint32_t> px(256);
        for (uint32_t v = 0; v < 256; v++)
            px[v] = Pixel(v == 0 ? 1 : v, v, 255 - v, v / 2);
        std::vector<uint32_t> tinted = px;
        ApplyTint(tinted.data(), 256, 13, 200, 255, strength);
        std::vector<uint32_t> faded = px;
        ApplyOpacity(faded.data(), 256, strength);
        for (uint32_t v = 0; v < 256; v++) {
            const int tint[3] = {13, 200, 255};
            for (int ch = 0; ch < 3; ch++) {
                int shift = 16 - 8 * ch;
                int c = static_cast<int>((px[v] >> shift) & 0xFF);
                int m = c * tint[ch] / 255;
                int expect = static_cast<int>(std::nearbyint(c + (m - c) * f));
                EXPECT_EQ(expect, static_cast<int>((tinted[v] >> shift) & 0xFF));
            }
            int alpha = static_cast<int>(px[v] >> 24);
            if (strength < 255) {
                EXPECT_EQ(static_cast<int>(std::nearbyint(alpha * f)),
                          static_cast<int>(faded[v] >> 24));
            }
        }
    }
}

TEST(PixelPasses, PremultiplyMatchesTheDirectFormulaForEveryAlphaAndChannel) {
    std::vector<uint32_t> px;
    for (uint32_t a = 0; a < 256; a++) {
        for (uint32_t c = 0; c < 256; c++)
            px.push_back(Pixel(a, c, 255 - c, (c * 7) & 0xFF));
    }
    std::vector<uint32_t> out = px;
    PremultiplyAlpha(out.data(), static_cast<int>(out.size()));
    for (size_t i = 0; i < px.size(); i++) {
        uint32_t a = px[i] >> 24;
        uint32_t expect = px[i];
        if (a != 0 && a != 255) {
            expect = Pixel(a, ((px[i] >> 16) & 0xFF) * a / 255, ((px[i] >> 8) & 0xFF) * a / 255,
                           (px[i] & 0xFF) * a / 255);
        }
        ASSERT_EQ(expect, out[i]) << std::hex << px[i];
    }
}
