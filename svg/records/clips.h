// Clip regions: what a «clipPath» (or a nested viewport) leaves visible of
// the shapes it cuts. Records carry the number of their region; the
// rasterizer turns each region into a graphics clip.
#pragma once

#include <vector>

#include "svg/values/transform.h"

struct GfxPath;
struct SvgDocument;

// Clip paths cut by clip paths (on themselves or on their children) are
// followed this many levels deep, when records are built and when they are
// drawn; a chain of regions through shapes' own clips is at most this long.
const int MaxClipNesting = 16;

// One shape of a clip path: the area inside the path (its fill mode is the
// clip rule) under the matrix (user space to document space), cut by its own
// region when clip is not 0.
struct ClipShape {
    GfxPath* path; // owned by the document's clips
    Matrix2D matrix;
    int clip;
};

// The union of the region's shapes, intersected with the parent region. A
// region without shapes leaves nothing visible.
struct ClipRegion {
    int firstShape, shapeCount; // into DocumentClips::shapes
    int parent;                 // region number, 0 none
};

struct DocumentClips {
    std::vector<ClipShape> shapes;
    std::vector<ClipRegion> regions; // region number n is regions[n - 1]
};

// A new region with no shapes yet, cut by parent; its number, or 0 when no
// storage can be had.
int ReserveClipRegion(SvgDocument* document, int parent);
// Gives the reserved region its shapes, taking over their paths.
void FillClipRegion(SvgDocument* document, int region, std::vector<ClipShape>* shapes);
// Deletes the shapes' paths and empties the list.
void DeleteClipShapes(std::vector<ClipShape>* shapes);
void ReleaseDocumentClips(SvgDocument* document);
