#include "render/figures.h"

void AddFigureSegment(FigureList* figures, const GfxPointF* points, int count, uint8_t type) {
    uint8_t firstType = figures->newFigure ? GfxPointTypeStart : GfxPointTypeLine;
    if (!figures->newFigure && !figures->points.empty()) {
        const GfxPointF& last = figures->points.back();
        if (last.x == points[0].x && last.y == points[0].y) {
            points++;
            count--;
            firstType = type;
        }
    }
    if (count <= 0)
        return;
    // A new list takes room for a basic shape's points at once (an ellipse
    // has 13, a rounded rectangle 19) rather than growing through a block
    // per doubling.
    if (figures->points.capacity() == 0) {
        figures->points.reserve(24);
        figures->types.reserve(24);
    }
    // Point by point: segments are two to four points, too few for the
    // general insertion to pay for itself.
    figures->points.push_back(points[0]);
    figures->types.push_back(firstType);
    for (int i = 1; i < count; i++) {
        figures->points.push_back(points[i]);
        figures->types.push_back(type);
    }
    figures->newFigure = false;
}

void AddClosedFigure(FigureList* figures, const GfxPointF* points, int count, uint8_t type) {
    if (count <= 0)
        return;
    figures->points.insert(figures->points.end(), points, points + count);
    const size_t first = figures->types.size();
    figures->types.insert(figures->types.end(), static_cast<size_t>(count), type);
    figures->types[first] = GfxPointTypeStart;
    CloseLastFigure(figures);
}

void CloseLastFigure(FigureList* figures) {
    if (figures->types.empty())
        return;
    figures->types.back() |= GfxPointTypeCloseSubpath;
    figures->newFigure = true;
}
