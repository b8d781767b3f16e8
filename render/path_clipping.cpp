#include "render/path_clipping.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

struct Point {
    double x, y;
};

// A figure flattened on the device: its points, and with them (when measured)
// the distance along the figure to each, in user units.
struct Polyline {
    std::vector<Point> points;
    std::vector<double> lengths;
    bool closed = false;
};

// The device matrix and its inverse, and what flattening works to.
struct Mapping {
    DeviceMatrix m, inverse;
    DeviceBox box;
    bool measure;
};

Point Apply(const DeviceMatrix& m, double x, double y) {
    return Point{m.a * x + m.c * y + m.e, m.b * x + m.d * y + m.f};
}

Point ToUser(const Mapping& map, Point p) {
    return Apply(map.inverse, p.x, p.y);
}

bool Finite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

double Distance(Point p, Point q) {
    return std::hypot(q.x - p.x, q.y - p.y);
}

double UserDistance(const Mapping& map, Point p, Point q) {
    return Distance(ToUser(map, p), ToUser(map, q));
}

bool Inside(const DeviceBox& box, Point p) {
    return p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom;
}

// ---- flattening --------------------------------------------------------------

struct Cubic {
    Point p[4];
    int depth;
};

// Past this many halvings a piece is drawn as its chord; with the tolerance
// below no real curve comes near it.
const int MaxHalvings = 64;
// Flattening works to a tenth of a pixel, or to the precision the curve's
// single-precision coordinates hold (about 2^-24 of their size) when that is
// coarser: finer pieces would only trace rounding noise.
const double FlatnessPixels = 0.1;
const double FloatPrecision = 1.0 / (1 << 23);

// All four points beyond one edge of the box: the curve, held within them,
// cannot come into the box, and its chord can stand in for it.
bool BeyondOneEdge(const Cubic& c, const DeviceBox& box) {
    bool left = true, right = true, above = true, below = true;
    for (const Point& p : c.p) {
        left = left && p.x < box.left;
        right = right && p.x > box.right;
        above = above && p.y < box.top;
        below = below && p.y > box.bottom;
    }
    return left || right || above || below;
}

// Both control points within the tolerance of the chord, between its ends
// (a curve can run back and forth along its chord), or near the start point
// when the chord has no length.
bool IsFlat(const Cubic& c, double tolerance) {
    const Point& a = c.p[0];
    const double dx = c.p[3].x - a.x, dy = c.p[3].y - a.y;
    const double chord = std::hypot(dx, dy);
    for (int i = 1; i <= 2; i++) {
        const double px = c.p[i].x - a.x, py = c.p[i].y - a.y;
        if (!(chord > 0)) {
            if (!(std::hypot(px, py) <= tolerance))
                return false;
            continue;
        }
        const double across = std::fabs(px * dy - py * dx) / chord;
        const double along = (px * dx + py * dy) / chord;
        if (!(across <= tolerance && along >= -tolerance && along <= chord + tolerance))
            return false;
    }
    return true;
}

Point Middle(Point p, Point q) {
    return Point{(p.x + q.x) / 2, (p.y + q.y) / 2};
}

void Halve(const Cubic& c, Cubic* first, Cubic* second) {
    const Point ab = Middle(c.p[0], c.p[1]), bc = Middle(c.p[1], c.p[2]);
    const Point cd = Middle(c.p[2], c.p[3]);
    const Point abc = Middle(ab, bc), bcd = Middle(bc, cd), mid = Middle(abc, bcd);
    *first = Cubic{{c.p[0], ab, abc, mid}, c.depth + 1};
    *second = Cubic{{mid, bcd, cd, c.p[3]}, c.depth + 1};
}

