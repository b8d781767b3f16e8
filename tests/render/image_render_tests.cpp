// Images through the real graphics path: bitmaps decoded by GDI+ and drawn
// nearest-neighbour pixel for pixel, the decoder's size cap, opacity, and a
// drawing shown as an image cut to its viewport.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "layers/layer.h"
#include "render/graphics.h"
#include "render_support.h"
#include "svg/base/image_source.h"
#include "svg/base/strings.h"

namespace {

class ImageRender : public ::testing::Test {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
};

// 2 x 2 pixels: red, green / blue, transparent.
const char* const FourPixelPng = "iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAYAAABytg0kAAAAFklEQVR4nAXBAQEAA"
                                 "ACAEP9PFyIJBQM/0gX7PJFRKAAAAABJ"
                                 "RU5ErkJggg==";

std::string Drawing(const std::string& body) {
    return "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4' viewBox='0 0 4 4'>" +
           body + "</svg>";
}

TEST_F(ImageRender, BitmapsDrawNearestNeighbourPixelForPixel) {
    const std::string svg = Drawing(std::string("<image width='4' height='4' "
                                                "style='image-rendering:pixelated' href='data:"
                                                "image/png;base64,") +
                                    FourPixelPng + "'/>");
    Canvas canvas = RenderSvgText(svg, 4, 4, LayoutOriginal);
    const uint32_t expected[4][4] = {
        {0xFFFF0000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF00FF00u},
        {0xFFFF0000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF00FF00u},
        {0xFF0000FFu, 0xFF0000FFu, 0, 0},
        {0xFF0000FFu, 0xFF0000FFu, 0, 0},
    };
    for (int y = 0; y < 4; y++) {
        for (int x = 0; x < 4; x++)
            EXPECT_EQ(expected[y][x], canvas.At(x, y)) << x << "," << y;
    }
}

TEST_F(ImageRender, DecoderRefusesPicturesOverTheCap) {
    std::string png, mediaType;
    ASSERT_EQ(
        1, DecodeDataUri(L"data:;base64," + WideFromUtf8(FourPixelPng, std::strlen(FourPixelPng)),
                         &png, &mediaType));
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    EXPECT_EQ(0, GfxDecodeImage(png.data(), png.size(), 3, &pixels, &width, &height));
    ASSERT_EQ(1, GfxDecodeImage(png.data(), png.size(), 4, &pixels, &width, &height));
    EXPECT_EQ(2, width);
    EXPECT_EQ(2, height);
    EXPECT_EQ((std::vector<uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0}), pixels);
    EXPECT_EQ(0, GfxDecodeImage(png.data(), png.size() / 2, 4, &pixels, &width, &height));
}

TEST_F(ImageRender, DrawingsAreCutToTheirViewportAndFaded) {
    // A 2 x 1 drawing, red then blue, sliced into 4 x 4: the middle half of
    // its 8 x 4 shows, half opaque.
    const std::string inner = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 2 1'>"
                              "<rect width='1' height='1' fill='red'/>"
                              "<rect x='1' width='1' height='1' fill='blue'/></svg>";
    std::string uri = "data:image/svg+xml,";
    for (char c : inner)
        uri += c == '<' ? std::string("%3C") : c == '>' ? std::string("%3E") : std::string(1, c);
    Canvas canvas = RenderSvgText(Drawing("<image width='4' height='4' opacity='0.5' "
                                          "preserveAspectRatio='xMidYMid slice' href=\"" +
                                          uri + "\"/>"),
                                  4, 4, LayoutOriginal);
    for (int y = 0; y < 4; y++) {
        for (int x = 0; x < 4; x++)
            EXPECT_EQ(x < 2 ? 0x80FF0000u : 0x800000FFu, canvas.At(x, y)) << x << "," << y;
    }
}

} // namespace
