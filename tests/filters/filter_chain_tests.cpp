#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/filters/filter_chain.h"
#include "render/filters/turbulence.h"

namespace {

FilterPrimitive Primitive(int kind, int in1, float x, float y, float width, float height) {
    FilterPrimitive p = FilterPrimitive();
    p.kind = kind;
    p.in1 = in1;
    p.x = x, p.y = y, p.width = width, p.height = height;
    return p;
}

// An 8 x 8 canvas at twice the user scale, shifted by one pixel: user
// (0, 0)..(4, 4) is pixels (1, 0)..(9, 8), cut at 8.
FilterCanvas Canvas(std::vector<uint32_t>* pixels) {
    return FilterCanvas{pixels->data(), 8, 8, Matrix2D{2, 0, 0, 2, 1, 0}, nullptr};
}

} // namespace

TEST(FilterChain, SubregionsRegionAndInputsInDevicePixels) {
    FilterRecord f = FilterRecord();
    f.x = 0, f.y = 0, f.width = 3, f.height = 3; // pixels 1..6 across, 0..5 down
    FilterPrimitive flood = Primitive(PrimitiveFlood, FilterInputSourceGraphic, 1, 1, 1, 1);
    flood.colour = 0x80FF0000u; // half red: pixels (3, 2)..(4, 3)
    FilterPrimitive offset = Primitive(PrimitiveOffset, 0, 0, 0, 3, 3);
    offset.dx = 1, offset.dy = 0.5f; // two pixels across, one down
    FilterPrimitive over = Primitive(PrimitiveComposite, 1, 0, 0, 3, 3);
    over.in2 = FilterInputSourceGraphic;
    over.mode = CompositeOver;
    f.primitives = {flood, offset, over};
    std::vector<uint32_t> pixels(64, 0xFF0000FFu); // opaque blue everywhere
    FilterCanvas canvas = Canvas(&pixels);
    size_t budget = 1000;
    ASSERT_TRUE(RunFilter(f, &canvas, &budget));
    // The source (its alpha is never read), one image per primitive, the
    // moved copy and the second input.
    EXPECT_EQ(1000u - 64 * 6, budget);
    EXPECT_EQ(0u, pixels[0]);          // outside the region: the source is cut
    EXPECT_EQ(0xFF0000FFu, pixels[1]); // the source, inside
    EXPECT_EQ(0u, pixels[8 * 6 + 1]);  // below the region
    EXPECT_EQ(0xFF0000FFu, pixels[8 * 2 + 3]);
    EXPECT_EQ(0xFF80007Fu, pixels[8 * 3 + 5]); // the moved flood over blue
    EXPECT_EQ(0xFF80007Fu, pixels[8 * 4 + 6]);
    EXPECT_EQ(0xFF0000FFu, pixels[8 * 4 + 7] | 0xFF0000FFu);
}

TEST(FilterChain, PastTheBudgetTheCanvasIsKept) {
    FilterRecord f = FilterRecord();
    f.width = f.height = 4;
    FilterPrimitive blur = Primitive(PrimitiveBlur, FilterInputSourceAlpha, 0, 0, 4, 4);
    blur.deviationX = blur.deviationY = 1;
    blur.linear = 1;
    f.primitives = {blur, blur};
    std::vector<uint32_t> pixels(64, 0x80402010u);
    FilterCanvas canvas = Canvas(&pixels);
    size_t budget = 64 * 2; // the source, the first blur's input, then none
    EXPECT_FALSE(RunFilter(f, &canvas, &budget));
    for (uint32_t p : pixels)
        ASSERT_EQ(0x80402010u, p);
    FilterRecord empty = FilterRecord();
    budget = 1000;
    EXPECT_FALSE(RunFilter(empty, &canvas, &budget));
}

// A displacement map moves its input in the input's own colour space: a dark
// sRGB grey does not go through linearRGB and back (which would give 0x0D).
TEST(FilterChain, DisplacementKeepsItsInputsColourSpace) {
    FilterRecord f = FilterRecord();
    f.width = f.height = 4;
    FilterPrimitive move = Primitive(PrimitiveDisplacement, FilterInputSourceGraphic, 0, 0, 4, 4);
    move.in2 = FilterInputSourceGraphic;
    move.linear = 1;
    move.xChannel = move.yChannel = 3;
    f.primitives = {move};
    std::vector<uint32_t> pixels(64, 0xFF101010u);
    FilterCanvas canvas = Canvas(&pixels);
    size_t budget = 1000;
    ASSERT_TRUE(RunFilter(f, &canvas, &budget));
    EXPECT_EQ(0xFF101010u, pixels[8 * 2 + 4]);
}

