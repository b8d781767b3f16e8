// Document structure: uses, symbols, nested viewports, preserveAspectRatio,
// clip paths, switches and the count of what is not drawn.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "render/graphics.h"
#include "svg/build/clip_paths.h"
#include "svg/build/conditions.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/records/not_drawn.h"
#include "svg/records/work_budget.h"
#include "svg/values/viewport.h"
#include "svg_files.h"

namespace {

class StructureTest : public GraphicsTest {};

std::wstring WideOf(const char* ascii) {
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

std::string Svg(const std::string& content) {
    return "<svg xmlns:xlink='http://www.w3.org/1999/xlink' viewBox='0 0 100 100'>" + content +
           "</svg>";
}

const ClipRegion& Region(const LoadedSvg& svg, int number) {
    return svg.document.clips->regions.at(number - 1);
}

const ClipShape& RegionShape(const LoadedSvg& svg, int number, int index) {
    return svg.document.clips->shapes.at(Region(svg, number).firstShape + index);
}

TEST_F(StructureTest, UseReferencesResolveOrDrawNothing) {
    const std::string rect = "<rect id='r' width='1' height='1'/>";
    struct Case {
        const char* name;
        std::string content;
        int records;
        float firstE; // translation of the first record
    } cases[] = {
        {"forward", "<use href='#r' x='5'/>" + rect, 2, 5},
        {"backward, xlink", rect + "<use xlink:href='#r' x='7'/>", 2, 0},
        {"href wins over xlink", rect + "<use href='#r' xlink:href='#x' x='3'/>", 2, 0},
        {"nested", "<use href='#g' x='2'/><defs><g id='g'><use href='#r' x='3'/></g></defs>" + rect,
         2, 5},
        {"percent of the viewport", "<use href='#r' x='10%'/>" + rect, 2, 10},
        {"self", "<use id='u' href='#u'/>", 0, 0},
        {"ancestor", "<g id='g'><rect width='1' height='1'/><use href='#g'/></g>", 1, 0},
        {"cycle",
         "<g id='a'><rect width='1' height='1'/><use href='#b'/></g>"
         "<g id='b'><rect width='1' height='1'/><use href='#a'/></g>",
         4, 0},
        {"missing", "<use href='#nothing'/>", 0, 0},
        {"other file", "<use href='other.svg#r'/><defs>" + rect + "</defs>", 0, 0},
        {"symbol in place", "<symbol><rect width='1' height='1'/></symbol>", 0, 0},
        {"clipPath in place", "<clipPath><rect width='1' height='1'/></clipPath>", 0, 0},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.name;
        ASSERT_EQ(c.records, svg.Count()) << c.name;
        if (c.records > 0) {
            EXPECT_FLOAT_EQ(c.firstE, svg[0].matrix.e) << c.name;
        }
    }
}

TEST_F(StructureTest, UseIsAGroupWithTransformThenTranslationAndPassesItsProperties) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<defs><rect id='r' width='1' height='1' stroke='blue'/></defs>"
                              "<use href='#r' transform='scale(2)' x='3' y='4' fill='red' "
                              "stroke='lime'/>")));
    ASSERT_EQ(1, svg.Count());
    EXPECT_EQ(0xFFFF0000u, svg[0].fillColor);   // inherited from the use
    EXPECT_EQ(0xFF0000FFu, svg[0].strokeColor); // the element's own wins
    EXPECT_FLOAT_EQ(2, svg[0].matrix.a);
    EXPECT_FLOAT_EQ(6, svg[0].matrix.e);
    EXPECT_FLOAT_EQ(8, svg[0].matrix.f);
}

