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

// The shape's area as a region in the pixels drawn on: of its own path, or
// of the part of it within reach of them when GDI+ could not flatten the
// whole (render/shape_fitting.h); null when it cannot be had.
GfxRegion* ShapeRegion(const ClipShape& shape, const ClipCache& cache) {
    const Matrix2D& m = shape.matrix;
    GfxOwned<GfxMatrix> world(GfxCreateMatrix6(m.a, m.b, m.c, m.d, m.e, m.f));
    if (!world)
        return nullptr;
    GfxMultiplyMatrix(world.get(), cache.base);
    float elements[6];
    GfxGetMatrixElements(world.get(), elements);
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

// The union of the region's shapes, each cut by its own clip.
GfxRegion* OwnClipRegion(ClipCache* cache, const ClipRegion& region, int nesting) {
    GfxOwned<GfxRegion> result(GfxCreateEmptyRegion());
    for (int i = 0; result && i < region.shapeCount; i++) {
        const ClipShape& shape = cache->clips->shapes[region.firstShape + i];
        GfxOwned<GfxRegion> part(ShapeRegion(shape, *cache));
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
        GfxOwned<GfxRegion> own(OwnClipRegion(cache, region, nesting));
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
