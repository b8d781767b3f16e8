#include <gtest/gtest.h>

#include <cstdlib>

#include "render/gradient_brush.h"
#include "render/graphics.h"
#include "render_support.h"

namespace {

const uint32_t Red = 0xFFFF0000u, Green = 0xFF00FF00u, Blue = 0xFF0000FFu, White = 0xFFFFFFFFu;

// Colours are sampled a pixel or two off a radial gradient's centre: Wine
// mixes the pixel that holds the exact centre point with other colours.
class GradientBrush : public ::testing::Test {
  protected:
    void SetUp() override {
        StartGraphicsForTests();
        IdentityMatrix(&shape.matrix);
        shape.boundsValid = 1;
        shape.boundsWidth = 100;
        shape.boundsHeight = 100;
    }
    ShapeRecord shape = ShapeRecord();
};

GradientDef Linear(float x1, float y1, float x2, float y2, int units) {
    GradientDef def = {};
    def.type = 0;
    def.x1 = x1;
    def.y1 = y1;
    def.x2 = x2;
    def.y2 = y2;
    def.units = units;
    return def;
}

GradientDef Radial(float cx, float cy, float r, int units) {
    GradientDef def = {};
    def.type = 1;
    def.cx = def.fx = cx;
    def.cy = def.fy = cy;
    def.r = r;
    def.units = units;
    return def;
}

void AddStop(GradientDef* def, float offset, uint32_t colour) {
    def->stops[def->stopCount].offset = offset;
    def->stops[def->stopCount].colour = colour;
    def->stopCount++;
}

// Fills (0, 0, width, height) with the brush (deleted here), identity transform.
Canvas FillWith(GfxBrush* brush, int width, int height) {
    Canvas canvas(width, height);
    EXPECT_TRUE(brush != nullptr);
    if (!brush)
        return canvas;
    GfxGraphics* g = GfxCreateGraphicsOnPixels(canvas.pixels.data(), width, height);
    GfxSetHighQuality(g);
    GfxPath* path = GfxCreatePath();
    GfxAddRectangle(path, 0, 0, static_cast<float>(width), static_cast<float>(height));
    GfxFillPath(g, brush, path);
    GfxDeletePath(path);
    GfxDeleteBrush(brush);
    GfxDeleteGraphics(g);
    return canvas;
}

// Each channel within tolerance of the colour's.
::testing::AssertionResult Near(uint32_t expected, uint32_t actual, int tolerance) {
    for (int shift : {24, 16, 8, 0}) {
        int e = static_cast<int>((expected >> shift) & 0xFF);
        int a = static_cast<int>((actual >> shift) & 0xFF);
        if (std::abs(e - a) > tolerance)
            return ::testing::AssertionFailure()
                   << std::hex << "expected ~0x" << expected << ", got 0x" << actual;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(GradientBrush, LinearRunsFromTheFirstStopAtP1ToTheLastAtP2) {
    // Stops at 0.2 and 0.8 are moved to the ends of the vector.
    GradientDef def = Linear(0, 0, 1, 0, 1);
    AddStop(&def, 0.2f, Red);
    AddStop(&def, 0.8f, Blue);
    Canvas c = FillWith(CreateGradientBrush(&def, &shape), 100, 10);
    EXPECT_TRUE(Near(Red, c.At(0, 5), 4));
    EXPECT_TRUE(Near(Blue, c.At(99, 5), 4));
    EXPECT_TRUE(Near(0xFF800080u, c.At(50, 5), 6)); // half way
    EXPECT_GT(BlueOf(c.At(20, 5)), 40);             // already moving at 0.2
    EXPECT_GT(RedOf(c.At(80, 5)), 40);              // not yet blue at 0.8
}

TEST_F(GradientBrush, LinearStopsAreSortedAndPadded) {
    // Offsets 1, 0, 0.5 in the file are drawn in the order 0, 0.5, 1; pad
    // keeps the end colours beyond the vector (here the middle half).
    GradientDef def = Linear(25, 0, 75, 0, 0);
    AddStop(&def, 1.0f, Blue);
    AddStop(&def, 0.0f, Red);
    AddStop(&def, 0.5f, Green);
    Canvas c = FillWith(CreateGradientBrush(&def, &shape), 100, 10);
    EXPECT_TRUE(Near(Red, c.At(5, 5), 4));
    EXPECT_TRUE(Near(Green, c.At(50, 5), 12));
    EXPECT_TRUE(Near(Blue, c.At(95, 5), 4));

    // Repeat tiles the vector, reflect mirrors it.
    def.spread = 2;
    c = FillWith(CreateGradientBrush(&def, &shape), 100, 10);
    EXPECT_TRUE(Near(Blue, c.At(23, 5), 40)); // end of the previous tile
    def.spread = 1;
    c = FillWith(CreateGradientBrush(&def, &shape), 100, 10);
    EXPECT_TRUE(Near(Red, c.At(23, 5), 40)); // mirrored start
}

TEST_F(GradientBrush, LinearGradientTransformTurnsAndScalesTheVector) {
    // A quarter turn takes the horizontal vector (0, 0)-(100, 0) to the
    // vertical (0, 0)-(0, 100): red at the top, blue at the bottom.
    GradientDef def = Linear(0, 0, 1, 0, 1);
    AddStop(&def, 0.0f, Red);
    AddStop(&def, 1.0f, Blue);
    def.hasTransform = 1;
    def.transform = {0, 1, -1, 0, 0, 0};
    Canvas c = FillWith(CreateGradientBrush(&def, &shape), 100, 100);
    EXPECT_TRUE(Near(Red, c.At(50, 0), 4));
    EXPECT_TRUE(Near(Blue, c.At(50, 99), 4));
    EXPECT_EQ(c.At(1, 50), c.At(98, 50)); // no change across
    EXPECT_TRUE(Near(0xFF800080u, c.At(10, 50), 6));

    // Half the length, shifted by 20: pad keeps red before 20 and blue past 70.
    def.transform = {0.5f, 0, 0, 0.5f, 20, 0};
    c = FillWith(CreateGradientBrush(&def, &shape), 100, 10);
    EXPECT_TRUE(Near(Red, c.At(5, 5), 4));
    EXPECT_TRUE(Near(Red, c.At(19, 5), 6));
    EXPECT_TRUE(Near(0xFF800080u, c.At(45, 5), 8));
    EXPECT_TRUE(Near(Blue, c.At(71, 5), 6));
    EXPECT_TRUE(Near(Blue, c.At(99, 5), 4));

    // A singular gradient transform gives no brush.
    def.transform = {1, 1, 1, 1, 0, 0};
    EXPECT_EQ(nullptr, CreateGradientBrush(&def, &shape));
}

TEST_F(GradientBrush, PadWithoutAnyBoxStillGivesABrush) {
    // No stored bounds and no path: the vector cannot be stretched over the
    // shape, so the ends are mirrored instead of clamped.
    GradientDef def = Linear(25, 0, 75, 0, 0);
    AddStop(&def, 0.0f, Red);
    AddStop(&def, 1.0f, Blue);
    ShapeRecord bare = shape;
    bare.boundsValid = 0;
    Canvas c = FillWith(CreateGradientBrush(&def, &bare), 100, 10);
    EXPECT_TRUE(Near(Red, c.At(26, 5), 8));
    EXPECT_TRUE(Near(Blue, c.At(74, 5), 8));
    EXPECT_TRUE(Near(Blue, c.At(76, 5), 8)); // mirrored, not started over
}

TEST_F(GradientBrush, RadialBlendRunsFromTheCentreOutwards) {
    GradientDef def = Radial(50, 50, 50, 0);
    AddStop(&def, 0.0f, Red);
    AddStop(&def, 0.3f, Green);
    AddStop(&def, 0.6f, Blue);
    AddStop(&def, 1.0f, White);
    Canvas c = FillWith(CreateGradientBrush(&def, &shape), 100, 100);
    EXPECT_TRUE(Near(Red, c.At(52, 50), 20));
    EXPECT_TRUE(Near(White, c.At(1, 50), 30));
    if (RunningUnderWine()) {
        // Wine's path gradients ignore preset blends: they run straight from
        // the centre colour to the surround colour.
        EXPECT_TRUE(Near(0xFFFF8080u, c.At(75, 50), 12));
    } else {
        EXPECT_TRUE(Near(Green, c.At(65, 50), 30));
        EXPECT_TRUE(Near(Blue, c.At(50, 80), 30));
    }
    // Nothing is painted outside the circle.
    EXPECT_EQ(0u, c.At(2, 2));

    // Two stops: centre colour and one surround colour.
    GradientDef two = Radial(50, 50, 50, 0);
    AddStop(&two, 0.0f, Red);
    AddStop(&two, 1.0f, Blue);
    c = FillWith(CreateGradientBrush(&two, &shape), 100, 100);
    EXPECT_TRUE(Near(Red, c.At(52, 50), 12));
    EXPECT_TRUE(Near(Blue, c.At(1, 50), 20));
}

TEST_F(GradientBrush, RadialInBoundingBoxUnitsIsACircleOnTheMeanSide) {
    // r 0.5 on bounds (0, 0, 100, 50): radius 37.5 about (50, 25).
    shape.boundsHeight = 50;
    GradientDef def = Radial(0.5f, 0.5f, 0.5f, 1);
    AddStop(&def, 0.0f, Red);
    AddStop(&def, 1.0f, Blue);
    Canvas c = FillWith(CreateGradientBrush(&def, &shape), 100, 50);
    EXPECT_TRUE(Near(Red, c.At(52, 25), 16));
    // Just inside the circle on the x axis it is nearly blue; the circle does
    // not stretch to the bounds' width (50 +- 37.5).
    EXPECT_GT(BlueOf(c.At(50 + 36, 25)), 200);
    EXPECT_GT(BlueOf(c.At(50 - 37, 25)), 200);
    EXPECT_GT(RedOf(c.At(50 + 18, 25)), 90);
}

TEST_F(GradientBrush, FocusMovesTheCentreColour) {
    GradientDef def = Radial(50, 50, 50, 0);
    AddStop(&def, 0.0f, Red);
    AddStop(&def, 1.0f, Blue);
    def.fx = 25;
    Canvas c = FillWith(CreateGradientBrush(&def, &shape), 100, 100);
    EXPECT_TRUE(Near(Red, c.At(25, 50), 16));
    EXPECT_GT(BlueOf(c.At(50, 50)), 60);
}

TEST_F(GradientBrush, UserSpaceCoordinatesAreTakenInTheRootSpace) {
    // The shape is drawn scaled by 2 and shifted by 10: a vector given in
    // root space from x 10 to x 210 maps back to 0..100 in the shape's space.
    shape.matrix = {2, 0, 0, 2, 10, 0};
    GradientDef def = Linear(10, 0, 210, 0, 0);
    AddStop(&def, 0.0f, Red);
    AddStop(&def, 1.0f, Blue);
    Canvas c = FillWith(CreateGradientBrush(&def, &shape), 100, 10);
    EXPECT_TRUE(Near(Red, c.At(0, 5), 4));
    EXPECT_TRUE(Near(Blue, c.At(99, 5), 4));
}

TEST_F(GradientBrush, DeclinesWhatCannotBeDrawn) {
    GradientDef one = Linear(0, 0, 1, 0, 1);
    AddStop(&one, 0.5f, Red);
    EXPECT_EQ(nullptr, CreateGradientBrush(&one, &shape));
    EXPECT_EQ(nullptr, CreateGradientBrush(nullptr, &shape));
    EXPECT_EQ(nullptr, CreateGradientBrush(&one, nullptr));

    GradientDef def = Linear(0, 0, 1, 0, 1);
    AddStop(&def, 0.0f, Red);
    AddStop(&def, 1.0f, Blue);
    ShapeRecord noBounds = shape;
    noBounds.boundsValid = 0;
    EXPECT_EQ(nullptr, CreateGradientBrush(&def, &noBounds));
    noBounds = shape;
    noBounds.boundsHeight = 0;
    EXPECT_EQ(nullptr, CreateGradientBrush(&def, &noBounds));

    GradientDef point = Linear(5, 5, 5.0005f, 5, 0); // shorter than 0.001
    AddStop(&point, 0.0f, Red);
    AddStop(&point, 1.0f, Blue);
    EXPECT_EQ(nullptr, CreateGradientBrush(&point, &shape));

    GradientDef user = Linear(0, 0, 100, 0, 0);
    AddStop(&user, 0.0f, Red);
    AddStop(&user, 1.0f, Blue);
    ShapeRecord singular = shape;
    singular.matrix = {1, 2, 2, 4, 0, 0};
    EXPECT_EQ(nullptr, CreateGradientBrush(&user, &singular));

    GradientDef flat = Radial(50, 50, 0, 0);
    AddStop(&flat, 0.0f, Red);
    AddStop(&flat, 1.0f, Blue);
    EXPECT_EQ(nullptr, CreateGradientBrush(&flat, &shape));
    flat.r = -3;
    EXPECT_EQ(nullptr, CreateGradientBrush(&flat, &shape));
}