// context-fill and context-stroke name the paints of the use whose content
// is drawn (a nested use's own context-fill names the outer use's fill), and
// nothing outside a use.
TEST_F(StructureTest, ContextPaintsAreTheUsesPaints) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<defs><rect id='r' width='1' height='1' fill='context-stroke' "
                              "stroke='context-fill'/></defs>"
                              "<use href='#r' fill='red' stroke='lime'/>"
                              "<use id='inner' href='#r' fill='context-fill' stroke='none'/>"
                              "<use href='#inner' fill='blue'/>"
                              "<rect width='1' height='1' fill='context-fill' stroke='red'/>")));
    ASSERT_EQ(3, svg.Count());
    EXPECT_EQ(0xFF00FF00u, svg[0].fillColor);
    EXPECT_EQ(0xFFFF0000u, svg[0].strokeColor);
    EXPECT_EQ(0, svg[1].hasFill); // through #inner: its stroke is none
    EXPECT_EQ(0xFF0000FFu, svg[1].strokeColor);
    EXPECT_EQ(0, svg[2].hasFill);
}

TEST_F(StructureTest, SymbolThroughUseGetsAViewportClippedToTheUseSize) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<symbol id='s' viewBox='0 0 10 10'><rect width='10' height='10'/>"
                              "</symbol><use href='#s' x='1' width='20' height='40'/>"
                              "<use href='#s'/>")));
    ASSERT_EQ(2, svg.Count());
    const Matrix2D& m = svg[0].matrix;
    EXPECT_FLOAT_EQ(2, m.a);
    EXPECT_FLOAT_EQ(2, m.d);
    EXPECT_FLOAT_EQ(1, m.e);
    EXPECT_FLOAT_EQ(10, m.f); // centred: (40 - 20) / 2
    ASSERT_NE(0, svg[0].clip);
    const ClipShape& viewport = RegionShape(svg, svg[0].clip, 0);
    EXPECT_FLOAT_EQ(1, viewport.matrix.e); // the use's rectangle, in the use's space
    // Without a size the viewport is the whole of the parent's: 100 x 100.
    EXPECT_FLOAT_EQ(10, svg[1].matrix.a);
}

TEST_F(StructureTest, NestedSvgViewports) {
    struct Case {
        const char* attributes;
        int records;
        Matrix2D matrix;
        bool clipped;
    } cases[] = {
        {"x='10' y='20' width='50' height='50'", 1, {1, 0, 0, 1, 10, 20}, true},
        {"x='10%' width='50%' height='20%' viewBox='0 0 10 10'", 1, {2, 0, 0, 2, 25, 0}, true},
        {"width='40' height='20' viewBox='0 0 10 10' preserveAspectRatio='none'",
         1,
         {4, 0, 0, 2, 0, 0},
         true},
        {"width='40' height='20' overflow='visible'", 1, {1, 0, 0, 1, 0, 0}, false},
        {"width='0' height='20'", 0, {}, false},
        {"width='-5' height='20'", 0, {}, false},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(std::string("<svg ") + c.attributes +
                                  "><rect width='1' height='1'/></svg>")))
            << c.attributes;
        ASSERT_EQ(c.records, svg.Count()) << c.attributes;
        if (!c.records)
            continue;
        const Matrix2D& m = svg[0].matrix;
        EXPECT_FLOAT_EQ(c.matrix.a, m.a) << c.attributes;
        EXPECT_FLOAT_EQ(c.matrix.d, m.d) << c.attributes;
        EXPECT_FLOAT_EQ(c.matrix.e, m.e) << c.attributes;
        EXPECT_FLOAT_EQ(c.matrix.f, m.f) << c.attributes;
        EXPECT_EQ(c.clipped, svg[0].clip != 0) << c.attributes;
    }
}

