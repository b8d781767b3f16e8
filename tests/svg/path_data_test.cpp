// Path data into figures: the command table, implicit repetition, smooth
// curve reflection, quadratics raised to cubics, arcs split into cubics, and
// where parsing stops. Points are read back through the graphics layer, so
// these tests run natively and against GDI+.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "path_reader.h"
#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/values/path_data.h"

namespace {

const uint8_t S = GfxPointTypeStart;
const uint8_t L = GfxPointTypeLine;
const uint8_t B = GfxPointTypeBezier;
const uint8_t Z = GfxPointTypeCloseSubpath;
const float k = 0.6666667f; // a quadratic's control to a cubic's

PathContents Parse(const std::wstring& d) {
    ScopedPath p;
    ParsePathData(p.path, d);
    return ReadPath(p.path);
}

struct Case {
    const wchar_t* d;
    std::vector<PathPoint> points;
};

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        ScopedPath p;
        ParsePathData(p.path, c.d);
        ExpectPath(p.path, c.points, 1e-4f, std::string(c.d, c.d + wcslen(c.d)));
    }
}

TEST(PathData, CommandsAndOperands) {
    RunCases({
        {L"M10 20 L30 40", {{S, 10, 20}, {L, 30, 40}}},
        {L"M10 20 30 40 50 60", {{S, 10, 20}, {L, 30, 40}, {L, 50, 60}}},
        {L"m10 20 30 40", {{S, 10, 20}, {L, 40, 60}}},
        {L"M1 1 m2 2 l1 0", {{S, 3, 3}, {L, 4, 3}}},
        {L"L10 10", {{S, 0, 0}, {L, 10, 10}}},
        {L"M10 10 h5 v5 H0 V0 z l1 1",
         {{S, 10, 10},
          {L, 15, 10},
          {L, 15, 15},
          {L, 0, 15},
          {L | Z, 0, 0},
          {S, 10, 10},
          {L, 11, 11}}},
        {L"M0 0 L1 1 z z L2 2", {{S, 0, 0}, {L | Z, 1, 1}, {S, 0, 0}, {L, 2, 2}}},
        {L"M0 0 C0 50 50 50 50 0", {{S, 0, 0}, {B, 0, 50}, {B, 50, 50}, {B, 50, 0}}},
        {L"M10 10 c0 10 10 10 10 0 s10 -10 10 0",
         {{S, 10, 10}, {B, 10, 20}, {B, 20, 20}, {B, 20, 10}, {B, 20, 0}, {B, 30, 0}, {B, 30, 10}}},
        {L"M10 10 q10 10 20 0",
         {{S, 10, 10}, {B, 10 + 10 * k, 10 + 10 * k}, {B, 30 - 10 * k, 10 + 10 * k}, {B, 30, 10}}},
        {L"M10 10 t10 0", {{S, 10, 10}, {B, 10, 10}, {B, 20 - 10 * k, 10}, {B, 20, 10}}},
    });
}

TEST(PathData, NumbersNeedNoSeparatorsWhereTheGrammarEndsThem) {
    RunCases({
        {L"M1.5.5L0 0", {{S, 1.5f, 0.5f}, {L, 0, 0}}},
        {L"M-1-2L0 0", {{S, -1, -2}, {L, 0, 0}}},
        {L"M1e2,3E-1L0 0", {{S, 100, 0.3f}, {L, 0, 0}}},
        {L"M.5,-.5L0 0", {{S, 0.5f, -0.5f}, {L, 0, 0}}},
        {L"M0,0,,L,10,,10", {{S, 0, 0}, {L, 10, 10}}},
        {L"\t\r\n M 0\t0\nL\r\n10 10 ", {{S, 0, 0}, {L, 10, 10}}},
        {L"M0 0L1e1 1e", {{S, 0, 0}, {L, 10, 1}}},
    });
}

TEST(PathData, MissingOperandEndsParsingAndDropsTheSegment) {
    RunCases({
        // A blank before the "L" lets the scanner move: the missing y is 0.
        {L"M 10 L 20 30", {{S, 10, 0}, {L, 20, 30}}},
        {L"M10L20 30", {}},
        {L"M0 0 L10 10 L20", {{S, 0, 0}, {L, 10, 10}}},
        {L"M0 0 L10 10 C1 1 2 2", {{S, 0, 0}, {L, 10, 10}}},
        {L"M0 0 L10 10 A5 5 0 1", {{S, 0, 0}, {L, 10, 10}}},
        {L"M0 0 L1 1 A5 5 0 2 1 10 0", {{S, 0, 0}, {L, 1, 1}}},
        {L"M0 0 L1 1 -", {{S, 0, 0}, {L, 1, 1}}},
    });
}

