// What one load and one render may do at most, counted in what costs them:
// path points, shapes and offscreen pixels. A load counts the records it
// makes, the content of uses, markers, masks, patterns and clip paths
// included; a render counts the shapes it paints (offscreen content each time
// it is drawn) and the pixels of the bitmaps it draws offscreen (layers,
// masks, clips drawn as bitmaps, pattern tiles, filter images). The defaults
// lie far above any real drawing; past a budget the rest is not drawn, never
// half a shape.
#pragma once

#include <cstddef>

struct WorkBudget {
    size_t pathPoints;
    size_t shapes;
    size_t offscreenPixels; // a load draws none
};

enum : size_t {
    DefaultLoadPathPoints = 4000000,
    DefaultLoadShapes = 500000,
    DefaultRenderPathPoints = 8000000,
    DefaultRenderShapes = 1000000,
    DefaultRenderOffscreenPixels = size_t(1) << 25, // 128 MB of bitmaps
};

WorkBudget LoadWorkBudget();
WorkBudget RenderWorkBudget();
// A test hook: every budget divided by `divisor` (1 restores the defaults).
void ScaleDownWorkBudgets(size_t divisor);
// A test hook: the render's offscreen pixels set apart from the rest (0
// restores the default, scaled as the rest).
void SetRenderOffscreenPixels(size_t pixels);

// Counts one shape of `points` path points into *spent. When it does not fit
// nothing is counted, the budget is spent from then on, and false returned.
bool SpendWork(const WorkBudget& budget, WorkBudget* spent, size_t points);
bool WorkBudgetSpent(const WorkBudget& budget, const WorkBudget& spent);
// The offscreen pixels still to be had. A bitmap that does not fit is not
// drawn, but smaller ones may still be.
size_t OffscreenPixelsLeft(const WorkBudget& budget, const WorkBudget& spent);
