// What the graphics layer's paths and matrices hold after each operation.
// These tests run natively (portable layer) and under wine64 against GDI+, so
// both must append the same points with the same types.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "path_reader.h"
#include "render/graphics.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const uint8_t S = GfxPointTypeStart;
const uint8_t L = GfxPointTypeLine;
const uint8_t B = GfxPointTypeBezier;
const uint8_t Z = GfxPointTypeCloseSubpath;

// Wine's GDI+ (version 8) differs from Windows in two places these tests
// touch: it does not start a new figure after a rectangle, and it appends odd
// curves for an arc whose box has no positive width or height, where Windows
// refuses the arc. Those checks are skipped there; the portable layer follows
// Windows.
bool RunningUnderWine() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

void ExpectBounds(GfxPath* path, const float* matrix, GfxRectF expected, const char* label) {
    GfxRectF got = {-1, -1, -1, -1};
    ASSERT_EQ(GfxGetPathBounds(path, matrix, &got), 1) << label;
    EXPECT_NEAR(got.x, expected.x, 1e-3) << label;
    EXPECT_NEAR(got.y, expected.y, 1e-3) << label;
    EXPECT_NEAR(got.width, expected.width, 1e-3) << label;
    EXPECT_NEAR(got.height, expected.height, 1e-3) << label;
}

// Angle in degrees of a point seen from a centre, in [0, 360).
double DirectionDegrees(GfxPointF p, float cx, float cy) {
    double a = std::atan2(p.y - cy, p.x - cx) * 180 / 3.14159265358979;
    return a < 0 ? a + 360 : a;
}

TEST(GraphicsPath, LinesJoinWithoutRepeatingTheSharedPoint) {
    ScopedPath p;
    GfxAddLine(p.path, 0, 0, 10, 10);
    GfxAddLine(p.path, 10, 10, 20, 0); // starts where the figure ends
    GfxAddLine(p.path, 30, 0, 40, 5);  // starts elsewhere: joined by a line
    ExpectPath(p.path, {{S, 0, 0}, {L, 10, 10}, {L, 20, 0}, {L, 30, 0}, {L, 40, 5}}, 0, "lines");

    ScopedPath zero;
    GfxAddLine(zero.path, 1, 1, 1, 1);
    GfxAddLine(zero.path, 1, 1, 1, 1);
    ExpectPath(zero.path, {{S, 1, 1}, {L, 1, 1}, {L, 1, 1}}, 0, "zero-length lines");
}

TEST(GraphicsPath, StartFigureAndCloseBeginNewFigures) {
    ScopedPath p;
    GfxStartFigure(p.path);
    GfxAddLine(p.path, 0, 0, 10, 10);
    GfxStartFigure(p.path);
    GfxAddLine(p.path, 10, 10, 20, 0); // same point, but a new figure
    GfxCloseFigure(p.path);
    GfxCloseFigure(p.path); // closing twice changes nothing
    GfxAddLine(p.path, 20, 0, 5, 5);
    GfxCloseFigure(p.path);
    GfxStartFigure(p.path); // a figure without points adds nothing
    ExpectPath(p.path,
               {{S, 0, 0}, {L, 10, 10}, {S, 10, 10}, {L | Z, 20, 0}, {S, 20, 0}, {L | Z, 5, 5}}, 0,
               "figures");

    ScopedPath empty;
    GfxCloseFigure(empty.path);
    GfxStartFigure(empty.path);
    EXPECT_EQ(GfxGetPathPointCount(empty.path), 0);
}

