// Paths too large for GDI+: what the rasterizer hands over in their place,
// point by point, on every build.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/path_clipping.h"
#include "render/region_rows.h"
#include "render/shape_fitting.h"
#include "svg/records/document.h"

namespace {

const uint8_t S = GfxPointTypeStart, L = GfxPointTypeLine, B = GfxPointTypeBezier,
              Z = GfxPointTypeCloseSubpath;
const DeviceMatrix Identity = {1, 0, 0, 1, 0, 0};
const DeviceBox Box10 = {0, 0, 10, 10};

struct TypedPoint {
    uint8_t type;
    float x, y;
};

FigureList Figures(const std::vector<TypedPoint>& points) {
    FigureList f;
    for (const TypedPoint& p : points) {
        f.points.push_back(GfxPointF{p.x, p.y});
        f.types.push_back(p.type);
    }
    return f;
}

void ExpectFigures(const std::vector<TypedPoint>& expected, const FigureList& got,
                   const char* what) {
    ASSERT_EQ(expected.size(), got.points.size()) << what;
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(expected[i].type, got.types[i]) << what << " point " << i;
        EXPECT_EQ(expected[i].x, got.points[i].x) << what << " point " << i;
        EXPECT_EQ(expected[i].y, got.points[i].y) << what << " point " << i;
    }
}

const float Kappa = 0.5522847f; // a quarter circle's control distance, per radius

// A closed circle of four cubics.
FigureList Circle(float cx, float cy, float r) {
    const float k = r * Kappa;
    return Figures({{S, cx + r, cy},
                    {B, cx + r, cy + k},
                    {B, cx + k, cy + r},
                    {B, cx, cy + r},
                    {B, cx - k, cy + r},
                    {B, cx - r, cy + k},
                    {B, cx - r, cy},
                    {B, cx - r, cy - k},
                    {B, cx - k, cy - r},
                    {B, cx, cy - r},
                    {B, cx + k, cy - r},
                    {B, cx + r, cy - k},
                    {B | Z, cx + r, cy}});
}

} // namespace

TEST(PathClipping, FillsKeepWhatIsInsideAndRunAlongTheBoxElsewhere) {
    struct Case {
        const char* what;
        std::vector<TypedPoint> in, out;
    } cases[] = {
        {"around the box: the box itself",
         {{S, -1e6f, -1e6f}, {L, 1e6f, -1e6f}, {L, 1e6f, 1e6f}, {L | Z, -1e6f, 1e6f}},
         {{S, 0, 10}, {L, 0, 0}, {L, 10, 0}, {L | Z, 10, 10}}},
        {"inside: as it is, closed",
         {{S, 1, 1}, {L, 9, 1}, {L, 5, 9}},
         {{S, 1, 1}, {L, 9, 1}, {L | Z, 5, 9}}},
        {"outside: nothing", {{S, 20, 0}, {L, 30, 0}, {L | Z, 30, 10}}, {}},
        {"a corner in, and a figure outside dropped",
         {{S, 5, 5}, {L, 20, 5}, {L, 5, 20}, {S, -5, -5}, {L, -1, -5}, {L, -1, -1}},
         {{S, 5, 10}, {L, 5, 5}, {L, 10, 5}, {L | Z, 10, 10}}},
    };
    for (const Case& c : cases) {
        FigureList out;
        ASSERT_TRUE(ClipFiguresForFill(Figures(c.in), Identity, Box10, &out)) << c.what;
        ExpectFigures(c.out, out, c.what);
    }
    // Cut on the device, handed back in user space.
    FigureList out;
    const DeviceMatrix scale = {1e6, 0, 0, 1e6, 0, 0};
    ASSERT_TRUE(ClipFiguresForFill(Figures({{S, -1, -1}, {L, 1, -1}, {L, 1, 1}, {L | Z, -1, 1}}),
                                   scale, Box10, &out));
    ASSERT_EQ(4u, out.points.size());
    EXPECT_FLOAT_EQ(1e-5f, out.points[0].y);
    EXPECT_FLOAT_EQ(1e-5f, out.points[2].x);
}

