// Markers: vertex directions at corners, curve ends, closed and zero-length
// segments; orient values; and what a placed marker becomes (records with
// the marker's matrix, cut by its viewport).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "svg/build/clip_paths.h"
#include "svg/build/markers.h"
#include "svg/records/document.h"
#include "svg/records/not_drawn.h"
#include "svg/values/path_data.h"
#include "svg_files.h"

namespace {

class MarkersTest : public GraphicsTest {};

std::vector<MarkerVertex> VerticesOf(const std::wstring& d) {
    std::vector<PathSegment> segments;
    ParsePathSegments(d, &segments);
    std::vector<MarkerVertex> vertices;
    MarkerVertices(segments, &vertices);
    return vertices;
}

TEST_F(MarkersTest, VertexPlacesAndDirections) {
    struct Case {
        const wchar_t* d;
        std::vector<MarkerVertex> vertices;
    } cases[] = {
        // A right-angle corner takes the bisector.
        {L"M0 0 L10 0 L10 10", {{0, 0, 0}, {10, 0, 45}, {10, 10, 90}}},
        // Curve ends follow the tangents; a control point on the end point
        // gives way to the next one.
        {L"M0 0 C0 0 10 10 10 0", {{0, 0, 45}, {10, 0, -90}}},
        {L"M0 0 Q10 0 10 10", {{0, 0, 0}, {10, 10, 90}}},
        // An arc is one segment: no vertices inside it.
        {L"M0 0 A5 5 0 0 1 10 0", {{0, 0, -90}, {10, 0, 90}}},
        // A turn back on itself: a quarter turn from the way in.
        {L"M0 0 L10 0 L0 0", {{0, 0, 0}, {10, 0, 90}, {0, 0, 180}}},
        // A closed subpath looks across its closing segment at both ends.
        {L"M0 0 L10 0 L10 10 Z", {{0, 0, -67.5f}, {10, 0, 45}, {10, 10, 157.5f}, {0, 0, -67.5f}}},
        // A zero-length segment takes the direction of the one before it.
        {L"M0 0 L10 0 L10 0 L10 10", {{0, 0, 0}, {10, 0, 0}, {10, 0, 45}, {10, 10, 90}}},
        // ... or, at the start, of the one after it.
        {L"M0 0 L0 0 L0 10", {{0, 0, 90}, {0, 0, 90}, {0, 10, 90}}},
        // Each subpath's ends face along its own segments; a lone move is a
        // vertex without direction.
        {L"M0 0 L10 0 M20 0 L20 10 M5 5",
         {{0, 0, 0}, {10, 0, 0}, {20, 0, 90}, {20, 10, 90}, {5, 5, 0}}},
        // An arc back to its start draws nothing and adds no vertex.
        {L"M0 0 A5 5 0 0 1 0 0", {{0, 0, 0}}},
    };
    for (const Case& c : cases) {
        std::vector<MarkerVertex> got = VerticesOf(c.d);
        ASSERT_EQ(c.vertices.size(), got.size()) << c.d;
        for (size_t i = 0; i < got.size(); i++) {
            EXPECT_NEAR(c.vertices[i].x, got[i].x, 1e-4) << c.d << " vertex " << i;
            EXPECT_NEAR(c.vertices[i].y, got[i].y, 1e-4) << c.d << " vertex " << i;
            EXPECT_NEAR(c.vertices[i].angle, got[i].angle, 1e-3) << c.d << " vertex " << i;
        }
    }
}

TEST_F(MarkersTest, OrientValues) {
    struct Case {
        const wchar_t* text;
        int automatic;
        float angle;
    } cases[] = {
        {L"auto", 1, 0},
        {L" AUTO-start-reverse ", 2, 0},
        {L"30", 0, 30},
        {L"-45deg", 0, -45},
        {L"0.25turn", 0, 90},
        {L"40grad", 0, 36},
        {L"1.5rad", 0, 85.943669f},
        {L"9999", 0, 279},
        {L"30px", 0, 0},
        {L"", 0, 0},
        {L"autox", 0, 0},
    };
    for (const Case& c : cases) {
        MarkerOrient orient = ParseMarkerOrient(c.text);
        EXPECT_EQ(c.automatic, orient.automatic) << c.text;
        EXPECT_NEAR(c.angle, orient.angle, 1e-3) << c.text;
    }
}

std::string Svg(const std::string& content) {
    return "<svg viewBox='0 0 100 100'>" + content + "</svg>";
}

const char* const Marker = "<marker id='m' refX='1' refY='2' markerWidth='4' markerHeight='6' "
                           "orient='auto-start-reverse'><rect width='1' height='1'/></marker>";

// The marker at (10, 0) on a line going +x with stroke width 2: turned half
// round at the start, scaled by the width, its reference point on the vertex.
TEST_F(MarkersTest, PlacedMarkerBecomesRecordsInItsViewport) {
    LoadedSvg svg;
    ASSERT_EQ(1,
              svg.Load(Svg(std::string(Marker) +
                           "<g transform='translate(5 0)'><line x2='10' stroke='red' "
                           "stroke-width='2' marker-start='url(#m)' marker-end='url(#m)'/></g>")));
    ASSERT_EQ(3, svg.Count()); // the line, then the start and end markers
    const ShapeRecord& start = svg[1];
    EXPECT_FLOAT_EQ(-2, start.matrix.a);
    EXPECT_NEAR(0, start.matrix.b, 1e-6);
    EXPECT_FLOAT_EQ(-2, start.matrix.d);
    EXPECT_FLOAT_EQ(5 + 2, start.matrix.e); // 5 - (-2 x 1)
    EXPECT_FLOAT_EQ(4, start.matrix.f);     // 0 - (-2 x 2)
    const ShapeRecord& end = svg[2];
    EXPECT_FLOAT_EQ(2, end.matrix.a);
    EXPECT_FLOAT_EQ(15 - 2, end.matrix.e);
    EXPECT_FLOAT_EQ(-4, end.matrix.f);
    // Each marker is cut by its own viewport, 4 x 6 in marker units.
    ASSERT_NE(0, end.clip);
    EXPECT_NE(start.clip, end.clip);
    const ClipShape& viewport =
        svg.document.clips->shapes.at(svg.document.clips->regions.at(end.clip - 1).firstShape);
    EXPECT_FLOAT_EQ(end.matrix.e, viewport.matrix.e);
    // The content inherits from the marker's ancestors, not from the line.
    EXPECT_EQ(0xFF000000u, end.fillColor);
    EXPECT_EQ(0, end.hasStroke);
}

// paint-order: the stroke under the fill is a flag of the record; markers
// first come before the shape's record, markers between fill and stroke split
// the shape in two records, each with the shape's id ("!" marks one
// without). Invalid values keep the inherited order.
TEST_F(MarkersTest, PaintOrder) {
    const std::string line = "<line id='l' x2='10' stroke='red' fill='lime' marker-end='url(#m)' ";
    struct Case {
        const char* order;
        const char*
            kinds; // per record: b both, f fill, s stroke, m marker; upper case: stroke first
    } cases[] = {
        {"paint-order='normal'", "bm"},        {"paint-order='stroke'", "Bm"},
        {"paint-order='markers'", "mb"},       {"paint-order='stroke markers'", "smf"},
        {"paint-order='fill markers'", "fms"}, {"paint-order='fill fill'", "bm"},
        {"paint-order='stroke junk'", "bm"},   {"style='paint-order:markers stroke'", "mB"},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(std::string(Marker) + line + c.order + "/>"))) << c.order;
        std::string kinds;
        for (int i = 0; i < svg.Count(); i++) {
            const ShapeRecord& r = svg[i];
            char k = r.fillColor == 0xFF000000u ? 'm'
                     : r.hasFill && r.hasStroke ? 'b'
                     : r.hasFill                ? 'f'
                                                : 's';
            kinds += r.strokeFirst ? static_cast<char>(k - 32) : k;
            if (k != 'm' && r.id != L"l")
                kinds += '!';
        }
        EXPECT_EQ(c.kinds, kinds) << c.order;
    }
}

