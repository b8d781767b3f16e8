#include "svg/colour.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <cwctype>
#include <string>

namespace {

struct ColourCase {
    const wchar_t* text;
    Argb expected;
};

void ExpectColours(Argb (*parse)(const std::wstring&), const ColourCase* cases, size_t count) {
    for (size_t i = 0; i < count; i++) {
        EXPECT_EQ(cases[i].expected, parse(cases[i].text))
            << "text: \"" << std::string(cases[i].text, cases[i].text + wcslen(cases[i].text))
            << "\"";
    }
}

TEST(ColourTest, HexForms) {
    const ColourCase cases[] = {
        {L"", NoColour},          {L"   ", NoColour},
        {L" #F00 ", 0xFFFF0000},  {L"#FfF", 0xFFFFFFFF},
        {L"#abc", 0xFFAABBCC},    {L"#102030", 0xFF102030},
        {L"#ff000080", NoColour}, // eight digits are not read
        {L"#f008", NoColour},     {L"#", NoColour},
        {L"#12345G", 0xFF123405}, // "5G" keeps the digit before the G
        {L"#G51234", 0xFF001234}, {L"#GGG", 0xFF000000},
        {L"#FFFFFE", NoColour}, // the opaque colour that means "no colour"
        {L"\t#F00", NoColour},  // only blanks are trimmed
    };
    ExpectColours(ParseColour, cases, sizeof cases / sizeof cases[0]);
    EXPECT_EQ(NoColour, ParseHexColour(L"red"));
    EXPECT_EQ(0xFF00FF00u, ParseHexColour(L" #0F0"));
}

TEST(ColourTest, RgbFunctions) {
    const ColourCase cases[] = {
        {L"RGB( 255 , 0 , 0 )", 0xFFFF0000},
        {L"rgb(255,0,0", 0xFFFF0000}, // a missing ")" is accepted
        {L"rgb(1 2 3)", NoColour},    // blanks removed: one part "123"
        {L"rgb(300,-5,12.7)", 0xFFFF000C},
        {L"rgb(50%,30%,10%)", 0xFF804C1A}, // 127.5, 76.5, 25.5 to even
        {L"rgb(100%,0%,-20%)", 0xFFFF0000},
        {L"rgb(12.5%,0,0)", 0xFF200000}, // 31.875
        {L"rgba(255,0,0,0.5)", 0x80FF0000},
        {L"rgba(255,0,0,0.3)", 0x4DFF0000}, // 0.3f x 255 is just above 76.5
        {L"rgba(255,0,0)", NoColour},
        {L"rgb(255,0,0,0.5)", 0xFFFF0000},
        {L"rgba(0,0,0,2)", 0xFF000000},
        {L"rgba(0,0,0,-1)", 0x00000000},
        {L"rgba(0,0,0,50%)", 0xFF000000}, // "50%" reads 50, clamped to 1
        {L"rgb($ff,0,0)", 0xFFFF0000},
        {L"rgb(%11111111,0,0)", 0xFFFF0000}, // binary integer
        {L"rgb(255,255,254)", NoColour},
        {L"rgb(1,,3)", 0xFF010003}, // the empty middle part reads 0
        {L"rgb(1,2)", NoColour},
        {L"rgb(1,2,)", NoColour}, // an empty text after the last comma is no part
        {L"rgba(1,2,3,)", NoColour},
        {L"rgba(1,2,3,,)", 0x00010203}, // the fourth comma ends an empty part
        {L"rgba(1,2,3,1,junk,more", 0xFF010203},
        {L"rgb(1,2,3) trailing", 0xFF010203},
        {L"rgb(\t1,2,3)", 0xFF010203}, // tabs stay; the integer reading skips them
        {L"rgb()", NoColour},
        {L"rgb(", NoColour},
        {L"rgb(4294967551,0,0)", 0xFFFF0000}, // the low 32 bits are 255
        {L"rgb(4294967296,0,0)", 0xFF000000}, // the low 32 bits are 0
    };
    ExpectColours(ParseColour, cases, sizeof cases / sizeof cases[0]);
    EXPECT_EQ(NoColour, ParseRgbFunction(L"red"));
    EXPECT_EQ(NoColour, ParseRgbFunction(L"rgb 1,2,3"));
}

TEST(ColourTest, ExtremeNumbersAreClampedNotCrashed) {
    const ColourCase cases[] = {
        {L"rgb(1e39%,0,0)", 0xFFFF0000},  // infinity as a float
        {L"rgb(-1e39%,0,0)", 0xFF000000}, //
        {L"rgb(1e-50%,0,0)", 0xFF000000}, // underflows to 0
        {L"rgb(NaN%,0,0)", 0xFF000000},   //
        {L"rgb(+infinity%,0,0)", 0xFFFF0000},
        {L"rgb(1e39,0,0)", 0xFF010000}, // the integer reading stops at "e"
        {L"rgba(0,0,0,1e39)", 0xFF000000},
        {L"rgba(0,0,0,-1e39)", 0x00000000},
        {L"rgba(0,0,0,1e-50)", 0x00000000},
        {L"rgba(0,0,0,NaN)", 0x00000000},
        {L"rgba(0,0,0,-nan)", 0x00000000},
        {L"rgba(0,0,0,inf)", 0xFF000000},
        {L"rgba(0,0,0,1e400)", 0xFF000000}, // beyond double range
    };
    ExpectColours(ParseColour, cases, sizeof cases / sizeof cases[0]);
}

TEST(ColourTest, Keywords) {
    const ColourCase cases[] = {
        {L"Red", 0xFFFF0000},       {L"RED ", 0xFFFF0000},        {L"orange", 0xFFFFA500},
        {L"green", 0xFF008000},     {L"lime", 0xFF00FF00},        {L"grey", 0xFF808080},
        {L"gray", 0xFF808080},      {L"aqua", 0xFF00FFFF},        {L"Fuchsia", 0xFFFF00FF},
        {L"lightGrey", 0xFFD3D3D3}, {L"darkgray", 0xFFA9A9A9},    {L"crimson", 0xFFDC143C},
        {L"mintcream", 0xFFF5FFFA}, {L"thistle", 0xFFD8BFD8},     {L"indigo", 0xFF4B0082},
        {L"none", 0x00000000},      {L"Transparent", 0x00000000}, {L"currentColor", NoColour},
        {L"inherit", NoColour},     {L"rebeccapurple", NoColour}, {L"hsl(0,0,0)", NoColour},
        {L"ButtonFace", NoColour},  {L"re d", NoColour},          {L"red;", NoColour},
    };
    ExpectColours(ParseColour, cases, sizeof cases / sizeof cases[0]);

    // Every keyword is an opaque colour in any case and none is NoColour.
    const wchar_t* keywords[] = {
        L"black",     L"white",     L"red",        L"green",     L"blue",        L"yellow",
        L"cyan",      L"aqua",      L"magenta",    L"fuchsia",   L"silver",      L"gray",
        L"grey",      L"maroon",    L"olive",      L"purple",    L"teal",        L"navy",
        L"lime",      L"orange",    L"pink",       L"brown",     L"gold",        L"violet",
        L"indigo",    L"skyblue",   L"lightgray",  L"lightgrey", L"darkgray",    L"darkgrey",
        L"lightblue", L"darkblue",  L"lightgreen", L"darkgreen", L"lightyellow", L"darkred",
        L"crimson",   L"salmon",    L"khaki",      L"lavender",  L"beige",       L"ivory",
        L"azure",     L"mintcream", L"honeydew",   L"snow",      L"tan",         L"wheat",
        L"peru",      L"sienna",    L"chocolate",  L"coral",     L"tomato",      L"turquoise",
        L"plum",      L"orchid",    L"thistle",
    };
    ASSERT_EQ(57u, sizeof keywords / sizeof keywords[0]);
    for (const wchar_t* keyword : keywords) {
        std::wstring upper(keyword);
        for (wchar_t& c : upper)
            c = static_cast<wchar_t>(towupper(c));
        Argb value = ParseNamedColour(keyword);
        EXPECT_NE(NoColour, value);
        EXPECT_EQ(0xFF000000u, value & 0xFF000000u);
        EXPECT_EQ(value, ParseColour(L" " + upper + L" "));
    }
}

TEST(ColourTest, HugeInputsEndInTime) {
    std::wstring digits(1 << 20, L'9');
    EXPECT_EQ(NoColour, ParseColour(L"#" + digits));
    EXPECT_EQ(NoColour, ParseColour(digits));
    std::wstring zeros(1 << 20, L'0');
    EXPECT_EQ(0xFFFF0102u, ParseColour(L"rgb(" + zeros + L"255," + zeros + L"1," + zeros + L"2"));
    std::wstring commas(1 << 20, L',');
    EXPECT_EQ(0x00000000u, ParseColour(L"rgba(" + commas + L")"));
    std::wstring blanks(1 << 20, L' ');
    EXPECT_EQ(0xFF010203u, ParseColour(blanks + L"rgb(1," + blanks + L"2,3)" + blanks));
}

} // namespace
