#include "render/rasterizer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "render/compositing.h"
#include "render/filters/filter_chain.h"
#include "render/filters/filter_pixels.h"
#include "render/gradient_brush.h"
#include "render/graphics.h"
#include "render/graphics_owned.h"
#include "render/pixel_passes.h"
#include "render/raster_surface.h"
#include "render/shape_fitting.h"
#include "render/shape_paint.h"
#include "svg/records/clips.h"
#include "svg/records/document_gradients.h"
#include "svg/records/offscreen_groups.h"
#include "svg/records/work_budget.h"
#include "svg/style/gradients.h"

DeviceBox DrawnArea(const Surface& s) {
    return DeviceBox{0, 0, static_cast<double>(s.drawn.right - s.drawn.left),
                     static_cast<double>(s.drawn.bottom - s.drawn.top)};
}

Matrix2D ElementsOf(GfxMatrix* matrix) {
    float e[6];
    GfxGetMatrixElements(matrix, e);
    return Matrix2D{e[0], e[1], e[2], e[3], e[4], e[5]};
}

OffscreenKey MakeOffscreenKey(int number, const float* values, int count) {
    OffscreenKey key = {};
    key[0] = static_cast<uint32_t>(number);
    for (int i = 0; i < count && i + 1 < static_cast<int>(key.size()); i++)
        std::memcpy(&key[i + 1], &values[i], sizeof(float));
    return key;
}

void CountPaintOutcome(RenderBudget* budget, int outcome) {
    if (outcome & PaintLeftOutNoMemory)
        budget->outOfMemory++;
    else if (outcome & PaintLeftOutUnusable)
        budget->leftOut++;
    if (outcome & PaintSomeDrawn)
        budget->drawn++;
}

namespace {

// A group being drawn. Past the budget it draws on the surface below, with
// its opacity folded into its shapes' fade.
struct OpenGroup {
    int number;
    Surface* surface;             // where its shapes draw; null when none of them shows
    std::unique_ptr<Surface> own; // the group's own surface, when it has one
    float fade;                   // what its shapes' paint is faded by
};

// Pixel edges this close to an edge of the drawn area count as on it.
const double AreaEdgeTolerance = 1.0 / 1024;

// The pixels of a surface at (left, top) that the drawn area covers in
// whole or in part; the whole surface when the area covers none of them
// (its clip then leaves nothing) or is not a number.
PixelRect AreaPixels(const RenderState& r, int left, int top, int width, int height) {
    const double x = r.area.x, y = r.area.y;
    const double x0 = std::max(std::floor(x + AreaEdgeTolerance) - left, 0.0);
    const double y0 = std::max(std::floor(y + AreaEdgeTolerance) - top, 0.0);
    const double x1 = std::min(std::ceil(x + r.area.width - AreaEdgeTolerance) - left,
                               static_cast<double>(width));
    const double y1 = std::min(std::ceil(y + r.area.height - AreaEdgeTolerance) - top,
                               static_cast<double>(height));
    if (!(x0 < x1 && y0 < y1))
        return {0, 0, width, height};
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
}

// The clip rectangle of the drawn area, in the graphics' pixels. The
// graphics draws on the area's pixels alone, so an area whose edges lie on
// pixel edges needs no clip: the bitmap's edges stop the drawing, and a clip
// costs every later fill and stroke a region operation (under Wine about as
// much as filling a small shape).
void SetAreaClip(const RenderState& r, Surface* s) {
    const double x = r.area.x - static_cast<double>(s->left + s->drawn.left);
    const double y = r.area.y - static_cast<double>(s->top + s->drawn.top);
    const double width = s->drawn.right - s->drawn.left, height = s->drawn.bottom - s->drawn.top;
    const double e = AreaEdgeTolerance;
    if (x <= e && y <= e && x + r.area.width >= width - e && y + r.area.height >= height - e) {
        GfxResetClip(s->graphics.get());
        return;
    }
    GfxSetWorldTransform(s->graphics.get(), nullptr);
    GfxSetClipRect(s->graphics.get(), static_cast<float>(x), static_cast<float>(y), r.area.width,
                   r.area.height);
}

// Starts drawing on width x height pixels placed at (left, top) in the
// target buffer; false when no graphics object could be made.
bool StartSurface(const RenderState& r, Surface* s, uint32_t* pixels, int left, int top, int width,
                  int height) {
    s->pixels = pixels;
    s->left = left, s->top = top, s->width = width, s->height = height;
    s->drawn = AreaPixels(r, left, top, width, height);
    float e[6];
    GfxGetMatrixElements(r.base, e);
    s->base.reset(GfxCreateMatrix6(e[0], e[1], e[2], e[3], e[4], e[5]));
    if (!s->base)
        return false;
    const PixelRect& d = s->drawn;
    s->graphics.reset(GfxCreateGraphicsOnPixels(
        pixels + static_cast<size_t>(d.top) * static_cast<size_t>(width) + d.left, d.right - d.left,
        d.bottom - d.top, width));
    if (!s->graphics)
        return false;
    GfxTranslateMatrix(s->base.get(), -static_cast<float>(left + d.left),
                       -static_cast<float>(top + d.top));
    GfxSetHighQuality(s->graphics.get());
    SetAreaClip(r, s);
    s->clips.clips = r.document->clips;
    s->clips.base = s->base.get();
    s->clips.area = DrawnArea(*s);
    s->clip = 0;
    s->clipCut = false;
    s->clipUsable = true;
    return true;
}

} // namespace

