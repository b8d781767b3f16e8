// Offscreen groups through the real graphics path: true group opacity, groups
// cut by the buffer's edge, and the fallback past the offscreen budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/rasterizer.h"
#include "render_support.h"
#include "svg/load.h"
#include "svg/records/not_drawn.h"
#include "svg/records/offscreen_groups.h"
#include "svg/records/work_budget.h"

namespace {

class GroupRender : public ::testing::Test {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
    void TearDown() override {
        SetRenderOffscreenPixels(0);
        ScaleDownWorkBudgets(1);
    }
};

TEST_F(GroupRender, OverlappingChildrenOfAHalfTransparentGroupDoNotShowThroughEachOther) {
    TestLayer test(20, 20, 1);
    test.layer.layoutMode = LayoutOriginal;
    SvgDocument& document = test.layer.document;
    // A half-transparent group of red and blue, red starting outside the buffer.
    const int group = AddOffscreenGroup(&document, 0, 0.5f);
    AddFilledRect(&document, -10, 0, 25, 20, 0xFFFF0000u)->group = group;
    AddFilledRect(&document, 5, 0, 15, 10, 0xFF0000FFu)->group = group;
    FinishOffscreenGroup(&document, group, 0);
    AddFilledRect(&document, 18, 18, 2, 2, 0xFF00FF00u); // after the group, outside it
    struct Probe {
        int x, y;
        uint32_t inLayer, faded; // with the offscreen bitmap, and past the budget
    } probes[] = {
        {2, 15, 0x80FF0000u, 0x80FF0000u},
        {10, 5, 0x800000FFu, 0xC05500AAu}, // blue over red: only blue shows in a layer
        {17, 5, 0x800000FFu, 0x800000FFu},
        {19, 19, 0xFF00FF00u, 0xFF00FF00u},
    };
    Canvas layered = RenderToCanvas(&test.layer, 20, 20);
    EXPECT_EQ(0, document.notDrawn[NotDrawnFadedGroups]);
    SetRenderOffscreenPixels(100); // less than the group's 400 pixels
    Canvas faded = RenderToCanvas(&test.layer, 20, 20);
    EXPECT_EQ(1, document.notDrawn[NotDrawnFadedGroups]);
    for (const Probe& p : probes) {
        EXPECT_EQ(p.inLayer, layered.At(p.x, p.y)) << p.x << "," << p.y;
        // GDI+ blends the faded shapes itself: its rounding may differ by one.
        for (int shift = 0; shift < 32; shift += 8)
            EXPECT_NEAR((p.faded >> shift) & 0xFF, (faded.At(p.x, p.y) >> shift) & 0xFF, 1)
                << p.x << "," << p.y;
    }
}

// Past the render's work budget (scaled down here to 20 shapes) the rest is
// left out and what was drawn stays; the next render counts afresh.
TEST_F(GroupRender, TheRenderStopsAtItsWorkBudget) {
    TestLayer test(25, 1, 1);
    for (int i = 0; i < 25; i++)
        AddFilledRect(&test.layer.document, static_cast<float>(i), 0, 1, 1, 0xFFFF0000u);
    for (size_t divisor : {size_t(50000), size_t(1)}) {
        ScaleDownWorkBudgets(divisor);
        const Canvas canvas = RenderToCanvas(&test.layer, 25, 1);
        const bool scaled = divisor > 1;
        EXPECT_EQ(scaled ? L"not drawn: shapes past the render's work budget (5)"
                         : L"not drawn: nothing",
                  NotDrawnReport(&test.layer.document));
        EXPECT_EQ(0xFFFF0000u, canvas.At(19, 0)) << divisor;
        EXPECT_EQ(scaled ? 0u : 0xFFFF0000u, canvas.At(20, 0)) << divisor;
    }
}

// Gradient stops and dashes spend the render's budget (scaled down here to
// 200 stops and 20 dashes). A stroke whose dashes do not fit is drawn solid,
// faded by the pattern's share, and smaller strokes after it still dashed;
// the shape whose stops do not fit is left out with the rest.
TEST_F(GroupRender, GradientStopsAndDashesSpendTheRenderBudget) {
    ScaleDownWorkBudgets(10000);
    std::string stops;
    for (int i = 0; i < 90; i++)
        stops += "<stop offset='" + std::to_string(i / 90.0) + "' stop-color='red'/>";
    const std::string svg =
        "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20'>"
        "<linearGradient id='g'>" +
        stops +
        "</linearGradient>"
        "<g stroke='black' stroke-width='2'>"
        "<line y1='2' x2='40' y2='2' stroke-dasharray='4'/>"     // 5 dashes
        "<line y1='5' x2='40' y2='5' stroke-dasharray='0.5'/>"   // 40: drawn solid
        "<line y1='8' x2='40' y2='8' stroke-dasharray='4'/></g>" // 5 more
        "<rect y='12' width='10' height='8' fill='url(#g)'/>"
        "<rect x='10' y='12' width='10' height='8' fill='url(#g)'/>"
        "<rect x='20' y='12' width='10' height='8' fill='url(#g)'/>" // 270 stops
        "<rect x='30' y='12' width='10' height='8' fill='blue'/></svg>";
    std::wstring report;
    const Canvas canvas = RenderSvgText(svg, 40, 20, LayoutOriginal, &report);
    EXPECT_EQ(L"not drawn: shapes past the render's work budget (1), shapes past the render's "
              L"gradient-stop budget (1), dashed strokes past the render's dash budget (drawn "
              L"solid) (1)",
              report);
    const struct {
        int x, y, alpha;
    } probes[] = {{2, 2, 255}, {6, 2, 0},     {6, 5, 128}, {2, 8, 255},
                  {6, 8, 0},   {15, 15, 255}, {25, 15, 0}, {35, 15, 0}};
    for (const auto& p : probes)
        EXPECT_NEAR(p.alpha, AlphaOf(canvas.At(p.x, p.y)), 1) << p.x << "," << p.y;
}

// A filter whose images do not fit in the budget leaves its group as it
// was drawn, and says so.
TEST_F(GroupRender, FilterPastTheBudgetIsDrawnUnfiltered) {
    TestLayer test(20, 20, 1);
    test.layer.layoutMode = LayoutOriginal;
    SvgDocument& document = test.layer.document;
    const int group = AddOffscreenGroup(&document, 0, 1.0f);
    AddFilledRect(&document, 5, 5, 10, 10, 0xFF0000FFu)->group = group;
    FilterRecord blur = FilterRecord();
    blur.width = blur.height = 20;
    IdentityMatrix(&blur.matrix);
    FilterPrimitive p = FilterPrimitive();
    p.kind = PrimitiveBlur;
    p.in1 = FilterInputSourceGraphic;
    p.width = p.height = 20;
    p.deviationX = p.deviationY = 3;
    blur.primitives = {p};
    OffscreenGroupOf(&document, group)->filter = AddDocumentFilter(&document, &blur);
    OffscreenGroupOf(&document, group)->bounds = Bounds{0, 0, 20, 20, 1};
    FinishOffscreenGroup(&document, group, 0);
    Canvas blurred = RenderToCanvas(&test.layer, 20, 20);
    EXPECT_EQ(0, document.notDrawn[NotDrawnUnfiltered]);
    EXPECT_NE(0xFF0000FFu, blurred.At(5, 5));
    SetRenderOffscreenPixels(500); // the group's 400 pixels, not the filter's images
    Canvas plain = RenderToCanvas(&test.layer, 20, 20);
    EXPECT_EQ(1, document.notDrawn[NotDrawnUnfiltered]);
    EXPECT_EQ(0, document.notDrawn[NotDrawnFadedGroups]);
    EXPECT_EQ(0xFF0000FFu, plain.At(5, 5));
    EXPECT_EQ(0u, plain.At(4, 4) >> 24);
}

struct Probe {
    int x, y;
    uint32_t colour;
};

// Renders the drawing at its own size (40 x 20) and checks the probes.
void ExpectPixels(const char* drawing, const std::vector<Probe>& probes) {
    Layer layer = Layer();
    layer.opacity = 255;
    layer.layoutMode = LayoutOriginal;
    ASSERT_EQ(1, LoadSvgDocument(TestDataPath(drawing), &layer.document));
    Canvas canvas = RenderToCanvas(&layer, 40, 20);
    ClearSvgDocument(&layer.document);
    for (const Probe& p : probes)
        EXPECT_EQ(p.colour, canvas.At(p.x, p.y)) << drawing << " " << p.x << "," << p.y;
}

// Margins put the area away from the buffer's corner, in a larger buffer:
// clip paths, layers, masks and patterns land where they do without margins,
// moved with the area, and nothing shows outside it.
TEST_F(GroupRender, MarginsMoveClipsGroupsMasksAndPatternsWithTheArea) {
    const int left = 7, top = 3, spare = 6;
    for (const char* drawing :
         {"render/structure.svg", "render/masks.svg", "render/patterns.svg"}) {
        Layer layer = Layer();
        layer.opacity = 255;
        layer.layoutMode = LayoutOriginal;
        ASSERT_EQ(1, LoadSvgDocument(TestDataPath(drawing), &layer.document));
        const int width = static_cast<int>(layer.document.width);
        const int height = static_cast<int>(layer.document.height);
        Canvas plain = RenderToCanvas(&layer, width, height);
        layer.marginLeft = left;
        layer.marginTop = top;
        Canvas moved = RenderToCanvas(&layer, left + width + spare, top + height + spare);
        ClearSvgDocument(&layer.document);
        int wrong = 0;
        for (int y = 0; y < moved.height; y++) {
            for (int x = 0; x < moved.width; x++) {
                const bool inside = x >= left && x < left + width && y >= top && y < top + height;
                const uint32_t expected = inside ? plain.At(x - left, y - top) : 0;
                if (moved.At(x, y) != expected && wrong++ == 0)
                    ADD_FAILURE() << drawing << " " << x << "," << y << ": " << std::hex
                                  << moved.At(x, y) << " instead of " << expected;
            }
        }
        EXPECT_EQ(0, wrong) << drawing;
    }
}

TEST_F(GroupRender, MasksByLuminanceAlphaRectangleAndMaskOnMask) {
    // clang-format off
    ExpectPixels("render/masks.svg", {
        {2, 5, 0xFFFF0000u}, {7, 5, 0x80FF0000u}, // white, then grey at half luminance
        {15, 5, 0x800000FFu},                     // black at half alpha, as alpha
        {22, 5, 0xFF00FF00u}, {27, 5, 0},         // cut by the mask's rectangle
        {32, 5, 0xFFFFFF00u}, {37, 5, 0},         // box units, masked by a mask
        {2, 15, 0xFF000000u}, {0, 15, 0},         // the default rectangle reaches
        {7, 15, 0xFF000000u}, {9, 15, 0},         // 10 % beyond the box
    });
    // clang-format on
}

TEST_F(GroupRender, PatternTilesRepeatWithoutSeams) {
    const uint32_t red = 0xFFFF0000u, blue = 0xFF0000FFu, lime = 0xFF00FF00u;
    // clang-format off
    ExpectPixels("render/patterns.svg", {
        {0, 0, red}, {3, 5, red}, {4, 5, red}, {8, 9, red},       // across tile edges
        {10, 5, blue}, {11, 5, blue}, {12, 5, 0}, {14, 5, blue},  // tiles from x = 10
        {21, 5, lime}, {23, 5, 0}, {25, 5, lime}, {27, 5, 0},     // box units
        {10, 15, 0}, {11, 15, blue}, {13, 15, 0}, {15, 15, blue}, // inherited, moved by 1
        {31, 5, red}, {35, 5, 0},                                 // a stroke
        {20, 15, 0xFF000000u}, {21, 15, 0}, {22, 15, 0xFF000000u} // a viewBox in 2 x 2
    });
    // clang-format on
}

} // namespace