TEST(PathData, WhereParsingEnds) {
    RunCases({
        {L"", {}},
        {L" ,\t\r\n,, ", {}},
        {L"10 10 L 5 5", {}},                                 // no command yet
        {L"M0 0 L10 10 Z 5 5", {{S, 0, 0}, {L | Z, 10, 10}}}, // closepath never repeats
        {L"M0 0 L10 10 X 20 20", {{S, 0, 0}, {L, 10, 10}}},
        {L"M0 0 L10 10 e 20 20", {{S, 0, 0}, {L, 10, 10}}},
        {L"M0 0 L10 10 \x00e9 20 20", {{S, 0, 0}, {L, 10, 10}}}, // not an ASCII letter
        {L"M0 0 L10 10 ; L 20 20", {{S, 0, 0}, {L, 10, 10}}},
    });
}

TEST(PathData, SmoothCurvesReflectOnlyAfterTheirOwnKind) {
    RunCases({
        // The T control (150, -100) is the reflection of (50, 100) about (100, 0).
        {L"M0 0 Q50 100 100 0 T200 0",
         {{S, 0, 0},
          {B, 50 * k, 100 * k},
          {B, 100 - 50 * k, 100 * k},
          {B, 100, 0},
          {B, 100 + 50 * k, -100 * k},
          {B, 200 - 50 * k, -100 * k},
          {B, 200, 0}}},
        // After a line T has R = the current point: a straight cubic.
        {L"M0 0 L50 50 T100 0",
         {{S, 0, 0}, {L, 50, 50}, {B, 50, 50}, {B, 100 - 50 * k, 50 * k}, {B, 100, 0}}},
        // A chain of T: each reflects the previous T's control.
        {L"M0 0 Q10 10 20 0 T40 0 T60 0",
         {{S, 0, 0},
          {B, 10 * k, 10 * k},
          {B, 20 - 10 * k, 10 * k},
          {B, 20, 0},
          {B, 20 + 10 * k, -10 * k},
          {B, 40 - 10 * k, -10 * k},
          {B, 40, 0},
          {B, 40 + 10 * k, 10 * k},
          {B, 60 - 10 * k, 10 * k},
          {B, 60, 0}}},
        {L"M0 0 C0 50 50 50 50 0 S100 -50 100 0",
         {{S, 0, 0},
          {B, 0, 50},
          {B, 50, 50},
          {B, 50, 0},
          {B, 50, -50},
          {B, 100, -50},
          {B, 100, 0}}},
        // S after Q does not reflect.
        {L"M0 0 Q25 50 50 0 S75 -50 100 0",
         {{S, 0, 0},
          {B, 25 * k, 50 * k},
          {B, 50 - 25 * k, 50 * k},
          {B, 50, 0},
          {B, 50, 0},
          {B, 75, -50},
          {B, 100, 0}}},
        // T after C does not reflect either.
        {L"M0 0 C0 10 10 10 10 0 T20 0",
         {{S, 0, 0},
          {B, 0, 10},
          {B, 10, 10},
          {B, 10, 0},
          {B, 10, 0},
          {B, 20 - 10 * k, 0},
          {B, 20, 0}}},
        // An implicitly repeated S counts as a previous S.
        {L"M0 0 S10 10 20 0 30 -10 40 0",
         {{S, 0, 0}, {B, 0, 0}, {B, 10, 10}, {B, 20, 0}, {B, 30, -10}, {B, 30, -10}, {B, 40, 0}}},
        // After a moveto S starts from the current point.
        {L"M0 0 C0 10 10 10 10 0 M20 0 S30 10 40 0",
         {{S, 0, 0},
          {B, 0, 10},
          {B, 10, 10},
          {B, 10, 0},
          {S, 20, 0},
          {B, 20, 0},
          {B, 30, 10},
          {B, 40, 0}}},
    });
}

// Checks that every on-curve point of the arc lies on the circle or ellipse
// ((x - cx) / rx)^2 + ((y - cy) / ry)^2 = 1 and that it has `cubics` segments
// after the start point and ends exactly at the end point.
void ExpectArc(const wchar_t* d, size_t cubics, float cx, float cy, float rx, float ry, float endX,
               float endY) {
    PathContents got = Parse(d);
    ASSERT_EQ(got.points.size(), 1 + 3 * cubics) << d;
    EXPECT_EQ(got.types[0], S) << d;
    for (size_t i = 3; i < got.points.size(); i += 3) {
        EXPECT_EQ(got.types[i], B) << d;
        float u = (got.points[i].x - cx) / rx, v = (got.points[i].y - cy) / ry;
        EXPECT_NEAR(u * u + v * v, 1, 1e-4) << d << " point " << i;
    }
    EXPECT_EQ(got.points.back().x, endX) << d;
    EXPECT_EQ(got.points.back().y, endY) << d;
}