TEST(GraphicsPath, BeziersExtendTheFigure) {
    ScopedPath p;
    GfxAddLine(p.path, 0, 0, 10, 10);
    GfxAddBezier(p.path, 10, 10, 20, 20, 30, 20, 40, 10);
    GfxAddBezier(p.path, 50, 10, 60, 20, 30, 20, 40, 10);
    ExpectPath(p.path,
               {{S, 0, 0},
                {L, 10, 10},
                {B, 20, 20},
                {B, 30, 20},
                {B, 40, 10},
                {L, 50, 10},
                {B, 60, 20},
                {B, 30, 20},
                {B, 40, 10}},
               0, "beziers");

    ScopedPath fresh;
    GfxAddBezier(fresh.path, 1, 2, 3, 4, 5, 6, 7, 8);
    ExpectPath(fresh.path, {{S, 1, 2}, {B, 3, 4}, {B, 5, 6}, {B, 7, 8}}, 0, "bezier alone");
}

TEST(GraphicsPath, ArcsAreQuarterTurnBeziers) {
    const float k = 27.614237f; // 50 * 4/3 * (sqrt(2) - 1)
    ScopedPath corner;
    GfxAddLine(corner.path, 0, 0, 50, 0);
    GfxAddArc(corner.path, 0, 0, 100, 100, 270, 90); // starts where the line ends
    ExpectPath(corner.path, {{S, 0, 0}, {L, 50, 0}, {B, 50 + k, 0}, {B, 100, 50 - k}, {B, 100, 50}},
               1e-3f, "rounded corner");

    ScopedPath quarter;
    GfxAddArc(quarter.path, 0, 0, 100, 50, 0, 90);
    ExpectPath(quarter.path, {{S, 100, 25}, {B, 100, 25 + k / 2}, {B, 50 + k, 50}, {B, 50, 50}},
               1e-3f, "quarter of an ellipse");

    // Angles are directions seen from the centre, also on an ellipse.
    ScopedPath tilted;
    GfxAddArc(tilted.path, 0, 0, 100, 50, 30, 100);
    PathContents t = ReadPath(tilted.path);
    ASSERT_EQ(t.points.size(), 4u);
    EXPECT_NEAR(DirectionDegrees(t.points[0], 50, 25), 30, 0.01);
    EXPECT_NEAR(DirectionDegrees(t.points[3], 50, 25), 130, 0.01);

    struct Case {
        float start, sweep;
        size_t points;
        double endDegrees;
    } cases[] = {
        {45, -200, 10, 205}, // three pieces, counter-clockwise
        {0, 360, 13, 0},     // four pieces
        {10, 500, 13, 10},   // at most one full turn
        {0, 180, 7, 180},    {0, 90.5f, 7, 90.5},
    };
    for (const Case& c : cases) {
        ScopedPath p;
        GfxAddArc(p.path, 0, 0, 100, 50, c.start, c.sweep);
        PathContents got = ReadPath(p.path);
        ASSERT_EQ(got.points.size(), c.points) << c.start << " " << c.sweep;
        EXPECT_EQ(got.types[0], S);
        for (size_t i = 1; i < got.points.size(); i++)
            EXPECT_EQ(got.types[i], B);
        EXPECT_NEAR(DirectionDegrees(got.points.back(), 50, 25), c.endDegrees, 0.01);
    }

    // An arc in a box without positive width and height adds nothing.
    if (!RunningUnderWine()) {
        struct Box {
            float width, height;
        } boxes[] = {{0, 50}, {100, 0}, {-10, 50}, {10, -50}};
        for (const Box& box : boxes) {
            ScopedPath p;
            GfxAddArc(p.path, 0, 0, box.width, box.height, 0, 90);
            EXPECT_EQ(GfxGetPathPointCount(p.path), 0) << box.width << " x " << box.height;
        }
    }
}

