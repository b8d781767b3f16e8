#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "render/filters/blur.h"
#include "render/filters/colour_effects.h"
#include "render/filters/combine.h"
#include "render/filters/convolve.h"
#include "render/filters/filter_pixels.h"
#include "render/filters/lighting.h"
#include "render/filters/placement.h"
#include "render/filters/turbulence.h"

namespace {

uint32_t Pixel(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

uint32_t Grey(uint32_t v) {
    return Pixel(v, v, v, v);
}

// `count` premultiplied pixels from a fixed seed: every alpha, colours at or
// below it, now and then above (as bad input may leave them).
std::vector<uint32_t> NoisePixels(int count, uint32_t seed) {
    std::vector<uint32_t> px(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) {
        seed = seed * 1664525u + 1013904223u;
        const uint32_t a = i < 256 ? static_cast<uint32_t>(i) : seed >> 24;
        const uint32_t limit = (seed & 0x3F) == 0 ? 255 : a;
        px[i] = Pixel(a, (seed >> 8) % (limit + 1), (seed >> 14) % (limit + 1),
                      (seed >> 20) % (limit + 1));
    }
    return px;
}

} // namespace

TEST(FilterBlur, ThreeOddBoxesRoundAfterEachPass) {
    // Deviation 2.5 gives boxes of 5: 255 -> 51 over five pixels, then
    // 51 41 31 20 10 outwards, then 39 at the centre.
    std::vector<uint32_t> row(21, 0);
    row[10] = Grey(255);
    ASSERT_TRUE(GaussianBlurPixels(row.data(), 21, 1, 2.5f, 0, EdgeNone));
    EXPECT_EQ(Grey(39), row[10]);
    EXPECT_EQ(0u, row[3]); // three boxes of 5 reach six pixels at most
    EXPECT_NE(0u, row[4]);
    for (int i = 1; i <= 6; i++)
        EXPECT_EQ(row[10 - i], row[10 + i]) << i;
}

TEST(FilterBlur, EvenBoxesStaySymmetricAndEdgesFollowTheMode) {
    // Deviation 2 gives boxes of 4: two shifted half a pixel each way and
    // one of 5, which together must not move the picture.
    std::vector<uint32_t> row(21, 0);
    row[10] = Grey(255);
    ASSERT_TRUE(GaussianBlurPixels(row.data(), 21, 1, 2, 0, EdgeNone));
    for (int i = 1; i <= 6; i++)
        EXPECT_EQ(row[10 - i], row[10 + i]) << i;
    // A column blurred down: the other axis is left alone.
    std::vector<uint32_t> flat(8 * 8, Grey(200));
    ASSERT_TRUE(GaussianBlurPixels(flat.data(), 8, 8, 0, 3, EdgeDuplicate));
    for (uint32_t p : flat)
        ASSERT_EQ(Grey(200), p);
    ASSERT_TRUE(GaussianBlurPixels(flat.data(), 8, 8, 3, 0, EdgeNone));
    EXPECT_LT(flat[0] >> 24, 200u); // transparent beyond the edge fades it
    std::vector<uint32_t> wrap(10, 0);
    wrap[0] = Grey(255);
    ASSERT_TRUE(GaussianBlurPixels(wrap.data(), 10, 1, 1, 0, EdgeWrap));
    EXPECT_EQ(wrap[1], wrap[9]);
    EXPECT_NE(0u, wrap[9]);
}

TEST(FilterBlur, BoxPassesRoundTheIntegerMeanAtEveryBoxSize) {
    // Deviations giving three centred boxes of d pixels (d odd); the means
    // are worked out in floats, which must round as integers do even for
    // the largest box.
    const std::vector<uint32_t> row = NoisePixels(1201, 7);
    for (int d : {5, 61, 101, 481}) {
        std::vector<uint32_t> blurred = row, expected = row;
        ASSERT_TRUE(GaussianBlurPixels(blurred.data(), 1201, 1, d / 1.87997f, 0, EdgeDuplicate));
        for (int pass = 0; pass < 3; pass++) {
            const std::vector<uint32_t> in = expected;
            for (int x = 0; x < 1201; x++) {
                uint32_t p = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    uint32_t sum = 0;
                    for (int i = x - d / 2; i <= x + d / 2; i++)
                        sum += (in[std::min(std::max(i, 0), 1200)] >> shift) & 0xFF;
                    p |= ((sum + d / 2) / d) << shift;
                }
                expected[x] = p;
            }
        }
        ASSERT_EQ(expected, blurred) << d;
    }
}

