#include "svg/xml/xml_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "svg/base/strings.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_parse.h"
#include "svg_files.h"
#include "xml_fixture.h"

namespace {

const XmlNode* FirstElement(const XmlNode* node) {
    node = XmlFirstChild(node);
    while (node && !XmlIsElement(node))
        node = XmlNextSibling(node);
    return node;
}

std::string Utf16Le(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    std::wstring units;
    for (wchar_t c : text) {
        uint32_t code = static_cast<uint32_t>(c);
        if (code >= 0x10000) { // a 32-bit wchar_t: make the surrogate pair
            code -= 0x10000;
            units.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
            units.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back(c);
        }
    }
    for (wchar_t u : units) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>((u >> 8) & 0xFF));
    }
    return bytes;
}

std::string Utf16Be(const std::wstring& text) {
    std::string le = Utf16Le(text);
    for (size_t i = 0; i + 1 < le.size(); i += 2)
        std::swap(le[i], le[i + 1]);
    return le;
}

TEST(XmlTreeTest, EncodingsComeFromTheDocument) {
    const std::wstring expected = L"\u00e9\u20ac\U0001D11E";
    const std::wstring doc =
        L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><svg a=\"\u00e9\u20ac\U0001D11E\"/>";
    struct Case {
        const char* label;
        std::string bytes;
        std::wstring value;
    } cases[] = {
        {"utf-8", "<svg a=\"\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\"/>", expected},
        {"utf-8 with bom", "\xEF\xBB\xBF<svg a=\"\xC3\xA9\"/>", L"\u00e9"},
        {"utf-16le with bom", Utf16Le(doc), expected},
        {"utf-16be with bom", Utf16Be(doc), expected},
        {"iso-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><svg a=\"\xE9\xFF\"/>",
         L"\u00e9\u00ff"},
    };
    for (const Case& c : cases) {
        ParsedXml t(c.bytes);
        ASSERT_TRUE(XmlParseSucceeded(t.tree))
            << c.label << ": " << Utf8FromWide(XmlErrorMessage(t.tree));
        EXPECT_EQ(L"svg", XmlName(t.Root())) << c.label;
        EXPECT_EQ(c.value, XmlAttribute(t.Root(), L"a")) << c.label;
    }
    // An encoding expat does not know is an error of the document.
    ParsedXml unknown("<?xml version=\"1.0\" encoding=\"x-unknown\"?><svg/>");
    ASSERT_TRUE(unknown.tree);
    EXPECT_FALSE(XmlParseSucceeded(unknown.tree));
    EXPECT_EQ(L"unknown encoding", XmlErrorMessage(unknown.tree));
}

TEST(XmlTreeTest, AttributeValuesAreNormalisedAndLookedUpExactly) {
    ParsedXml t("<svg style=\"fill:red;\n\tstroke:blue\r\n\" kept=\"a&#10;b&#9;c\" Fill=\"x\" "
                "xlink:href=\"#g\" empty=\"\"><\xC3\xA4 \xC3\xB6=\"1\"/></svg>");
    ASSERT_TRUE(XmlParseSucceeded(t.tree));
    const XmlNode* root = t.Root();
    // Literal line breaks and tabs become blanks (CR LF is one line break);
    // character references keep what they name.
    EXPECT_EQ(L"fill:red;  stroke:blue ", XmlAttribute(root, L"style"));
    EXPECT_EQ(L"a\nb\tc", XmlAttribute(root, L"kept"));
    EXPECT_EQ(L"x", XmlAttribute(root, L"Fill"));
    EXPECT_EQ(L"#g", XmlAttribute(root, L"xlink:href"));
    // Absent and differently cased names give the one shared empty text.
    const std::wstring& absent = XmlAttribute(root, L"fill");
    EXPECT_TRUE(absent.empty());
    EXPECT_EQ(&absent, &XmlAttribute(root, L"FILL"));
    EXPECT_EQ(&absent, &XmlAttribute(root, L"href"));
    EXPECT_EQ(&absent, &XmlAttribute(root, L"xlink:hre"));
    EXPECT_EQ(&absent, &XmlAttribute(root, L"stylex"));
    EXPECT_EQ(&absent, &XmlAttribute(nullptr, L"style"));
    EXPECT_TRUE(XmlAttribute(root, L"empty").empty());
    // Repeated lookups return the same text.
    EXPECT_EQ(&XmlAttribute(root, L"style"), &XmlAttribute(root, L"style"));
    // Names outside ASCII.
    const XmlNode* child = FirstElement(root);
    EXPECT_EQ(L"\u00e4", XmlName(child));
    EXPECT_EQ(L"1", XmlAttribute(child, L"\u00f6"));
    EXPECT_TRUE(XmlAttribute(child, L"o").empty());
}