// Ends drawing; the pixels are complete once this returns.
void EndSurface(Surface* s) {
    s->clips.full.clear();
    s->clips.rows.clear();
    s->clips.boxed.clear();
    s->graphics.reset();
    s->base.reset();
}

namespace {

// Sets the clip of the next records: the drawn area cut down to the
// record's clip region. False when the region cannot be made.
bool SetRecordClip(const RenderState& r, Surface* s, int clip) {
    SetAreaClip(r, s);
    if (!clip)
        return true;
    GfxRegion* region = FullClipRegion(&s->clips, clip, 0);
    if (!region)
        return false;
    GfxIntersectClipRegion(s->graphics.get(), region);
    return true;
}

// Cuts the area clip down to the rows under the box; false when none is
// (nothing of what lies in the box shows) or the region cannot be made.
bool ClipToRowsUnder(const RenderState& r, Surface* s, const RegionRows& rows,
                     const DeviceBox& box) {
    std::vector<GfxRectF> under;
    RowsWithin(rows, box, &under);
    if (under.empty())
        return false;
    GfxOwned<GfxRegion> part(GfxCreateRectsRegion(under.data(), static_cast<int>(under.size())));
    if (!part)
        return false;
    SetAreaClip(r, s);
    GfxIntersectClipRegion(s->graphics.get(), part.get());
    return true;
}

// The first record through a region of many shapes, often its only one (a
// shape of its own transform has a region of its own), is clipped with the
// part of the region under its box, made for it alone; the next record made
// through the region makes it whole. False when nothing of the record shows
// or the region cannot be made.
bool ClipFirstUseWithin(const RenderState& r, Surface* s, int clip, const DeviceBox& box) {
    s->clip = -1; // set for this record only
    s->clipCut = true;
    bool none = false;
    GfxOwned<GfxRegion> part(ClipRegionWithin(&s->clips, clip, box, &none));
    if (!part || none)
        return false;
    SetAreaClip(r, s);
    GfxIntersectClipRegion(s->graphics.get(), part.get());
    return true;
}

// Whether the record is the first through region n of many shapes on the
// surface, which is then not made yet.
bool FirstUseOfManyShapes(Surface* s, int n) {
    const DocumentClips* clips = s->clips.clips;
    if (n < 1 || !clips || n > static_cast<int>(clips->regions.size()) ||
        clips->regions[n - 1].shapeCount < 2 || s->clips.full.count(n))
        return false;
    return s->clips.boxed.insert(n).second;
}

// Sets the clip of the record, unless it is set already; false when nothing
// of the record can show. A region of many shapes clips each record with
// only its rows under the record's paint.
bool ClipForRecord(const RenderState& r, Surface* s, const ShapeRecord& shape) {
    DeviceBox box;
    bool boxed = false;
    if (shape.clip) {
        const Matrix2D m = ComposeMatrix(ElementsOf(s->base.get()), shape.matrix);
        const float world[6] = {m.a, m.b, m.c, m.d, m.e, m.f};
        boxed = PaintReach(shape, world, &box);
    }
    if (boxed && FirstUseOfManyShapes(s, shape.clip))
        return ClipFirstUseWithin(r, s, shape.clip, box);
    if (shape.clip != s->clip) {
        s->clip = shape.clip;
        s->clipCut = false;
        s->clipUsable = SetRecordClip(r, s, shape.clip); // makes the region and its rows
    }
    const auto rows = s->clips.rows.find(shape.clip);
    if (!s->clipUsable || !shape.clip || rows == s->clips.rows.end())
        return s->clipUsable;
    if (!boxed) {
        if (s->clipCut) // the whole region again
            s->clipUsable = SetRecordClip(r, s, shape.clip);
        s->clipCut = false;
        return s->clipUsable;
    }
    s->clipCut = true;
    return ClipToRowsUnder(r, s, rows->second, box);
}

// The pixels the bounds cover on the device, within the drawn area and the
// rectangle `within`, with a pixel to spare for anti-aliasing; false when
// none.
bool BoundsRect(const RenderState& r, const Bounds& b, const PixelRect& within, PixelRect* rect) {
    if (!b.any)
        return false;
    float e[6];
    GfxGetMatrixElements(r.base, e);
    const float xs[2] = {b.minX, b.maxX}, ys[2] = {b.minY, b.maxY};
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (float x : xs) {
        for (float y : ys) {
            double dx = e[0] * x + e[2] * y + e[4], dy = e[1] * x + e[3] * y + e[5];
            minX = std::min(minX, dx), maxX = std::max(maxX, dx);
            minY = std::min(minY, dy), maxY = std::max(maxY, dy);
        }
    }
    const GfxRectF& area = r.area;
    minX = std::max({minX - 1, static_cast<double>(area.x), static_cast<double>(within.left)});
    minY = std::max({minY - 1, static_cast<double>(area.y), static_cast<double>(within.top)});
    maxX = std::min(
        {maxX + 1, static_cast<double>(area.x) + area.width, static_cast<double>(within.right)});
    maxY = std::min(
        {maxY + 1, static_cast<double>(area.y) + area.height, static_cast<double>(within.bottom)});
    if (!(minX < maxX && minY < maxY)) // also not-a-number
        return false;
    rect->left = static_cast<int>(std::floor(minX));
    rect->top = static_cast<int>(std::floor(minY));
    rect->right = static_cast<int>(std::ceil(maxX));
    rect->bottom = static_cast<int>(std::ceil(maxY));
    return rect->left < rect->right && rect->top < rect->bottom;
}

// The pixels of the surface the group's bounds cover (as BoundsRect).
bool GroupRect(const RenderState& r, const OffscreenGroup& group, const Surface& below,
               PixelRect* rect) {
    const PixelRect within = {below.left, below.top, below.left + below.width,
                              below.top + below.height};
    return BoundsRect(r, group.bounds, within, rect);
}

} // namespace

