// Filters as the walker resolves them: regions, subregions, units, inputs
// and href inheritance into records, and what a filter that cannot be used
// does to its element.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "svg/records/images.h"
#include "svg/records/not_drawn.h"
#include "svg/records/offscreen_groups.h"
#include "svg/values/filter_functions.h"
#include "svg_files.h"

namespace {

class FiltersTest : public GraphicsTest {};

std::string Svg(const std::string& content) {
    return "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 200 100'>" + content + "</svg>";
}

// The filter of the record's innermost group, or null.
const FilterRecord* FilterOfRecord(const LoadedSvg& svg, int record) {
    const OffscreenGroup* group = OffscreenGroupOf(&svg.document, svg[record].group);
    return group ? FilterRecordOf(&svg.document, group->filter) : nullptr;
}

TEST_F(FiltersTest, RegionsSubregionsAndInputsResolveInUserSpace) {
    LoadedSvg svg;
    ASSERT_EQ(
        1, svg.Load(Svg("<filter id='base' primitiveUnits='objectBoundingBox' y='0' height='50%'>"
                        "<feGaussianBlur stdDeviation='0.1 0.5' result='b'/>"
                        "<feOffset in='SourceAlpha' dx='0.5' result='o' x='0.5' width='0.25'/>"
                        "<feComposite in='b' in2='nothing' operator='arithmetic' k2='2'/>"
                        "<feMerge><feMergeNode in='o'/><feMergeNode/></feMerge></filter>"
                        "<filter id='user' href='#base' filterUnits='userSpaceOnUse' x='10%'>"
                        "<feFlood flood-color='red' flood-opacity='0.5' in='BackgroundImage'/>"
                        "</filter><filter id='inherits' href='#base' x='-1'/>"
                        "<rect x='20' y='10' width='40' height='20' filter='url(#inherits)'/>"
                        "<rect width='9' height='9' filter='url(#user)' transform='scale(2)'/>")));
    ASSERT_EQ(2, svg.Count());
    const FilterRecord* box = FilterOfRecord(svg, 0);
    ASSERT_NE(nullptr, box);
    // x from the filter itself, y and height from the one it refers to; the
    // width is the default 120 %, all of the box.
    EXPECT_FLOAT_EQ(20 - 40, box->x);
    EXPECT_FLOAT_EQ(10, box->y);
    EXPECT_FLOAT_EQ(48, box->width);
    EXPECT_FLOAT_EQ(10, box->height);
    ASSERT_EQ(4u, box->primitives.size());
    const FilterPrimitive& blur = box->primitives[0];
    EXPECT_FLOAT_EQ(4, blur.deviationX); // fractions of the box
    EXPECT_FLOAT_EQ(10, blur.deviationY);
    EXPECT_EQ(FilterInputSourceGraphic, blur.in1);
    EXPECT_FLOAT_EQ(box->x, blur.x); // no subregion of its own: the region
    const FilterPrimitive& offset = box->primitives[1];
    EXPECT_EQ(FilterInputSourceAlpha, offset.in1);
    EXPECT_FLOAT_EQ(20, offset.dx);
    EXPECT_FLOAT_EQ(40, offset.x); // given in part: the rest is the box's
    EXPECT_FLOAT_EQ(10, offset.width);
    EXPECT_FLOAT_EQ(10, offset.y);
    EXPECT_FLOAT_EQ(20, offset.height);
    const FilterPrimitive& composite = box->primitives[2];
    EXPECT_EQ(0, composite.in1);
    EXPECT_EQ(1, composite.in2); // a name never given: the previous result
    EXPECT_EQ(CompositeArithmetic, composite.mode);
    EXPECT_FLOAT_EQ(2, composite.k[1]);
    EXPECT_EQ(1, composite.linear);
    EXPECT_EQ((std::vector<int>{1, 2}), box->primitives[3].inputs);
    const FilterRecord* user = FilterOfRecord(svg, 1);
    ASSERT_NE(nullptr, user);
    EXPECT_FLOAT_EQ(20, user->x); // 10 % of the viewport
    EXPECT_FLOAT_EQ(0, user->y);
    EXPECT_FLOAT_EQ(2, user->matrix.a);
    ASSERT_EQ(1u, user->primitives.size()); // its own primitives, not those referred to
    EXPECT_EQ(0x80FF0000u, user->primitives[0].colour);
    EXPECT_EQ(FilterInputSourceGraphic, user->primitives[0].in1);
    // The background is not drawn: the element's own picture stands in.
    EXPECT_EQ(L"not drawn: filter effects (1)", NotDrawnReport(&svg.document));
}

TEST_F(FiltersTest, FiltersThatCannotBeUsedHideOrLeaveTheElement) {
    struct Case {
        const char* content;
        bool drawn;    // the element shows at all
        bool filtered; // through a filter record
    } cases[] = {
        {"<rect width='9' height='9' filter='url(#missing)'/>", false, false},
        {"<rect id='r' width='9' height='9' filter='url(#r)'/>", false, false},
        {"<filter id='f' width='0'><feFlood/></filter>"
         "<rect width='9' height='9' filter='url(#f)'/>",
         false, false},
        {"<filter id='f'><feFlood height='-1'/></filter><rect width='9' height='9' "
         "filter='url(#f)'/>",
         false, false},
        {"<filter id='f'/><rect width='9' height='9' filter='url(#f)'/>", false, false},
        // No box to measure the region in.
        {"<filter id='f'><feFlood/></filter><line y2='9' stroke='red' filter='url(#f)'/>", false,
         false},
        // A primitive not drawn (an feImage of the filtered element itself)
        // leaves the element unfiltered.
        {"<filter id='f'><feImage href='#r'/></filter>"
         "<rect id='r' width='9' height='9' filter='url(#f)'/>",
         true, false},
        // An feImage of a file that cannot be read draws nothing.
        {"<filter id='f'><feImage href='missing.png'/></filter>"
         "<rect width='9' height='9' filter='url(#f)'/>",
         true, true},
        // In user units an empty group still floods.
        {"<filter id='f' filterUnits='userSpaceOnUse'><feFlood/></filter>"
         "<g filter='url(#f)'/>",
         true, true},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.content;
        ASSERT_EQ(1, svg.Count()) << c.content;
        // A hidden shape's group may fold into it, fading it out; a filtered
        // group's record may be an empty stand-in.
        const OffscreenGroup* group = OffscreenGroupOf(&svg.document, svg[0].group);
        const uint32_t paint = svg[0].hasFill ? svg[0].fillColor : svg[0].strokeColor;
        const bool shows =
            (!group || group->opacity > 0) && ((group && group->filter) || (paint >> 24) > 0);
        EXPECT_EQ(c.drawn, shows) << c.content;
        EXPECT_EQ(c.filtered, FilterOfRecord(svg, 0) != nullptr) << c.content;
    }
}

// A filter on the root filters all that is drawn, groups of its own
// included; its region is measured on the whole drawing.
TEST_F(FiltersTest, FilterOnTheRootTakesInEverything) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 200 100' "
                          "filter='url(#f)'><filter id='f'><feGaussianBlur stdDeviation='2'/>"
                          "</filter><rect width='10' height='10'/>"
                          "<rect x='20' width='10' height='10' filter='url(#f)'/></svg>"));
    ASSERT_EQ(2, svg.Count());
    const FilterRecord* root = FilterOfRecord(svg, 0);
    ASSERT_NE(nullptr, root);
    EXPECT_FLOAT_EQ(-3, root->x); // 10 % of the 30 across both rectangles
    EXPECT_FLOAT_EQ(36, root->width);
    const OffscreenGroup* own = OffscreenGroupOf(&svg.document, svg[1].group);
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(svg[0].group, own->parent);
}

