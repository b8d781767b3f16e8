// Gradient paint drawn: the plans of the gradient plan tests made into
// brushes and painted through the rasterizer, checked by pixels where Wine's
// GDI+ draws them as Windows does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "layers/layer_render.h"
#include "render/gradient_brush.h"
#include "render/graphics.h"
#include "render_support.h"
#include "svg/load.h"

namespace {

const uint32_t Red = 0xFFFF0000u, Blue = 0xFF0000FFu;

class GradientPaint : public ::testing::Test {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
};

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

// Loads the drawing (a 200 x 100 view drawn 1:1) and renders it.
Canvas RenderDrawing(const std::string& body, int width = 200, int height = 100) {
    const std::string text = "<svg xmlns='http://www.w3.org/2000/svg' width='" +
                             std::to_string(width) + "' height='" + std::to_string(height) + "'>" +
                             body + "</svg>";
    return RenderSvgText(text, width, height, LayoutOriginal);
}

const char* const RedBlue =
    "<stop offset='0' stop-color='red'/><stop offset='1' stop-color='blue'/>";

} // namespace

// In a 200 x 100 box the diagonal gradient's lines of equal colour run from
// (200, 0) to (0, 100): both corners show the middle colour.
TEST_F(GradientPaint, BoundingBoxLinearSkewsWithTheBox) {
    Canvas c = RenderDrawing(std::string("<linearGradient id='g' x2='1' y2='1'>") + RedBlue +
                             "</linearGradient><rect width='200' height='100' fill='url(#g)'/>");
    EXPECT_TRUE(Near(Red, c.At(0, 0), 8));
    EXPECT_TRUE(Near(Blue, c.At(199, 99), 8));
    EXPECT_TRUE(Near(c.At(199, 0), c.At(0, 99), 6));
    EXPECT_TRUE(Near(c.At(100, 50), c.At(199, 0), 6));
    EXPECT_TRUE(Near(0xFF800080u, c.At(100, 50), 8));
}

// A radial gradient in a 200 x 100 box is an ellipse: as far along its
// half-width as along its half-height the colour is the same; pad paints the
// last colour in the corners.
TEST_F(GradientPaint, BoundingBoxRadialIsAnEllipseAndPadFillsTheCorners) {
    Canvas c = RenderDrawing(std::string("<radialGradient id='g'>") + RedBlue +
                             "</radialGradient><rect width='200' height='100' fill='url(#g)'/>");
    EXPECT_TRUE(Near(Red, c.At(101, 50), 24));
    EXPECT_TRUE(Near(c.At(150, 50), c.At(100, 75), 16)); // both half way out
    EXPECT_TRUE(Near(0xFF800080u, c.At(150, 50), 24));
    EXPECT_TRUE(Near(Blue, c.At(2, 2), 0));
    EXPECT_TRUE(Near(Blue, c.At(197, 97), 0));
}

// The gradient follows the shape's transform: a turned square keeps its
// user-space gradient centred on the square (the inverse of the shape's
// matrix no longer shrinks it), and a focal point off centre moves the first
// colour.
TEST_F(GradientPaint, UserSpaceGradientsFollowTheShapesTransform) {
    Canvas c = RenderDrawing(
        std::string("<radialGradient id='g' gradientUnits='userSpaceOnUse' cx='100' cy='50' "
                    "r='50' fx='75'>") +
        RedBlue +
        "</radialGradient><rect x='50' width='100' height='100' fill='url(#g)' "
        "transform='rotate(45 100 50)'/>");
    // The focus (75, 50) turned about (100, 50) lands at (82.3, 32.3); the
    // point (145, 50) near the circle's edge at (131.8, 81.8).
    EXPECT_TRUE(Near(Red, c.At(82, 32), 40));
    EXPECT_GT(BlueOf(c.At(131, 81)), 200);
    EXPECT_LT(RedOf(c.At(131, 81)), 60);
}

// A translucent padded radial gradient paints its last colour around the
// circle only, not twice inside it; opacities scale the gradient.
TEST_F(GradientPaint, TranslucentPadAndOpacity) {
    Canvas c = RenderDrawing(
        "<radialGradient id='g' gradientUnits='userSpaceOnUse' cx='50' cy='50' r='40'>"
        "<stop offset='0' stop-color='red' stop-opacity='0.5'/>"
        "<stop offset='1' stop-color='blue' stop-opacity='0.5'/></radialGradient>"
        "<rect width='100' height='100' fill='url(#g)'/>"
        "<linearGradient id='l'>" +
        std::string(RedBlue) +
        "</linearGradient><rect x='100' width='100' height='100' fill='url(#l)' "
        "fill-opacity='0.5' opacity='0.5'/>");
    EXPECT_TRUE(Near(0x800000FFu, c.At(2, 2), 2));
    EXPECT_TRUE(Near(0x80FF0000u, c.At(51, 50), 30));
    EXPECT_NEAR(128, AlphaOf(c.At(50, 86)), 16); // just inside the circle
    EXPECT_NEAR(64, AlphaOf(c.At(150, 50)), 2);
}

// Strokes take a pen made from the gradient, measured against the path's
// own box; reflect and repeat cover the whole shape.
TEST_F(GradientPaint, GradientStrokesAndSpreads) {
    Canvas c = RenderDrawing(
        std::string("<linearGradient id='g'>") + RedBlue +
        "</linearGradient>"
        "<rect x='10' y='10' width='80' height='80' fill='none' stroke='url(#g)' "
        "stroke-width='10'/>"
        "<linearGradient id='r' x2='0.25' spreadMethod='reflect'>" +
        RedBlue + "</linearGradient><rect x='100' width='100' height='100' fill='url(#r)'/>");
    EXPECT_TRUE(Near(Red, c.At(10, 50), 40));
    EXPECT_TRUE(Near(Blue, c.At(89, 50), 40));
    EXPECT_EQ(0u, c.At(50, 50)); // not filled
    // Reflect: blue at a quarter, red again at a half, blue at three quarters.
    EXPECT_TRUE(Near(Blue, c.At(124, 50), 16));
    EXPECT_TRUE(Near(Red, c.At(150, 50), 16));
    EXPECT_TRUE(Near(Blue, c.At(175, 50), 16));
}

// Preset blends of path gradients: Wine's GDI+ ignores them and runs from the
// centre colour straight to the surround colour, so only Windows checks the
// middle stop.
TEST_F(GradientPaint, RadialMiddleStops) {
    Canvas c = RenderDrawing("<radialGradient id='g' gradientUnits='userSpaceOnUse' cx='50' "
                             "cy='50' r='50'><stop offset='0' stop-color='red'/>"
                             "<stop offset='0.5' stop-color='lime'/>"
                             "<stop offset='1' stop-color='blue'/></radialGradient>"
                             "<rect width='100' height='100' fill='url(#g)'/>",
                             100, 100);
    EXPECT_TRUE(Near(Red, c.At(51, 50), 30));
    if (RunningUnderWine())
        GTEST_SKIP() << "Wine's path gradients ignore preset blends";
    EXPECT_TRUE(Near(0xFF00FF00u, c.At(75, 50), 40));
}