TEST(PathClipping, StrokesAreCutWhereTheyLeaveTheBoxWithTheirDashDistances) {
    struct Case {
        const char* what;
        std::vector<TypedPoint> in, out;
        bool dashed;
        std::vector<double> starts;
    } cases[] = {
        {"open, in and out",
         {{S, -100, 5}, {L, 5, 5}, {L, 5, 100}},
         {{S, 0, 5}, {L, 5, 5}, {L, 5, 10}},
         true,
         {100}},
        {"open, out and back in: two pieces",
         {{S, -10, 2}, {L, 20, 2}, {L, 20, 8}, {L, -10, 8}},
         {{S, 0, 2}, {L, 10, 2}, {S, 10, 8}, {L, 0, 8}},
         true,
         {10, 46}},
        {"closed, inside: kept closed",
         {{S, 1, 1}, {L, 9, 1}, {L | Z, 9, 9}},
         {{S, 1, 1}, {L, 9, 1}, {L | Z, 9, 9}},
         true,
         {0}},
        {"closed, first point outside: one piece, its join kept",
         {{S, -5, -5}, {L, 5, -5}, {L, 5, 5}, {L | Z, -5, 5}},
         {{S, 5, 0}, {L, 5, 5}, {L, 0, 5}},
         false,
         {}},
        {"closed, first point inside: the piece goes on through it",
         {{S, 5, 5}, {L, 15, 5}, {L, 15, 15}, {L | Z, 5, 15}},
         {{S, 5, 10}, {L, 5, 5}, {L, 10, 5}},
         false,
         {}},
        {"closed and dashed: cut at the first point, where the dashes start",
         {{S, 5, 5}, {L, 15, 5}, {L, 15, 15}, {L | Z, 5, 15}},
         {{S, 5, 10}, {L, 5, 5}, {S, 5, 5}, {L, 10, 5}},
         true,
         {35, 0}},
    };
    for (const Case& c : cases) {
        FigureList out;
        std::vector<double> starts;
        ASSERT_TRUE(ClipFiguresForStroke(Figures(c.in), Identity, Box10, c.dashed, &out, &starts))
            << c.what;
        ExpectFigures(c.out, out, c.what);
        EXPECT_EQ(c.starts, starts) << c.what;
    }
}

// A circle 100,000 pixels across through the box: only its visible part is
// flattened; the rest becomes a few chords, cut away.
TEST(PathClipping, HugeCurvesAreFlattenedOnlyWhereTheyShow) {
    const float r = 1e5f;
    FigureList out;
    std::vector<double> starts;
    ASSERT_TRUE(ClipFiguresForFill(Circle(r + 5, 5, r), Identity, Box10, &out));
    ASSERT_GE(out.points.size(), 4u);
    EXPECT_LT(out.points.size(), 64u);
    for (const GfxPointF& p : out.points) {
        EXPECT_TRUE(p.x >= 0 && p.x <= 10 && p.y >= 0 && p.y <= 10) << p.x << "," << p.y;
        if (p.x < 10 && p.y > 0 && p.y < 10) { // on the circle, to a tenth of a pixel
            EXPECT_NEAR(r, std::hypot(p.x - (r + 5), p.y - 5), 0.1) << p.x << "," << p.y;
        }
    }

    // Dashes meet the visible part where they would on the whole path: the
    // hidden curves before it are measured as curves. Measured here along
    // the first two cubics in fine steps, up to where the circle enters the
    // box (y = 10).
    ASSERT_TRUE(ClipFiguresForStroke(Circle(r + 5, 5, r), Identity, Box10, true, &out, &starts));
    ASSERT_EQ(1u, starts.size());
    const FigureList circle = Circle(r + 5, 5, r);
    double length = 0, lastX = circle.points[0].x, lastY = circle.points[0].y;
    for (int cubic = 0; cubic < 2; cubic++) {
        const GfxPointF* p = &circle.points[3 * cubic];
        for (int step = 1; step <= 1000000; step++) {
            const double t = step / 1e6, u = 1 - t;
            const double x = u * u * u * p[0].x + 3 * u * u * t * p[1].x + 3 * u * t * t * p[2].x +
                             t * t * t * p[3].x;
            const double y = u * u * u * p[0].y + 3 * u * u * t * p[1].y + 3 * u * t * t * p[2].y +
                             t * t * t * p[3].y;
            if (y < 10 && x < 10)
                break;
            length += std::hypot(x - lastX, y - lastY);
            lastX = x, lastY = y;
        }
    }
    EXPECT_NEAR(length, starts[0], 0.5);
}

