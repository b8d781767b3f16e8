// The element walker through whole files: which elements make records, in
// which order, with which paints, paths and bounds.
#include "svg/build/walker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "path_reader.h"
#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/build/shape_paths.h"
#include "svg/build/shape_records.h"
#include "svg/records/document.h"
#include "svg/style/style.h"
#include "svg_files.h"

namespace {

class WalkerTest : public GraphicsTest {};

std::string Svg(const std::string& content) {
    return "<svg>" + content + "</svg>";
}

TEST_F(WalkerTest, WhichElementsMakeRecords) {
    struct Case {
        const char* content;
        int records;
    } cases[] = {
        {"<rect width='10' height='0'/>", 0},
        {"<rect width='10'/>", 0},
        {"<rect width='-10' height='5'/>", 0},
        {"<rect width='10' height='5'/>", 1},
        {"<circle r='0'/>", 0},
        {"<circle r='2'/>", 1},
        {"<ellipse rx='5'/>", 1}, // a missing, negative or auto radius takes the other
        {"<ellipse rx='-5' ry='2'/>", 1},
        {"<ellipse rx='auto' ry='auto'/>", 0},
        {"<ellipse rx='0'/>", 0},
        {"<ellipse rx='5' ry='1'/>", 1},
        {"<line/>", 1}, // filled black by default, though nothing shows
        {"<polyline points=''/>", 0},
        {"<polygon/>", 0},
        {"<polyline points=' '/>", 1},
        {"<path d=''/>", 0},
        {"<rect width='1' height='1' fill='none'/>", 0},
        {"<rect width='1' height='1' fill='transparent'/>", 0},
        {"<rect width='1' height='1' fill='none' stroke='black' stroke-width='0'/>", 0},
        {"<rect width='1' height='1' fill='none' stroke='black' stroke-width='-1'/>", 0},
        {"<rect width='1' height='1' fill='none' stroke='none'/>", 0},
        {"<rect width='1' height='1' fill='none' stroke='rgba(0,0,0,0)'/>", 0},
        {"<RECT width='1' height='1'/>", 1},
        {"<Rect WIDTH='1' HEIGHT='1'/>", 0}, // attribute names are exact
        // a prefix no declaration binds is not SVG's
        {"<svg:rect width='1' height='1'/>", 0},
        {"<svg:g><rect width='1' height='1'/></svg:g>", 0},
        {"<defs><rect width='1' height='1'/></defs>", 0},
        {"<DEFS><rect width='1' height='1'/></DEFS>", 0},
        {"<title><rect width='1' height='1'/></title>", 0},
        {"<desc><rect width='1' height='1'/></desc>", 0},
        {"<metadata><rect width='1' height='1'/></metadata>", 0},
        {"<style><rect width='1' height='1'/></style>", 0},
        {"<script><rect width='1' height='1'/></script>", 0},
        // drawn only where referenced, never where they stand
        {"<clipPath><rect width='1' height='1'/></clipPath>", 0},
        {"<CLIPPATH><rect width='1' height='1'/></CLIPPATH>", 0},
        {"<mask><rect width='1' height='1'/></mask>", 0},
        {"<pattern><rect width='1' height='1'/></pattern>", 0},
        {"<marker><rect width='1' height='1'/></marker>", 0},
        {"<symbol><rect width='1' height='1'/></symbol>", 0},
        {"<radialGradient><rect width='1' height='1'/></radialGradient>", 0},
        {"<foreignObject><rect width='1' height='1'/></foreignObject>", 0},
        {"<text><rect width='1' height='1'/></text>", 0},
        {"<a><switch><rect width='1' height='1'/></switch></a>", 1},
        // names SVG does not define: neither they nor their content
        {"<flowRoot><flowRegion><rect width='1' height='1'/></flowRegion></flowRoot>", 0},
        {"<random><g><rect width='1' height='1'/></g></random>", 0},
        // SVG's other elements stay groups
        {"<TSPAN><rect width='1' height='1'/></TSPAN>", 1},
        {"<feFlood><rect width='1' height='1'/></feFlood>", 1},
        {"<use href='#r'/>", 0},
        {"<text>Hello <tspan>world</tspan></text>", 2}, // a record per run
        {"<linearGradient><stop offset='0'/></linearGradient>", 0},
        {"<rect width='1' height='1'><rect width='1' height='1'/></rect>", 1}, // no children
        {"text <!-- comment --> <?pi x?><![CDATA[<rect/>]]>", 0},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.content;
        EXPECT_EQ(c.records, svg.Count()) << c.content;
    }
}

TEST_F(WalkerTest, ElementsOfAnotherNamespaceAreNotDrawn) {
    const std::string svgNs = "'http://www.w3.org/2000/svg'";
    const std::string rect = "rect width='1' height='1'";
    struct Case {
        std::string text;
        int records;
    } cases[] = {
        {"<svg xmlns=" + svgNs + "><" + rect + "/></svg>", 1},
        // an editor's private elements, with everything inside them
        {"<svg xmlns=" + svgNs + " xmlns:x='urn:editor'><x:" + rect + "/><x:g><" + rect +
             "/></x:g></svg>",
         0},
        // a prefix bound to SVG's namespace names SVG elements
        {"<svg xmlns:s=" + svgNs + "><s:" + rect + "/></svg>", 1},
        {"<s:svg xmlns:s=" + svgNs + "><s:g><s:" + rect + "/></s:g></s:svg>", 1},
        // a default namespace holds for its element's content only
        {"<svg xmlns=" + svgNs + "><g xmlns='http://www.w3.org/1999/xhtml'><" + rect + "/></g><" +
             rect + "/></svg>",
         1},
        {"<svg><g xmlns=''><" + rect + "/></g></svg>", 0},
        // an inner declaration of a prefix hides the outer one, then ends
        {"<svg xmlns=" + svgNs + " xmlns:a=" + svgNs + "><g xmlns:a='urn:other'><a:" + rect +
             "/></g><a:" + rect + "/></svg>",
         1},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(c.text)) << c.text;
        EXPECT_EQ(c.records, svg.Count()) << c.text;
    }
}

