// The clip regions a document keeps for its records.
#include "svg/records/clips.h"

#include <new>

#include "render/graphics.h"
#include "svg/records/document.h"

namespace {

DocumentClips* ClipsOf(SvgDocument* document) {
    if (!document->clips)
        document->clips = new (std::nothrow) DocumentClips();
    return document->clips;
}

} // namespace

void DeleteClipShapes(std::vector<ClipShape>* shapes) {
    for (ClipShape& shape : *shapes)
        GfxDeletePath(shape.path);
    shapes->clear();
}

int ReserveClipRegion(SvgDocument* document, int parent) {
    DocumentClips* clips = ClipsOf(document);
    if (!clips)
        return 0;
    clips->regions.push_back(ClipRegion{0, 0, parent});
    return static_cast<int>(clips->regions.size());
}

void FillClipRegion(SvgDocument* document, int region, std::vector<ClipShape>* shapes) {
    DocumentClips* clips = document->clips;
    if (!clips || region < 1 || region > static_cast<int>(clips->regions.size())) {
        DeleteClipShapes(shapes);
        return;
    }
    ClipRegion& entry = clips->regions[region - 1];
    entry.firstShape = static_cast<int>(clips->shapes.size());
    entry.shapeCount = static_cast<int>(shapes->size());
    clips->shapes.insert(clips->shapes.end(), shapes->begin(), shapes->end());
    shapes->clear();
}

void ReleaseDocumentClips(SvgDocument* document) {
    if (!document->clips)
        return;
    DeleteClipShapes(&document->clips->shapes);
    delete document->clips;
    document->clips = nullptr;
}
