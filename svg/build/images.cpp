#include "svg/build/images.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>

#include "render/graphics.h"
#include "svg/base/image_source.h"
#include "svg/base/strings.h"
#include "svg/build/shape_records.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/records/images.h"
#include "svg/style/load_context.h"
#include "svg/style/style.h"
#include "svg/values/viewport.h"
#include "svg/xml/xml_tree.h"

namespace {

// The largest bitmap decoded: 64 megapixels.
const size_t MaxImagePixels = size_t(64) << 20;

const std::wstring& HrefOf(const XmlNode* element) {
    const std::wstring& href = XmlAttribute(element, L"href");
    return href.empty() ? XmlAttribute(element, L"xlink:href") : href;
}

// A width or height: false when it is "auto" or not given.
bool GivenLength(const std::wstring& text, float reference, float* length) {
    const std::wstring value = TrimWhiteSpace(text);
    if (value.empty() || LowerTextIs(value, L"auto"))
        return false;
    *length = ViewportLength(value, reference, 0);
    return true;
}

// An image as the file gives it: its own size, and what of it is shown.
struct LoadedImage {
    DocumentImage image;
    float width, height;
};

// The drawing an SVG image shows, loaded as a document of its own one level
// deeper, reading no files.
bool LoadNestedDrawing(const ImageScope& scope, const ImageSource& source, const std::string& bytes,
                       LoadedImage* loaded) {
    DocumentImage* image = &loaded->image;
    if (!scope.loadDrawing)
        return false;
    ImageScope inner = scope;
    inner.depth = scope.depth + 1;
    inner.filesAllowed = 0;
    if (!source.inMemory) {
        inner.folder = FolderOfFile(source.path);
        inner.drawing.push_back(ComparablePath(source.path));
    }
    image->nested = new SvgDocument();
    if (!scope.loadDrawing(bytes, inner, image->nested))
        return false;
    const SvgDocument& d = *image->nested;
    float viewWidth = 100, viewHeight = 100;
    DocumentViewportSize(&d, &viewWidth, &viewHeight);
    image->box = ViewBox{d.hasViewBox ? d.viewBoxX : 0, d.hasViewBox ? d.viewBoxY : 0, viewWidth,
                         viewHeight};
    loaded->width = d.width > 0 ? d.width : viewWidth;
    loaded->height = d.height > 0 ? d.height : viewHeight;
    return true;
}

bool DecodeBitmap(const std::string& bytes, LoadedImage* loaded) {
    int width = 0, height = 0;
    if (!GfxDecodeImage(bytes.data(), bytes.size(), MaxImagePixels, &loaded->image.pixels, &width,
                        &height))
        return false;
    loaded->width = static_cast<float>(width);
    loaded->height = static_cast<float>(height);
    loaded->image.box = ViewBox{0, 0, loaded->width, loaded->height};
    return true;
}

// Reads and decodes the image the href names; false when it cannot be had.
bool LoadImage(const ImageScope& scope, const std::wstring& href, LoadedImage* loaded) {
    if (scope.depth >= MaxImageNesting)
        return false;
    ImageSource source;
    if (!ResolveImageHref(href, scope.folder, scope.filesAllowed, &source))
        return false;
    // A file that is being drawn (the drawing itself, or one it is inside)
    // draws nothing, so no drawing can take itself in for ever.
    if (!source.inMemory && std::find(scope.drawing.begin(), scope.drawing.end(),
                                      ComparablePath(source.path)) != scope.drawing.end())
        return false;
    std::string bytes;
    if (!ReadImageBytes(source, &bytes))
        return false;
    if (IsSvgImage(source.mediaType, bytes))
        return LoadNestedDrawing(scope, source, bytes, loaded);
    return DecodeBitmap(bytes, loaded);
}

void DropNested(DocumentImage* image) {
    if (image->nested) {
        ClearSvgDocument(image->nested);
        delete image->nested;
        image->nested = nullptr;
    }
}

// The rectangles' common part; false when they have none.
bool Intersect(const GfxRectF& a, const GfxRectF& b, GfxRectF* out) {
    const float left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const float right = std::min(a.x + a.width, b.x + b.width);
    const float bottom = std::min(a.y + a.height, b.y + b.height);
    if (!(left < right && top < bottom))
        return false;
    *out = GfxRectF{left, top, right - left, bottom - top};
    return true;
}

} // namespace