TEST_F(WalkerTest, DisplayAndVisibility) {
    struct Case {
        const char* content;
        const char* ids; // of the records, in order
    } cases[] = {
        {"<g display='none'><rect id='a' width='1' height='1'/></g>", ""},
        {"<g style='display: NONE'><rect id='a' width='1' height='1'/></g>", ""},
        {"<style>.h{display:none}</style><rect class='h' width='1' height='1'/>", ""},
        // display is not inherited, and a child cannot bring itself back
        {"<g display='none'><rect id='a' width='1' height='1' display='inline'/></g>", ""},
        {"<g display='inline'><rect id='a' width='1' height='1'/></g>", "a"},
        // visibility is inherited, and a child may show itself again
        {"<g visibility='hidden'><rect id='a' width='1' height='1'/>"
         "<rect id='b' width='1' height='1' visibility='visible'/></g>",
         "b"},
        {"<rect id='a' width='1' height='1' style='visibility:collapse'/>", ""},
        {"<g visibility='hidden'><rect id='a' width='1' height='1' visibility='inherit'/></g>", ""},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.content;
        std::string ids;
        for (int i = 0; i < svg.Count(); i++)
            ids += Utf8FromWide(svg[i].id);
        EXPECT_EQ(c.ids, ids) << c.content;
    }
}

