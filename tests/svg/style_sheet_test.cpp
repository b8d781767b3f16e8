#include "svg/style_sheet.h"

#include <gtest/gtest.h>

#include <string>

#include "svg/text.h"
#include "svg/xml_tree.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return Utf8FromWide(text);
}

class StyleSheetTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearStyleSheetRules(); }
    void TearDown() override { ClearStyleSheetRules(); }
};

// What one sheet should file: kind 'c' class, 'i' id, 'e' element; an empty
// body means nothing is filed under the key.
struct Filed {
    char kind;
    const wchar_t* key;
    const wchar_t* body;
};

std::wstring Find(char kind, const std::wstring& key) {
    switch (kind) {
    case 'c':
        return FindClassRule(key);
    case 'i':
        return FindIdRule(key);
    default:
        return FindElementRule(key);
    }
}

struct SheetCase {
    const wchar_t* sheet;
    Filed filed[3];
};

TEST_F(StyleSheetTest, FilesRulesBySelector) {
    const SheetCase cases[] = {
        {L".a{fill:red}.b{fill:blue}", {{'c', L"a", L"fill:red"}, {'c', L"b", L"fill:blue"}}},
        {L".a{fill:red} .a{fill:blue}", {{'c', L"a", L"fill:blue;fill:red"}}},
        {L"rect, .a, #b {stroke:black}",
         {{'e', L"rect", L"stroke:black"},
          {'c', L"a", L"stroke:black"},
          {'i', L"b", L"stroke:black"}}},
        {L"RECT{fill:red}", {{'e', L"rect", L"fill:red"}}},
        {L"rect,,circle{fill:red}", {{'e', L"rect", L"fill:red"}, {'e', L"circle", L"fill:red"}}},
        {L"my-el_2{fill:red}", {{'e', L"my-el_2", L"fill:red"}}},
        {L".a.b{fill:red}", {{'c', L"a.b", L"fill:red"}}},
        {L"#x.y{fill:red}", {{'i', L"x.y", L"fill:red"}}},
        {L".Case{fill:red}", {{'c', L"Case", L"fill:red"}, {'c', L"case", L""}}},
        {L"  .a  {  fill:red  }  ", {{'c', L"a", L"fill:red"}}},
        {L".a{fill:red{x}}", {{'c', L"a", L"fill:red{x}"}}}, // inner braces stay in the body
        {L"@media print{.a{fill:red}}.b{fill:blue}", {{'c', L"b", L"fill:blue"}, {'c', L"a", L""}}},
        {L"/* x */.a{fill:red}", {{'c', L"a", L"fill:red"}}},
        {L".a{fill:red}/* x .b{fill:blue}", {{'c', L"a", L"fill:red"}, {'c', L"b", L""}}},
        {L".a{fill:/* no */red}", {{'c', L"a", L"fill:red"}}},
        {L"/*/ .b{fill:blue} */.a{fill:red}", {{'c', L"a", L"fill:red"}}},
        // Removing the first comment joins "/" and "*" into a second one.
        {L".a{fill:red}//* c */*.b{fill:green}*/.c{fill:blue}",
         {{'c', L"a", L"fill:red"}, {'c', L"c", L"fill:blue"}, {'c', L"b", L""}}},
        {L".a{fill:red}.b{fill:blue", {{'c', L"a", L"fill:red"}}}, // open block dropped
        // Rules written one per line and indented are read; bodies keep inner
        // line breaks.
        {L"\n\t.a{fill:red}", {{'c', L"a", L"fill:red"}}},
        {L"\r\n  .a,\n  #b\n{\n\tfill:red;\n\tstroke:blue\n}\n",
         {{'c', L"a", L"fill:red;\n\tstroke:blue"}, {'i', L"b", L"fill:red;\n\tstroke:blue"}}},
        {L"\f\n@media print {\n .a{fill:red}\n}\n.b\n{fill:blue}", {{'c', L"b", L"fill:blue"}}},
    };
    for (const SheetCase& c : cases) {
        ClearStyleSheetRules();
        ParseStyleSheet(c.sheet);
        for (const Filed& f : c.filed) {
            if (!f.key)
                break;
            EXPECT_EQ(std::wstring(f.body), Find(f.kind, f.key))
                << "sheet: " << Narrow(c.sheet) << " key: " << Narrow(f.key);
        }
    }
}

