// Offscreen groups: an element with an opacity below 1, a mask or a filter
// is drawn into a bitmap of its own, which is then filtered and composited
// with its opacity and mask. Records carry the number of their innermost group; a mask keeps
// its own records, walked once for every element it masks.
#pragma once

#include <vector>

#include "svg/records/bounds.h"
#include "svg/records/document.h"
#include "svg/records/filters.h"
#include "svg/values/transform.h"

struct ShapeRecord;
struct SvgDocument;

struct OffscreenGroup {
    int parent;    // enclosing group number, 0 none
    float opacity; // 0..1
    int mask;      // mask number, 0 none
    int filter;    // filter number, 0 none
    int clip;      // clip region cutting what the filter draws (its records have none), 0 none
    int used;      // 0: drawn as plain records (folded, or nothing inside)
    int blend;     // how it mixes with what lies beneath (svg/values/blend_mode.h)
    Bounds bounds; // document-space bounds of its records, strokes included
};

struct GroupMask {
    RecordList content;
    int luminance; // 1: the content's luminance masks; 0: its alpha (mask-type: alpha)
};

// A pattern's tile for one shape: the rectangle (x, y, width, height) of
// pattern space it repeats, and its content drawn in that space.
struct PatternTile {
    RecordList content;
    float x, y, width, height;
    Matrix2D transform; // pattern space into the shape's user space
};

// What an feImage draws: an element of the drawing, its records placed in
// the filtered element's user space.
struct FilterImage {
    RecordList content;
};

struct DocumentGroups {
    std::vector<OffscreenGroup> groups; // group n is groups[n - 1]
    std::vector<GroupMask> masks;       // mask n is masks[n - 1]
    std::vector<PatternTile> patterns;  // tile n is patterns[n - 1]
    std::vector<FilterRecord> filters;  // filter n is filters[n - 1]
    std::vector<FilterImage> images;    // filter image n is images[n - 1]
};

// A new group inside parent; its number, or 0 when no storage can be had.
int AddOffscreenGroup(SvgDocument* document, int parent, float opacity);
// Stores the tile, taking over its content, likewise.
int AddDocumentPattern(SvgDocument* document, PatternTile* tile);
OffscreenGroup* OffscreenGroupOf(const SvgDocument* document, int group);
const PatternTile* PatternTileOf(const SvgDocument* document, int tile);
const GroupMask* GroupMaskOf(const SvgDocument* document, int mask);
// Stores the mask, taking over its content; its number, or 0 when no
// storage can be had (the content is then released).
int AddDocumentMask(SvgDocument* document, GroupMask* mask);
// Stores the filter, taking over its primitives; its number, or 0 when no
// storage can be had.
int AddDocumentFilter(SvgDocument* document, FilterRecord* filter);
const FilterRecord* FilterRecordOf(const SvgDocument* document, int filter);
// Stores the filter image, taking over its content, as masks are stored.
int AddDocumentFilterImage(SvgDocument* document, FilterImage* image);
const FilterImage* FilterImageOf(const SvgDocument* document, int image);
// Ends a group whose records are the document's records from first on: takes
// their bounds, and folds a maskless group holding one record that only
// fills or only strokes into that record (its colours fade instead), which
// draws the same without an offscreen bitmap. A filtered group is never
// folded: its bounds are its filter's region, set by whoever filters it.
void FinishOffscreenGroup(SvgDocument* document, int group, int first);
// Whether group lies inside group ancestor (or is it).
bool GroupIsWithin(const SvgDocument* document, int group, int ancestor);
void ReleaseDocumentGroups(SvgDocument* document);
