// Loading whole files: the four failure messages, the drawing's size and
// viewBox, clearing, and what the root and the file's layout hand down to
// every shape.
#include "svg/records/document.h"

#include <gtest/gtest.h>

#include <string>

#include "svg/base/report.h"
#include "svg/base/strings.h"
#include "svg/load.h"
#include "svg/records/document_gradients.h"
#include "svg/style/gradients.h"
#include "svg_files.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

int messagesWritten = 0;
void CountMessage(const std::wstring&) {
    messagesWritten++;
}

// Loads the path into a document that held a drawing before; checks that
// exactly one message was written on failure (none on success).
struct LoadOutcome {
    int result;
    std::wstring message;
    int shapesAfter;
};

LoadOutcome LoadOverDrawing(const std::wstring& path) {
    LoadedSvg svg;
    EXPECT_EQ(1, svg.Load("<svg><rect width='1' height='1'/></svg>"));
    EXPECT_EQ(1, svg.Count());
    ReportLastError(L"(earlier)");
    messagesWritten = 0;
    SetReportSink(CountMessage);
    int result = LoadSvgDocument(path, &svg.document);
    SetReportSink(nullptr);
    EXPECT_EQ(result ? 0 : 1, messagesWritten) << Utf8FromWide(path);
    EXPECT_EQ(nullptr, svg.document.shapes);
    return LoadOutcome{result, LastReportedError(), svg.Count()};
}

class DocumentTest : public GraphicsTest {};

TEST_F(DocumentTest, FailuresWriteTheirOneMessageAndLeaveTheDocumentEmpty) {
    std::string twelve = "<svg>\n";
    for (int i = 2; i <= 11; i++)
        twelve += "<rect/>\n";
    twelve += "<g></svg>\n";
    struct Case {
        std::wstring path;
        std::wstring message;
    } cases[] = {
        {TempFolder(), L"SVG file not found or empty: " + TempFolder()},
        {TempPath(L"missing.svg"), L"SVG file not found or empty: " + TempPath(L"missing.svg")},
        {WriteTempFile(L"empty.svg", ""),
         L"SVG file not found or empty: " + TempPath(L"empty.svg")},
        {L"", L"SVG file not found or empty: "},
        {WriteTempFile(L"twelve.svg", twelve), L"SVG XML error: mismatched tag (line 12)"},
        {WriteTempFile(L"open.svg", "<svg>\n<g>\n"), L"SVG XML error: no element found (line 3)"},
        {WriteTempFile(L"prolog.svg", "<?xml version=\"1.0\"?>\n<!-- no drawing -->\n"),
         L"SVG file has no root element."},
        {WriteTempFile(L"blank.svg", "   \n"), L"SVG file has no root element."},
    };
    for (const Case& c : cases) {
        LoadOutcome outcome = LoadOverDrawing(c.path);
        EXPECT_EQ(0, outcome.result) << Utf8FromWide(c.path);
        EXPECT_EQ(c.message, outcome.message);
        EXPECT_EQ(0, outcome.shapesAfter);
    }
}

// A file that exists and has bytes but cannot be opened gives no tree.
TEST_F(DocumentTest, UnreadableFileFailsToParse) {
    std::wstring path = WriteTempFile(L"locked.svg", "<svg/>");
#ifdef _WIN32
    // Held open without sharing, the file cannot be opened a second time.
    int held = -1;
    ASSERT_EQ(0, _wsopen_s(&held, path.c_str(), _O_RDONLY, _SH_DENYRW, _S_IREAD));
    LoadOutcome outcome = LoadOverDrawing(path);
    _close(held);
#else
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not stop the super-user";
    std::string narrow = Utf8FromWide(path);
    chmod(narrow.c_str(), 0);
    LoadOutcome outcome = LoadOverDrawing(path);
    chmod(narrow.c_str(), 0600);
#endif
    EXPECT_EQ(0, outcome.result);
    EXPECT_EQ(L"Failed to parse SVG XML.", outcome.message);
}

