#include "svg/records/work_budget.h"

namespace {

size_t Divisor = 1;

} // namespace

WorkBudget LoadWorkBudget() {
    return WorkBudget{DefaultLoadPathPoints / Divisor, DefaultLoadShapes / Divisor};
}

WorkBudget RenderWorkBudget() {
    return WorkBudget{DefaultRenderPathPoints / Divisor, DefaultRenderShapes / Divisor};
}

void ScaleDownWorkBudgets(size_t divisor) {
    Divisor = divisor > 0 ? divisor : 1;
}

bool SpendWork(const WorkBudget& budget, WorkBudget* spent, size_t points) {
    const bool fits = spent->shapes < budget.shapes && spent->pathPoints <= budget.pathPoints &&
                      points <= budget.pathPoints - spent->pathPoints;
    if (!fits) {
        *spent = budget;
        return false;
    }
    spent->shapes++;
    spent->pathPoints += points;
    return true;
}

bool WorkBudgetSpent(const WorkBudget& budget, const WorkBudget& spent) {
    return spent.shapes >= budget.shapes;
}
