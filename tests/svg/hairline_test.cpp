// Hairlines: strokes narrower than a device pixel are drawn one pixel wide,
// their colour and opacity faded by their width on the device.
#include <gtest/gtest.h>

#include "render/hairlines.h"
#include "svg/records/document.h"
#include "svg/values/shared_floats.h"

namespace {

TEST(Hairlines, StrokesUnderAPixelWidenToOneAndFade) {
    struct Case {
        float strokeWidth;
        double scale; // device pixels to a user unit
        float width;  // drawn, in user units
        uint32_t colour;
        float opacity;
    } cases[] = {
        {2, 1, 2, 0xFF000000u, 1},           // wide enough: as it is
        {1, 1, 1, 0xFF000000u, 1},           // exactly a pixel
        {0.25f, 1, 1, 0x40000000u, 0.25f},   // a quarter pixel: a pixel at a quarter
        {0.5f, 0.5, 2, 0x40000000u, 0.25f},  // scaled down to a quarter pixel
        {0.1f, 4, 0.25f, 0x66000000u, 0.4f}, // scaled up, still under a pixel
        {0.001f, 1, 1, 0x1A000000u, 0.1f},   // the floor keeps it visible
        {0.5f, 4, 0.5f, 0xFF000000u, 1},     // two pixels on the device
    };
    for (const Case& c : cases) {
        ShapeRecord shape = ShapeRecord();
        shape.hasStroke = 1;
        shape.strokeWidth = c.strokeWidth;
        shape.strokeColor = 0xFF000000u;
        shape.strokeOpacity = 1;
        shape.dashes = MakeSharedFloats({3, 1});
        ApplyStrokeWeight(HairlineWeight(shape, c.scale), &shape);
        EXPECT_FLOAT_EQ(c.width, shape.strokeWidth) << c.strokeWidth << " x " << c.scale;
        EXPECT_EQ(c.colour, shape.strokeColor) << c.strokeWidth << " x " << c.scale;
        EXPECT_FLOAT_EQ(c.opacity, shape.strokeOpacity) << c.strokeWidth << " x " << c.scale;
        EXPECT_EQ((std::vector<float>{3, 1}), FloatsOf(shape.dashes)); // in user units still
    }
    ShapeRecord none = ShapeRecord();
    none.strokeWidth = 0.5f;
    EXPECT_FLOAT_EQ(1, HairlineWeight(none, 0).alphaScale); // a flattening transform: as it is
}

} // namespace
