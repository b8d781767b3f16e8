// Offscreen groups: which elements the walker draws into bitmaps of their
// own, and the compositing arithmetic the rasterizer applies to their bitmaps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/compositing.h"
#include "svg/records/clips.h"
#include "svg/records/offscreen_groups.h"
#include "svg_files.h"

namespace {

class OffscreenGroupsTest : public GraphicsTest {};

std::string Svg(const std::string& content) {
    return "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 100 100'>" + content + "</svg>";
}

TEST(Compositing, LayerOverTargetWithOpacityAndCoverage) {
    struct Case {
        const char* name;
        uint32_t target, layer;
        float opacity;
        int coverage; // -1: none
        uint32_t expected;
    } cases[] = {
        {"opaque layer replaces", 0xFF0000FFu, 0xFFFF0000u, 1.0f, -1, 0xFFFF0000u},
        {"onto transparent keeps colour", 0x00000000u, 0xFF00FF00u, 0.5f, -1, 0x8000FF00u},
        {"half over opaque blends", 0xFF0000FFu, 0xFFFF0000u, 0.5f, -1, 0xFF80007Fu},
        {"coverage scales alpha", 0x00000000u, 0xFFFFFFFFu, 1.0f, 64, 0x40FFFFFFu},
        {"coverage 0 leaves target", 0xFF123456u, 0xFFFFFFFFu, 1.0f, 0, 0xFF123456u},
        {"opacity 0 leaves target", 0xFF123456u, 0xFFFFFFFFu, 0.0f, -1, 0xFF123456u},
        // Half red over half blue: alpha 1 - 0.5 x 0.5; red weighs 0.5, blue 0.25.
        {"translucent over translucent", 0x800000FFu, 0x80FF0000u, 1.0f, -1, 0xC0AA0055u},
    };
    for (const Case& c : cases) {
        uint32_t target[4] = {0xFF000000u, 0xFF000000u, 0xFF000000u, c.target};
        const uint8_t coverage = static_cast<uint8_t>(c.coverage < 0 ? 0 : c.coverage);
        // The layer's one pixel lands at (1, 1) of a 2 x 2 target.
        CompositeLayer(target, 2, 1, 1, &c.layer, 1, 1, c.opacity,
                       c.coverage < 0 ? nullptr : &coverage);
        EXPECT_EQ(c.expected, target[3]) << c.name;
        EXPECT_EQ(0xFF000000u, target[0]) << c.name;
    }
}

TEST(Compositing, MaskCoverageFromLuminanceOrAlpha) {
    const std::vector<uint32_t> mask = {0xFFFFFFFFu, 0xFF000000u, 0xFFFF0000u, 0xFF00FF00u,
                                        0xFF0000FFu, 0x80FFFFFFu, 0x00FFFFFFu};
    const uint8_t luminance[] = {255, 0, 54, 182, 18, 128, 0};
    const uint8_t alpha[] = {255, 255, 255, 255, 255, 128, 0};
    std::vector<uint8_t> coverage(mask.size());
    MaskCoverage(mask.data(), mask.size(), 1, coverage.data());
    for (size_t i = 0; i < mask.size(); i++)
        EXPECT_EQ(luminance[i], coverage[i]) << i;
    MaskCoverage(mask.data(), mask.size(), 0, coverage.data());
    for (size_t i = 0; i < mask.size(); i++)
        EXPECT_EQ(alpha[i], coverage[i]) << i;
}

TEST_F(OffscreenGroupsTest, OpacityMakesLayersUnlessOnePaintCanFade) {
    struct Case {
        const char* content;
        std::vector<int> groups;     // each record's group
        std::vector<uint32_t> fills; // each record's fill colour
        std::vector<int> parents;    // each used group's parent, by number
    } cases[] = {
        // Two children of a translucent group draw unfaded inside its group.
        {"<g opacity='0.5'><rect width='9' height='9' fill='red'/>"
         "<rect width='9' height='9' fill='blue'/></g>",
         {1, 1},
         {0xFFFF0000u, 0xFF0000FFu},
         {0}},
        // A group holding one shape that only fills folds into the shape.
        {"<g opacity='0.5'><rect width='9' height='9' fill='red'/></g>", {0}, {0x80FF0000u}, {}},
        {"<rect width='9' height='9' fill='red' opacity='0.5'/>", {0}, {0x80FF0000u}, {}},
        // Fill and stroke overlap: the shape is a group of its own.
        {"<rect width='9' height='9' fill='red' stroke='blue' opacity='0.5'/>",
         {1},
         {0xFFFF0000u},
         {0}},
        // Nested groups; the outer one multiplies nothing into its children.
        {"<g opacity='0.5'><g opacity='0.5'><rect width='9' height='9' fill='red'/>"
         "<rect width='9' height='9'/></g><rect width='9' height='9' fill='red'/></g>",
         {2, 2, 1},
         {0xFFFF0000u, 0xFF000000u, 0xFFFF0000u},
         {0, 1}},
        {"<g opacity='1'><rect width='9' height='9' fill='red'/><rect width='9' height='9'/></g>",
         {0, 0},
         {0xFFFF0000u, 0xFF000000u},
         {}},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.content;
        ASSERT_EQ(static_cast<int>(c.groups.size()), svg.Count()) << c.content;
        for (int i = 0; i < svg.Count(); i++) {
            EXPECT_EQ(c.groups[i], svg[i].group) << c.content << " record " << i;
            EXPECT_EQ(c.fills[i], svg[i].fillColor) << c.content << " record " << i;
        }
        for (size_t n = 0; n < c.parents.size(); n++) {
            const OffscreenGroup* group = OffscreenGroupOf(&svg.document, static_cast<int>(n + 1));
            ASSERT_NE(nullptr, group) << c.content;
            EXPECT_EQ(c.parents[n], group->parent) << c.content;
            EXPECT_FLOAT_EQ(0.5f, group->opacity) << c.content;
            EXPECT_TRUE(group->bounds.any && group->used) << c.content;
        }
    }
}

TEST_F(OffscreenGroupsTest, PatternTilesResolveUnitsInheritanceAndSelfReference) {
    LoadedSvg svg;
    ASSERT_EQ(
        1, svg.Load(Svg("<pattern id='a' x='0.25' width='50%' height='0.5'><rect width='1' "
                        "height='1'/></pattern>"
                        "<pattern id='b' href='#a' patternUnits='userSpaceOnUse' x='10%' y='2' "
                        "width='4' patternTransform='scale(2)'/>"
                        "<pattern id='self' width='1' height='1'>"
                        "<rect width='1' height='1' fill='url(#self)'/></pattern>"
                        "<rect x='10' y='20' width='40' height='8' fill='url(#a)'/>"
                        "<rect width='10' height='10' fill='url(#b)' stroke='url(#self) red'/>")));
    ASSERT_EQ(2, svg.Count());
    struct Expected {
        int tile;
        float x, y, width, height, scale;
        int records;
    } tiles[] = {
        {svg[0].fillPattern, 20, 20, 20, 4, 1, 1},  // fractions of the box
        {svg[1].fillPattern, 10, 2, 4, 0.5f, 2, 1}, // user units; height and content inherited
        {svg[1].strokePattern, 0, 0, 10, 10, 1, 1},
    };
    for (const Expected& e : tiles) {
        const PatternTile* tile = PatternTileOf(&svg.document, e.tile);
        ASSERT_NE(nullptr, tile) << e.tile;
        EXPECT_FLOAT_EQ(e.x, tile->x) << e.tile;
        EXPECT_FLOAT_EQ(e.y, tile->y) << e.tile;
        EXPECT_FLOAT_EQ(e.width, tile->width) << e.tile;
        EXPECT_FLOAT_EQ(e.height, tile->height) << e.tile;
        EXPECT_FLOAT_EQ(e.scale, tile->transform.a) << e.tile;
        EXPECT_EQ(e.records, tile->content.count) << e.tile;
    }
    // Inside its own tile the pattern paints nothing.
    EXPECT_EQ(0, PatternTileOf(&svg.document, svg[1].strokePattern)->content.shapes[0].hasFill);
    EXPECT_EQ(0xFFFF0000u, svg[1].strokeColor);
}

// A pattern in box units cannot tile a box without width or height: the
// fallback colour paints, or nothing; one in user units still tiles it.
TEST_F(OffscreenGroupsTest, PatternInBoxUnitsOnAFlatShapeFallsBack) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<pattern id='box' width='1' height='1'><rect width='1' "
                              "height='1'/></pattern>"
                              "<pattern id='user' patternUnits='userSpaceOnUse' width='4' "
                              "height='4'><rect width='1' height='1'/></pattern>"
                              "<g stroke='url(#box) lime'><line x1='5' x2='5' y2='50'/></g>"
                              "<line x1='5' x2='50' stroke='url(#box) lime' fill='url(#box)'/>"
                              "<line x1='5' x2='50' stroke='url(#box)'/>"
                              "<line x1='5' x2='50' stroke='url(#user)'/>")));
    ASSERT_EQ(4, svg.Count());
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(1, svg[i].hasStroke) << i;
        EXPECT_EQ(0, svg[i].strokePattern) << i;
        EXPECT_EQ(0xFF00FF00u, svg[i].strokeColor) << i;
    }
    EXPECT_EQ(0, svg[1].hasFill); // no fallback: nothing
    EXPECT_EQ(0, svg[2].hasStroke);
    EXPECT_NE(0, svg[3].strokePattern);
}