TEST(PathData, ArcsBecomeCubicsOfAtMostAQuarterTurn) {
    ExpectArc(L"M0 0 A10 10 0 0 1 10 10", 2, 0, 10, 10, 10, 10, 10); // quarter circle
    ExpectArc(L"M0 0 A10 10 0 1 0 10 10", 4, 0, 10, 10, 10, 10, 10); // three quarters
    ExpectArc(L"M0 0 A5 5 0 0 1 10 0", 3, 5, 0, 5, 5, 10, 0);        // semicircle
    ExpectArc(L"M0 0 A5 5 0 0 0 10 0", 3, 5, 0, 5, 5, 10, 0);
    ExpectArc(L"M10 10 a10 10 0 0 1 10 10", 2, 10, 20, 10, 10, 20, 20); // relative end point
    ExpectArc(L"M0 0 A-10 -10 0 0 1 10 10", 2, 0, 10, 10, 10, 10, 10);  // radii taken as |r|
    ExpectArc(L"M0 0 A20 10 0 0 1 40 0", 3, 20, 0, 20, 10, 40, 0);      // half ellipse
    ExpectArc(L"M0 0 A10 10 0 1 1 0.5 0", 4, 0.25f, -9.9968748f, 10, 10, 0.5f,
              0); // almost a full turn
    // Flags take one character each: «1150» is 1, 1 and 50; radii too small
    // to reach the end point are scaled up to a half circle.
    ExpectArc(L"M0 0 a10 10 0 1150 50", 3, 25, 25, 35.355339f, 35.355339f, 50, 50);

    // The tilted half ellipse passes through (10, 20), right of its centre.
    PathContents tilted = Parse(L"M0 0 A20 10 90 0 1 0 40");
    ASSERT_EQ(tilted.points.size(), 10u);
    for (size_t i = 3; i < 10; i += 3) {
        float u = tilted.points[i].x / 10, v = (tilted.points[i].y - 20) / 20;
        EXPECT_NEAR(u * u + v * v, 1, 1e-3) << i;
        EXPECT_GE(tilted.points[i].x, -1e-3);
    }

    // Quarter circle in detail (values from a double-precision reference):
    // the middle point is at 45 degrees on the circle around (0, 10).
    RunCases({{L"M0 0 A10 10 0 0 1 10 10",
               {{S, 0, 0},
                {B, 2.652165f, 0},
                {B, 5.195704f, 1.053568f},
                {B, 7.071068f, 2.928932f},
                {B, 8.946432f, 4.804296f},
                {B, 10, 7.347835f},
                {B, 10, 10}}}});
}

TEST(PathData, ArcEdgeCases) {
    RunCases({
        // A zero radius makes a straight line.
        {L"M0 0 A0 10 0 0 1 10 10", {{S, 0, 0}, {L, 10, 10}}},
        {L"M0 0 A10 0 0 0 1 10 10", {{S, 0, 0}, {L, 10, 10}}},
        // An arc back to its own start draws nothing and the path goes on.
        {L"M5 5 A10 10 0 0 1 5 5 L6 6", {{S, 5, 5}, {L, 6, 6}}},
        // The next segment starts exactly where the arc ends: no joining line.
        {L"M0 0 A5 5 0 0 1 10 0 L20 0",
         {{S, 0, 0},
          {B, 0, -1.786328f},
          {B, 0.952995f, -3.436963f},
          {B, 2.5f, -4.330127f},
          {B, 4.047005f, -5.223291f},
          {B, 5.952995f, -5.223291f},
          {B, 7.5f, -4.330127f},
          {B, 9.047005f, -3.436963f},
          {B, 10, -1.786328f},
          {B, 10, 0},
          {L, 20, 0}}},
    });
}