TEST_F(DocumentTest, ViewBoxAndSize) {
    struct Case {
        const char* attributes;
        int hasViewBox;
        float x, y, w, h; // the viewBox
        float width, height;
    } cases[] = {
        {"viewBox='0 0 100 50'", 1, 0, 0, 100, 50, 0, 0},
        {"viewBox='0,0,100,50'", 1, 0, 0, 100, 50, 0, 0},
        {"viewBox='  0   0 100 50 '", 1, 0, 0, 100, 50, 0, 0},
        {"viewBox='\t0\n0 100 50'", 1, 0, 0, 100, 50, 0, 0}, // breaks arrive as blanks
        {"viewBox='-10 -20.5 3e1 40px'", 1, -10, -20.5f, 30, 40, 0, 0},
        {"viewBox='0 0 100 50' width='-5' height='0'", 1, 0, 0, 100, 50, -5, 0},
        {"viewBox='1 2 3 4' width='200' height='100'", 1, 1, 2, 3, 4, 200, 100},
        {"viewBox='0 0 100'", 0, 0, 0, 0, 0, 0, 0},
        {"viewBox='0 0 0 50'", 0, 0, 0, 0, 0, 0, 0},
        {"viewBox='0 0 -100 50'", 0, 0, 0, 0, 0, 0, 0},
        {"viewBox='0 0 abc 50'", 0, 0, 0, 0, 0, 0, 0},
        {"viewBox='0 0 100' width='80'", 1, 0, 0, 80, 80, 80, 80},
        {"width='200px' height='100'", 1, 0, 0, 200, 100, 200, 100},
        {"width='80'", 1, 0, 0, 80, 80, 80, 80},
        {"height='30mm'", 1, 0, 0, 113.385826f, 113.385826f, 113.385826f, 113.385826f},
        // a percentage sets no size: the viewBox decides, or the default view
        {"width='100%' height='100%'", 0, 0, 0, 0, 0, 0, 0},
        {"viewBox='0 0 10 5' width='100%' height='2in'", 1, 0, 0, 10, 5, 0, 192},
        {"width='0' height='-4'", 0, 0, 0, 0, 0, 0, -4},
        {"width='abc'", 0, 0, 0, 0, 0, 0, 0},
        {"", 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(std::string("<svg ") + c.attributes + "/>")) << c.attributes;
        const SvgDocument& d = svg.document;
        EXPECT_EQ(c.hasViewBox, d.hasViewBox) << c.attributes;
        if (c.hasViewBox) {
            EXPECT_FLOAT_EQ(c.x, d.viewBoxX) << c.attributes;
            EXPECT_FLOAT_EQ(c.y, d.viewBoxY) << c.attributes;
            EXPECT_FLOAT_EQ(c.w, d.viewBoxWidth) << c.attributes;
            EXPECT_FLOAT_EQ(c.h, d.viewBoxHeight) << c.attributes;
        }
        EXPECT_FLOAT_EQ(c.width, d.width) << c.attributes;
        EXPECT_FLOAT_EQ(c.height, d.height) << c.attributes;
        EXPECT_EQ(0, d.shapeCount);
    }
}

TEST_F(DocumentTest, ClearKeepsSizeAndEmptiesTheRest) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg viewBox='1 2 30 40' width='300' height='400'>"
                          "<linearGradient id='g'><stop stop-color='red'/></linearGradient>"
                          "<rect width='5' height='5' fill='url(#g)'/></svg>"));
    SvgDocument& d = svg.document;
    ASSERT_EQ(1, d.shapeCount);
    EXPECT_LE(1, d.shapeCapacity); // room made for the tree's elements at once
    EXPECT_EQ(1, d.content.any);
    ASSERT_NE(nullptr, FindDocumentGradient(&d, L"g"));
    ClearSvgDocument(&d);
    EXPECT_EQ(0, d.shapeCount);
    EXPECT_EQ(0, d.shapeCapacity);
    EXPECT_EQ(nullptr, d.shapes);
    EXPECT_EQ(0, d.hasViewBox);
    EXPECT_EQ(0, d.content.any);
    EXPECT_EQ(0.0f, d.content.maxX);
    EXPECT_EQ(nullptr, d.gradients);
    EXPECT_FLOAT_EQ(30, d.viewBoxWidth);
    EXPECT_FLOAT_EQ(300, d.width);
    EXPECT_FLOAT_EQ(400, d.height);
    ClearSvgDocument(&d); // again: harmless
    ClearSvgDocument(nullptr);
    EXPECT_EQ(0, d.shapeCount);
}