TEST_F(WalkerTest, PaintsAndOpacitiesOfRecords) {
    LoadedSvg svg;
    ASSERT_EQ(1,
              svg.Load(Svg("<rect id='opacity0' width='1' height='1' fill='red' fill-opacity='0'/>"
                           "<g opacity='0.5'><rect id='quarter' width='1' height='1' fill='red' "
                           "opacity='0.5' stroke='blue' stroke-opacity='0.5'/></g>"
                           "<rect id='strokeOnly' width='1' height='1' fill='none' stroke='black' "
                           "stroke-width='2.5' stroke-linecap='round' stroke-linejoin='bevel' "
                           "stroke-miterlimit='7' fill-rule='evenodd'/>"
                           "<rect id='limit0' width='1' height='1' stroke-miterlimit='0'/>"
                           "<rect id='limitNeg' width='1' height='1' stroke-miterlimit='-3'/>"
                           "<rect id='half' width='1' height='1' fill='rgba(255,0,0,0.5)' "
                           "opacity='0.5'/>")));
    ASSERT_EQ(6, svg.Count());
    // fill-opacity 0 keeps the fill on: the test looks at the colour's own alpha.
    EXPECT_EQ(L"opacity0", svg[0].id);
    EXPECT_EQ(1, svg[0].hasFill);
    EXPECT_EQ(0x00FF0000u, svg[0].fillColor);
    EXPECT_EQ(0, svg[0].hasStroke);
    EXPECT_EQ(0u, svg[0].strokeColor);
    EXPECT_EQ(0.0f, svg[0].strokeWidth);
    // Fill and stroke under opacity: the shape is drawn in an offscreen
    // group of its own (inside the parent's), so its paint keeps its own opacities only.
    EXPECT_EQ(0xFFFF0000u, svg[1].fillColor);
    EXPECT_EQ(0x800000FFu, svg[1].strokeColor);
    EXPECT_EQ(2, svg[1].group);
    EXPECT_FLOAT_EQ(1, svg[1].strokeWidth);
    EXPECT_EQ(1, svg[1].fillRule);
    EXPECT_EQ(GfxFillModeWinding, GfxGetFillMode(svg[1].path));

    const ShapeRecord& stroke = svg[2];
    EXPECT_EQ(0, stroke.hasFill);
    EXPECT_EQ(0u, stroke.fillColor);
    EXPECT_EQ(1, stroke.hasStroke);
    EXPECT_EQ(0xFF000000u, stroke.strokeColor);
    EXPECT_FLOAT_EQ(2.5f, stroke.strokeWidth);
    EXPECT_EQ(2, stroke.lineCap);
    EXPECT_EQ(1, stroke.lineJoin);
    EXPECT_FLOAT_EQ(7, stroke.miterLimit);
    EXPECT_EQ(0, stroke.fillRule);
    EXPECT_EQ(GfxFillModeAlternate, GfxGetFillMode(stroke.path));

    EXPECT_FLOAT_EQ(4, svg[3].miterLimit);
    EXPECT_FLOAT_EQ(4, svg[4].miterLimit);
    // The colour's alpha 128 x 0.5 = 64.
    EXPECT_EQ(0x40FF0000u, svg[5].fillColor);
}

TEST_F(WalkerTest, RecordsFollowDocumentOrder) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<g fill='red'><defs><rect id='hidden' width='1' height='1'/></defs>"
                              "<rect id='a' width='1' height='1'/><circle id=' b ' r='1'/></g>"
                              "<path id='c' d='M0 0 L1 1'/>")));
    ASSERT_EQ(3, svg.Count());
    EXPECT_EQ(L"a", svg[0].id);
    EXPECT_EQ(L" b ", svg[1].id); // as written
    EXPECT_EQ(L"c", svg[2].id);
    EXPECT_EQ(0xFFFF0000u, svg[0].fillColor);
    EXPECT_EQ(0xFFFF0000u, svg[1].fillColor);
    EXPECT_EQ(0xFF000000u, svg[2].fillColor);
}

TEST_F(WalkerTest, RectangleCornerRadii) {
    struct Case {
        const char* attributes;
        int points;             // 4 for a plain rectangle, 0 for lines and arcs, -1 unchecked
        float startX, startY;   // the first point
        float secondX, secondY; // the end of the top edge
    } cases[] = {
        {"width='10' height='10'", 4, 0, 0, 10, 0},
        {"width='10' height='10' rx='0' ry='0'", 4, 0, 0, 10, 0},
        {"width='10' height='10' rx='2'", 0, 2, 0, 8, 0},
        {"width='10' height='10' ry='2'", 0, 2, 0, 8, 0},
        {"width='10' height='10' rx='8'", 0, 5, 0, 5, 0}, // clamped to half the width
        {"width='10' height='10' rx='1' ry='9'", 0, 1, 0, 9, 0},
        {"width='10' height='100' ry='20'", 0, 5, 0, 5, 0}, // copied, then clamped
        {"width='10' height='10' rx='0' ry='2'", 4, 0, 0, 10, 0},
        // a negative radius is not given: the other one holds for both
        {"width='10' height='10' rx='-2' ry='3'", 0, 3, 0, 7, 0},
        {"x='1' y='2' width='10' height='10' rx='-2'", 4, 1, 2, 11, 2},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(std::string("<rect ") + c.attributes + "/>"))) << c.attributes;
        ASSERT_EQ(1, svg.Count()) << c.attributes;
        PathContents path = ReadPath(svg[0].path);
        ASSERT_GE(path.points.size(), 4u) << c.attributes;
        if (c.points > 0) {
            EXPECT_EQ(static_cast<size_t>(c.points), path.points.size()) << c.attributes;
        } else if (c.points == 0) { // lines and four arcs
            EXPECT_GT(path.points.size(), 12u) << c.attributes;
        }
        EXPECT_FLOAT_EQ(c.startX, path.points[0].x) << c.attributes;
        EXPECT_FLOAT_EQ(c.startY, path.points[0].y) << c.attributes;
        EXPECT_FLOAT_EQ(c.secondX, path.points[1].x) << c.attributes;
        EXPECT_FLOAT_EQ(c.secondY, path.points[1].y) << c.attributes;
        EXPECT_EQ(GfxPointTypeCloseSubpath, path.types.back() & GfxPointTypeCloseSubpath);
    }
}