TEST(XmlTreeTest, NavigationAndTextContent) {
    ParsedXml t(
        "<?xml version=\"1.0\"?>\n<!-- before -->\n<svg>a<g id=\"g\">b<![CDATA[<c>]]><!-- no -->"
        "<?pi no?>d<rect/></g>e&amp;</svg>");
    ASSERT_TRUE(XmlParseSucceeded(t.tree));
    const XmlNode* root = t.Root();
    EXPECT_EQ(nullptr, XmlParent(root));
    EXPECT_EQ(L"ab<c>de&", XmlTextContent(root));
    const XmlNode* text = XmlFirstChild(root);
    ASSERT_TRUE(text);
    EXPECT_FALSE(XmlIsElement(text));
    EXPECT_TRUE(XmlName(text).empty());
    EXPECT_TRUE(XmlAttribute(text, L"id").empty());
    EXPECT_EQ(L"a", XmlTextContent(text));
    const XmlNode* group = XmlNextSibling(text);
    ASSERT_TRUE(XmlIsElement(group));
    EXPECT_EQ(root, XmlParent(group));
    EXPECT_EQ(L"b<c>d", XmlTextContent(group));
    const XmlNode* rect = FirstElement(group);
    EXPECT_EQ(L"rect", XmlName(rect));
    EXPECT_EQ(nullptr, XmlFirstChild(rect));
    EXPECT_EQ(nullptr, XmlNextSibling(rect));
    EXPECT_TRUE(XmlTextContent(rect).empty());
    const XmlNode* after = XmlNextSibling(group);
    EXPECT_EQ(L"e&", XmlTextContent(after));
    EXPECT_EQ(nullptr, XmlNextSibling(after));
    // Null-safe accessors.
    EXPECT_EQ(nullptr, XmlFirstChild(nullptr));
    EXPECT_EQ(nullptr, XmlRootElement(nullptr));
    EXPECT_FALSE(XmlIsElement(nullptr));
    EXPECT_TRUE(XmlName(nullptr).empty());
    ReleaseXmlTree(nullptr);
}

TEST(XmlTreeTest, ErrorsCarryTheParserMessageAndLine) {
    struct Case {
        std::string bytes;
        const wchar_t* message;
        long line;
    } cases[] = {
        {"<svg>\n<g>\n</svg>", L"mismatched tag", 3},
        {"<svg>\n\n<rect", L"unclosed token", 3},
        {"<svg><rect/>", L"no element found", 1}, // truncated after the root opened
        {"<svg/><svg/>", L"junk after document element", 1},
        {"<svg a='1' a='2'/>", L"duplicate attribute", 1},
        {"<svg>&nope;</svg>", L"undefined entity", 1},
        {"\x01\x02garbage\xFF\xFE\x00", L"not well-formed (invalid token)", 1},
        {"<svg a=\"\xFF\"/>", L"not well-formed (invalid token)", 1},
    };
    for (const Case& c : cases) {
        ParsedXml t(c.bytes);
        ASSERT_TRUE(t.tree) << c.bytes;
        EXPECT_FALSE(XmlParseSucceeded(t.tree)) << c.bytes;
        EXPECT_EQ(c.message, XmlErrorMessage(t.tree)) << c.bytes;
        EXPECT_EQ(c.line, XmlErrorLine(t.tree)) << c.bytes;
        EXPECT_EQ(nullptr, XmlRootElement(t.tree)) << c.bytes;
    }
}

