#include "svg/records/images.h"

#include <new>
#include <utility>

#include "svg/records/document.h"

namespace {

void ReleaseNested(DocumentImage* image) {
    if (image->nested) {
        ClearSvgDocument(image->nested);
        delete image->nested;
        image->nested = nullptr;
    }
}

} // namespace

int AddDocumentImage(SvgDocument* document, DocumentImage* image) {
    try {
        if (!document->images)
            document->images = new DocumentImages();
        document->images->images.push_back(std::move(*image));
        image->nested = nullptr; // the document's now
        return static_cast<int>(document->images->images.size());
    } catch (const std::bad_alloc&) {
        ReleaseNested(image);
        return 0;
    }
}

const DocumentImage* DocumentImageOf(const SvgDocument* document, int image) {
    if (!document->images || image < 1 || image > static_cast<int>(document->images->images.size()))
        return nullptr;
    return &document->images->images[image - 1];
}

void ReleaseDocumentImages(SvgDocument* document) {
    if (!document->images)
        return;
    for (DocumentImage& image : document->images->images)
        ReleaseNested(&image);
    delete document->images;
    document->images = nullptr;
}