TEST(FilterBlur, SmallDeviationUsesAKernelAndHugeOnesAreCut) {
    std::vector<uint32_t> row(9, 0);
    row[4] = Grey(255);
    ASSERT_TRUE(GaussianBlurPixels(row.data(), 9, 1, 0.5f, 0, EdgeNone));
    // Weights exp(-2) around 1: 255 x 0.7866 = 200.6, 255 x 0.1065 = 27.2.
    EXPECT_EQ(Grey(201), row[4]);
    EXPECT_EQ(Grey(27), row[3]);
    EXPECT_EQ(0u, row[1]);
    std::vector<uint32_t> big(4, Grey(255));
    EXPECT_TRUE(GaussianBlurPixels(big.data(), 4, 1, 1e30f, 1e30f, EdgeDuplicate));
    EXPECT_EQ(Grey(255), big[0]);
}

TEST(FilterPixels, PremultiplyAndColourSpacesRoundTrip) {
    std::vector<uint32_t> px = {Pixel(128, 255, 128, 0), Pixel(0, 9, 9, 9),
                                Pixel(255, 128, 255, 0)};
    PremultiplyPixels(px.data(), 3);
    EXPECT_EQ(Pixel(128, 128, 64, 0), px[0]);
    EXPECT_EQ(0u, px[1]);
    SrgbToLinearPixels(px.data(), 3);
    // sRGB 128 is linear 0.2158 (55); at alpha 128 that is 27.6.
    EXPECT_EQ(Pixel(128, 128, 28, 0), px[0]);
    EXPECT_EQ(Pixel(255, 55, 255, 0), px[2]);
    LinearToSrgbPixels(px.data(), 3);
    EXPECT_EQ(Pixel(255, 128, 255, 0), px[2]);
    UnpremultiplyPixels(px.data(), 3);
    EXPECT_EQ(Pixel(128, 255, 129, 0), px[0]); // 8-bit linear loses a step
}