TEST_F(StyleSheetTest, UnsupportedOrEmptyRulesFileNothing) {
    const wchar_t* sheets[] = {
        L"",
        L" \t\r\n",
        L",,,",
        L"g rect{fill:red}",
        L"g\trect{fill:red}",
        L"g\nrect{fill:red}",
        L".a\n.b{fill:red}",
        L"a:hover{fill:red}",
        L"*{fill:red}",
        L"[x]{fill:red}",
        L"a>b{fill:red}",
        L"a+b{fill:red}",
        L"a~b{fill:red}",
        L"rect.a{fill:red}",
        L"r\u00e9ct{fill:red}",
        L".{fill:red}",
        L"#{fill:red}",
        L".a{}",
        L".a{ \n }",
        L"{fill:red}",
        L"}.a{fill:red}", // the stray "}" belongs to the selector
        L".a{fill:red",
        L"/* .a{fill:red}",
        L"@font-face{font-family:x}",
        L"@import url(x.css);.a{fill:red}", // the at-rule runs into the selector
        L"{{{{",
        L"}}}}",
    };
    for (const wchar_t* sheet : sheets) {
        ClearStyleSheetRules();
        ParseStyleSheet(sheet);
        EXPECT_FALSE(HasClassRules()) << Narrow(sheet);
        EXPECT_FALSE(HasElementRules()) << Narrow(sheet);
        EXPECT_EQ(L"", FindIdRule(L"a")) << Narrow(sheet);
    }
    ParseStyleSheet(L"#only{fill:red}");
    EXPECT_FALSE(HasClassRules());
    EXPECT_FALSE(HasElementRules());
    EXPECT_EQ(L"fill:red", FindIdRule(L"only"));
}

TEST_F(StyleSheetTest, LaterSheetsGoInFrontAndClearEmpties) {
    ParseStyleSheet(L".a{fill:red}rect{stroke:red}");
    EXPECT_TRUE(HasClassRules());
    EXPECT_TRUE(HasElementRules());
    EXPECT_EQ(L"fill:red", FindClassRule(L"a")); // read once before more filing
    ParseStyleSheet(L".a{fill:blue}.a{opacity:0.5}");
    EXPECT_EQ(L"opacity:0.5;fill:blue;fill:red", FindClassRule(L"a"));
    EXPECT_EQ(L"stroke:red", FindElementRule(L"rect"));
    EXPECT_EQ(L"", FindElementRule(L"RECT")); // callers pass the lower-cased name
    ClearStyleSheetRules();
    EXPECT_FALSE(HasClassRules());
    EXPECT_FALSE(HasElementRules());
    EXPECT_EQ(L"", FindClassRule(L"a"));
}

TEST_F(StyleSheetTest, HugeAndBrokenSheetsEndInTime) {
    const size_t megabyte = 1 << 20;
    ParseStyleSheet(std::wstring(megabyte, L'{'));
    ParseStyleSheet(std::wstring(megabyte, L'}'));
    ParseStyleSheet(L".a{" + std::wstring(megabyte, L'{'));
    std::wstring openers;
    for (size_t i = 0; i < megabyte / 2; i++)
        openers += L"/*";
    ParseStyleSheet(openers);
    ParseStyleSheet(std::wstring(megabyte, L'/'));
    EXPECT_FALSE(HasClassRules());
    EXPECT_FALSE(HasElementRules());

    // Many rules under one key: filing stays linear.
    std::wstring many;
    const size_t rules = megabyte / 8;
    for (size_t i = 0; i < rules; i++)
        many += L".a{x:1}\n";
    ParseStyleSheet(many);
    std::wstring joined = FindClassRule(L"a");
    EXPECT_EQ(rules * 4 - 1, joined.size());
    EXPECT_EQ(L"x:1;x:1;", joined.substr(0, 8));

    std::wstring longName(megabyte, L'n');
    ParseStyleSheet(L"." + longName + L"{fill:red}" + longName + L"{fill:blue}");
    EXPECT_EQ(L"fill:red", FindClassRule(longName));
    EXPECT_EQ(L"fill:blue", FindElementRule(longName));
}