// The length in user units of a curve given on the device: halved until
// its control polygon is as long as its chord, a few levels at most, each
// piece counted as (2 chord + polygon) / 3.
double UserCurveLength(const Mapping& map, const Cubic& device) {
    const int MaxLevels = 8;
    Cubic stack[MaxLevels + 2];
    int count = 0;
    Cubic whole = device;
    for (Point& p : whole.p)
        p = ToUser(map, p);
    whole.depth = 0;
    stack[count++] = whole;
    double length = 0;
    while (count > 0) {
        const Cubic c = stack[--count];
        const double chord = Distance(c.p[0], c.p[3]);
        const double polygon =
            Distance(c.p[0], c.p[1]) + Distance(c.p[1], c.p[2]) + Distance(c.p[2], c.p[3]);
        if (c.depth >= MaxLevels || polygon - chord <= 1e-9 * polygon) {
            length += (2 * chord + polygon) / 3;
            continue;
        }
        Halve(c, &stack[count + 1], &stack[count]);
        count += 2;
    }
    return length;
}

void AddPoint(const Mapping& map, Polyline* line, Point p, double length) {
    line->points.push_back(p);
    if (map.measure)
        line->lengths.push_back(length);
}

// Flattens the curve from the polyline's last point: pieces that cannot show
// become their chords (measured as curves), the rest is halved until flat.
void AddCubic(const Mapping& map, Polyline* line, const Point control[3]) {
    Cubic whole = {{line->points.back(), control[0], control[1], control[2]}, 0};
    double size = 0;
    for (const Point& p : whole.p)
        size = std::max({size, std::fabs(p.x), std::fabs(p.y)});
    const double tolerance = std::max(FlatnessPixels, size * FloatPrecision);
    std::vector<Cubic> stack(1, whole);
    while (!stack.empty()) {
        const Cubic c = stack.back();
        stack.pop_back();
        const bool hidden = BeyondOneEdge(c, map.box);
        if (hidden || c.depth >= MaxHalvings || IsFlat(c, tolerance)) {
            double length = 0;
            if (map.measure)
                length = line->lengths.back() +
                         (hidden ? UserCurveLength(map, c) : UserDistance(map, c.p[0], c.p[3]));
            AddPoint(map, line, c.p[3], length);
            continue;
        }
        Cubic first, second;
        Halve(c, &first, &second);
        stack.push_back(second);
        stack.push_back(first);
    }
}

// The figure of points [begin, end) on the device, curves flattened.
bool FlattenFigure(const Mapping& map, const FigureList& figures, size_t begin, size_t end,
                   Polyline* line) {
    line->points.clear();
    line->lengths.clear();
    line->closed = (figures.types[end - 1] & GfxPointTypeCloseSubpath) != 0;
    std::vector<Point> device(end - begin);
    for (size_t i = begin; i < end; i++) {
        const GfxPointF& u = figures.points[i];
        device[i - begin] = Apply(map.m, u.x, u.y);
        if (!Finite(device[i - begin]))
            return false;
    }
    AddPoint(map, line, device[0], 0);
    for (size_t i = 1; i < device.size(); i++) {
        const uint8_t type = figures.types[begin + i] & GfxPointTypeMask;
        if (type == GfxPointTypeBezier && i + 2 < device.size()) {
            AddCubic(map, line, &device[i]);
            i += 2;
            continue;
        }
        const double length =
            map.measure ? line->lengths.back() + UserDistance(map, line->points.back(), device[i])
                        : 0;
        AddPoint(map, line, device[i], length);
    }
    return true;
}

// Calls visit(polyline) for each figure of the list, flattened; false when a
// figure holds a point that is not a finite number.
template <typename Visit>
bool ForEachFigure(const Mapping& map, const FigureList& figures, Visit visit) {
    const size_t count = std::min(figures.points.size(), figures.types.size());
    Polyline line;
    for (size_t begin = 0; begin < count;) {
        size_t end = begin + 1;
        while (end < count && (figures.types[end] & GfxPointTypeMask) != GfxPointTypeStart &&
               !(figures.types[end - 1] & GfxPointTypeCloseSubpath))
            end++;
        if (!FlattenFigure(map, figures, begin, end, &line))
            return false;
        visit(line);
        begin = end;
    }
    return true;
}