// In bounding-box units a primitive that gives part of its subregion takes
// the rest from the box, a flood too; turbulence keeps the region's.
TEST_F(FiltersTest, PartOfASubregionInBoxUnitsComesFromTheBox) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<filter id='f' primitiveUnits='objectBoundingBox'>"
                              "<feFlood width='0.5'/><feTurbulence width='0.5'/></filter>"
                              "<rect x='20' y='20' width='80' height='80' filter='url(#f)'/>")));
    const FilterRecord* f = FilterOfRecord(svg, 0);
    ASSERT_NE(nullptr, f);
    EXPECT_FLOAT_EQ(20, f->primitives[0].x);
    EXPECT_FLOAT_EQ(40, f->primitives[0].width);
    EXPECT_FLOAT_EQ(80, f->primitives[0].height);
    EXPECT_FLOAT_EQ(12, f->primitives[1].x);
    EXPECT_FLOAT_EQ(96, f->primitives[1].height);
}

// An feImage of an element draws it as a use would, in the filtered
// element's space moved to its subregion's corner; an element whose own
// filter would draw it again inside itself is drawn there unfiltered.
TEST_F(FiltersTest, ImagesOfElementsAreWalkedIntoRecordsOfTheirOwn) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<filter id='f' x='0' y='0'><feImage href='#g'/></filter>"
                              "<defs><rect id='g' x='5' width='10' height='10' "
                              "filter='url(#f)'/></defs>"
                              "<rect x='20' y='30' width='40' height='40' filter='url(#f)' "
                              "transform='translate(1 2)'/>")));
    ASSERT_EQ(1, svg.Count());
    const FilterRecord* f = FilterOfRecord(svg, 0);
    ASSERT_NE(nullptr, f);
    const FilterImage* image = FilterImageOf(&svg.document, f->primitives[0].image);
    ASSERT_NE(nullptr, image);
    ASSERT_EQ(1, image->content.count);
    const ShapeRecord& drawn = image->content.shapes[0];
    EXPECT_FLOAT_EQ(21, drawn.matrix.e);
    EXPECT_FLOAT_EQ(32, drawn.matrix.f);
    EXPECT_EQ(0, drawn.group);
    // An element filtered on its own adds groups while the outer filter is
    // built: the outer group still gets its filter.
    LoadedSvg nested;
    ASSERT_EQ(1, nested.Load(Svg("<filter id='f'><feImage href='#g'/></filter>"
                                 "<filter id='h'><feOffset dx='1'/></filter><defs>"
                                 "<rect id='g' width='10' height='10' filter='url(#h)'/></defs>"
                                 "<rect width='40' height='40' filter='url(#f)'/>")));
    const FilterRecord* outer = FilterOfRecord(nested, 0);
    ASSERT_NE(nullptr, outer);
    const FilterImage* inner = FilterImageOf(&nested.document, outer->primitives[0].image);
    ASSERT_NE(nullptr, inner);
    ASSERT_EQ(1, inner->content.count);
    EXPECT_NE(nullptr, FilterOfRecord(nested, 0));
    EXPECT_NE(0, inner->content.shapes[0].group);
}