TEST(Compositing, BlendModesMixOnlyWhereBothShow) {
    struct Case {
        const char* name;
        int mode;
        uint32_t target, layer;
        float opacity;
        int coverage; // -1: none
        uint32_t expected;
    } cases[] = {
        {"multiply", BlendMultiply, 0xFFFF0000u, 0xFF808080u, 1.0f, -1, 0xFF800000u},
        {"screen", BlendScreen, 0xFFFF0000u, 0xFF808080u, 1.0f, -1, 0xFFFF8080u},
        {"difference", BlendDifference, 0xFFFF0000u, 0xFF808080u, 1.0f, -1, 0xFF7F8080u},
        {"darken", BlendDarken, 0xFF20C040u, 0xFF808080u, 1.0f, -1, 0xFF208040u},
        {"white multiplies to nothing", BlendMultiply, 0xFF00FF00u, 0x80FFFFFFu, 1.0f, -1,
         0xFF00FF00u},
        {"onto transparent: the layer alone", BlendMultiply, 0, 0x80FFFFFFu, 1.0f, -1, 0x80FFFFFFu},
        {"normal at half opacity", BlendNormal, 0xFFFFFFFFu, 0xFF000000u, 0.5f, -1, 0xFF7F7F7Fu},
        {"coverage 0 leaves target", BlendScreen, 0xFF123456u, 0xFFFFFFFFu, 1.0f, 0, 0xFF123456u},
        {"opacity 0 leaves target", BlendScreen, 0xFF123456u, 0xFFFFFFFFu, 0.0f, -1, 0xFF123456u},
    };
    for (const Case& c : cases) {
        uint32_t target[4] = {0xFF000000u, 0xFF000000u, 0xFF000000u, c.target};
        const uint8_t coverage = static_cast<uint8_t>(c.coverage < 0 ? 0 : c.coverage);
        BlendLayer(target, 2, 1, 1, &c.layer, 1, 1, c.opacity, c.coverage < 0 ? nullptr : &coverage,
                   c.mode);
        EXPECT_EQ(c.expected, target[3]) << c.name;
        EXPECT_EQ(0xFF000000u, target[0]) << c.name;
    }
}

