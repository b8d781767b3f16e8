// Group layers and masks of a document, and the record lists they keep.
#include "svg/group_layers.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "render/graphics.h"
#include "svg/document.h"
#include "svg/style.h"

namespace {

DocumentLayers* LayersOf(SvgDocument* document) {
    if (!document->layers)
        document->layers = new (std::nothrow) DocumentLayers();
    return document->layers;
}

// How far a stroke reaches beyond the path, in document units: half the
// width under the larger scale of the matrix, grown for miter joins and
// square caps.
float StrokeReach(const ShapeRecord& record) {
    if (!record.hasStroke)
        return 0;
    const Matrix2D& m = record.matrix;
    float scale = std::max(std::hypot(m.a, m.b), std::hypot(m.c, m.d));
    float joinFactor = record.lineJoin == 0 ? std::max(record.miterLimit, 1.5f) : 1.5f;
    return record.strokeWidth * scale * joinFactor / 2;
}

void GrowBounds(GroupLayer* layer, float minX, float minY, float maxX, float maxY) {
    if (!layer->hasBounds) {
        layer->minX = minX, layer->minY = minY, layer->maxX = maxX, layer->maxY = maxY;
        layer->hasBounds = 1;
        return;
    }
    layer->minX = std::min(layer->minX, minX);
    layer->minY = std::min(layer->minY, minY);
    layer->maxX = std::max(layer->maxX, maxX);
    layer->maxY = std::max(layer->maxY, maxY);
}

void TakeRecordBounds(GroupLayer* layer, const ShapeRecord& record) {
    if (!record.path || GfxGetPathPointCount(record.path) <= 0)
        return;
    const Matrix2D& m = record.matrix;
    const float elements[6] = {m.a, m.b, m.c, m.d, m.e, m.f};
    GfxRectF box;
    if (!GfxGetPathBounds(record.path, elements, &box))
        return;
    float pad = StrokeReach(record);
    GrowBounds(layer, box.x - pad, box.y - pad, box.x + box.width + pad, box.y + box.height + pad);
}

void FadeRecord(ShapeRecord* record, float opacity) {
    record->fillOpacity *= opacity;
    record->strokeOpacity *= opacity;
    record->fillColor = ScaleAlpha(record->fillColor, opacity);
    record->strokeColor = ScaleAlpha(record->strokeColor, opacity);
}

} // namespace

int AddGroupLayer(SvgDocument* document, int parent, float opacity) {
    DocumentLayers* layers = LayersOf(document);
    if (!layers)
        return 0;
    GroupLayer layer = GroupLayer();
    layer.parent = parent;
    layer.opacity = std::min(std::max(opacity, 0.0f), 1.0f);
    layer.used = 1;
    layers->layers.push_back(layer);
    return static_cast<int>(layers->layers.size());
}

namespace {

// Adds the entry (a mask or a tile) to the list, taking over its content.
template <class Entry> int AddWithContent(std::vector<Entry>* list, Entry* entry) {
    try {
        list->push_back(*entry);
    } catch (...) {
        ReleaseRecords(&entry->content);
        throw; // the load fails as a whole
    }
    entry->content = RecordList();
    return static_cast<int>(list->size());
}

} // namespace

int AddDocumentMask(SvgDocument* document, LayerMask* mask) {
    DocumentLayers* layers = LayersOf(document);
    if (!layers) {
        ReleaseRecords(&mask->content);
        return 0;
    }
    return AddWithContent(&layers->masks, mask);
}

int AddDocumentPattern(SvgDocument* document, PatternTile* tile) {
    DocumentLayers* layers = LayersOf(document);
    if (!layers) {
        ReleaseRecords(&tile->content);
        return 0;
    }
    return AddWithContent(&layers->patterns, tile);
}

const PatternTile* PatternTileOf(const SvgDocument* document, int tile) {
    if (!document->layers || tile < 1 || tile > static_cast<int>(document->layers->patterns.size()))
        return nullptr;
    return &document->layers->patterns[tile - 1];
}

GroupLayer* GroupLayerOf(const SvgDocument* document, int layer) {
    if (!document->layers || layer < 1 || layer > static_cast<int>(document->layers->layers.size()))
        return nullptr;
    return &document->layers->layers[layer - 1];
}

const LayerMask* LayerMaskOf(const SvgDocument* document, int mask) {
    if (!document->layers || mask < 1 || mask > static_cast<int>(document->layers->masks.size()))
        return nullptr;
    return &document->layers->masks[mask - 1];
}

void FinishGroupLayer(SvgDocument* document, int number, int first) {
    GroupLayer* layer = GroupLayerOf(document, number);
    if (!layer)
        return;
    for (int i = first; i < document->shapeCount; i++)
        TakeRecordBounds(layer, document->shapes[i]);
    const int count = document->shapeCount - first;
    if (layer->mask)
        return;
    if (count == 0) {
        layer->used = 0;
        return;
    }
    ShapeRecord& only = document->shapes[first];
    if (count == 1 && only.layer == number && only.hasFill != only.hasStroke) {
        FadeRecord(&only, layer->opacity);
        only.layer = layer->parent;
        layer->used = 0;
    }
}

bool LayerIsWithin(const SvgDocument* document, int layer, int ancestor) {
    if (ancestor == 0)
        return true;
    // Parents always have lower numbers, so the climb ends.
    for (int n = layer; n > 0;) {
        if (n == ancestor)
            return true;
        const GroupLayer* entry = GroupLayerOf(document, n);
        if (!entry || entry->parent >= n)
            return false;
        n = entry->parent;
    }
    return false;
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

void ReleaseDocumentLayers(SvgDocument* document) {
    if (!document->layers)
        return;
    for (LayerMask& mask : document->layers->masks)
        ReleaseRecords(&mask.content);
    for (PatternTile& tile : document->layers->patterns)
        ReleaseRecords(&tile.content);
    delete document->layers;
    document->layers = nullptr;
}