// Inside a marker, context-fill and context-stroke are the shape's paints.
TEST_F(MarkersTest, ContextPaintsAreTheShapesPaints) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<marker id='c'><rect width='1' height='1' fill='context-stroke' "
                              "stroke='context-fill'/></marker>"
                              "<line x2='10' fill='lime' stroke='red' marker-end='url(#c)'/>")));
    ASSERT_EQ(2, svg.Count());
    EXPECT_EQ(0xFFFF0000u, svg[1].fillColor);
    EXPECT_EQ(0xFF00FF00u, svg[1].strokeColor);
}

TEST_F(MarkersTest, WhichShapesAndPropertiesPlaceMarkers) {
    const std::string m = "<marker id='m' overflow='visible' markerUnits='userSpaceOnUse'>"
                          "<circle r='1'/></marker>";
    struct Case {
        const char* name;
        std::string content;
        int records;
        int clipped;
    } cases[] = {
        {"polyline: start, 2 mid, end",
         "<polyline points='0 0 1 0 1 1 2 1' marker-start='url(#m)' "
         "marker-mid='url(#m)' marker-end='url(#m)' fill='none'/>",
         4, 0},
        {"polygon closes: 4 vertices",
         "<polygon points='0 0 1 0 1 1' marker-mid='url(#m)' "
         "marker-start='url(#m)' marker-end='url(#m)'/>",
         1 + 4, 0},
        {"inherited from a group", "<g marker-end='url(#m)'><path d='M0 0 L5 5'/></g>", 2, 0},
        {"style shorthand", "<path d='M0 0 L5 5 L6 6' style='marker: url(#m)'/>", 1 + 3, 0},
        {"sheet shorthand, longhand none",
         "<style>path { marker: url(#m) }</style><path d='M0 0 L5 5' marker-start='none'/>", 1 + 2,
         0},
        {"the marker attribute is not read", "<path d='M0 0 L5 5' marker='url(#m)'/>", 1, 0},
        {"not on rectangles", "<rect width='1' height='1' marker-start='url(#m)'/>", 1, 0},
        {"not a marker", "<path id='p' d='M0 0 L5 5' marker-start='url(#p)'/>", 1, 0},
        {"zero size",
         "<marker id='z' markerWidth='0'><circle r='1'/></marker>"
         "<path d='M0 0 L5 5' marker-start='url(#z)'/>",
         1, 0},
        {"hidden overflow clips",
         "<marker id='h'><circle r='1'/></marker>"
         "<path d='M0 0 L5 5' marker-start='url(#h)'/>",
         2, 1},
        {"drawn without fill or stroke", "<path d='M0 0 L5 5' fill='none' marker-end='url(#m)'/>",
         1, 0},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(m + c.content))) << c.name;
        EXPECT_EQ(c.records, svg.Count()) << c.name;
        EXPECT_EQ(c.clipped, svg.Count() > 1 && svg[svg.Count() - 1].clip != 0) << c.name;
    }
}