// Lengths that place viewports (nested svg, use, marker) take their units as
// any other length does.
TEST_F(StructureTest, ViewportLengthsHonourUnits) {
    const std::string rect = "<defs><rect id='r' width='1' height='1'/></defs>";
    const std::string symbol = "<symbol id='s' viewBox='0 0 10 10'><rect width='10' height='10'/>"
                               "</symbol>";
    struct Case {
        const char* name;
        std::string content;
        float a, e; // of the last record's matrix
    } cases[] = {
        {"svg size",
         "<svg width='1in' height='0.5in' viewBox='0 0 48 24'><rect width='1' height='1'/></svg>",
         2, 0},
        {"svg x", "<svg x='2.54cm' width='10' height='10'><rect width='1' height='1'/></svg>", 1,
         96},
        {"use x", rect + "<use href='#r' x='72pt'/>", 1, 96},
        {"use size", symbol + "<use href='#s' width='25.4mm' height='25.4mm'/>", 9.6f, 0},
        {"marker size",
         "<marker id='m' markerWidth='2.54cm' markerHeight='1in' viewBox='0 0 48 48' "
         "markerUnits='userSpaceOnUse'><rect width='48' height='48'/></marker>"
         "<path d='M0 0 L10 0' marker-start='url(#m)'/>",
         2, 0},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.name;
        ASSERT_LT(0, svg.Count()) << c.name;
        const Matrix2D& m = svg[svg.Count() - 1].matrix;
        EXPECT_FLOAT_EQ(c.a, m.a) << c.name;
        EXPECT_FLOAT_EQ(c.e, m.e) << c.name;
    }
}

// A clip path's children are hidden by the values that hide any element:
// any case, blanks around them.
TEST_F(StructureTest, HiddenClipPathChildrenAddNothing) {
    struct Case {
        const char* hiding;
        int shapes;
    } cases[] = {
        {"display=' none '", 1},
        {"visibility='Hidden '", 1},
        {"style='visibility: collapse '", 1},
        {"display=' inline'", 2},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(std::string("<clipPath id='c'><rect width='5' height='5'/>"
                                              "<rect width='9' height='9' ") +
                                  c.hiding +
                                  "/></clipPath><rect width='9' height='9' clip-path='url(#c)'/>")))
            << c.hiding;
        ASSERT_EQ(1, svg.Count()) << c.hiding;
        ASSERT_NE(0, svg[0].clip) << c.hiding;
        EXPECT_EQ(c.shapes, Region(svg, svg[0].clip).shapeCount) << c.hiding;
    }
    // visibility passes down from the clip path, and a child may show itself
    // again.
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<clipPath id='c' visibility='hidden'><rect width='5' height='5'/>"
                              "<rect width='9' height='9' visibility='visible'/></clipPath>"
                              "<rect width='9' height='9' clip-path='url(#c)'/>")));
    ASSERT_EQ(1, svg.Count());
    EXPECT_EQ(1, Region(svg, svg[0].clip).shapeCount);
}

TEST(ViewportTest, EveryAlignmentWithMeetSliceAndNone) {
    // A 10 x 20 viewBox into a 40 x 40 viewport: meet scales by 2 (20 x 40,
    // 20 to spare across), slice by 4 (40 x 80, 40 cut down the height).
    const ViewBox box = {0, 0, 10, 20};
    struct Case {
        const char* text;
        float scaleX, scaleY, e, f;
    } cases[] = {
        {"", 2, 2, 10, 0},
        {"xMinYMin", 2, 2, 0, 0},
        {"xMidYMin", 2, 2, 10, 0},
        {"xMaxYMin meet", 2, 2, 20, 0},
        {"xMinYMid", 2, 2, 0, 0},
        {"xMidYMid", 2, 2, 10, 0},
        {"xMaxYMid", 2, 2, 20, 0},
        {"xMinYMax", 2, 2, 0, 0},
        {"xMidYMax", 2, 2, 10, 0},
        {"xMaxYMax", 2, 2, 20, 0},
        {"xMinYMin slice", 4, 4, 0, 0},
        {"xMidYMin slice", 4, 4, 0, 0},
        {"xMinYMid slice", 4, 4, 0, -20},
        {"xMaxYMid slice", 4, 4, 0, -20},
        {"xMidYMax slice", 4, 4, 0, -40},
        {"defer xMaxYMax slice", 4, 4, 0, -40},
        {"none", 4, 2, 0, 0},
        {"none slice", 4, 2, 0, 0},
        {"xmidymid", 2, 2, 10, 0},        // keywords in any case
        {"xMinYMin\tslice", 4, 4, 0, 0},  // separated by any white space
        {"xMinYMin sliced", 2, 2, 10, 0}, // unreadable: the default
        {"bogus", 2, 2, 10, 0},
    };
    for (const Case& c : cases) {
        Matrix2D m = ViewBoxMatrix(box, ParseAspectRatio(WideOf(c.text)), 0, 0, 40, 40);
        EXPECT_FLOAT_EQ(c.scaleX, m.a) << c.text;
        EXPECT_FLOAT_EQ(c.scaleY, m.d) << c.text;
        EXPECT_FLOAT_EQ(c.e, m.e) << c.text;
        EXPECT_FLOAT_EQ(c.f, m.f) << c.text;
    }
    // The viewBox origin lands on the viewport's corner.
    Matrix2D m = ViewBoxMatrix({-5, 10, 10, 10}, AspectRatio(), 3, 4, 20, 20);
    EXPECT_FLOAT_EQ(13, m.e);
    EXPECT_FLOAT_EQ(-16, m.f);
}