// Geometry in units and percentages of the viewport (200 x 100, so the
// normalised diagonal is sqrt(25000) = 158.114).
TEST_F(WalkerTest, GeometryLengthsWithUnits) {
    struct Case {
        const char* element;
        GfxRectF bounds;
    } cases[] = {
        {"<rect x='1in' y='10%' width='50%' height='1em'/>", {96, 10, 100, 12}},
        {"<rect width='2em' height='1ex' font-size='10'/>", {0, 0, 20, 5}},
        {"<circle cx='50%' cy='50%' r='10%'/>", {84.1886f, 34.1886f, 31.6228f, 31.6228f}},
        {"<ellipse cx='10mm' rx='1pc' ry='5%'/>", {21.7953f, -5, 32, 10}},
        {"<ellipse ry='3' rx='auto'/>", {-3, -3, 6, 6}},
        {"<line x2='2cm' y2='3pt'/>", {0, 0, 75.5906f, 4}},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(std::string("<svg viewBox='0 0 200 100'>") + c.element + "</svg>"))
            << c.element;
        ASSERT_EQ(1, svg.Count()) << c.element;
        GfxRectF b;
        ASSERT_EQ(1, GfxGetPathBounds(svg[0].path, nullptr, &b));
        EXPECT_NEAR(c.bounds.x, b.x, 1e-3) << c.element;
        EXPECT_NEAR(c.bounds.y, b.y, 1e-3) << c.element;
        EXPECT_NEAR(c.bounds.width, b.width, 1e-3) << c.element;
        EXPECT_NEAR(c.bounds.height, b.height, 1e-3) << c.element;
    }
}

// Round and square caps draw a subpath of length 0 as a dot: it gets a short
// figure whose caps show. Butt caps draw nothing there.
TEST_F(WalkerTest, ZeroLengthSubpathsGetTheirDot) {
    struct Case {
        const char* shape;
        const char* cap;
        size_t points;
    } cases[] = {
        {"<path d='M10 10 L10 10 M20 0 L30 0'", "round", 4 + 2},
        {"<polyline points='5,5 5,5 5,5'", "square", 3 + 2},
        {"<line x1='3' y1='4' x2='3' y2='4'", "butt", 2},
        {"<path d='M10 10 Z m5 0 z'", "round", 2 + 2 + 2 + 2}, // both moveto-closepath
        {"<path d='M0 0 L5 0 Z Z'", "round", 2},
        {"<path d='M10 10 L10 10' fill='red' style='stroke:none'", "round", 2},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(std::string(c.shape) + " stroke='black' stroke-width='4'" +
                                  " stroke-linecap='" + c.cap + "'/>")))
            << c.shape;
        ASSERT_EQ(1, svg.Count()) << c.shape;
        PathContents path = ReadPath(svg[0].path);
        ASSERT_EQ(c.points, path.points.size()) << c.shape;
        if (c.points > 4 || std::string(c.cap) == "square") {
            // The dot's figure is centred on the point, 1 % of the width long.
            const GfxPointF& a = path.points[path.points.size() - 2];
            const GfxPointF& b = path.points.back();
            EXPECT_EQ(GfxPointTypeStart, path.types[path.types.size() - 2]) << c.shape;
            EXPECT_NEAR(0.04f, b.x - a.x, 1e-5) << c.shape;
            EXPECT_EQ(a.y, b.y) << c.shape;
        }
    }
}

