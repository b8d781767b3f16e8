#include "svg/values/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "svg/base/strings.h"

namespace {

struct TransformCase {
    const wchar_t* text;
    Matrix2D expected;
};

Matrix2D Parse(const std::wstring& text) {
    Matrix2D m = {9, 9, 9, 9, 9, 9}; // overwritten in every case
    ParseTransformList(text, &m);
    return m;
}

void ExpectMatrix(const Matrix2D& expected, const Matrix2D& actual, const std::wstring& text,
                  float tolerance) {
    const float want[] = {expected.a, expected.b, expected.c, expected.d, expected.e, expected.f};
    const float got[] = {actual.a, actual.b, actual.c, actual.d, actual.e, actual.f};
    for (int i = 0; i < 6; i++) {
        if (tolerance == 0)
            EXPECT_EQ(want[i], got[i]) << "field " << i << " of " << Utf8FromWide(text);
        else
            EXPECT_NEAR(want[i], got[i], tolerance)
                << "field " << i << " of " << Utf8FromWide(text);
    }
}

void MapPoint(const Matrix2D& m, float x, float y, float* outX, float* outY) {
    *outX = m.a * x + m.c * y + m.e;
    *outY = m.b * x + m.d * y + m.f;
}

TEST(TransformTest, ReadsFunctionsUntilTheTextStopsMakingSense) {
    const TransformCase cases[] = {
        {L"", {1, 0, 0, 1, 0, 0}},
        {L"   ", {1, 0, 0, 1, 0, 0}},
        {L"\t\n,", {1, 0, 0, 1, 0, 0}},
        {L"translate(10)", {1, 0, 0, 1, 10, 0}},
        {L"translate(10,20)", {1, 0, 0, 1, 10, 20}},
        {L"translate(10 20)", {1, 0, 0, 1, 10, 20}},
        {L"translate( 10 ,, 20 )", {1, 0, 0, 1, 10, 20}},
        {L"TRANSLATE(1,2)", {1, 0, 0, 1, 1, 2}},
        {L"scale(2)", {2, 0, 0, 2, 0, 0}},
        {L"scale(2,0)", {2, 0, 0, 0, 0, 0}},
        {L"scale(2 0)", {2, 0, 0, 0, 0, 0}},
        {L"scale(2,3)", {2, 0, 0, 3, 0, 0}},
        {L"scale(2,)", {2, 0, 0, 2, 0, 0}},
        {L"scale(2,abc)", {2, 0, 0, 2, 0, 0}},
        {L"scale(2,e)", {2, 0, 0, 0, 0, 0}}, // "e" counts as a second number
        {L"scale()", {0, 0, 0, 0, 0, 0}},
        {L"scale(   )", {0, 0, 0, 0, 0, 0}},
        {L"matrix(1 2 3)", {1, 2, 3, 0, 0, 0}},
        {L"matrix(1,2,3,4,5,6,7)", {1, 2, 3, 4, 5, 6}},
        {L"foo(1,2) translate(5,5)", {1, 0, 0, 1, 5, 5}},
        {L"translate x (5)", {1, 0, 0, 1, 5, 0}},
        {L"translate(5,5) scale", {1, 0, 0, 1, 5, 5}},
        {L"translate(5,5) scale(2", {1, 0, 0, 1, 5, 5}},
        {L"translate(5,5) 3", {1, 0, 0, 1, 5, 5}},
        {L"(5,5)", {1, 0, 0, 1, 0, 0}},
        {L"translate(10,abc,20)", {1, 0, 0, 1, 10, 0}},
        {L"translate(1,2)translate(3,4)", {1, 0, 0, 1, 4, 6}},
        {L"translate(1,2),\r\ntranslate(3,4)", {1, 0, 0, 1, 4, 6}},
        {L"translate(1)) scale(2)", {1, 0, 0, 1, 1, 0}},
        {L"translate((1,2) scale(2)", {2, 0, 0, 2, 0, 0}}, // no nesting
        {L"translate(1,2) scale(2)", {2, 0, 0, 2, 1, 2}},
        {L"scale(2) translate(1,2)", {2, 0, 0, 2, 2, 4}},
        {L"translate(1e-50)", {1, 0, 0, 1, 0, 0}},
        {L"translate(NaN,2)", {1, 0, 0, 1, 0, 0}}, // not a number: missing
        {L"scale(NaN)", {0, 0, 0, 0, 0, 0}},
        {L"skewx(0) skewY(0) rotate(0)", {1, 0, 0, 1, 0, 0}},
    };
    for (const TransformCase& c : cases)
        ExpectMatrix(c.expected, Parse(c.text), c.text, 0);

    const TransformCase approximate[] = {
        {L"rotate(90)", {0, 1, -1, 0, 0, 0}},
        {L"rotate(-90 0 0)", {0, -1, 1, 0, 0, 0}},
        {L"skewX(45)", {1, 0, 1, 1, 0, 0}},
        {L"SKEWY(45)", {1, 1, 0, 1, 0, 0}},
        {L"rotate(90, 10, 10)", {0, 1, -1, 0, 20, 0}},
        {L"translate(10,10) rotate(90) translate(-10,-10)", {0, 1, -1, 0, 20, 0}},
    };
    for (const TransformCase& c : approximate)
        ExpectMatrix(c.expected, Parse(c.text), c.text, 1e-5f);
}

TEST(TransformTest, MapsPointsInTextOrder) {
    float x, y;
    MapPoint(Parse(L"translate(10,0) scale(2)"), 1, 0, &x, &y);
    EXPECT_EQ(12, x); // the scale applies first
    EXPECT_EQ(0, y);
    MapPoint(Parse(L"scale(2) translate(10,0)"), 1, 0, &x, &y);
    EXPECT_EQ(22, x);

    const float centres[][2] = {{10, 10}, {-3.5f, 7}, {100, -250}};
    const wchar_t* rotations[] = {L"rotate(90,10,10)", L"rotate(33,-3.5,7)",
                                  L"rotate(-170 100 -250)"};
    for (int i = 0; i < 3; i++) {
        MapPoint(Parse(rotations[i]), centres[i][0], centres[i][1], &x, &y);
        EXPECT_NEAR(centres[i][0], x, 1e-4f) << Utf8FromWide(rotations[i]);
        EXPECT_NEAR(centres[i][1], y, 1e-4f) << Utf8FromWide(rotations[i]);
    }
    MapPoint(Parse(L"rotate(90,10,10)"), 20, 10, &x, &y);
    EXPECT_NEAR(10, x, 1e-5f);
    EXPECT_NEAR(20, y, 1e-5f);
}

// rotate() rounds its angle to a float with a single-precision pi; skews keep
// double precision. The difference shows as rotate(180)'s sine (pi as a float
// is a little above pi) and in steep skews.
TEST(TransformTest, AnglePrecisionFollowsTheFunction) {
    Matrix2D m = Parse(L"rotate(180)");
    float r = static_cast<float>(180.0 * static_cast<double>(3.1415927f) / 180.0);
    EXPECT_EQ(static_cast<float>(std::sin(static_cast<double>(r))), m.b);
    EXPECT_LT(m.b, -8e-8f); // a double-precision pi would give about 1e-16

    m = Parse(L"skewX(89)");
    const double pi = 3.14159265358979323846;
    EXPECT_EQ(static_cast<float>(std::tan(89.0 * pi / 180.0)), m.c);
    EXPECT_NE(static_cast<float>(std::tan(static_cast<double>(
                  static_cast<float>(89.0 * static_cast<double>(3.1415927f) / 180.0)))),
              m.c);
    m = Parse(L"skewY(-89)");
    EXPECT_EQ(static_cast<float>(std::tan(-89.0 * pi / 180.0)), m.b);
}

TEST(TransformTest, ComposeInvertApply) {
    const Matrix2D first = {1, 2, 3, 4, 5, 6};
    const Matrix2D second = {7, 8, 9, 10, 11, 12};
    ExpectMatrix({31, 46, 39, 58, 52, 76}, ComposeMatrix(first, second), L"first x second", 0);
    ExpectMatrix({25, 28, 57, 64, 100, 112}, ComposeMatrix(second, first), L"second x first", 0);
    Matrix2D m;
    IdentityMatrix(&m);
    ExpectMatrix({1, 0, 0, 1, 0, 0}, m, L"identity", 0);

    Matrix2D inverse;
    ASSERT_TRUE(InvertMatrix({2, 0, 0, 4, 10, 20}, &inverse));
    ExpectMatrix({0.5f, 0, 0, 0.25f, -5, -5}, inverse, L"scale and move", 0);
    // A turn with a move round-trips a point.
    const Matrix2D turn = {0.8f, 0.6f, -0.6f, 0.8f, 3.0f, -7.0f};
    ASSERT_TRUE(InvertMatrix(turn, &inverse));
    float x = 12.5f, y = -4.0f;
    ApplyMatrix(turn, &x, &y);
    ApplyMatrix(inverse, &x, &y);
    EXPECT_NEAR(12.5f, x, 1e-4f);
    EXPECT_NEAR(-4.0f, y, 1e-4f);
    // A small scale is still a scale: worked out in double precision, a
    // determinant of 1e-10 inverts (a single-precision inverse refused it).
    ASSERT_TRUE(InvertMatrix({1e-5f, 0, 0, 1e-5f, 0, 0}, &inverse));
    EXPECT_FLOAT_EQ(1e5f, inverse.a);
    EXPECT_FLOAT_EQ(1e5f, inverse.d);

    // What flattens the plane, or holds no number, fails and writes nothing.
    const Matrix2D untouched = {9, 9, 9, 9, 9, 9};
    const float inf = std::numeric_limits<float>::infinity();
    const Matrix2D bad[] = {{1, 2, 2, 4, 5, 6},
                            {1e-7f, 0, 0, 1e-7f, 0, 0},
                            {inf, 0, 0, 1, 0, 0},
                            {1, 0, 0, 1, inf, 0},
                            {1e-5f, 0, 0, 1e-5f, 3e38f, 0}};
    for (const Matrix2D& b : bad) {
        inverse = untouched;
        EXPECT_FALSE(InvertMatrix(b, &inverse)) << b.a << " " << b.e;
        ExpectMatrix(untouched, inverse, L"left alone", 0);
    }

    // Device matrices stay in double precision, where a scale of 1e70 and
    // its inverse both hold.
    DeviceMatrix device;
    ASSERT_TRUE(InvertDeviceMatrix({1e70, 0, 0, 2e70, 1e70, 0}, &device));
    EXPECT_DOUBLE_EQ(1e-70, device.a);
    EXPECT_DOUBLE_EQ(0.5e-70, device.d);
    EXPECT_DOUBLE_EQ(-1.0, device.e);
    EXPECT_FALSE(InvertDeviceMatrix({1, 2, 2, 4, 0, 0}, &device));
}

TEST(TransformTest, ExtremeAndHugeInputsEndWithoutFaults) {
    // A number beyond the float range puts its function in error: the list
    // keeps what came before it.
    Matrix2D m = Parse(L"translate(1e39)");
    ExpectMatrix({1, 0, 0, 1, 0, 0}, m, L"translate(1e39)", 0);
    m = Parse(L"translate(2) scale(3,-1e400) scale(5)");
    ExpectMatrix({1, 0, 0, 1, 2, 0}, m, L"scale(3,-1e400)", 0);
    m = Parse(L"rotate(1e38)");
    EXPECT_FALSE(std::isnan(m.a));
    EXPECT_EQ(0, m.e); // no centre: no translation
    m = Parse(L"rotate(1e39,1e39,-1e39) skewX(1e39) skewY(-1e39) scale(1e39,1e-50)");

    const size_t megabyte = 1 << 20;
    std::wstring repeated;
    for (int i = 0; i < 100000; i++)
        repeated += L"translate(1) ";
    m = Parse(repeated);
    EXPECT_EQ(100000, m.e);

    const std::wstring junk[] = {
        std::wstring(megabyte, L'('),
        std::wstring(megabyte, L')'),
        std::wstring(megabyte, L'x'),
        std::wstring(megabyte, L','),
        L"translate(" + std::wstring(megabyte, L'('),
        L"translate(" + std::wstring(megabyte, L' ') + L")",
        L"x" + std::wstring(megabyte, L' ') + L"(",
    };
    for (const std::wstring& text : junk)
        ExpectMatrix({1, 0, 0, 1, 0, 0}, Parse(text), L"junk", 0);

    m = Parse(L"scale(" + std::wstring(megabyte, L'7') + L")");
    ExpectMatrix({1, 0, 0, 1, 0, 0}, m, L"a million digits", 0);
    std::wstring manyNumbers;
    for (size_t i = 0; i < megabyte / 2; i++)
        manyNumbers += L"1 ";
    m = Parse(L"scale(3 " + manyNumbers + L")");
    EXPECT_EQ(3, m.a);
    EXPECT_EQ(1, m.d);
}

TEST(CssTransform, UnitsAnglesAndInvalidValues) {
    const LengthBasis basis = {10, 200, 100};
    struct Case {
        const wchar_t* text;
        int valid;
        Matrix2D expected;
    } cases[] = {
        {L"translate(10px, 20px)", 1, {1, 0, 0, 1, 10, 20}},
        {L" translate(1in) ", 1, {1, 0, 0, 1, 96, 0}},
        {L"translateY(2em) translateX(50%)", 1, {1, 0, 0, 1, 100, 20}},
        {L"translate(3, 4)", 1, {1, 0, 0, 1, 3, 4}}, // bare numbers in pixels
        {L"rotate(0.25turn)", 1, {0, 1, -1, 0, 0, 0}},
        {L"rotate(100grad)", 1, {0, 1, -1, 0, 0, 0}},
        {L"ROTATE(3.14159265rad)", 1, {-1, 0, 0, -1, 0, 0}},
        {L"rotate(90deg) translate(10px)", 1, {0, 1, -1, 0, 0, 10}},
        {L"rotate(0)", 1, {1, 0, 0, 1, 0, 0}},
        {L"scale(2)", 1, {2, 0, 0, 2, 0, 0}},
        {L"scale(2,3)", 1, {2, 0, 0, 3, 0, 0}},
        {L"scaleY(3)", 1, {1, 0, 0, 3, 0, 0}},
        {L"skewX(45deg)", 1, {1, 0, 1, 1, 0, 0}},
        {L"skew(0deg, 45deg)", 1, {1, 1, 0, 1, 0, 0}},
        {L"matrix(1, 2, 3, 4, 5, 6)", 1, {1, 2, 3, 4, 5, 6}},
        {L"none", 1, {1, 0, 0, 1, 0, 0}},
        {L"rotate(45)", 0, {}},           // an angle needs its unit
        {L"translate(10px 20px)", 0, {}}, // CSS separates arguments by commas
        {L"translate(10px,,20px)", 0, {}},
        {L"scale(2px)", 0, {}},
        {L"rotate (45deg)", 0, {}},
        {L"scale(2", 0, {}},
        {L"matrix(1, 2, 3, 4, 5)", 0, {}},
        {L"spin(45deg)", 0, {}},
        {L"translate(1e39px)", 0, {}},
        {L"", 0, {}},
    };
    for (const Case& c : cases) {
        Matrix2D m = {9, 9, 9, 9, 9, 9};
        ASSERT_EQ(c.valid, ParseCssTransform(c.text, basis, &m)) << Utf8FromWide(c.text);
        if (c.valid)
            ExpectMatrix(c.expected, m, c.text, 1e-5f);
        else
            ExpectMatrix({9, 9, 9, 9, 9, 9}, m, c.text, 0);
    }
}

} // namespace
