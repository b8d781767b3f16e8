#include <gtest/gtest.h>

#include "layers/layer.h"
#include "layers/layout_parameters.h"

TEST(LayoutText, LayoutModeKeywords) {
    struct Case {
        const wchar_t* text;
        int mode;
    } cases[] = {
        {L"", 0},          {L"fit", 0},     {L"FIT", 0},      {L"stretch", 1},    {L" Stretch ", 1},
        {L"original", 2},  {L"NATURAL", 2}, {L"natural ", 2}, {L"tile", 0},       {L"\tstretch", 0},
        {L"stretch x", 0}, {L"2", 0},       {L"orig", 0},     {L"Original  ", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.mode, ParseLayoutMode(c.text)) << c.text;
}

TEST(LayoutText, MarginsInCssOrder) {
    struct Case {
        const wchar_t* text;
        int top, right, bottom, left;
    } cases[] = {
        {L"", 0, 0, 0, 0},
        {L"   ", 0, 0, 0, 0},
        {L"10", 10, 10, 10, 10},
        {L"10 20", 10, 20, 10, 20},
        {L"10 20 30", 10, 20, 30, 20},
        {L"10 20 30 40", 10, 20, 30, 40},
        {L"1,2,3,4,5", 1, 2, 3, 4},
        {L"-3", 0, 0, 0, 0},
        {L"5 -3", 5, 0, 5, 0},
        {L"2.5", 2, 2, 2, 2}, // halves to even
        {L"3.5", 4, 4, 4, 4},
        {L"0.4", 0, 0, 0, 0},
        {L"10px 20px", 10, 10, 10, 10}, // reading stops at the letters
        {L"10, 20,", 10, 20, 0, 20},    // a trailing comma adds a 0
        {L"  7\t8\r\n9 ", 7, 8, 9, 8},
        {L"abc", 0, 0, 0, 0},
        {L"1e3", 1000, 1000, 1000, 1000},
    };
    for (const Case& c : cases) {
        LayerMargins m = ParseMargins(c.text);
        EXPECT_EQ(c.top, m.top) << c.text;
        EXPECT_EQ(c.right, m.right) << c.text;
        EXPECT_EQ(c.bottom, m.bottom) << c.text;
        EXPECT_EQ(c.left, m.left) << c.text;
    }
}

TEST(LayoutText, HugeMarginsAreClampedSoThatTwoStillAdd) {
    LayerMargins m = ParseMargins(L"1e30 1e30");
    EXPECT_GT(m.top, 0);
    EXPECT_GT(m.left + m.right, 0); // no overflow
    EXPECT_EQ(m.top, m.right);
}

TEST(LayoutText, MarginTextLandsInTheLayersFields) {
    Layer layer = Layer();
    StoreMarginText(&layer, L"1 2 3 4");
    EXPECT_EQ(1, layer.marginTop);
    EXPECT_EQ(2, layer.marginRight);
    EXPECT_EQ(3, layer.marginBottom);
    EXPECT_EQ(4, layer.marginLeft);
    StoreMarginText(&layer, L"");
    EXPECT_EQ(0, layer.marginTop + layer.marginRight + layer.marginBottom + layer.marginLeft);
}