TEST(GraphicsPath, EllipseIsOneClosedFigureOfFourBeziers) {
    const float kx = 27.614237f, ky = 13.807119f;
    ScopedPath p;
    GfxAddLine(p.path, 0, 0, 110, 45);
    GfxAddEllipse(p.path, 10, 20, 100, 50); // its own figure even where the line ends
    GfxAddLine(p.path, 110, 45, 0, 0);
    ExpectPath(p.path,
               {{S, 0, 0},
                {L, 110, 45},
                {S, 110, 45},
                {B, 110, 45 + ky},
                {B, 60 + kx, 70},
                {B, 60, 70},
                {B, 60 - kx, 70},
                {B, 10, 45 + ky},
                {B, 10, 45},
                {B, 10, 45 - ky},
                {B, 60 - kx, 20},
                {B, 60, 20},
                {B, 60 + kx, 20},
                {B, 110, 45 - ky},
                {B | Z, 110, 45},
                {S, 110, 45},
                {L, 0, 0}},
               1e-3f, "ellipse between lines");
}

TEST(GraphicsPath, RectangleIsOneClosedFigureOfFourPoints) {
    ScopedPath p;
    GfxAddLine(p.path, 9, 9, 1, 2);
    GfxAddRectangle(p.path, 1, 2, 3, 4);
    ExpectPath(p.path, {{S, 9, 9}, {L, 1, 2}, {S, 1, 2}, {L, 4, 2}, {L, 4, 6}, {L | Z, 1, 6}}, 0,
               "rectangle");
    if (!RunningUnderWine()) {
        GfxAddLine(p.path, 1, 6, 9, 9); // after the closed rectangle: a new figure
        ExpectPath(p.path,
                   {{S, 9, 9},
                    {L, 1, 2},
                    {S, 1, 2},
                    {L, 4, 2},
                    {L, 4, 6},
                    {L | Z, 1, 6},
                    {S, 1, 6},
                    {L, 9, 9}},
                   0, "line after rectangle");
    }

    ScopedPath empty;
    GfxAddRectangle(empty.path, 1, 2, 0, 4);
    GfxAddRectangle(empty.path, 1, 2, 3, -4);
    EXPECT_EQ(GfxGetPathPointCount(empty.path), 0);
}

TEST(GraphicsPath, PathDataCanBeReadInPart) {
    ScopedPath p;
    GfxAddRectangle(p.path, 0, 0, 1, 1);
    GfxPointF points[2];
    uint8_t types[2];
    EXPECT_EQ(GfxGetPathData(p.path, points, types, 2), 2);
    EXPECT_EQ(types[1], L);
    EXPECT_EQ(points[1].x, 1.0f);
    EXPECT_EQ(GfxGetPathData(p.path, points, types, 0), 0);
}

TEST(GraphicsPath, PathMadeFromFiguresHoldsThemAsGiven) {
    const GfxPointF points[] = {{0, 0}, {10, 0}, {10, 10}, {20, 20}, {30, 20}, {40, 30}, {50, 20}};
    const uint8_t types[] = {S, L, L | Z, S, B, B, B};
    GfxOwnedPath made(GfxCreatePathFromFigures(points, types, 7));
    ASSERT_TRUE(made);
    ExpectPath(made.get(),
               {{S, 0, 0},
                {L, 10, 0},
                {L | Z, 10, 10},
                {S, 20, 20},
                {B, 30, 20},
                {B, 40, 30},
                {B, 50, 20}},
               0, "figures");
    EXPECT_EQ(GfxGetFillMode(made.get()), GfxFillModeAlternate);

    GfxOwnedPath empty(GfxCreatePathFromFigures(points, types, 0));
    ASSERT_TRUE(empty);
    EXPECT_EQ(GfxGetPathPointCount(empty.get()), 0);
}

TEST(GraphicsPath, FillModeIsAlternateUntilSet) {
    ScopedPath p;
    EXPECT_EQ(GfxGetFillMode(p.path), GfxFillModeAlternate);
    GfxSetFillMode(p.path, GfxFillModeWinding);
    EXPECT_EQ(GfxGetFillMode(p.path), GfxFillModeWinding);
    GfxSetFillMode(p.path, GfxFillModeAlternate);
    EXPECT_EQ(GfxGetFillMode(p.path), GfxFillModeAlternate);
}

