// Loading an SVG file into a document and emptying it again.
#include "svg/records/document.h"

#include <string>

#include "render/graphics.h"
#include "svg/base/file_access.h"
#include "svg/base/report.h"
#include "svg/base/scan.h"
#include "svg/base/strings.h"
#include "svg/build/clip_paths.h"
#include "svg/build/walker.h"
#include "svg/css/style_sheet.h"
#include "svg/records/offscreen_groups.h"
#include "svg/style/gradients.h"
#include "svg/style/paint_reference.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

void ClearSvgDocument(SvgDocument* document) {
    if (!document)
        return;
    RecordList records = RecordList();
    SwapRecords(document, &records);
    ReleaseRecords(&records); // the records' paths and strings go with them
    document->hasViewBox = 0;
    document->contentMinX = document->contentMinY = 0;
    document->contentMaxX = document->contentMaxY = 0;
    document->hasContentBounds = 0;
    document->aspect = AspectRatio();
    for (int& count : document->notDrawn)
        count = 0;
    ReleaseDocumentGradients(document);
    ReleaseDocumentClips(document);
    ReleaseDocumentGroups(document);
}

// Four numbers; a missing one reads as 0, and reading goes on only from a
// position past the current one.
static void ScanViewBox(const std::wstring& text, float values[4]) {
    int position = 1;
    for (int i = 0; i < 4; i++) {
        int next = ScanNumber(text, position, &values[i]);
        if (next > position)
            position = next;
    }
}

static void SetViewBox(SvgDocument* document, float x, float y, float width, float height) {
    document->viewBoxX = x;
    document->viewBoxY = y;
    document->viewBoxWidth = width;
    document->viewBoxHeight = height;
    document->hasViewBox = 1;
}

// A width or height of the root in pixels; a percentage is of a size the
// file does not know, and gives none.
static float RootSize(const std::wstring& text) {
    if (IsPercentage(text))
        return 0;
    const LengthBasis basis = {DefaultFontSize, 0, 0};
    return ResolveLength(text, basis, LengthHorizontal);
}

// The drawing's viewBox and size from the root element. Without a usable
// viewBox, one is derived from the width and height, a missing side copying
// the other.
void ReadDocumentSize(const XmlNode* root, SvgDocument* document) {
    document->viewBoxX = document->viewBoxY = 0;
    document->viewBoxWidth = document->viewBoxHeight = 0;
    document->width = document->height = 0;
    document->hasViewBox = 0;
    document->aspect = ParseAspectRatio(XmlAttribute(root, L"preserveAspectRatio"));
    std::wstring viewBox = TrimBlanks(XmlAttribute(root, L"viewBox"));
    if (!viewBox.empty()) {
        float v[4] = {0, 0, 0, 0};
        ScanViewBox(viewBox, v);
        if (v[2] > 0 && v[3] > 0)
            SetViewBox(document, v[0], v[1], v[2], v[3]);
    }
    document->width = RootSize(XmlAttribute(root, L"width"));
    document->height = RootSize(XmlAttribute(root, L"height"));
    if (document->hasViewBox)
        return;
    if (document->width > 0 && document->height > 0) {
        SetViewBox(document, 0, 0, document->width, document->height);
    } else if (document->width > 0) {
        document->height = document->width;
        SetViewBox(document, 0, 0, document->width, document->width);
    } else if (document->height > 0) {
        document->width = document->height;
        SetViewBox(document, 0, 0, document->height, document->height);
    }
}

void DocumentViewportSize(const SvgDocument* document, float* width, float* height) {
    *width = *height = 100.0f;
    if (document->hasViewBox) {
        *width = document->viewBoxWidth;
        *height = document->viewBoxHeight;
    }
}

static int Fail(const std::wstring& message) {
    ReportLastError(message);
    return 0;
}

// The tree of the file, or null after reporting why there is none. The
// tree is kept in *tree as soon as it exists, for the caller to release.
static XmlTree* ParseFileOrReport(const std::wstring& path, XmlTree** tree) {
    *tree = LoadXmlTree(path);
    if (!*tree) {
        Fail(L"Failed to parse SVG XML.");
        return nullptr;
    }
    if (!XmlParseSucceeded(*tree)) {
        std::wstring message = L"SVG XML error: " + XmlErrorMessage(*tree) + L" (line " +
                               std::to_wstring(XmlErrorLine(*tree)) + L")";
        ReleaseXmlTree(*tree);
        *tree = nullptr;
        Fail(message);
        return nullptr;
    }
    return *tree;
}

static void FindStyleSheetAndGradient(const XmlNode* element, void*) {
    CollectStyleSheet(element);
    RegisterGradientElement(element);
}

static bool IsStyleOrGradientName(const std::wstring& name) {
    return IsStyleElementName(name) || IsGradientElementName(name);
}

// Gradients and style sheets are read from the whole tree, in document
// order, before the walk, so shapes find them wherever in the file they
// stand. The tree lists its elements by name: the rest are not visited.
static void BuildRecords(const XmlTree* tree, const XmlNode* root, SvgDocument* document) {
    ReadDocumentSize(root, document);
    // Style sheets first: stop colours come through them.
    ClearStyleSheetRules();
    ClearGradientRegistries();
    ClearPaintServerLookups();
    XmlVisitElementsNamed(tree, IsStyleOrGradientName, kMaxElementSearchDepth,
                          FindStyleSheetAndGradient, nullptr);
    float viewportWidth = 0, viewportHeight = 0;
    DocumentViewportSize(document, &viewportWidth, &viewportHeight);
    BuildGradientRegistry(viewportWidth, viewportHeight);
    // The root's own attributes apply to everything; the root itself, whatever
    // its name, is never drawn.
    StyleState state = StyleState();
    InitRootStyleState(&state);
    state.viewportWidth = viewportWidth;
    state.viewportHeight = viewportHeight;
    ApplyPresentation(root, &state, &state);
    ReserveShapeRecords(document, XmlElementCount(tree));
    WalkDocument(root, document, &state);
    CopyReferencedGradients(document);
}

static int LoadTree(const std::wstring& path, SvgDocument* document, XmlTree** tree) {
    if (RegularFileSize(path) <= 0)
        return Fail(L"SVG file not found or empty: " + path);
    if (!ParseFileOrReport(path, tree))
        return 0;
    const XmlNode* root = XmlRootElement(*tree);
    if (!root)
        return Fail(L"SVG file has no root element.");
    BuildRecords(*tree, root, document);
    return 1;
}

// Memory can run out anywhere in a load (the readers use the standard
// containers): the load then fails as a whole and releases what it made.
int LoadSvgDocument(const std::wstring& path, SvgDocument* document) {
    ClearSvgDocument(document);
    XmlTree* tree = nullptr;
    int loaded = 0;
    try {
        loaded = LoadTree(path, document, &tree);
    } catch (...) {
        ClearSvgDocument(document);
        ClearGradientRegistries();
        ClearStyleSheetRules();
        try {
            Fail(L"Out of memory.");
        } catch (...) {
            // not even the message fits
        }
    }
    if (tree)
        ReleaseXmlTree(tree);
    return loaded;
}
