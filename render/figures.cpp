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
    figures->points.insert(figures->points.end(), points, points + count);
    figures->types.push_back(firstType);
    figures->types.insert(figures->types.end(), static_cast<std::size_t>(count - 1), type);
    figures->newFigure = false;
}

void CloseLastFigure(FigureList* figures) {
    if (figures->types.empty())
        return;
    figures->types.back() |= GfxPointTypeCloseSubpath;
    figures->newFigure = true;
}
