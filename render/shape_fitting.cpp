#include "render/shape_fitting.h"

#include <cmath>
#include <cstdint>
#include <numeric>

#include "svg/records/document.h"

namespace {

// A pixel around every part for anti-aliasing (and for GDI+'s pens, which
// draw at least one pixel wide).
const double AntiAliasPixels = 1;

DeviceBox Grown(const DeviceBox& box, double by) {
    return DeviceBox{box.left - by, box.top - by, box.right + by, box.bottom + by};
}

// The most the matrix stretches a length: its largest singular value.
double LargestStretch(const DeviceMatrix& m) {
    const double p = m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d;
    const double det = m.a * m.d - m.b * m.c;
    return std::sqrt((p + std::sqrt(std::fmax(p * p - 4 * det * det, 0))) / 2);
}

// How far the stroke's paint reaches from its path, in pixels: half its
// width, times the miter limit at miter joins and the square cap's diagonal.
double StrokeReach(const ShapeRecord& shape, double halfWidth) {
    double factor = 1;
    if (shape.lineJoin == 0)
        factor = std::fmax(factor, shape.miterLimit);
    if (shape.lineCap == 1)
        factor = std::fmax(factor, std::sqrt(2.0));
    return halfWidth * factor + AntiAliasPixels;
}

bool ReadFigures(GfxPath* path, FigureList* figures) {
    const int count = GfxGetPathPointCount(path);
    figures->points.resize(static_cast<size_t>(count > 0 ? count : 0));
    figures->types.resize(figures->points.size());
    return GfxGetPathData(path, figures->points.data(), figures->types.data(), count) == count;
}

// The path's user-space box; from its points when GDI+'s bounds entry point
// is not at hand.
bool UserBounds(GfxPath* path, GfxRectF* bounds) {
    if (GfxGetPathBounds(path, nullptr, bounds))
        return true;
    FigureList figures;
    if (!ReadFigures(path, &figures) || figures.points.empty())
        return false;
    float lowX = figures.points[0].x, lowY = figures.points[0].y, highX = lowX, highY = lowY;
    for (const GfxPointF& p : figures.points) {
        lowX = std::fmin(lowX, p.x), lowY = std::fmin(lowY, p.y);
        highX = std::fmax(highX, p.x), highY = std::fmax(highY, p.y);
    }
    *bounds = GfxRectF{lowX, lowY, highX - lowX, highY - lowY};
    return true;
}

bool IsDashed(const ShapeRecord& shape) {
    return FloatsOf(shape.dashes).size() >= 2 && shape.strokeWidth > 0;
}

// Adds a path of the figures [first, last) of the list.
bool AddPath(const FigureList& cut, size_t first, size_t last, int fillMode, FittedPaths* fitted) {
    GfxOwnedPath path(GfxCreatePathFromFigures(cut.points.data() + first, cut.types.data() + first,
                                               static_cast<int>(last - first)));
    if (!path)
        return false;
    GfxSetFillMode(path.get(), fillMode);
    fitted->paths.push_back(std::move(path));
    return true;
}

// A dashed stroke's pieces go to GDI+ one by one, each with its own dash
// phase; anything else as one path.
PathFit MakePaths(const ShapeRecord& shape, const FigureList& cut,
                  const std::vector<double>& starts, bool dashed, FittedPaths* fitted) {
    const int fillMode = GfxGetFillMode(shape.path);
    if (!dashed) {
        if (!cut.points.empty() && !AddPath(cut, 0, cut.points.size(), fillMode, fitted))
            return PathNoMemory;
        fitted->dashStarts.assign(fitted->paths.size(), 0);
        return PathCut;
    }
    const std::vector<float>& dashes = FloatsOf(shape.dashes);
    const double repeat = std::accumulate(dashes.begin(), dashes.end(), 0.0);
    size_t figure = 0;
    for (size_t first = 0; first < cut.points.size(); figure++) {
        size_t last = first + 1;
        while (last < cut.points.size() && cut.types[last] != GfxPointTypeStart)
            last++;
        if (!AddPath(cut, first, last, fillMode, fitted))
            return PathNoMemory;
        fitted->dashStarts.push_back(repeat > 0 ? std::fmod(starts[figure], repeat) : 0);
        first = last;
    }
    return PathCut;
}

} // namespace

