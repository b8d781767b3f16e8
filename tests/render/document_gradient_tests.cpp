// Gradients are looked up in the drawing's own copy, never in the tables of
// the file loaded last.
#include <gtest/gtest.h>

#include "layers/layer_render.h"
#include "render_support.h"
#include "svg/load.h"

namespace {

class PerDocumentGradients : public ::testing::Test {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
};

Layer LoadedLayer(const char* name) {
    Layer layer = Layer();
    layer.opacity = 255;
    std::wstring path = TestDataPath((std::string("render/") + name).c_str());
    EXPECT_EQ(1, LoadSvgDocument(path, &layer.document)) << name;
    return layer;
}

} // namespace

TEST_F(PerDocumentGradients, EachDrawingKeepsItsOwnGradients) {
    // Both files call their gradient "paint": red to red in one, blue to
    // blue in the other.
    Layer red = LoadedLayer("paint-red.svg");
    Layer blue = LoadedLayer("paint-blue.svg"); // loaded last
    Canvas canvas = RenderToCanvas(&red, 20, 20);
    EXPECT_EQ(0xFFFF0000u, canvas.At(10, 10));
    canvas = RenderToCanvas(&blue, 20, 20);
    EXPECT_EQ(0xFF0000FFu, canvas.At(10, 10));
    ClearSvgDocument(&red.document);
    canvas = RenderToCanvas(&blue, 20, 20); // the other's release changes nothing
    EXPECT_EQ(0xFF0000FFu, canvas.At(10, 10));
    ClearSvgDocument(&blue.document);
}

TEST_F(PerDocumentGradients, OneStopGradientFillsWithItsColour) {
    Layer layer = LoadedLayer("one-stop.svg");
    Canvas canvas = RenderToCanvas(&layer, 20, 20);
    EXPECT_EQ(0xFF00C000u, canvas.At(10, 10));
    EXPECT_EQ(0xFF00C000u, canvas.At(1, 18));
    ClearSvgDocument(&layer.document);
}
