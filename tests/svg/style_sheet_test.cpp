#include "svg/css/style_sheet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "svg/base/strings.h"
#include "svg_files.h"
#include "tools/portable/hostile_style_files.h"
#include "xml_fixture.h"

namespace {

class StyleSheetTest : public ::testing::Test {
  protected:
    StyleSheets sheets;
};

// The cascaded declarations of the element with id "t" once the drawing's
// style elements are filed.
std::wstring DeclarationsOfTarget(const std::string& body) {
    ParsedXml xml("<svg xmlns='http://www.w3.org/2000/svg' "
                  "xmlns:svg='http://www.w3.org/2000/svg'>" +
                  body + "</svg>");
    const XmlNode* target = FindElementById(xml.Root(), L"t");
    EXPECT_TRUE(target != nullptr) << body;
    StyleSheets sheets;
    CollectStyleSheets(&sheets, xml.Root());
    return target ? CascadedDeclarations(&sheets, target) : L"?";
}

struct CascadeCase {
    const char* body;
    const wchar_t* declarations;
};

void ExpectCascades(const CascadeCase* cases, size_t count) {
    for (size_t i = 0; i < count; i++) {
        EXPECT_EQ(std::wstring(cases[i].declarations), DeclarationsOfTarget(cases[i].body))
            << cases[i].body;
    }
}

TEST_F(StyleSheetTest, Selectors) {
    const CascadeCase cases[] = {
        {"<style>rect, .a, #b {stroke:red}</style><rect id='t'/>", L"stroke:red"},
        {"<style>RECT{fill:red}</style><rect id='t'/>", L"fill:red"},
        {"<style>rect{fill:red}</style><svg:rect id='t'/>", L"fill:red"},
        {"<style>circle.a{fill:red}rect.a{fill:blue}</style><rect id='t' "
         "class='a'/>",
         L"fill:blue"},
        {"<style>.a.b{fill:red}</style><rect id='t' class=' b  a '/>", L"fill:red"},
        {"<style>.a.b{fill:red}</style><rect id='t' class='a'/>", L""},
        {"<style>.A{fill:red}</style><rect id='t' class='a'/>", L""},
        {"<style>#t.a{fill:red}#t.b{fill:blue}</style><rect id='t' class='a'/>", L"fill:red"},
        {"<style>*{fill:red}</style><rect id='t'/>", L"fill:red"},
        {"<style>svg .a{fill:red}</style><g><rect id='t' class='a'/></g>", L"fill:red"},
        {"<style>g .a{fill:red}</style><rect id='t' class='a'/><g/>", L""},
        {"<style>g>rect{fill:red}</style><g><rect id='t'/></g>", L"fill:red"},
        {"<style>g > rect{fill:red}</style><g><a><rect id='t'/></a></g>", L""},
        // The nearer .q fails "> .p"; a farther one matches.
        {"<style>.p > .q rect{fill:red}</style>"
         "<g class='p'><g class='q'><g class='q'><rect id='t'/></g></g></g>",
         L"fill:red"},
        {"<style>svg > * > rect{fill:red}</style><g><rect id='t'/></g>", L"fill:red"},
        // The ancestor filter passes ancestors whatever their names are written in.
        {"<style>G.\xC3\xA9 #Q rect{fill:red}</style><g class='x \xC3\xA9'><svg:g id=' Q '>"
         "<rect id='t'/></svg:g></g>",
         L"fill:red"},
        {"<style>g .b rect{fill:red}</style><g class='a'><g><rect id='t'/></g></g>", L""},
        {"<style>rect:first-child{fill:red}</style><g><rect id='t'/><rect/></g>", L"fill:red"},
        {"<style>rect:first-child{fill:red}</style><g><rect/><rect id='t'/></g>", L""},
        {"<style>rect:last-child{fill:red}</style><g><rect id='t'/><rect/></g>", L""},
        {"<style>:root rect{fill:red}</style><rect id='t'/>", L"fill:red"},
        {"<style>[class~=b]{a:1}[lang|=en]{b:1}[href^=ht]{c:1}[href$='.svg']{d:1}"
         "[href*=\"x\"]{e:1}[x='']{f:1}[y]{g:1}rect[ lang = en ]{h:1}</style>"
         "<rect id='t' class='a b' lang='en-GB' href='http://x.svg' y=''/>",
         L"e:1;d:1;c:1;b:1;a:1"},
        // Valid selectors this reader does not match leave their list.
        {"<style>a:hover, rect{fill:red}</style><rect id='t'/>", L"fill:red"},
        {"<style>[x='1' i], rect::before, rect:not(.a), g + rect, g ~ rect, "
         "svg|rect, .a\\:b,"
         " .a{fill:red}</style><rect id='t' class='a' x='1'/>",
         L"fill:red"},
        // An invalid selector drops its whole rule, and only that rule.
        {"<style>rect, .{fill:red}#t{stroke:red}</style><rect id='t'/>", L"stroke:red"},
        {"<style>rect, a..b{fill:red}</style><rect id='t'/>", L""},
        {"<style>rect >{fill:red}> "
         "rect{fill:red}#1{fill:red}.-2{fill:red}</style>"
         "<rect id='t'/>",
         L""},
        {"<style>}rect{fill:red}</style><rect id='t'/>", L""},
    };
    ExpectCascades(cases, sizeof cases / sizeof cases[0]);
}

TEST_F(StyleSheetTest, AtRulesCommentsAndBlocks) {
    const CascadeCase cases[] = {
        {"<style>@charset \"utf-8\";.a{fill:red}</style><rect id='t' class='a'/>", L"fill:red"},
        {"<style>@import url(x.css);.a{fill:red}</style><rect id='t' class='a'/>", L"fill:red"},
        {"<style>@import \"a;b{\";.a{fill:red}</style><rect id='t' class='a'/>", L"fill:red"},
        {"<style>@media screen{.a{fill:blue}}.a{fill:red}</style><rect id='t' "
         "class='a'/>",
         L"fill:red"},
        {"<style>@font-face{font-family:x;src:url(a.woff)}.a{fill:red}</style>"
         "<rect id='t' class='a'/>",
         L"fill:red"},
        {"<style>@namespace svg "
         "url(http://www.w3.org/2000/svg);.a{fill:red}</style>"
         "<rect id='t' class='a'/>",
         L"fill:red"},
        {"<style><![CDATA[<!-- .a{fill:red} -->]]></style><rect id='t' "
         "class='a'/>",
         L"fill:red"},
        {"<style>/* .a{fill:blue} */.a{fill:/* no */red}</style><rect id='t' "
         "class='a'/>",
         L"fill:red"},
        {"<style>.a{x:\"/*\"}.a{fill:red}</style><rect id='t' class='a'/>", L"fill:red;x:\"/*\""},
        {"<style>.a{x:'}'}.a{fill:red}</style><rect id='t' class='a'/>", L"fill:red;x:'}'"},
        {"<style>.a{fill:red</style><rect id='t' class='a'/>", L"fill:red"}, // closed at the end
        {"<style>.a{fill:red}/* .a{fill:blue}</style><rect id='t' class='a'/>", L"fill:red"},
        {"<style>\r\n  .a,\n  #b\n{\n\tfill:red;\n\tstroke:blue\n}\n</style>"
         "<rect id='t' class='a'/>",
         L"stroke:blue;fill:red"},
    };
    ExpectCascades(cases, sizeof cases / sizeof cases[0]);
}

TEST_F(StyleSheetTest, CascadeOrder) {
    const CascadeCase cases[] = {
        // Specificity first, whatever the source order.
        {"<style>rect{fill:e}.a{fill:c}#t{fill:i}</style><rect id='t' "
         "class='a'/>",
         L"fill:i;fill:c;fill:e"},
        {"<style>.a.a{fill:cc}g .a{fill:tc}</style><g><rect id='t' "
         "class='a'/></g>",
         L"fill:cc;fill:tc"},
        // Equal specificity: the later rule, not the order of the class names.
        {"<style>.a{fill:a}.b{fill:b}</style><rect id='t' class='b a'/>", L"fill:b;fill:a"},
        // Within a block the later declaration wins.
        {"<style>.a{fill:red;fill:blue}</style><rect id='t' class='a'/>", L"fill:blue;fill:red"},
        // A repeated rule takes the place of its last copy.
        {"<style>.a{fill:a}.b{fill:b}.a{fill:a}</style><rect id='t' class='a "
         "b'/>",
         L"fill:a;fill:b"},
        {"<style>.a{fill:x}.b{fill:x}</style><rect id='t' class='a b'/>", L"fill:x"},
        {"<style>#t{fill:blue}</style><rect id='t' style='fill:green'/>", L"fill:green;fill:blue"},
        {"<style>.a{fill:red !IMPORTANT}#t{fill:blue}</style>"
         "<rect id='t' class='a' style='fill:green'/>",
         L"fill:red;fill:green;fill:blue"},
        {"<style>.a{fill:red!important}</style>"
         "<rect id='t' class='a' style='fill:green ! important'/>",
         L"fill:green;fill:red"},
        {"<rect id='t' style='fill:red;stroke:blue!important;fill:green'/>",
         L"stroke:blue;fill:green;fill:red"},
        // Declarations CSS drops: empty values, no colon, a "!" that is not
        // "!important".
        {"<style>.a{fill:;stroke:red;bad;x:y!foo;:z}</style><rect id='t' "
         "class='a'/>",
         L"stroke:red"},
        {"<rect id='t' style='fill:;fill:blue'/>", L"fill:blue"},
    };
    ExpectCascades(cases, sizeof cases / sizeof cases[0]);
}

TEST_F(StyleSheetTest, StyleElements) {
    const CascadeCase cases[] = {
        {"<defs><style>.a{fill:red}</style></defs><rect id='t' class='a'/>", L"fill:red"},
        {"<rect id='t' class='a'/><STYLE>.a{fill:red}</STYLE>", L"fill:red"},
        {"<style type=' TEXT/CSS '>.a{fill:red}</style><rect id='t' class='a'/>", L"fill:red"},
        {"<style type='text/plain'>.a{fill:red}</style><rect id='t' class='a'/>", L""},
        // A style element inside another is read once, on its own, after it.
        {"<style>.b{fill:b}<style>.a{fill:a}</style>.c{fill:c}</style>"
         "<rect id='t' class='a b c'/>",
         L"fill:a;fill:c;fill:b"},
        {"<style>.a{fill:red}</style><g><style>.a{fill:blue}</style></g>"
         "<rect id='t' class='a'/>",
         L"fill:blue;fill:red"},
    };
    ExpectCascades(cases, sizeof cases / sizeof cases[0]);
}

// Elements that share their classes, inline style or name, but differ in
// something else a rule tests, each get their own list when asked for one
// after another; rules filed later change the lists.
TEST_F(StyleSheetTest, AlikeElementsKeepTheirOwnLists) {
    const struct {
        const char* body;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> lists; // id, list, asked in order
    } cases[] = {
        {"<style>.a{fill:red}rect{stroke:green}</style><rect id='a' class='a' "
         "style='stroke:blue'/><rect id='b' class='a'/><circle id='c' class='a'/>"
         "<rect id='d' class='a' style='stroke:blue'/><rect id='e' class='b'/>",
         {{L"a", L"stroke:blue;fill:red;stroke:green"},
          {L"b", L"fill:red;stroke:green"},
          {L"c", L"fill:red"},
          {L"d", L"stroke:blue;fill:red;stroke:green"},
          {L"e", L"stroke:green"}}},
        {"<style>#b{fill:blue}.a{fill:red}</style><rect id='a' class='a'/>"
         "<rect id=' b ' class='a'/><rect id='c' class='a'/>",
         {{L"a", L"fill:red"}, {L" b ", L"fill:blue;fill:red"}, {L"c", L"fill:red"}}},
        {"<style>.a:first-child{fill:red}g>.a{stroke:red}</style><g><rect id='a' class='a'/>"
         "<rect id='b' class='a'/></g><rect id='c' class='a'/>",
         {{L"a", L"fill:red;stroke:red"}, {L"b", L"stroke:red"}, {L"c", L""}}},
        {"<style>[fill]{stroke:red}</style><rect id='a' fill='x'/><rect id='b'/>",
         {{L"a", L"stroke:red"}, {L"b", L""}}},
        {"<rect id='a' style='fill:red;stroke:blue!important'/><rect id='b' style='fill:red'/>",
         {{L"a", L"stroke:blue;fill:red"}, {L"b", L"fill:red"}}},
    };
    for (const auto& c : cases) {
        ParsedXml xml(std::string("<svg xmlns='http://www.w3.org/2000/svg'>") + c.body + "</svg>");
        ClearStyleSheetRules(&sheets);
        CollectStyleSheets(&sheets, xml.Root());
        for (const auto& list : c.lists) {
            EXPECT_EQ(list.second,
                      CascadedDeclarations(&sheets, FindElementById(xml.Root(), list.first)))
                << c.body << " #" << list.first;
        }
    }
    ParsedXml xml("<svg><rect id='t' class='a'/></svg>");
    const XmlNode* target = FindElementById(xml.Root(), L"t");
    ParseStyleSheet(&sheets, L".a{fill:red}");
    EXPECT_EQ(L"fill:red", CascadedDeclarations(&sheets, target));
    ParseStyleSheet(&sheets, L".a{stroke:blue}");
    EXPECT_EQ(L"stroke:blue;fill:red", CascadedDeclarations(&sheets, target));
}

std::string NestedStyle(int depth, const char* rule) {
    std::string xml = "<svg>";
    for (int i = 1; i < depth; i++)
        xml += "<g>";
    xml += std::string("<style>") + rule + "</style>";
    for (int i = 1; i < depth; i++)
        xml += "</g>";
    return xml + "<style>.after{fill:red}</style><rect id='t' class='deep "
                 "after'/></svg>";
}

TEST_F(StyleSheetTest, SearchesAtMost256LevelsBelowTheRoot) {
    const struct {
        int depth;
        const wchar_t* declarations;
    } cases[] = {{256, L"fill:red;stroke:red"}, {257, L"fill:red"}, {20000, L"fill:red"}};
    for (const auto& c : cases) {
        ParsedXml doc(NestedStyle(c.depth, ".deep{stroke:red}"));
        ASSERT_NE(nullptr, doc.Root());
        ClearStyleSheetRules(&sheets);
        CollectStyleSheets(&sheets, doc.Root());
        EXPECT_EQ(c.declarations, CascadedDeclarations(&sheets, FindElementById(doc.Root(), L"t")))
            << c.depth;
    }
}

TEST_F(StyleSheetTest, BrokenSheetsEndInTime) {
    const size_t megabyte = 1 << 20;
    const std::wstring broken[] = {
        std::wstring(megabyte, L'{'), std::wstring(megabyte, L'}'),
        std::wstring(megabyte, L'('), std::wstring(megabyte, L'"'),
        std::wstring(megabyte, L'@'), L".a{" + std::wstring(megabyte, L'{'),
        std::wstring(megabyte, L'/'), std::wstring(megabyte, L'.') + L"{fill:red}",
    };
    for (const std::wstring& sheet : broken)
        ParseStyleSheet(&sheets, sheet);
    std::wstring openers;
    for (size_t i = 0; i < megabyte / 2; i++)
        openers += L"/*";
    ParseStyleSheet(&sheets, openers);
    ParsedXml xml("<svg><rect id='t' class='a'/></svg>");
    EXPECT_EQ(L"", CascadedDeclarations(&sheets, FindElementById(xml.Root(), L"t")));
}

// Files of a few megabytes that once took minutes or hours. The budget is
// far above the time they take (vexlar-bench prints it for the full-size
// files); it only catches work that grows with the square of the file.
TEST_F(StyleSheetTest, HostileSheetsLoadInTime) {
    const int ruleCount = 20000; // a fifth of the benchmark's file
    std::string manyRules = ManyIdenticalRules(ruleCount);
    std::string manyClasses = OneClassNamedManyTimes(100000);
    std::string nested = NestedStyleElements(256, 4 * 1024 * 1024);

    const struct {
        const std::string* text;
        int shapes;
        Argb fill;
    } files[] = {{&manyRules, ruleCount, 0xFFFF0000u},
                 {&manyClasses, 1, 0xFF00FF00u},
                 {&nested, 1, 0xFF0000FFu}};
    for (const auto& file : files) {
        auto start = std::chrono::steady_clock::now();
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(*file.text));
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 30.0) << file.text->size() << " bytes";
        ASSERT_EQ(file.shapes, svg.Count());
        EXPECT_EQ(file.fill, svg[file.shapes - 1].fillColor);
    }
}

} // namespace