TEST(PathClipping, NothingIsDrawnWithoutAnInverseOrFiniteNumbers) {
    FigureList out;
    std::vector<double> starts;
    const FigureList line = Figures({{S, 0, 0}, {L, 5, 5}});
    const DeviceMatrix flat = {1, 1, 1, 1, 0, 0};
    EXPECT_FALSE(ClipFiguresForFill(line, flat, Box10, &out));
    EXPECT_FALSE(ClipFiguresForStroke(line, flat, Box10, false, &out, &starts));
    const FigureList notANumber = Figures({{S, 0, 0}, {L, NAN, 5}});
    EXPECT_FALSE(ClipFiguresForFill(notANumber, Identity, Box10, &out));
    const DeviceMatrix huge = {1e300, 0, 0, 1e300, 0, 0};
    EXPECT_FALSE(ClipFiguresForStroke(Figures({{S, 0, 0}, {L, 1e30f, 5}}), huge, Box10, false, &out,
                                      &starts));
    EXPECT_TRUE(out.points.empty());
}

// The rasterizer's choice for a record: its own path within reach of the
// area, the cut path beyond, nothing for what GDI+ cannot draw.
TEST(ShapeFitting, OwnPathNearTheAreaCutPathBeyondNothingWhenUnusable) {
    ShapeRecord shape = ShapeRecord();
    shape.path = GfxCreatePath();
    ASSERT_TRUE(shape.path);
    GfxAddLine(shape.path, -1e6f, 5, 5, 5);
    shape.strokeWidth = 2;
    shape.lineJoin = 1; // bevel: the stroke reaches half its width, and a pixel more
    const float identity[6] = {1, 0, 0, 1, 0, 0};
    const float small[6] = {1e-3f, 0, 0, 1e-3f, 0, 0};
    FittedPaths fitted;
    EXPECT_EQ(PathAsItIs, FitShapePath(shape, small, Box10, true, &fitted));
    EXPECT_TRUE(fitted.paths.empty());

    ASSERT_EQ(PathCut, FitShapePath(shape, identity, Box10, true, &fitted));
    ASSERT_EQ(1u, fitted.paths.size());
    GfxPointF points[4];
    uint8_t types[4];
    ASSERT_EQ(2, GfxGetPathData(fitted.paths[0].get(), points, types, 4));
    EXPECT_EQ(-2.0f, points[0].x);
    EXPECT_EQ(5.0f, points[1].x);

    const float notFinite[6] = {INFINITY, 0, 0, 1, 0, 0};
    EXPECT_EQ(PathUnusable, FitShapePath(shape, notFinite, Box10, false, &fitted));
    shape.strokeWidth = 20000; // cut, unless GDI+ would round its joins
    EXPECT_EQ(PathCut, FitShapePath(shape, identity, Box10, true, &fitted));
    shape.lineJoin = 2;
    EXPECT_EQ(PathUnusable, FitShapePath(shape, identity, Box10, true, &fitted));
    GfxDeletePath(shape.path);
}

