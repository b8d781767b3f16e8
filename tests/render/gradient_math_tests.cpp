#include <gtest/gtest.h>

#include "render/gradient_brush.h"
#include "render/graphics.h"

namespace {

GradientDef Stops(std::initializer_list<std::pair<float, uint32_t>> stops) {
    GradientDef def = {};
    for (const auto& s : stops) {
        def.stops[def.stopCount].offset = s.first;
        def.stops[def.stopCount].colour = s.second;
        def.stopCount++;
    }
    return def;
}

} // namespace

TEST(GradientMath, StopsSortStablyAndTheEndsMoveToZeroAndOne) {
    GradientDef def = Stops({{1.0f, 0xFF0000FFu}, {0.0f, 0xFFFF0000u}, {0.5f, 0xFF00FF00u}});
    uint32_t colours[GradientMaxStops];
    float positions[GradientMaxStops];
    ASSERT_EQ(3, SortedGradientStops(&def, colours, positions));
    EXPECT_EQ(0xFFFF0000u, colours[0]);
    EXPECT_EQ(0xFF00FF00u, colours[1]);
    EXPECT_EQ(0xFF0000FFu, colours[2]);
    EXPECT_FLOAT_EQ(0.5f, positions[1]);

    // Equal positions keep their document order; the outer stops are moved,
    // not padded.
    def = Stops({{0.5f, 1u}, {0.8f, 4u}, {0.5f, 2u}, {0.2f, 0u}, {0.5f, 3u}});
    ASSERT_EQ(5, SortedGradientStops(&def, colours, positions));
    for (uint32_t i = 0; i < 5; i++)
        EXPECT_EQ(i, colours[i]);
    EXPECT_EQ(0.0f, positions[0]);
    EXPECT_EQ(0.5f, positions[1]);
    EXPECT_EQ(0.5f, positions[3]);
    EXPECT_EQ(1.0f, positions[4]);
}

TEST(GradientMath, RadialBlendRunsFromTheBoundaryToTheCentre) {
    GradientDef def =
        Stops({{0.0f, 0xFFFF0000u}, {0.3f, 0xFF00FF00u}, {0.6f, 0xFF0000FFu}, {1.0f, 0xFFFFFFFFu}});
    uint32_t colours[GradientMaxStops], blend[GradientMaxStops];
    float positions[GradientMaxStops], blendPositions[GradientMaxStops];
    int n = SortedGradientStops(&def, colours, positions);
    ReverseBlendForPathGradient(colours, positions, n, blend, blendPositions);
    const uint32_t expectColours[] = {0xFFFFFFFFu, 0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u};
    const float expectPositions[] = {0.0f, 0.4f, 0.7f, 1.0f};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(expectColours[i], blend[i]) << i;
        EXPECT_FLOAT_EQ(expectPositions[i], blendPositions[i]) << i;
    }
}

TEST(GradientMath, InvertMatrix) {
    float a = 2, b = 0, c = 0, d = 4, e = 10, f = 20;
    ASSERT_EQ(1, InvertMatrix(&a, &b, &c, &d, &e, &f));
    EXPECT_FLOAT_EQ(0.5f, a);
    EXPECT_FLOAT_EQ(0.25f, d);
    EXPECT_FLOAT_EQ(-5.0f, e);
    EXPECT_FLOAT_EQ(-5.0f, f);

    // A rotation and shear round-trips a point.
    float m[6] = {0.8f, 0.6f, -0.6f, 0.8f, 3.0f, -7.0f};
    float inv[6] = {m[0], m[1], m[2], m[3], m[4], m[5]};
    ASSERT_EQ(1, InvertMatrix(&inv[0], &inv[1], &inv[2], &inv[3], &inv[4], &inv[5]));
    float x = 12.5f, y = -4.0f;
    TransformPoint(m[0], m[1], m[2], m[3], m[4], m[5], &x, &y);
    TransformPoint(inv[0], inv[1], inv[2], inv[3], inv[4], inv[5], &x, &y);
    EXPECT_NEAR(12.5f, x, 1e-4f);
    EXPECT_NEAR(-4.0f, y, 1e-4f);

    // Singular (and nearly singular) matrices fail and stay unchanged.
    float s[6] = {1, 2, 2, 4, 5, 6};
    EXPECT_EQ(0, InvertMatrix(&s[0], &s[1], &s[2], &s[3], &s[4], &s[5]));
    EXPECT_EQ(1.0f, s[0]);
    EXPECT_EQ(4.0f, s[3]);
    EXPECT_EQ(5.0f, s[4]);
    float tiny[6] = {1e-5f, 0, 0, 1e-5f, 0, 0};
    EXPECT_EQ(0, InvertMatrix(&tiny[0], &tiny[1], &tiny[2], &tiny[3], &tiny[4], &tiny[5]));
}

TEST(GradientMath, TransformPointAndWrapModes) {
    float x = 1, y = 2;
    TransformPoint(1, 2, 3, 4, 5, 6, &x, &y);
    EXPECT_EQ(1 + 6 + 5, x);
    EXPECT_EQ(2 + 8 + 6, y);

    EXPECT_EQ(GfxWrapModeClamp, SpreadToWrapMode(0, 0));
    EXPECT_EQ(GfxWrapModeTile, SpreadToWrapMode(0, 1));
    EXPECT_EQ(GfxWrapModeTileFlipXY, SpreadToWrapMode(1, 0));
    EXPECT_EQ(GfxWrapModeTileFlipXY, SpreadToWrapMode(1, 1));
    EXPECT_EQ(GfxWrapModeTile, SpreadToWrapMode(2, 0));
    EXPECT_EQ(GfxWrapModeTile, SpreadToWrapMode(2, 1));
    EXPECT_EQ(4, GfxWrapModeClamp);
    EXPECT_EQ(3, GfxWrapModeTileFlipXY);
    EXPECT_EQ(0, GfxWrapModeTile);
}
