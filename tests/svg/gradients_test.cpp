// Gradient definitions: reading, reference chains, the registries and the
// per-document copy.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>

#include "svg/base/strings.h"
#include "svg/records/document.h"
#include "svg/records/document_gradients.h"
#include "svg/style/gradients.h"
#include "xml_fixture.h"

namespace {

const Argb Red = 0xFFFF0000u, Blue = 0xFF0000FFu, Black = 0xFF000000u, Grey = 0xFF808080u;

// A drawing whose gradients are registered in its own load context.
struct GradientFile {
    ParsedXml xml;
    LoadContext context;
    explicit GradientFile(const std::string& defs)
        : xml("<svg xmlns='http://www.w3.org/2000/svg' "
              "xmlns:xlink='http://www.w3.org/1999/xlink'>" +
              defs + "</svg>") {
        EXPECT_TRUE(xml.Root() != nullptr) << defs;
        FillDocumentMaps(&context, xml.Root());
    }
    const GradientDef* Find(const wchar_t* id) const {
        return FindRegisteredGradient(&context.gradients, id);
    }
    int Average(const wchar_t* id, Argb* colour) const {
        return FindGradientAverageColour(&context.gradients, id, colour);
    }
    GradientDef Get(const wchar_t* id) const {
        const GradientDef* d = Find(id);
        EXPECT_TRUE(d != nullptr) << Utf8FromWide(id);
        return d ? *d : GradientDef();
    }
};

std::string Stops(const char* first, const char* second) {
    return std::string("<stop offset='0' stop-color='") + first +
           "'/><stop offset='1' stop-color='" + second + "'/>";
}

TEST(Gradients, DefaultsOfLinearAndRadial) {
    GradientFile file("<linearGradient id='l'/><radialGradient id='r'/>");
    GradientDef l = file.Get(L"l");
    EXPECT_EQ(0, l.type);
    EXPECT_EQ(0.0f, l.x1);
    EXPECT_EQ(1.0f, l.x2);
    EXPECT_EQ(1, l.units);
    EXPECT_EQ(0, l.spread);
    EXPECT_EQ(0, l.hasTransform);
    EXPECT_EQ(0, GradientStopCount(&l));

    GradientDef r = file.Get(L"r");
    EXPECT_EQ(1, r.type);
    EXPECT_EQ(0.5f, r.cx);
    EXPECT_EQ(0.5f, r.cy);
    EXPECT_EQ(0.5f, r.r);
    EXPECT_EQ(0.5f, r.fx);
    EXPECT_EQ(0.5f, r.fy);
    // No stops: the average colour is grey.
    Argb average = 0;
    ASSERT_EQ(1, file.Average(L"r", &average));
    EXPECT_EQ(Grey, average);
}

// In user space the defaults are percentages of the viewport (200 x 100),
// also where the units come from another element of the chain; the focal
// point follows the centre.
TEST(Gradients, DefaultsInUserSpaceAreOfTheViewport) {
    GradientFile file("<linearGradient id='l' gradientUnits='userSpaceOnUse'/>"
                      "<radialGradient id='r' gradientUnits='userSpaceOnUse'/>"
                      "<radialGradient id='c' href='#r' cx='10'/>");
    GradientDef l = file.Get(L"l");
    EXPECT_EQ(0.0f, l.x1);
    EXPECT_EQ(0.0f, l.y1);
    EXPECT_FLOAT_EQ(200.0f, l.x2);
    EXPECT_EQ(0.0f, l.y2);
    const float halfDiagonal = 0.5f * std::sqrt((200.0f * 200 + 100.0f * 100) / 2);
    struct Case {
        const wchar_t* id;
        float cx, cy, r;
    } cases[] = {{L"r", 100, 50, halfDiagonal}, {L"c", 10, 50, halfDiagonal}};
    for (const Case& expected : cases) {
        GradientDef g = file.Get(expected.id);
        EXPECT_FLOAT_EQ(expected.cx, g.cx) << Utf8FromWide(expected.id);
        EXPECT_FLOAT_EQ(expected.cy, g.cy) << Utf8FromWide(expected.id);
        EXPECT_FLOAT_EQ(expected.r, g.r) << Utf8FromWide(expected.id);
        EXPECT_FLOAT_EQ(expected.cx, g.fx) << Utf8FromWide(expected.id);
        EXPECT_FLOAT_EQ(expected.cy, g.fy) << Utf8FromWide(expected.id);
    }
}

TEST(Gradients, OwnAttributes) {
    GradientFile file(
        "<linearGradient id='a' x1='10%' y1='0.25' x2='50' y2='-2' gradientUnits=' UserSpaceOnUse '"
        " spreadMethod='REFLECT' gradientTransform='translate(3,4)'/>"
        "<radialGradient id='b' cx='0.3' cy='0.4' r='0.2' fx='0.1' fy='0.9'"
        " gradientUnits='objectBoundingBox' spreadMethod='repeat'/>"
        "<linearGradient id='c' x1='' gradientUnits='pixels' spreadMethod='sideways'/>");
    GradientDef a = file.Get(L"a");
    EXPECT_FLOAT_EQ(20.0f, a.x1); // 10 % of the viewport's width
    EXPECT_EQ(0.25f, a.y1);
    EXPECT_EQ(50.0f, a.x2);
    EXPECT_EQ(-2.0f, a.y2);
    EXPECT_EQ(0, a.units);
    EXPECT_EQ(1, a.spread);
    EXPECT_EQ(1, a.hasTransform);
    EXPECT_EQ(1.0f, a.transform.a);
    EXPECT_EQ(3.0f, a.transform.e);
    EXPECT_EQ(4.0f, a.transform.f);

    GradientDef b = file.Get(L"b");
    EXPECT_FLOAT_EQ(0.3f, b.cx);
    EXPECT_FLOAT_EQ(0.4f, b.cy);
    EXPECT_FLOAT_EQ(0.2f, b.r);
    EXPECT_FLOAT_EQ(0.1f, b.fx);
    EXPECT_FLOAT_EQ(0.9f, b.fy);
    EXPECT_EQ(1, b.units);
    EXPECT_EQ(2, b.spread);

    // Empty and unknown values leave the defaults.
    GradientDef c = file.Get(L"c");
    EXPECT_EQ(0.0f, c.x1);
    EXPECT_EQ(1, c.units);
    EXPECT_EQ(0, c.spread);
}

// Units are read with the number; a percentage is of the viewport in user
// space (width, height or the normalised diagonal), of the box otherwise, and
// keeps that meaning when the units come from elsewhere in the chain.
TEST(Gradients, CoordinateLengthsAndPercentages) {
    GradientFile file("<radialGradient id='u' cx='1in' cy='50%' r='10%' fx='2mm' fy='1em'"
                      " gradientUnits='userSpaceOnUse'/>"
                      "<radialGradient id='box' cx='25%' r='1pt'/>"
                      "<radialGradient id='user' href='#box' gradientUnits='userSpaceOnUse'/>");
    GradientDef u = file.Get(L"u");
    EXPECT_FLOAT_EQ(96.0f, u.cx);
    EXPECT_FLOAT_EQ(50.0f, u.cy);
    EXPECT_FLOAT_EQ(0.1f * std::sqrt((200.0f * 200 + 100.0f * 100) / 2), u.r);
    EXPECT_FLOAT_EQ(2 * 96 / 25.4f, u.fx);
    EXPECT_FLOAT_EQ(12.0f, u.fy);
    GradientDef box = file.Get(L"box");
    EXPECT_FLOAT_EQ(0.25f, box.cx);
    EXPECT_FLOAT_EQ(96 / 72.0f, box.r);
    EXPECT_FLOAT_EQ(50.0f, file.Get(L"user").cx);
}

// The standard mixed-case names and the lower-case spellings some exporters
// write are both read; the standard one wins when both are there.
TEST(Gradients, SpreadAndTransformInEitherSpelling) {
    GradientFile file("<linearGradient id='std' spreadMethod='reflect'"
                      " gradientTransform='scale(2)'/>"
                      "<linearGradient id='low' spreadmethod='repeat'"
                      " gradienttransform='scale(3)'/>"
                      "<linearGradient id='both' spreadMethod='reflect' spreadmethod='repeat'"
                      " gradientTransform='scale(4)' gradienttransform='scale(5)'/>"
                      "<linearGradient id='blankStd' spreadMethod=' ' spreadmethod='repeat'/>"
                      "<linearGradient id='other' SPREADMETHOD='reflect'"
                      " GradientTransform='scale(6)'/>");
    GradientDef d = file.Get(L"std");
    EXPECT_EQ(1, d.spread);
    EXPECT_EQ(1, d.hasTransform);
    EXPECT_EQ(2.0f, d.transform.a);
    d = file.Get(L"low");
    EXPECT_EQ(2, d.spread);
    EXPECT_EQ(3.0f, d.transform.a);
    d = file.Get(L"both");
    EXPECT_EQ(1, d.spread);
    EXPECT_EQ(4.0f, d.transform.d);
    d = file.Get(L"blankStd");
    EXPECT_EQ(2, d.spread);
    // Attribute names stay exact: other spellings are not read.
    d = file.Get(L"other");
    EXPECT_EQ(0, d.spread);
    EXPECT_EQ(0, d.hasTransform);
}

// The gradient transform is kept, not applied to the vector: the default
// vector (0, 0)-(100 %, 0) of the 200-unit viewport runs from (10, 20) to
// (410, 20).
TEST(Gradients, UserSpaceVectorFromTheGradientTransform) {
    GradientFile file("<linearGradient id='g' gradientUnits='userSpaceOnUse'"
                      " gradientTransform='matrix(2 0 0 2 10 20)'/>");
    GradientDef g = file.Get(L"g");
    ASSERT_EQ(1, g.hasTransform);
    const Matrix2D& m = g.transform;
    EXPECT_FLOAT_EQ(10.0f, m.a * g.x1 + m.c * g.y1 + m.e);
    EXPECT_FLOAT_EQ(20.0f, m.b * g.x1 + m.d * g.y1 + m.f);
    EXPECT_FLOAT_EQ(410.0f, m.a * g.x2 + m.c * g.y2 + m.e);
    EXPECT_FLOAT_EQ(20.0f, m.b * g.x2 + m.d * g.y2 + m.f);
    EXPECT_EQ(0.0f, g.x1);
    EXPECT_EQ(200.0f, g.x2);
}

TEST(Gradients, ReferenceChainInheritance) {
    GradientFile file("<linearGradient id='A' x1='0.1' x2='0.4' y2='0.3' spreadMethod='repeat'"
                      " gradientUnits='userSpaceOnUse'>" +
                      Stops("red", "blue") +
                      "</linearGradient>"
                      "<linearGradient id='B' xlink:href='#A' x2='0.9'/>"
                      "<linearGradient id='C' href=' #A '><stop offset='0.5' stop-color='lime'/>"
                      "</linearGradient>"
                      // href wins over xlink:href
                      "<linearGradient id='D' xlink:href='#A' href='#C'/>"
                      // a reference to something else than a gradient is ignored
                      "<rect id='R'/><linearGradient id='G' href='#R' x1='0.2'>" +
                      Stops("blue", "red") +
                      "</linearGradient>"
                      // the chain goes on through B
                      "<radialGradient id='E' xlink:href='#B' r='0.1'/>"
                      // references that are ignored
                      "<linearGradient id='F1' xlink:href='A'/>"
                      "<linearGradient id='F2' xlink:href='#'/>"
                      "<linearGradient id='F3' xlink:href='#nowhere'/>"
                      "<linearGradient id='F4' xlink:href='# A'/>"
                      "<linearGradient id='F5' xlink:href='' href='#A'/>");
    GradientDef b = file.Get(L"B");
    EXPECT_EQ(0.9f, b.x2);
    EXPECT_FLOAT_EQ(0.1f, b.x1);
    EXPECT_FLOAT_EQ(0.3f, b.y2);
    EXPECT_EQ(2, b.spread);
    EXPECT_EQ(0, b.units);
    ASSERT_EQ(2, GradientStopCount(&b));
    EXPECT_EQ(Red, GradientStops(&b)[0].colour);
    EXPECT_EQ(Blue, GradientStops(&b)[1].colour);

    GradientDef c = file.Get(L"C");
    ASSERT_EQ(1, GradientStopCount(&c));
    EXPECT_EQ(0xFF00FF00u, GradientStops(&c)[0].colour);
    EXPECT_EQ(0.5f, GradientStops(&c)[0].offset);
    EXPECT_FLOAT_EQ(0.4f, c.x2);

    GradientDef d = file.Get(L"D");
    ASSERT_EQ(1, GradientStopCount(&d));
    EXPECT_FLOAT_EQ(0.4f, d.x2); // A's, through C

    GradientDef g = file.Get(L"G");
    EXPECT_FLOAT_EQ(0.2f, g.x1);
    ASSERT_EQ(2, GradientStopCount(&g));
    EXPECT_EQ(Blue, GradientStops(&g)[0].colour);

    // Type comes from the outermost element; the linear group it inherits is
    // carried but unused, and the circle keeps its own defaults.
    GradientDef e = file.Get(L"E");
    EXPECT_EQ(1, e.type);
    EXPECT_FLOAT_EQ(0.1f, e.r);
    EXPECT_EQ(100.0f, e.cx); // 50 % of the viewport, in A's user space
    EXPECT_EQ(0.9f, e.x2);
    EXPECT_EQ(0, e.units); // from A, two elements away
    EXPECT_EQ(2, GradientStopCount(&e));

    for (const wchar_t* id : {L"F1", L"F2", L"F3", L"F4"}) {
        GradientDef f = file.Get(id);
        EXPECT_EQ(0, GradientStopCount(&f)) << Utf8FromWide(id);
        EXPECT_EQ(1.0f, f.x2) << Utf8FromWide(id);
    }
    GradientDef f5 = file.Get(L"F5");
    EXPECT_EQ(2, GradientStopCount(&f5));
}

// The focal point is inherited like any attribute; it falls back to the
// centre only when no element of the chain states it.
TEST(Gradients, FocalPointIsInheritedAndDefaultsToTheCentre) {
    GradientFile file("<radialGradient id='A' fx='0.2' fy='0.3' cx='0.6'/>"
                      "<radialGradient id='B' xlink:href='#A' cx='0.7'/>"
                      "<radialGradient id='C' xlink:href='#A' cx='0.7' fx='0.25'/>"
                      "<radialGradient id='D' cx='0.1' cy='0.8'/>"
                      "<radialGradient id='E' href='#D' cy='0.4'/>");
    GradientDef b = file.Get(L"B");
    EXPECT_FLOAT_EQ(0.7f, b.cx);
    EXPECT_FLOAT_EQ(0.2f, b.fx);
    EXPECT_FLOAT_EQ(0.3f, b.fy);
    GradientDef c = file.Get(L"C");
    EXPECT_FLOAT_EQ(0.25f, c.fx);
    EXPECT_FLOAT_EQ(0.3f, c.fy);
    GradientDef e = file.Get(L"E");
    EXPECT_FLOAT_EQ(0.1f, e.fx);
    EXPECT_FLOAT_EQ(0.4f, e.fy); // its own centre, not D's
}

// A cycle ends the chain where an element would come round again; the
// gradients in it keep what they read up to there.
TEST(Gradients, ReferenceCyclesEndTheChain) {
    GradientFile file("<linearGradient id='A' xlink:href='#B' x1='0.1'>"
                      "<stop stop-color='red'/></linearGradient>"
                      "<linearGradient id='B' xlink:href='#A' x2='0.9' y1='0.3'>"
                      "<stop stop-color='blue'/><stop stop-color='blue'/></linearGradient>"
                      "<linearGradient id='S' xlink:href='#S' y2='0.7'/>"
                      "<rect id='after'/>");
    GradientDef a = file.Get(L"A");
    EXPECT_FLOAT_EQ(0.1f, a.x1);
    EXPECT_FLOAT_EQ(0.9f, a.x2);
    EXPECT_FLOAT_EQ(0.3f, a.y1);
    ASSERT_EQ(1, GradientStopCount(&a));
    EXPECT_EQ(Red, GradientStops(&a)[0].colour);
    GradientDef b = file.Get(L"B");
    EXPECT_FLOAT_EQ(0.1f, b.x1); // B's own chain goes round to A
    EXPECT_EQ(2, GradientStopCount(&b));
    EXPECT_FLOAT_EQ(0.7f, file.Get(L"S").y2);
}

// Whichever element of a circle is read first, each one's chain starts from
// itself: here only the middle one has stops, and every one finds them.
TEST(Gradients, EveryElementOfACircleGoesRoundFromItself) {
    GradientFile file("<linearGradient id='g1' href='#g2' x1='0.1'/>"
                      "<linearGradient id='g2' href='#g3'>" +
                      Stops("red", "blue") +
                      "</linearGradient><linearGradient id='g3' href='#g1' x1='0.3'/>"
                      "<linearGradient id='in' href='#g3'/>");
    for (const wchar_t* id : {L"g1", L"g2", L"g3", L"in"})
        EXPECT_EQ(2, GradientStopCount(file.Find(id))) << Utf8FromWide(id);
    EXPECT_FLOAT_EQ(0.1f, file.Get(L"g1").x1);
    EXPECT_FLOAT_EQ(0.3f, file.Get(L"g2").x1);
    EXPECT_FLOAT_EQ(0.3f, file.Get(L"in").x1);
}

// Chains have no length limit: g0 -> g1 -> ... -> g4999 reads g4999's x1.
TEST(Gradients, LongReferenceChainsAreFollowedToTheEnd) {
    std::string defs;
    const int count = 5000;
    for (int i = 0; i < count; i++) {
        defs += "<linearGradient id='g" + std::to_string(i) + "'";
        if (i + 1 < count)
            defs += " xlink:href='#g" + std::to_string(i + 1) + "'";
        else
            defs += " x1='9'";
        defs += "/>";
    }
    GradientFile file(defs);
    EXPECT_EQ(9.0f, file.Get(L"g0").x1);
    EXPECT_EQ(9.0f, file.Get(L"g2500").x1);
}

// Any number of stops; offsets clamped to [0, 1] and to at least the largest
// before them, in document order; a missing offset is 0.
TEST(Gradients, StopOffsetsAsSvgReadsThem) {
    std::string many = "<linearGradient id='many'>";
    for (int i = 0; i < 40; i++)
        many += "<stop offset='" + std::to_string(i) + "%' stop-color='#0000" +
                (i < 39 ? "01" : "ff") + "'/>";
    many += "</linearGradient>";
    GradientFile file(many + "<linearGradient id='clamp'>"
                             "<stop offset='-0.5' stop-color='red'/>"
                             "<stop offset='0.3' stop-color='blue'/>"
                             "<stop offset='0.1' stop-color='red'/>"
                             "<text>not a stop</text>"
                             "<stop offset='NaN'/>"
                             "<STOP offset='150%'/>"
                             "<stop offset='0.5'/>"
                             "</linearGradient>"
                             "<linearGradient id='absent'><stop/><stop offset='0.2'/>"
                             "</linearGradient>"
                             "<linearGradient id='syntax'><stop offset='.25'/><stop offset='5mm'/>"
                             "<stop offset=' 4e-1 '/><stop offset='50 %'/><stop offset='1e'/>"
                             "<stop offset='+60%'/><stop offset='&#9;0.7&#10;'/>"
                             "</linearGradient>");
    GradientDef many40 = file.Get(L"many");
    ASSERT_EQ(40, GradientStopCount(&many40));
    EXPECT_FLOAT_EQ(0.39f, GradientStops(&many40)[39].offset);
    EXPECT_EQ(0xFF0000FFu, GradientStops(&many40)[39].colour);

    GradientDef clamp = file.Get(L"clamp");
    ASSERT_EQ(6, GradientStopCount(&clamp));
    const float expected[6] = {0.0f, 0.3f, 0.3f, 0.3f, 1.0f, 1.0f};
    for (int i = 0; i < 6; i++)
        EXPECT_FLOAT_EQ(expected[i], GradientStops(&clamp)[i].offset) << i;
    EXPECT_EQ(Black, GradientStops(&clamp)[3].colour);

    GradientDef absent = file.Get(L"absent");
    ASSERT_EQ(2, GradientStopCount(&absent));
    EXPECT_EQ(0.0f, GradientStops(&absent)[0].offset);

    // Only numbers and percentages, white space (tabs and line breaks too)
    // around them; anything else reads as 0 (and is then raised to the
    // largest offset before it).
    GradientDef syntax = file.Get(L"syntax");
    ASSERT_EQ(7, GradientStopCount(&syntax));
    const float read[7] = {0.25f, 0.25f, 0.4f, 0.4f, 0.4f, 0.6f, 0.7f};
    for (int i = 0; i < 7; i++)
        EXPECT_FLOAT_EQ(read[i], GradientStops(&syntax)[i].offset) << i;
}

TEST(Gradients, AverageStopColour) {
    GradientDef d = {};
    EXPECT_EQ(Grey, AverageStopColour(&d));
    SetGradientStops(&d, {{0, Red}, {1, Blue}});
    EXPECT_EQ(0xFF7F007Fu, AverageStopColour(&d));
    // Each channel alone, truncated: alpha 510/3, red 256/3, green 2/3,
    // blue 258/3.
    SetGradientStops(&d, {{0, Red}, {1, Blue}, {1, 0x00010203u}});
    EXPECT_EQ(0xAA550056u, AverageStopColour(&d));
    // No channel overflows into its neighbour, however many stops.
    SetGradientStops(&d, std::vector<GradientStop>(70000, GradientStop{0, 0xFFFFFFFFu}));
    EXPECT_EQ(0xFFFFFFFFu, AverageStopColour(&d));
}

// Past the cap, stops that change nothing painted go first; when that is
// not enough, stops nearer than a bucket keep the first and the last.
TEST(Gradients, ThinnedStops) {
    const Argb Green = 0xFF00FF00u;
    struct Case {
        const char* label;
        size_t most;
        std::vector<GradientStop> stops, thinned;
    } cases[] = {
        {"within the cap", 4, {{0, Red}, {.2f, Red}, {.4f, Red}, {1, Blue}}, {}},
        {"one colour",
         3,
         {{0, Red}, {.2f, Red}, {.4f, Red}, {1, Blue}},
         {{0, Red}, {.4f, Red}, {1, Blue}}},
        {"one offset",
         4,
         {{0, Red}, {.5f, Green}, {.5f, Blue}, {.5f, Red}, {1, Blue}},
         {{0, Red}, {.5f, Green}, {.5f, Red}, {1, Blue}}},
        {"a hard edge stays",
         4,
         {{0, Red}, {.2f, Red}, {.5f, Red}, {.5f, Blue}, {1, Blue}},
         {{0, Red}, {.5f, Red}, {.5f, Blue}, {1, Blue}}},
    };
    for (Case& c : cases) {
        const std::vector<GradientStop> expected = c.thinned.empty() ? c.stops : c.thinned;
        ThinGradientStops(&c.stops, c.most);
        ASSERT_EQ(expected.size(), c.stops.size()) << c.label;
        for (size_t i = 0; i < c.stops.size(); i++) {
            EXPECT_EQ(expected[i].offset, c.stops[i].offset) << c.label << " " << i;
            EXPECT_EQ(expected[i].colour, c.stops[i].colour) << c.label << " " << i;
        }
    }
    // 10,000 stops of alternating colours, at most 8: the first and last of
    // each quarter.
    std::vector<GradientStop> many;
    for (int i = 0; i < 10000; i++)
        many.push_back(GradientStop{i / 9999.0f, i % 2 ? Red : Blue});
    ThinGradientStops(&many, 8);
    ASSERT_EQ(8u, many.size());
    EXPECT_EQ(0.0f, many.front().offset);
    EXPECT_EQ(1.0f, many.back().offset);
    EXPECT_LT(many[1].offset, 0.25f);
    EXPECT_GE(many[2].offset, 0.25f);
}

// A gradient's stops are thinned as they are read; its average colour is
// still that of every stop written.
TEST(Gradients, ReadStopsAreThinnedAfterTheAverage) {
    std::string stops;
    for (size_t i = 0; i < 3 * MaxGradientStops; i++)
        stops += i < 2 * MaxGradientStops ? "<stop offset='0' stop-color='red'/>"
                                          : "<stop offset='1' stop-color='blue'/>";
    GradientFile file("<linearGradient id='g'>" + stops + "</linearGradient>");
    const GradientDef d = file.Get(L"g");
    EXPECT_EQ(4, GradientStopCount(&d));
    Argb average = 0;
    ASSERT_EQ(1, file.Average(L"g", &average));
    EXPECT_EQ(0xFFAA0055u, average);
}

TEST(Gradients, ReadGradientCoordinate) {
    struct Case {
        const wchar_t* text;
        double value;
    };
    const Case cases[] = {
        {L"", 0},
        {L"   ", 0},
        {L"50%", 0.5},
        {L" 0.5 ", 0.5},
        {L"10px", 10},
        {L"-25%", -0.25},
        {L"%", 0},
        {L"abc", 0},
        {L"1e1%", 0.1},
        {L"150%", 1.5},
        {L"+Infinity", INFINITY},
        {L"-infinity", -INFINITY},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(c.value, ReadGradientCoordinate(c.text)) << Utf8FromWide(c.text);
    EXPECT_TRUE(std::isnan(ReadGradientCoordinate(L"NaN")));
}

// A stop's colour as the cascade reads it into the stop's style.
TEST(Gradients, StopColourOfTheStyle) {
    struct Case {
        const char* stop;
        Argb colour;
    };
    const Case cases[] = {
        {"<stop/>", Black},
        {"<stop stop-color='red'/>", Red},
        {"<stop stop-color='red' style='stop-color: blue'/>", Blue},
        {"<stop style='stop-color:' stop-color='red'/>", Red},
        {"<stop stop-color='   '/>", Black},
        {"<stop stop-color='currentColor'/>", Black},
        {"<stop stop-color='#FFFFFE'/>", 0xFFFFFFFEu},
        {"<stop stop-color='none'/>", 0x00000000u},
        {"<stop stop-color='red' stop-opacity='0.5'/>", 0x80FF0000u},
        {"<stop stop-color='red' style='stop-opacity:0.25' stop-opacity='1'/>", 0x40FF0000u},
        {"<stop stop-color='red' stop-opacity='2'/>", Red},
        {"<stop stop-color='red' stop-opacity='-1'/>", 0x00FF0000u},
        {"<stop stop-color='red' stop-opacity='NaN'/>", 0x00FF0000u},
        {"<stop stop-color='red' stop-opacity='50%'/>", 0x80FF0000u},
        {"<stop stop-color='rgba(255,0,0,0.5)' stop-opacity='0.5'/>", 0x40FF0000u},
    };
    for (const Case& c : cases) {
        ParsedXml xml(c.stop);
        ASSERT_TRUE(xml.Root() != nullptr) << c.stop;
        LoadContext context;
        StyleState state;
        InitRootStyleState(&state);
        ApplyPresentation(&context, xml.Root(), &state, &state);
        EXPECT_EQ(c.colour, StopColourOf(state)) << c.stop;
    }
}

// Stop colours come through style sheets like any property.
TEST(Gradients, StopColourThroughStyleSheetsAndCurrentColor) {
    GradientFile file("<style>stop{stop-color:blue}.s{stop-color:lime;stop-opacity:0.5}</style>"
                      "<linearGradient id='g'><stop class='s' stop-color='red'/>"
                      "<stop stop-color='red'/><stop style='stop-color:red' class='s'/>"
                      "</linearGradient>");
    GradientDef g = file.Get(L"g");
    ASSERT_EQ(3, GradientStopCount(&g));
    EXPECT_EQ(0x8000FF00u, GradientStops(&g)[0].colour); // the sheet beats the attribute
    EXPECT_EQ(Blue, GradientStops(&g)[1].colour);
    EXPECT_EQ(0x80FF0000u, GradientStops(&g)[2].colour); // the style attribute beats the sheet
}

TEST(Gradients, StopCurrentColorAndInherit) {
    GradientFile file("<g style='color:blue'><linearGradient id='c' color='red'>"
                      "<stop stop-color='currentColor'/><stop style='stop-color:CurrentColor'"
                      " color='yellow'/></linearGradient>"
                      "<linearGradient id='i'><stop stop-color='currentcolor'/></linearGradient>"
                      "<linearGradient id='h' stop-color='lime' stop-opacity='0.5'>"
                      "<stop stop-color='inherit' stop-opacity='inherit'/></linearGradient>"
                      "</g><g stop-color='lime'><linearGradient id='k'>"
                      "<stop style='stop-color:inherit'/></linearGradient></g>");
    GradientDef c = file.Get(L"c");
    EXPECT_EQ(Red, GradientStops(&c)[0].colour);
    EXPECT_EQ(0xFFFFFF00u, GradientStops(&c)[1].colour);
    GradientDef i = file.Get(L"i");
    EXPECT_EQ(Blue, GradientStops(&i)[0].colour);
    // "inherit" takes what the parent states, and stops there.
    GradientDef h = file.Get(L"h");
    EXPECT_EQ(0x8000FF00u, GradientStops(&h)[0].colour);
    GradientDef k = file.Get(L"k");
    EXPECT_EQ(Black, GradientStops(&k)[0].colour);
}

// currentColor in a stop is the stop's own "color", inherited from the
// gradient's ancestors where it stands.
TEST(Gradients, StopCurrentColourIsTheInheritedColour) {
    GradientFile file("<g color='red'><linearGradient id='g' color='blue'>"
                      "<stop stop-color='currentColor'/>"
                      "<stop style='stop-color:currentcolor' color='lime'/></linearGradient></g>");
    GradientDef g = file.Get(L"g");
    EXPECT_EQ(Blue, GradientStops(&g)[0].colour);
    EXPECT_EQ(0xFF00FF00u, GradientStops(&g)[1].colour);
}

TEST(Gradients, RegistrationFindsGradientsAnywhere) {
    GradientFile file("<g><g><linearGradient id='inner'/></g></g>"
                      "<defs><RADIALGRADIENT id='loud'/></defs>"
                      "<linearGradient/>"
                      "<linearGradient id=''/>"
                      "<linearGradient id='twice' x1='1'/>"
                      "<linearGradient id='twice' x1='2'/>"
                      "<svg:linearGradient xmlns:svg='x' id='prefixed'/>"
                      "<pattern id='notAGradient'/>");
    EXPECT_NE(nullptr, file.Find(L"inner"));
    ASSERT_NE(nullptr, file.Find(L"loud"));
    EXPECT_EQ(1, file.Find(L"loud")->type);
    EXPECT_EQ(1.0f, file.Get(L"twice").x1); // the first element owns the id
    EXPECT_EQ(nullptr, file.Find(L""));
    EXPECT_EQ(nullptr, file.Find(L"notAGradient"));
    EXPECT_EQ(nullptr, file.Find(L"prefixed")); // names are not namespace-resolved
    EXPECT_EQ(nullptr, file.Find(L"Inner"));    // ids are case-sensitive
    Argb colour = 0x12345678u;
    EXPECT_EQ(0, file.Average(L"missing", &colour));
    EXPECT_EQ(0x12345678u, colour);
    ClearGradientRegistries(&file.context.gradients);
    EXPECT_EQ(nullptr, file.Find(L"inner"));
    EXPECT_EQ(0, file.Average(L"inner", &colour));
}

std::string Nested(int depth, const std::string& innermost) {
    std::string text;
    for (int i = 0; i < depth; i++)
        text += "<g>";
    text += innermost;
    for (int i = 0; i < depth; i++)
        text += "</g>";
    return text;
}

// Gradients nested up to 256 levels below the root are found; deeper ones are
// not searched, and a very deep file does not exhaust the stack.
TEST(Gradients, RegistrationDepthLimit) {
    {
        GradientFile file(Nested(255, "<linearGradient id='at256'/>") +
                          Nested(256, "<linearGradient id='at257'/>") +
                          "<linearGradient id='after'/>");
        EXPECT_NE(nullptr, file.Find(L"at256"));
        EXPECT_EQ(nullptr, file.Find(L"at257"));
        EXPECT_NE(nullptr, file.Find(L"after"));
    }
    // Only the gradient reader runs over the very deep file here.
    ParsedXml deep("<svg>" + Nested(20000, "<linearGradient id='lost'/>") +
                   "<linearGradient id='found'/></svg>");
    ASSERT_TRUE(deep.Root() != nullptr);
    LoadContext context;
    RegisterGradientElements(&context.gradients, deep.Root());
    BuildGradientRegistry(&context, 100, 100);
    EXPECT_EQ(nullptr, FindRegisteredGradient(&context.gradients, L"lost"));
    EXPECT_NE(nullptr, FindRegisteredGradient(&context.gradients, L"found"));
}

// Registration starts from the element given and stays within its subtree.
TEST(Gradients, RegistrationStaysInTheSubtree) {
    ParsedXml xml("<svg><g id='sub'><linearGradient id='in'/></g>"
                  "<linearGradient id='out'/></svg>");
    ASSERT_TRUE(xml.Root() != nullptr);
    LoadContext context;
    RegisterGradientElements(&context.gradients, FindElementById(xml.Root(), L"sub"));
    BuildGradientRegistry(&context, 100, 100);
    EXPECT_NE(nullptr, FindRegisteredGradient(&context.gradients, L"in"));
    EXPECT_EQ(nullptr, FindRegisteredGradient(&context.gradients, L"out"));
    RegisterGradientElements(&context.gradients, nullptr);
}

// Without a load at hand: the copy survives the registries being emptied
// and refilled, a new copy replaces the old, and absent documents are safe.
TEST(Gradients, DocumentCopyOutlivesTheRegistries) {
    ShapeRecord shapes[2] = {};
    shapes[0].fillRef = MakeSharedText(L"g");
    shapes[1].strokeRef = MakeSharedText(L"s");
    SvgDocument document = {};
    document.shapes = shapes;
    document.shapeCount = 2;
    {
        GradientFile a("<linearGradient id='g'>" + Stops("red", "blue") +
                       "</linearGradient><linearGradient id='s' x1='0.5'/>");
        CopyReferencedGradients(&a.context.gradients, &document);
    }
    ASSERT_NE(nullptr, FindDocumentGradient(&document, L"g"));
    EXPECT_EQ(Red, GradientStops(FindDocumentGradient(&document, L"g"))[0].colour);
    ASSERT_NE(nullptr, FindDocumentGradient(&document, L"s"));
    EXPECT_EQ(0.5f, FindDocumentGradient(&document, L"s")->x1);

    GradientFile b("<linearGradient id='g'>" + Stops("lime", "yellow") + "</linearGradient>");
    CopyReferencedGradients(&b.context.gradients, &document);
    ASSERT_NE(nullptr, FindDocumentGradient(&document, L"g"));
    EXPECT_EQ(0xFF00FF00u, GradientStops(FindDocumentGradient(&document, L"g"))[0].colour);
    EXPECT_EQ(nullptr, FindDocumentGradient(&document, L"s"));

    ReleaseDocumentGradients(&document);
    EXPECT_EQ(nullptr, document.gradients);
    ReleaseDocumentGradients(&document);
    ReleaseDocumentGradients(nullptr);
    CopyReferencedGradients(&b.context.gradients, nullptr);
    EXPECT_EQ(nullptr, FindDocumentGradient(nullptr, L"g"));
}

// Each element's stops are read once however many gradients inherit them:
// 100,000 stops under 100,000 references load in well under a second (the
// budget here is generous for sanitized builds; the figures come from the
// renderer benchmark).
TEST(GradientsHostile, ManyReferencesToManyStopsStayLinear) {
    const int count = 100000;
    std::string defs = "<linearGradient id='base'>";
    for (int i = 0; i < count; i++)
        defs += "<stop offset='0.5' stop-color='red'/>";
    defs += "</linearGradient>";
    for (int i = 0; i < count; i++)
        defs += "<linearGradient id='g" + std::to_string(i) + "' href='#base'/>";
    const auto start = std::chrono::steady_clock::now();
    GradientFile file(defs);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 60.0);
    GradientDef last = file.Get(L"g99999");
    EXPECT_EQ(2, GradientStopCount(&last)); // the stops between the ends change nothing
    Argb average = 0;
    ASSERT_EQ(1, file.Average(L"g5", &average));
    EXPECT_EQ(Red, average);
}

} // namespace