bool StartMapping(const DeviceMatrix& m, const DeviceBox& box, bool measure, Mapping* map) {
    map->m = m;
    map->box = box;
    map->measure = measure;
    return InvertDeviceMatrix(m, &map->inverse);
}

// Appends the device points as one figure in user space.
void AddUserFigure(const Mapping& map, const std::vector<Point>& points, bool closed,
                   FigureList* out) {
    for (size_t i = 0; i < points.size(); i++) {
        const Point u = ToUser(map, points[i]);
        out->points.push_back(GfxPointF{static_cast<float>(u.x), static_cast<float>(u.y)});
        out->types.push_back(i == 0 ? GfxPointTypeStart : GfxPointTypeLine);
    }
    if (closed)
        CloseLastFigure(out);
}

// ---- fill: Sutherland-Hodgman --------------------------------------------------

// One edge of the box: points with side(p) >= 0 are inside.
struct Edge {
    int axis;     // 0: x, 1: y
    double limit; // the edge's coordinate
    double sign;  // +1: inside is above the limit, -1: below
};

double Side(const Edge& e, Point p) {
    return ((e.axis == 0 ? p.x : p.y) - e.limit) * e.sign;
}

// Where the segment p-q crosses the edge's line, placed exactly on it.
Point Crossing(const Edge& e, Point p, Point q) {
    const double t = (e.limit - (e.axis == 0 ? p.x : p.y)) /
                     ((e.axis == 0 ? q.x : q.y) - (e.axis == 0 ? p.x : p.y));
    if (e.axis == 0)
        return Point{e.limit, p.y + t * (q.y - p.y)};
    return Point{p.x + t * (q.x - p.x), e.limit};
}

// The closed polygon cut to the inner side of one edge: every outside run is
// replaced by a run along the edge, which winds around no inside point.
void ClipToEdge(const Edge& e, const std::vector<Point>& in, std::vector<Point>* out) {
    out->clear();
    for (size_t i = 0; i < in.size(); i++) {
        const Point& p = in[i == 0 ? in.size() - 1 : i - 1];
        const Point& q = in[i];
        const bool pIn = Side(e, p) >= 0, qIn = Side(e, q) >= 0;
        if (pIn != qIn)
            out->push_back(Crossing(e, p, q));
        if (qIn)
            out->push_back(q);
    }
}

} // namespace

