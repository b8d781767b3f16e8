// The rasterizer's working records: the bitmaps it draws on, what one render
// may spend, and the operations its parts share (clip regions, images).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "render/graphics.h"
#include "render/graphics_owned.h"
#include "render/region_rows.h"
#include "render/shape_fitting.h"
#include "svg/records/document.h"
#include "svg/records/work_budget.h"
#include "svg/values/transform.h"

// The document's clip regions in buffer pixels, each made when a record
// first needs it and kept for the one drawing. A surface needs few of a
// document's regions: they are held by number, not in a table of them all.
struct ClipCache {
    const DocumentClips* clips;
    GfxMatrix* base;
    DeviceBox area;                          // the pixels drawn on
    std::map<int, GfxOwned<GfxRegion>> full; // by region number, once made
    std::map<int, RegionRows> rows;          // those of many shapes, also as rows
    std::set<int> boxed;                     // made for one record's box first (ClipRegionWithin)
};

struct PixelRect {
    int left, top, right, bottom; // right and bottom exclusive
};

// A bitmap being drawn on: the target buffer or a group's offscreen one.
// Its objects are owned, so that an allocation failing halfway through a
// drawing leaves nothing behind.
struct Surface {
    GfxOwned<GfxGraphics> graphics;
    uint32_t* pixels;
    int left, top, width, height; // its place in the target buffer
    PixelRect drawn;              // the pixels the graphics draws on, in the bitmap
    GfxOwned<GfxMatrix> base;     // the document's space into the graphics' pixels
    ClipCache clips;
    int clip;     // the clip region the graphics' clip is set to
    bool clipCut; // to the part of it under the last record (render/region_rows.h)
    bool clipUsable;
    std::vector<uint32_t> storage; // an offscreen bitmap's pixels
};

// What one render may spend and has spent (offscreen pixels included), what
// was drawn without its bitmap because of the budget, the filtered groups
// drawn unfiltered for it, and the shapes left out (in whole or in part) for
// coordinates GDI+ cannot take or for memory it could not have.
struct RenderBudget {
    int faded;
    int unfiltered;
    int leftOut;
    WorkBudget work, workSpent;
    int pastWork;    // shapes not painted: the work budget was spent
    int pastStops;   // the shape whose gradient stops did not fit (the rest are pastWork)
    int solidDashes; // dashed strokes drawn solid: their dashes did not fit
    int outOfMemory; // shapes left out in whole or in part: GDI+ had no memory
    int drawn;       // shapes drawn in whole or in part
};

// Counts a shape by what painting it came to (PaintOutcome bits): one left
// out in part for both reasons counts as out of memory.
void CountPaintOutcome(RenderBudget* budget, int outcome);

// Offscreen content that one render draws once and every element using it
// the same way shares: a mask's coverage over the groups it masks, a
// pattern's tile at one size and opacity. Content used once is not kept.
typedef std::array<uint32_t, 11> OffscreenKey; // the content's number, then bit patterns

struct CachedMask {
    bool drawn;                    // tried: empty coverage means it could not be drawn
    PixelRect rect;                // the pixels covered, in the buffer
    std::vector<uint8_t> coverage; // each use then draws its own
};

// The groups one mask masks: how many, and their document-space bounds.
struct MaskUsers {
    int count;
    Bounds bounds;
};

struct CachedTile {
    int uses;
    std::unique_ptr<Surface> bitmap; // the brush's pixels
    GfxOwned<GfxBrush> brush;        // null until drawn
};

struct RenderCache {
    std::vector<MaskUsers> maskUsers;         // by mask number
    std::map<OffscreenKey, CachedMask> masks; // by mask, base matrix and drawn area
    std::map<OffscreenKey, CachedTile> tiles; // by tile, pixel size and opacity
};

// The key of content `number` drawn under the values (at most 10).
OffscreenKey MakeOffscreenKey(int number, const float* values, int count);

struct RenderState {
    const SvgDocument* document;
    GfxRectF area;   // what may be drawn on, in the target buffer
    GfxMatrix* base; // the document's space into the target buffer
    RenderBudget* budget;
    RenderCache* cache;
};

// The pixels the surface's graphics draws on, in its own coordinates.
DeviceBox DrawnArea(const Surface& s);

// Region number n of the document's clips cut by every region above it, made
// once per surface; null when it cannot be made (nothing is then drawn
// through it).
GfxRegion* FullClipRegion(ClipCache* cache, int n, int nesting);
// Region n made for the pixels of the box alone: those of its own shapes that
// reach into the box, cut by the regions above it (made whole, once per
// surface). Not kept; null when it cannot be made. *none is set when no shape
// reaches into the box: nothing shows through the region there.
GfxRegion* ClipRegionWithin(ClipCache* cache, int n, const DeviceBox& box, bool* none);

// A transparent offscreen surface over the rectangle; null past the budget
// or when the memory cannot be had.
std::unique_ptr<Surface> NewOffscreen(RenderState* r, const PixelRect& rect);

// Ends drawing; the pixels are complete once this returns.
void EndSurface(Surface* s);

// Draws the records in order on the root surface, each inside its groups.
void DrawRecords(RenderState* r, const ShapeRecord* shapes, int count, Surface* root);

// Draws the records on a new transparent bitmap of across x down pixels,
// the document's space mapped onto it by base; null past the budget (counted
// with the faded groups) or when it cannot be made.
std::unique_ptr<Surface> DrawOnOwnBitmap(RenderState* r, const SvgDocument* document,
                                         GfxMatrix* base, const ShapeRecord* shapes, int count,
                                         int across, int down);

Matrix2D ElementsOf(GfxMatrix* matrix);

// Draws the image of a record inside its rectangle, sampled as it asks.
void PaintImageRecord(RenderState* r, Surface* s, const ShapeRecord& shape, float fade);
