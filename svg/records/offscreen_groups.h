// Offscreen groups: an element with an opacity below 1 or a mask is drawn
// into a bitmap of its own, which is then composited with its opacity and
// mask. Records carry the number of their innermost group; a mask keeps
// its own records, walked once for every element it masks.
#pragma once

#include <vector>

#include "svg/values/transform.h"

struct ShapeRecord;
struct SvgDocument;

// Records drawn into an offscreen bitmap of their own (a mask's content).
// Record storage, here and in a document, is raw memory for `capacity`
// records of which the first `count` are made (records are made as they
// are added: a large reserve is not written twice).
struct RecordList {
    ShapeRecord* shapes; // owned, with their paths
    int count, capacity;
};

// Ends the first `count` records of the storage and frees it (paths stay).
void FreeRecordStorage(ShapeRecord* shapes, int count);

struct OffscreenGroup {
    int parent;                   // enclosing group number, 0 none
    float opacity;                // 0..1
    int mask;                     // mask number, 0 none
    int used;                     // 0: drawn as plain records (folded, or nothing inside)
    float minX, minY, maxX, maxY; // document-space bounds of its records, strokes included
    int hasBounds;
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

struct DocumentGroups {
    std::vector<OffscreenGroup> groups; // group n is groups[n - 1]
    std::vector<GroupMask> masks;       // mask n is masks[n - 1]
    std::vector<PatternTile> patterns;  // tile n is patterns[n - 1]
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
// Ends a group whose records are the document's records from first on: takes
// their bounds, and folds a maskless group holding one record that only
// fills or only strokes into that record (its colours fade instead), which
// draws the same without an offscreen bitmap.
void FinishOffscreenGroup(SvgDocument* document, int group, int first);
// Whether group lies inside group ancestor (or is it).
bool GroupIsWithin(const SvgDocument* document, int group, int ancestor);
// Exchanges the document's records with the list's: a walk into an empty
// list fills it, and a second exchange gives the document its records back.
void SwapRecords(SvgDocument* document, RecordList* list);
void ReleaseRecords(RecordList* list);
void ReleaseDocumentGroups(SvgDocument* document);
