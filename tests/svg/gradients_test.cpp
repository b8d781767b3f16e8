// Gradient definitions: reading, reference chains, the registries and the
// per-document copy.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "svg/document.h"
#include "svg/gradients.h"
#include "svg/text.h"
#include "xml_fixture.h"

namespace {

const Argb Red = 0xFFFF0000u, Blue = 0xFF0000FFu, Black = 0xFF000000u, Grey = 0xFF808080u;

// A drawing whose gradients are registered for the lifetime of the object.
struct GradientFile {
    ParsedXml xml;
    explicit GradientFile(const std::string& defs)
        : xml("<svg xmlns='http://www.w3.org/2000/svg' "
              "xmlns:xlink='http://www.w3.org/1999/xlink'>" +
              defs + "</svg>") {
        EXPECT_TRUE(xml.Root() != nullptr) << defs;
        FillDocumentMaps(xml.Root());
    }
    ~GradientFile() {
        ClearGradientRegistries();
        ClearStyleSheetRules();
    }
    GradientDef Get(const wchar_t* id) const {
        const GradientDef* d = FindRegisteredGradient(id);
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
    EXPECT_EQ(0.0f, l.cx);
    EXPECT_EQ(1, l.units);
    EXPECT_EQ(0, l.spread);
    EXPECT_EQ(0, l.hasTransform);
    EXPECT_EQ(0, l.stopCount);

    GradientDef r = file.Get(L"r");
    EXPECT_EQ(1, r.type);
    EXPECT_EQ(0.5f, r.cx);
    EXPECT_EQ(0.5f, r.cy);
    EXPECT_EQ(0.5f, r.r);
    EXPECT_EQ(0.5f, r.fx);
    EXPECT_EQ(0.5f, r.fy);
    EXPECT_EQ(0.0f, r.x2);
    // No stops: the average colour is grey.
    Argb average = 0;
    ASSERT_EQ(1, FindGradientAverageColour(L"r", &average));
    EXPECT_EQ(Grey, average);
}

TEST(Gradients, OwnAttributes) {
    GradientFile file(
        "<linearGradient id='a' x1='10%' y1='0.25' x2='50' y2='-2' gradientUnits=' UserSpaceOnUse '"
        " spreadMethod='REFLECT' gradientTransform='translate(3,4)'/>"
        "<radialGradient id='b' cx='0.3' cy='0.4' r='0.2' fx='0.1' fy='0.9'"
        " gradientUnits='objectBoundingBox' spreadMethod='repeat'/>"
        "<linearGradient id='c' x1='' gradientUnits='pixels' spreadMethod='sideways'/>");
    GradientDef a = file.Get(L"a");
    EXPECT_FLOAT_EQ(0.1f, a.x1);
    EXPECT_EQ(0.25f, a.y1);
    EXPECT_EQ(50.0f, a.x2);
    EXPECT_EQ(-2.0f, a.y2);
    EXPECT_EQ(0, a.units);
    EXPECT_EQ(1, a.spread);
    EXPECT_EQ(1, a.hasTransform);
    EXPECT_EQ(1.0f, a.transform.a);
    EXPECT_EQ(3.0f, a.transform.e);
    EXPECT_EQ(4.0f, a.transform.f);
    EXPECT_EQ(0, a.vectorFromTransform);

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

// A user-space vector written as a transform of (0, 0)-(1, 0) keeps that
// transform, so the vector it draws runs from (10, 20) to (12, 20).
TEST(Gradients, UserSpaceVectorFromTheGradientTransform) {
    GradientFile file("<linearGradient id='g' gradientUnits='userSpaceOnUse'"
                      " gradientTransform='matrix(2 0 0 2 10 20)'/>");
    GradientDef g = file.Get(L"g");
    ASSERT_EQ(1, g.hasTransform);
    const Matrix2D& m = g.transform;
    EXPECT_FLOAT_EQ(10.0f, m.a * g.x1 + m.c * g.y1 + m.e);
    EXPECT_FLOAT_EQ(20.0f, m.b * g.x1 + m.d * g.y1 + m.f);
    EXPECT_FLOAT_EQ(12.0f, m.a * g.x2 + m.c * g.y2 + m.e);
    EXPECT_FLOAT_EQ(20.0f, m.b * g.x2 + m.d * g.y2 + m.f);
    // The transform is not applied twice: the vector itself stays unit.
    EXPECT_EQ(0.0f, g.x1);
    EXPECT_EQ(1.0f, g.x2);
    EXPECT_EQ(0, g.vectorFromTransform);
}

TEST(Gradients, ReferenceChainInheritance) {
    GradientFile file("<linearGradient id='A' x1='0.1' x2='0.4' y2='0.3' spreadMethod='repeat'"
                      " gradientUnits='userSpaceOnUse'>" +
                      Stops("red", "blue") +
                      "</linearGradient>"
                      "<linearGradient id='B' xlink:href='#A' x2='0.9'/>"
                      "<linearGradient id='C' href=' #A '><stop offset='0.5' stop-color='lime'/>"
                      "</linearGradient>"
                      // xlink:href wins over href
                      "<linearGradient id='D' xlink:href='#A' href='#C'/>"
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
    ASSERT_EQ(2, b.stopCount);
    EXPECT_EQ(Red, b.stops[0].colour);
    EXPECT_EQ(Blue, b.stops[1].colour);

    GradientDef c = file.Get(L"C");
    ASSERT_EQ(1, c.stopCount);
    EXPECT_EQ(0xFF00FF00u, c.stops[0].colour);
    EXPECT_EQ(0.5f, c.stops[0].offset);
    EXPECT_FLOAT_EQ(0.4f, c.x2);

    EXPECT_EQ(2, file.Get(L"D").stopCount);

    // Type comes from the outermost element; the linear group it inherits is
    // carried but unused, and the circle keeps its own defaults.
    GradientDef e = file.Get(L"E");
    EXPECT_EQ(1, e.type);
    EXPECT_FLOAT_EQ(0.1f, e.r);
    EXPECT_EQ(0.5f, e.cx);
    EXPECT_EQ(0.9f, e.x2);
    EXPECT_EQ(2, e.stopCount);

    for (const wchar_t* id : {L"F1", L"F2", L"F3", L"F4"}) {
        GradientDef f = file.Get(id);
        EXPECT_EQ(0, f.stopCount) << Utf8FromWide(id);
        EXPECT_EQ(1.0f, f.x2) << Utf8FromWide(id);
    }
    EXPECT_EQ(2, file.Get(L"F5").stopCount);
}

TEST(Gradients, FocalPointInheritedGivesWayToTheStatedCentre) {
    GradientFile file("<radialGradient id='A' fx='0.2' fy='0.3' cx='0.6'/>"
                      "<radialGradient id='B' xlink:href='#A' cx='0.7'/>"
                      "<radialGradient id='C' xlink:href='#A' cx='0.7' fx='0.25'/>");
    GradientDef a = file.Get(L"A");
    EXPECT_FLOAT_EQ(0.2f, a.fx);
    EXPECT_FLOAT_EQ(0.3f, a.fy);
    GradientDef b = file.Get(L"B");
    EXPECT_FLOAT_EQ(0.7f, b.cx);
    EXPECT_FLOAT_EQ(0.7f, b.fx);
    EXPECT_FLOAT_EQ(0.5f, b.fy); // the centre, not A's fy
    GradientDef c = file.Get(L"C");
    EXPECT_FLOAT_EQ(0.25f, c.fx);
    EXPECT_FLOAT_EQ(0.5f, c.fy);
}

TEST(Gradients, ReferenceCyclesEndAfterNineLevels) {
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
    ASSERT_EQ(1, a.stopCount);
    EXPECT_EQ(Red, a.stops[0].colour);
    GradientDef b = file.Get(L"B");
    EXPECT_FLOAT_EQ(0.1f, b.x1);
    EXPECT_EQ(2, b.stopCount);
    EXPECT_FLOAT_EQ(0.7f, file.Get(L"S").y2);
}

TEST(Gradients, ReferenceChainIsReadThroughNineElements) {
    // g0 -> g1 -> ... -> g9; only g8 and g9 state anything.
    std::string defs;
    for (int i = 0; i < 10; i++) {
        defs += "<linearGradient id='g" + std::to_string(i) + "'";
        if (i < 9)
            defs += " xlink:href='#g" + std::to_string(i + 1) + "'";
        if (i == 8)
            defs += " y1='8'";
        if (i == 9)
            defs += " x1='9'";
        defs += "/>";
    }
    GradientFile file(defs);
    GradientDef g0 = file.Get(L"g0");
    EXPECT_EQ(8.0f, g0.y1); // g8 stands at depth 8
    EXPECT_EQ(0.0f, g0.x1); // g9 would be depth 9
    EXPECT_EQ(9.0f, file.Get(L"g1").x1);
    // At depth 9 nothing is read at all.
    GradientDef untouched = {};
    untouched.x1 = 42;
    ReadGradient(FindElementById(file.xml.Root(), L"g9"), &untouched, 9);
    EXPECT_EQ(42.0f, untouched.x1);
}

TEST(Gradients, StopsAreCappedClampedAndKeptInDocumentOrder) {
    std::string seventeen = "<linearGradient id='many'>";
    for (int i = 0; i < 17; i++)
        seventeen += "<stop offset='" + std::to_string(i) + "%' stop-color='#0000" +
                     (i < 16 ? "01" : "ff") + "'/>";
    seventeen += "</linearGradient>";
    GradientFile file(seventeen + "<linearGradient id='clamp'>"
                                  "<stop offset='150%' stop-color='red'/>"
                                  "<stop offset='-0.5' stop-color='blue'/>"
                                  "<stop offset='0.7' stop-color='red'/>"
                                  "<text>not a stop</text>"
                                  "<stop offset='NaN'/>"
                                  "<STOP offset='0.25'/>"
                                  "</linearGradient>");
    GradientDef many = file.Get(L"many");
    ASSERT_EQ(16, many.stopCount);
    EXPECT_FLOAT_EQ(0.15f, many.stops[15].offset);
    EXPECT_EQ(0xFF000001u, many.stops[15].colour);

    GradientDef clamp = file.Get(L"clamp");
    ASSERT_EQ(5, clamp.stopCount);
    EXPECT_EQ(1.0f, clamp.stops[0].offset);
    EXPECT_EQ(0.0f, clamp.stops[1].offset);
    EXPECT_FLOAT_EQ(0.7f, clamp.stops[2].offset);
    EXPECT_EQ(Black, clamp.stops[3].colour);
    EXPECT_FALSE(std::isnan(clamp.stops[3].offset));
    EXPECT_EQ(0.25f, clamp.stops[4].offset);
}

TEST(Gradients, AverageStopColour) {
    GradientDef d = {};
    EXPECT_EQ(Grey, AverageStopColour(&d));
    d.stopCount = 2;
    d.stops[0].colour = Red;
    d.stops[1].colour = Blue;
    EXPECT_EQ(0xFF7F007Fu, AverageStopColour(&d));
    d.stopCount = 3;
    d.stops[2].colour = 0x00010203u;
    // Each channel alone, truncated: alpha 510/3, red 256/3, green 2/3,
    // blue 258/3.
    EXPECT_EQ(0xAA550056u, AverageStopColour(&d));
    d.stopCount = 16;
    for (int i = 0; i < 16; i++)
        d.stops[i].colour = 0xFFFFFFFFu;
    EXPECT_EQ(0xFFFFFFFFu, AverageStopColour(&d));
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

TEST(Gradients, ReadStopColour) {
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
        {"<stop stop-color='red' stop-opacity='50%'/>", Red},
        {"<stop stop-color='rgba(255,0,0,0.5)' stop-opacity='0.5'/>", 0x40FF0000u},
    };
    for (const Case& c : cases) {
        ParsedXml xml(c.stop);
        ASSERT_TRUE(xml.Root() != nullptr) << c.stop;
        EXPECT_EQ(c.colour, ReadStopColour(xml.Root())) << c.stop;
    }
}

// Style-sheet rules do not reach stops: only their own "style" counts.
TEST(Gradients, StopColourIgnoresStyleSheets) {
    GradientFile file("<style>stop{stop-color:blue}.s{stop-color:blue}</style>"
                      "<linearGradient id='g'><stop class='s' stop-color='red'/></linearGradient>");
    EXPECT_EQ(Red, file.Get(L"g").stops[0].colour);
}

// currentColor in a stop is the stop's own "color", inherited from the
// gradient's ancestors where it stands.
TEST(Gradients, StopCurrentColourIsTheInheritedColour) {
    GradientFile file("<g color='red'><linearGradient id='g' color='blue'>"
                      "<stop stop-color='currentColor'/>"
                      "<stop style='stop-color:currentcolor' color='lime'/></linearGradient></g>");
    EXPECT_EQ(Blue, file.Get(L"g").stops[0].colour);
    EXPECT_EQ(0xFF00FF00u, file.Get(L"g").stops[1].colour);
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
    EXPECT_NE(nullptr, FindRegisteredGradient(L"inner"));
    ASSERT_NE(nullptr, FindRegisteredGradient(L"loud"));
    EXPECT_EQ(1, FindRegisteredGradient(L"loud")->type);
    EXPECT_EQ(2.0f, file.Get(L"twice").x1);
    EXPECT_EQ(nullptr, FindRegisteredGradient(L""));
    EXPECT_EQ(nullptr, FindRegisteredGradient(L"notAGradient"));
    EXPECT_EQ(nullptr, FindRegisteredGradient(L"prefixed")); // names are not namespace-resolved
    EXPECT_EQ(nullptr, FindRegisteredGradient(L"Inner"));    // ids are case-sensitive
    Argb colour = 0x12345678u;
    EXPECT_EQ(0, FindGradientAverageColour(L"missing", &colour));
    EXPECT_EQ(0x12345678u, colour);
    ClearGradientRegistries();
    EXPECT_EQ(nullptr, FindRegisteredGradient(L"inner"));
    EXPECT_EQ(0, FindGradientAverageColour(L"inner", &colour));
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
        EXPECT_NE(nullptr, FindRegisteredGradient(L"at256"));
        EXPECT_EQ(nullptr, FindRegisteredGradient(L"at257"));
        EXPECT_NE(nullptr, FindRegisteredGradient(L"after"));
    }
    // Only the gradient reader runs over the very deep file here.
    ParsedXml deep("<svg>" + Nested(20000, "<linearGradient id='lost'/>") +
                   "<linearGradient id='found'/></svg>");
    ASSERT_TRUE(deep.Root() != nullptr);
    ClearGradientRegistries();
    RegisterGradientElements(deep.Root());
    BuildGradientRegistry();
    EXPECT_EQ(nullptr, FindRegisteredGradient(L"lost"));
    EXPECT_NE(nullptr, FindRegisteredGradient(L"found"));
    ClearGradientRegistries();
}

// Registration starts from the element given and stays within its subtree.
TEST(Gradients, RegistrationStaysInTheSubtree) {
    ParsedXml xml("<svg><g id='sub'><linearGradient id='in'/></g>"
                  "<linearGradient id='out'/></svg>");
    ASSERT_TRUE(xml.Root() != nullptr);
    ClearGradientRegistries();
    RegisterGradientElements(FindElementById(xml.Root(), L"sub"));
    BuildGradientRegistry();
    EXPECT_NE(nullptr, FindRegisteredGradient(L"in"));
    EXPECT_EQ(nullptr, FindRegisteredGradient(L"out"));
    RegisterGradientElements(nullptr);
    ClearGradientRegistries();
}

// Without a load at hand: the copy survives the registries being emptied
// and refilled, a new copy replaces the old, and absent documents are safe.
TEST(Gradients, DocumentCopyOutlivesTheRegistries) {
    ShapeRecord shapes[2] = {};
    shapes[0].fillRef = L"g";
    shapes[1].strokeRef = L"s";
    SvgDocument document = {};
    document.shapes = shapes;
    document.shapeCount = 2;
    {
        GradientFile a("<linearGradient id='g'>" + Stops("red", "blue") +
                       "</linearGradient><linearGradient id='s' x1='0.5'/>");
        CopyReferencedGradients(&document);
    }
    ASSERT_NE(nullptr, FindDocumentGradient(&document, L"g"));
    EXPECT_EQ(Red, FindDocumentGradient(&document, L"g")->stops[0].colour);
    ASSERT_NE(nullptr, FindDocumentGradient(&document, L"s"));
    EXPECT_EQ(0.5f, FindDocumentGradient(&document, L"s")->x1);

    GradientFile b("<linearGradient id='g'>" + Stops("lime", "yellow") + "</linearGradient>");
    CopyReferencedGradients(&document);
    ASSERT_NE(nullptr, FindDocumentGradient(&document, L"g"));
    EXPECT_EQ(0xFF00FF00u, FindDocumentGradient(&document, L"g")->stops[0].colour);
    EXPECT_EQ(nullptr, FindDocumentGradient(&document, L"s"));

    ReleaseDocumentGradients(&document);
    EXPECT_EQ(nullptr, document.gradients);
    ReleaseDocumentGradients(&document);
    ReleaseDocumentGradients(nullptr);
    CopyReferencedGradients(nullptr);
    EXPECT_EQ(nullptr, FindDocumentGradient(nullptr, L"g"));
}

} // namespace
