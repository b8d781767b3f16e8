// Drawing through the graphics layer into caller-owned pixels: alpha stays
// straight, pens, caps, brushes and clipping land where expected, and PNG
// files round-trip.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/graphics.h"

namespace {

class GraphicsEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_EQ(GfxStartup(&token), 1); }
    void TearDown() override { GfxShutdown(token); }

  private:
    uintptr_t token = 0;
};

::testing::Environment* const graphicsEnvironment =
    ::testing::AddGlobalTestEnvironment(new GraphicsEnvironment);

// A zeroed width x height canvas with a graphics object drawing into it.
struct Canvas {
    int width, height;
    std::vector<uint32_t> pixels;
    GfxGraphics* graphics;
    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, 0) {
        graphics = GfxCreateGraphicsOnPixels(pixels.data(), w, h);
    }
    ~Canvas() {
        if (graphics)
            GfxDeleteGraphics(graphics);
    }
    // Drawing reaches the pixels when the graphics object is released.
    void Finish() {
        GfxDeleteGraphics(graphics);
        graphics = nullptr;
    }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

int Channel(uint32_t argb, int shift) {
    return static_cast<int>((argb >> shift) & 0xFF);
}

void ExpectColourNear(uint32_t got, uint32_t expected, int tolerance, const std::string& label) {
    for (int shift = 0; shift < 32; shift += 8)
        EXPECT_NEAR(Channel(got, shift), Channel(expected, shift), tolerance)
            << label << std::hex << " got 0x" << got << " expected 0x" << expected;
}

GfxPath* RectanglePath(float x, float y, float w, float h) {
    GfxPath* path = GfxCreatePath();
    GfxAddRectangle(path, x, y, w, h);
    return path;
}

void FillRectangle(Canvas& canvas, uint32_t argb, float x, float y, float w, float h) {
    GfxBrush* brush = GfxCreateSolidBrush(argb);
    GfxPath* path = RectanglePath(x, y, w, h);
    GfxFillPath(canvas.graphics, brush, path);
    GfxDeletePath(path);
    GfxDeleteBrush(brush);
}

// Rows of column x whose alpha is at least half.
int CoveredRows(const Canvas& canvas, int x) {
    int rows = 0;
    for (int y = 0; y < canvas.height; y++)
        rows += Channel(canvas.At(x, y), 24) >= 0x80 ? 1 : 0;
    return rows;
}

TEST(GraphicsDrawing, TranslucentFillLeavesStraightAlpha) {
    // A premultiplied surface would hold 0x80800000 here.
    const uint32_t colours[] = {0x80FF0000, 0x4000FF00, 0xFF0000FF, 0x01FFFFFF};
    for (uint32_t colour : colours) {
        Canvas canvas(8, 8);
        ASSERT_NE(canvas.graphics, nullptr);
        GfxSetHighQuality(canvas.graphics);
        FillRectangle(canvas, colour, 0, 0, 8, 8);
        canvas.Finish();
        ExpectColourNear(canvas.At(4, 4), colour, 1, "interior");
        ExpectColourNear(canvas.At(0, 0), colour, 1, "corner");
    }
}

TEST(GraphicsDrawing, RowsRunFromTheTopAndClipLimitsDrawing) {
    Canvas canvas(10, 10);
    GfxSetClipRect(canvas.graphics, 0, 0, 5, 10);
    FillRectangle(canvas, 0xFFFF0000, 0, 0, 10, 3);
    canvas.Finish();
    EXPECT_EQ(canvas.At(2, 1), 0xFFFF0000u);
    EXPECT_EQ(canvas.pixels[0], 0xFFFF0000u) << "the first word is the top-left pixel";
    EXPECT_EQ(canvas.At(7, 1), 0u) << "outside the clip";
    EXPECT_EQ(canvas.At(2, 8), 0u) << "below the rectangle";
}

TEST(GraphicsDrawing, WorldTransformMovesAndScalesPaths) {
    Canvas canvas(20, 20);
    GfxMatrix* m = GfxCreateMatrix();
    GfxScaleMatrix(m, 2, 2);
    GfxTranslateMatrix(m, 5, 0);
    GfxSetWorldTransform(canvas.graphics, m);
    GfxDeleteMatrix(m);
    FillRectangle(canvas, 0xFF00FF00, 0, 0, 2, 2); // lands on (5, 0) - (9, 4)
    GfxSetWorldTransform(canvas.graphics, nullptr);
    FillRectangle(canvas, 0xFF0000FF, 0, 10, 2, 2); // untransformed again
    canvas.Finish();
    EXPECT_EQ(canvas.At(6, 2), 0xFF00FF00u);
    EXPECT_EQ(canvas.At(8, 3), 0xFF00FF00u);
    EXPECT_EQ(canvas.At(3, 2), 0u);
    EXPECT_EQ(canvas.At(10, 2), 0u);
    EXPECT_EQ(canvas.At(1, 11), 0xFF0000FFu);
    EXPECT_EQ(canvas.At(3, 11), 0u);
}