TEST(FilterColour, MatrixKindsAndBadValueLists) {
    const uint32_t red = Pixel(255, 255, 0, 0);
    struct Case {
        int kind;
        std::vector<float> values;
        uint32_t in, out;
    } cases[] = {
        {ColourMatrixSaturate, {0}, red, Pixel(255, 54, 54, 54)},
        {ColourMatrixSaturate, {}, red, red},
        {ColourMatrixHueRotate, {0}, red, red},
        {ColourMatrixHueRotate, {1, 2}, red, red}, // too many values
        {ColourMatrixValues, {1, 2, 3}, red, red}, // too few values
        {ColourMatrixLuminanceToAlpha, {}, Pixel(255, 255, 255, 255), 0xFF000000u},
        {ColourMatrixLuminanceToAlpha, {}, red, Pixel(54, 0, 0, 0)},
        // Straight colours are used: half-transparent red swapped to green.
        {ColourMatrixValues,
         {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
         Pixel(128, 128, 0, 0),
         Pixel(128, 0, 128, 0)},
    };
    for (const Case& c : cases) {
        uint32_t p = c.in;
        ApplyColourMatrix(&p, 1, ColourMatrixOf(c.kind, c.values));
        EXPECT_EQ(c.out, p) << c.kind << " " << c.values.size();
    }
}

TEST(FilterColour, TransferFunctionsWorkOnStraightValues) {
    TransferFunction f[4] = {IdentityTransfer(), IdentityTransfer(), IdentityTransfer(),
                             IdentityTransfer()};
    f[0].kind = TransferDiscrete;
    f[0].table = {0, 1}; // below half: 0, from half: 1
    f[1].kind = TransferTable;
    f[1].table = {1, 0}; // inverts
    f[2].kind = TransferGamma;
    f[2].amplitude = 1, f[2].exponent = 2, f[2].offset = 0;
    f[3].kind = TransferLinear;
    f[3].slope = 0.5f, f[3].intercept = 0;
    uint32_t px[2] = {Pixel(255, 127, 64, 128), Pixel(255, 128, 255, 255)};
    ApplyComponentTransfer(px, 2, f);
    // Alpha halves to 128 (127.5 rounded); colours premultiplied by it.
    EXPECT_EQ(Pixel(128, 0, 96, 32), px[0]);
    EXPECT_EQ(Pixel(128, 128, 0, 128), px[1]);
    TransferFunction single = IdentityTransfer();
    single.kind = TransferTable;
    single.table = {0.5f};
    TransferFunction alpha[4] = {IdentityTransfer(), IdentityTransfer(), IdentityTransfer(),
                                 single};
    uint32_t clear = 0;
    ApplyComponentTransfer(&clear, 1, alpha);
    EXPECT_EQ(Pixel(128, 0, 0, 0), clear); // transparent pixels gain alpha
}

TEST(FilterCombine, CompositeOperatorsOnPremultipliedPixels) {
    const uint32_t top = Pixel(255, 255, 0, 0), half = Pixel(128, 0, 0, 128);
    const float none[4] = {0, 0, 0, 0};
    struct Case {
        int op;
        uint32_t s, d, out;
    } cases[] = {
        {CompositeOver, half, top, Pixel(255, 127, 0, 128)},
        {CompositeIn, top, half, Pixel(128, 128, 0, 0)},
        {CompositeOut, top, half, Pixel(127, 127, 0, 0)},
        {CompositeAtop, half, top, Pixel(255, 127, 0, 128)},
        {CompositeXor, top, top, 0},
        {CompositeLighter, top, top, top}, // clamped at 1
        {CompositeIn, top, 0, 0},
    };
    for (const Case& c : cases) {
        uint32_t out;
        CompositePixels(&c.s, &c.d, &out, 1, c.op, none);
        EXPECT_EQ(c.out, out) << c.op;
    }
    // k2 = k3 = 0.5: the mean; k4 alone floods with a grey kept below alpha.
    const float mean[4] = {0, 0.5f, 0.5f, 0}, colour[4] = {0, 0, 0, 0.5f};
    const float product[4] = {1, 0, 0, 0};
    uint32_t out;
    CompositePixels(&top, &half, &out, 1, CompositeArithmetic, mean);
    EXPECT_EQ(Pixel(192, 128, 0, 64), out);
    CompositePixels(&top, &half, &out, 1, CompositeArithmetic, colour);
    EXPECT_EQ(Grey(128), out);
    CompositePixels(&top, &half, &out, 1, CompositeArithmetic, product);
    EXPECT_EQ(Pixel(128, 0, 0, 0), out);
}

TEST(FilterCombine, BlendModesFollowTheCompositingFormulas) {
    const uint32_t orange = Pixel(255, 255, 128, 0), grey = Grey(255) & 0xFF808080u;
    struct Case {
        int mode;
        uint32_t s, d, out;
    } cases[] = {
        {BlendNormal, orange, grey, orange},
        {BlendMultiply, orange, grey, Pixel(255, 128, 64, 0)},
        {BlendScreen, orange, grey, Pixel(255, 255, 192, 128)},
        {BlendDarken, orange, grey, Pixel(255, 128, 128, 0)},
        {BlendLighten, orange, grey, Pixel(255, 255, 128, 128)},
        {BlendDifference, orange, grey, Pixel(255, 127, 0, 128)},
        {BlendLuminosity, grey, orange, Pixel(255, 215, 108, 0)},
        // A transparent top leaves the bottom as it is.
        {BlendMultiply, 0, grey, grey},
        {BlendHue, orange, 0, orange},
    };
    for (const Case& c : cases) {
        uint32_t out;
        BlendPixels(&c.s, &c.d, &out, 1, c.mode);
        EXPECT_EQ(c.out, out) << c.mode;
    }
}

// The vector loops take pixels in fours and leave the rest to the one-pixel
// loop: a pixel must come out of both with the same bytes.
TEST(FilterCombine, FourPixelLoopsGiveTheOnePixelLoopsBytes) {
    const int count = 1027;
    const std::vector<uint32_t> top = NoisePixels(count, 1), bottom = NoisePixels(count, 2);
    auto expectSameAlone = [&](const std::vector<uint32_t>& batch, auto runOne, const char* what) {
        for (int i = 0; i < count; i++)
            ASSERT_EQ(runOne(i), batch[i]) << what << " pixel " << i;
    };
    const float ks[3][4] = {{0.5f, 0.5f, 0.25f, 0.1f}, {1e30f, -1e30f, 1, 0}, {0, 1, 1, -0.5f}};
    for (int op = CompositeOver; op <= CompositeArithmetic; op++) {
        for (const auto& k : ks) {
            std::vector<uint32_t> out(count);
            CompositePixels(top.data(), bottom.data(), out.data(), count, op, k);
            expectSameAlone(
                out,
                [&](int i) {
                    uint32_t one;
                    CompositePixels(&top[i], &bottom[i], &one, 1, op, k);
                    return one;
                },
                "composite");
        }
    }
    std::vector<float> extreme(20, 1e30f);
    extreme[3] = -1e30f;
    const ColourMatrix matrices[] = {ColourMatrixOf(ColourMatrixSaturate, {0.3f}),
                                     ColourMatrixOf(ColourMatrixHueRotate, {200}),
                                     ColourMatrixOf(ColourMatrixLuminanceToAlpha, {}),
                                     ColourMatrixOf(ColourMatrixValues, extreme)};
    for (const ColourMatrix& m : matrices) {
        std::vector<uint32_t> out = top;
        ApplyColourMatrix(out.data(), count, m);
        expectSameAlone(
            out,
            [&](int i) {
                uint32_t one = top[i];
                ApplyColourMatrix(&one, 1, m);
                return one;
            },
            "colour matrix");
    }
}

TEST(FilterPlacement, MorphologyTakesTheExtremeOfEachWindow) {
    // 13 x 9: rows and columns both in fours and left over, windows cut at
    // the edges.
    const int w = 13, h = 9, rx = 2, ry = 3;
    const std::vector<uint32_t> px = NoisePixels(w * h, 3);
    for (bool dilate : {false, true}) {
        std::vector<uint32_t> out = px;
        ASSERT_TRUE(MorphologyPixels(out.data(), w, h, rx, ry, dilate));
        for (int y = 0; y < h; y++) {
            for (int x = 0; x < w; x++) {
                uint32_t expected = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    uint32_t best = dilate ? 0 : 255;
                    for (int j = std::max(y - ry, 0); j <= std::min(y + ry, h - 1); j++) {
                        for (int i = std::max(x - rx, 0); i <= std::min(x + rx, w - 1); i++) {
                            const uint32_t v = (px[j * w + i] >> shift) & 0xFF;
                            best = dilate ? std::max(best, v) : std::min(best, v);
                        }
                    }
                    expected |= best << shift;
                }
                ASSERT_EQ(expected, out[y * w + x]) << x << "," << y << " dilate " << dilate;
            }
        }
    }
}