TEST(GraphicsPath, BoundsAreTheBoxOfThePoints) {
    ScopedPath empty;
    ExpectBounds(empty.path, nullptr, {0, 0, 0, 0}, "empty");
    const float scale[6] = {2, 0, 0, -3, 1, 1};
    ExpectBounds(empty.path, scale, {0, 0, 0, 0}, "empty, scaled");

    ScopedPath p;
    GfxAddLine(p.path, 0, 0, 10, 10);
    GfxAddBezier(p.path, 10, 10, 20, 20, 30, 20, 40, 10); // control points count
    GfxAddLine(p.path, 50, -5, 5, 5);
    ExpectBounds(p.path, nullptr, {0, -5, 50, 25}, "untransformed");
    ExpectBounds(p.path, scale, {1, -59, 100, 75}, "scaled and flipped");
    const float shift[6] = {1, 0, 0, 1, -10, 7};
    ExpectBounds(p.path, shift, {-10, 2, 50, 25}, "translated");

    // Under rotation the result is the box around the rotated box of the
    // points, not the box of the rotated points: a diagonal line turned onto
    // the x axis still has a height.
    ScopedPath diagonal;
    GfxAddLine(diagonal.path, 0, 0, 10, 10);
    const float c = std::sqrt(0.5f);
    const float rotate[6] = {c, -c, c, c, 0, 0}; // (10, 10) -> (14.14, 0)
    ExpectBounds(diagonal.path, rotate, {0, -7.0711f, 14.1421f, 14.1421f}, "rotated");
}

TEST(GraphicsMatrix, OperationsApplyAfterTheEarlierOnes) {
    struct Case {
        const char* label;
        void (*build)(GfxMatrix*);
        float expected[6];
    } cases[] = {
        {"identity", [](GfxMatrix*) {}, {1, 0, 0, 1, 0, 0}},
        {"translate then scale",
         [](GfxMatrix* m) {
             GfxTranslateMatrix(m, 10, 20);
             GfxScaleMatrix(m, 2, 3);
         },
         {2, 0, 0, 3, 20, 60}},
        {"scale then translate",
         [](GfxMatrix* m) {
             GfxScaleMatrix(m, 2, 3);
             GfxTranslateMatrix(m, 10, 20);
         },
         {2, 0, 0, 3, 10, 20}},
        {"translate then rotate 90",
         [](GfxMatrix* m) {
             GfxTranslateMatrix(m, 10, 0);
             GfxRotateMatrix(m, 90);
         },
         {0, 1, -1, 0, 0, 10}},
        {"rotate 30 then multiply",
         [](GfxMatrix* m) {
             GfxTranslateMatrix(m, 10, 20);
             GfxScaleMatrix(m, 2, 3);
             GfxRotateMatrix(m, 30);
             GfxMatrix* other = GfxCreateMatrix6(1, 2, 3, 4, 5, 6);
             GfxMultiplyMatrix(m, other);
             GfxDeleteMatrix(other);
         },
         {4.73205f, 7.46410f, 6.29423f, 7.39230f, 178.20509f, 228.48712f}},
    };
    for (const Case& c : cases) {
        GfxMatrix* m = GfxCreateMatrix();
        ASSERT_NE(m, nullptr);
        c.build(m);
        float e[6];
        GfxGetMatrixElements(m, e);
        for (int i = 0; i < 6; i++)
            EXPECT_NEAR(e[i], c.expected[i], 1e-3) << c.label << " element " << i;
        GfxDeleteMatrix(m);
    }

    GfxMatrix* m = GfxCreateMatrix6(1.5f, -2, 0.25f, 4, -7, 8.5f);
    float e[6];
    GfxGetMatrixElements(m, e);
    const float given[6] = {1.5f, -2, 0.25f, 4, -7, 8.5f};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(e[i], given[i]);
    GfxDeleteMatrix(m);
}

} // namespace
