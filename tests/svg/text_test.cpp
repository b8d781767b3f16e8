// Text: white space, font choice, the text properties, placement by anchor
// and chunk, and what is counted as not drawn. Placement is checked through
// differences between records, so it holds for real fonts and the portable
// stand-in alike.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/build/text.h"
#include "svg/build/text_collect.h"
#include "svg/build/text_fonts.h"
#include "svg/records/document.h"
#include "svg/records/not_drawn.h"
#include "svg/records/offscreen_groups.h"
#include "svg/style/style.h"
#include "path_reader.h"
#include "svg_files.h"
#include "xml_fixture.h"

namespace {

class TextTest : public GraphicsTest {};

TEST_F(TextTest, WhiteSpace) {
    struct Case {
        const wchar_t* text;
        int preserve;
        bool afterBlank; // before
        const wchar_t* arranged;
        bool afterBlankAfter;
    } cases[] = {
        {L"  a \t b  ", 0, true, L"a b ", true},
        {L"a\nb\r\nc", 0, true, L"abc", false},
        {L" b", 0, false, L" b", false}, // a blank carried from the piece before
        {L" b", 0, true, L"b", false},
        {L"\ta\n b ", 1, true, L" a  b ", true},
        {L"", 0, true, L"", true},
    };
    for (const Case& c : cases) {
        bool afterBlank = c.afterBlank;
        EXPECT_EQ(c.arranged, ArrangeWhiteSpace(c.text, c.preserve, &afterBlank)) << c.text;
        EXPECT_EQ(c.afterBlankAfter, afterBlank) << c.text;
    }
}

TEST_F(TextTest, FontFamilyListPicksAnInstalledFamily) {
    if (!GfxFontFamilyInstalled(L"Arial") || !GfxFontFamilyInstalled(L"Times New Roman") ||
        !GfxFontFamilyInstalled(L"Courier New"))
        GTEST_SKIP() << "the three common Windows families are not all installed";
    struct Case {
        const wchar_t* list;
        const wchar_t* family;
    } cases[] = {
        {L"'Courier New', serif", L"Courier New"},
        {L"No Such Font, \"No Other\" , monospace", L"Courier New"},
        {L" Sans-Serif ", L"Arial"},
        {L"\"Arial\"", L"Arial"},
        {L"", L"Times New Roman"},             // browsers' default
        {L"No Such Font", L"Times New Roman"}, // nothing installed: the default
        {L",,", L"Times New Roman"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.family, ChooseFontFamily(c.list)) << c.list;
}

TEST_F(TextTest, TextPropertiesInherit) {
    ParsedXml xml("<svg font-family='Arial' font-weight='700' font-style='oblique' "
                  "text-anchor='end' xml:space='preserve'><g style='font-weight: 599' "
                  "xml:space='default'><text id='t' font-style='normal'/></g>"
                  "<text id='u' font-weight='bolder'/></svg>");
    ASSERT_TRUE(xml.Root() != nullptr);
    LoadContext context;
    StyleState t = StyleOfElement(&context, xml.Root(), FindElementById(xml.Root(), L"t"));
    EXPECT_EQ(L"Arial", TextOf(t.fontFamily));
    EXPECT_EQ(0, t.fontBold);
    EXPECT_EQ(0, t.fontItalic);
    EXPECT_EQ(2, t.textAnchor);
    EXPECT_EQ(0, t.preserveSpace);
    StyleState u = StyleOfElement(&context, xml.Root(), FindElementById(xml.Root(), L"u"));
    EXPECT_EQ(1, u.fontBold);
    EXPECT_EQ(1, u.fontItalic);
    EXPECT_EQ(1, u.preserveSpace);
}

// Numbers from 1 to 1000 are weights, others leave the inherited one;
// bolder and lighter step from the inherited weight.
TEST_F(TextTest, FontWeights) {
    const struct {
        const char* parent;
        const char* own;
        int weight;
    } cases[] = {
        {"400", "650", 650},     {"400", "1500", 400},    {"700", "0", 700},
        {"300", "bolder", 400},  {"500", "bolder", 700},  {"900", "bolder", 900},
        {"500", "lighter", 100}, {"700", "lighter", 400}, {"800", "lighter", 700},
        {"100", "normal", 400},  {"100", "bold", 700},
    };
    for (const auto& c : cases) {
        ParsedXml xml(std::string("<svg font-weight='") + c.parent +
                      "'><text id='t' font-weight='" + c.own + "'/></svg>");
        ASSERT_TRUE(xml.Root() != nullptr);
        LoadContext context;
        StyleState t = StyleOfElement(&context, xml.Root(), FindElementById(xml.Root(), L"t"));
        EXPECT_EQ(c.weight, t.fontWeight) << c.parent << " " << c.own;
        EXPECT_EQ(c.weight >= 600 ? 1 : 0, t.fontBold) << c.parent << " " << c.own;
    }
}

float MinX(const ShapeRecord& record) {
    GfxRectF bounds;
    EXPECT_EQ(1, GfxGetPathBounds(record.path, nullptr, &bounds));
    return bounds.x;
}

float MaxY(const ShapeRecord& record) {
    GfxRectF bounds;
    EXPECT_EQ(1, GfxGetPathBounds(record.path, nullptr, &bounds));
    return bounds.y + bounds.height;
}

std::string Svg(const std::string& content) {
    return "<svg viewBox='0 0 200 100' font-family='Arial' font-size='20'>" + content + "</svg>";
}

// Middle moves a chunk back by half its advance, end by all of it; a tspan
// with its own x starts a chunk that is anchored on its own.
TEST_F(TextTest, AnchorsMoveEachChunk) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<text x='100' y='50'>Hello</text>"
                              "<text x='100' y='50' text-anchor='middle'>Hello</text>"
                              "<text x='100' y='50' text-anchor='end'>Hello</text>"
                              "<text x='100' y='50' text-anchor='end'>Hello"
                              "<tspan x='100' text-anchor='start'>Hello</tspan></text>")));
    ASSERT_EQ(5, svg.Count());
    float half = MinX(svg[0]) - MinX(svg[1]), whole = MinX(svg[0]) - MinX(svg[2]);
    EXPECT_GT(half, 20); // five characters of 20 units are wider than 40
    EXPECT_NEAR(2 * half, whole, 0.01f);
    EXPECT_NEAR(MinX(svg[2]), MinX(svg[3]), 0.01f);
    EXPECT_NEAR(MinX(svg[0]), MinX(svg[4]), 0.01f); // the tspan's chunk starts at its x
}

