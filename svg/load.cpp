// Loading an SVG file into a document: the file's XML tree, its style sheets
// and gradients (kept in the load's own context), then the records built
// from the tree.
#include "svg/load.h"

#include <string>

#include "svg/base/file_access.h"
#include "svg/base/image_source.h"
#include "svg/base/report.h"
#include "svg/build/document_size.h"
#include "svg/build/walker.h"
#include "svg/css/style_sheet.h"
#include "svg/records/document.h"
#include "svg/records/document_gradients.h"
#include "svg/style/gradient_chains.h"
#include "svg/style/gradients.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_parse.h"
#include "svg/xml/xml_tree.h"

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

static void FindStyleSheetAndGradient(const XmlNode* element, void* context) {
    LoadContext* load = static_cast<LoadContext*>(context);
    CollectStyleSheet(&load->sheets, element);
    RegisterGradientElement(&load->gradients, element);
}

static bool IsStyleOrGradientName(const std::wstring& name) {
    return IsStyleElementName(name) || IsGradientElementName(name);
}

// Gradients and style sheets are read from the whole tree, in document
// order, before the walk, so shapes find them wherever in the file they
// stand. The tree lists its elements by name: the rest are not visited.
static void ReadSheetsAndGradients(LoadContext* context, const XmlTree* tree, float viewportWidth,
                                   float viewportHeight) {
    // Style sheets first: stop colours come through them.
    XmlVisitElementsNamed(tree, IsStyleOrGradientName, kMaxElementSearchDepth,
                          FindStyleSheetAndGradient, context);
    BuildGradientRegistry(context, viewportWidth, viewportHeight);
}

// The root's own attributes apply to everything; the root itself, whatever
// its name, is never drawn.
static StyleState RootState(LoadContext* context, const XmlNode* root, float viewportWidth,
                            float viewportHeight) {
    StyleState state = StyleState();
    InitRootStyleState(&state);
    state.viewportWidth = viewportWidth;
    state.viewportHeight = viewportHeight;
    ApplyPresentation(context, root, &state, &state);
    return state;
}

// The steps of a load once the file's tree is there. What the sheets and
// gradients hold lives in this load's own context and goes with it.
static void BuildRecords(const XmlTree* tree, const XmlNode* root, const ImageScope& images,
                         SvgDocument* document) {
    ReadDocumentSize(root, document);
    float viewportWidth = 0, viewportHeight = 0;
    DocumentViewportSize(document, &viewportWidth, &viewportHeight);
    LoadContext context;
    context.images = images;
    ReadSheetsAndGradients(&context, tree, viewportWidth, viewportHeight);
    const StyleState state = RootState(&context, root, viewportWidth, viewportHeight);
    if (state.displayNone) // display: none on the root hides the drawing
        return;
    ReserveShapeRecords(document, XmlElementCount(tree));
    WalkDocument(&context, root, document, &state);
    CopyReferencedGradients(&context.gradients, document);
}

// A drawing drawn as an image: loaded from its bytes like a file, without
// a message when it cannot be (the image is counted as not drawn instead).
static int LoadNestedDrawing(const std::string& bytes, const ImageScope& scope,
                             SvgDocument* document) {
    XmlTree* tree = ParseXmlTree(bytes.data(), bytes.size());
    const XmlNode* root = tree && XmlParseSucceeded(tree) ? XmlRootElement(tree) : nullptr;
    try {
        if (root)
            BuildRecords(tree, root, scope, document);
    } catch (...) {
        ReleaseXmlTree(tree); // the load as a whole fails
        throw;
    }
    if (tree)
        ReleaseXmlTree(tree);
    return root ? 1 : 0;
}

// The images of a file: files beside it may be read, the file itself not.
static ImageScope FileImageScope(const std::wstring& path) {
    ImageScope scope;
    scope.folder = FolderOfFile(path);
    scope.drawing.push_back(ComparablePath(path));
    scope.filesAllowed = 1;
    scope.loadDrawing = LoadNestedDrawing;
    return scope;
}

static int LoadTree(const std::wstring& path, SvgDocument* document, XmlTree** tree) {
    if (RegularFileSize(path) <= 0)
        return Fail(L"SVG file not found or empty: " + path);
    if (!ParseFileOrReport(path, tree))
        return 0;
    const XmlNode* root = XmlRootElement(*tree);
    if (!root)
        return Fail(L"SVG file has no root element.");
    BuildRecords(*tree, root, FileImageScope(path), document);
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
