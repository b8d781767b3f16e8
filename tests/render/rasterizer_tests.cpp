#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "layers/layer_placement.h"
#include "layers/layer_render.h"
#include "layers/overlay.h"
#include "render/graphics.h"
#include "render_support.h"

#include <windows.h>

namespace {

const uint32_t Red = 0xFFFF0000u;

class Rasterizer : public ::testing::Test {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
};

TEST_F(Rasterizer, HairlinesAreOnePixelWideAndFadedByTheirWidth) {
    // Quarter-pixel lines: one scaled down, one dashed, one non-scaling; each
    // row of pixels they cross shows a quarter of their black.
    const Canvas canvas = RenderSvgText(
        "<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8' viewBox='0 0 16 16'>"
        "<path d='M0 3H16' stroke='black' stroke-width='0.5'/>"
        "<path d='M0 7H16' stroke='black' stroke-width='0.5' stroke-dasharray='4 4'/>"
        "<path d='M0 11H16' stroke='black' stroke-width='0.25' vector-effect='non-scaling-stroke'/>"
        "</svg>",
        8, 8, LayoutOriginal);
    // Each line lies on a pixel's middle row: Windows fills that row, Wine's
    // snapping the one below it; what counts is the alpha across the pair.
    const auto pair = [&](int x, int y) {
        return (canvas.At(x, y) >> 24) + (canvas.At(x, y + 1) >> 24);
    };
    for (int x = 0; x < 8; x++) {
        EXPECT_EQ(64u, pair(x, 1)) << x;
        EXPECT_EQ(x % 4 < 2 ? 64u : 0u, pair(x, 3)) << x;
        EXPECT_EQ(64u, pair(x, 5)) << x;
        EXPECT_EQ(0u, canvas.At(x, 0) | canvas.At(x, 7)) << x;
        EXPECT_EQ(0u, canvas.At(x, 2) & 0x00FFFFFFu) << x; // black
    }
}

} // namespace

TEST_F(Rasterizer, NothingToDrawLeavesTheBufferUntouched) {
    TestLayer empty(100, 100, 1);
    Canvas canvas(10, 10, 0x12345678u);
    EXPECT_EQ(0, RenderLayerPixels(&empty.layer, canvas.pixels.data(), 10, 10));
    EXPECT_EQ(0x12345678u, canvas.At(5, 5)); // not even cleared

    TestLayer drawing(100, 100, 1);
    AddFilledRect(&drawing.layer.document, 0, 0, 100, 100, Red);
    EXPECT_EQ(0, RenderLayerPixels(&drawing.layer, canvas.pixels.data(), 0, 10));
    EXPECT_EQ(0, RenderLayerPixels(&drawing.layer, canvas.pixels.data(), 10, -1));
    EXPECT_EQ(0, RenderLayerPixels(&drawing.layer, nullptr, 10, 10));
    EXPECT_EQ(0, RenderLayerPixels(nullptr, canvas.pixels.data(), 10, 10));
    EXPECT_EQ(0x12345678u, canvas.At(5, 5));

    // RenderLayer needs the Layer's own bitmap and pixels.
    drawing.layer.pixels = canvas.pixels.data();
    drawing.layer.bitmapWidth = drawing.layer.bitmapHeight = 10;
    RenderLayer(&drawing.layer); // no bitmap handle
    EXPECT_EQ(0x12345678u, canvas.At(5, 5));
}

TEST_F(Rasterizer, DrawingLeavesStraightAlphaAndRenderLayerPremultiplies) {
    TestLayer half(10, 10, 1);
    AddFilledRect(&half.layer.document, 0, 0, 10, 10, 0x80FF0000u);
    Canvas straight = RenderToCanvas(&half.layer, 10, 10);
    EXPECT_EQ(0x80FF0000u, straight.At(5, 5));

    // Into a DIB section, as the overlay code renders a Layer.
    uint32_t* pixels = nullptr;
    HBITMAP bitmap = CreateLayerBitmap(10, 10, &pixels);
    ASSERT_TRUE(bitmap && pixels);
    std::fill(pixels, pixels + 100, 0xFFFFFFFFu); // cleared before drawing
    half.layer.bitmap = bitmap;
    half.layer.pixels = pixels;
    half.layer.bitmapWidth = half.layer.bitmapHeight = 10;
    RenderLayer(&half.layer);
    EXPECT_EQ(0x80800000u, pixels[55]);
    DeleteObject(bitmap);
}

