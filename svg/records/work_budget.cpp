#include "svg/records/work_budget.h"

#include <algorithm>

namespace {

size_t Divisor = 1;
size_t OffscreenPixels = 0; // 0: the default

} // namespace

WorkBudget LoadWorkBudget() {
    return WorkBudget{DefaultLoadPathPoints / Divisor, DefaultLoadShapes / Divisor, 0};
}

WorkBudget RenderWorkBudget() {
    return WorkBudget{DefaultRenderPathPoints / Divisor, DefaultRenderShapes / Divisor,
                      OffscreenPixels ? OffscreenPixels : DefaultRenderOffscreenPixels / Divisor};
}

void ScaleDownWorkBudgets(size_t divisor) {
    Divisor = divisor > 0 ? divisor : 1;
}

void SetRenderOffscreenPixels(size_t pixels) {
    OffscreenPixels = pixels;
}

bool SpendWork(const WorkBudget& budget, WorkBudget* spent, size_t points) {
    const bool fits = spent->shapes < budget.shapes && spent->pathPoints <= budget.pathPoints &&
                      points <= budget.pathPoints - spent->pathPoints;
    if (!fits) {
        spent->pathPoints = budget.pathPoints;
        spent->shapes = budget.shapes;
        return false;
    }
    spent->shapes++;
    spent->pathPoints += points;
    return true;
}

bool WorkBudgetSpent(const WorkBudget& budget, const WorkBudget& spent) {
    return spent.shapes >= budget.shapes;
}

size_t OffscreenPixelsLeft(const WorkBudget& budget, const WorkBudget& spent) {
    return budget.offscreenPixels - std::min(spent.offscreenPixels, budget.offscreenPixels);
}
