// Paths of the basic shapes, in each element's own user units.
#include <cmath>

#include "render/graphics.h"
#include "svg/base/scan.h"
#include "svg/build/walker.h"

// A radius that is not given (negative or not a number) takes the other
// one's value; each is then at most half its side. A zero radius in either
// direction leaves square corners.
static void ResolveCornerRadii(float w, float h, float* rx, float* ry) {
    if (!(*rx >= 0))
        *rx = *ry;
    if (!(*ry >= 0))
        *ry = *rx;
    *rx = *rx >= 0 ? std::fmin(*rx, w / 2) : 0;
    *ry = *ry >= 0 ? std::fmin(*ry, h / 2) : 0;
}

// A new path with `add` run on it; deleted when memory runs out on the way
// (the portable paths grow standard containers).
template <typename Add> static GfxPath* NewPath(Add add) {
    GfxOwnedPath path(GfxCreatePath());
    if (path)
        add(path.get());
    return path.release();
}

static void AddRoundedRect(GfxPath* path, float x, float y, float w, float h, float rx, float ry) {
    float dx = 2 * rx, dy = 2 * ry;
    // One figure, clockwise from the top edge; an edge of length 0 between two
    // arcs is still added.
    GfxAddLine(path, x + rx, y, x + w - rx, y);
    GfxAddArc(path, x + w - dx, y, dx, dy, 270, 90);
    GfxAddLine(path, x + w, y + ry, x + w, y + h - ry);
    GfxAddArc(path, x + w - dx, y + h - dy, dx, dy, 0, 90);
    GfxAddLine(path, x + w - rx, y + h, x + rx, y + h);
    GfxAddArc(path, x, y + h - dy, dx, dy, 90, 90);
    GfxAddLine(path, x, y + h - ry, x, y + ry);
    GfxAddArc(path, x, y, dx, dy, 180, 90);
    GfxCloseFigure(path);
}

GfxPath* BuildRectPath(float x, float y, float w, float h, float rx, float ry) {
    ResolveCornerRadii(w, h, &rx, &ry);
    return NewPath([&](GfxPath* path) {
        if (rx > 0 && ry > 0)
            AddRoundedRect(path, x, y, w, h, rx, ry);
        else
            GfxAddRectangle(path, x, y, w, h);
    });
}

GfxPath* BuildEllipsePath(float cx, float cy, float rx, float ry) {
    return NewPath([&](GfxPath* path) { GfxAddEllipse(path, cx - rx, cy - ry, 2 * rx, 2 * ry); });
}

GfxPath* BuildLinePath(float x1, float y1, float x2, float y2) {
    return NewPath([&](GfxPath* path) { GfxAddLine(path, x1, y1, x2, y2); });
}

// A lone last coordinate followed by a separator reads its partner as 0 (the
// scanner moved over the separator); one at the very end is dropped.
static void AddPolyPoints(GfxPath* path, const std::wstring& points, int closed) {
    const int length = static_cast<int>(points.size());
    int position = 1;
    bool started = false;
    float lastX = 0, lastY = 0;
    while (position <= length) {
        float x = 0, y = 0;
        int next = ScanNumber(points, position, &x);
        if (next == position)
            break;
        position = next;
        next = ScanNumber(points, position, &y);
        if (next == position)
            break;
        position = next;
        if (!started) {
            started = true;
            GfxStartFigure(path);
        } else {
            GfxAddLine(path, lastX, lastY, x, y);
        }
        lastX = x;
        lastY = y;
    }
    if (closed && started)
        GfxCloseFigure(path);
}

GfxPath* BuildPolyPath(const std::wstring& points, int closed) {
    return NewPath([&](GfxPath* path) { AddPolyPoints(path, points, closed); });
}

void ReadPathPoints(GfxPath* path, std::vector<GfxPointF>* points, std::vector<uint8_t>* types) {
    int count = GfxGetPathPointCount(path);
    if (count <= 0)
        count = 0;
    points->resize(static_cast<size_t>(count));
    types->resize(static_cast<size_t>(count));
    count = count ? GfxGetPathData(path, points->data(), types->data(), count) : 0;
    points->resize(static_cast<size_t>(count));
    types->resize(static_cast<size_t>(count));
}