TEST_F(Rasterizer, ViewRectangleWithoutViewBox) {
    struct Case {
        float width, height;
        float viewW, viewH;
    } cases[] = {{200, 100, 200, 100}, {0, 50, 50, 50}, {80, 0, 80, 80}, {0, 0, 100, 100}};
    for (const Case& c : cases) {
        TestLayer t(c.width, c.height, 0);
        LayerPlacement p;
        ComputeLayerPlacement(&t.layer, 300, 200, &p);
        EXPECT_EQ(0.0f, p.viewX);
        EXPECT_EQ(0.0f, p.viewY);
        EXPECT_EQ(c.viewW, p.viewWidth) << c.width << "x" << c.height;
        EXPECT_EQ(c.viewH, p.viewHeight) << c.width << "x" << c.height;
    }
}

TEST_F(Rasterizer, FitStretchAndOriginalPlacement) {
    TestLayer t(100, 100, 1);
    // Larger than the drawing: only the clip rectangle shows it.
    AddFilledRect(&t.layer.document, -50, -50, 200, 200, Red);
    struct Case {
        int mode;
        float sx, sy, ox, oy, clipW, clipH;
        PixelBox box;
    } cases[] = {
        {LayoutFit, 2, 2, 50, 0, 200, 200, {50, 0, 250, 200}},
        {LayoutStretch, 3, 2, 0, 0, 300, 200, {0, 0, 300, 200}},
        {LayoutOriginal, 1, 1, 0, 0, 100, 100, {0, 0, 100, 100}},
    };
    for (const Case& c : cases) {
        t.layer.layoutMode = c.mode;
        LayerPlacement p;
        ComputeLayerPlacement(&t.layer, 300, 200, &p);
        EXPECT_EQ(c.sx, p.scaleX) << c.mode;
        EXPECT_EQ(c.sy, p.scaleY) << c.mode;
        EXPECT_EQ(c.ox, p.offsetX) << c.mode;
        EXPECT_EQ(c.oy, p.offsetY) << c.mode;
        EXPECT_EQ(c.clipW, p.clipWidth) << c.mode;
        EXPECT_EQ(c.clipH, p.clipHeight) << c.mode;
        Canvas canvas = RenderToCanvas(&t.layer, 300, 200);
        PixelBox box = OpaqueBox(canvas, 1);
        EXPECT_EQ(c.box.left, box.left) << c.mode;
        EXPECT_EQ(c.box.top, box.top) << c.mode;
        EXPECT_EQ(c.box.right, box.right) << c.mode;
        EXPECT_EQ(c.box.bottom, box.bottom) << c.mode;
        EXPECT_EQ(Red, canvas.At(c.box.left, c.box.top)) << c.mode;
        EXPECT_EQ(Red, canvas.At(c.box.right - 1, c.box.bottom - 1)) << c.mode;
    }

    // Stretch scales a small square by (3, 2).
    TestLayer small(100, 100, 1);
    AddFilledRect(&small.layer.document, 10, 10, 10, 10, Red);
    small.layer.layoutMode = LayoutStretch;
    PixelBox box = OpaqueBox(RenderToCanvas(&small.layer, 300, 200), 1);
    EXPECT_EQ(30, box.left);
    EXPECT_EQ(20, box.top);
    EXPECT_EQ(60, box.right);
    EXPECT_EQ(40, box.bottom);
}