TEST(GraphicsDrawing, PenWidthFollowsItsUnit) {
    struct Case {
        const char* label;
        float width;
        int unit;
        float scale;
        int rows;
    } cases[] = {
        {"4 pixels", 4, 2, 1, 4},
        {"2 pixels", 2, 2, 1, 2},
        {"4 world units, scale 1", 4, 0, 1, 4},
        {"3 world units, scale 2", 3, 0, 2, 6},
    };
    for (const Case& c : cases) {
        Canvas canvas(40, 40);
        GfxSetHighQuality(canvas.graphics);
        GfxMatrix* m = GfxCreateMatrix();
        GfxScaleMatrix(m, c.scale, c.scale);
        GfxSetWorldTransform(canvas.graphics, m);
        GfxDeleteMatrix(m);
        GfxPen* pen = GfxCreatePen(0xFF000000, c.width, c.unit);
        ASSERT_NE(pen, nullptr) << c.label;
        GfxPath* path = GfxCreatePath();
        GfxAddLine(path, 2, 10, 18, 10);
        GfxDrawPath(canvas.graphics, pen, path);
        GfxDeletePath(path);
        GfxDeletePen(pen);
        canvas.Finish();
        EXPECT_EQ(CoveredRows(canvas, static_cast<int>(10 * c.scale)), c.rows) << c.label;
    }
}

TEST(GraphicsDrawing, LineCapsExtendTheStrokeOrNot) {
    struct Case {
        int cap;
        bool beyondEnd;
    } cases[] = {{0, false}, {1, true}, {2, true}};
    for (const Case& c : cases) {
        Canvas canvas(40, 20);
        GfxPen* pen = GfxCreatePen(0xFF000000, 8, 2);
        GfxSetPenLineCap(pen, c.cap);
        GfxSetPenLineJoin(pen, 2);
        GfxSetPenMiterLimit(pen, 4);
        GfxPath* path = GfxCreatePath();
        GfxAddLine(path, 10, 10, 30, 10);
        GfxDrawPath(canvas.graphics, pen, path);
        GfxDeletePath(path);
        GfxDeletePen(pen);
        canvas.Finish();
        EXPECT_EQ(canvas.At(20, 10), 0xFF000000u) << "cap " << c.cap;
        EXPECT_EQ(Channel(canvas.At(32, 10), 24) > 0x80, c.beyondEnd) << "cap " << c.cap;
        EXPECT_EQ(Channel(canvas.At(7, 10), 24) > 0x80, c.beyondEnd) << "cap " << c.cap;
    }
}

TEST(GraphicsBrushes, LinearGradientRunsBetweenItsPoints) {
    Canvas canvas(100, 4);
    GfxBrush* brush =
        GfxCreateLineBrush({0, 0}, {100, 0}, 0xFFFF0000, 0xFF0000FF, GfxWrapModeTileFlipXY);
    ASSERT_NE(brush, nullptr);
    GfxPath* path = RectanglePath(0, 0, 100, 4);
    GfxFillPath(canvas.graphics, brush, path);
    GfxDeleteBrush(brush);

    // Three stops: red, green in the middle, blue; then shifted by a
    // transform so that the green stop sits at x = 75.
    Canvas blended(100, 4);
    brush = GfxCreateLineBrush({0, 0}, {100, 0}, 0xFFFF0000, 0xFF0000FF, GfxWrapModeTile);
    const uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    const float positions[] = {0, 0.5f, 1};
    GfxSetLinePresetBlend(brush, colours, positions, 3);
    const float shift[6] = {1, 0, 0, 1, 25, 0};
    GfxSetLineTransform(brush, shift);
    GfxFillPath(blended.graphics, brush, path);
    GfxDeleteBrush(brush);
    GfxDeletePath(path);
    canvas.Finish();
    blended.Finish();

    ExpectColourNear(canvas.At(0, 2), 0xFFFF0000, 8, "start");
    ExpectColourNear(canvas.At(99, 2), 0xFF0000FF, 8, "end");
    ExpectColourNear(canvas.At(50, 2), 0xFF800080, 12, "middle");
    ExpectColourNear(blended.At(75, 2), 0xFF00FF00, 12, "shifted middle stop");
    ExpectColourNear(blended.At(26, 2), 0xFFFF0000, 16, "at the shifted start");
    // Tiled: x = 15 is at 0.9 of the previous tile, 4/5 of the way from green to blue.
    ExpectColourNear(blended.At(15, 2), 0xFF0033CC, 12, "tiled before the shifted start");
}