TEST(FilterPlacement, OffsetTileFloodAndRegions) {
    // 4 x 3: a lone pixel at (1, 1).
    std::vector<uint32_t> in(12, 0), out(12, 7);
    in[5] = Grey(255);
    OffsetPixels(in.data(), out.data(), 4, 3, 2, -1);
    EXPECT_EQ(Grey(255), out[3]); // (3, 0)
    EXPECT_EQ(0u, out[5]);
    OffsetPixels(in.data(), out.data(), 4, 3, 3, 0); // moved out of the image
    for (uint32_t p : out)
        EXPECT_EQ(0u, p);
    // The 2 x 1 tile at (1, 1) repeats, phase kept, to the left too.
    in[6] = Grey(9);
    TilePixels(in.data(), out.data(), 4, 3, FilterRect{1, 1, 3, 2});
    EXPECT_EQ(Grey(9), out[0]);
    EXPECT_EQ(Grey(255), out[1]);
    EXPECT_EQ(Grey(9), out[2]);
    EXPECT_EQ(Grey(255), out[11]);
    TilePixels(in.data(), out.data(), 4, 3, FilterRect{5, 1, 9, 2}); // outside the image
    EXPECT_EQ(0u, out[5]);
    std::fill(out.begin(), out.end(), 0u);
    FloodPixels(out.data(), 4, 3, FilterRect{-5, 1, 2, 99}, Grey(3));
    EXPECT_EQ(0u, out[0]);
    EXPECT_EQ(Grey(3), out[4]);
    EXPECT_EQ(Grey(3), out[9]);
    EXPECT_EQ(0u, out[6]);
    ClearOutside(out.data(), 4, 3, FilterRect{1, 2, 4, 3});
    EXPECT_EQ(0u, out[4]);
    EXPECT_EQ(Grey(3), out[9]);
}