TEST_F(Rasterizer, MarginsShrinkTheAreaAndTooLargeMarginsAreIgnored) {
    TestLayer t(100, 100, 1);
    AddFilledRect(&t.layer.document, 0, 0, 100, 100, Red);
    t.layer.layoutMode = LayoutStretch;
    t.layer.marginTop = 10;
    t.layer.marginRight = 20;
    t.layer.marginBottom = 30;
    t.layer.marginLeft = 40;
    LayerPlacement p;
    ComputeLayerPlacement(&t.layer, 300, 200, &p);
    EXPECT_EQ(40, p.areaX);
    EXPECT_EQ(10, p.areaY);
    EXPECT_EQ(240.0f, p.areaWidth);
    EXPECT_EQ(160.0f, p.areaHeight);
    PixelBox box = OpaqueBox(RenderToCanvas(&t.layer, 300, 200), 1);
    EXPECT_EQ(40, box.left);
    EXPECT_EQ(10, box.top);
    EXPECT_EQ(280, box.right);
    EXPECT_EQ(170, box.bottom);

    // Left + right reaching the width are both dropped; top and bottom are
    // judged on their own.
    t.layer.marginLeft = 150;
    t.layer.marginRight = 150;
    ComputeLayerPlacement(&t.layer, 300, 200, &p);
    EXPECT_EQ(0, p.areaX);
    EXPECT_EQ(300.0f, p.areaWidth);
    EXPECT_EQ(10, p.areaY);
    EXPECT_EQ(160.0f, p.areaHeight);
    t.layer.marginLeft = 149;
    ComputeLayerPlacement(&t.layer, 300, 200, &p);
    EXPECT_EQ(149, p.areaX);
    EXPECT_EQ(1.0f, p.areaWidth);
}

TEST_F(Rasterizer, CropToContentInFitAndStretchOnly) {
    TestLayer t(100, 100, 1);
    AddFilledRect(&t.layer.document, 10, 10, 50, 50, Red);
    SvgDocument& d = t.layer.document;
    d.content.any = 1;
    d.content.minX = d.content.minY = 10;
    d.content.maxX = d.content.maxY = 60;
    LayerPlacement p;
    for (int mode : {LayoutFit, LayoutStretch}) {
        t.layer.layoutMode = mode;
        ComputeLayerPlacement(&t.layer, 100, 100, &p);
        EXPECT_EQ(10.0f, p.viewX);
        EXPECT_EQ(10.0f, p.viewY);
        EXPECT_EQ(50.0f, p.viewWidth);
        EXPECT_EQ(50.0f, p.viewHeight);
        EXPECT_EQ(2.0f, p.innerScaleX);
        // The content fills the whole buffer.
        Canvas canvas = RenderToCanvas(&t.layer, 100, 100);
        EXPECT_EQ(Red, canvas.At(0, 0));
        EXPECT_EQ(Red, canvas.At(99, 99));
    }
    t.layer.layoutMode = LayoutOriginal;
    ComputeLayerPlacement(&t.layer, 100, 100, &p);
    EXPECT_EQ(0.0f, p.viewX);
    EXPECT_EQ(100.0f, p.viewWidth);
    EXPECT_EQ(1.0f, p.innerScaleX);

    // Content may reach up to half the view beyond it, no further; a sliver
    // of content (0.5 wide or less) keeps the view.
    t.layer.layoutMode = LayoutFit;
    d.content.maxX = 150;
    ComputeLayerPlacement(&t.layer, 100, 100, &p);
    EXPECT_EQ(140.0f, p.viewWidth);
    d.content.maxX = 160;
    ComputeLayerPlacement(&t.layer, 100, 100, &p);
    EXPECT_EQ(0.0f, p.viewX);
    EXPECT_EQ(100.0f, p.viewWidth);
    d.content.minX = -50;
    d.content.maxX = 60;
    ComputeLayerPlacement(&t.layer, 100, 100, &p);
    EXPECT_EQ(-50.0f, p.viewX);
    d.content.minX = -51;
    ComputeLayerPlacement(&t.layer, 100, 100, &p);
    EXPECT_EQ(0.0f, p.viewX);
    d.content.minX = 10;
    d.content.maxX = 10.5f;
    ComputeLayerPlacement(&t.layer, 100, 100, &p);
    EXPECT_EQ(100.0f, p.viewWidth);
}

