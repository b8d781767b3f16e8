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

static void CopyRegisteredGradient(const GradientRegistry* gradients, DocumentGradients* copy,
                                   const std::wstring& id) {
    if (id.empty() || copy->byId.count(id))
        return;
    if (const GradientDef* definition = FindRegisteredGradient(gradients, id))
        copy->byId[id] = *definition;
}

// Called at the end of a load, with its gradient table: the document draws
// from its own copy once the load is over.
static void CopyRecordGradients(const GradientRegistry* gradients, DocumentGradients* copy,
                                const ShapeRecord* shapes, int count) {
    for (int i = 0; i < count; i++) {
        CopyRegisteredGradient(gradients, copy, TextOf(shapes[i].fillRef));
        CopyRegisteredGradient(gradients, copy, TextOf(shapes[i].strokeRef));
    }
}

void CopyReferencedGradients(const GradientRegistry* gradients, SvgDocument* document) {
    if (!document)
        return;
    ReleaseDocumentGradients(document);
    // Held until it is complete: copying can run out of memory.
    std::unique_ptr<DocumentGradients> copy(new (std::nothrow) DocumentGradients);
    if (!copy)
        return;
    CopyRecordGradients(gradients, copy.get(), document->shapes, document->shapeCount);
    if (document->groups) {
        for (const GroupMask& mask : document->groups->masks)
            CopyRecordGradients(gradients, copy.get(), mask.content.shapes, mask.content.count);
        for (const PatternTile& tile : document->groups->patterns)
            CopyRecordGradients(gradients, copy.get(), tile.content.shapes, tile.content.count);
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