TEST_F(TextTest, RunsTakeTheirElementsStyleAndPosition) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<text id='t' x='10 99' y='50' fill='blue' stroke='red' "
                              "fill-rule='evenodd' transform='rotate(90)'>A"
                              "<tspan id='s' dy='7' fill='lime' transform='scale(3)'>B</tspan>"
                              "<tspan font-size='0'>C</tspan><tspan display='none'>D</tspan>"
                              "<textPath>E</textPath></text>")));
    ASSERT_EQ(2, svg.Count());
    EXPECT_EQ(L"t", svg[0].id);
    EXPECT_EQ(0xFF0000FFu, svg[0].fillColor);
    EXPECT_EQ(0xFFFF0000u, svg[0].strokeColor);
    EXPECT_FLOAT_EQ(1, svg[0].matrix.b); // turned with the text
    EXPECT_EQ(1, svg[0].fillRule);       // fill-rule does not apply to text
    EXPECT_EQ(L"s", svg[1].id);
    EXPECT_FLOAT_EQ(1, svg[1].matrix.b); // a tspan's transform has no effect
    EXPECT_NEAR(0, svg[1].matrix.a, 1e-6f);
    EXPECT_EQ(0xFF00FF00u, svg[1].fillColor);
    EXPECT_NEAR(7, MaxY(svg[1]) - MaxY(svg[0]), 0.5f); // dy moves the baseline down
    EXPECT_GT(MinX(svg[1]), MinX(svg[0]));
    // A text path without a path to follow draws nothing, as SVG says.
    EXPECT_EQ(L"not drawn: nothing", NotDrawnReport(&svg.document));
}

// Where each glyph of the record starts: the portable stand-in draws each
// character as a box 0.6 em wide and 0.7 em tall whose first point is its
// top left corner.
std::vector<GfxPointF> GlyphCorners(const ShapeRecord& record) {
    PathContents path = ReadPath(record.path);
    std::vector<GfxPointF> corners;
    for (size_t i = 0; i < path.points.size(); i++) {
        if ((path.types[i] & GfxPointTypeMask) == GfxPointTypeStart)
            corners.push_back(path.points[i]);
    }
    return corners;
}