bool DeviceBoundsOf(const DeviceMatrix& m, double x, double y, double width, double height,
                    DeviceBox* bounds) {
    const Point corners[4] = {Apply(m, x, y), Apply(m, x + width, y), Apply(m, x, y + height),
                              Apply(m, x + width, y + height)};
    *bounds = DeviceBox{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
    for (const Point& p : corners) {
        if (!Finite(p))
            return false;
        bounds->left = std::min(bounds->left, p.x);
        bounds->top = std::min(bounds->top, p.y);
        bounds->right = std::max(bounds->right, p.x);
        bounds->bottom = std::max(bounds->bottom, p.y);
    }
    return true;
}

bool BoxWithin(const DeviceBox& inner, const DeviceBox& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool ClipFiguresForFill(const FigureList& figures, const DeviceMatrix& m, const DeviceBox& box,
                        FigureList* out) {
    Mapping map;
    if (!StartMapping(m, box, false, &map))
        return false;
    const Edge edges[4] = {
        {0, box.left, 1}, {0, box.right, -1}, {1, box.top, 1}, {1, box.bottom, -1}};
    std::vector<Point> polygon, cut;
    return ForEachFigure(map, figures, [&](const Polyline& line) {
        polygon = line.points;
        for (const Edge& e : edges) {
            ClipToEdge(e, polygon, &cut);
            polygon.swap(cut);
        }
        if (polygon.size() >= 3)
            AddUserFigure(map, polygon, true, out);
    });
}

namespace {

// ---- stroke: polylines cut into pieces ------------------------------------------

// The part of segment p-q inside the box as parameters t0 <= t1 in [0, 1]
// (Liang-Barsky); false when none of it is.
bool SegmentInBox(const DeviceBox& box, Point p, Point q, double* t0, double* t1) {
    double lo = 0, hi = 1;
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double run[4] = {-dx, dx, -dy, dy};
    const double room[4] = {p.x - box.left, box.right - p.x, p.y - box.top, box.bottom - p.y};
    for (int i = 0; i < 4; i++) {
        if (run[i] == 0) {
            if (room[i] < 0)
                return false;
            continue;
        }
        const double t = room[i] / run[i];
        if (run[i] < 0)
            lo = std::max(lo, t);
        else
            hi = std::min(hi, t);
    }
    *t0 = lo;
    *t1 = hi;
    return lo <= hi;
}

Point At(Point p, Point q, double t) {
    return Point{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
}

// Cuts pieces from an open polyline; each piece that ends is handed to
// finish(points, start length).
struct PieceCutter {
    const Mapping& map;
    FigureList* out;
    std::vector<double>* starts;
    std::vector<Point> piece;
    double pieceStart = 0;

    void Finish() {
        if (piece.size() >= 2) {
            AddUserFigure(map, piece, false, out);
            if (starts)
                starts->push_back(pieceStart);
        }
        piece.clear();
    }

    // Points [first, last] of the polyline (indices wrap around).
    void Cut(const Polyline& line, size_t first, size_t count) {
        const size_t n = line.points.size();
        for (size_t k = 0; k + 1 < count; k++) {
            const size_t i = (first + k) % n, j = (first + k + 1) % n;
            const Point p = line.points[i], q = line.points[j];
            double t0, t1;
            if (!SegmentInBox(map.box, p, q, &t0, &t1)) {
                Finish();
                continue;
            }
            if (piece.empty() || t0 > 0) {
                Finish();
                const Point a = At(p, q, t0);
                piece.push_back(a);
                // Measured back from q, so that the dashes meet q at its
                // distance even where p-q stands in for a longer curve.
                if (map.measure)
                    pieceStart = line.lengths[j] - UserDistance(map, a, q);
            }
            const Point b = At(p, q, t1);
            if (b.x != piece.back().x || b.y != piece.back().y)
                piece.push_back(b);
            if (t1 < 1)
                Finish();
        }
        Finish();
    }
};

} // namespace

bool ClipFiguresForStroke(const FigureList& figures, const DeviceMatrix& m, const DeviceBox& box,
                          bool dashed, FigureList* out, std::vector<double>* starts) {
    Mapping map;
    if (!StartMapping(m, box, dashed, &map))
        return false;
    PieceCutter cutter{map, out, dashed ? starts : nullptr, {}, 0};
    return ForEachFigure(map, figures, [&](Polyline& line) {
        const size_t n = line.points.size();
        if (!line.closed) {
            cutter.Cut(line, 0, n);
            return;
        }
        size_t outside = 0;
        while (outside < n && Inside(box, line.points[outside]))
            outside++;
        if (outside == n) { // wholly inside: kept closed, its joins all drawn
            AddUserFigure(map, line.points, true, out);
            if (dashed)
                starts->push_back(0);
            return;
        }
        // Around from a point outside back to it, through the closing segment.
        line.points.push_back(line.points[0]);
        if (dashed) {
            line.lengths.push_back(line.lengths.back() +
                                   UserDistance(map, line.points[n - 1], line.points[0]));
            cutter.Cut(line, outside, n + 1 - outside); // to the first point, at its end
            cutter.Cut(line, 0, outside + 1);
            return;
        }
        cutter.Cut(line, outside, n + 2);
    });
}