TEST_F(OffscreenGroupsTest, BlendModesAndIsolationDrawThroughAGroupOfTheirOwn) {
    struct Case {
        const char* element;
        int group; // whether the first record lies in a group
        int blend;
    } cases[] = {
        {"<rect width='5' height='5' style='mix-blend-mode:multiply'/>", 1, BlendMultiply},
        {"<rect width='5' height='5' style='mix-blend-mode: Luminosity'/>", 1, BlendLuminosity},
        // CSS only: the attribute of the same name is not read.
        {"<rect width='5' height='5' mix-blend-mode='multiply'/>", 0, 0},
        {"<rect width='5' height='5' style='mix-blend-mode:xor'/>", 0, 0},
        // Isolation keeps the second rect's blending to the first.
        {"<g style='isolation:isolate'><rect width='5' height='5'/>"
         "<rect width='5' height='5' style='mix-blend-mode:screen'/></g>",
         1, BlendNormal},
        {"<g isolation='isolate'><rect width='5' height='5'/><rect width='5' height='5'/></g>", 0,
         0},
        {"<rect width='5' height='5' style='isolation:isolate'/>", 0, 0},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.element)));
        ASSERT_GE(svg.Count(), 1) << c.element;
        const OffscreenGroup* group = OffscreenGroupOf(&svg.document, svg[0].group);
        ASSERT_EQ(c.group, group ? 1 : 0) << c.element;
        if (group) {
            EXPECT_EQ(c.blend, group->blend) << c.element;
            EXPECT_EQ(1, group->used) << c.element;
        }
    }
}

} // namespace