// A transparent offscreen surface over the rectangle; null past the budget
// or when the memory cannot be had.
std::unique_ptr<Surface> NewOffscreen(RenderState* r, const PixelRect& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    // Past the budget a group is drawn shape by shape on the bitmap below (see
    // OpenOneGroup): it bounds both the memory and the time groups take.
    RenderBudget* budget = r->budget;
    if (count > OffscreenPixelsLeft(budget->work, budget->workSpent))
        return nullptr;
    std::unique_ptr<Surface> s(new (std::nothrow) Surface());
    if (!s)
        return nullptr;
    try {
        s->storage.assign(count, 0);
    } catch (const std::bad_alloc&) {
        return nullptr; // drawn without the bitmap instead
    }
    if (!StartSurface(*r, s.get(), s->storage.data(), rect.left, rect.top, width, height))
        return nullptr;
    budget->workSpent.offscreenPixels += count;
    return s;
}

namespace {

void OpenOneGroup(RenderState* r, std::vector<OpenGroup>* open, int number, Surface* root) {
    Surface* below = open->empty() ? root : open->back().surface;
    OpenGroup entry = {number, nullptr, nullptr, open->empty() ? 1.0f : open->back().fade};
    const OffscreenGroup* group = OffscreenGroupOf(r->document, number);
    PixelRect rect;
    if (below && group && !group->used) {
        entry.surface = below;
    } else if (below && group && group->opacity > 0 && GroupRect(*r, *group, *below, &rect)) {
        entry.own = NewOffscreen(r, rect);
        if (entry.own) {
            entry.surface = entry.own.get();
            entry.fade = 1;
        } else {
            (group->filter ? r->budget->unfiltered : r->budget->faded)++;
            entry.surface = below;
            entry.fade *= group->opacity;
        }
    }
    open->push_back(std::move(entry));
}

// Opens the groups between the innermost open one and the record's.
void OpenGroupsDownTo(RenderState* r, std::vector<OpenGroup>* open, int number, Surface* root) {
    const int top = open->empty() ? 0 : open->back().number;
    if (number == top)
        return;
    std::vector<int> chain;
    for (int n = number; n != top && n > 0;) {
        chain.push_back(n);
        const OffscreenGroup* group = OffscreenGroupOf(r->document, n);
        n = group ? group->parent : 0;
    }
    for (size_t i = chain.size(); i-- > 0;)
        OpenOneGroup(r, open, chain[i], root);
}

// The mask's content drawn on a bitmap over the rectangle, read as
// luminance or alpha into *coverage. False when the bitmap is past the
// budget or the memory cannot be had.
bool DrawMaskCoverage(RenderState* r, const GroupMask& mask, const PixelRect& rect,
                      std::vector<uint8_t>* coverage) {
    std::unique_ptr<Surface> s = NewOffscreen(r, rect);
    if (!s)
        return false;
    DrawRecords(r, mask.content.shapes, mask.content.count, s.get());
    EndSurface(s.get());
    try {
        coverage->resize(s->storage.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    MaskCoverage(s->pixels, s->storage.size(), mask.luminance, coverage->data());
    return true;
}

// How many groups each mask masks and the bounds of them all, by mask
// number (made once per render).
const std::vector<MaskUsers>& UsersOfMasks(RenderState* r) {
    std::vector<MaskUsers>& users = r->cache->maskUsers;
    const DocumentGroups* groups = r->document->groups;
    if (!users.empty() || !groups)
        return users;
    users.resize(groups->masks.size() + 1);
    for (const OffscreenGroup& group : groups->groups) {
        if (group.mask < 1 || group.mask >= static_cast<int>(users.size()))
            continue;
        MaskUsers& entry = users[group.mask];
        entry.count++;
        const Bounds& b = group.bounds;
        if (b.any)
            AddToBounds(&entry.bounds, b.minX, b.minY, b.maxX, b.maxY);
    }
    return users;
}

// The coverage of a mask that masks more than one group, drawn once under
// the state's base and area over the pixels of all of them; null for a
// mask of one group and when it cannot be drawn.
const CachedMask* SharedMaskCoverage(RenderState* r, int number) {
    const std::vector<MaskUsers>& users = UsersOfMasks(r);
    if (number >= static_cast<int>(users.size()) || users[number].count < 2)
        return nullptr;
    float values[10];
    GfxGetMatrixElements(r->base, values);
    values[6] = r->area.x, values[7] = r->area.y;
    values[8] = r->area.width, values[9] = r->area.height;
    CachedMask& cached = r->cache->masks[MakeOffscreenKey(number, values, 10)];
    if (cached.drawn)
        return cached.coverage.empty() ? nullptr : &cached;
    cached.drawn = true;
    const PixelRect within = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    if (!BoundsRect(*r, users[number].bounds, within, &cached.rect) ||
        !DrawMaskCoverage(r, *GroupMaskOf(r->document, number), cached.rect, &cached.coverage))
        cached.coverage.clear();
    return cached.coverage.empty() ? nullptr : &cached;
}

// The part of shared coverage over the surface's pixels; nothing outside it.
bool CopyCoverage(const CachedMask& cached, const Surface& over, std::vector<uint8_t>* coverage) {
    try {
        coverage->assign(static_cast<size_t>(over.width) * static_cast<size_t>(over.height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const PixelRect& from = cached.rect;
    const int across = from.right - from.left;
    const int left = std::max(over.left, from.left);
    const int right = std::min(over.left + over.width, from.right);
    for (int y = std::max(over.top, from.top);
         left < right && y < over.top + over.height && y < from.bottom; y++) {
        const uint8_t* source = cached.coverage.data() +
                                static_cast<size_t>(y - from.top) * across + (left - from.left);
        uint8_t* target =
            coverage->data() + static_cast<size_t>(y - over.top) * over.width + (left - over.left);
        std::memcpy(target, source, static_cast<size_t>(right - left));
    }
    return true;
}

// What the mask lets through at each pixel of the surface: its content drawn
// on a bitmap of the same place (or shared by its users), read as luminance
// or alpha. False when the bitmap is past the budget or the memory cannot be
// had.
bool MaskCoverageOver(RenderState* r, int number, const Surface& over,
                      std::vector<uint8_t>* coverage) {
    const GroupMask* mask = GroupMaskOf(r->document, number);
    if (!mask)
        return false;
    // A group outside the shared pixels (drawn in another space) draws its own.
    const CachedMask* cached = SharedMaskCoverage(r, number);
    const PixelRect& c = cached ? cached->rect : PixelRect();
    if (cached && c.left <= over.left && c.top <= over.top && over.left + over.width <= c.right &&
        over.top + over.height <= c.bottom)
        return CopyCoverage(*cached, over, coverage);
    const PixelRect rect = {over.left, over.top, over.left + over.width, over.top + over.height};
    return DrawMaskCoverage(r, *mask, rect, coverage);
}

// What the clip region lets through at each pixel of the surface: a fill
// of the whole surface drawn through it, read as alpha. False when the
// bitmap is past the budget or the memory cannot be had.
bool ClipCoverageOver(RenderState* r, int clip, const Surface& over,
                      std::vector<uint8_t>* coverage) {
    const PixelRect rect = {over.left, over.top, over.left + over.width, over.top + over.height};
    std::unique_ptr<Surface> s = NewOffscreen(r, rect);
    if (!s)
        return false;
    if (SetRecordClip(*r, s.get(), clip)) {
        GfxOwned<GfxPath> path(GfxCreatePath());
        GfxOwned<GfxBrush> white(GfxCreateSolidBrush(0xFFFFFFFFu));
        if (path && white) {
            GfxAddRectangle(path.get(), 0, 0, static_cast<float>(over.width),
                            static_cast<float>(over.height));
            GfxSetWorldTransform(s->graphics.get(), nullptr);
            GfxFillPath(s->graphics.get(), white.get(), path.get());
        }
    }
    EndSurface(s.get());
    try {
        coverage->resize(s->storage.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    MaskCoverage(s->pixels, s->storage.size(), 0, coverage->data());
    return true;
}

// Draws what the filter's image primitives show over the surface's pixels,
// premultiplied, one bitmap each; false past the budget or memory.
bool DrawFilterImages(RenderState* r, const FilterRecord& filter, const Surface& over,
                      std::vector<std::unique_ptr<Surface>>* drawn,
                      std::vector<const uint32_t*>* images) {
    const PixelRect rect = {over.left, over.top, over.left + over.width, over.top + over.height};
    drawn->resize(filter.primitives.size());
    images->assign(filter.primitives.size(), nullptr);
    for (size_t i = 0; i < filter.primitives.size(); i++) {
        const FilterImage* image = filter.primitives[i].kind == PrimitiveImage
                                       ? FilterImageOf(r->document, filter.primitives[i].image)
                                       : nullptr;
        if (!image)
            continue;
        std::unique_ptr<Surface> s = NewOffscreen(r, rect);
        if (!s)
            return false;
        DrawRecords(r, image->content.shapes, image->content.count, s.get());
        EndSurface(s.get());
        PremultiplyPixels(s->pixels, s->width * s->height);
        (*images)[i] = s->pixels;
        (*drawn)[i] = std::move(s);
    }
    return true;
}

// Runs the group's filter over its bitmap, whose pixels it takes and leaves
// with straight alpha. A filter past the budget leaves the bitmap as it was
// drawn, counted as drawn unfiltered.
void FilterSurface(RenderState* r, const OffscreenGroup& group, Surface* own) {
    const FilterRecord* filter = FilterRecordOf(r->document, group.filter);
    if (!filter)
        return;
    std::vector<std::unique_ptr<Surface>> drawn;
    std::vector<const uint32_t*> images;
    if (!DrawFilterImages(r, *filter, *own, &drawn, &images)) {
        r->budget->unfiltered++;
        return;
    }
    const int count = own->width * own->height;
    PremultiplyPixels(own->pixels, count);
    const Matrix2D toCanvas = {
        1, 0, 0, 1, -static_cast<float>(own->left), -static_cast<float>(own->top)};
    FilterCanvas canvas = {
        own->pixels, own->width, own->height,
        ComposeMatrix(ComposeMatrix(toCanvas, ElementsOf(r->base)), filter->matrix), images.data()};
    RenderBudget* budget = r->budget;
    size_t free = OffscreenPixelsLeft(budget->work, budget->workSpent);
    const size_t before = free;
    if (!RunFilter(*filter, &canvas, &free))
        budget->unfiltered++;
    budget->workSpent.offscreenPixels += before - free;
    UnpremultiplyPixels(own->pixels, count);
}

// Closes the innermost open group: its own bitmap is filtered and
// composited onto the surface below with its opacity and mask. A mask that
// cannot be drawn leaves the group unmasked, counted with the faded groups.
void CloseGroup(RenderState* r, std::vector<OpenGroup>* open, Surface* root) {
    OpenGroup entry = std::move(open->back());
    open->pop_back();
    if (!entry.own)
        return;
    Surface* below = open->empty() ? root : open->back().surface;
    const float fadeBelow = open->empty() ? 1.0f : open->back().fade;
    Surface* own = entry.own.get();
    EndSurface(own);
    const OffscreenGroup* group = OffscreenGroupOf(r->document, entry.number);
    if (group->filter)
        FilterSurface(r, *group, own);
    std::vector<uint8_t> coverage;
    if (group->mask && !MaskCoverageOver(r, group->mask, *own, &coverage))
        r->budget->faded++;
    std::vector<uint8_t> clipped;
    if (group->clip && !ClipCoverageOver(r, group->clip, *own, &clipped))
        r->budget->faded++;
    if (coverage.empty())
        coverage.swap(clipped);
    for (size_t i = 0; i < clipped.size(); i++) // both: through the one and the other
        coverage[i] = static_cast<uint8_t>((coverage[i] * clipped[i] + 127) / 255);
    const uint8_t* covered = coverage.empty() ? nullptr : coverage.data();
    if (group->blend)
        BlendLayer(below->pixels, below->width, own->left - below->left, own->top - below->top,
                   own->pixels, own->width, own->height, group->opacity * fadeBelow, covered,
                   group->blend);
    else
        CompositeLayer(below->pixels, below->width, own->left - below->left, own->top - below->top,
                       own->pixels, own->width, own->height, group->opacity * fadeBelow, covered);
}

// A shape drawn inside groups past the budget: its paint faded by theirs.
// A texture, when given, paints the fill or stroke instead of its colour.
int PaintFadedShape(GfxGraphics* graphics, const SvgDocument& document, const ShapeRecord& shape,
                    GfxMatrix* base, const DeviceBox& area, float fade, GfxBrush* fillTexture,
                    GfxBrush* strokeTexture) {
    if (fade >= 1)
        return PaintShape(graphics, document, shape, base, area, fillTexture, strokeTexture);
    ShapeRecord faded = shape; // shares the path, which the original owns
    faded.fillColor = ScaleAlpha(shape.fillColor, fade);
    faded.strokeColor = ScaleAlpha(shape.strokeColor, fade);
    faded.fillOpacity *= fade;
    faded.strokeOpacity *= fade;
    return PaintShape(graphics, document, faded, base, area, fillTexture, strokeTexture);
}

} // namespace

// Draws the records on a new transparent bitmap of across x down pixels,
// the document's space mapped onto it by base; null past the budget (counted
// with the faded groups) or when it cannot be made.
std::unique_ptr<Surface> DrawOnOwnBitmap(RenderState* r, const SvgDocument* document,
                                         GfxMatrix* base, const ShapeRecord* shapes, int count,
                                         int across, int down) {
    RenderState own = {document,
                       {0, 0, static_cast<float>(across), static_cast<float>(down)},
                       base,
                       r->budget,
                       r->cache};
    std::unique_ptr<Surface> s = NewOffscreen(&own, PixelRect{0, 0, across, down});
    if (!s) {
        r->budget->faded++;
        return nullptr;
    }
    DrawRecords(&own, shapes, count, s.get());
    EndSurface(s.get());
    return s;
}

namespace {

// The most pixels a pattern tile takes on either side.
const int MaxTileSide = 4096;

// Pixels a tile side of `length` pattern units takes under the scale.
int TileSide(float length, float scale) {
    const double side = std::ceil(static_cast<double>(length) * scale);
    if (!(side >= 1)) // also not-a-number
        return 1;
    return side > MaxTileSide ? MaxTileSide : static_cast<int>(side);
}

// A pattern's paint: its tile, drawn at the resolution the shape has on the
// surface, in a texture brush that repeats it over the shape's user space.
struct PatternPaint {
    std::unique_ptr<Surface> tile; // the brush's pixels, kept while it lives
    GfxOwned<GfxBrush> own;
    GfxBrush* brush;  // own's, or the one the render's users of the tile share
    bool outOfMemory; // GDI+ could not make the brush
};

// Makes the paint of tile `number` for the shape; false when the pattern
// paints nothing (a tile of no area). The brush stays null when the tile is
// past the budget or cannot be made: the shape's colour paints instead
// (outOfMemory says when GDI+ could not make it).
bool MakePatternPaint(RenderState* r, const Surface& on, const ShapeRecord& shape, int number,
                      float opacity, PatternPaint* paint) {
    const PatternTile* tile = PatternTileOf(r->document, number);
    if (!tile)
        return true;
    if (!(tile->width > 0 && tile->height > 0))
        return false;
    const Matrix2D device =
        ComposeMatrix(ComposeMatrix(ElementsOf(on.base.get()), shape.matrix), tile->transform);
    const int across = TileSide(tile->width, std::hypot(device.a, device.b));
    const int down = TileSide(tile->height, std::hypot(device.c, device.d));
    const float values[3] = {static_cast<float>(across), static_cast<float>(down), opacity};
    CachedTile& cached = r->cache->tiles[MakeOffscreenKey(number, values, 3)];
    if (cached.brush) {
        paint->brush = cached.brush.get();
        return true;
    }
    GfxOwned<GfxMatrix> base(GfxCreateMatrix());
    paint->outOfMemory = !base;
    if (!base)
        return true;
    GfxTranslateMatrix(base.get(), -tile->x, -tile->y);
    GfxScaleMatrix(base.get(), across / tile->width, down / tile->height);
    paint->tile = DrawOnOwnBitmap(r, r->document, base.get(), tile->content.shapes,
                                  tile->content.count, across, down);
    if (!paint->tile)
        return true;
    if (opacity < 1)
        ApplyOpacity(paint->tile->pixels, across * down,
                     static_cast<int>(std::lround(std::max(opacity, 0.0f) * 255)));
    const Matrix2D place =
        ComposeMatrix(ComposeMatrix(tile->transform, Matrix2D{1, 0, 0, 1, tile->x, tile->y}),
                      Matrix2D{tile->width / across, 0, 0, tile->height / down, 0, 0});
    const float elements[6] = {place.a, place.b, place.c, place.d, place.e, place.f};
    paint->own.reset(GfxCreateTextureBrush(paint->tile->pixels, across, down, elements));
    paint->brush = paint->own.get();
    paint->outOfMemory = !paint->brush;
    if (++cached.uses >= 2 && paint->own) { // kept for the tile's next users
        cached.bitmap = std::move(paint->tile);
        cached.brush = std::move(paint->own);
    }
    return true;
}

// The gradient stops of the brushes the shape's parts are painted with (a
// part painted with a pattern tile has none).
size_t GradientStopsOf(const SvgDocument& document, const ShapeRecord& shape) {
    size_t stops = 0;
    for (const bool stroke : {false, true}) {
        const bool painted =
            stroke ? shape.hasStroke && !shape.strokePattern : shape.hasFill && !shape.fillPattern;
        const std::wstring& ref = TextOf(stroke ? shape.strokeRef : shape.fillRef);
        const GradientDef* gradient =
            painted && !ref.empty() ? FindDocumentGradient(&document, ref) : nullptr;
        if (gradient)
            stops += static_cast<size_t>(GradientStopCount(gradient));
    }
    return stops;
}

// Spends the shape's path points and gradient stops; false (counted) when
// they do not fit.
bool SpendShapeWork(RenderBudget* budget, const SvgDocument& document, const ShapeRecord& shape) {
    const size_t stops = GradientStopsOf(document, shape);
    const bool pastStops = !WorkBudgetSpent(budget->work, budget->workSpent) &&
                           stops > GradientStopsLeft(budget->work, budget->workSpent);
    if (SpendWork(budget->work, &budget->workSpent,
                  static_cast<size_t>(GfxGetPathPointCount(shape.path)), stops))
        return true;
    (pastStops ? budget->pastStops : budget->pastWork)++;
    return false;
}

// The shape with its dashed stroke drawn solid, faded by the share of the
// dash pattern that is on, which is what tiny or countless dashes average to
// on the screen. It shares the path, which the original owns.
ShapeRecord SolidFadedStroke(const ShapeRecord& shape) {
    const std::vector<float>& dashes = FloatsOf(shape.dashes);
    double on = 0, repeat = 0;
    for (size_t i = 0; i < dashes.size(); i++) {
        repeat += dashes[i];
        on += i % 2 == 0 ? dashes[i] : 0;
    }
    const float share = repeat > 0 ? static_cast<float>(on / repeat) : 1.0f;
    ShapeRecord solid = shape;
    solid.dashes = nullptr;
    solid.strokeColor = ScaleAlpha(shape.strokeColor, share);
    solid.strokeOpacity *= share;
    return solid;
}

// Paints one record on the surface, its pattern paints drawn first.
void PaintRecord(RenderState* r, Surface* s, const ShapeRecord& record, float fade) {
    RenderBudget* budget = r->budget;
    if (!SpendShapeWork(budget, *r->document, record))
        return;
    ShapeRecord solid;
    const bool dashesFit =
        !record.hasStroke || SpendDashes(budget->work, &budget->workSpent, DashCount(record));
    if (!dashesFit) {
        solid = SolidFadedStroke(record);
        budget->solidDashes++;
    }
    const ShapeRecord& shape = dashesFit ? record : solid;
    if (shape.image) {
        PaintImageRecord(r, s, shape, fade);
        return;
    }
    if (!shape.fillPattern && !shape.strokePattern) {
        CountPaintOutcome(budget,
                          PaintFadedShape(s->graphics.get(), *r->document, shape, s->base.get(),
                                          DrawnArea(*s), fade, nullptr, nullptr));
        return;
    }
    ShapeRecord painted = shape; // shares the path, which the original owns
    PatternPaint fill = {nullptr, nullptr, nullptr, false};
    PatternPaint stroke = {nullptr, nullptr, nullptr, false};
    if (shape.hasFill && shape.fillPattern &&
        !MakePatternPaint(r, *s, shape, shape.fillPattern, shape.fillOpacity, &fill))
        painted.hasFill = 0;
    if (shape.hasStroke && shape.strokePattern &&
        !MakePatternPaint(r, *s, shape, shape.strokePattern, shape.strokeOpacity, &stroke))
        painted.hasStroke = 0;
    const int tiles = fill.outOfMemory || stroke.outOfMemory ? PaintLeftOutNoMemory : 0;
    CountPaintOutcome(budget, tiles | PaintFadedShape(s->graphics.get(), *r->document, painted,
                                                      s->base.get(), DrawnArea(*s), fade,
                                                      fill.brush, stroke.brush));
}

} // namespace

// Draws the records in order on the root surface, each inside its groups:
// a group opens at its first record and closes after its last (a group's
// records follow one another).
void DrawRecords(RenderState* r, const ShapeRecord* shapes, int count, Surface* root) {
    std::vector<OpenGroup> open;
    for (int i = 0; i < count; i++) {
        const ShapeRecord& shape = shapes[i];
        if (!shape.path)
            continue;
        while (!open.empty() && !GroupIsWithin(r->document, shape.group, open.back().number))
            CloseGroup(r, &open, root);
        OpenGroupsDownTo(r, &open, shape.group, root);
        Surface* s = open.empty() ? root : open.back().surface;
        if (!s)
            continue;
        if (ClipForRecord(*r, s, shape))
            PaintRecord(r, s, shape, open.empty() ? 1.0f : open.back().fade);
    }
    while (!open.empty())
        CloseGroup(r, &open, root);
}

int DrawDocumentRecords(SvgDocument* document, const Matrix2D& base, const GfxRectF& area,
                        uint32_t* pixels, int width, int height) {
    GfxOwned<GfxMatrix> baseMatrix(
        GfxCreateMatrix6(base.a, base.b, base.c, base.d, base.e, base.f));
    if (!baseMatrix)
        return 0;
    RenderBudget budget = {0, 0, 0, RenderWorkBudget(), WorkBudget(), 0, 0, 0, 0, 0};
    RenderCache cache;
    RenderState r = {document, area, baseMatrix.get(), &budget, &cache};
    Surface root = Surface();
    if (!StartSurface(r, &root, pixels, 0, 0, width, height))
        return 0;
    DrawRecords(&r, document->shapes, document->shapeCount, &root);
    document->notDrawn[NotDrawnFadedGroups] = budget.faded;
    document->notDrawn[NotDrawnUnfiltered] = budget.unfiltered;
    document->notDrawn[NotDrawnUnusableGeometry] = budget.leftOut;
    document->notDrawn[NotDrawnRenderBudget] = budget.pastWork;
    document->notDrawn[NotDrawnRenderStops] = budget.pastStops;
    document->notDrawn[NotDrawnSolidDashes] = budget.solidDashes;
    document->notDrawn[NotDrawnOutOfMemory] = budget.outOfMemory;
    return budget.drawn > 0 || budget.outOfMemory == 0;
}
