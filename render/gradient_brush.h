// Gradient brushes: one gradient definition and one shape give a graphics
// brush that fills the shape under the world transform the renderer has set
// for it (the shape's matrix followed by the layer's placement).
#pragma once

#include <cstdint>

#include "svg/gradients.h"

struct GfxBrush;
struct ShapeRecord;

// A line brush (linear) or a path-gradient brush over a circle (radial), in
// the shape's own user space; null when the gradient cannot be drawn (fewer
// than two stops, empty bounds in bounding-box units, a singular shape or
// linear gradient matrix, a vector shorter than 0.001, a radius that is not
// positive, or a graphics object that could not be made). A padded linear
// gradient gets a vector stretched over the shape's box, with its end colours
// at the new ends, since line brushes cannot clamp. The caller deletes the
// brush.
GfxBrush* CreateGradientBrush(const GradientDef* definition, const ShapeRecord* shape);

// Inverts (a, b, c, d, e, f) in place; returns 0 and leaves it unchanged
// when the determinant is below 1e-9 in magnitude.
int InvertMatrix(float* a, float* b, float* c, float* d, float* e, float* f);
// (x, y) <- (a*x + c*y + e, b*x + d*y + f).
void TransformPoint(float a, float b, float c, float d, float e, float f, float* x, float* y);
// The graphics wrap mode of a spread method (0 pad, 1 reflect, 2 repeat).
int SpreadToWrapMode(int spread, int radial);

// The stops as two arrays sorted by position (stable: equal positions keep
// their stored order), with the first position forced to 0 and the last to
// 1. Returns the count (at most GradientMaxStops).
int SortedGradientStops(const GradientDef* definition, uint32_t* colours, float* positions);
// The blend of a path gradient, which runs from its boundary (0) to its
// centre (1): the sorted stops in reverse order at 1 - position, ends forced
// to 0 and 1.
void ReverseBlendForPathGradient(const uint32_t* colours, const float* positions, int count,
                                 uint32_t* blendColours, float* blendPositions);