TEST_F(Rasterizer, RotationTurnsAboutTheCentreOfTheArea) {
    // Original layout in a 200 x 100 buffer: the area's centre is (100, 50),
    // not the drawing's (50, 50). A clockwise quarter turn maps (x, y) to
    // (150 - y, x - 50): the bar (60..90, 70..80) lands on (70..80, 10..40).
    TestLayer t(100, 100, 1);
    AddFilledRect(&t.layer.document, 60, 70, 30, 10, Red);
    t.layer.layoutMode = LayoutOriginal;
    t.layer.rotation = 90.0f;
    PixelBox box = OpaqueBox(RenderToCanvas(&t.layer, 200, 100), 128);
    EXPECT_EQ(70, box.left);
    EXPECT_EQ(10, box.top);
    EXPECT_EQ(80, box.right);
    EXPECT_EQ(40, box.bottom);

    // Negative angles turn the other way: (x, y) -> (50 + y, 150 - x), which
    // puts the bar at (120..130, 60..90) - outside the original clip.
    t.layer.rotation = -90.0f;
    box = OpaqueBox(RenderToCanvas(&t.layer, 200, 100), 1);
    EXPECT_EQ(-1, box.left);

    // 450 degrees draws like 90.
    t.layer.rotation = 450.0f;
    box = OpaqueBox(RenderToCanvas(&t.layer, 200, 100), 128);
    EXPECT_EQ(70, box.left);
    EXPECT_EQ(10, box.top);
}

TEST_F(Rasterizer, OpacityAndTintPasses) {
    TestLayer t(10, 10, 1);
    AddFilledRect(&t.layer.document, 0, 0, 10, 10, 0xFFC86432u); // (200, 100, 50)
    t.layer.opacity = 128;
    EXPECT_EQ(0x80C86432u, RenderToCanvas(&t.layer, 10, 10).At(5, 5));

    t.layer.opacity = 255;
    t.layer.tintRed = 255;
    t.layer.tintStrength = 255;
    EXPECT_EQ(0xFFC80000u, RenderToCanvas(&t.layer, 10, 10).At(5, 5));
    t.layer.tintStrength = 128;
    EXPECT_EQ(0xFFC83219u, RenderToCanvas(&t.layer, 10, 10).At(5, 5));

    // "Warm Sunset" on opaque white; tint strength 0 is no tint at all.
    TestLayer white(10, 10, 1);
    AddFilledRect(&white.layer.document, 0, 0, 10, 10, 0xFFFFFFFFu);
    white.layer.tintRed = 255;
    white.layer.tintGreen = 180;
    white.layer.tintBlue = 120;
    white.layer.tintStrength = 128;
    EXPECT_EQ(0xFFFFD9BBu, RenderToCanvas(&white.layer, 10, 10).At(5, 5));
    white.layer.tintStrength = 0;
    EXPECT_EQ(0xFFFFFFFFu, RenderToCanvas(&white.layer, 10, 10).At(5, 5));

    // Opacity, then tint, then premultiply, on the Layer's own buffer.
    uint32_t* pixels = nullptr;
    HBITMAP bitmap = CreateLayerBitmap(10, 10, &pixels);
    ASSERT_TRUE(bitmap && pixels);
    t.layer.bitmap = bitmap;
    t.layer.pixels = pixels;
    t.layer.bitmapWidth = t.layer.bitmapHeight = 10;
    t.layer.opacity = 128;
    t.layer.tintStrength = 255;
    RenderLayer(&t.layer);
    EXPECT_EQ(0x80640000u, pixels[55]); // (200, 0, 0) at alpha 128, premultiplied
    DeleteObject(bitmap);
}

