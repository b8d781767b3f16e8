// Presentation attributes, inline style and style-sheet declarations merged
// into each element's StyleState.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "svg/base/strings.h"
#include "svg/style/presentation.h"
#include "svg/style/properties.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "xml_fixture.h"

namespace {

const Argb Red = 0xFFFF0000u, Green = 0xFF008000u, Blue = 0xFF0000FFu, Black = 0xFF000000u;
const Argb Grey = 0xFF808080u;

// Loads the drawing, fills the maps as a load does, and returns the state of
// the element with id "t".
StyleState StyleOfTarget(const std::string& svg) {
    ParsedXml xml(svg);
    EXPECT_TRUE(xml.Root() != nullptr) << svg;
    const XmlNode* target = FindElementById(xml.Root(), L"t");
    EXPECT_TRUE(target != nullptr) << svg;
    if (!target)
        return StyleState();
    LoadContext context;
    FillDocumentMaps(&context, xml.Root());
    return StyleOfElement(&context, xml.Root(), target);
}

std::string Svg(const std::string& body) {
    return "<svg xmlns='http://www.w3.org/2000/svg'>" + body + "</svg>";
}

TEST(Presentation, ChildWithoutAttributesInheritsEverything) {
    StyleState s = StyleOfTarget(
        Svg("<defs><linearGradient id='g'><stop offset='0' stop-color='red'/>"
            "<stop offset='1' stop-color='blue'/></linearGradient>"
            "<linearGradient id='h'><stop stop-color='lime'/></linearGradient></defs>"
            "<g fill='url(#g)' stroke='url(#h)' stroke-width='3' opacity='0.5' fill-opacity='0.25'"
            " stroke-opacity='0.75' fill-rule='evenodd' stroke-linecap='round'"
            " stroke-linejoin='bevel' stroke-miterlimit='7' transform='translate(5,6)'>"
            "<rect id='t'/></g>"));
    EXPECT_EQ(1, s.hasFill);
    EXPECT_EQ(L"g", TextOf(s.fillRef));
    EXPECT_EQ(0xFF7F007Fu, s.fillColor);
    EXPECT_EQ(1, s.hasStroke);
    EXPECT_EQ(L"h", TextOf(s.strokeRef));
    EXPECT_EQ(0xFF00FF00u, s.strokeColor);
    EXPECT_EQ(3.0f, s.strokeWidth);
    EXPECT_EQ(0.5f, s.opacity);
    EXPECT_EQ(0.25f, s.fillOpacity);
    EXPECT_EQ(0.75f, s.strokeOpacity);
    EXPECT_EQ(0, s.fillRule);
    EXPECT_EQ(2, s.lineCap);
    EXPECT_EQ(1, s.lineJoin);
    EXPECT_EQ(7.0f, s.miterLimit);
    EXPECT_EQ(5.0f, s.matrix.e);
    EXPECT_EQ(6.0f, s.matrix.f);
}

TEST(Presentation, WithNoFillAnywhereShapesAreBlackAndUnstroked) {
    StyleState s = StyleOfTarget(Svg("<g><rect id='t'/></g>"));
    EXPECT_EQ(1, s.hasFill);
    EXPECT_EQ(Black, s.fillColor);
    EXPECT_EQ(0, s.hasStroke);
    EXPECT_EQ(0u, s.strokeColor);
}

struct PaintCase {
    const char* body; // the element with id "t" is read
    int hasFill;
    Argb fillColor;
    const wchar_t* fillRef;
};

TEST(Presentation, FillSourcesAndPrecedence) {
    const char* gradient = "<linearGradient id='g'><stop stop-color='red'/>"
                           "<stop stop-color='blue'/></linearGradient>"
                           "<defs><pattern id='p'/><circle id='c'/></defs>";
    const PaintCase cases[] = {
        // "none" on the group, a colour on the child, and the reverse
        {"<g fill='none'><rect id='t' fill='red'/></g>", 1, Red, L""},
        {"<g fill='red'><rect id='t' fill='none'/></g>", 0, 0, L""},
        // style attribute over presentation attribute, over style sheet
        {"<rect id='t' style='fill:blue' fill='red'/>", 1, Blue, L""},
        {"<style>.c{fill:green}</style><rect id='t' class='c' style='fill:blue'/>", 1, Blue, L""},
        {"<style>.c{fill:green}</style><rect id='t' class='c' fill='red'/>", 1, Green, L""},
        // property names in any case, blanks around the colon
        {"<rect id='t' style='FILL : Blue'/>", 1, Blue, L""},
        // the last declaration wins, as in CSS
        {"<rect id='t' style='fill:red;fill:blue'/>", 1, Blue, L""},
        // an empty declaration is dropped
        {"<rect id='t' style='fill:;fill:blue' fill='red'/>", 1, Blue, L""},
        {"<rect id='t' style='fill:' fill='red'/>", 1, Red, L""},
        // attribute names are exact: "Fill" is not the fill property
        {"<g fill='red'><rect id='t' Fill='blue'/></g>", 1, Red, L""},
        // currentColor is the inherited "color", black when nothing sets it
        {"<g fill='red'><rect id='t' fill='currentColor'/></g>", 1, Black, L""},
        {"<g color='red'><rect id='t' fill='CURRENTCOLOR' color='inherit'/></g>", 1, Red, L""},
        // an inherited currentColor is the keyword: the element's own color
        {"<g color='red' fill='currentColor'><rect id='t' color='blue'/></g>", 1, Blue, L""},
        {"<g fill='currentColor'><g fill='lime'><rect id='t' color='blue'/></g></g>", 1,
         0xFF00FF00u, L""},
        {"<g color='red'><rect id='t' style='color:blue' fill='currentColor'/></g>", 1, Blue, L""},
        {"<style>.c{color:green}</style><g class='c'><rect id='t' fill='currentColor'/></g>", 1,
         Green, L""},
        {"<g color='red'><rect id='t' color='nonsense' fill='currentColor'/></g>", 1, Red, L""},
        // values the colour reader does not know leave the parent's paint
        {"<g fill='red'><rect id='t' fill='inherit'/></g>", 1, Red, L""},
        {"<g fill='red'><rect id='t' fill='#FFFFFE'/></g>", 1, 0xFFFFFFFEu, L""},
        // "transparent" is a colour with alpha 0
        {"<g fill='red'><rect id='t' fill='transparent'/></g>", 1, 0x00000000u, L""},
        // gradient references
        {"<rect id='t' fill='url(#g)'/>", 1, 0xFF7F007Fu, L"g"},
        {"<rect id='t' fill='URL( # g )'/>", 1, 0xFF7F007Fu, L"g"},
        {"<rect id='t' fill='url(#g) red'/>", 1, 0xFF7F007Fu, L"g"},
        {"<rect id='t' fill=\"url('#g')\"/>", 1, 0xFF7F007Fu, L"g"},
        {"<rect id='t' style='fill:url( \"#g\" )'/>", 1, 0xFF7F007Fu, L"g"},
        // a reference that cannot be used: the fallback, else nothing
        {"<rect id='t' fill='url(#missing)'/>", 0, 0, L""},
        {"<rect id='t' fill='url(#missing) red'/>", 1, Red, L""},
        {"<g fill='red'><rect id='t' fill='url(#missing) none'/></g>", 0, 0, L""},
        {"<rect id='t' color='blue' fill='url(#missing)currentColor'/>", 1, Blue, L""},
        {"<rect id='t' fill='url(#missing) nonsense'/>", 0, 0, L""},
        {"<rect id='t' fill='url(#c) red'/>", 1, Red, L""}, // a circle paints nothing
        {"<rect id='t' fill='url(#c)'/>", 0, 0, L""},
        {"<rect id='t' fill='url(#G)'/>", 0, 0, L""},
        {"<rect id='t' fill='url(g)'/>", 0, 0, L""},
        {"<rect id='t' fill='url(other.svg#g)'/>", 0, 0, L""},
        // a pattern is named; where its tile cannot be drawn the fallback
        // colour stands in, grey without one (or with none)
        {"<rect id='t' fill='url(#p)'/>", 1, Grey, L"p"},
        {"<rect id='t' fill='url(#p) red'/>", 1, Red, L"p"},
        {"<rect id='t' fill='url(#p) none'/>", 1, Grey, L"p"},
        // text that is no reference leaves the parent's paint
        {"<g fill='red'><rect id='t' fill='url(#g'/></g>", 1, Red, L""},
        // a reference replaced by a plain colour drops the reference
        {"<g fill='url(#g)'><rect id='t' fill='red'/></g>", 1, Red, L""},
    };
    for (const PaintCase& c : cases) {
        StyleState s = StyleOfTarget(Svg(std::string(gradient) + c.body));
        EXPECT_EQ(c.hasFill, s.hasFill) << c.body;
        EXPECT_EQ(c.fillColor, s.fillColor) << c.body;
        EXPECT_EQ(std::wstring(c.fillRef), TextOf(s.fillRef)) << c.body;
    }
    // Long declaration lists are read the same way: the fill declaration
    // first in the style (last once the cascade has ordered it) is found
    // also as the 17th item and after, and without one the attribute holds.
    for (int others : {15, 16, 40}) {
        std::string style;
        for (int i = 0; i < others; i++)
            style += ";x" + std::to_string(i) + ":" + std::to_string(i);
        EXPECT_EQ(Red, StyleOfTarget(Svg("<rect id='t' style='fill:red" + style + "'/>")).fillColor)
            << others;
        EXPECT_EQ(Blue,
                  StyleOfTarget(Svg("<rect id='t' fill='blue' style='" + style + "'/>")).fillColor)
            << others;
    }
}

TEST(Presentation, StrokePaintFollowsTheSameRules) {
    StyleState s = StyleOfTarget(Svg("<g color='blue'><rect id='t' stroke='currentColor'/></g>"));
    EXPECT_EQ(1, s.hasStroke);
    EXPECT_EQ(Blue, s.strokeColor);
    s = StyleOfTarget(Svg("<g stroke='red'><rect id='t' style='stroke:none'/></g>"));
    EXPECT_EQ(0, s.hasStroke);
    EXPECT_EQ(0u, s.strokeColor);
    s = StyleOfTarget(Svg("<rect id='t' stroke='#00f' fill='none'/>"));
    EXPECT_EQ(1, s.hasStroke);
    EXPECT_EQ(Blue, s.strokeColor);
    EXPECT_EQ(0, s.hasFill);
}

TEST(Presentation, GroupOpacityMultipliesPaintOpacitiesReplace) {
    StyleState s = StyleOfTarget(Svg("<g opacity='0.5'><rect id='t' opacity='0.5'/></g>"));
    EXPECT_FLOAT_EQ(0.25f, s.opacity);
    EXPECT_EQ(0x40FF0000u, ScaleAlpha(Red, s.opacity * s.fillOpacity));

    s = StyleOfTarget(Svg("<g fill-opacity='0.5' stroke-opacity='0.2'><g fill-opacity='0.5'>"
                          "<rect id='t' fill-opacity='0.25'/></g></g>"));
    EXPECT_FLOAT_EQ(0.25f, s.fillOpacity);
    EXPECT_FLOAT_EQ(0.2f, s.strokeOpacity);

    // A percentage is of 1; a length or a word is no opacity and is ignored.
    s = StyleOfTarget(Svg("<rect id='t' opacity='50%' fill-opacity='25%'/>"));
    EXPECT_FLOAT_EQ(0.5f, s.opacity);
    EXPECT_FLOAT_EQ(0.25f, s.fillOpacity);
    s = StyleOfTarget(Svg("<g fill-opacity='0.5'><rect id='t' opacity='0.1mm' "
                          "fill-opacity='half' stroke-opacity='.3 '/></g>"));
    EXPECT_FLOAT_EQ(1.0f, s.opacity);
    EXPECT_FLOAT_EQ(0.5f, s.fillOpacity);
    EXPECT_FLOAT_EQ(0.3f, s.strokeOpacity);

    // fill-opacity 0 keeps the fill set; only the drawn alpha becomes 0.
    s = StyleOfTarget(Svg("<rect id='t' fill='red' fill-opacity='0'/>"));
    EXPECT_EQ(1, s.hasFill);
    EXPECT_EQ(Red, s.fillColor);
    EXPECT_EQ(0.0f, s.fillOpacity);
    EXPECT_EQ(0x00FF0000u, ScaleAlpha(s.fillColor, s.opacity * s.fillOpacity));
}

TEST(Presentation, NumbersAndKeywords) {
    struct Case {
        const char* body;
        float strokeWidth;
        int fillRule;
        int lineCap;
        int lineJoin;
        float miterLimit;
    };
    const char* parent = "<g stroke-width='5' fill-rule='evenodd' stroke-linecap='square'"
                         " stroke-linejoin='round' stroke-miterlimit='9'>";
    const Case cases[] = {
        {"<rect id='t'/>", 5, 0, 1, 2, 9},
        {"<rect id='t' stroke-width='2px'/>", 2, 0, 1, 2, 9},
        {"<rect id='t' stroke-width='abc'/>", 0, 0, 1, 2, 9},
        {"<rect id='t' stroke-width=''/>", 5, 0, 1, 2, 9},
        {"<rect id='t' stroke-width='-3'/>", -3, 0, 1, 2, 9},
        {"<rect id='t' stroke-width='1e39'/>", 0, 0, 1, 2, 9},   // too large for a float
        {"<rect id='t' stroke-width='1e38cm'/>", 0, 0, 1, 2, 9}, // so in pixels
        {"<rect id='t' fill-rule='NonZero'/>", 5, 1, 1, 2, 9},
        {"<rect id='t' fill-rule='winding'/>", 5, 0, 1, 2, 9},
        {"<rect id='t' style='stroke-linecap: BUTT ; stroke-linejoin:miter'/>", 5, 0, 0, 0, 9},
        {"<rect id='t' stroke-linecap='round' stroke-linejoin='bevel'/>", 5, 0, 2, 1, 9},
        {"<rect id='t' stroke-linecap='roundish' stroke-linejoin='x'/>", 5, 0, 1, 2, 9},
        {"<rect id='t' stroke-miterlimit='0'/>", 5, 0, 1, 2, 0},
        {"<rect id='t' stroke-miterlimit='2.5e1'/>", 5, 0, 1, 2, 25},
        // white space as CSS has it around a value: tabs and line breaks too
        {"<rect id='t' stroke-linecap='&#9;round&#10;' stroke-width='&#9;2px&#13;'/>", 2, 0, 2, 2,
         9},
    };
    for (const Case& c : cases) {
        StyleState s = StyleOfTarget(Svg(std::string(parent) + c.body + "</g>"));
        EXPECT_EQ(c.strokeWidth, s.strokeWidth) << c.body;
        EXPECT_EQ(c.fillRule, s.fillRule) << c.body;
        EXPECT_EQ(c.lineCap, s.lineCap) << c.body;
        EXPECT_EQ(c.lineJoin, s.lineJoin) << c.body;
        EXPECT_EQ(c.miterLimit, s.miterLimit) << c.body;
    }
}

// Stroke lengths in every unit, and percentages of the viewport's normalised
// diagonal (the walk's default viewport is 100 x 100; the walker's tests
// cover a document's own).
// The transform turns about transform-origin: keywords and percentages of
// the viewport (100 x 100 here), lengths, either order of a keyword pair.
TEST(Presentation, TransformOrigin) {
    struct Case {
        const char* origin;
        float x, y;
    } cases[] = {
        {"transform-origin='center'", 50, 50},
        {"transform-origin='25% top'", 25, 0},
        {"transform-origin='top right'", 100, 0},
        {"transform-origin='bottom'", 50, 100},
        {"transform-origin='right 10'", 100, 10},
        {"style='transform-origin:1em 2px'", 12, 2},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        StyleState s =
            StyleOfTarget(Svg(std::string("<rect id='t' transform='scale(2)' ") + c.origin + "/>"));
        EXPECT_FLOAT_EQ(2, s.matrix.a) << c.origin;
        EXPECT_FLOAT_EQ(-c.x, s.matrix.e) << c.origin; // x - 2x
        EXPECT_FLOAT_EQ(-c.y, s.matrix.f) << c.origin;
    }
    StyleState none = StyleOfTarget(Svg("<rect id='t' transform-origin='center'/>"));
    EXPECT_FLOAT_EQ(0, none.matrix.e);
}

TEST(Presentation, StrokeLengthsWithUnits) {
    struct Case {
        const char* attributes;
        float strokeWidth;
        float dashOffset;
    };
    const Case cases[] = {
        {"stroke-width='2px'", 2, 0},
        {"stroke-width='3pt'", 4, 0},
        {"stroke-width='1pc' stroke-dashoffset='1in'", 16, 96},
        {"stroke-width='2.54CM' stroke-dashoffset='25.4mm'", 96, 96},
        {"stroke-width='10%'", 10, 0},
        {"stroke-width='1.5e1px'", 15, 0},
        {"stroke-width='2em'", 40, 0},
        {"stroke-width='2ex' font-size='10'", 10, 0},
        {"stroke-width='1em' style='font-size:2em'", 40, 0}, // of the parent's 20
        {"stroke-width='1em' font-size='150%'", 30, 0},
        {"stroke-width='1em' font-size='large' stroke-dashoffset='-1em'", 14.4f, -14.4f},
        {"stroke-width='1em' font-size='XX-small'", 12 / 1.728f, 0}, // the root's 12 / 1.2³
        {"stroke-width='1em' font-size='xxx-large'", 12 * 2.0736f, 0},
        {"stroke-width='1em' font-size='smaller'", 20 / 1.2f, 0},
        {"stroke-width='1em' style='font: bold 10px/2 serif'", 10, 0},
        {"stroke-width='1em' style='font: 10px / 2 serif'", 10, 0},
        {"stroke-width='1em' style='font: 50% serif'", 10, 0},
        {"stroke-width='1em' style='font: 10px'", 20, 0}, // no family: not a font
        {"stroke-width='1em' style='font: 10px /'", 20, 0},
        {"stroke-width='1em' style='font: caption'", 20, 0},
        {"stroke-width='1em' font-size='-4'", 20, 0}, // a negative size keeps the parent's
        {"stroke-width='4furlongs'", 4, 0},           // a unit it does not know
        {"stroke-width='abc' stroke-dashoffset='x'", 0, 0},
    };
    for (const Case& c : cases) {
        StyleState s = StyleOfTarget("<svg><g font-size='20'><rect id='t' " +
                                     std::string(c.attributes) + "/></g></svg>");
        EXPECT_NEAR(c.strokeWidth, s.strokeWidth, 1e-3) << c.attributes;
        EXPECT_NEAR(c.dashOffset, s.dashOffset, 1e-3) << c.attributes;
    }
}

TEST(Presentation, DashArrays) {
    struct Case {
        const char* value;
        std::vector<float> dashes;
    };
    const std::vector<float> inherited = {7, 3};
    const Case cases[] = {
        {"4 2", {4, 2}},       {"4", {4, 4}},        {" 1,2, 3 ", {1, 2, 3, 1, 2, 3}},
        {"1em 10%", {12, 10}}, // viewBox 100 x 100: the diagonal is 100
        {"0 3", {0, 3}},       {"none", {}},         {"0 0", {}},
        {"4 -1", {}},          {"4 abc", inherited}, {"", inherited},
    };
    for (const Case& c : cases) {
        StyleState s = StyleOfTarget(Svg(std::string("<g stroke-dasharray='7 3'><rect id='t' "
                                                     "stroke-dasharray='") +
                                         c.value + "'/></g>"));
        EXPECT_EQ(c.dashes, FloatsOf(s.dashes)) << c.value;
    }
}

TEST(Presentation, VectorEffectIsNotInherited) {
    EXPECT_EQ(1, StyleOfTarget(Svg("<rect id='t' style='vector-effect: Non-Scaling-Stroke'/>"))
                     .nonScalingStroke);
    EXPECT_EQ(0, StyleOfTarget(Svg("<g vector-effect='non-scaling-stroke'><rect id='t'/></g>"))
                     .nonScalingStroke);
}

// What a later step reads off the style: clip-path, mask, filter, mask-type
// and overflow belong to the element alone; clip-rule and writing-mode pass
// down to its children.
TEST(Presentation, OwnAndInheritedEffects) {
    const StyleState child = StyleOfTarget(
        Svg("<g clip-path='url(#c)' mask='url(#m)' filter='url(#f)' mask-type='alpha' "
            "overflow='visible' marker-end='url(#e)' clip-rule='evenodd' writing-mode='tb'>"
            "<rect id='t'/></g>"));
    EXPECT_EQ(L"", child.clipPath);
    EXPECT_EQ(L"", child.mask);
    EXPECT_EQ(L"", child.filter);
    EXPECT_EQ(0, child.maskAlpha);
    EXPECT_EQ(1, child.clipsOverflow);
    EXPECT_EQ(0, child.namesMarker);
    EXPECT_EQ(0, child.clipRule);
    EXPECT_EQ(1, child.vertical);
    const StyleState own =
        StyleOfTarget(Svg("<style>#t{filter:NONE;overflow:Auto}</style><g writing-mode='tb'>"
                          "<rect id='t' clip-path='none' writing-mode='lr-tb'/></g>"));
    EXPECT_EQ(L"", own.filter);
    EXPECT_EQ(L"", own.clipPath);
    EXPECT_EQ(0, own.clipsOverflow);
    EXPECT_EQ(0, own.vertical);
}

// Text layout: spacing (measured where it is given), the dominant baseline,
// kerning and color-interpolation-filters pass down; alignment, shift,
// decoration and the effect colours do not, but "inherit" takes the
// parent's colour (its currentColor already resolved there).
TEST(Presentation, TextAndEffectPropertiesInheritAsCssSays) {
    const std::string group =
        "<g font-size='10' color='red' letter-spacing='1em' word-spacing='2' "
        "dominant-baseline='central' alignment-baseline='middle' baseline-shift='3' "
        "text-decoration='underline' style='font-kerning:none' flood-color='currentColor' "
        "flood-opacity='.5' lighting-color='blue' stop-color='lime' "
        "color-interpolation-filters='sRGB'>";
    const StyleState inherited =
        StyleOfTarget(Svg(group + "<rect id='t' font-size='20' color='blue' flood-color='inherit' "
                                  "lighting-color='inherit'/></g>"));
    EXPECT_EQ(10, inherited.letterSpacing);
    EXPECT_EQ(2, inherited.wordSpacing);
    EXPECT_EQ(BaselineCentral, inherited.dominantBaseline);
    EXPECT_EQ(BaselineUnchanged, inherited.alignmentBaseline);
    EXPECT_EQ(ShiftNone, inherited.baselineShiftKind);
    EXPECT_EQ(0, inherited.decorationLines);
    EXPECT_EQ(1, inherited.kerningOff);
    EXPECT_EQ(Red, inherited.effects.flood);
    EXPECT_EQ(1, inherited.effects.floodOpacity);
    EXPECT_EQ(Blue, inherited.effects.lighting);
    EXPECT_EQ(Black, inherited.effects.stop);
    EXPECT_EQ(0, inherited.filtersInLinearRgb);
    const StyleState own =
        StyleOfTarget(Svg(group + "<rect id='t' font-size='20' letter-spacing='normal' "
                                  "dominant-baseline='no-change' alignment-baseline='baseline' "
                                  "baseline-shift='-50%' kerning='auto' flood-color='bogus' "
                                  "flood-opacity='7' color-interpolation-filters='auto'/></g>"));
    EXPECT_EQ(0, own.letterSpacing);
    EXPECT_EQ(BaselineCentral, own.dominantBaseline);
    EXPECT_EQ(BaselineUnchanged, own.alignmentBaseline);
    EXPECT_EQ(ShiftLength, own.baselineShiftKind);
    EXPECT_EQ(-10, own.baselineShift);
    EXPECT_EQ(0, own.kerningOff);
    EXPECT_EQ(Black, own.effects.flood);
    EXPECT_EQ(1, own.effects.floodOpacity);
    EXPECT_EQ(1, own.filtersInLinearRgb);
}

// "font" sets every font property, those it leaves out to their initial
// values, and competes with the longhands by its place in the cascade.
TEST(Presentation, FontShorthand) {
    struct Case {
        const char* style;
        float size;
        int weight, italic, kerningOff;
        const wchar_t* family;
    } cases[] = {
        {"font: 50px 'B C'", 50, 400, 0, 0, L"'B C'"},
        {"font-weight:900; font: 50px B", 50, 400, 0, 0, L"B"},
        {"font: 50px B; font-weight:900", 50, 900, 0, 0, L"B"},
        {"font: italic small-caps 300 condensed 8px/9px B, serif", 8, 300, 1, 0, L"B, serif"},
        {"font: normal normal 8px B", 8, 400, 0, 0, L"B"},
        {"font: bold bold 8px B", 20, 700, 1, 1, L"A"}, // weight twice: ignored
        {"font: inherit", 20, 700, 1, 1, L"A"},
    };
    for (const Case& c : cases) {
        StyleState s = StyleOfTarget(Svg("<g style='font-kerning:none; font: italic bold 20px A'>"
                                         "<g style='font-kerning:none'><rect id='t' style=\"" +
                                         std::string(c.style) + "\"/></g></g>"));
        EXPECT_FLOAT_EQ(c.size, s.fontSize) << c.style;
        EXPECT_EQ(c.weight, s.fontWeight) << c.style;
        EXPECT_EQ(c.italic, s.fontItalic) << c.style;
        EXPECT_EQ(c.kerningOff, s.kerningOff) << c.style;
        EXPECT_EQ(c.family, TextOf(s.fontFamily)) << c.style;
    }
}

// Each property counts when an element gives it alone: properties are read
// a group at a time, and the groups an element gives nothing of are passed
// over.
#define HOLDS(test) [](const StyleState& s) { return test; }
TEST(Presentation, EachPropertyCountsOnItsOwn) {
    const struct {
        const char* attributes;
        bool (*holds)(const StyleState& s);
    } cases[] = {
        {"stroke-width='3'", HOLDS(s.strokeWidth == 3)},
        {"stroke-dasharray='2'", HOLDS(FloatsOf(s.dashes).size() == 2)},
        {"stroke-dashoffset='3'", HOLDS(s.dashOffset == 3)},
        {"vector-effect='non-scaling-stroke'", HOLDS(s.nonScalingStroke == 1)},
        {"opacity='.5'", HOLDS(s.opacity == .5f)},
        {"fill-opacity='.5'", HOLDS(s.fillOpacity == .5f)},
        {"stroke-opacity='.5'", HOLDS(s.strokeOpacity == .5f)},
        {"fill-rule='evenodd'", HOLDS(s.fillRule == 0)},
        {"stroke-linecap='round'", HOLDS(s.lineCap == 2)},
        {"stroke-linejoin='bevel'", HOLDS(s.lineJoin == 1)},
        {"stroke-miterlimit='9'", HOLDS(s.miterLimit == 9)},
        {"marker-start='url(#m)'", HOLDS(s.markerStart == L"m" && s.namesMarker)},
        {"marker-mid='url(#m)'", HOLDS(s.markerMid == L"m" && s.namesMarker)},
        {"marker-end='url(#m)'", HOLDS(s.markerEnd == L"m" && s.namesMarker)},
        {"style='marker:url(#m)'", HOLDS(s.markerMid == L"m" && s.namesMarker)},
        {"paint-order='markers'", HOLDS(PaintOrderPart(s.paintOrder, 0) == PaintMarkers)},
        {"font-family='Serif'", HOLDS(TextOf(s.fontFamily) == L"Serif")},
        {"font-weight='bold'", HOLDS(s.fontBold == 1)},
        {"font-style='italic'", HOLDS(s.fontItalic == 1)},
        {"font-variant='small-caps'", HOLDS(s.smallCaps == 1)},
        {"style='font: small-caps 9px A'", HOLDS(s.smallCaps == 1 && s.fontSize == 9)},
        {"text-anchor='end'", HOLDS(s.textAnchor == 2)},
        {"xml:space='preserve'", HOLDS(s.preserveSpace == 1)},
        {"transform='translate(2,3)'", HOLDS(s.matrix.e == 2 && s.matrix.f == 3)},
        {"filter=' url(#f) '", HOLDS(s.filter == L"url(#f)")},
        {"clip-path='url(#c)'", HOLDS(s.clipPath == L"url(#c)")},
        {"mask='url(#k)'", HOLDS(s.mask == L"url(#k)")},
        {"mask-type='Alpha'", HOLDS(s.maskAlpha == 1)},
        {"clip-rule='evenodd'", HOLDS(s.clipRule == 0)},
        {"overflow='visible'", HOLDS(s.clipsOverflow == 0)},
        {"writing-mode='tb-rl'", HOLDS(s.vertical == 1)},
        {"letter-spacing='2'", HOLDS(s.letterSpacing == 2)},
        {"word-spacing='1em'", HOLDS(s.wordSpacing == 12)},
        {"dominant-baseline='middle'", HOLDS(s.dominantBaseline == BaselineMiddle)},
        {"alignment-baseline='hanging'", HOLDS(s.alignmentBaseline == BaselineHanging)},
        {"baseline-shift='super'", HOLDS(s.baselineShiftKind == ShiftSuper)},
        {"text-decoration='underline line-through'",
         HOLDS(s.decorationLines == (LineUnder | LineThrough))},
        {"style='font-kerning:none'", HOLDS(s.kerningOff == 1)},
        {"kerning='0'", HOLDS(s.kerningOff == 1)},
        {"flood-color='red'", HOLDS(s.effects.flood == Red)},
        {"flood-opacity='50%'", HOLDS(s.effects.floodOpacity == .5f)},
        {"lighting-color='blue'", HOLDS(s.effects.lighting == Blue)},
        {"stop-color='red'", HOLDS(s.effects.stop == Red)},
        {"stop-opacity='.25'", HOLDS(s.effects.stopOpacity == .25f)},
        {"color-interpolation-filters='sRGB'", HOLDS(s.filtersInLinearRgb == 0)},
    };
    for (const auto& c : cases) {
        ParsedXml xml(Svg(std::string("<rect id='t' ") + c.attributes + "/>"));
        const XmlNode* target = FindElementById(xml.Root(), L"t");
        StyleState root, state;
        InitRootStyleState(&root);
        LoadContext context;
        ApplyPresentation(&context, target, ElementDeclarations(&context.sheets, target), &root,
                          &state);
        EXPECT_TRUE(c.holds(state)) << c.attributes;
    }
    // Values beyond ASCII, or too long for the reader's own buffer, between
    // others.
    std::string dashes;
    for (int i = 0; i < 200; i++)
        dashes += "1 ";
    StyleState s = StyleOfTarget(Svg("<rect id='t' font-family='S\xC3\xA9rif' stroke-width='2' "
                                     "stroke-dasharray='" +
                                     dashes + "' stroke-linecap='round'/>"));
    EXPECT_EQ(L"S\u00e9rif", TextOf(s.fontFamily));
    EXPECT_EQ(2, s.strokeWidth);
    EXPECT_EQ(200u, FloatsOf(s.dashes).size());
    EXPECT_EQ(2, s.lineCap);
}
#undef HOLDS

TEST(Presentation, OwnTransformAppliesBeforeTheAncestors) {
    StyleState s = StyleOfTarget(
        Svg("<g transform='translate(10,0)'><rect id='t' transform='scale(2)'/></g>"));
    // The point (1, 0) of the child lands at (12, 0).
    EXPECT_FLOAT_EQ(12.0f, s.matrix.a * 1 + s.matrix.c * 0 + s.matrix.e);
    EXPECT_FLOAT_EQ(0.0f, s.matrix.b * 1 + s.matrix.d * 0 + s.matrix.f);

    // A transform in "style" wins over the style sheet's, and applies inside
    // the ancestors' as the attribute would.
    s = StyleOfTarget(Svg("<style>.m{transform:translate(7px,7px)}</style>"
                          "<g transform='translate(3,4)'>"
                          "<rect id='t' class='m' style='transform:scale(5)' transform='  '/>"
                          "</g>"));
    EXPECT_EQ(5.0f, s.matrix.a);
    EXPECT_EQ(3.0f, s.matrix.e);
    EXPECT_EQ(4.0f, s.matrix.f);
}

TEST(Presentation, RootAttributesApplyInPlace) {
    ParsedXml xml("<svg fill='red' transform='translate(1,2)'><rect/></svg>");
    ASSERT_TRUE(xml.Root() != nullptr);
    LoadContext context;
    FillDocumentMaps(&context, xml.Root());
    StyleState s;
    InitRootStyleState(&s);
    ApplyPresentation(&context, xml.Root(), &s, &s);
    EXPECT_EQ(Red, s.fillColor);
    EXPECT_EQ(1.0f, s.matrix.e);
    EXPECT_EQ(2.0f, s.matrix.f);
}

// Drawing tools export style sheets over several lines; the rule bodies keep
// their line breaks and tabs, and the properties must still be found.
TEST(Presentation, MultiLineStyleSheetPaintsAsABrowserWould) {
    StyleState s = StyleOfTarget(Svg("<style>\n\t.st0{\n\t\tfill:#FF0000;\n\t}\n"
                                     "\t.st1{\n\t\tstroke:#0000FF;\r\n\t\tstroke-width:4;\n\t}\n"
                                     "</style><rect id='t' class='st0 st1'/>"));
    EXPECT_EQ(Red, s.fillColor);
    EXPECT_EQ(1, s.hasStroke);
    EXPECT_EQ(Blue, s.strokeColor);
    EXPECT_EQ(4.0f, s.strokeWidth);
}

TEST(Presentation, FindDeclaration) {
    struct Case {
        const wchar_t* list;
        const wchar_t* name;
        const wchar_t* value;
    };
    const Case cases[] = {
        {L"", L"fill", L""},
        {L"fill:red", L"fill", L"red"},
        {L"FILL : Blue ", L"fill", L"Blue"},
        {L"fill:red", L"FILL", L"red"},
        {L"fill:red;fill:blue", L"fill", L"red"},
        {L"stroke:red;;nonsense; fill : x ", L"fill", L"x"},
        {L"fill-opacity:0.5", L"fill", L""},
        {L"fill:;fill:blue", L"fill", L""},
        {L"fill:red !important", L"fill", L"red !important"},
        {L"fill:url(#a:b)", L"fill", L"url(#a:b)"},
        {L"\n\t\tfill:#FF0000;\n\t", L"fill", L"#FF0000"},
        {L"\r\n stroke \f:\tblue\r\n", L"stroke", L"blue"},
        {L"fill red; stroke: blue", L"stroke", L"blue"},
        {L"fill red; stroke: blue", L"fill red", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::wstring(c.value), FindDeclaration(c.list, c.name))
            << Utf8FromWide(c.list) << " / " << Utf8FromWide(c.name);
    }
}

TEST(Presentation, StyleSheetDeclarationsOrder) {
    ParsedXml xml(Svg("<style>#i{fill:id}.a{fill:a}.b{fill:b}rect{fill:element}"
                      "circle{fill:circle}</style>"
                      "<rect id='i' class='b  a' />"
                      "<RECT id='r' class=' zz a '/>"
                      "<circle id=' i ' class=''/>"
                      "<path id='p'/>"));
    ASSERT_TRUE(xml.Root() != nullptr);
    LoadContext context;
    FillDocumentMaps(&context, xml.Root());
    StyleSheets* sheets = &context.sheets;
    EXPECT_EQ(L"fill:id;fill:b;fill:a;fill:element",
              StyleSheetDeclarations(sheets, FindElementById(xml.Root(), L"i")));
    EXPECT_EQ(L"fill:a;fill:element",
              StyleSheetDeclarations(sheets, FindElementById(xml.Root(), L"r")));
    // The id is trimmed of blanks before the look-up.
    EXPECT_EQ(L"fill:id;fill:circle",
              StyleSheetDeclarations(sheets, FindElementById(xml.Root(), L" i ")));
    EXPECT_EQ(L"", StyleSheetDeclarations(sheets, FindElementById(xml.Root(), L"p")));
}

TEST(Presentation, ParsePaintResults) {
    ParsedXml xml(Svg("<linearGradient id='g'><stop stop-color='#102030'/></linearGradient>"
                      "<radialGradient id='e'/>"
                      "<rect id='t'/>"));
    ASSERT_TRUE(xml.Root() != nullptr);
    LoadContext context;
    FillDocumentMaps(&context, xml.Root());
    const XmlNode* rect = FindElementById(xml.Root(), L"t");
    int isNone = 7;
    std::wstring ref = L"stale";
    EXPECT_EQ(NoColour, ParsePaint(&context, rect, L"", L"fill", &isNone, &ref));
    EXPECT_EQ(0, isNone);
    EXPECT_EQ(L"", ref);
    EXPECT_EQ(0u, ParsePaint(&context, rect, L"fill: NONE ", L"fill", &isNone, &ref));
    EXPECT_EQ(1, isNone);
    EXPECT_EQ(0xFF102030u, ParsePaint(&context, rect, L"fill:url(#g)", L"fill", &isNone, &ref));
    EXPECT_EQ(0, isNone);
    EXPECT_EQ(L"g", ref);
    // A gradient without stops stands as grey, and still is a reference.
    EXPECT_EQ(Grey, ParsePaint(&context, rect, L"fill:url(#e)", L"fill", &isNone, &ref));
    EXPECT_EQ(L"e", ref);
    EXPECT_EQ(Blue, ParsePaint(&context, rect, L"fill:blue", L"fill", &isNone, &ref));
    EXPECT_EQ(L"", ref);
}

TEST(Presentation, ParseLength) {
    struct Case {
        const wchar_t* text;
        float value;
    };
    const Case cases[] = {
        {L"", 0},      {L"   ", 0},      {L"10", 10},  {L"  10px  ", 10},   {L"10pt", 10},
        {L"10mm", 10}, {L"10em", 10},    {L"10%", 10}, {L"2e", 2},          {L"1-2", 1},
        {L"1e2", 100}, {L"1E-1", 0.1f},  {L"2e+", 2},  {L"-.5", -0.5f},     {L"+5", 5},
        {L"5.", 5},    {L"1.5.3", 1.5f}, {L"abc", 0},  {L"-", 0},           {L"e5", 0},
        {L"--5", 0},   {L"\t5", 0},      {L"0x10", 0}, {L"1e40", INFINITY}, {L"-1e40", -INFINITY},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, ParseLength(c.text)) << Utf8FromWide(c.text);
}

TEST(Presentation, ScaleAlpha) {
    struct Case {
        Argb colour;
        float factor;
        Argb result;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {0xFF123456u, 1.0f, 0xFF123456u},  {0x80123456u, 50.0f, 0x80123456u},
        {0xFF123456u, 0.0f, 0x00123456u},  {0xFF123456u, -1.0f, 0x00123456u},
        {0xFF123456u, nan, 0x00123456u},   {0xFF123456u, 0.5f, 0x80123456u}, // 127.5 -> 128
        {0x01123456u, 0.5f, 0x00123456u},  // 0.5 -> 0 (halves to even)
        {0x03123456u, 0.5f, 0x02123456u},  // 1.5 -> 2
        {0x05123456u, 0.5f, 0x02123456u},  // 2.5 -> 2
        {0xFF123456u, 0.25f, 0x40123456u}, // 63.75 -> 64
        {0x00123456u, 0.5f, 0x00123456u},  {0xFFFFFFFFu, 0.99f, 0xFCFFFFFFu},
        {0xFF000000u, 1e-9f, 0x00000000u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, ScaleAlpha(c.colour, c.factor))
            << std::hex << c.colour << " " << c.factor;
}

TEST(Presentation, CssTransformWinsOverTheAttributeWhenValid) {
    struct Case {
        const char* element;
        float a, e;
    } cases[] = {
        {"<rect id='t' transform='translate(5,5)' style='transform:scale(2)'/>", 2, 0},
        {"<rect id='t' transform='translate(5,5)' style='transform:none'/>", 1, 0},
        {"<rect id='t' transform='translate(5,5)' style='transform:rotate(9)'/>", 1, 5},
        {"<style>#t { transform: translate(7px) }</style><rect id='t'/>", 1, 7},
        {"<style>#t { transform: translate(7px) }</style>"
         "<rect id='t' transform='scale(3)' style='transform: translateX(1em)'/>",
         1, 12},
    };
    for (const Case& c : cases) {
        StyleState s = StyleOfTarget(Svg(c.element));
        EXPECT_FLOAT_EQ(c.a, s.matrix.a) << c.element;
        EXPECT_FLOAT_EQ(c.e, s.matrix.e) << c.element;
    }
}

} // namespace
