// Each loaded document keeps the gradients its shapes refer to: loading
// another file must not change what an earlier document draws.
#include <gtest/gtest.h>

#include <string>

#include "svg/records/document_gradients.h"
#include "svg/style/gradients.h"
#include "svg_files.h"

namespace {

class DocumentGradientCopy : public GraphicsTest {};

std::string FileWithGradient(const char* first, const char* second) {
    return std::string("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
                       "<rect width='10' height='10' fill='url(#g)' stroke='url(#s)'/>"
                       "<defs><linearGradient id='g'><stop offset='0' stop-color='") +
           first + "'/><stop offset='1' stop-color='" + second +
           "'/></linearGradient>"
           "<radialGradient id='s' r='0.25'><stop stop-color='red'/></radialGradient>"
           "<linearGradient id='unused'/></defs></svg>";
}

TEST_F(DocumentGradientCopy, EarlierDocumentKeepsItsOwnGradients) {
    LoadedSvg a, b;
    ASSERT_EQ(1, a.Load(FileWithGradient("red", "blue")));
    ASSERT_EQ(1, a.Count());
    EXPECT_EQ(L"g", TextOf(a[0].fillRef));
    ASSERT_EQ(1, b.Load(FileWithGradient("lime", "yellow")));

    const GradientDef* ga = FindDocumentGradient(&a.document, L"g");
    ASSERT_NE(nullptr, ga);
    ASSERT_EQ(2, GradientStopCount(ga));
    EXPECT_EQ(0xFFFF0000u, GradientStops(ga)[0].colour);
    EXPECT_EQ(0xFF0000FFu, GradientStops(ga)[1].colour);
    const GradientDef* gb = FindDocumentGradient(&b.document, L"g");
    ASSERT_NE(nullptr, gb);
    EXPECT_EQ(0xFF00FF00u, GradientStops(gb)[0].colour);
    EXPECT_EQ(0xFFFFFF00u, GradientStops(gb)[1].colour);

    // Stroke references are kept too; gradients no shape uses are not.
    ASSERT_NE(nullptr, FindDocumentGradient(&a.document, L"s"));
    EXPECT_EQ(0.25f, FindDocumentGradient(&a.document, L"s")->r);
    EXPECT_EQ(nullptr, FindDocumentGradient(&a.document, L"unused"));

    // Clearing the document releases its copy.
    ClearSvgDocument(&a.document);
    EXPECT_EQ(nullptr, a.document.gradients);
    EXPECT_EQ(nullptr, FindDocumentGradient(&a.document, L"g"));
}

// A load sees nothing of the one before it: neither its style rules nor its
// gradients (nor what its paint references found).
TEST_F(DocumentGradientCopy, ALoadSeesNothingOfTheLoadBefore) {
    LoadedSvg a, b;
    ASSERT_EQ(1, a.Load("<svg xmlns='http://www.w3.org/2000/svg'><style>.c{fill:url(#g)}</style>"
                        "<linearGradient id='g'><stop stop-color='blue'/></linearGradient>"
                        "<pattern id='p' width='1' height='1'/>"
                        "<rect class='c' width='1' height='1' stroke='url(#p)'/></svg>"));
    ASSERT_EQ(1, a.Count());
    EXPECT_EQ(L"g", TextOf(a[0].fillRef));
    EXPECT_EQ(L"p", TextOf(a[0].strokeRef));
    ASSERT_EQ(1, b.Load("<svg xmlns='http://www.w3.org/2000/svg'>"
                        "<rect class='c' width='1' height='1' stroke='url(#p) yellow'/>"
                        "<rect width='1' height='1' fill='url(#g) lime'/></svg>"));
    ASSERT_EQ(2, b.Count());
    EXPECT_EQ(0xFF000000u, b[0].fillColor); // no rule: the initial black
    EXPECT_EQ(L"", TextOf(b[0].fillRef));
    EXPECT_EQ(0xFFFFFF00u, b[0].strokeColor); // no pattern: the fallback
    EXPECT_EQ(L"", TextOf(b[0].strokeRef));
    EXPECT_EQ(0xFF00FF00u, b[1].fillColor); // no gradient: the fallback
    EXPECT_EQ(L"", TextOf(b[1].fillRef));
}

// Of elements sharing an id, the first in document order is the one every
// reference names (as getElementById finds it).
TEST_F(DocumentGradientCopy, TheFirstElementWithAnIdOwnsIt) {
    const std::string red = "<stop stop-color='red'/>", blue = "<stop stop-color='blue'/>";
    struct Case {
        const char* name;
        std::string defs;
        const wchar_t* fillRef; // L"" when the fallback lime paints
        Argb firstStop;         // of the kept gradient; 0 when there is none
    } cases[] = {
        {"gradient",
         "<linearGradient id='g'>" + red + "</linearGradient><radialGradient id='g'>" + blue +
             "</radialGradient>",
         L"g", 0xFFFF0000u},
        {"gradient through href",
         "<linearGradient id='g' href='#h'/><linearGradient id='h'>" + red +
             "</linearGradient><linearGradient id='h'>" + blue + "</linearGradient>",
         L"g", 0xFFFF0000u},
        {"pattern, then no paint server", "<pattern id='g' width='1' height='1'/><rect id='g'/>",
         L"g", 0},
        {"no paint server, then pattern", "<rect id='g'/><pattern id='g' width='1' height='1'/>",
         L"", 0},
    };
    for (const Case& c : cases) {
        LoadedSvg svg;
        ASSERT_EQ(1, svg.Load("<svg xmlns='http://www.w3.org/2000/svg'><defs>" + c.defs +
                              "</defs><rect width='9' height='9' fill='url(#g) lime'/></svg>"))
            << c.name;
        ASSERT_EQ(1, svg.Count()) << c.name;
        EXPECT_EQ(c.fillRef, TextOf(svg[0].fillRef)) << c.name;
        const GradientDef* kept = FindDocumentGradient(&svg.document, L"g");
        ASSERT_EQ(c.firstStop != 0, kept != nullptr) << c.name;
        if (kept) {
            EXPECT_EQ(c.firstStop, GradientStops(kept)[0].colour) << c.name;
        }
    }
}

TEST_F(DocumentGradientCopy, ReloadAndFailedLoadReplaceTheCopy) {
    LoadedSvg doc;
    ASSERT_EQ(1, doc.Load(FileWithGradient("red", "blue")));
    ASSERT_NE(nullptr, FindDocumentGradient(&doc.document, L"g"));
    ASSERT_EQ(1, doc.Load("<svg><rect width='1' height='1' fill='red'/></svg>"));
    EXPECT_EQ(nullptr, FindDocumentGradient(&doc.document, L"g"));
    ASSERT_EQ(1, doc.Load(FileWithGradient("red", "blue")));
    EXPECT_EQ(0, doc.Load("<svg><rect></svg>"));
    EXPECT_EQ(nullptr, doc.document.gradients);
}

} // namespace