TEST_F(Rasterizer, UnknownLayoutModeRendersAsFitAndIsStoredBack) {
    TestLayer t(100, 100, 1);
    AddFilledRect(&t.layer.document, 0, 0, 100, 100, Red);
    t.layer.layoutMode = LayoutFit;
    Canvas fit = RenderToCanvas(&t.layer, 300, 200);
    for (int mode : {7, -1, 3}) {
        t.layer.layoutMode = mode;
        Canvas odd = RenderToCanvas(&t.layer, 300, 200);
        EXPECT_EQ(LayoutFit, t.layer.layoutMode) << mode;
        EXPECT_TRUE(fit.pixels == odd.pixels) << mode;
    }
    // An empty document returns before placement: the mode stays as it is.
    TestLayer empty(100, 100, 1);
    empty.layer.layoutMode = 7;
    Canvas canvas(4, 4);
    RenderLayerPixels(&empty.layer, canvas.pixels.data(), 4, 4);
    EXPECT_EQ(7, empty.layer.layoutMode);
}

TEST_F(Rasterizer, StrokesScaleWithTheDrawing) {
    // A horizontal line 2 user units wide, across a 100 x 100 drawing.
    TestLayer t(100, 100, 1);
    AddStrokedLine(&t.layer.document, 0, 50, 100, 50, 2.0f, 0xFF000000u);
    for (int size : {100, 400}) {
        Canvas canvas = RenderToCanvas(&t.layer, size, size);
        int coverage = 0; // summed alpha down one column, in whole pixels
        for (int y = 0; y < size; y++)
            coverage += AlphaOf(canvas.At(size / 2, y));
        EXPECT_NEAR(2.0 * size / 100, coverage / 255.0, 0.05) << size;
    }
}

// paint-order: a record whose stroke comes first has its fill painted over
// the inner half of the stroke.
TEST_F(Rasterizer, StrokeFirstPutsTheFillOverTheStroke) {
    for (int strokeFirst : {0, 1}) {
        TestLayer t(100, 100, 1);
        ShapeRecord* r = AddFilledRect(&t.layer.document, 20, 20, 60, 60, Red);
        r->hasStroke = 1;
        r->strokeColor = 0xFF0000FFu;
        r->strokeWidth = 10;
        r->strokeOpacity = 1;
        r->miterLimit = 4;
        r->strokeFirst = strokeFirst;
        Canvas canvas = RenderToCanvas(&t.layer, 100, 100);
        EXPECT_EQ(strokeFirst ? Red : 0xFF0000FFu, canvas.At(50, 22)) << strokeFirst;
        EXPECT_EQ(0xFF0000FFu, canvas.At(50, 17)) << strokeFirst; // outside: stroke either way
    }
}

// Dashes are user units and scale with the drawing (GDI+ counts them in pen
// widths). Square caps lengthen every dash by half the width at both ends;
// round caps make a dash of length 0 a dot.
TEST_F(Rasterizer, DashesScaleWithTheDrawing) {
    struct Case {
        const char* label;
        int lineCap;
        std::vector<float> dashes;
        float offset;
        std::vector<int> on, off; // x in user units along the line
        // Wine's GDI+ ignores the dash offset and draws no dash caps: checked on
        // Windows only.
        bool windowsOnly;
    } cases[] = {
        {"butt", 0, {10, 10}, 0, {5, 25}, {15, 35}, false},
        {"offset", 0, {10, 10}, 5, {2, 22}, {7, 27}, true},
        {"negative offset", 0, {10, 10}, -5, {7, 27}, {2, 17}, true},
        {"square", 1, {10, 10}, 0, {5, 11}, {15}, false},
        {"round dots", 2, {0, 10}, 0, {10, 20}, {5, 15}, true},
    };
    for (const Case& c : cases) {
        if (c.windowsOnly && RunningUnderWine())
            continue;
        TestLayer t(100, 20, 1);
        ShapeRecord* line = AddStrokedLine(&t.layer.document, 0, 10, 100, 10, 4, 0xFF000000u);
        line->lineCap = c.lineCap;
        line->dashes = MakeSharedFloats(c.dashes);
        line->dashOffset = c.offset;
        for (int scale : {1, 2}) {
            Canvas canvas = RenderToCanvas(&t.layer, 100 * scale, 20 * scale);
            for (int x : c.on)
                EXPECT_EQ(255, AlphaOf(canvas.At(x * scale, 10 * scale)))
                    << c.label << " x " << x << " scale " << scale;
            for (int x : c.off)
                EXPECT_EQ(0, AlphaOf(canvas.At(x * scale, 10 * scale)))
                    << c.label << " x " << x << " scale " << scale;
        }
    }
}

