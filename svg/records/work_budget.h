// What one load and one render may do at most, counted in what costs them:
// path points, shapes, offscreen pixels, gradient stops, dashes and text
// characters. A load counts the records it makes, the content of uses,
// markers, masks, patterns and clip paths included, and the characters it
// lays out; a render counts the shapes it paints (offscreen content each time
// it is drawn), the stops of their gradients, their dashes and the pixels of
// the bitmaps it draws offscreen (layers, masks, clips drawn as bitmaps,
// pattern tiles, filter images). The defaults lie far above any real drawing;
// past a budget the rest is not drawn, never half a shape or half a text.
// Dashes alone stop nothing: a stroke whose dashes do not fit is drawn solid.
#pragma once

#include <cstddef>

struct WorkBudget {
    size_t pathPoints;
    size_t shapes;
    size_t offscreenPixels; // a load draws none
    size_t gradientStops;   // of the brushes a render makes; a load makes none
    size_t dashes;          // of the strokes a render draws; a load draws none
    size_t textCharacters;  // laid out by a load; a render lays out none
};

enum : size_t {
    DefaultLoadPathPoints = 4000000,
    DefaultLoadShapes = 500000,
    DefaultLoadTextCharacters = 200000,
    DefaultRenderPathPoints = 8000000,
    DefaultRenderShapes = 1000000,
    DefaultRenderOffscreenPixels = size_t(1) << 25, // 128 MB of bitmaps
    DefaultRenderGradientStops = 2000000,
    DefaultRenderDashes = 200000, // about two seconds of GDI+'s dashing under Wine
};

WorkBudget LoadWorkBudget();
WorkBudget RenderWorkBudget();
// A test hook: every budget divided by `divisor` (1 restores the defaults).
void ScaleDownWorkBudgets(size_t divisor);
// A test hook: the render's offscreen pixels set apart from the rest (0
// restores the default, scaled as the rest).
void SetRenderOffscreenPixels(size_t pixels);

// Counts one shape of `points` path points whose brushes hold `stops`
// gradient stops into *spent. When it does not fit nothing is counted, the
// budget is spent from then on, and false returned.
bool SpendWork(const WorkBudget& budget, WorkBudget* spent, size_t points, size_t stops = 0);
// The same for the characters of one text element, before its shapes.
bool SpendTextCharacters(const WorkBudget& budget, WorkBudget* spent, size_t characters);
// Counts the dashes of one stroke when they fit; when they do not nothing
// is counted (the stroke is drawn solid) and smaller strokes may still fit.
bool SpendDashes(const WorkBudget& budget, WorkBudget* spent, size_t dashes);
bool WorkBudgetSpent(const WorkBudget& budget, const WorkBudget& spent);
// The offscreen pixels still to be had. A bitmap that does not fit is not
// drawn, but smaller ones may still be.
size_t OffscreenPixelsLeft(const WorkBudget& budget, const WorkBudget& spent);
size_t GradientStopsLeft(const WorkBudget& budget, const WorkBudget& spent);
