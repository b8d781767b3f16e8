// Each document's own copy of the gradients its shapes refer to.
#include "svg/records/document_gradients.h"

#include <memory>
#include <new>
#include <string>
#include <unordered_map>

#include "svg/records/document.h"
#include "svg/records/offscreen_groups.h"
#include "svg/style/gradients.h"

typedef std::unordered_map<std::wstring, GradientDef> GradientsById;

struct DocumentGradients {
    GradientsById byId;
};

static void CopyRegisteredGradient(DocumentGradients* copy, const std::wstring& id) {
    if (id.empty() || copy->byId.count(id))
        return;
    if (const GradientDef* definition = FindRegisteredGradient(id))
        copy->byId[id] = *definition;
}

// Called at the end of a load, while the registries still describe this
// document: later loads then cannot change what this document draws.
static void CopyRecordGradients(DocumentGradients* copy, const ShapeRecord* shapes, int count) {
    for (int i = 0; i < count; i++) {
        CopyRegisteredGradient(copy, shapes[i].fillRef);
        CopyRegisteredGradient(copy, shapes[i].strokeRef);
    }
}

void CopyReferencedGradients(SvgDocument* document) {
    if (!document)
        return;
    ReleaseDocumentGradients(document);
    // Held until it is complete: copying can run out of memory.
    std::unique_ptr<DocumentGradients> copy(new (std::nothrow) DocumentGradients);
    if (!copy)
        return;
    CopyRecordGradients(copy.get(), document->shapes, document->shapeCount);
    if (document->groups) {
        for (const GroupMask& mask : document->groups->masks)
            CopyRecordGradients(copy.get(), mask.content.shapes, mask.content.count);
        for (const PatternTile& tile : document->groups->patterns)
            CopyRecordGradients(copy.get(), tile.content.shapes, tile.content.count);
    }
    if (!copy->byId.empty())
        document->gradients = copy.release();
}

void ReleaseDocumentGradients(SvgDocument* document) {
    if (!document)
        return;
    delete document->gradients;
    document->gradients = nullptr;
}

const GradientDef* FindDocumentGradient(const SvgDocument* document, const std::wstring& id) {
    if (!document || !document->gradients)
        return nullptr;
    GradientsById::const_iterator found = document->gradients->byId.find(id);
    return found == document->gradients->byId.end() ? nullptr : &found->second;
}
