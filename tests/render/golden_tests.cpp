// Whole drawings rendered as a Layer would and compared with the pictures in
// tests/data/golden/, which vexlar-render wrote from the same drawings and
// options (the file names say which). A small difference per channel is
// allowed for anti-aliasing; alpha-0 pixels compare equal whatever their
// colour bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "layers/layer_render.h"
#include "layers/layout_parameters.h"
#include "layers/tint.h"
#include "render/graphics.h"
#include "render_support.h"
#include "svg/load.h"

// Outside the anonymous namespace: the parameterised suite names it.
struct GoldenCase {
    const char* drawing;
    const char* golden;
    int width, height;
    const wchar_t* layout;
    const wchar_t* margins;
    const wchar_t* tint;
    int opacity;
    float rotation;
};

namespace {

const GoldenCase Cases[] = {
    {"shapes.svg", "shapes-fit-240x180.png", 240, 180, L"", L"", L"", 255, 0},
    {"shapes.svg", "shapes-stretch-320x120.png", 320, 120, L"stretch", L"5", L"", 255, 0},
    {"gradients.svg", "gradients-fit-300x200.png", 300, 200, L"", L"", L"", 255, 0},
    {"badge.svg", "badge-options-200x160.png", 200, 160, L"", L"10 20", L"Warm Sunset", 200, 30},
    {"badge.svg", "badge-original-100x60.png", 100, 60, L"original", L"", L"", 255, 0},
    // Paint and values: dashes, units, currentColor, fallbacks, never-drawn elements;
    // at twice the size the dashes and strokes grow with the drawing.
    {"paint.svg", "paint-fit-240x180.png", 240, 180, L"", L"", L"", 255, 0},
    {"paint.svg", "paint-fit-480x360.png", 480, 360, L"", L"", L"", 255, 0},
    {"icon-gradients.svg", "icon-gradients-fit-192x192.png", 192, 192, L"", L"", L"", 255, 0},
};

const int ChannelTolerance = 6;

void SetUpLayer(const GoldenCase& c, Layer* layer) {
    layer->layoutMode = ParseLayoutMode(c.layout);
    StoreMarginText(layer, c.margins);
    layer->opacity = c.opacity;
    layer->tintRed = layer->tintGreen = layer->tintBlue = 255;
    LookupTintPreset(c.tint, &layer->tintRed, &layer->tintGreen, &layer->tintBlue,
                     &layer->tintStrength);
    layer->rotation = c.rotation;
}

int ChannelDifference(uint32_t a, uint32_t b) {
    if ((a >> 24) == 0 && (b >> 24) == 0)
        return 0;
    int worst = 0;
    for (int shift : {24, 16, 8, 0}) {
        int d =
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        worst = std::max(worst, d);
    }
    return worst;
}

} // namespace

class Golden : public ::testing::TestWithParam<GoldenCase> {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
};

TEST_P(Golden, RendersLikeTheGoldenPicture) {
    const GoldenCase& c = GetParam();
    Layer layer = Layer();
    SetUpLayer(c, &layer);
    ASSERT_EQ(1, LoadSvgDocument(TestDataPath((std::string("render/") + c.drawing).c_str()),
                                 &layer.document));
    Canvas canvas = RenderToCanvas(&layer, c.width, c.height);
    ClearSvgDocument(&layer.document);

    uint32_t* golden = nullptr;
    int width = 0, height = 0;
    std::wstring goldenPath = TestDataPath((std::string("golden/") + c.golden).c_str());
    ASSERT_EQ(1, GfxLoadImage(goldenPath.c_str(), &golden, &width, &height)) << c.golden;
    ASSERT_EQ(c.width, width);
    ASSERT_EQ(c.height, height);
    int worst = 0, differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            int d = ChannelDifference(canvas.At(x, y), golden[y * width + x]);
            worst = std::max(worst, d);
            if (d > ChannelTolerance && differing++ == 0) {
                firstX = x;
                firstY = y;
            }
        }
    }
    delete[] golden;
    EXPECT_EQ(0, differing) << c.golden << ": " << differing << " pixels differ, worst by " << worst
                            << ", first at (" << firstX << ", " << firstY << ")";
    // The drawing is really there.
    EXPECT_GT(OpaqueBox(canvas, 1).right, 0) << c.golden;
}

// Named after the golden picture: "badge-options-200x160.png" -> badge_options_200x160.
static std::string GoldenName(const ::testing::TestParamInfo<GoldenCase>& info) {
    std::string name = info.param.golden;
    name = name.substr(0, name.find('.'));
    for (char& c : name) {
        if (c == '-')
            c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Drawings, Golden, ::testing::ValuesIn(Cases), GoldenName);
