// Drawings whose geometry once took GDI+ (and the host) down: curves tens of
// thousands of pixels across, extreme transforms, numbers beyond a float.
// All in one program run: each must draw what shows of it, and the rest of
// the drawing, in this process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layers/layer_render.h"
#include "render_support.h"

namespace {

const uint32_t Clear = 0, Black = 0xFF000000u, Green = 0xFF008000u, Red = 0xFFFF0000u;

class HugeGeometry : public ::testing::Test {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
};

struct Probe {
    int x, y;
    uint32_t colour;
};

// A 100-unit view drawn at 512 x 512 (5.12 pixels a unit, not cropped to
// the content), the shape under test under a green square at (10, 10)-(40, 40).
Canvas RenderUnderSquare(const std::string& shape, std::wstring* report = nullptr) {
    return RenderSvgText("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 100 100' "
                         "width='512' height='512'>" +
                             shape +
                             "<rect x='10' y='10' width='30' height='30' fill='green'/></svg>",
                         512, 512, LayoutOriginal, report);
}

} // namespace

TEST_F(HugeGeometry, DrawsWhatShowsAndTheRest) {
    struct Case {
        const char* shape;
        std::vector<Probe> probes;
    } cases[] = {
        // 43,520 pixels of radius, wholly outside the view.
        {"<circle cx='50' cy='50' r='8500' stroke='black' fill='none'/>", {{400, 400, Clear}}},
        // The same size through the view: its edge near x = 50 (256 px).
        {"<circle cx='-8450' cy='50' r='8500' stroke='black' stroke-width='2' fill='none'/>"
         "<circle cx='-8450' cy='50' r='8490' fill='red'/>",
         {{256, 256, Black},
          {256, 5, Black},
          {280, 256, Clear},
          {230, 256, Clear},
          {150, 256, Red},
          {150, 500, Red}}},
        // The same circle as a clip path, and a clip shape no float holds.
        {"<clipPath id='c'><circle cx='-8450' cy='50' r='8500'/>"
         "<rect width='9' height='9' transform='scale(3e38) scale(3e38)'/></clipPath>"
         "<rect width='100' height='100' fill='red' clip-path='url(#c)'/>",
         {{253, 256, Red}, {259, 256, Clear}, {150, 500, Red}}},
        {"<circle cx='50' cy='50' r='40' stroke='black' fill='none' transform='scale(1e36)'/>",
         {{400, 400, Clear}}},
        {"<path d='M0 90 C1e38 90 -1e38 90 100 90' stroke='red' stroke-width='2' fill='none'/>",
         {{300, 461, Red}, {5, 461, Red}, {300, 430, Clear}}},
        // Drawn up to the arc whose radius no float holds.
        {"<path d='M10 50 L20 50 A1e999 1e999 0 0 1 90 50' stroke='black' stroke-width='2' "
         "fill='none'/>",
         {{80, 256, Black}, {300, 256, Clear}}},
        {"<text x='60' y='30' font-size='1e9' stroke='black' fill='orange'>W</text>", {}},
    };
    for (const Case& c : cases) {
        Canvas canvas = RenderUnderSquare(c.shape);
        EXPECT_EQ(Green, canvas.At(128, 128)) << c.shape;
        for (const Probe& p : c.probes)
            EXPECT_EQ(p.colour, canvas.At(p.x, p.y)) << c.shape << " at " << p.x << "," << p.y;
    }

    // A radial gradient over such a circle: near its edge, its last colour.
    Canvas canvas = RenderUnderSquare("<radialGradient id='g'><stop offset='0' stop-color='red'/>"
                                      "<stop offset='1' stop-color='blue'/></radialGradient>"
                                      "<circle cx='-8450' cy='50' r='8500' fill='url(#g)'/>");
    const uint32_t nearEdge = canvas.At(150, 256);
    EXPECT_TRUE(AlphaOf(nearEdge) == 255 && BlueOf(nearEdge) >= 250 && RedOf(nearEdge) <= 5)
        << std::hex << nearEdge;
    EXPECT_EQ(Clear, canvas.At(300, 256));
}

// A shape whose coordinates no float holds, or whose round stroke GDI+
// cannot flatten, is left out and counted; the rest of the drawing draws.
TEST_F(HugeGeometry, AShapeGdiPlusCannotTakeIsLeftOutAndCounted) {
    const char* shapes[] = {
        "<circle cx='50' cy='50' r='3e38' fill='red'/>",
        "<rect width='10' height='10' fill='red' transform='scale(3e38) scale(3e38)'/>",
        "<path d='M0 0 L3e38 0 l3e38 0' stroke='red' fill='none'/>",
        "<polyline points='60 60 90 90' stroke='red' stroke-width='5000' stroke-linecap='round'/>",
    };
    for (const char* shape : shapes) {
        std::wstring report;
        Canvas canvas = RenderUnderSquare(shape, &report);
        EXPECT_EQ(Green, canvas.At(128, 128)) << shape;
        EXPECT_EQ(Clear, canvas.At(400, 400)) << shape;
        EXPECT_EQ(L"not drawn: shapes with coordinates out of range (1)", report) << shape;
    }
    // The same stroke with straight caps and joins is drawn, cut to the view.
    std::wstring report;
    Canvas canvas = RenderUnderSquare(
        "<polyline points='60 60 90 90' stroke='red' stroke-width='5000' stroke-linejoin='bevel'/>",
        &report);
    EXPECT_EQ(Red, canvas.At(400, 400));
    EXPECT_EQ(L"not drawn: nothing", report);
}