// A pattern that would make more dashes than the render's budget (200,000)
// is drawn solid, faded by the share of it that is on; fewer stay dashes.
TEST_F(Rasterizer, TooManyDashesDrawASolidStrokeFadedByTheirShare) {
    struct Case {
        std::vector<float> dashes; // on a line 100 long: 100 / sum dashes
        int alpha;                 // at a pixel on the line
    } cases[] = {{{0.0001f, 0.0003f}, 64}, {{0.0003f, 0.0001f}, 191}, {{5.0f, 10.0f}, 0}};
    for (const Case& c : cases) {
        TestLayer t(100, 20, 1);
        AddStrokedLine(&t.layer.document, 0, 10, 100, 10, 4, 0xFF000000u)->dashes =
            MakeSharedFloats(c.dashes);
        Canvas canvas = RenderToCanvas(&t.layer, 100, 20);
        EXPECT_NEAR(c.alpha, AlphaOf(canvas.At(10, 10)), 1) << c.dashes[0];
    }
}

TEST_F(Rasterizer, NonScalingStrokeKeepsItsWidthInPixels) {
    TestLayer t(100, 100, 1);
    AddStrokedLine(&t.layer.document, 0, 50, 100, 50, 2.0f, 0xFF000000u)->nonScalingStroke = 1;
    for (int size : {100, 400}) {
        Canvas canvas = RenderToCanvas(&t.layer, size, size);
        int coverage = 0;
        for (int y = 0; y < size; y++)
            coverage += AlphaOf(canvas.At(size / 2, y));
        EXPECT_NEAR(2.0, coverage / 255.0, 0.05) << size;
        EXPECT_EQ(255, AlphaOf(canvas.At(size / 2, size / 2))) << size; // still where it was
    }
}

TEST_F(Rasterizer, LaterShapesPaintOverEarlierOnesAndStrokesOverFills) {
    TestLayer t(10, 10, 1);
    AddFilledRect(&t.layer.document, 0, 0, 10, 10, Red);
    AddFilledRect(&t.layer.document, 0, 0, 5, 10, 0xFF0000FFu);
    // Stroke 2 wide on the edges of (0, 0, 10, 6): the fill shows only inside.
    ShapeRecord* both = AddFilledRect(&t.layer.document, 0, 0, 10, 6, 0xFF00FF00u);
    both->hasStroke = 1;
    both->strokeColor = 0xFFFFFFFFu;
    both->strokeWidth = 2.0f;
    // A shape without a path is skipped.
    ShapeRecord* pathless = AddFilledRect(&t.layer.document, 0, 0, 10, 10, 0xFF123456u);
    GfxDeletePath(pathless->path);
    pathless->path = nullptr;
    Canvas canvas = RenderToCanvas(&t.layer, 10, 10);
    EXPECT_EQ(0xFF0000FFu, canvas.At(2, 8));
    EXPECT_EQ(Red, canvas.At(7, 8));
    EXPECT_EQ(0xFF00FF00u, canvas.At(5, 3));
    EXPECT_EQ(0xFFFFFFFFu, canvas.At(5, 0));
    EXPECT_EQ(0xFFFFFFFFu, canvas.At(5, 5));
    EXPECT_EQ(0xFFFFFFFFu, canvas.At(0, 3));
}
