// Owning handles for the graphics layer's objects, for drawing code that an
// exception may leave (an allocation failing halfway through a drawing): the
// object is deleted however the scope ends.
#pragma once

#include <memory>

#include "render/graphics.h"

struct GfxDeleter {
    void operator()(GfxPath* path) const { GfxDeletePath(path); }
    void operator()(GfxMatrix* matrix) const { GfxDeleteMatrix(matrix); }
    void operator()(GfxGraphics* graphics) const { GfxDeleteGraphics(graphics); }
    void operator()(GfxRegion* region) const { GfxDeleteRegion(region); }
    void operator()(GfxBrush* brush) const { GfxDeleteBrush(brush); }
    void operator()(GfxPen* pen) const { GfxDeletePen(pen); }
};

template <class T> using GfxOwned = std::unique_ptr<T, GfxDeleter>;
