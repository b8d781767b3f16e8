// The document's clip paths as GDI+ regions in a surface's pixels.
#include <new>
#include <vector>

#include "render/raster_surface.h"
#include "svg/records/clips.h"

namespace {

// Region n when it has been made on the surface, else null.
GfxRegion* MadeRegion(const ClipCache& cache, int n) {
    auto found = cache.full.find(n);
    return found == cache.full.end() ? nullptr : found->second.get();
}

// The shape's matrix into the pixels drawn on; false when it cannot be had.
bool ShapeWorld(const ClipShape& shape, const ClipCache& cache, float elements[6]) {
    const Matrix2D& m = shape.matrix;
    GfxOwned<GfxMatrix> world(GfxCreateMatrix6(m.a, m.b, m.c, m.d, m.e, m.f));
    if (!world)
        return false;
    GfxMultiplyMatrix(world.get(), cache.base);
    GfxGetMatrixElements(world.get(), elements);
    return true;
}

// Whether any pixel of the shape's area may lie in the box.
bool ShapeMeetsBox(const ClipShape& shape, const float elements[6], const DeviceBox& box) {
    ShapeRecord filled = ShapeRecord();
    filled.path = shape.path;
    DeviceBox reach;
    return !PaintReach(filled, elements, &reach) ||
           (reach.left <= box.right && box.left <= reach.right && reach.top <= box.bottom &&
            box.top <= reach.bottom);
}

// The shape's area as a region in the pixels drawn on: of its own path, or
// of the part of it within reach of them when GDI+ could not flatten the
// whole (render/shape_fitting.h); null when it cannot be had.
GfxRegion* ShapeRegion(const ClipShape& shape, const ClipCache& cache, const float elements[6]) {
    FittedPaths fitted;
    switch (FitFillPath(shape.path, elements, cache.area, &fitted)) {
    case PathAsItIs:
        return GfxCreatePathRegion(shape.path, elements);
    case PathCut:
        return fitted.paths.empty() ? GfxCreateEmptyRegion()
                                    : GfxCreatePathRegion(fitted.paths[0].get(), elements);
    default:
        return nullptr;
    }
}

// The union of the region's shapes, each cut by its own clip; with `within`,
// of those reaching into that box only, counted in *taken.
GfxRegion* OwnClipRegion(ClipCache* cache, const ClipRegion& region, int nesting,
                         const DeviceBox* within, int* taken) {
    GfxOwned<GfxRegion> result(GfxCreateEmptyRegion());
    for (int i = 0; result && i < region.shapeCount; i++) {
        const ClipShape& shape = cache->clips->shapes[region.firstShape + i];
        float elements[6];
        if (!ShapeWorld(shape, *cache, elements) ||
            (within && !ShapeMeetsBox(shape, elements, *within)))
            continue;
        GfxOwned<GfxRegion> part(ShapeRegion(shape, *cache, elements));
        if (taken)
            (*taken)++;
        if (!part)
            continue;
        GfxRegion* cut = shape.clip ? FullClipRegion(cache, shape.clip, nesting + 1) : nullptr;
        if (shape.clip && cut)
            GfxIntersectRegion(part.get(), cut);
        if (!shape.clip || cut)
            GfxUniteRegion(result.get(), part.get());
    }
    return result.release();
}

// Replaces the region by one path of its pixel rows, kept also as rows to
// pick from; left as it is when its rows cannot be had.
void KeepAsRows(ClipCache* cache, int n, GfxOwned<GfxRegion>* region) {
    std::vector<GfxRectF> rows;
    if (!GfxGetRegionRows(region->get(), &rows))
        return;
    GfxRegion* flat = GfxCreateRectsRegion(rows.data(), static_cast<int>(rows.size()));
    if (!flat)
        return;
    region->reset(flat);
    try {
        IndexRegionRows(std::move(rows), &cache->rows[n]);
    } catch (const std::bad_alloc&) {
        cache->rows.erase(n); // clipped with whole
    }
}

} // namespace

GfxRegion* FullClipRegion(ClipCache* cache, int n, int nesting) {
    const int count = cache->clips ? static_cast<int>(cache->clips->regions.size()) : 0;
    if (n < 1 || n > count || nesting >= MaxClipNesting)
        return nullptr;
    // The chain of parents up to one already made, made from the top down.
    std::vector<int> chain;
    for (int r = n; r > 0 && !MadeRegion(*cache, r); r = cache->clips->regions[r - 1].parent) {
        if (r > count || chain.size() > static_cast<size_t>(count))
            return nullptr; // parents that go round in a circle, or none such
        chain.push_back(r);
    }
    for (size_t i = chain.size(); i-- > 0;) {
        const ClipRegion& region = cache->clips->regions[chain[i] - 1];
        GfxOwned<GfxRegion> own(OwnClipRegion(cache, region, nesting, nullptr, nullptr));
        if (!own)
            return nullptr;
        if (region.parent > 0)
            GfxIntersectRegion(own.get(), MadeRegion(*cache, region.parent));
        // A region of more than one shape is clipped with as its pixel rows.
        if (region.shapeCount > 1 || region.parent > 0)
            KeepAsRows(cache, chain[i], &own);
        cache->full[chain[i]] = std::move(own);
    }
    return MadeRegion(*cache, n);
}

GfxRegion* ClipRegionWithin(ClipCache* cache, int n, const DeviceBox& box, bool* none) {
    *none = false;
    const int count = cache->clips ? static_cast<int>(cache->clips->regions.size()) : 0;
    if (n < 1 || n > count)
        return nullptr;
    const ClipRegion& region = cache->clips->regions[n - 1];
    GfxRegion* parent = region.parent > 0 ? FullClipRegion(cache, region.parent, 0) : nullptr;
    if (region.parent > 0 && !parent)
        return nullptr;
    int taken = 0;
    GfxOwned<GfxRegion> own(OwnClipRegion(cache, region, 0, &box, &taken));
    if (!own)
        return nullptr;
    *none = taken == 0;
    if (parent)
        GfxIntersectRegion(own.get(), parent);
    return own.release();
}