TEST(XmlTreeTest, DocumentWithoutElementsHasNoRoot) {
    const char* texts[] = {"<?xml version=\"1.0\"?>", "  \n ", "<!-- only a comment -->",
                           "\xEF\xBB\xBF"};
    for (const char* text : texts) {
        ParsedXml t(text);
        ASSERT_TRUE(t.tree);
        EXPECT_TRUE(XmlParseSucceeded(t.tree)) << text;
        EXPECT_EQ(nullptr, XmlRootElement(t.tree)) << text;
    }
}

TEST(XmlTreeTest, EntityExpansionBombsAreRefused) {
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY l0 \"lol\">";
    for (int i = 1; i <= 10; i++) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; k++)
            laughs += "&l" + std::to_string(i - 1) + ";";
        laughs += "\">";
    }
    laughs += "]><svg>&l10;</svg>";
    // One large entity used many times: quadratic growth without nesting.
    std::string quadratic =
        "<!DOCTYPE svg [<!ENTITY big \"" + std::string(100000, 'x') + "\">]><svg>";
    for (int i = 0; i < 100000; i++)
        quadratic += "&big;";
    quadratic += "</svg>";
    for (const std::string* bytes : {&laughs, &quadratic}) {
        ParsedXml t(*bytes);
        ASSERT_TRUE(t.tree);
        EXPECT_FALSE(XmlParseSucceeded(t.tree));
        EXPECT_EQ(L"limit on input amplification factor (from DTD and entities) breached",
                  XmlErrorMessage(t.tree));
    }
}

// Document type declarations load without anything being fetched: external
// subsets and external entities are never read, so a file cannot pull in
// another (the entity's reference is skipped).
TEST(XmlTreeTest, ExternalDefinitionsAreNeverRead) {
    WriteTempFile(L"secret.txt", "SECRET");
    XmlTree* tree = LoadXmlTree(
        WriteTempFile(L"external.svg", "<?xml version=\"1.0\" standalone=\"no\"?>\n"
                                       "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
                                       "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\" [\n"
                                       "<!ENTITY secret SYSTEM \"secret.txt\">]>\n"
                                       "<svg a='&nbsp;'>a&secret;b&nbsp;c</svg>"));
    ASSERT_TRUE(tree);
    ASSERT_TRUE(XmlParseSucceeded(tree)) << Utf8FromWide(XmlErrorMessage(tree));
    EXPECT_EQ(L"abc", XmlTextContent(XmlRootElement(tree)));
    EXPECT_TRUE(XmlAttribute(XmlRootElement(tree), L"a").empty());
    ReleaseXmlTree(tree);
}

TEST(XmlTreeTest, DeepNestingBuildsAndReleasesWithoutRecursion) {
    const int depth = 100000;
    std::string text;
    text.reserve(depth * 8 + 16);
    for (int i = 0; i < depth; i++)
        text += "<g>";
    text += "deep";
    for (int i = 0; i < depth; i++)
        text += "</g>";
    ParsedXml t(text);
    ASSERT_TRUE(XmlParseSucceeded(t.tree));
    int levels = 0;
    const XmlNode* node = t.Root();
    const XmlNode* innermost = node;
    for (; node && XmlIsElement(node); node = XmlFirstChild(node)) {
        levels++;
        innermost = node;
    }
    EXPECT_EQ(depth, levels);
    EXPECT_EQ(L"deep", XmlTextContent(t.Root()));
    int up = 0;
    for (const XmlNode* n = innermost; n; n = XmlParent(n))
        up++;
    EXPECT_EQ(depth, up);
}

