// What the rasterizer hands GDI+ for one part (fill or stroke) of a shape:
// the shape's own path when it stays within reach of the drawn area, else
// the visible part of it, flattened and cut (render/path_clipping.h).
#pragma once

#include <vector>

#include "render/graphics.h"
#include "render/path_clipping.h"

struct ShapeRecord;

enum PathFit {
    PathAsItIs,   // draw the shape's own path
    PathCut,      // draw the paths made instead (none: nothing shows)
    PathUnusable, // nothing can be drawn: coordinates that are no finite numbers, or a
                  // stroke with round joins or caps wider than GDI+ can take
    PathNoMemory, // GDI+ could not make the paths to draw instead
};

// Paths made in place of the shape's, and for a dashed stroke the distance
// (user units, within one repeat of the dash pattern) at which each starts.
struct FittedPaths {
    std::vector<GfxOwnedPath> paths;
    std::vector<double> dashStarts;
};

// Whether device bounds lie close enough to the area for GDI+ to be given
// curves within them.
bool WithinGdiPlusReach(const DeviceBox& bounds, const DeviceBox& area);

// The length of the path through all its points, a curve's control points
// included, so never shorter than the path itself (user units); 0 for a path
// without points or one GDI+ cannot read.
double OutlineLength(GfxPath* path);

// How many dashes the shape's stroke makes along its outline (OutlineLength);
// 0 when it is not dashed, SIZE_MAX when they cannot be counted.
size_t DashCount(const ShapeRecord& shape);

// The device pixels the shape's paint can reach under the matrix (user space
// into the graphics' pixels): its path's box grown by the stroke's reach, a
// pixel for anti-aliasing and one for GDI+ rounding to whole pixels. False
// when the box holds anything but finite numbers.
bool PaintReach(const ShapeRecord& shape, const float matrix[6], DeviceBox* box);

// Fits the shape's path for drawing under the matrix (user space into the
// graphics' pixels) on a graphics whose drawn pixels are `area`. For a stroke
// the pen's width is taken under the same matrix.
PathFit FitShapePath(const ShapeRecord& shape, const float matrix[6], const DeviceBox& area,
                     bool stroke, FittedPaths* fitted);
// The same for the area inside a path (a clip path's shape).
PathFit FitFillPath(GfxPath* path, const float matrix[6], const DeviceBox& area,
                    FittedPaths* fitted);
