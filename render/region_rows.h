// A clip region kept as its pixel rows, so that a shape is clipped by only
// the rows under it. GDI+ combines the clip with every fill drawn through it
// (Wine's turns the whole region into a GDI region again each time): a region
// of thousands of rows costs every shape as much, the few rows under a small
// shape next to nothing.
#pragma once

#include <vector>

#include "render/graphics.h"
#include "render/path_clipping.h"

struct RegionRows {
    std::vector<GfxRectF> rows; // by their tops
    std::vector<float> below;   // below[i]: the lowest bottom of rows 0..i
};

// Keeps the rectangles (whole pixels, as GDI+ gives a region's scans) in
// order of their tops.
void IndexRegionRows(std::vector<GfxRectF> rows, RegionRows* index);

// The rows' parts within the box grown out to whole pixels, in *within; the
// region's pixels inside the box are exactly theirs.
void RowsWithin(const RegionRows& index, const DeviceBox& box, std::vector<GfxRectF>* within);
