// Clip paths, nested viewports and symbols through the real graphics path,
// and the root's preserveAspectRatio in the Layer's placement.
#include <gtest/gtest.h>

#include <string>

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

// A clip of many shapes cuts each shape with only its pixel rows under the
// shape's paint, and the first shape through it (or each shape with a clip
// of its own) with only the clip's shapes reaching its paint: what reaches
// past the path (miter tips, square caps, strokes in pixels, hairlines,
// turned shapes) still shows exactly as through the same clip made of one
// shape.
TEST_F(StructureRender, AClipOfManyShapesCutsEachShapeAsTheWholeClipDoes) {
    const std::string shapes =
        "<polyline points='10,40 40,44 10,48' fill='none' stroke='blue' stroke-width='4' "
        "stroke-miterlimit='20'/>"
        "<line x1='45' y1='10' x2='60' y2='10' stroke='red' stroke-width='8' "
        "stroke-linecap='square'/>"
        "<g transform='scale(0.25)'><rect x='120' y='240' width='160' height='40' fill='none' "
        "stroke='green' stroke-width='6' vector-effect='non-scaling-stroke'/></g>"
        "<line x1='5' y1='90' x2='95' y2='70' stroke='black' stroke-width='0.01'/>"
        "<rect x='60' y='60' width='20' height='20' fill='purple' transform='rotate(30 70 70)'/>"
        "<rect x='31' y='20' width='2' height='2' fill='orange'/>"; // in the gap: nothing
    const std::string clipped = " clip-path='url(#c)'/>";
    std::string eachClipped = shapes;
    for (size_t at = 0; (at = eachClipped.find("/>", at)) != std::string::npos;
         at += clipped.size())
        eachClipped.replace(at, 2, clipped);
    const char* clips[] = {
        "<rect width='30' height='100'/><rect x='34' width='66' height='100'/>",
        "<path d='M0 0H30V100H0Z M34 0H100V100H34Z'/>",
    };
    for (const std::string& body : {"<g clip-path='url(#c)'>" + shapes + "</g>", eachClipped}) {
        Canvas canvases[2] = {Canvas(1, 1), Canvas(1, 1)};
        for (int i = 0; i < 2; i++)
            canvases[i] = RenderSvgText("<svg xmlns='http://www.w3.org/2000/svg' "
                                        "viewBox='0 0 100 100' width='100' height='100'>"
                                        "<clipPath id='c'>" +
                                            std::string(clips[i]) + "</clipPath>" + body + "</svg>",
                                        100, 100, LayoutOriginal);
        EXPECT_EQ(0xFF0000FFu, canvases[0].At(48, 44)); // the miter's tip, far past the polyline
        EXPECT_EQ(0u, canvases[0].At(32, 21));
        int differing = 0;
        for (size_t p = 0; p < canvases[0].pixels.size(); p++)
            differing += canvases[0].pixels[p] != canvases[1].pixels[p];
        EXPECT_EQ(0, differing) << body;
    }
}

} // namespace
