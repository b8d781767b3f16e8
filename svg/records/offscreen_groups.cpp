// Offscreen groups and masks of a document, and the record lists they keep.
#include "svg/records/offscreen_groups.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "render/graphics.h"
#include "svg/records/document.h"
#include "svg/style/style.h"

namespace {

DocumentGroups* GroupsOf(SvgDocument* document) {
    if (!document->groups)
        document->groups = new (std::nothrow) DocumentGroups();
    return document->groups;
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

void TakeRecordBounds(OffscreenGroup* group, const ShapeRecord& record) {
    if (!record.path || GfxGetPathPointCount(record.path) <= 0)
        return;
    const Matrix2D& m = record.matrix;
    const float elements[6] = {m.a, m.b, m.c, m.d, m.e, m.f};
    GfxRectF box;
    if (!GfxGetPathBounds(record.path, elements, &box))
        return;
    float pad = StrokeReach(record);
    AddToBounds(&group->bounds, box.x - pad, box.y - pad, box.x + box.width + pad,
                box.y + box.height + pad);
}

// A filter inside the group draws over its whole region: the group's
// bounds take the regions of the filtered groups between the record's group
// (inner) and the group itself.
void TakeFilterBounds(const SvgDocument* document, OffscreenGroup* group, int number, int inner) {
    for (int n = inner; n > number;) {
        const OffscreenGroup* g = OffscreenGroupOf(document, n);
        if (!g || g->parent >= n)
            return;
        if (g->filter && g->bounds.any)
            AddToBounds(&group->bounds, g->bounds.minX, g->bounds.minY, g->bounds.maxX,
                        g->bounds.maxY);
        n = g->parent;
    }
}

void FadeRecord(ShapeRecord* record, float opacity) {
    record->fillOpacity *= opacity;
    record->strokeOpacity *= opacity;
    record->fillColor = ScaleAlpha(record->fillColor, opacity);
    record->strokeColor = ScaleAlpha(record->strokeColor, opacity);
}

} // namespace

int AddOffscreenGroup(SvgDocument* document, int parent, float opacity) {
    DocumentGroups* groups = GroupsOf(document);
    if (!groups)
        return 0;
    OffscreenGroup group = OffscreenGroup();
    group.parent = parent;
    group.opacity = std::min(std::max(opacity, 0.0f), 1.0f);
    group.used = 1;
    groups->groups.push_back(group);
    return static_cast<int>(groups->groups.size());
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

int AddDocumentMask(SvgDocument* document, GroupMask* mask) {
    DocumentGroups* groups = GroupsOf(document);
    if (!groups) {
        ReleaseRecords(&mask->content);
        return 0;
    }
    return AddWithContent(&groups->masks, mask);
}

int AddDocumentFilterImage(SvgDocument* document, FilterImage* image) {
    DocumentGroups* groups = GroupsOf(document);
    if (!groups) {
        ReleaseRecords(&image->content);
        return 0;
    }
    return AddWithContent(&groups->images, image);
}

const FilterImage* FilterImageOf(const SvgDocument* document, int image) {
    if (!document->groups || image < 1 || image > static_cast<int>(document->groups->images.size()))
        return nullptr;
    return &document->groups->images[image - 1];
}

int AddDocumentPattern(SvgDocument* document, PatternTile* tile) {
    DocumentGroups* groups = GroupsOf(document);
    if (!groups) {
        ReleaseRecords(&tile->content);
        return 0;
    }
    return AddWithContent(&groups->patterns, tile);
}

int AddDocumentFilter(SvgDocument* document, FilterRecord* filter) {
    DocumentGroups* groups = GroupsOf(document);
    if (!groups)
        return 0;
    groups->filters.push_back(std::move(*filter));
    return static_cast<int>(groups->filters.size());
}

const FilterRecord* FilterRecordOf(const SvgDocument* document, int filter) {
    if (!document->groups || filter < 1 ||
        filter > static_cast<int>(document->groups->filters.size()))
        return nullptr;
    return &document->groups->filters[filter - 1];
}

const PatternTile* PatternTileOf(const SvgDocument* document, int tile) {
    if (!document->groups || tile < 1 || tile > static_cast<int>(document->groups->patterns.size()))
        return nullptr;
    return &document->groups->patterns[tile - 1];
}

OffscreenGroup* OffscreenGroupOf(const SvgDocument* document, int group) {
    if (!document->groups || group < 1 || group > static_cast<int>(document->groups->groups.size()))
        return nullptr;
    return &document->groups->groups[group - 1];
}

const GroupMask* GroupMaskOf(const SvgDocument* document, int mask) {
    if (!document->groups || mask < 1 || mask > static_cast<int>(document->groups->masks.size()))
        return nullptr;
    return &document->groups->masks[mask - 1];
}

void FinishOffscreenGroup(SvgDocument* document, int number, int first) {
    OffscreenGroup* group = OffscreenGroupOf(document, number);
    if (!group || group->filter)
        return;
    for (int i = first; i < document->shapeCount; i++) {
        TakeRecordBounds(group, document->shapes[i]);
        TakeFilterBounds(document, group, number, document->shapes[i].group);
    }
    const int count = document->shapeCount - first;
    if (group->mask || group->blend)
        return;
    if (count == 0) {
        group->used = 0;
        return;
    }
    ShapeRecord& only = document->shapes[first];
    if (count == 1 && only.group == number && only.hasFill != only.hasStroke) {
        FadeRecord(&only, group->opacity);
        only.group = group->parent;
        group->used = 0;
    }
}

bool GroupIsWithin(const SvgDocument* document, int group, int ancestor) {
    if (ancestor == 0)
        return true;
    // Parents always have lower numbers, so the climb ends.
    for (int n = group; n > 0;) {
        if (n == ancestor)
            return true;
        const OffscreenGroup* entry = OffscreenGroupOf(document, n);
        if (!entry || entry->parent >= n)
            return false;
        n = entry->parent;
    }
    return false;
}

void ReleaseDocumentGroups(SvgDocument* document) {
    if (!document->groups)
        return;
    for (GroupMask& mask : document->groups->masks)
        ReleaseRecords(&mask.content);
    for (PatternTile& tile : document->groups->patterns)
        ReleaseRecords(&tile.content);
    for (FilterImage& image : document->groups->images)
        ReleaseRecords(&image.content);
    delete document->groups;
    document->groups = nullptr;
}
