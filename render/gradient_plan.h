// What painting one shape with one gradient takes, worked out without the
// graphics library: the kind of brush, its points, blend and transform. The
// gradient brush code turns a plan into graphics objects; the plan itself is
// plain numbers, so every build can check it.
#pragma once

#include <cstdint>
#include <vector>

#include "svg/style/gradients.h"
#include "svg/values/transform.h"

struct GradientPoint {
    float x, y;
};

// The area a paint covers and the box it is measured against, both in the
// shape's own user space (the space of its path).
struct GradientTarget {
    float boxX, boxY, boxWidth, boxHeight; // the path's bounding box
    int boxValid;
    float margin;  // how far the painted area reaches beyond the box (half a stroke)
    float opacity; // opacity x fill- or stroke-opacity, scales every colour
};

enum GradientPlanKind {
    GradientPaintNothing = 0, // no stops, an empty box, a singular transform
    GradientPaintSolid = 1,   // one stop, a zero-length vector, a zero radius
    GradientPaintLine = 2,
    GradientPaintPath = 3,
};

struct GradientPlan {
    int kind;
    uint32_t solidColour; // GradientPaintSolid
    // GradientPaintLine: the vector in user space, any gradient transform and
    // box mapping folded into it (the colour of a linear gradient is an affine
    // function of the point, so the folded vector is exact for any transform).
    GradientPoint p1, p2;
    // GradientPaintPath: a circle and the point where the blend starts, in
    // gradient space, and the matrix from gradient space to user space
    // (gradient transform, then the box mapping) that carries both.
    GradientPoint centre, focus;
    float radius;
    float transform[6];
    // Padded radial gradients paint this colour outside their circle first;
    // alpha 0 when there is nothing to paint. underOpaqueBlend says whether
    // every colour of the blend is opaque, so that the under-colour can cover
    // the whole shape instead of only what lies outside the circle.
    uint32_t underColour;
    int underOpaqueBlend;
    int wrapMode;
    // The blend as the brush takes it: positions from 0 to 1, ascending, from
    // p1 (line) or from the circle's boundary to the focus (path).
    std::vector<uint32_t> colours;
    std::vector<float> positions;
};

// Works out how to paint the target with the gradient. Never fails: the plan
// says GradientPaintNothing when nothing can be painted.
void PlanGradient(const GradientDef* definition, const GradientTarget& target, GradientPlan* plan);

// The graphics wrap mode of a spread method (0 pad, 1 reflect, 2 repeat) for
// a line brush; padded line brushes are built to cover the shape instead.
int SpreadToWrapMode(int spread);

// SVG's stops as a blend from 0 to 1: the first colour from 0 up to the first
// offset, the last from the last offset to 1, equal offsets sharp. Colours
// are scaled by opacity.
void StopsToBlend(const GradientDef* definition, float opacity, std::vector<uint32_t>* colours,
                  std::vector<float>* positions);

// The most cycles a radial gradient that reflects or repeats is unrolled to.
const int MaxRadialCycles = 64;
// Colours a reflected or repeated radial's unrolled blend holds at most: the
// stops of one turn are thinned to fit.
const size_t MaxUnrolledStops = 4096;