TEST(XmlTreeTest, LargeValuesAndFiles) {
    // A megabyte attribute value and a megabyte text run survive intact.
    std::string big(1 << 20, 'a');
    big[12345] = 'b';
    ParsedXml t("<svg d=\"" + big + "\">" + big + "</svg>");
    ASSERT_TRUE(XmlParseSucceeded(t.tree));
    const std::wstring& d = XmlAttribute(t.Root(), L"d");
    ASSERT_EQ(big.size(), d.size());
    EXPECT_EQ(L'b', d[12345]);
    EXPECT_EQ(big.size(), XmlTextContent(t.Root()).size());

    // Read from a file in several chunks, with an error far into it.
    std::string lines = "<svg>\n";
    for (int i = 0; i < 100000; i++)
        lines += "<rect width=\"10\" height=\"10\"/>\n";
    lines += "</g>";
    XmlTree* tree = LoadXmlTree(WriteTempFile(L"chunks.svg", lines));
    ASSERT_TRUE(tree);
    EXPECT_EQ(L"mismatched tag", XmlErrorMessage(tree));
    EXPECT_EQ(100002, XmlErrorLine(tree));
    ReleaseXmlTree(tree);
}

TEST(XmlTreeTest, UnreadableFilesGiveNoTree) {
    EXPECT_EQ(nullptr, LoadXmlTree(TempPath(L"does-not-exist.svg")));
    EXPECT_EQ(nullptr, LoadXmlTree(TempFolder()));
}

// A wide file name outside ASCII reaches the file system intact. Wine maps
// names through the Unix locale, which may be plain ASCII on a build machine;
// the test is skipped where the name cannot even be created.
TEST(XmlTreeTest, FileNamesOutsideAscii) {
    std::wstring path;
    if (!TryWriteTempFile(L"\u00fcn\u00efc\u00f6d\u00e9 \u20ac.svg", "<svg id='\xC3\xA9'/>", &path))
        GTEST_SKIP() << "the file system here cannot hold the name";
    XmlTree* tree = LoadXmlTree(path);
    ASSERT_TRUE(tree);
    EXPECT_TRUE(XmlParseSucceeded(tree));
    EXPECT_EQ(L"\u00e9", XmlAttribute(XmlRootElement(tree), L"id"));
    ReleaseXmlTree(tree);
}

} // namespace

namespace {

bool IsAOrB(const std::wstring& name) {
    return LowerTextIs(name, L"a") || LowerTextIs(name, L"b");
}

void Collect(const XmlNode* element, void* found) {
    static_cast<std::vector<const XmlNode*>*>(found)->push_back(element);
}

void CollectAOrB(const XmlNode* element, void* found) {
    if (IsAOrB(XmlName(element)))
        Collect(element, found);
}

} // namespace

// The elements listed by name are those a depth-limited walk from the root
// meets, in the same order: names mixed and in any case, the root among
// them, and elements just within and just beyond the limit.
TEST(XmlTreeTest, ElementsOfNamesComeAsAWalkFindsThem) {
    std::string deep;
    for (int i = 0; i < 4; i++)
        deep += "<g>";
    deep += "<a id='at5'/></g><b id='at4'/></g></g></g>";
    const struct {
        std::string text;
        size_t count;
    } files[] = {
        {"<a><b/><c><B/><a/></c><b><A/></b><x:a xmlns:x='u'/></a>", 6},
        {"<root>" + deep + "<a/></root>", 2},
        {"<svg/>", 0},
    };
    for (const auto& file : files) {
        ParsedXml xml(file.text);
        ASSERT_NE(nullptr, xml.Root()) << file.text;
        std::vector<const XmlNode*> walked, listed;
        VisitElements(xml.Root(), 4, CollectAOrB, &walked);
        XmlVisitElementsNamed(xml.tree, IsAOrB, 4, Collect, &listed);
        EXPECT_EQ(file.count, walked.size()) << file.text;
        EXPECT_EQ(walked, listed) << file.text;
    }
}