namespace {

// Each user's clip region, mask or fill tile, record by record.
std::vector<int> SharedNumbers(const LoadedSvg& svg, char kind) {
    std::vector<int> numbers;
    for (int i = 0; i < svg.Count(); i++) {
        const OffscreenGroup* group = OffscreenGroupOf(&svg.document, svg[i].group);
        numbers.push_back(kind == 'c'   ? svg[i].clip
                          : kind == 'p' ? svg[i].fillPattern
                                        : (group ? group->mask : 0));
    }
    return numbers;
}

// A clip path, mask or pattern used alike by many elements is built once and
// shared; a use that differs in what the content measures with gets its own.
TEST_F(OffscreenGroupsTest, ContentUsedAlikeIsBuiltOnceAndShared) {
    const std::string three = "<rect width='2' height='2' X/><rect x='5' width='2' height='2' X/>"
                              "<g transform='translate(1 1)'><rect width='2' height='2' X/></g>";
    auto users = [&](const std::string& attribute) {
        std::string text = three;
        for (size_t at; (at = text.find('X')) != std::string::npos;)
            text.replace(at, 1, attribute);
        return text;
    };
    const struct Case {
        const char* label;
        char kind; // c clip region, m mask, p fill tile
        std::string content;
        std::vector<int> numbers;
    } cases[] = {
        {"clip in user units: one per space",
         'c',
         "<clipPath id='c'><rect width='1' height='1'/><rect y='2' width='1' height='1'/>"
         "</clipPath>" +
             users("clip-path='url(#c)'"),
         {1, 1, 2}},
        {"clip in box units: one per box",
         'c',
         "<clipPath id='c' clipPathUnits='objectBoundingBox'><rect width='.5' height='1'/>"
         "</clipPath>" +
             users("clip-path='url(#c)'"),
         {1, 2, 3}},
        {"mask in user units",
         'm',
         "<mask id='m' maskUnits='userSpaceOnUse'><rect width='9' height='9' fill='white'/>"
         "</mask>" +
             users("mask='url(#m)'"),
         {1, 1, 2}},
        {"mask with its default box units",
         'm',
         "<mask id='m'><rect width='9' height='9' fill='white'/></mask>" + users("mask='url(#m)'"),
         {1, 2, 3}},
        {"pattern in user units: the user's space does not matter",
         'p',
         "<pattern id='p' patternUnits='userSpaceOnUse' width='2' height='2'>"
         "<rect width='1' height='1'/></pattern>" +
             users("fill='url(#p)'"),
         {1, 1, 1}},
        {"pattern with box units, boxes alike",
         'p',
         "<pattern id='p' width='.5' height='.5'><rect width='1' height='1'/></pattern>" +
             users("fill='url(#p)'"),
         {1, 2, 1}},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.label;
        EXPECT_EQ(c.numbers, SharedNumbers(svg, c.kind)) << c.label;
    }
}

} // namespace

