// Paths too large for GDI+ to take whole. GDI+ flattens curves by recursion
// in single precision; on a curve some tens of thousands of pixels across the
// recursion no longer ends before the stack does, and the host dies with it.
// Such paths are flattened here, in double precision and only where they can
// show, and cut down to the drawn area plus what the stroke reaches, so GDI+
// gets straight lines of a bounded size.
#pragma once

#include <vector>

#include "render/figures.h"
#include "svg/values/transform.h"

// An axis-aligned rectangle of device pixels, edges included.
struct DeviceBox {
    double left, top, right, bottom;
};

// How far beyond the drawn area, in pixels, a path may reach and still be
// handed to GDI+ as it stands. Crashes start at about 40,000 pixels across;
// a path kept within 8192 pixels of an area of at most a few thousand spans
// under half of that, and device coordinates this size still hold 1/1024 of
// a pixel in single precision.
const double LargestReachBeyondArea = 8192;

// The box around the user-space rectangle (x, y, width, height) under the
// matrix; false when it holds anything but finite numbers.
bool DeviceBoundsOf(const DeviceMatrix& m, double x, double y, double width, double height,
                    DeviceBox* bounds);

// Whether `inner` lies within `outer`.
bool BoxWithin(const DeviceBox& inner, const DeviceBox& outer);

// The figures as a fill: every figure flattened on the device, closed and cut
// to the box (Sutherland-Hodgman against each edge), and mapped back into user
// space. Every point inside the box keeps its winding number, so both fill
// rules fill the box exactly as before. False when nothing can be drawn: the
// matrix cannot be inverted or a point is not a finite number.
bool ClipFiguresForFill(const FigureList& figures, const DeviceMatrix& m, const DeviceBox& box,
                        FigureList* out);

// The figures as a stroke: open pieces of the figures inside the box, cut
// where they leave it, in user space. A closed figure inside the box stays
// closed; one that leaves it is cut into pieces, starting from a point outside
// so no cut end lies inside the box. With `dashed`, each piece's distance
// along its figure (in user units, from the figure's first point) is in
// *starts, one per figure of *out, and a closed figure is also cut at its
// first point, where its dashes start again. False as for the fill.
bool ClipFiguresForStroke(const FigureList& figures, const DeviceMatrix& m, const DeviceBox& box,
                          bool dashed, FigureList* out, std::vector<double>* starts);