namespace {

TEST_F(GroupRender, BlendModesMixWithWhatLiesBeneathWithinTheirIsolatedGroup) {
    // Blue screened over red's right half; below, the same blue inside an
    // isolated group of its own, where nothing lies beneath it.
    const Canvas canvas = RenderSvgText(
        "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='2' viewBox='0 0 4 2'>"
        "<rect width='4' height='2' fill='red'/>"
        "<rect x='2' width='2' height='1' fill='blue' style='mix-blend-mode:screen'/>"
        "<g style='isolation:isolate'>"
        "<rect x='2' y='1' width='2' height='1' fill='blue' style='mix-blend-mode:screen'/></g>"
        "</svg>",
        4, 2, LayoutOriginal);
    const uint32_t expected[2][4] = {{0xFFFF0000u, 0xFFFF0000u, 0xFFFF00FFu, 0xFFFF00FFu},
                                     {0xFFFF0000u, 0xFFFF0000u, 0xFF0000FFu, 0xFF0000FFu}};
    for (int y = 0; y < 2; y++) {
        for (int x = 0; x < 4; x++)
            EXPECT_EQ(expected[y][x], canvas.At(x, y)) << x << "," << y;
    }
}

} // namespace

namespace {

// A mask masking three groups is drawn once for all of them, and each gets
// the part over its own pixels (the last reaches past the buffer); a tile
// shared by shapes alike is not shared with one of another opacity.
TEST_F(GroupRender, SharedMasksAndTilesDrawAsEachUsersOwn) {
    const Canvas canvas = RenderSvgText(
        "<svg xmlns='http://www.w3.org/2000/svg' width='12' height='6' viewBox='0 0 12 6'>"
        "<mask id='m' maskUnits='userSpaceOnUse' x='0' y='0' width='11' height='4'>"
        "<rect x='1' width='11' height='2' fill='white'/>"
        "<rect x='1' y='2' width='11' height='2' fill='#808080'/></mask>"
        "<pattern id='t' patternUnits='userSpaceOnUse' width='2' height='2'>"
        "<rect width='1' height='2' fill='blue'/></pattern>"
        "<rect width='4' height='4' fill='red' mask='url(#m)'/>"
        "<rect x='4' width='4' height='4' fill='lime' mask='url(#m)' opacity='.5'/>"
        "<rect x='8' width='5' height='4' fill='blue' mask='url(#m)'/>"
        "<rect y='4' width='2' height='2' fill='url(#t)'/>"
        "<rect x='2' y='4' width='2' height='2' fill='url(#t)'/>"
        "<rect x='4' y='4' width='2' height='2' fill='url(#t)'/>"
        "<rect x='6' y='4' width='2' height='2' fill='url(#t)' fill-opacity='.5'/></svg>",
        12, 6, LayoutOriginal);
    const struct Probe {
        int x, y;
        uint32_t colour;
    } probes[] = {
        {0, 0, 0},           {2, 0, 0xFFFF0000u}, {2, 3, 0x80FF0000u},  {5, 0, 0x8000FF00u},
        {5, 3, 0x4000FF00u}, {9, 1, 0xFF0000FFu}, {10, 2, 0x800000FFu}, {11, 1, 0},
        {4, 5, 0xFF0000FFu}, {5, 5, 0},           {6, 4, 0x800000FFu},  {7, 4, 0},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(p.colour, canvas.At(p.x, p.y)) << p.x << "," << p.y;
}

} // namespace
