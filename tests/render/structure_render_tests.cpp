// Clip paths, nested viewports and symbols through the real graphics path,
// and the root's preserveAspectRatio in the Layer's placement.
#include <gtest/gtest.h>

#include "layers/layer_placement.h"
#include "layers/layer_render.h"
#include "render/graphics.h"
#include "render_support.h"
#include "svg/load.h"
#include "svg/records/clips.h"

namespace {

class StructureRender : public ::testing::Test {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
};

TEST_F(StructureRender, ClipsViewportsAndSymbols) {
    Layer layer = Layer();
    layer.opacity = 255;
    layer.layoutMode = LayoutOriginal;
    ASSERT_EQ(1, LoadSvgDocument(TestDataPath("render/structure.svg"), &layer.document));
    Canvas canvas = RenderToCanvas(&layer, 100, 100);
    struct Probe {
        int x, y;
        uint32_t colour;
    } probes[] = {
        {25, 25, 0xFF00FF00u}, {3, 3, 0}, // inside and outside the circle
        {52, 2, 0xFF0000FFu},  {75, 48, 0xFF0000FFu},
        {75, 52, 0}, // the viewport's edge
        {25, 62, 0xFFFF0000u}, {8, 62, 0},
        {42, 62, 0}, // the symbol, centred in 50 x 25
        {75, 75, 0xFFFFFF00u}, {58, 75, 0},
        {62, 57, 0}, // both clips, one, the other
    };
    for (const Probe& p : probes)
        EXPECT_EQ(p.colour, canvas.At(p.x, p.y)) << p.x << "," << p.y;
    ClearSvgDocument(&layer.document);
}

TEST_F(StructureRender, RootAspectRatioPlacesTheViewBoxInTheDocumentSize) {
    TestLayer test(40, 40, 0);
    SvgDocument& document = test.layer.document;
    document.viewBoxWidth = 10;
    document.viewBoxHeight = 20;
    document.hasViewBox = 1;
    AddFilledRect(&document, 0, 0, 10, 20, 0xFF000000u);
    struct Case {
        AspectRatio aspect;
        float scaleX, scaleY, innerX, innerY;
    } cases[] = {
        {{0, 0, 0, 0}, 2, 2, 10, 0},  {{1, 1, 0, 0}, 2, 2, 20, 0}, {{-1, -1, 0, 1}, 4, 4, 0, 0},
        {{0, 1, 0, 1}, 4, 4, 0, -40}, {{0, 0, 1, 0}, 4, 2, 0, 0},
    };
    for (const Case& c : cases) {
        document.aspect = c.aspect;
        LayerPlacement p;
        ComputeLayerPlacement(&test.layer, 40, 40, &p);
        EXPECT_FLOAT_EQ(c.scaleX, p.innerScaleX);
        EXPECT_FLOAT_EQ(c.scaleY, p.innerScaleY);
        EXPECT_FLOAT_EQ(c.innerX, p.innerX);
        EXPECT_FLOAT_EQ(c.innerY, p.innerY);
    }
    // Sliced, the drawing is cut at the document's own size.
    test.layer.layoutMode = LayoutOriginal;
    document.aspect = AspectRatio{0, 0, 0, 1};
    Canvas canvas = RenderToCanvas(&test.layer, 60, 60);
    EXPECT_EQ(0xFF000000u, canvas.At(20, 39));
    EXPECT_EQ(0u, canvas.At(20, 41));
}

// Regions whose shapes are cut by the next region, `length` regions in all,
// every shape the whole drawing; the first region's number.
int ClipChain(SvgDocument* document, int length) {
    int first = 0;
    for (int i = 0; i < length; i++) {
        int region = ReserveClipRegion(document, 0);
        if (!first)
            first = region;
        GfxPath* path = GfxCreatePath();
        GfxAddRectangle(path, 0, 0, 10, 10);
        std::vector<ClipShape> shapes = {{path, Matrix2D{1, 0, 0, 1, 0, 0}, 0}};
        if (i + 1 < length)
            shapes[0].clip = region + 1; // reserved next
        FillClipRegion(document, region, &shapes);
    }
    return first;
}

// The rasterizer follows as deep a chain of clips as the walker can build
// (MaxClipNesting regions) and draws nothing through a deeper one.
TEST_F(StructureRender, ClipChainsDrawUpToTheNestingLimit) {
    for (int length : {MaxClipNesting, MaxClipNesting + 1}) {
        TestLayer test(10, 10, 0);
        test.layer.layoutMode = LayoutOriginal;
        ShapeRecord* shape = AddFilledRect(&test.layer.document, 0, 0, 10, 10, 0xFF0000FFu);
        shape->clip = ClipChain(&test.layer.document, length);
        Canvas canvas = RenderToCanvas(&test.layer, 10, 10);
        EXPECT_EQ(length <= MaxClipNesting ? 0xFF0000FFu : 0u, canvas.At(5, 5)) << length;
    }
}

} // namespace