TEST_F(WalkerTest, RoundedRectangleFigure) {
    GfxPath* path = BuildRectPath(0, 0, 10, 20, 2, 3);
    ASSERT_NE(nullptr, path);
    PathContents c = ReadPath(path);
    // Edges start where the previous arc ended: clockwise from the top.
    const GfxPointF corners[] = {{2, 0},  {8, 0},  {10, 3}, {10, 17},
                                 {8, 20}, {2, 20}, {0, 17}, {0, 3}};
    size_t found = 0;
    for (size_t i = 0; i < c.points.size() && found < 8; i++) {
        if (std::abs(c.points[i].x - corners[found].x) < 1e-4f &&
            std::abs(c.points[i].y - corners[found].y) < 1e-4f)
            found++;
    }
    EXPECT_EQ(8u, found);
    GfxRectF bounds;
    ASSERT_EQ(1, GfxGetPathBounds(path, nullptr, &bounds));
    EXPECT_NEAR(0, bounds.x, 1e-4);
    EXPECT_NEAR(20, bounds.height, 1e-4);
    GfxDeletePath(path);
}

TEST_F(WalkerTest, PolylineCoordinatesPairInReadingOrder) {
    struct Case {
        const char* element;
        const char* points;
        std::vector<GfxPointF> expected;
    } cases[] = {
        {"polyline", "0,0 10,10 20", {{0, 0}, {10, 10}}},
        {"polyline", "0,0 10,10 20 ", {{0, 0}, {10, 10}, {20, 0}}},
        {"polyline", "10,20 30,40", {{10, 20}, {30, 40}}},
        {"polyline", "10 20 30 40", {{10, 20}, {30, 40}}},
        {"polyline", "10,20,30,40", {{10, 20}, {30, 40}}},
        {"polyline", "1 2 3 4 x 5 6", {{1, 2}, {3, 4}}},
        {"polygon", "5,5", {}},
        {"polygon", "0,0 4,0 4,4", {{0, 0}, {4, 0}, {4, 4}}},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        std::string text = std::string("<") + c.element + " points='" + c.points + "'/>";
        ASSERT_EQ(1, svg.Load(Svg(text))) << text;
        ASSERT_EQ(1, svg.Count()) << text;
        PathContents path = ReadPath(svg[0].path);
        ASSERT_EQ(c.expected.size(), path.points.size()) << text;
        for (size_t i = 0; i < path.points.size(); i++) {
            EXPECT_FLOAT_EQ(c.expected[i].x, path.points[i].x) << text << " point " << i;
            EXPECT_FLOAT_EQ(c.expected[i].y, path.points[i].y) << text << " point " << i;
        }
        if (!path.types.empty()) {
            bool closed = (path.types.back() & GfxPointTypeCloseSubpath) != 0;
            EXPECT_EQ(std::string(c.element) == "polygon", closed) << text;
        }
    }
}

TEST_F(WalkerTest, EllipseAndLineGeometry) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<ellipse cx='10' cy='20' rx='4' ry='2'/><circle cx='1' r='3'/>"
                              "<line x1='1' y1='2' x2='3px' y2='4'/>")));
    ASSERT_EQ(3, svg.Count());
    GfxRectF b;
    ASSERT_EQ(1, GfxGetPathBounds(svg[0].path, nullptr, &b));
    EXPECT_NEAR(6, b.x, 1e-4);
    EXPECT_NEAR(18, b.y, 1e-4);
    EXPECT_NEAR(8, b.width, 1e-4);
    EXPECT_NEAR(4, b.height, 1e-4);
    ASSERT_EQ(1, GfxGetPathBounds(svg[1].path, nullptr, &b));
    EXPECT_NEAR(-2, b.x, 1e-4);
    EXPECT_NEAR(6, b.height, 1e-4);
    PathContents line = ReadPath(svg[2].path);
    ASSERT_EQ(2u, line.points.size());
    EXPECT_FLOAT_EQ(3, line.points[1].x);
    EXPECT_FLOAT_EQ(4, line.points[1].y);
    EXPECT_EQ(0, line.types.back() & GfxPointTypeCloseSubpath); // left open
}