// Each pixel comes from where the map's channels, read unpremultiplied, send
// it: half the scale either way; beyond the image it is transparent.
TEST(FilterPlacement, DisplacementReadsTheMapUnpremultiplied) {
    const std::vector<uint32_t> row = {Grey(10), Grey(20), Grey(30), Grey(40)};
    // Red 1 (at half alpha) moves one pixel right, 0 one left, 128/255 not.
    const std::vector<uint32_t> across = {Pixel(128, 128, 0, 0), Pixel(255, 0, 0, 0),
                                          Pixel(255, 128, 0, 0), Pixel(255, 255, 0, 0)};
    std::vector<uint32_t> out(4, 7);
    DisplacePixels(row.data(), across.data(), out.data(), 4, 1, 2, 0, ChannelRed, ChannelAlpha);
    EXPECT_EQ((std::vector<uint32_t>{Grey(20), Grey(10), Grey(30), 0}), out);
    // Down by green at scale 4; a transparent map pixel reads 0 (two up).
    const std::vector<uint32_t> column = {Grey(10), Grey(20), Grey(30)};
    const std::vector<uint32_t> down = {Pixel(255, 0, 191, 0), Pixel(255, 0, 128, 0), 0};
    out.assign(3, 7);
    DisplacePixels(column.data(), down.data(), out.data(), 1, 3, 0, 4, ChannelAlpha, ChannelGreen);
    EXPECT_EQ((std::vector<uint32_t>{Grey(20), Grey(20), Grey(10)}), out);
}

TEST(FilterPlacement, MorphologyErodesAndDilatesPerChannel) {
    // 5 x 1: opaque red at 1..3, blue at 4.
    const uint32_t red = Pixel(255, 255, 0, 0), blue = Pixel(255, 0, 0, 255);
    std::vector<uint32_t> row = {0, red, red, red, blue};
    std::vector<uint32_t> dilated = row;
    ASSERT_TRUE(MorphologyPixels(dilated.data(), 5, 1, 1, 0, true));
    EXPECT_EQ(red, dilated[0]);
    EXPECT_EQ(Pixel(255, 255, 0, 255), dilated[3]); // the channels' maxima mix
    ASSERT_TRUE(MorphologyPixels(row.data(), 5, 1, 1, 0, false));
    EXPECT_EQ(0u, row[1]);
    EXPECT_EQ(red, row[2]);
    EXPECT_EQ(Pixel(255, 0, 0, 0), row[4]); // only pixels of the image count
    std::vector<uint32_t> column = {red, red, 0};
    ASSERT_TRUE(MorphologyPixels(column.data(), 1, 3, 1000, 1000, false)); // radius cut
    EXPECT_EQ(0u, column[0]);
}