TEST_F(StructureTest, ClipPathRegions) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg(
                     "<clipPath id='user' transform='translate(5 0)' clip-rule='evenodd'>"
                     "<rect width='10' height='10' transform='scale(2)'/>"
                     "<circle r='1' clip-rule='nonzero'/><g><rect width='1' height='1'/></g>"
                     "<rect width='1' height='1' display='none'/><text>t</text></clipPath>"
                     "<clipPath id='box' clipPathUnits='objectBoundingBox' clip-path='url(#user)'>"
                     "<rect width='0.5' height='1'/></clipPath>"
                     "<rect id='a' transform='translate(1 2)' x='10' y='20' width='4' height='2' "
                     "clip-path='url(#user)'/>"
                     "<rect id='b' x='10' y='20' width='4' height='2' clip-path='url(#box)'/>"
                     "<rect id='c' width='1' height='1' clip-path='url(#missing)'/>"
                     "<rect id='d' width='1' height='1' clip-path='url(#a)'/>")));
    ASSERT_EQ(4, svg.Count());
    // User space: the element's transform, the clip path's, then the child's.
    int a = svg[0].clip;
    ASSERT_NE(0, a);
    EXPECT_EQ(0, Region(svg, a).parent);
    ASSERT_EQ(2, Region(svg, a).shapeCount); // groups, hidden children and text add nothing
    const ClipShape& first = RegionShape(svg, a, 0);
    EXPECT_FLOAT_EQ(2, first.matrix.a);
    EXPECT_FLOAT_EQ(6, first.matrix.e);
    EXPECT_EQ(GfxFillModeAlternate, GfxGetFillMode(first.path)); // from the clip path
    EXPECT_EQ(GfxFillModeWinding, GfxGetFillMode(RegionShape(svg, a, 1).path));
    // Bounding-box units scale by the element's box; the clip path's own
    // clip-path cuts the region as its parent.
    int b = svg[1].clip;
    ASSERT_NE(0, b);
    const ClipShape& boxed = RegionShape(svg, b, 0);
    EXPECT_FLOAT_EQ(4, boxed.matrix.a);
    EXPECT_FLOAT_EQ(2, boxed.matrix.d);
    EXPECT_FLOAT_EQ(10, boxed.matrix.e);
    EXPECT_FLOAT_EQ(20, boxed.matrix.f);
    ASSERT_NE(0, Region(svg, b).parent);
    EXPECT_EQ(2, Region(svg, Region(svg, b).parent).shapeCount);
    // A reference to nothing, or to something that is no clip path, clips nothing.
    EXPECT_EQ(0, svg[2].clip);
    EXPECT_EQ(0, svg[3].clip);
}