TEST_F(WalkerTest, ContentBoundsCoverEveryRecordWithItsStroke) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<polygon points='500,500'/>" // empty: no box
                              "<rect x='1' y='2' width='3' height='4'/>"
                              "<g transform='scale(2,1)'><rect x='10' y='10' width='5' "
                              "height='5' stroke='red' stroke-width='4'/></g>")));
    ASSERT_EQ(3, svg.Count());
    const SvgDocument& d = svg.document;
    ASSERT_EQ(1, d.content.any);
    // The stroke pads by width x max(|a|, |d|) / 2 = 4 x 2 / 2 = 4.
    EXPECT_FLOAT_EQ(1, d.content.minX);
    EXPECT_FLOAT_EQ(2, d.content.minY);
    EXPECT_FLOAT_EQ(34, d.content.maxX);
    EXPECT_FLOAT_EQ(19, d.content.maxY);
}

TEST_F(WalkerTest, ElementsBelowTheDepthLimitAreNotDrawn) {
    // Group k (k = 1 at the root's child) holds a rect at level k + 1, then
    // group k + 1.
    const int groups = 300;
    std::string text = "<svg>";
    for (int k = 1; k <= groups; k++)
        text += "<g><rect width='1' height='1' id='" + std::to_string(k + 1) + "'/>";
    for (int k = 1; k <= groups; k++)
        text += "</g>";
    text += "<rect id='after' width='1' height='1'/></svg>";
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(text));
    ASSERT_EQ(MaxWalkDepth, svg.Count()); // levels 2 to 256, then the last rect
    EXPECT_EQ(L"2", svg[0].id);
    EXPECT_EQ(std::to_wstring(MaxWalkDepth), svg[MaxWalkDepth - 2].id);
    EXPECT_EQ(L"after", svg[MaxWalkDepth - 1].id);
}

TEST_F(WalkerTest, RecordStorageGrowsByDoubling) {
    SvgDocument document = SvgDocument();
    EXPECT_EQ(nullptr, AppendShapeRecord(nullptr));
    ShapeRecord* first = AppendShapeRecord(&document);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(32, document.shapeCapacity);
    first->id = L"first";
    first->path = BuildLinePath(0, 0, 1, 1);
    for (int i = 1; i < 33; i++) {
        ShapeRecord* r = AppendShapeRecord(&document);
        ASSERT_NE(nullptr, r);
        EXPECT_EQ(nullptr, r->path);
        EXPECT_TRUE(r->id.empty());
        EXPECT_EQ(0u, r->fillColor);
        EXPECT_EQ(0, r->boundsValid);
    }
    EXPECT_EQ(33, document.shapeCount);
    EXPECT_EQ(64, document.shapeCapacity);
    EXPECT_EQ(L"first", document.shapes[0].id); // moved into the new storage
    EXPECT_NE(nullptr, document.shapes[0].path);
    ClearSvgDocument(&document);
}

TEST_F(WalkerTest, CommitShapeTakesOverOrReleasesThePath) {
    SvgDocument document = SvgDocument();
    StyleState state = StyleState();
    InitRootStyleState(&state);
    CommitShape(&document, nullptr, &state, L"none");
    EXPECT_EQ(0, document.shapeCount);
    state.hasFill = 0;
    // Invisible: the path is deleted (the leak checker would see it otherwise).
    CommitShape(&document, BuildLinePath(0, 0, 1, 1), &state, L"x");
    EXPECT_EQ(0, document.shapeCount);
    state.hasStroke = 1;
    state.strokeColor = 0x80123456;
    state.strokeWidth = 2;
    state.strokeRef = MakeSharedText(L"g");
    state.fillRef = MakeSharedText(L"f");
    CommitShape(&document, BuildLinePath(0, 0, 1, 1), &state, L"y");
    ASSERT_EQ(1, document.shapeCount);
    EXPECT_EQ(L"y", document.shapes[0].id);
    EXPECT_FALSE(document.shapes[0].fillRef); // only set for a drawn fill
    EXPECT_EQ(L"g", TextOf(document.shapes[0].strokeRef));
    EXPECT_EQ(1, document.shapes[0].boundsValid);
    ClearSvgDocument(&document);
}

TEST_F(WalkerTest, DisplayNoneOnTheRootHidesTheDrawing) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg xmlns='http://www.w3.org/2000/svg' style='display:none'>"
                          "<rect width='1' height='1'/></svg>"));
    EXPECT_EQ(0, svg.Count());
}

} // namespace