// Each value of x, y, dx, dy and rotate goes to one character, counted
// through nested tspans; the innermost element with a value wins, rotate's
// last value holds for the characters after it, and every absolute x starts
// a chunk of its own for text-anchor.
TEST_F(TextTest, PositionListsGoCharacterByCharacter) {
#ifdef _WIN32
    GTEST_SKIP() << "glyph outlines come from the installed fonts here, not the stand-in boxes";
#endif
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg viewBox='0 0 200 100' font-family='Arial' font-size='10'>"
                          "<text x='10 20' y='50' dx='0 0 5' rotate='0 90'>AB"
                          "<tspan x='100' dy='3'>CD</tspan>E</text>"
                          "<text x='100 150' y='80' text-anchor='middle'>AB</text></svg>"));
    ASSERT_EQ(4, svg.Count());
    struct Expected {
        int record;
        float x, y;
    } expected[] = {
        {0, 10, 43}, // x by character, no turn: the box's top left
        {0, 27, 50}, // turned a quarter: its top left lies 0.7 em right of the origin
        {1, 112, 53},
        {1, 118, 53}, // the tspan's x, the text's third dx and the tspan's dy,
                      // turned by rotate's last value
        {2, 124, 53}, // back in the text, still turned
        {3, 97, 73},
        {3, 147, 73}, // each x a chunk of its own, centred on it
    };
    std::vector<GfxPointF> corners[4];
    for (int r = 0; r < 4; r++)
        corners[r] = GlyphCorners(svg[r]);
    size_t next[4] = {0, 0, 0, 0};
    for (const Expected& e : expected) {
        size_t i = next[e.record]++;
        ASSERT_LT(i, corners[e.record].size()) << e.record;
        EXPECT_NEAR(e.x, corners[e.record][i].x, 0.01f) << e.record << " " << i;
        EXPECT_NEAR(e.y, corners[e.record][i].y, 0.01f) << e.record << " " << i;
    }
    for (int r = 0; r < 4; r++)
        EXPECT_EQ(next[r], corners[r].size()) << r;
}

// Spacing adds to every advance, word-spacing to blanks' too; a text path
// sets glyphs along its line from the start offset and hides those whose
// middle falls past its end; textLength and tref.
TEST_F(TextTest, SpacingAndTextPaths) {
#ifdef _WIN32
    GTEST_SKIP() << "glyph outlines come from the installed fonts here, not the stand-in boxes";
#endif
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg viewBox='0 0 200 100' font-family='Arial' font-size='10'>"
                          "<text x='10' y='50' letter-spacing='2' word-spacing='5'>A B</text>"
                          "<path id='p' d='M 10 80 L 110 80' transform='translate(0 -10)'/>"
                          "<text><textPath href='#p' startOffset='20%'>"
                          "AAAAAAAAAAAAAAAAAAAA</textPath></text>"
                          "<text x='10' y='20' textLength='100'>AB C</text>"
                          "<text x='10' y='30' textLength='48' lengthAdjust='spacingAndGlyphs'>AB"
                          "</text><defs><text id='r'>X<tspan>Y</tspan></text></defs>"
                          "<text x='10' y='40'>Z<tref href='#r'>W</tref></text></svg>"));
    ASSERT_EQ(7, svg.Count());
    std::vector<GfxPointF> spaced = GlyphCorners(svg[0]);
    ASSERT_EQ(2u, spaced.size());
    EXPECT_NEAR(10, spaced[0].x, 0.01f);
    EXPECT_NEAR(10 + 6 + 2 + 6 + 2 + 5, spaced[1].x, 0.01f);
    std::vector<GfxPointF> along = GlyphCorners(svg[2]);
    ASSERT_EQ(13u, along.size()); // the 14th glyph's middle lies past the end at 100
    EXPECT_NEAR(30, along[0].x, 0.01f);
    EXPECT_NEAR(63, along[0].y, 0.01f);
    EXPECT_NEAR(30 + 12 * 6, along[12].x, 0.01f);
    // textLength spreads the difference over the gaps, or stretches the glyphs.
    std::vector<GfxPointF> spread = GlyphCorners(svg[3]);
    ASSERT_EQ(3u, spread.size());
    EXPECT_NEAR(10 + 6 + 76.0f / 3, spread[1].x, 0.01f);
    EXPECT_NEAR(10 + 100 - 6, spread[2].x, 0.01f);
    std::vector<GfxPointF> stretched = GlyphCorners(svg[4]);
    ASSERT_EQ(2u, stretched.size());
    EXPECT_NEAR(10 + 24, stretched[1].x, 0.01f);
    GfxRectF box;
    ASSERT_EQ(1, GfxGetPathBounds(svg[4].path, nullptr, &box));
    EXPECT_NEAR(24 + 4 * 0.48f * 10, box.width, 0.01f);
    // A tref draws the character data of what it names, not its own.
    EXPECT_EQ(2u, GlyphCorners(svg[6]).size());
    EXPECT_NEAR(16, MinX(svg[6]), 0.01f);
}

