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
    // opacity 51 (f = 0.2): 254 -> 50.8 -> 51, 2 -> 0.4 -> 0. Colour bytes are
    // kept unless the alpha ends at 0. (No 8-bit alpha and opacity give an
    // exact half in 32-bit floats, so the halves-to-even rule never shows.)
    std::vector<uint32_t> px = {Pixel(255, 10, 20, 30), Pixel(0, 10, 20, 30),
                                Pixel(1, 255, 255, 255), Pixel(200, 1, 2, 3)};
    ApplyOpacity(px.data(), static_cast<int>(px.size()), 128);
    EXPECT_EQ(Pixel(128, 10, 20, 30), px[0]);
    EXPECT_EQ(0u, px[1]);
    EXPECT_EQ(Pixel(1, 255, 255, 255), px[2]);
    EXPECT_EQ(Pixel(100, 1, 2, 3), px[3]);
    std::vector<uint32_t> faint = {Pixel(254, 0, 0, 0), Pixel(2, 7, 8, 9)};
    ApplyOpacity(faint.data(), 2, 51);
    EXPECT_EQ(51u, faint[0] >> 24);
    EXPECT_EQ(0u, faint[1]); // a faint pixel may vanish, colour and all
    std::vector<uint32_t> opaque = {Pixel(255, 9, 9, 9)};
    ApplyOpacity(opaque.data(), 1, 255); // nothing to do at full opacity
    EXPECT_EQ(Pixel(255, 9, 9, 9), opaque[0]);
    ApplyOpacity(opaque.data(), 1, 0);
    EXPECT_EQ(0u, opaque[0]);
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
        // Transparent pixels lose their colour bytes.
        {Pixel(0, 200, 100, 50), 0, 0, 0, 255, 0},
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

TEST(PixelPasses, PremultiplyTruncatesKeepsOpaqueAndClearsTransparent) {
    std::vector<uint32_t> px = {Pixel(128, 200, 100, 50), Pixel(255, 200, 100, 50),
                                Pixel(0, 200, 100, 50), Pixel(1, 255, 254, 128),
                                Pixel(254, 255, 1, 128)};
    PremultiplyAlpha(px.data(), static_cast<int>(px.size()));
    EXPECT_EQ(Pixel(128, 100, 50, 25), px[0]);
    EXPECT_EQ(Pixel(255, 200, 100, 50), px[1]);
    EXPECT_EQ(0u, px[2]);
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

// The float formulas written out per channel: what the passes gave before
// they were vectorised. A transparent result carries no colour.
static uint32_t ExpectedTintChannel(int c, int tint, float f) {
    int m = c * tint / 255;
    return static_cast<uint32_t>(std::nearbyint(static_cast<float>(c) + (m - c) * f));
}

static uint32_t ExpectedFade(uint32_t pixel, float f) {
    uint32_t alpha = static_cast<uint32_t>(std::nearbyint(static_cast<float>(pixel >> 24) * f));
    return alpha == 0 ? 0 : (pixel & 0x00FFFFFFu) | (alpha << 24);
}

TEST(PixelPasses, PassesMatchTheFloatFormulaForEveryStrengthTintAndByte) {
    // 256 pixels give red and green every byte value (and alpha every value
    // but 0) in the four-pixel loop; three more go through the loop for the
    // pixels left over. Every strength meets every tint component in red.
    std::vector<uint32_t> px(259);
    for (uint32_t v = 0; v < 256; v++)
        px[v] = Pixel(v == 0 ? 1 : v, v, 255 - v, v / 2);
    px[256] = Pixel(1, 255, 255, 255);
    px[257] = Pixel(0, 1, 2, 3);
    px[258] = Pixel(200, 17, 34, 51);
    const int count = static_cast<int>(px.size());
    for (int strength = 1; strength <= 255; strength++) {
        const float f = static_cast<float>(strength) / 255.0f;
        for (int t = 0; t < 256; t++) {
            const int tint[3] = {t, 255 - t, (t * 7) & 0xFF};
            std::vector<uint32_t> tinted = px;
            ApplyTint(tinted.data(), count, tint[0], tint[1], tint[2], strength);
            for (int i = 0; i < count; i++) {
                uint32_t expect = px[i] & 0xFF000000u;
                for (int ch = 0; ch < 3 && expect != 0; ch++) {
                    int shift = 16 - 8 * ch;
                    expect |= ExpectedTintChannel((px[i] >> shift) & 0xFF, tint[ch], f) << shift;
                }
                ASSERT_EQ(expect, tinted[i]) << i << " tint " << t << " strength " << strength;
            }
        }
        std::vector<uint32_t> faded = px;
        ApplyOpacity(faded.data(), count, strength);
        for (int i = 0; strength < 255 && i < count; i++)
            ASSERT_EQ(ExpectedFade(px[i], f), faded[i]) << i << " opacity " << strength;
    }
}

TEST(PixelPasses, TransparentResultsCarryNoColour) {
    // White at every alpha: opacity 1 takes alpha 1..127 to 0, which must not
    // leave the white behind for the layered window to add to the screen.
    std::vector<uint32_t> px;
    for (uint32_t a = 0; a < 256; a++)
        px.push_back(Pixel(a, 255, 255, 255));
    std::vector<uint32_t> faded = px, tinted = px, premultiplied = px;
    ApplyOpacity(faded.data(), 256, 1);
    ApplyTint(tinted.data(), 256, 255, 0, 0, 255);
    PremultiplyAlpha(premultiplied.data(), 256);
    for (const auto* out : {&faded, &tinted, &premultiplied}) {
        for (uint32_t pixel : *out)
            ASSERT_TRUE(pixel >> 24 != 0 || pixel == 0) << std::hex << pixel;
    }
    EXPECT_EQ(0u, faded[127]);
    EXPECT_EQ(Pixel(1, 255, 255, 255), faded[128]);
}

TEST(PixelPasses, PremultiplyMatchesTheDirectFormulaForEveryAlphaAndChannel) {
    std::vector<uint32_t> px;
    for (uint32_t a = 0; a < 256; a++) {
        for (uint32_t c = 0; c < 256; c++)
            px.push_back(Pixel(a, c, 255 - c, (c * 7) & 0xFF));
    }
    px.push_back(Pixel(0, 9, 9, 9)); // left over after the four-pixel loop
    px.push_back(Pixel(254, 255, 1, 128));
    std::vector<uint32_t> out = px;
    PremultiplyAlpha(out.data(), static_cast<int>(out.size()));
    for (size_t i = 0; i < px.size(); i++) {
        uint32_t a = px[i] >> 24;
        uint32_t expect = px[i];
        if (a == 0)
            expect = 0;
        else if (a != 255)
            expect = Pixel(a, ((px[i] >> 16) & 0xFF) * a / 255, ((px[i] >> 8) & 0xFF) * a / 255,
                           (px[i] & 0xFF) * a / 255);
        ASSERT_EQ(expect, out[i]) << std::hex << px[i];
    }
}