// Values from an independent transcription of SVG's reference code.
TEST(FilterTurbulence, MatchesTheReferenceAlgorithm) {
    struct Case {
        TurbulenceParams params;
        int channel;
        double x, y, expected;
    } cases[] = {
        {{0.05, 0.05, 1, 0, 1, 0, 0, 0, 0, 0}, 0, 10.5, 3.25, 0.13881886143736633},
        {{0.02, 0.07, 3, 7, 0, 0, 0, 0, 0, 0}, 3, 37, 91, 0.30274768429840326},
        // A negative seed, and stitching that moves the frequencies.
        {{0.13, 0.05, 2, -20, 1, 1, 0, 0, 50, 40}, 1, 12, 5, 0.129301948818974},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(c.expected, TurbulenceAt(c.params, c.channel, c.x, c.y), 1e-12) << c.channel;
    // Fractal noise maps 0 to half grey; turbulence is clamped at 0.
    TurbulenceParams flat = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0};
    uint32_t px[4] = {7, 7, 7, 7};
    ASSERT_TRUE(
        TurbulencePixels(px, 2, 2, FilterRect{0, 0, 1, 2}, Matrix2D{1, 0, 0, 1, 0, 0}, flat));
    EXPECT_EQ(Pixel(128, 64, 64, 64), px[0]);
    EXPECT_EQ(7u, px[1]); // outside the area
    EXPECT_FALSE(
        TurbulencePixels(px, 2, 2, FilterRect{0, 0, 2, 2}, Matrix2D{0, 0, 0, 0, 0, 0}, flat));
}

TEST(FilterConvolve, KernelTurnsEdgesAndAlphaModes) {
    // 3 x 1 kernel "1 0 0" with target 1: the kernel is turned, so each
    // pixel takes its right-hand neighbour.
    const uint32_t red = Pixel(255, 255, 0, 0), half = Pixel(128, 0, 128, 0);
    const uint32_t in[3] = {red, half, 0};
    uint32_t out[3];
    ConvolveKernel k = {3, 1, 1, 0, {1, 0, 0}, 1, 0, EdgeNone, 0};
    ConvolvePixels(in, out, 3, 1, k);
    EXPECT_EQ(half, out[0]);
    EXPECT_EQ(0u, out[1]);
    EXPECT_EQ(0u, out[2]);
    k.edgeMode = EdgeWrap;
    ConvolvePixels(in, out, 3, 1, k);
    EXPECT_EQ(red, out[2]);
    k.edgeMode = EdgeDuplicate;
    ConvolvePixels(in, out, 3, 1, k);
    EXPECT_EQ(0u, out[2]);
    // Alpha kept: straight colours convolved, the bias added to them.
    ConvolveKernel keep = {1, 1, 0, 0, {0.5f}, 1, 0.25f, EdgeNone, 1};
    ConvolvePixels(in, out, 3, 1, keep);
    EXPECT_EQ(Pixel(255, 191, 64, 64), out[0]);
    EXPECT_EQ(Pixel(128, 32, 96, 32), out[1]);
}

TEST(FilterLighting, NormalsFromAlphaLitByTheLight) {
    // Alpha rising left to right (0, 128, 255) in every row: at the centre
    // the Sobel normal is (-1, 0, 1) / sqrt 2.
    std::vector<uint32_t> in(9);
    for (int i = 0; i < 9; i++)
        in[i] = Pixel(i % 3 == 0 ? 0 : i % 3 == 1 ? 128 : 255, 0, 0, 0);
    std::vector<uint32_t> out(9);
    LightingParams p = LightingParams();
    p.surfaceScale = 1, p.constant = 1, p.exponent = 1;
    p.red = p.green = p.blue = 1;
    p.light = LightDistant;
    p.azimuth = 180; // from the left, level with the surface
    LightPixels(in.data(), out.data(), 3, 3, p);
    EXPECT_EQ(Grey(255) & 0xFFB4B4B4u, out[4]); // cos 45° = 0.7071 -> 180, opaque
    // Specular: the halfway vector is the normal itself.
    p.specular = 1;
    LightPixels(in.data(), out.data(), 3, 3, p);
    EXPECT_EQ(Grey(255), out[4]);
    // A spot pointing away from the pixel, its cone closed, lights nothing.
    p.specular = 0;
    p.light = LightSpot;
    p.x = 1, p.y = 1, p.z = 10, p.pointsAtX = 1, p.pointsAtY = 1, p.pointsAtZ = 20;
    p.spotExponent = 1;
    LightPixels(in.data(), out.data(), 3, 3, p);
    EXPECT_EQ(0xFF000000u, out[4]);
}