// On a text path an absolute x is a distance along it and y is not used; a
// textPath has no positions of its own; text after the path goes on from
// the end of its last glyph.
TEST_F(TextTest, PositionsOnAndAfterATextPath) {
#ifdef _WIN32
    GTEST_SKIP() << "glyph outlines come from the installed fonts here, not the stand-in boxes";
#endif
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg viewBox='0 0 200 100' font-family='Arial' font-size='10'>"
                          "<path id='p' d='M 10 80 L 110 80'/><path id='v' d='M 150 10 V 90'/>"
                          "<text x='20' y='40'><textPath href='#p' x='50' y='5' dx='7'>AB"
                          "</textPath>C<tspan x='5' y='9'>D</tspan></text>"
                          "<text><textPath href='#v'>A</textPath>B</text></svg>"));
    ASSERT_EQ(7, svg.Count());
    struct Expected {
        int record, glyph;
        float x, y;
    } expected[] = {
        {2, 0, 30, 73}, {2, 1, 36, 73}, // 20 along the path, on it
        {3, 0, 42, 73},                 // from where B ends
        {4, 0, 5, 2},                   // absolute again
        {5, 0, 157, 10},                // down the path, turned a quarter
        {6, 0, 150, 9},                 // from where A ends, not turned
    };
    for (const Expected& e : expected) {
        std::vector<GfxPointF> corners = GlyphCorners(svg[e.record]);
        ASSERT_LT(static_cast<size_t>(e.glyph), corners.size()) << e.record;
        EXPECT_NEAR(e.x, corners[e.glyph].x, 0.01f) << e.record << " " << e.glyph;
        EXPECT_NEAR(e.y, corners[e.glyph].y, 0.01f) << e.record << " " << e.glyph;
    }
}

// A tspan's baseline-shift raises its characters by a length or a share of
// its font size; decorations are bands under (before the text) and through
// (after it) the characters they reach.
TEST_F(TextTest, BaselineShiftAndDecorations) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<text x='10' y='50'>A<tspan baseline-shift='5'>A</tspan>"
                              "<tspan baseline-shift='-50%'>A</tspan></text>"
                              "<text x='10' y='80' fill='blue' text-decoration='underline "
                              "line-through'>A<tspan fill='lime'>B</tspan></text>")));
    ASSERT_EQ(7, svg.Count());
    EXPECT_NEAR(MaxY(svg[0]) - 5, MaxY(svg[1]), 0.01f);
    EXPECT_NEAR(MaxY(svg[0]) + 10, MaxY(svg[2]), 0.01f);
    const ShapeRecord& under = svg[3];
    const ShapeRecord& through = svg[6];
    EXPECT_EQ(0xFF0000FFu, under.fillColor); // the decorating element's paint
    EXPECT_EQ(0xFF00FF00u, svg[5].fillColor);
    EXPECT_EQ(0xFF0000FFu, through.fillColor);
    GfxRectF u, t, a;
    ASSERT_EQ(1, GfxGetPathBounds(under.path, nullptr, &u));
    ASSERT_EQ(1, GfxGetPathBounds(through.path, nullptr, &t));
    ASSERT_EQ(1, GfxGetPathBounds(svg[4].path, nullptr, &a));
    EXPECT_GT(u.y + u.height / 2, 80); // centred below the baseline
    EXPECT_LT(t.y + t.height / 2, 80);
    EXPECT_GT(t.y, a.y);
    EXPECT_NEAR(10, u.x, 0.01f); // one band from the start of A to the end of B
    EXPECT_NEAR(u.x, t.x, 0.01f);
    EXPECT_NEAR(u.width, t.width, 0.01f);
    EXPECT_GT(u.width, a.width);
}

// Small caps: lower-case letters are drawn as capitals at 0.8 of the size,
// a run of their own, marks staying with their letters.
TEST_F(TextTest, SmallCapsAreSmallerCapitals) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<text x='10' y='50' font-variant='small-caps'>Ta\xCC\xA3" "b"
                              "<tspan font-variant='normal'>c</tspan></text>")));
    ASSERT_EQ(3, svg.Count());
    GfxRectF capital, small, normal;
    ASSERT_EQ(1, GfxGetPathBounds(svg[0].path, nullptr, &capital));
    ASSERT_EQ(1, GfxGetPathBounds(svg[1].path, nullptr, &small));
    ASSERT_EQ(1, GfxGetPathBounds(svg[2].path, nullptr, &normal));
    EXPECT_NEAR(0.8f * (50 - capital.y), 50 - small.y, 0.3f);
    EXPECT_GT(small.x, capital.x);
    EXPECT_GT(normal.x, small.x);
}