// The pixels a record's paint can reach: its path's box grown by what its
// stroke reaches, a pixel for anti-aliasing and one for rounding.
TEST(ShapeFitting, PaintReachGrowsThePathsBoxByTheStrokesReach) {
    ShapeRecord shape = ShapeRecord();
    shape.path = GfxCreatePath();
    ASSERT_TRUE(shape.path);
    GfxAddLine(shape.path, 0, 0, 10, 4);
    const float identity[6] = {1, 0, 0, 1, 0, 0}, triple[6] = {3, 0, 0, 3, 0, 0},
                quarter[6] = {0.25f, 0, 0, 0.25f, 0, 0};
    struct Case {
        const char* what;
        int stroke, join, cap, nonScaling;
        float width, miter;
        const float* matrix;
        double grown; // beyond the path's box on each side
    } cases[] = {
        {"fill", 0, 1, 0, 0, 4, 4, identity, 2},
        {"bevel", 1, 1, 0, 0, 4, 4, identity, 2 + 2},
        {"miter", 1, 0, 0, 0, 2, 4, identity, 4 + 2},
        {"square cap", 1, 1, 1, 0, 2, 4, identity, std::sqrt(2.0) + 2},
        {"scaled", 1, 1, 0, 0, 2, 4, triple, 3 + 2},
        {"in pixels", 1, 1, 0, 1, 4, 4, quarter, 2 + 2},
        {"hairline", 1, 1, 0, 0, 0.01f, 4, identity, 0.5 + 2},
    };
    for (const Case& c : cases) {
        shape.hasStroke = c.stroke, shape.lineJoin = c.join, shape.lineCap = c.cap;
        shape.nonScalingStroke = c.nonScaling, shape.strokeWidth = c.width;
        shape.miterLimit = c.miter;
        const double k = c.matrix[0];
        DeviceBox box;
        ASSERT_TRUE(PaintReach(shape, c.matrix, &box)) << c.what;
        EXPECT_NEAR(-c.grown, box.left, 1e-6) << c.what;
        EXPECT_NEAR(-c.grown, box.top, 1e-6) << c.what;
        EXPECT_NEAR(10 * k + c.grown, box.right, 1e-5) << c.what;
        EXPECT_NEAR(4 * k + c.grown, box.bottom, 1e-5) << c.what;
    }
    const float notFinite[6] = {INFINITY, 0, 0, 1, 0, 0};
    DeviceBox box;
    EXPECT_FALSE(PaintReach(shape, notFinite, &box));
    GfxDeletePath(shape.path);
}

// The rows of a clip region under a box grown out to whole pixels, cut to
// it; a tall row among short ones is found below them.
TEST(RegionRows, RowsWithinTheBoxGrownToWholePixels) {
    RegionRows index;
    IndexRegionRows({{0, 5, 2, 4}, {0, 0, 4, 2}, {6, 0, 4, 2}, {0, 2, 10, 1}, {20, 0, 1, 30}},
                    &index);
    struct Case {
        DeviceBox box;
        std::vector<GfxRectF> rows;
    } cases[] = {
        {{6.5, 0.2, 7.2, 1.5}, {{6, 0, 2, 2}}},
        {{4, 0, 6, 2}, {}}, // between rows, edges touching
        {{3.5, 1.5, 6.5, 2.5}, {{3, 1, 1, 1}, {6, 1, 1, 1}, {3, 2, 4, 1}}},
        {{0, 3.2, 19, 4.8}, {}},
        {{19.5, 25, 30, 26}, {{20, 25, 1, 1}}},
        {{-100, -100, 100, 100},
         {{0, 0, 4, 2}, {6, 0, 4, 2}, {20, 0, 1, 30}, {0, 2, 10, 1}, {0, 5, 2, 4}}},
        {{NAN, 0, 10, 10}, {}},
    };
    for (const Case& c : cases) {
        std::vector<GfxRectF> got;
        RowsWithin(index, c.box, &got);
        ASSERT_EQ(c.rows.size(), got.size()) << c.box.left << "," << c.box.top;
        for (size_t i = 0; i < got.size(); i++) {
            EXPECT_EQ(c.rows[i].x, got[i].x) << c.box.left << " row " << i;
            EXPECT_EQ(c.rows[i].y, got[i].y) << c.box.left << " row " << i;
            EXPECT_EQ(c.rows[i].width, got[i].width) << c.box.left << " row " << i;
            EXPECT_EQ(c.rows[i].height, got[i].height) << c.box.left << " row " << i;
        }
    }
}
