// Gradient brushes: a gradient plan made into graphics objects for one shape,
// under the world transform the renderer has set for it (the shape's matrix
// followed by the layer's placement).
#pragma once

#include <cstdint>

#include "render/gradient_plan.h"

struct GfxBrush;
struct GfxPath;
struct ShapeRecord;

// What the shape's fill or stroke covers: its path's box, the reach of the
// stroke beyond it, and the paint's opacity.
GradientTarget FillTarget(const ShapeRecord* shape);
GradientTarget StrokeTarget(const ShapeRecord* shape);

// A solid brush, a line brush or a path-gradient brush for the plan; null for
// GradientPaintNothing or when the graphics library could not make one. The
// caller deletes it. With `sides` (3 or more) a path gradient's boundary is
// a polygon of that many corners on its circle instead of the circle: one
// GDI+ has no curve to flatten in.
GfxBrush* CreatePlannedBrush(const GradientPlan& plan, int sides = 0);
// The plan's circle in user space (a path-gradient plan's boundary, the
// polygon with `sides`), for painting its under-colour around it; null for
// other plans. The caller deletes it.
GfxPath* CreatePlannedCircle(const GradientPlan& plan, int sides = 0);