// An feImage of a file or data: URI draws it as the image element would,
// placed in the subregion as its preserveAspectRatio says.
TEST_F(FiltersTest, ImagesOfFilesFillTheirSubregion) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<filter id='f' x='0' y='0' width='1' height='1'><feImage "
                              "href='data:image/svg+xml,%3Csvg xmlns=%22http://www.w3.org/2000/"
                              "svg%22 width=%2210%22 height=%2220%22/%3E'/></filter>"
                              "<rect width='40' height='40' filter='url(#f)'/>")));
    const FilterRecord* f = FilterOfRecord(svg, 0);
    ASSERT_NE(nullptr, f);
    const FilterImage* image = FilterImageOf(&svg.document, f->primitives[0].image);
    ASSERT_NE(nullptr, image);
    ASSERT_EQ(1, image->content.count);
    const DocumentImage* drawn = DocumentImageOf(&svg.document, image->content.shapes[0].image);
    ASSERT_NE(nullptr, drawn);
    EXPECT_FLOAT_EQ(2, drawn->place.a); // 10 x 20 met in 40 x 40, centred across
    EXPECT_FLOAT_EQ(10, drawn->place.e);
    EXPECT_FLOAT_EQ(0, drawn->place.f);
}

// A displacement map's scale is in primitive units (in the box's, per
// axis); its channels are R, G, B or A as written, alpha otherwise.
TEST_F(FiltersTest, DisplacementScaleAndChannels) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<filter id='f' primitiveUnits='objectBoundingBox'>"
                              "<feDisplacementMap in2='SourceAlpha' scale='0.5' "
                              "xChannelSelector='G' yChannelSelector='g'/></filter>"
                              "<rect width='40' height='20' filter='url(#f)'/>")));
    const FilterRecord* f = FilterOfRecord(svg, 0);
    ASSERT_NE(nullptr, f);
    const FilterPrimitive& p = f->primitives[0];
    EXPECT_EQ(PrimitiveDisplacement, p.kind);
    EXPECT_EQ(FilterInputSourceAlpha, p.in2);
    EXPECT_FLOAT_EQ(20, p.dx);
    EXPECT_FLOAT_EQ(10, p.dy);
    EXPECT_EQ(1, p.xChannel);
    EXPECT_EQ(3, p.yChannel);
}

