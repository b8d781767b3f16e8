#include "svg/records/work_budget.h"

#include <algorithm>

namespace {

size_t Divisor = 1;
size_t OffscreenPixels = 0; // 0: the default

// Whether `more` fits in what is left of `most` after `spent`.
bool Fits(size_t spent, size_t most, size_t more) {
    return spent <= most && more <= most - spent;
}

// Marks every unit of the budget spent: nothing more is drawn.
void SpendAll(const WorkBudget& budget, WorkBudget* spent) {
    spent->pathPoints = budget.pathPoints;
    spent->shapes = budget.shapes;
    spent->gradientStops = budget.gradientStops;
    spent->textCharacters = budget.textCharacters;
}

} // namespace

WorkBudget LoadWorkBudget() {
    return WorkBudget{DefaultLoadPathPoints / Divisor,    DefaultLoadShapes / Divisor, 0, 0, 0,
                      DefaultLoadTextCharacters / Divisor};
}

WorkBudget RenderWorkBudget() {
    return WorkBudget{DefaultRenderPathPoints / Divisor,
                      DefaultRenderShapes / Divisor,
                      OffscreenPixels ? OffscreenPixels : DefaultRenderOffscreenPixels / Divisor,
                      DefaultRenderGradientStops / Divisor,
                      DefaultRenderDashes / Divisor,
                      0};
}

void ScaleDownWorkBudgets(size_t divisor) {
    Divisor = divisor > 0 ? divisor : 1;
}

void SetRenderOffscreenPixels(size_t pixels) {
    OffscreenPixels = pixels;
}

bool SpendWork(const WorkBudget& budget, WorkBudget* spent, size_t points, size_t stops) {
    if (!Fits(spent->shapes, budget.shapes, 1) ||
        !Fits(spent->pathPoints, budget.pathPoints, points) ||
        !Fits(spent->gradientStops, budget.gradientStops, stops)) {
        SpendAll(budget, spent);
        return false;
    }
    spent->shapes++;
    spent->pathPoints += points;
    spent->gradientStops += stops;
    return true;
}

bool SpendTextCharacters(const WorkBudget& budget, WorkBudget* spent, size_t characters) {
    if (!Fits(spent->textCharacters, budget.textCharacters, characters)) {
        SpendAll(budget, spent);
        return false;
    }
    spent->textCharacters += characters;
    return true;
}

bool SpendDashes(const WorkBudget& budget, WorkBudget* spent, size_t dashes) {
    if (!Fits(spent->dashes, budget.dashes, dashes))
        return false;
    spent->dashes += dashes;
    return true;
}

bool WorkBudgetSpent(const WorkBudget& budget, const WorkBudget& spent) {
    return spent.shapes >= budget.shapes;
}

size_t OffscreenPixelsLeft(const WorkBudget& budget, const WorkBudget& spent) {
    return budget.offscreenPixels - std::min(spent.offscreenPixels, budget.offscreenPixels);
}

size_t GradientStopsLeft(const WorkBudget& budget, const WorkBudget& spent) {
    return budget.gradientStops - std::min(spent.gradientStops, budget.gradientStops);
}
