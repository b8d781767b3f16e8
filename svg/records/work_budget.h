// What one load and one render may do at most, counted in what costs them:
// path points and shapes. A load counts the records it makes, the content of
// uses, markers, masks and patterns included; a render counts the shapes it
// paints, offscreen content each time it is drawn. The defaults lie far above
// any real drawing; past a budget the rest is not drawn, never half a shape.
#pragma once

#include <cstddef>

struct WorkBudget {
    size_t pathPoints;
    size_t shapes;
};

enum : size_t {
    DefaultLoadPathPoints = 4000000,
    DefaultLoadShapes = 500000,
    DefaultRenderPathPoints = 8000000,
    DefaultRenderShapes = 1000000,
};

WorkBudget LoadWorkBudget();
WorkBudget RenderWorkBudget();
// A test hook: every budget divided by `divisor` (1 restores the defaults).
void ScaleDownWorkBudgets(size_t divisor);

// Counts one shape of `points` path points into *spent. When it does not fit
// nothing is counted, the budget is spent from then on, and false returned.
bool SpendWork(const WorkBudget& budget, WorkBudget* spent, size_t points);
bool WorkBudgetSpent(const WorkBudget& budget, const WorkBudget& spent);