// An offset moves by whole pixels, its fraction dropped (1.5 pixels each
// way move one), as feTile's pictures line up.
TEST(FilterChain, OffsetsDropTheirFraction) {
    FilterRecord f = FilterRecord();
    f.width = f.height = 4;
    FilterPrimitive offset = Primitive(PrimitiveOffset, FilterInputSourceGraphic, 0, 0, 4, 4);
    offset.dx = 0.75f, offset.dy = -0.75f;
    f.primitives = {offset};
    std::vector<uint32_t> pixels(64, 0);
    pixels[8 * 2 + 3] = 0xFF0000FFu;
    FilterCanvas canvas = Canvas(&pixels);
    size_t budget = 1000;
    ASSERT_TRUE(RunFilter(f, &canvas, &budget));
    EXPECT_EQ(0xFF0000FFu, pixels[8 * 1 + 4]);
    EXPECT_EQ(0u, pixels[8 * 2 + 3]);
    EXPECT_EQ(0u, pixels[8 * 0 + 5]);
}

// An image primitive shows its picture within its subregion; without one it
// is transparent.
TEST(FilterChain, ImagesShowTheirPictureInTheirSubregion) {
    FilterRecord f = FilterRecord();
    f.width = f.height = 4;
    FilterPrimitive image = Primitive(PrimitiveImage, FilterInputSourceGraphic, 0, 0, 2, 4);
    FilterPrimitive none = Primitive(PrimitiveImage, FilterInputSourceGraphic, 0, 0, 4, 4);
    FilterPrimitive over = Primitive(PrimitiveComposite, 0, 0, 0, 4, 4);
    over.in2 = 1;
    f.primitives = {image, none, over};
    std::vector<uint32_t> pixels(64, 0xFF0000FFu), picture(64, 0xFF101010u);
    const uint32_t* images[3] = {picture.data(), nullptr, nullptr};
    FilterCanvas canvas = Canvas(&pixels);
    canvas.images = images;
    size_t budget = 1000;
    ASSERT_TRUE(RunFilter(f, &canvas, &budget));
    EXPECT_EQ(0xFF101010u, pixels[8 * 3 + 4]);
    EXPECT_EQ(0u, pixels[8 * 3 + 5]); // past the subregion (pixels 1..4)
}

// Stitched noise fits its tiles to the subregion's pixels, where it is
// drawn, not to the subregion's size in user units.
TEST(FilterChain, StitchedNoiseTilesAreTheSubregionsPixels) {
    FilterRecord f = FilterRecord();
    f.width = f.height = 4;
    // User (0, 0)..(3, 3) is pixels (1, 0)..(7, 6).
    FilterPrimitive noise = Primitive(PrimitiveTurbulence, FilterInputSourceGraphic, 0, 0, 3, 3);
    noise.baseFrequencyX = noise.baseFrequencyY = 0.2f;
    noise.octaves = 2;
    noise.mode = 1;
    noise.stitch = 1;
    f.primitives = {noise};
    std::vector<uint32_t> pixels(64, 0);
    FilterCanvas canvas = Canvas(&pixels);
    size_t budget = 1000;
    ASSERT_TRUE(RunFilter(f, &canvas, &budget));
    const double frequency = 0.2f; // fitted to 6 pixels: 1/6; to 3 units: 1/3
    const TurbulenceParams tiles[2] = {{frequency, frequency, 2, 0, 1, 1, 1, 0, 6, 6},
                                       {frequency, frequency, 2, 0, 1, 1, 0, 0, 3, 3}};
    std::vector<uint32_t> inPixels(64, 0), inUserUnits(64, 0);
    const FilterRect area = {1, 0, 7, 6};
    ASSERT_TRUE(TurbulencePixels(inPixels.data(), 8, 8, area, canvas.device, tiles[0]));
    ASSERT_TRUE(TurbulencePixels(inUserUnits.data(), 8, 8, area, canvas.device, tiles[1]));
    EXPECT_EQ(inPixels, pixels);
    EXPECT_NE(inUserUnits, pixels);
}

// A convolution wraps at its subregion's edges, not at the canvas's.
TEST(FilterChain, ConvolutionsWrapAtTheSubregion) {
    FilterRecord f = FilterRecord();
    f.width = f.height = 3; // pixels 1..6 across, 0..5 down
    FilterPrimitive shift = Primitive(PrimitiveConvolve, FilterInputSourceGraphic, 0, 0, 3, 3);
    shift.orderX = 3, shift.orderY = 1, shift.targetX = 1;
    shift.values = {0, 0, 1}; // turned round: each pixel takes the one on its left
    shift.divisor = 1;
    shift.mode = EdgeWrap;
    f.primitives = {shift};
    std::vector<uint32_t> pixels(64, 0);
    pixels[8 * 2 + 6] = 0xFF0000FFu; // the last column of the subregion
    FilterCanvas canvas = Canvas(&pixels);
    size_t budget = 1000;
    ASSERT_TRUE(RunFilter(f, &canvas, &budget));
    EXPECT_EQ(0xFF0000FFu, pixels[8 * 2 + 1]);
    EXPECT_EQ(0u, pixels[8 * 2 + 6]);
}