double OutlineLength(GfxPath* path) {
    FigureList figures;
    if (!ReadFigures(path, &figures))
        return 0;
    double length = 0;
    size_t start = 0;
    for (size_t i = 0; i < figures.points.size(); i++) {
        const GfxPointF& p = figures.points[i];
        if ((figures.types[i] & GfxPointTypeMask) == GfxPointTypeStart)
            start = i;
        else
            length += std::hypot(p.x - figures.points[i - 1].x, p.y - figures.points[i - 1].y);
        if (figures.types[i] & GfxPointTypeCloseSubpath)
            length += std::hypot(p.x - figures.points[start].x, p.y - figures.points[start].y);
    }
    return length;
}

size_t DashCount(const ShapeRecord& shape) {
    if (!IsDashed(shape))
        return 0;
    const std::vector<float>& dashes = FloatsOf(shape.dashes);
    const double repeat = std::accumulate(dashes.begin(), dashes.end(), 0.0);
    const double made =
        std::ceil(OutlineLength(shape.path) / repeat * static_cast<double>(dashes.size() / 2));
    if (!(made > 0)) // also not-a-number: no dashes to count
        return 0;
    return made < static_cast<double>(SIZE_MAX) ? static_cast<size_t>(made) : SIZE_MAX;
}

bool WithinGdiPlusReach(const DeviceBox& bounds, const DeviceBox& area) {
    return BoxWithin(bounds, Grown(area, LargestReachBeyondArea));
}

bool PaintReach(const ShapeRecord& shape, const float matrix[6], DeviceBox* box) {
    const DeviceMatrix m = {matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]};
    GfxRectF user;
    if (!UserBounds(shape.path, &user) ||
        !DeviceBoundsOf(m, user.x, user.y, user.width, user.height, box))
        return false;
    double reach = AntiAliasPixels;
    if (shape.hasStroke) {
        // A pen draws a pixel wide at least; a non-scaling stroke's width is
        // in pixels.
        const double width = std::fmax(shape.strokeWidth * LargestStretch(m),
                                       shape.nonScalingStroke ? shape.strokeWidth : 1.0);
        reach = StrokeReach(shape, width / 2);
    }
    *box = Grown(*box, reach + 1);
    return std::isfinite(box->left + box->top + box->right + box->bottom);
}

PathFit FitFillPath(GfxPath* path, const float matrix[6], const DeviceBox& area,
                    FittedPaths* fitted) {
    ShapeRecord filled = ShapeRecord();
    filled.path = path;
    return FitShapePath(filled, matrix, area, false, fitted);
}

PathFit FitShapePath(const ShapeRecord& shape, const float matrix[6], const DeviceBox& area,
                     bool stroke, FittedPaths* fitted) {
    const DeviceMatrix m = {matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]};
    GfxRectF user;
    if (!UserBounds(shape.path, &user))
        return PathAsItIs; // no points: nothing for GDI+ to flatten
    DeviceBox bounds;
    if (!DeviceBoundsOf(m, user.x, user.y, user.width, user.height, &bounds))
        return PathUnusable;
    double reach = AntiAliasPixels;
    if (stroke) {
        const double halfWidth = shape.strokeWidth / 2.0 * LargestStretch(m);
        // GDI+ rounds joins and caps with curves of this radius; other
        // joins and caps are straight lines, however wide.
        const bool rounded = shape.lineJoin == 2 || shape.lineCap == 2;
        if (!std::isfinite(halfWidth) || (rounded && halfWidth > LargestReachBeyondArea))
            return PathUnusable;
        // Miter tips longer than this are cut off where they could show
        // (only miter limits in the thousands meet it), so that GDI+ gets
        // lines of a few tens of thousands of pixels at most.
        reach = std::fmin(StrokeReach(shape, halfWidth), halfWidth + LargestReachBeyondArea);
    }
    if (WithinGdiPlusReach(bounds, area))
        return PathAsItIs;
    FigureList figures, cut;
    if (!ReadFigures(shape.path, &figures))
        return PathUnusable;
    std::vector<double> starts;
    const bool dashed = stroke && IsDashed(shape);
    const bool clipped =
        stroke ? ClipFiguresForStroke(figures, m, Grown(area, reach), dashed, &cut, &starts)
               : ClipFiguresForFill(figures, m, Grown(area, reach), &cut);
    if (!clipped)
        return PathUnusable;
    return MakePaths(shape, cut, starts, dashed, fitted);
}