TEST(PathData, HugeTinyAndMalformedNumbersDoNotBreakTheParser) {
    const wchar_t* texts[] = {
        L"M1e39 1e39 L-1e39 1e-50 Z",
        L"M0 0 A1e39 1e39 0 0 1 10 10",
        L"M1e39 0 A5 5 0 0 1 10 10",
        L"M0 0 A5 5 0 0 1 1e39 1e39",
        L"M0 0 A5 5 1e39 0 1 10 10",
        L"M0 0 L1e39 -1e39 A5 5 0 0 1 0 0 Q1e39 0 1 1 T1e39 1e39 S1 1e39 1e39 1",
        L"M0 0 A1e-50 1e-50 0 0 1 10 10",
        L"M0 0 A1e-30 1e-30 0 0 1 1e-30 0",
        L"M3e38 3e38 a3e38 3e38 0 1 1 3e38 -3e38 c3e38 3e38 3e38 3e38 3e38 3e38",
        L"M0 0 A5 5 0 0 1 0 1e-40",
    };
    for (const wchar_t* d : texts) {
        PathContents got = Parse(d);
        for (uint8_t type : got.types) {
            uint8_t kind = type & GfxPointTypeMask;
            EXPECT_TRUE(kind == S || kind == L || kind == B) << type;
        }
    }
    // A number too large for a float is an error: the path ends before the
    // command holding it (an arc radius of 1e999 included); tiny ones are 0.
    PathContents huge = Parse(L"M1 -1 L1e-50 5 L1e39 0 L7 7");
    ASSERT_EQ(huge.points.size(), 2u);
    EXPECT_EQ(huge.points[1].x, 0.0f);
    EXPECT_EQ(Parse(L"M10 50 L20 50 A1e999 1e999 0 0 1 90 50").points.size(), 2u);
}

TEST(PathData, LongAndGarbageTextsParseSafely) {
    std::wstring d = L"M0 0";
    while (d.size() < 1000000)
        d += L" L1 2 h3 v-4 c1,2,3,4,5,6 s7 8 9 10 q1 2 3 4 t5 6 a5 5 30 0 1 10 10 z";
    PathContents got = Parse(d);
    EXPECT_GT(got.points.size(), 100000u);
    EXPECT_EQ(got.types.back() & Z, Z);

    // Random characters from the path alphabet and beyond, including
    // surrogates and NUL, never crash and only add lines and cubics.
    const wchar_t alphabet[] = L"MmLlHhVvCcSsQqTtAaZz0123456789.-+eE ,\t\r\nXx";
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; round++) {
        std::wstring text;
        size_t length = random() % 80;
        for (size_t i = 0; i < length; i++) {
            unsigned pick = random() % 10;
            if (pick == 0)
                text.push_back(static_cast<wchar_t>(random() % 0x10000));
            else
                text.push_back(alphabet[random() % (sizeof alphabet / sizeof alphabet[0] - 1)]);
        }
        PathContents random_path = Parse(text);
        for (uint8_t type : random_path.types) {
            uint8_t kind = type & GfxPointTypeMask;
            ASSERT_TRUE(kind == S || kind == L || kind == B);
        }
    }
}

TEST(PathData, AnArcWhoseEndNearlyMeetsItsStartIsAlmostAFullTurn) {
    // A full circle as icon sets write it: radius 192 about (256, 256).
    PathContents ring = Parse(L"M256 64 a192 192 0 1 0 .001 0");
    ASSERT_EQ(13u, ring.points.size()); // four cubics
    float lowest = 0, leftmost = 1000;
    for (const GfxPointF& p : ring.points) {
        lowest = std::fmax(lowest, p.y);
        leftmost = std::fmin(leftmost, p.x);
    }
    EXPECT_NEAR(448, lowest, 0.01f);
    EXPECT_NEAR(64, leftmost, 0.01f);
    EXPECT_NEAR(256.001f, ring.points.back().x, 1e-4f);
    EXPECT_EQ(64.0f, ring.points.back().y);
}

} // namespace

TEST(PathData, TheFilesBytesParseAsTheirWideTextWithNonAsciiStoppingBoth) {
    // "é" (two UTF-8 bytes) and a no-break space end the data; the arc and
    // the long number go through the scanner's other branches.
    const char* texts[] = {"M0 0 L10 10 L20 20\xC3\xA9 L30 30", "M0 0 h5\xC2\xA0v5",
                           "M1 1 A5 5 0 1 0 9 9 l1.0000000000000000001e1 3"};
    for (const char* utf8 : texts) {
        GfxPath* bytes = GfxCreatePath();
        GfxPath* wide = GfxCreatePath();
        ParsePathData(bytes, utf8, std::strlen(utf8));
        ParsePathData(wide, WideFromUtf8(utf8, std::strlen(utf8)));
        PathContents a = ReadPath(wide), b = ReadPath(bytes);
        ASSERT_EQ(a.types, b.types) << utf8;
        for (size_t i = 0; i < a.points.size(); i++) {
            EXPECT_EQ(a.points[i].x, b.points[i].x) << utf8 << " point " << i;
            EXPECT_EQ(a.points[i].y, b.points[i].y) << utf8 << " point " << i;
        }
        GfxDeletePath(bytes);
        GfxDeletePath(wide);
    }
}
