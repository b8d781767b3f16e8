// The image element: where hrefs may lead, data: URIs, and images placed,
// nested and refused while a file loads. Bitmaps cannot be decoded natively
// (tests/render draws them); drawings as images can.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "render/graphics.h"
#include "svg/base/image_source.h"
#include "svg/base/strings.h"
#include "svg/load.h"
#include "svg/records/images.h"
#include "svg_files.h"

namespace {

TEST(ImageHref, OnlyLocalFilesAndDataUrisAreReached) {
    struct Case {
        const wchar_t* href;
        int filesAllowed;
        int accepted;
        const wchar_t* path; // the file reached, when accepted and not data:
    } cases[] = {
        {L" pic.png ", 1, 1, L"/d/pic.png"},
        {L"sub/a%20b.png#frame", 1, 1, L"/d/sub/a b.png"},
        {L"/abs/pic.png", 1, 1, L"/abs/pic.png"},
        {L"file:///tmp/x.png", 1, 1, L"/tmp/x.png"},
        {L"file:/tmp/x.png", 1, 1, L"/tmp/x.png"},
        {L"FILE:///C:/x%C3%A9.png", 1, 1, L"C:/x\u00e9.png"},
        {L"C:\\pics\\x.png", 1, 1, L"C:\\pics\\x.png"},
        {L"data:,x", 0, 1, L""},
        {L"pic.png", 0, 0, nullptr}, // inside a drawing drawn as an image
        {L"file://server/share/x.png", 1, 0, nullptr},
        {L"file://localhost/x.png", 1, 0, nullptr},
        {L"\\\\server\\share\\x.png", 1, 0, nullptr},
        {L"//server/share/x.png", 1, 0, nullptr},
        {L"/\\server/share/x.png", 1, 0, nullptr},
        {L"\\\\?\\C:\\x.png", 1, 0, nullptr},
        {L"\\\\.\\PhysicalDrive0", 1, 0, nullptr},
        {L"file:////server/share/x.png", 1, 0, nullptr},
        {L"%5C%5Cserver%5Cshare%5Cx.png", 1, 0, nullptr},
        {L"http://example.com/x.png", 1, 0, nullptr},
        {L"https://example.com/x.png", 1, 0, nullptr},
        {L"javascript:alert(1)", 1, 0, nullptr},
        {L"C:x.png", 1, 0, nullptr},      // drive-relative
        {L"x.png:hidden", 1, 0, nullptr}, // an alternate stream
        {L"  ", 1, 0, nullptr},
    };
    for (const Case& c : cases) {
        ImageSource source;
        ASSERT_EQ(c.accepted, ResolveImageHref(c.href, L"/d", c.filesAllowed, &source))
            << Utf8FromWide(c.href);
        if (c.accepted && !source.inMemory) {
            EXPECT_EQ(std::wstring(c.path), source.path) << Utf8FromWide(c.href);
        }
    }
}

TEST(ImageHref, DataUrisDecodeBase64AndPercentEscapes) {
    struct Case {
        const wchar_t* uri;
        int decoded;
        const char* bytes;
        const char* mediaType;
    } cases[] = {
        {L"data:;base64,SGVsbG8=", 1, "Hello", ""},
        {L"data:image/SVG+XML;charset=utf-8;BASE64,\n PHN2\n Zz4=", 1, "<svg>", "image/svg+xml"},
        {L"data:text/plain,a%20b%zz%4", 1, "a b%zz%4", "text/plain"},
        {L"data:,%E2%82%AC\u00e9", 1, "\xE2\x82\xAC\xC3\xA9", ""},
        {L"data:;base64,SGVsbA", 1, "Hell", ""}, // padding may be left out
        {L"data:;base64,SGV*", 0, "", ""},
        {L"data:;base64,SGVsb", 0, "", ""}, // a lone sixth of a byte
        {L"data:;base64,SG=Vs", 0, "", ""}, // data after padding
        {L"data:image/png;base64", 0, "", ""},
        {L"image/png;base64,SGVsbG8=", 0, "", ""},
    };
    for (const Case& c : cases) {
        std::string bytes, mediaType;
        ASSERT_EQ(c.decoded, DecodeDataUri(c.uri, &bytes, &mediaType)) << Utf8FromWide(c.uri);
        if (c.decoded) {
            EXPECT_EQ(c.bytes, bytes) << Utf8FromWide(c.uri);
            EXPECT_EQ(c.mediaType, mediaType) << Utf8FromWide(c.uri);
        }
    }
}

class ImageLoad : public GraphicsTest {};

// An SVG image of the drawing as a data: URI, percent-encoded.
std::string SvgDataUri(const std::string& svg) {
    std::string uri = "data:image/svg+xml,";
    for (unsigned char c : svg) {
        char escape[4];
        std::snprintf(escape, sizeof escape, "%%%02X", c);
        uri += std::isalnum(c) ? std::string(1, static_cast<char>(c)) : std::string(escape);
    }
    return uri;
}

std::string Drawing(const std::string& body) {
    return "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 200 200'>" + body + "</svg>";
}

GfxRectF RecordBounds(const ShapeRecord& record) {
    GfxRectF bounds = {0, 0, 0, 0};
    GfxGetPathBounds(record.path, nullptr, &bounds);
    return bounds;
}

TEST_F(ImageLoad, DrawingsArePlacedBySizeAndAspectRatio) {
    // A 20 x 10 view box (own size 40 x 20), placed in several ways.
    const std::string wide = SvgDataUri(
        "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20' viewBox='0 0 20 10'>"
        "<rect width='20' height='10'/></svg>");
    struct Case {
        const char* attributes;
        GfxRectF filled;            // the rectangle the record fills
        float scaleX, scaleY, e, f; // the view box into user space
    } cases[] = {
        {"x='10' y='10' width='100' height='100'", {10, 35, 100, 50}, 5, 5, 10, 35},
        {"x='10' y='10' width='100' height='100' preserveAspectRatio='xMinYMax meet'",
         {10, 60, 100, 50},
         5,
         5,
         10,
         60},
        {"x='10' y='10' width='100' height='100' preserveAspectRatio='xMidYMid slice'",
         {10, 10, 100, 100},
         10,
         10,
         -40,
         10},
        {"width='100' height='100' preserveAspectRatio='none'", {0, 0, 100, 100}, 5, 10, 0, 0},
        {"", {0, 0, 40, 20}, 2, 2, 0, 0},           // its own size
        {"width='80'", {0, 0, 80, 40}, 4, 4, 0, 0}, // height kept in proportion
        {"height='auto' width='auto' y='5'", {0, 5, 40, 20}, 2, 2, 0, 5},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load(Drawing(std::string("<image ") + c.attributes + " href=\"" + wide +
                                      "\"/>")));
        ASSERT_EQ(1, svg.Count()) << c.attributes;
        const ShapeRecord& record = svg[0];
        const DocumentImage* image = DocumentImageOf(&svg.document, record.image);
        ASSERT_NE(nullptr, image) << c.attributes;
        ASSERT_NE(nullptr, image->nested);
        EXPECT_EQ(1, image->nested->shapeCount);
        const GfxRectF b = RecordBounds(record);
        EXPECT_FLOAT_EQ(c.filled.x, b.x) << c.attributes;
        EXPECT_FLOAT_EQ(c.filled.y, b.y) << c.attributes;
        EXPECT_FLOAT_EQ(c.filled.width, b.width) << c.attributes;
        EXPECT_FLOAT_EQ(c.filled.height, b.height) << c.attributes;
        const Matrix2D& m = image->place;
        EXPECT_FLOAT_EQ(c.scaleX, m.a) << c.attributes;
        EXPECT_FLOAT_EQ(c.scaleY, m.d) << c.attributes;
        EXPECT_FLOAT_EQ(c.e, m.e) << c.attributes;
        EXPECT_FLOAT_EQ(c.f, m.f) << c.attributes;
        EXPECT_EQ(0, svg.document.notDrawn[NotDrawnImage]);
    }
}