TEST_F(StructureTest, NestedClipsIntersectAndCirclesAreBroken) {
    LoadedSvg svg;
    ASSERT_EQ(1,
              svg.Load(Svg(
                  "<clipPath id='c1'><rect width='50' height='50'/></clipPath>"
                  "<clipPath id='c2' clip-path='url(#c2)'><circle r='5'/></clipPath>"
                  "<clipPath id='c3'><rect width='9' height='9' clip-path='url(#c4)'/></clipPath>"
                  "<clipPath id='c4'><rect width='9' height='9' clip-path='url(#c3)'/></clipPath>"
                  "<clipPath id='bb' clipPathUnits='objectBoundingBox'>"
                  "<rect width='1' height='1'/></clipPath>"
                  "<g clip-path='url(#c1)'><g clip-path='url(#c2)'><rect width='1' height='1'/>"
                  "</g></g><rect width='1' height='1' clip-path='url(#c3)'/>"
                  "<g clip-path='url(#bb)' transform='translate(100 0)'>"
                  "<rect x='2' y='3' width='4' height='5'/><rect x='10' width='1' height='1'/>"
                  "</g>")));
    ASSERT_EQ(4, svg.Count());
    int inner = svg[0].clip;
    ASSERT_NE(0, inner);
    int outer = Region(svg, inner).parent;
    ASSERT_NE(0, outer);
    EXPECT_EQ(0, Region(svg, outer).parent);
    EXPECT_EQ(1, Region(svg, inner).shapeCount); // the self-reference is dropped
    // c3 -> c4 -> (c3 again: dropped): the child of c4 keeps no clip.
    const ClipShape& c3Child = RegionShape(svg, svg[1].clip, 0);
    ASSERT_NE(0, c3Child.clip);
    EXPECT_EQ(0, RegionShape(svg, c3Child.clip, 0).clip);
    // A group's bounding box covers all it draws, in its own space.
    const ClipShape& box = RegionShape(svg, svg[2].clip, 0);
    EXPECT_EQ(svg[2].clip, svg[3].clip);
    EXPECT_FLOAT_EQ(9, box.matrix.a);
    EXPECT_FLOAT_EQ(8, box.matrix.d);
    EXPECT_FLOAT_EQ(102, box.matrix.e);
    EXPECT_FLOAT_EQ(0, box.matrix.f);
}

TEST_F(StructureTest, SwitchDrawsTheFirstChildWhoseConditionsHold) {
    SetUserLanguage(L"de-CH");
    struct Case {
        const char* children;
        const char* drawn; // id of the one record, "" for none
    } cases[] = {
        {"<rect id='a' requiredExtensions='http://example.org/x'/><rect id='b'/><rect id='c'/>",
         "b"},
        {"<rect id='a' requiredFeatures='http://www.w3.org/TR/SVG11/feature#Shape'/><rect id='b'/>",
         "a"},
        {"<rect id='a' systemLanguage='ru'/><rect id='b' systemLanguage='ru, en-GB'/>", "b"},
        {"<rect id='a' systemLanguage='fr'/><rect id='b' systemLanguage='de'/>", "b"},
        {"<rect id='a' systemLanguage='de-CH-1996'/><rect id='b'/>", "a"},
        {"<rect id='a' systemLanguage='eng'/><rect id='b' systemLanguage=''/>", ""},
        {"<!-- c --><g id='g'><rect id='a'/></g><rect id='b'/>", "a"},
        {"<random id='r'/><rect id='a'/>", "a"}, // a name SVG does not define is no choice
    };
    for (const Case& c : cases) {
        std::string children = c.children;
        for (size_t at = children.find("<rect"); at != std::string::npos;
             at = children.find("<rect", at + 1))
            children.insert(at + 5, " width='1' height='1'");
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg("<switch>" + children + "</switch>"))) << c.children;
        if (!*c.drawn) {
            EXPECT_EQ(0, svg.Count()) << c.children;
            continue;
        }
        ASSERT_EQ(1, svg.Count()) << c.children;
        EXPECT_EQ(WideOf(c.drawn), svg[0].id) << c.children;
    }
    SetUserLanguage(L"");
}

