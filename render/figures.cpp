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

void CloseLastFigure(FigureList* figures) {
    if (figures->types.empty())
        return;
    figures->types.back() |= GfxPointTypeCloseSubpath;
    figures->newFigure = true;
}