TEST_F(ImageLoad, OpacityAndRenderingModeReachTheRecord) {
    const std::string square =
        SvgDataUri("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 1 1'/>");
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(Drawing("<g style='image-rendering:pixelated'><image opacity='.5' "
                                  "width='10' height='10' href=\"" +
                                  square + "\"/></g><image width='10' height='10' href=\"" +
                                  square + "\"/>")));
    ASSERT_EQ(2, svg.Count());
    EXPECT_FLOAT_EQ(0.5f, svg[0].fillOpacity); // folded into the one record, not a group
    EXPECT_EQ(0, svg[0].group);
    EXPECT_EQ(1, DocumentImageOf(&svg.document, svg[0].image)->pixelated);
    EXPECT_EQ(0, DocumentImageOf(&svg.document, svg[1].image)->pixelated);
}

TEST_F(ImageLoad, ImagesThatCannotBeHadDrawNothingAndAreCounted) {
    const std::wstring self = TempPath(L"image-self.svg");
    const std::string selfName = Utf8FromWide(self);
    LoadedSvg svg;
    ASSERT_EQ(1,
              svg.Load(Drawing("<image width='10' height='10' href='\\\\127.0.0.1\\share\\x.png'/>"
                               "<image width='10' height='10' href='//127.0.0.1/share/x.png'/>"
                               "<image width='10' height='10' href='http://127.0.0.1/x.png'/>"
                               "<image width='10' height='10' href='no-such-file.png'/>"
                               "<image width='10' height='10' href='data:image/png;base64,AAAA'/>"
                               "<image width='10' height='10' href='data:image/svg+xml,%3Csvg'/>"
                               "<image width='10' height='10'/>"
                               "<image width='0' height='10' href='data:,x'/>"
                               "<rect width='5' height='5'/>")));
    EXPECT_EQ(1, svg.Count());                          // the rect
    EXPECT_EQ(7, svg.document.notDrawn[NotDrawnImage]); // the empty viewport is not a failure
    EXPECT_EQ(nullptr, svg.document.images);

    // A file that shows itself: the image draws nothing, the rest draws.
    WriteTempFile(L"image-self.svg", Drawing("<image width='10' height='10' href='image-self.svg'/>"
                                             "<image width='10' height='10' href='file://" +
                                             selfName + "'/><rect width='5' height='5'/>"));
    SvgDocument document = SvgDocument();
    ASSERT_EQ(1, LoadSvgDocument(self, &document));
    EXPECT_EQ(1, document.shapeCount);
    EXPECT_EQ(2, document.notDrawn[NotDrawnImage]);
    ClearSvgDocument(&document);
}