TEST_F(StructureTest, WhatIsNotDrawnIsCounted) {
    LoadedSvg svg;
    ASSERT_EQ(
        1, svg.Load(Svg("<pattern id='p'/><text writing-mode='tb'>a</text>"
                        "<text writing-mode='tb'>b</text>"
                        "<filter id='t'><feImage href='#u'/></filter>"
                        "<filter id='b'><feGaussianBlur/></filter>"
                        "<rect id='u' width='1' height='1' filter='url(#t)' mask='url(#m)'/>"
                        "<rect width='1' height='1' filter='url(#b)'/>"
                        "<filter id='w'><feImage href='#v'/></filter>"
                        "<g id='v' style='filter: url(#w) blur(2px)'><image/><foreignObject/></g>"
                        "<rect width='1' height='1' fill='url(#p)' marker-end='url(#m)'>"
                        "<animate/><set/></rect><path d='M0 0' filter='none'/>")));
    // Animation inside a shape is never walked, so it is not counted.
    EXPECT_EQ(L"not drawn: text (2), filter effects (2), markers (1), "
              L"images (1), foreignObject (1)",
              NotDrawnReport(&svg.document));
    ASSERT_EQ(1, svg.Load(Svg("<g><animateTransform/></g><rect width='1' height='1'/>")));
    EXPECT_EQ(L"not drawn: animation (1)", NotDrawnReport(&svg.document));
    // Unknown elements by name; what lies inside one is not counted.
    ASSERT_EQ(1, svg.Load(Svg("<flowRoot><flowRegion/></flowRoot><random><flowRoot/></random>"
                              "<g><flowRoot/></g>")));
    EXPECT_EQ(L"not drawn: unknown elements (flowRoot 2, random 1)", NotDrawnReport(&svg.document));
    ASSERT_EQ(
        1, svg.Load(Svg("<text writing-mode='tb'>b</text><u1/><u2/><u3/><u4/><u5/><u6/><u7/><u8/>"
                        "<u9/><u1/><u10/>")));
    EXPECT_EQ(L"not drawn: text (1), unknown elements (u1 2, u2 1, u3 1, u4 1, u5 1, u6 1, u7 1, "
              L"u8 1, others 2)",
              NotDrawnReport(&svg.document));
    ClearSvgDocument(&svg.document);
    EXPECT_EQ(L"not drawn: nothing", NotDrawnReport(&svg.document));
}

// Ten levels of ten uses each would draw 10^10 rectangles.
TEST_F(StructureTest, NestedUsesStopAtTheExpansionBudget) {
    std::string content = "<defs><rect id='l0' width='1' height='1'/>";
    for (int level = 1; level <= 10; level++) {
        content += "<g id='l" + std::to_string(level) + "'>";
        for (int i = 0; i < 10; i++)
            content += "<use href='#l" + std::to_string(level - 1) + "'/>";
        content += "</g>";
    }
    content += "</defs><use href='#l10'/>";
    auto start = std::chrono::steady_clock::now();
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg(content)));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(svg.Count(), 1000);
    EXPECT_LE(svg.Count(), static_cast<int>(MaxUseExpansion));
    EXPECT_LT(seconds, 30.0); // generous: catches a run-away expansion only
}

