// Loading an SVG file into a document and emptying it again.
#include "svg/document.h"

#include <string>

#include "render/graphics.h"
#include "svg/clip_paths.h"
#include "svg/element_walk.h"
#include "svg/file_access.h"
#include "svg/gradients.h"
#include "svg/paint_reference.h"
#include "svg/report.h"
#include "svg/scan.h"
#include "svg/style.h"
#include "svg/style_sheet.h"
#include "svg/text.h"
#include "svg/walker.h"
#include "svg/xml_tree.h"

void ClearSvgDocument(SvgDocument* document) {
    if (!document)
        return;
    for (int i = 0; i < document->shapeCount; i++) {
        if (document->shapes[i].path)
            GfxDeletePath(document->shapes[i].path);
    }
    delete[] document->shapes; // the records' strings go with them
    document->shapes = nullptr;
    document->shapeCount = 0;
    document->shapeCapacity = 0;
    document->hasViewBox = 0;
    document->contentMinX = document->contentMinY = 0;
    document->contentMaxX = document->contentMaxY = 0;
    document->hasContentBounds = 0;
    document->aspect = AspectRatio();
    for (int& count : document->notDrawn)
        count = 0;
    ReleaseDocumentGradients(document);
    ReleaseDocumentClips(document);
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
    document->width = ParseLength(XmlAttribute(root, L"width"));
    document->height = ParseLength(XmlAttribute(root, L"height"));
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

static int Fail(const std::wstring& message) {
    ReportLastError(message);
    return 0;
}

// The tree of the file, or null after reporting why there is none.
static XmlTree* ParseFileOrReport(const std::wstring& path) {
    XmlTree* tree = LoadXmlTree(path);
    if (!tree) {
        Fail(L"Failed to parse SVG XML.");
        return nullptr;
    }
    if (!XmlParseSucceeded(tree)) {
        std::wstring message = L"SVG XML error: " + XmlErrorMessage(tree) + L" (line " +
                               std::to_wstring(XmlErrorLine(tree)) + L")";
        ReleaseXmlTree(tree);
        Fail(message);
        return nullptr;
    }
    return tree;
}

// Gradients and style sheets are read from the whole tree before the walk,
// so shapes find them wherever in the file they stand.
static void DrawTree(const XmlNode* root, SvgDocument* document) {
    ReadDocumentSize(root, document);
    ClearGradientRegistries();
    ClearPaintServerLookups();
    RegisterGradientElements(root);
    BuildGradientRegistry();
    ClearStyleSheetRules();
    CollectStyleSheets(root);
    // The root's own attributes apply to everything; the root itself, whatever
    // its name, is never drawn.
    StyleState state = StyleState();
    InitRootStyleState(&state);
    ApplyPresentation(root, &state, &state);
    WalkDocument(root, document, &state);
    CopyReferencedGradients(document);
}

int LoadSvgDocument(const std::wstring& path, SvgDocument* document) {
    ClearSvgDocument(document);
    if (RegularFileSize(path) <= 0)
        return Fail(L"SVG file not found or empty: " + path);
    XmlTree* tree = ParseFileOrReport(path);
    if (!tree)
        return 0;
    const XmlNode* root = XmlRootElement(tree);
    if (!root) {
        ReleaseXmlTree(tree);
        return Fail(L"SVG file has no root element.");
    }
    DrawTree(root, document);
    ReleaseXmlTree(tree);
    return 1;
}