TEST_F(DocumentTest, LoadingReplacesTheEarlierDrawing) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg><rect width='1' height='1'/><rect width='1' height='1'/></svg>"));
    ASSERT_EQ(2, svg.Count());
    ASSERT_EQ(1, svg.Load("<svg><circle r='1' id='c'/></svg>"));
    ASSERT_EQ(1, svg.Count());
    EXPECT_EQ(L"c", svg[0].id);
}

TEST_F(DocumentTest, RootPresentationReachesEveryShape) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg fill='red' transform='translate(10,20)' stroke-width='3'>"
                          "<rect width='1' height='1'/><g><circle r='1'/></g>"
                          "<g fill='blue'><ellipse rx='1' ry='2'/></g>"
                          "<path d='M0 0L1 1' stroke='lime'/></svg>"));
    ASSERT_EQ(4, svg.Count());
    const Argb fills[] = {0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFFFF0000};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(fills[i], svg[i].fillColor) << i;
        EXPECT_FLOAT_EQ(1, svg[i].matrix.a) << i;
        EXPECT_FLOAT_EQ(10, svg[i].matrix.e) << i;
        EXPECT_FLOAT_EQ(20, svg[i].matrix.f) << i;
    }
    EXPECT_EQ(1, svg[3].hasStroke);
    EXPECT_EQ(0xFF00FF00u, svg[3].strokeColor);
    EXPECT_FLOAT_EQ(3, svg[3].strokeWidth);
}

TEST_F(DocumentTest, RootIsNeverDrawnWhateverItsName) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<rect width='10' height='10' fill='red'><circle r='2'/></rect>"));
    ASSERT_EQ(1, svg.Count());
    EXPECT_EQ(0xFFFF0000u, svg[0].fillColor);
    EXPECT_FLOAT_EQ(10, svg.document.viewBoxWidth);
}

// Gradients and style sheets may follow the shapes that use them.
TEST_F(DocumentTest, DefinitionsAfterTheirUseAreFound) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg><rect id='r' x='2' y='3' width='10' height='20' fill='url(#g)'/>"
                          "<circle class='c' r='1'/><rect width='1' height='1'/>"
                          "<style>.c { fill: lime }</style>"
                          "<defs><linearGradient id='g'><stop stop-color='red'/>"
                          "<stop offset='1' stop-color='blue'/></linearGradient></defs></svg>"));
    ASSERT_EQ(3, svg.Count());
    EXPECT_EQ(L"g", TextOf(svg[0].fillRef));
    EXPECT_EQ(0xFF7F007Fu, svg[0].fillColor);
    ASSERT_EQ(1, svg[0].boundsValid);
    EXPECT_FLOAT_EQ(2, svg[0].boundsX);
    EXPECT_FLOAT_EQ(3, svg[0].boundsY);
    EXPECT_FLOAT_EQ(10, svg[0].boundsWidth);
    EXPECT_FLOAT_EQ(20, svg[0].boundsHeight);
    EXPECT_NE(nullptr, FindDocumentGradient(&svg.document, L"g"));
    EXPECT_EQ(0xFF00FF00u, svg[1].fillColor);
    EXPECT_EQ(0, svg[1].boundsValid); // a plain colour takes no bounds
    EXPECT_FALSE(svg[1].fillRef);
    EXPECT_EQ(0xFF000000u, svg[2].fillColor);
}

// An inherited paint id is held once by every record, however many inherit it.
TEST_F(DocumentTest, InheritedPaintIdsAreSharedNotCopied) {
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg fill='url(#g)'><linearGradient id='g'>"
                          "<stop stop-color='red'/></linearGradient><g><rect width='1' height='1'/>"
                          "</g><circle r='1'/></svg>"));
    ASSERT_EQ(2, svg.Count());
    EXPECT_EQ(L"g", TextOf(svg[0].fillRef));
    EXPECT_EQ(svg[0].fillRef.get(), svg[1].fillRef.get());
}

} // namespace