// A filter region in box units is measured on the glyphs' cells (the
// stand-in's: 0.6 em wide, from 0.8 em above the baseline to 0.2 below),
// not on their outlines.
TEST_F(TextTest, FilterRegionIsMeasuredOnTheGlyphCells) {
#ifdef _WIN32
    GTEST_SKIP() << "glyph cells come from the installed fonts here, not the stand-in boxes";
#endif
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<filter id='f' x='0' y='0' width='1' height='1'><feFlood/></filter>"
                              "<text x='10' y='50' font-size='10' filter='url(#f)'>AB</text>")));
    ASSERT_EQ(1, svg.Count());
    const OffscreenGroup* group = OffscreenGroupOf(&svg.document, svg[0].group);
    ASSERT_NE(nullptr, group);
    EXPECT_FLOAT_EQ(10, group->bounds.minX);
    EXPECT_FLOAT_EQ(22, group->bounds.maxX);
    EXPECT_FLOAT_EQ(42, group->bounds.minY);
    EXPECT_FLOAT_EQ(52, group->bounds.maxY);
}

// Text drawn only approximately is counted once per text element: vertical,
// with variation axes, in right-to-left or shaped scripts.
TEST_F(TextTest, ApproximateTextIsCounted) {
    const struct {
        const char* content;
        const char* report;
    } cases[] = {
        {"<text>A<tspan font-weight='bold'>B</tspan></text>", "not drawn: nothing"},
        {"<text font-variation-settings=\"'wght' 700\">A<tspan>B</tspan></text>"
         "<text style='font-variation-settings: normal'>C</text>",
         "not drawn: text (1)"},
        {"<g style=\"font-variation-settings: 'wdth' 50\"><text>A</text>"
         "<text font-variation-settings='normal'>B</text></g>",
         "not drawn: text (1)"},
        {"<text>\xD7\x90</text><text>A<tspan>\xD8\xA7</tspan></text><text>\xE0\xA4\x95</text>",
         "not drawn: text (3)"},
        {"<text writing-mode='tb'>A</text>", "not drawn: text (1)"},
    };
    for (const auto& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Svg(c.content))) << c.content;
        EXPECT_EQ(WideFromUtf8(c.report, std::strlen(c.report)), NotDrawnReport(&svg.document))
            << c.content;
    }
}

// A line an ancestor of the text declares is drawn in the text's own paint;
// over text of two sizes it follows each one's font.
TEST_F(TextTest, DecorationsFromOutsideTheTextAndOverTwoSizes) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Svg("<g fill='red' text-decoration='overline'><text x='10' y='50' "
                              "fill='blue'>A<tspan font-size='60'>B</tspan></text></g>")));
    ASSERT_EQ(3, svg.Count());
    EXPECT_EQ(0xFF0000FFu, svg[0].fillColor);
    PathContents bands = ReadPath(svg[0].path);
    ASSERT_EQ(8u, bands.points.size()); // two bands, one under each size
    const float small = bands.points[2].y - bands.points[1].y;
    const float large = bands.points[6].y - bands.points[5].y;
    EXPECT_GT(small, 0);
    EXPECT_NEAR(3 * small, large, 1e-3f); // 60 over the root's 20
    EXPECT_NEAR(3 * (50 - bands.points[1].y), 50 - bands.points[5].y, 1e-2f);
}

// Vertical text runs down from its y: East Asian characters upright, an em
// apart and centred on the line through x; others turned a quarter
// clockwise, the middle of their height on that line.
TEST_F(TextTest, VerticalTextStandsOrTurns) {
#ifdef _WIN32
    GTEST_SKIP() << "glyph outlines come from the installed fonts here, not the stand-in boxes";
#endif
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg viewBox='0 0 200 100' font-family='Arial' font-size='10'>"
                          "<text x='50' y='10' writing-mode='tb'>A\u65E5B</text></svg>"));
    ASSERT_EQ(1, svg.Count());
    std::vector<GfxPointF> corners = GlyphCorners(svg[0]);
    ASSERT_EQ(3u, corners.size());
    // The stand-in's measures: ascent 0.8 em, descent 0.2, so the middle
    // lies 0.3 em above the baseline.
    const GfxPointF expected[] = {{54, 10}, {47, 17}, {54, 26}};
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(expected[i].x, corners[i].x, 0.01f) << i;
        EXPECT_NEAR(expected[i].y, corners[i].y, 0.01f) << i;
    }
}

} // namespace