struct ParsedTree {
    XmlTree* tree;
    explicit ParsedTree(const std::string& xml) : tree(ParseXmlTree(xml.data(), xml.size())) {}
    ~ParsedTree() { ReleaseXmlTree(tree); }
    const XmlNode* Root() const { return tree ? XmlRootElement(tree) : nullptr; }
};

const XmlNode* FirstChildNamed(const XmlNode* parent, const wchar_t* name) {
    for (const XmlNode* n = XmlFirstChild(parent); n; n = XmlNextSibling(n)) {
        if (XmlIsElement(n) && XmlName(n) == name)
            return n;
    }
    return nullptr;
}

TEST_F(StyleSheetTest, CollectsStyleElementsInDocumentOrder) {
    ParsedTree doc("<svg xmlns='http://www.w3.org/2000/svg'>"
                   "<defs><style>.a{fill:red} rect{stroke:red}</style></defs>"
                   "<g><rect/><style type='text/css'><![CDATA[.a{fill:blue}]]></style></g>"
                   "<style></style>"
                   "<STYLE>#i{fill:green}</STYLE>"
                   "<g id='last'><style>.b{fill:black}</style></g>"
                   "</svg>");
    ASSERT_NE(nullptr, doc.Root());
    CollectStyleSheets(doc.Root());
    EXPECT_EQ(L"fill:blue;fill:red", FindClassRule(L"a"));
    EXPECT_EQ(L"stroke:red", FindElementRule(L"rect"));
    EXPECT_EQ(L"fill:green", FindIdRule(L"i"));
    EXPECT_EQ(L"fill:black", FindClassRule(L"b"));

    // From an inner element only its own subtree is searched, not the
    // elements after it.
    ClearStyleSheetRules();
    const XmlNode* defs = FirstChildNamed(doc.Root(), L"defs");
    ASSERT_NE(nullptr, defs);
    CollectStyleSheets(defs);
    EXPECT_EQ(L"fill:red", FindClassRule(L"a"));
    EXPECT_EQ(L"", FindClassRule(L"b"));
    EXPECT_EQ(L"", FindIdRule(L"i"));

    CollectStyleSheets(nullptr);
}

std::string NestedStyle(int depth, const char* rule) {
    std::string xml = "<svg>";
    for (int i = 1; i < depth; i++)
        xml += "<g>";
    xml += std::string("<style>") + rule + "</style>";
    for (int i = 1; i < depth; i++)
        xml += "</g>";
    return xml + "<style>.after{fill:red}</style></svg>";
}

TEST_F(StyleSheetTest, SearchesAtMost256LevelsBelowTheRoot) {
    {
        ParsedTree doc(NestedStyle(256, ".deep{fill:red}"));
        ASSERT_NE(nullptr, doc.Root());
        CollectStyleSheets(doc.Root());
        EXPECT_EQ(L"fill:red", FindClassRule(L"deep"));
        EXPECT_EQ(L"fill:red", FindClassRule(L"after"));
    }
    ClearStyleSheetRules();
    {
        ParsedTree doc(NestedStyle(257, ".deep{fill:red}"));
        ASSERT_NE(nullptr, doc.Root());
        CollectStyleSheets(doc.Root());
        EXPECT_EQ(L"", FindClassRule(L"deep"));
        EXPECT_EQ(L"fill:red", FindClassRule(L"after")); // the walk climbs back out
    }
    ClearStyleSheetRules();
    {
        ParsedTree doc(NestedStyle(20000, ".deep{fill:red}"));
        ASSERT_NE(nullptr, doc.Root());
        CollectStyleSheets(doc.Root());
        EXPECT_EQ(L"", FindClassRule(L"deep"));
        EXPECT_EQ(L"fill:red", FindClassRule(L"after"));
    }
}

} // namespace