TEST_F(ImageLoad, DrawingsAsImagesReadNoFilesAndNestFourDeep) {
    WriteTempFile(L"image-beside.svg", Drawing("<rect width='5' height='5'/>"));
    // The file beside the drawing is read by the drawing, not by a drawing
    // it shows as an image.
    const std::string besideImage = "<image width='5' height='5' href='image-beside.svg'/>";
    LoadedSvg direct;
    ASSERT_EQ(1, direct.Load(Drawing(
                     besideImage + "<image width='5' height='5' href=\"" +
                     SvgDataUri(Drawing("<rect width='1' height='1'/>" + besideImage)) + "\"/>")));
    ASSERT_EQ(2, direct.Count());
    EXPECT_EQ(0, direct.document.notDrawn[NotDrawnImage]);
    const SvgDocument* inner = DocumentImageOf(&direct.document, direct[1].image)->nested;
    EXPECT_EQ(1, inner->shapeCount);
    EXPECT_EQ(1, inner->notDrawn[NotDrawnImage]);

    // Level n holds a rect and the image of level n + 1, six levels in all.
    std::string level = Drawing("<rect width='1' height='1'/>");
    for (int n = 0; n < 5; n++)
        level = Drawing("<rect width='1' height='1'/><image width='5' height='5' href=\"" +
                        SvgDataUri(level) + "\"/>");
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(level));
    int depth = 0;
    const SvgDocument* d = &svg.document;
    while (const DocumentImage* image =
               d->shapeCount > 1 ? DocumentImageOf(d, d->shapes[1].image) : nullptr) {
        d = image->nested;
        depth++;
    }
    EXPECT_EQ(MaxImageNesting, depth);
    EXPECT_EQ(1, d->shapeCount);
    EXPECT_EQ(1, d->notDrawn[NotDrawnImage]);
}

} // namespace