TEST_F(MarkersTest, MarkersDrawInsideTheShapesOffscreenGroup) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg(std::string(Marker) + "<g opacity='0.5'><line x2='10' stroke='red' "
                                                    "marker-end='url(#m)'/></g>")));
    ASSERT_EQ(2, svg.Count());
    EXPECT_NE(0, svg[0].group);
    EXPECT_EQ(svg[0].group, svg[1].group);
    EXPECT_EQ(0xFF000000u, svg[1].fillColor); // faded by the group, not by itself
}

// A marker whose content uses the marker again draws it once, not for ever;
// a long chain of markers in markers stops at a small depth.
TEST_F(MarkersTest, MarkersInsideMarkersEnd) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<marker id='m' overflow='visible'>"
                              "<path d='M0 0 L1 1' stroke='red' marker-end='url(#m)'/></marker>"
                              "<path d='M0 0 L5 5' marker-start='url(#m)'/>")));
    EXPECT_EQ(2, svg.Count());
    std::string chain;
    for (int i = 0; i < 50; i++)
        chain += "<marker id='m" + std::to_string(i) +
                 "' overflow='visible'><path d='M0 0 L1 1' "
                 "stroke='red' marker-end='url(#m" +
                 std::to_string(i + 1) + ")'/></marker>";
    ASSERT_EQ(1, svg.Load(Svg(chain + "<path d='M0 0 L5 5' marker-end='url(#m0)'/>")));
    EXPECT_EQ(1 + 4, svg.Count());
    EXPECT_EQ(L"not drawn: nothing", NotDrawnReport(&svg.document));
}

} // namespace