TEST(GraphicsBrushes, LineBrushRefusesClampAndAnEmptyVector) {
    // GDI+ line brushes have no clamp mode: the caller must pick another.
    EXPECT_EQ(GfxCreateLineBrush({0, 0}, {100, 0}, 0xFFFF0000, 0xFF0000FF, GfxWrapModeClamp),
              nullptr);
    EXPECT_EQ(GfxCreateLineBrush({5, 5}, {5, 5}, 0xFFFF0000, 0xFF0000FF, GfxWrapModeTile), nullptr);
}

TEST(GraphicsBrushes, PathGradientRunsFromBoundaryToCentre) {
    Canvas canvas(40, 40);
    GfxPath* circle = GfxCreatePath();
    GfxAddEllipse(circle, 0, 0, 40, 40);
    GfxBrush* brush = GfxCreatePathGradient(circle);
    ASSERT_NE(brush, nullptr);
    GfxSetPathGradientCenterColour(brush, 0xFFFFFFFF);
    GfxSetPathGradientSurroundColour(brush, 0xFF000000);
    GfxSetPathGradientCenterPoint(brush, {20, 20});
    GfxSetPathGradientWrapMode(brush, GfxWrapModeClamp);
    GfxFillPath(canvas.graphics, brush, circle);
    GfxDeleteBrush(brush);

    // A preset blend: position 0 is the boundary, 1 the centre.
    Canvas blended(40, 40);
    brush = GfxCreatePathGradient(circle);
    const uint32_t colours[] = {0xFF0000FF, 0xFFFF0000};
    const float positions[] = {0, 1};
    GfxSetPathGradientPresetBlend(brush, colours, positions, 2);
    const float identity[6] = {1, 0, 0, 1, 0, 0};
    GfxSetPathGradientTransform(brush, identity);
    GfxFillPath(blended.graphics, brush, circle);
    GfxDeleteBrush(brush);
    GfxDeletePath(circle);
    canvas.Finish();
    blended.Finish();

    ExpectColourNear(canvas.At(20, 20), 0xFFFFFFFF, 16, "centre");
    EXPECT_LT(Channel(canvas.At(20, 1), 16), 0x40) << "edge is near the surround colour";
    EXPECT_EQ(canvas.At(1, 1), 0u) << "outside the circle";
    if (!RunningUnderWine()) { // Wine 8 draws path gradients without their preset blend
        ExpectColourNear(blended.At(20, 20), 0xFFFF0000, 16, "blend centre");
        EXPECT_GT(Channel(blended.At(20, 1), 0), 0xC0) << "blend edge is blue";
    }
}

std::wstring TempPngPath() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"vexlar-graphics-test.png";
}

TEST(GraphicsImages, PngRoundTripKeepsStraightPixels) {
    const int width = 3, height = 2;
    const uint32_t pixels[width * height] = {0xFFFF0000, 0x80FF0000, 0x01020304,
                                             0xFF00FF00, 0x7F123456, 0xFFFFFFFF};
    std::wstring file = TempPngPath();
    ASSERT_EQ(GfxSavePng(file.c_str(), pixels, width, height), 1);
    uint32_t* loaded = nullptr;
    int w = 0, h = 0;
    ASSERT_EQ(GfxLoadImage(file.c_str(), &loaded, &w, &h), 1);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    for (int i = 0; i < width * height; i++)
        EXPECT_EQ(loaded[i], pixels[i]) << "pixel " << i;
    delete[] loaded;
    DeleteFileW(file.c_str());

    EXPECT_EQ(GfxLoadImage(L"Z:\\no\\such\\file.png", &loaded, &w, &h), 0);
    EXPECT_EQ(GfxSavePng(L"Z:\\no\\such\\folder\\file.png", pixels, width, height), 0);
}

} // namespace