namespace {

// Clip paths, masks or patterns three levels deep, three to a level, each
// holding three rectangles that use the three of the level below; the top
// one cuts, masks or fills one rectangle.
std::string NestedFanOut(char kind) {
    const char* tag = kind == 'c' ? "clipPath" : kind == 'm' ? "mask" : "pattern";
    const char* unit = kind == 'p' ? " patternUnits='userSpaceOnUse' width='9' height='9'" : "";
    auto user = [&](int level, int k) {
        const std::string url = "url(#n" + std::to_string(level) + "_" + std::to_string(k) + ")";
        return kind == 'c'   ? "clip-path='" + url + "'"
               : kind == 'm' ? "fill='white' mask='" + url + "'"
                             : "fill='" + url + "'";
    };
    std::string text;
    for (int level = 0; level < 4; level++) {
        for (int k = 0; k < 3; k++) {
            text += std::string("<") + tag + " id='n" + std::to_string(level) + "_" +
                    std::to_string(k) + "'" + unit + ">";
            for (int j = 0; j < 3; j++) {
                text += "<rect x='" + std::to_string(j * 3) + "' width='5' height='9'" +
                        (level ? " " + user(level - 1, j) : std::string()) + "/>";
            }
            text += std::string("</") + tag + ">";
        }
    }
    return text + "<rect width='50' height='50' " + user(3, 0) + "/>";
}

size_t BuiltCount(const SvgDocument& document, char kind) {
    if (kind == 'c')
        return document.clips ? document.clips->regions.size() : 0;
    if (!document.groups)
        return 0;
    return kind == 'm' ? document.groups->masks.size() : document.groups->patterns.size();
}

// Content used alike inside other content is built once per depth; content
// whose build refused a reference (a cycle through what was in progress
// around it) stays its user's own, since another user gets it whole.
TEST_F(OffscreenGroupsTest, NestedContentIsSharedUnlessItsBuildRefusedAReference) {
    const struct Case {
        const char* label;
        char kind;
        std::string content;
        size_t built; // unshared: 1 + 3 + 9 + 27
    } cases[] = {
        {"nested clip paths", 'c', NestedFanOut('c'), 10},
        {"nested masks", 'm', NestedFanOut('m'), 10},
        {"nested patterns", 'p', NestedFanOut('p'), 10},
        // x inside a refuses a; x inside b draws a once more (which refuses x).
        {"mask cycle through nested content", 'm',
         "<mask id='a'><rect width='9' height='9' fill='white' mask='url(#x)'/></mask>"
         "<mask id='b'><rect width='9' height='9' fill='white' mask='url(#x)'/></mask>"
         "<mask id='x'><rect width='9' height='9' fill='white' mask='url(#a)'/></mask>"
         "<rect width='9' height='9' mask='url(#a)'/><rect width='9' height='9' mask='url(#b)'/>",
         5},
        {"pattern cycle through nested content", 'p',
         "<pattern id='a' patternUnits='userSpaceOnUse' width='4' height='4'>"
         "<rect width='2' height='2' fill='url(#x)'/></pattern>"
         "<pattern id='b' patternUnits='userSpaceOnUse' width='4' height='4'>"
         "<rect width='2' height='2' fill='url(#x)'/></pattern>"
         "<pattern id='x' patternUnits='userSpaceOnUse' width='4' height='4'>"
         "<rect width='2' height='2' fill='url(#a)'/></pattern>"
         "<rect width='9' height='9' fill='url(#a)'/><rect width='9' height='9' fill='url(#b)'/>",
         5},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.label;
        EXPECT_EQ(c.built, BuiltCount(svg.document, c.kind)) << c.label;
    }
}

} // namespace
