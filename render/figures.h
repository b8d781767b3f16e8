// Figures of lines and Bezier curves as GDI+ stores them in a path: the
// points, and a type for each (GfxPointType...). Built up here and handed
// to the graphics library whole, or kept as the native stand-in's path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/graphics.h"

struct FigureList {
    std::vector<GfxPointF> points;
    std::vector<uint8_t> types;
    bool newFigure = true; // the next point added starts a figure
};

// Appends one segment of `type` (lines: 2 points, curves: 4 or more) as
// GDI+'s AddLine and AddBezier do. In an open figure the segment's first
// point is dropped when it equals the last point; when it differs it joins
// the figure with a straight line.
void AddFigureSegment(FigureList* figures, const GfxPointF* points, int count, uint8_t type);
// Appends a closed figure of its own: `count` points, the first starting it
// and the others of `type`.
void AddClosedFigure(FigureList* figures, const GfxPointF* points, int count, uint8_t type);
// Marks the last point as closing its figure; the next point starts one.
void CloseLastFigure(FigureList* figures);