// Inputs that are not drawn read the element's own picture, colours and all.
TEST_F(FiltersTest, BackgroundAndPaintInputsReadTheSourceGraphic) {
    const struct {
        const char* name;
        int input;
    } cases[] = {{"BackgroundImage", FilterInputSourceGraphic},
                 {"BackgroundAlpha", FilterInputSourceGraphic},
                 {"StrokePaint", FilterInputSourceGraphic},
                 {"SourceAlpha", FilterInputSourceAlpha}};
    for (const auto& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(std::string("<filter id='f'><feOffset in='") + c.name +
                                  "'/></filter><rect width='40' height='20' filter='url(#f)'/>")));
        const FilterRecord* f = FilterOfRecord(svg, 0);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ(c.input, f->primitives[0].in1) << c.name;
    }
}

// A spot light's focus: as given, 1 when absent, and 1 for a negative one
// (in error; a power of -10 would flood the picture with light).
TEST_F(FiltersTest, NegativeSpotLightFocusIsTheDefault) {
    const struct {
        const char* attribute;
        float exponent;
    } cases[] = {{"", 1}, {"specularExponent='0.5'", 0.5f}, {"specularExponent='-10'", 1}};
    for (const auto& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(std::string("<filter id='f'><feDiffuseLighting><feSpotLight ") +
                                  c.attribute +
                                  "/></feDiffuseLighting></filter>"
                                  "<rect width='40' height='20' filter='url(#f)'/>")));
        const FilterRecord* f = FilterOfRecord(svg, 0);
        ASSERT_NE(nullptr, f);
        EXPECT_EQ(LightSpot, f->primitives[0].light.kind) << c.attribute;
        EXPECT_FLOAT_EQ(c.exponent, f->primitives[0].light.spotExponent) << c.attribute;
    }
}

// In a list, a referenced filter is a step of its own: it reads the result
// before it (its SourceAlpha that result's alpha) and is cut to its own
// region. A reference to nothing is passed over.
TEST_F(FiltersTest, ReferencesInFunctionListsAreSteps) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<filter id='a' x='0' y='0' width='1' height='1'>"
                              "<feOffset in='SourceAlpha' dx='1' x='0' width='100'/><feMerge>"
                              "<feMergeNode/><feMergeNode in='SourceGraphic'/></feMerge></filter>"
                              "<rect x='10' y='10' width='20' height='20' "
                              "filter='invert() url(#missing) url(#a)'/>")));
    const FilterRecord* f = FilterOfRecord(svg, 0);
    ASSERT_NE(nullptr, f);
    ASSERT_EQ(4u, f->primitives.size()); // invert, the alpha of its result, offset, merge
    EXPECT_EQ(PrimitiveComponentTransfer, f->primitives[0].kind);
    EXPECT_EQ(0, f->primitives[1].in1);
    EXPECT_EQ(1, f->primitives[2].in1);
    EXPECT_EQ((std::vector<int>{2, 0}), f->primitives[3].inputs);
    EXPECT_FLOAT_EQ(10, f->primitives[2].x);
    EXPECT_FLOAT_EQ(20, f->primitives[2].width);
    EXPECT_FLOAT_EQ(10, f->x);
    EXPECT_FLOAT_EQ(20, f->width);
}

