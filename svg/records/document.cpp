// A document's records and what it owns: storage that grows as records are
// added, and emptying it again.
#include "svg/records/document.h"

#include <climits>
#include <new>
#include <utility>

#include "render/graphics.h"
#include "svg/records/clips.h"
#include "svg/records/document_gradients.h"
#include "svg/records/images.h"
#include "svg/records/not_drawn.h"
#include "svg/records/offscreen_groups.h"

void ClearSvgDocument(SvgDocument* document) {
    if (!document)
        return;
    RecordList records = RecordList();
    SwapRecords(document, &records);
    ReleaseRecords(&records); // the records' paths and strings go with them
    document->hasViewBox = 0;
    document->content = Bounds();
    document->aspect = AspectRatio();
    for (int& count : document->notDrawn)
        count = 0;
    document->loadWork = WorkBudget();
    ReleaseUnknownElements(document);
    ReleaseDocumentGradients(document);
    ReleaseDocumentClips(document);
    ReleaseDocumentGroups(document);
    ReleaseDocumentImages(document);
}

void DocumentViewportSize(const SvgDocument* document, float* width, float* height) {
    *width = *height = 100.0f;
    if (document->hasViewBox) {
        *width = document->viewBoxWidth;
        *height = document->viewBoxHeight;
    }
}

// Moves the records into new storage of `capacity` records; false when it
// cannot be had.
static bool GrowShapeRecords(SvgDocument* document, int capacity) {
    void* memory =
        ::operator new(sizeof(ShapeRecord) * static_cast<size_t>(capacity), std::nothrow);
    if (!memory)
        return false;
    ShapeRecord* storage = static_cast<ShapeRecord*>(memory);
    for (int i = 0; i < document->shapeCount; i++)
        new (&storage[i]) ShapeRecord(std::move(document->shapes[i]));
    FreeRecordStorage(document->shapes, document->shapeCount);
    document->shapes = storage;
    document->shapeCapacity = capacity;
    return true;
}

ShapeRecord* AppendShapeRecord(SvgDocument* document) {
    if (!document)
        return nullptr;
    if (document->shapeCount >= document->shapeCapacity) {
        if (document->shapeCapacity > INT_MAX / 2)
            return nullptr;
        int capacity = document->shapeCapacity < 16 ? 32 : document->shapeCapacity * 2;
        if (!GrowShapeRecords(document, capacity))
            return nullptr;
    }
    // Value-initialised: every new record starts all zero.
    return new (&document->shapes[document->shapeCount++]) ShapeRecord();
}

void ReserveShapeRecords(SvgDocument* document, size_t count) {
    // A file of very many elements that are no shapes (stops, groups) must
    // not reserve memory it will never use: past this, storage grows as the
    // records come.
    const size_t MaxReserved = 1 << 18;
    if (count > MaxReserved)
        count = MaxReserved;
    if (document && count > static_cast<size_t>(document->shapeCapacity))
        GrowShapeRecords(document, static_cast<int>(count));
}

void SwapRecords(SvgDocument* document, RecordList* list) {
    std::swap(document->shapes, list->shapes);
    std::swap(document->shapeCount, list->count);
    std::swap(document->shapeCapacity, list->capacity);
}

void FreeRecordStorage(ShapeRecord* shapes, int count) {
    for (int i = 0; i < count; i++)
        shapes[i].~ShapeRecord();
    ::operator delete(shapes);
}

void ReleaseRecords(RecordList* list) {
    for (int i = 0; i < list->count; i++) {
        if (list->shapes[i].path)
            GfxDeletePath(list->shapes[i].path);
    }
    FreeRecordStorage(list->shapes, list->count);
    *list = RecordList();
}