// Past the load's work budget (scaled down here to 5 shapes, 40 path points
// and 2 text characters) the rest of the file is not drawn, and no shape or
// text in part. One document loads every case: each load starts with
// nothing spent.
TEST_F(StructureTest, TheLoadStopsAtItsWorkBudget) {
    struct ScaledBudgets {
        ScaledBudgets() { ScaleDownWorkBudgets(100000); }
        ~ScaledBudgets() { ScaleDownWorkBudgets(1); }
    } scaled;
    std::string rects, points;
    for (int i = 0; i < 7; i++)
        rects += "<rect width='1' height='1'/>";
    for (int i = 0; i < 50; i++)
        points += std::to_string(i) + ",1 ";
    const struct Case {
        const char* label;
        std::string content;
        int drawn;
        const wchar_t* report;
    } cases[] = {
        {"seven rects", rects, 5, L"not drawn: elements past the load's work budget (2)"},
        {"a long polyline between rects",
         "<rect width='1' height='1'/><polyline points='" + points +
             "' stroke='red'/><rect width='1' height='1'/>",
         1, L"not drawn: elements past the load's work budget (2)"},
        {"uses of uses",
         "<defs><rect id='r' width='1' height='1'/></defs><g id='a'><use href='#r'/>"
         "<use href='#r'/></g><use href='#a'/><use href='#a'/><use href='#a'/>",
         5, L"not drawn: elements past the load's work budget (2)"},
        // The clip path's shapes spend the budget before the shape it cuts.
        {"a clip path of seven shapes",
         "<clipPath id='c'>" + rects +
             "</clipPath><rect width='1' height='1' clip-path='url(#c)'/>",
         0, L"not drawn: elements past the load's work budget (2)"},
        // A text's characters are counted whole, its tspans' included.
        {"a text of three characters",
         "<text>a<tspan>bc</tspan></text><rect width='1' height='1'/>", 0,
         L"not drawn: elements past the load's work budget (1), text past the load's character "
         L"budget (1)"},
        // Two no-break spaces: characters with no outline, within the points.
        {"a text used twice",
         "<defs><text id='t'>&#160;&#160;</text></defs><use href='#t'/><use href='#t'/>", 1,
         L"not drawn: text past the load's character budget (1)"},
        // Each placed marker's viewport clip is a shape too; the markers past
        // the budget are not placed at all.
        {"eight markers",
         "<marker id='m' markerWidth='2' markerHeight='2'><rect width='1' height='1'/></marker>"
         "<polyline points='0,0 1,0 2,0 3,0 4,0 5,0 6,0 7,0 8,0 9,0' marker-mid='url(#m)'/>",
         3, L"not drawn: elements past the load's work budget (6)"},
    };
    LoadedSvg svg;
    for (const Case& c : cases) {
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.label;
        EXPECT_EQ(c.drawn, svg.Count()) << c.label;
        EXPECT_EQ(c.report, NotDrawnReport(&svg.document)) << c.label;
    }
    EXPECT_EQ(2u, svg.document.clips->regions.size()); // the markers placed
}

// An inherited dash array is one list shared by every shape, not a copy each.
TEST_F(StructureTest, InheritedDashArraysAreShared) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<g stroke='red' stroke-dasharray='1 2 3'><g><line x2='9'/></g>"
                              "<rect width='1' height='1'/></g>")));
    ASSERT_EQ(2, svg.Count());
    ASSERT_TRUE(svg[0].dashes != nullptr);
    EXPECT_EQ(6u, svg[0].dashes->size());
    EXPECT_EQ(svg[0].dashes.get(), svg[1].dashes.get());
}

TEST_F(StructureTest, TheRootsClipPathCutsEverything) {
    struct Case {
        const char* units;
        float scaleX, scaleY; // of the clip's rect: 1, or the records' box
    } cases[] = {{"userSpaceOnUse", 1, 1}, {"objectBoundingBox", 30, 10}};
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(std::string("<svg xmlns='http://www.w3.org/2000/svg' "
                                          "viewBox='0 0 100 100' clip-path='url(#c)'>"
                                          "<clipPath id='c' clipPathUnits='") +
                              c.units +
                              "'><rect width='0.5' height='0.5'/></clipPath>"
                              "<rect width='10' height='10'/>"
                              "<g><rect x='20' width='10' height='10'/></g></svg>"));
        ASSERT_EQ(2, svg.Count()) << c.units;
        ASSERT_NE(0, svg[0].clip) << c.units;
        EXPECT_EQ(svg[0].clip, svg[1].clip) << c.units;
        const ClipShape& shape = RegionShape(svg, svg[0].clip, 0);
        EXPECT_FLOAT_EQ(c.scaleX, shape.matrix.a) << c.units;
        EXPECT_FLOAT_EQ(c.scaleY, shape.matrix.d) << c.units;
    }
}

} // namespace