// The clip of a filtered element cuts the filter's result, so it moves
// from the records to the group; the group's bounds are the filter region,
// and an enclosing group's bounds take them in.
TEST_F(FiltersTest, ClipMovesToTheGroupAndRegionsWidenBounds) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<clipPath id='c'><rect width='5' height='5'/></clipPath>"
                              "<filter id='f'><feOffset dx='50'/></filter>"
                              "<g opacity='0.5'><rect width='10' height='10' fill='red' "
                              "stroke='blue' clip-path='url(#c)' filter='url(#f)'/>"
                              "<rect width='1' height='1'/></g>")));
    ASSERT_EQ(2, svg.Count());
    EXPECT_EQ(0, svg[0].clip);
    const OffscreenGroup* filtered = OffscreenGroupOf(&svg.document, svg[0].group);
    ASSERT_NE(nullptr, filtered);
    EXPECT_NE(0, filtered->clip);
    const OffscreenGroup* outer = OffscreenGroupOf(&svg.document, filtered->parent);
    ASSERT_NE(nullptr, outer);
    EXPECT_FLOAT_EQ(-1, filtered->bounds.minX); // -10 % of the fill's box, not the stroke's
    EXPECT_FLOAT_EQ(11, filtered->bounds.maxY);
    EXPECT_LE(outer->bounds.minX, -1.0f);
    EXPECT_GE(outer->bounds.maxX, 11.0f);
}

} // namespace

namespace {

TEST(FilterFunctions, ListsReadOrAreRefusedWhole) {
    const LengthBasis basis = {10, 200, 100};
    struct Case {
        const char* text;
        bool valid;
        int count;
        float amount, deviation, dx; // of the last function
    } cases[] = {
        {"blur(4)", true, 1, 0, 4, 0},
        {"blur(1em)", true, 1, 0, 10, 0},
        {"blur()", true, 1, 0, 0, 0},
        {"blur(-5)", false, 0, 0, 0, 0},
        {"blur(50%)", false, 0, 0, 0, 0},
        {"blur(4 2)", false, 0, 0, 0, 0},
        {"brightness(50%) contrast(2)", true, 2, 2, 0, 0},
        {"grayscale(250%)", true, 1, 1, 0, 0}, // past 100 %: 100 %
        {"saturate(250%)", true, 1, 2.5f, 0, 0},
        {"opacity(-1)", false, 0, 0, 0, 0},
        {"hue-rotate(0.25turn)", true, 1, 90, 0, 0},
        {"hue-rotate(100grad)", true, 1, 90, 0, 0},
        {"hue-rotate(45)", false, 0, 0, 0, 0}, // an angle needs its unit
        {"hue-rotate(0)", true, 1, 0, 0, 0},
        {"drop-shadow(4 5 6 blue)", true, 1, 0, 6, 4},
        {"drop-shadow(rgb(0, 0, 255) 4 5)", true, 1, 0, 0, 4},
        {"drop-shadow(red, 10, 15)", false, 0, 0, 0, 0},
        {"drop-shadow(4)", false, 0, 0, 0, 0},
        {"drop-shadow(blue 4 5 6 7)", false, 0, 0, 0, 0},
        {"drop-shadow(4 blue 5)", false, 0, 0, 0, 0},
        {"grayscale() hue-rotate(random)", false, 0, 0, 0, 0},
        {"grayscale() url(#f)", true, 2, 0, 0, 0},
        {"sepia(1", false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<FilterFunction> list;
        const std::wstring text(c.text, c.text + std::strlen(c.text));
        ASSERT_EQ(c.valid, ParseFilterFunctions(text, basis, &list)) << c.text;
        if (!c.valid)
            continue;
        ASSERT_EQ(static_cast<size_t>(c.count), list.size()) << c.text;
        EXPECT_NEAR(c.amount, list.back().amount, 1e-4) << c.text;
        EXPECT_FLOAT_EQ(c.deviation, list.back().deviation) << c.text;
        EXPECT_FLOAT_EQ(c.dx, list.back().dx) << c.text;
    }
}

// Functions in sRGB, chained, over a region grown by what they reach; a
// shadow without a colour takes currentColor.
TEST_F(FiltersTest, FunctionListsBecomeChainedPrimitives) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<rect x='10' y='10' width='20' height='20' color='lime' "
                              "filter='drop-shadow(2 3 1) invert()'/>")));
    ASSERT_EQ(1, svg.Count());
    const FilterRecord* f = FilterOfRecord(svg, 0);
    ASSERT_NE(nullptr, f);
    EXPECT_FLOAT_EQ(10 - 6, f->x); // 3 x 1 + 3
    EXPECT_FLOAT_EQ(20 + 12, f->width);
    ASSERT_EQ(2u, f->primitives.size());
    EXPECT_EQ(PrimitiveDropShadow, f->primitives[0].kind);
    EXPECT_EQ(0xFF00FF00u, f->primitives[0].colour);
    EXPECT_EQ(FilterInputSourceGraphic, f->primitives[0].in1);
    EXPECT_EQ(0, f->primitives[1].in1);
    EXPECT_EQ(0, f->primitives[1].linear);
    EXPECT_EQ((std::vector<float>{1, 0}), f->primitives[1].transfer[0].table);
    EXPECT_EQ(TransferIdentity, f->primitives[1].transfer[3].kind);
}

} // namespace

