// Group layers through the real graphics path: true group opacity, layers
// cut by the buffer's edge, and the fallback past the offscreen budget.
#include <gtest/gtest.h>

#include "render/rasterizer.h"
#include "render_support.h"
#include "svg/group_layers.h"

namespace {

class LayerRender : public ::testing::Test {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
    void TearDown() override { SetOffscreenPixelBudget(DefaultOffscreenPixelBudget); }
};

TEST_F(LayerRender, OverlappingChildrenOfAHalfTransparentGroupDoNotShowThroughEachOther) {
    TestLayer test(20, 20, 1);
    test.layer.layoutMode = LayoutOriginal;
    SvgDocument& document = test.layer.document;
    // A half-transparent group of red and blue, red starting outside the buffer.
    const int group = AddGroupLayer(&document, 0, 0.5f);
    AddFilledRect(&document, -10, 0, 25, 20, 0xFFFF0000u)->layer = group;
    AddFilledRect(&document, 5, 0, 15, 10, 0xFF0000FFu)->layer = group;
    FinishGroupLayer(&document, group, 0);
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
    EXPECT_EQ(0, document.notDrawn[NotDrawnFadedLayers]);
    SetOffscreenPixelBudget(100); // less than the group's 400 pixels
    Canvas faded = RenderToCanvas(&test.layer, 20, 20);
    EXPECT_EQ(1, document.notDrawn[NotDrawnFadedLayers]);
    for (const Probe& p : probes) {
        EXPECT_EQ(p.inLayer, layered.At(p.x, p.y)) << p.x << "," << p.y;
        // GDI+ blends the faded shapes itself: its rounding may differ by one.
        for (int shift = 0; shift < 32; shift += 8)
            EXPECT_NEAR((p.faded >> shift) & 0xFF, (faded.At(p.x, p.y) >> shift) & 0xFF, 1)
                << p.x << "," << p.y;
    }
}

} // namespace

namespace {

TEST_F(LayerRender, MasksByLuminanceAlphaRectangleAndMaskOnMask) {
    Layer layer = Layer();
    layer.opacity = 255;
    layer.layoutMode = LayoutOriginal;
    ASSERT_EQ(1, LoadSvgDocument(TestDataPath("render/masks.svg"), &layer.document));
    Canvas canvas = RenderToCanvas(&layer, 40, 20);
    struct Probe {
        int x, y;
        uint32_t colour;
    } probes[] = {
        {2, 5, 0xFFFF0000u},  {7, 5, 0x80FF0000u}, // white, then grey at half luminance
        {15, 5, 0x800000FFu},                      // black at half alpha, as alpha
        {22, 5, 0xFF00FF00u}, {27, 5, 0},          // cut by the mask's rectangle
        {32, 5, 0xFFFFFF00u}, {37, 5, 0},          // box units, masked by a mask
        {2, 15, 0xFF000000u}, {0, 15, 0},          // the default rectangle reaches
        {7, 15, 0xFF000000u}, {9, 15, 0},          // 10 % beyond the box
    };
    for (const Probe& p : probes)
        EXPECT_EQ(p.colour, canvas.At(p.x, p.y)) << p.x << "," << p.y;
    ClearSvgDocument(&layer.document);
}

} // namespace
