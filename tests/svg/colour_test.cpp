#include "svg/values/colour.h"

#include <gtest/gtest.h>

#include <string>

#include "svg/base/strings.h"

namespace {

struct ColourCase {
    const wchar_t* text;
    Argb expected;
};

void ExpectColours(const ColourCase* cases, size_t count) {
    for (size_t i = 0; i < count; i++) {
        EXPECT_EQ(cases[i].expected, ParseColour(cases[i].text))
            << "text: \"" << Utf8FromWide(cases[i].text) << "\"";
    }
}

TEST(ColourTest, HexForms) {
    const ColourCase cases[] = {
        {L"", NoColour},
        {L" \t\n", NoColour},
        {L" \t#F00\n", 0xFFFF0000},
        {L"#FfF", 0xFFFFFFFF},
        {L"#abc", 0xFFAABBCC},
        {L"#f008", 0x88FF0000},
        {L"#102030", 0xFF102030},
        {L"#ff000080", 0x80FF0000},
        {L"#FFFFFE", 0xFFFFFFFE},   // an opaque colour like any other
        {L"#fffffe00", 0x00FFFFFF}, // the "no colour" value reads as its neighbour
        {L"#12345G", NoColour},
        {L"#12345", NoColour},
        {L"#1234567", NoColour},
        {L"#", NoColour},
        {L"# F00", NoColour},
        {L"#F00 x", NoColour},
    };
    ExpectColours(cases, sizeof cases / sizeof cases[0]);
}

TEST(ColourTest, RgbFunctions) {
    const ColourCase cases[] = {
        {L"RGB( 255 , 0 , 0 )", 0xFFFF0000},
        {L"rgb(255,0,0", 0xFFFF0000}, // a missing ")" at the end is accepted
        {L"rgb(1 2\t3)", 0xFF010203},
        {L"rgb(300,-5,12.5)", 0xFFFF000D}, // clamped; halves round up
        {L"rgb(50%,30%,10%)", 0xFF804D1A},
        {L"rgb(50% 30% 10% / 50%)", 0x80804D1A},
        {L"rgb(100%,0%,-20%)", 0xFFFF0000},
        {L"rgba(255,0,0,0.3)", 0x4DFF0000}, // 0.3f x 255 is just above 76.5
        {L"rgb(255 0 0/.3)", 0x4DFF0000},
        {L"rgba(255,0,0,30%)", 0x4DFF0000},
        {L"rgba(255,0,0)", 0xFFFF0000},
        {L"rgb(255,0,0,0.5)", 0x80FF0000},
        {L"rgba(0,0,0,2)", 0xFF000000},
        {L"rgba(0,0,0,-1)", 0x00000000},
        {L"rgb(1e1,+2,.5e1)", 0xFF0A0205},
        {L"rgb(none 0 255)", 0xFF0000FF},
        {L"rgb(255,255,254)", 0xFFFFFFFE},
        {L"rgba(255,255,254,0)", 0x00FFFFFF},
        {L"rgb(1,,3)", NoColour},
        {L"rgb(1,2)", NoColour},
        {L"rgb(1,2,)", NoColour},
        {L"rgb(1 2,3)", NoColour}, // commas and spaces do not mix
        {L"rgb(1,2 3)", NoColour},
        {L"rgb(1,2,3/0.5)", NoColour},
        {L"rgb(1 2 3 4)", NoColour},
        {L"rgb(1 2 3 / )", NoColour},
        {L"rgb(1,2,3) trailing", NoColour},
        {L"rgb (1,2,3)", NoColour},
        {L"rgb(10px,0,0)", NoColour},
        {L"rgb($ff,0,0)", NoColour},
        {L"rgb(NaN,0,0)", NoColour},
        {L"rgb()", NoColour},
        {L"rgb(", NoColour},
        {L"rgbx(1,2,3)", NoColour},
    };
    ExpectColours(cases, sizeof cases / sizeof cases[0]);
}

TEST(ColourTest, HslFunctions) {
    const ColourCase cases[] = {
        {L"hsl(0,100%,50%)", 0xFFFF0000},
        {L"HSL(120 100% 25%)", 0xFF008000},
        {L"hsl(30,100%,50%)", 0xFFFF8000},
        {L"hsl(-120,100%,50%)", 0xFF0000FF},
        {L"hsl(240deg 100% 50% / 0.5)", 0x800000FF},
        {L"hsla(0.5turn, 100%, 50%, 1)", 0xFF00FFFF},
        {L"hsl(200grad,100%,50%)", 0xFF00FFFF},
        {L"hsl(3.14159265rad,100%,50%)", 0xFF00FFFF},
        {L"hsl(0,0%,100%)", 0xFFFFFFFF},
        {L"hsl(0, 150%, -10%)", 0xFF000000},
        {L"hsl(0 100 50)", 0xFFFF0000}, // plain numbers count as percentages
        {L"hsl(0,100%,50%,0.3)", 0x4DFF0000},
        {L"hsl(1e400,100%,50%)", 0xFFFF0000}, // an infinite hue is 0
        {L"hsl(0%,100%,50%)", NoColour},
        {L"hsl(0px,100%,50%)", NoColour},
        {L"hsl(0,100%)", NoColour},
    };
    ExpectColours(cases, sizeof cases / sizeof cases[0]);
}

TEST(ColourTest, ExtremeNumbersAreClamped) {
    const ColourCase cases[] = {
        {L"rgb(1e39%,0,0)", 0xFFFF0000},    {L"rgb(-1e39%,0,0)", 0xFF000000},
        {L"rgb(1e-50%,0,0)", 0xFF000000},   {L"rgb(1e400,0,0)", 0xFFFF0000},
        {L"rgba(0,0,0,1e39)", 0xFF000000},  {L"rgba(0,0,0,-1e39)", 0x00000000},
        {L"rgba(0,0,0,1e-50)", 0x00000000}, {L"rgba(0,0,0,1e400)", 0xFF000000},
        {L"rgba(0,0,0,inf)", NoColour},
    };
    ExpectColours(cases, sizeof cases / sizeof cases[0]);
}

TEST(ColourTest, Keywords) {
    const ColourCase cases[] = {
        {L"Red", 0xFFFF0000},
        {L"\tRED ", 0xFFFF0000},
        {L"rebeccapurple", 0xFF663399},
        {L"LightGoldenrodYellow", 0xFFFAFAD2},
        {L"darkslategrey", 0xFF2F4F4F},
        {L"mediumspringgreen", 0xFF00FA9A},
        {L"aliceblue", 0xFFF0F8FF},
        {L"yellowgreen", 0xFF9ACD32},
        {L"none", 0x00000000},
        {L"Transparent", 0x00000000},
        {L"currentColor", NoColour},
        {L"inherit", NoColour},
        {L"ButtonFace", NoColour},
        {L"re d", NoColour},
        {L"red;", NoColour},
        {L"blac\u212A", NoColour}, // the Kelvin sign: CSS keywords ignore ASCII case only
        {L"a", NoColour},
        {L"zzz", NoColour},
    };
    ExpectColours(cases, sizeof cases / sizeof cases[0]);

    // The 147 keywords of CSS 3 and rebeccapurple: each an opaque colour in
    // any case.
    const wchar_t* keywords[] = {
        L"aliceblue",
        L"antiquewhite",
        L"aqua",
        L"aquamarine",
        L"azure",
        L"beige",
        L"bisque",
        L"black",
        L"blanchedalmond",
        L"blue",
        L"blueviolet",
        L"brown",
        L"burlywood",
        L"cadetblue",
        L"chartreuse",
        L"chocolate",
        L"coral",
        L"cornflowerblue",
        L"cornsilk",
        L"crimson",
        L"cyan",
        L"darkblue",
        L"darkcyan",
        L"darkgoldenrod",
        L"darkgray",
        L"darkgreen",
        L"darkgrey",
        L"darkkhaki",
        L"darkmagenta",
        L"darkolivegreen",
        L"darkorange",
        L"darkorchid",
        L"darkred",
        L"darksalmon",
        L"darkseagreen",
        L"darkslateblue",
        L"darkslategray",
        L"darkslategrey",
        L"darkturquoise",
        L"darkviolet",
        L"deeppink",
        L"deepskyblue",
        L"dimgray",
        L"dimgrey",
        L"dodgerblue",
        L"firebrick",
        L"floralwhite",
        L"forestgreen",
        L"fuchsia",
        L"gainsboro",
        L"ghostwhite",
        L"gold",
        L"goldenrod",
        L"gray",
        L"green",
        L"greenyellow",
        L"grey",
        L"honeydew",
        L"hotpink",
        L"indianred",
        L"indigo",
        L"ivory",
        L"khaki",
        L"lavender",
        L"lavenderblush",
        L"lawngreen",
        L"lemonchiffon",
        L"lightblue",
        L"lightcoral",
        L"lightcyan",
        L"lightgoldenrodyellow",
        L"lightgray",
        L"lightgreen",
        L"lightgrey",
        L"lightpink",
        L"lightsalmon",
        L"lightseagreen",
        L"lightskyblue",
        L"lightslategray",
        L"lightslategrey",
        L"lightsteelblue",
        L"lightyellow",
        L"lime",
        L"limegreen",
        L"linen",
        L"magenta",
        L"maroon",
        L"mediumaquamarine",
        L"mediumblue",
        L"mediumorchid",
        L"mediumpurple",
        L"mediumseagreen",
        L"mediumslateblue",
        L"mediumspringgreen",
        L"mediumturquoise",
        L"mediumvioletred",
        L"midnightblue",
        L"mintcream",
        L"mistyrose",
        L"moccasin",
        L"navajowhite",
        L"navy",
        L"oldlace",
        L"olive",
        L"olivedrab",
        L"orange",
        L"orangered",
        L"orchid",
        L"palegoldenrod",
        L"palegreen",
        L"paleturquoise",
        L"palevioletred",
        L"papayawhip",
        L"peachpuff",
        L"peru",
        L"pink",
        L"plum",
        L"powderblue",
        L"purple",
        L"rebeccapurple",
        L"red",
        L"rosybrown",
        L"royalblue",
        L"saddlebrown",
        L"salmon",
        L"sandybrown",
        L"seagreen",
        L"seashell",
        L"sienna",
        L"silver",
        L"skyblue",
        L"slateblue",
        L"slategray",
        L"slategrey",
        L"snow",
        L"springgreen",
        L"steelblue",
        L"tan",
        L"teal",
        L"thistle",
        L"tomato",
        L"turquoise",
        L"violet",
        L"wheat",
        L"white",
        L"whitesmoke",
        L"yellow",
        L"yellowgreen",
    };
    ASSERT_EQ(148u, sizeof keywords / sizeof keywords[0]);
    for (const wchar_t* keyword : keywords) {
        std::wstring upper(keyword);
        for (wchar_t& c : upper)
            c = static_cast<wchar_t>(c - 32);
        Argb value = ParseColour(keyword);
        EXPECT_EQ(0xFF000000u, value & 0xFF000000u) << Utf8FromWide(keyword);
        EXPECT_EQ(value, ParseColour(L" " + upper + L" ")) << Utf8FromWide(keyword);
    }
}

TEST(ColourTest, HugeInputsEndInTime) {
    std::wstring digits(1 << 20, L'9');
    EXPECT_EQ(NoColour, ParseColour(L"#" + digits));
    EXPECT_EQ(NoColour, ParseColour(digits));
    std::wstring zeros(1 << 20, L'0');
    EXPECT_EQ(0xFFFF0102u, ParseColour(L"rgb(" + zeros + L"255," + zeros + L"1," + zeros + L"2"));
    std::wstring commas(1 << 20, L',');
    EXPECT_EQ(NoColour, ParseColour(L"rgba(" + commas + L")"));
    std::wstring blanks(1 << 20, L' ');
    EXPECT_EQ(0xFF010203u, ParseColour(blanks + L"rgb(1," + blanks + L"2,3)" + blanks));
}

} // namespace