namespace {

// The path of the part of the viewport (x, y, width, height) the loaded
// image covers once placed in it as the aspect ratio says; the image is
// stored in the document, its number in *number. Null when it covers none.
GfxPath* PlaceImage(WalkContext* context, LoadedImage* loaded, const AspectRatio& aspect,
                    int pixelated, float x, float y, float width, float height, int* number) {
    DocumentImage& image = loaded->image;
    image.place = ViewBoxMatrix(image.box, aspect, x, y, width, height);
    image.pixelated = pixelated;
    // It fills the part of its viewport that the placed image covers.
    const Matrix2D& m = image.place;
    const ViewBox& box = image.box;
    const GfxRectF placed = {m.a * box.x + m.e, m.d * box.y + m.f, m.a * box.width,
                             m.d * box.height};
    GfxRectF filled;
    GfxOwnedPath path(GfxCreatePath());
    if (!path || !Intersect(placed, GfxRectF{x, y, width, height}, &filled)) {
        DropNested(&image);
        return nullptr;
    }
    GfxAddRectangle(path.get(), filled.x, filled.y, filled.width, filled.height);
    *number = AddDocumentImage(context->document, &image);
    return *number ? path.release() : nullptr;
}

// Loads the image the href names; false, counted with the images not
// drawn, when it cannot be had.
bool LoadCountedImage(WalkContext* context, const std::wstring& href, LoadedImage* loaded) {
    if (LoadImage(context->load->images, href, loaded) && loaded->width > 0 && loaded->height > 0)
        return true;
    context->document->notDrawn[NotDrawnImage]++;
    DropNested(&loaded->image);
    return false;
}

} // namespace

GfxPath* BuildImage(WalkContext* context, const XmlNode* element, const StyleState& state,
                    float viewportWidth, float viewportHeight, int* number) {
    *number = 0;
    if (state.hidden)
        return nullptr;
    float width = 0, height = 0;
    const bool hasWidth = GivenLength(XmlAttribute(element, L"width"), viewportWidth, &width);
    const bool hasHeight = GivenLength(XmlAttribute(element, L"height"), viewportHeight, &height);
    if ((hasWidth && !(width > 0)) || (hasHeight && !(height > 0)))
        return nullptr; // an empty viewport shows nothing
    LoadedImage loaded = LoadedImage();
    if (!LoadCountedImage(context, HrefOf(element), &loaded))
        return nullptr;
    // A missing side keeps the image's proportions; both missing, its own size.
    if (!hasWidth)
        width = hasHeight ? height * loaded.width / loaded.height : loaded.width;
    if (!hasHeight)
        height = hasWidth ? width * loaded.height / loaded.width : loaded.height;
    const float x = ViewportLength(XmlAttribute(element, L"x"), viewportWidth, 0);
    const float y = ViewportLength(XmlAttribute(element, L"y"), viewportHeight, 0);
    const AspectRatio aspect = ParseAspectRatio(XmlAttribute(element, L"preserveAspectRatio"));
    return PlaceImage(context, &loaded, aspect, state.pixelated, x, y, width, height, number);
}

GfxPath* BuildImageInRect(WalkContext* context, const XmlNode* element, const StyleState& state,
                          const float rect[4], int* number) {
    *number = 0;
    LoadedImage loaded = LoadedImage();
    if (!LoadCountedImage(context, HrefOf(element), &loaded))
        return nullptr;
    const AspectRatio aspect = ParseAspectRatio(XmlAttribute(element, L"preserveAspectRatio"));
    return PlaceImage(context, &loaded, aspect, state.pixelated, rect[0], rect[1], rect[2], rect[3],
                      number);
}

void CommitImage(WalkContext* context, GfxPath* path, const StyleState& state, int image,
                 std::wstring id) {
    StyleState painted = state;
    painted.hasFill = 1;
    painted.fillColor = 0xFFFFFFFFu; // the image paints; its alpha carries the opacity
    painted.fillOpacity = 1;
    painted.fillRef.reset();
    painted.fillRule = 1;
    painted.hasStroke = 0;
    SvgDocument* document = context->document;
    const int index = document->shapeCount;
    CommitShape(document, path, &painted, std::move(id));
    if (document->shapeCount > index)
        document->shapes[index].image = image;
}