namespace {

// A convolution in error draws nothing; a valid one keeps its kernel.
TEST_F(FiltersTest, ConvolutionsInErrorBecomeTransparent) {
    struct Case {
        const char* attributes;
        int kind;
        int targetX;
        float divisor;
    } cases[] = {
        {"kernelMatrix='1 1 1 1 1 1 1 1 2'", PrimitiveConvolve, 1, 10},
        {"order='2 1' kernelMatrix='1 -1'", PrimitiveConvolve, 1, 1}, // a zero sum divides by 1
        {"kernelMatrix='.1 .1 .1 .1 .1 .1 .1 .1 -.8'", PrimitiveConvolve, 1, 1}, // 0 in rounding
        {"order='2 1' targetX='0' divisor='4' kernelMatrix='1 1'", PrimitiveConvolve, 0, 4},
        {"kernelMatrix='1 1 1'", PrimitiveTransparent, 0, 0},
        {"order='1.5' kernelMatrix='1'", PrimitiveTransparent, 0, 0},
        {"order='0' kernelMatrix=''", PrimitiveTransparent, 0, 0},
        {"order='33' kernelMatrix='1'", PrimitiveTransparent, 0, 0},
        {"order='1' targetX='1' kernelMatrix='1'", PrimitiveTransparent, 0, 0},
        {"order='1' divisor='0' kernelMatrix='1'", PrimitiveTransparent, 0, 0},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(std::string("<filter id='f'><feConvolveMatrix ") + c.attributes +
                                  "/></filter><rect width='9' height='9' filter='url(#f)'/>")))
            << c.attributes;
        const FilterRecord* f = FilterOfRecord(svg, 0);
        ASSERT_NE(nullptr, f) << c.attributes;
        const FilterPrimitive& p = f->primitives[0];
        EXPECT_EQ(c.kind, p.kind) << c.attributes;
        if (c.kind != PrimitiveConvolve)
            continue;
        EXPECT_EQ(c.targetX, p.targetX) << c.attributes;
        EXPECT_FLOAT_EQ(c.divisor, p.divisor) << c.attributes;
        EXPECT_EQ(EdgeDuplicate, p.mode) << c.attributes;
    }
}

} // namespace
