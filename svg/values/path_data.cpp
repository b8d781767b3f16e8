// Path data ("d") into figures of lines and cubic Bezier curves. Quadratic
// curves are raised to cubics and elliptical arcs are split into cubics here,
// so paths hold nothing else. The parser is silent: it appends what it could
// read up to the first place where the text stops making sense.
#include "svg/values/path_data.h"

#include <climits>
#include <cmath>
#include <cstdint>

#include "render/figures.h"
#include "render/graphics.h"
#include "svg/base/scan.h"
#include "svg/base/strings.h"

namespace {

struct Point {
    float x, y;
};

struct PathParser {
    FigureList* figures; // handed to the path whole at the end
    const char* text;    // UTF-8; every character of path data is ASCII
    int length;
    int position;
    wchar_t previousCommand;
    Point current;
    Point subpathStart;
    int subpathFirstPoint; // the path's point count at the last moveto
    Point lastControl;
    int largeArc; // the arc flags keep their values from one arc to the next
    int sweep;
    std::vector<PathSegment>* segments; // null unless the segments are wanted
};

void RecordSegment(PathParser& p, int kind, Point from, Point to, Point startDirection,
                   Point endDirection) {
    if (p.segments)
        p.segments->push_back(PathSegment{kind, from.x, from.y, to.x, to.y, startDirection.x,
                                          startDirection.y, endDirection.x, endDirection.y});
}

Point Difference(Point to, Point from) {
    return Point{to.x - from.x, to.y - from.y};
}

bool IsZero(Point v) {
    return v.x == 0 && v.y == 0;
}

void RecordLine(PathParser& p, int kind, Point from, Point to) {
    Point direction = Difference(to, from);
    RecordSegment(p, kind, from, to, direction, direction);
}

// A curve's directions at its ends: towards the first control point that
// differs from the end.
void RecordCubic(PathParser& p, Point p0, Point p1, Point p2, Point p3) {
    Point start = Difference(p1, p0);
    if (IsZero(start))
        start = Difference(p2, p0);
    if (IsZero(start))
        start = Difference(p3, p0);
    Point end = Difference(p3, p2);
    if (IsZero(end))
        end = Difference(p3, p1);
    if (IsZero(end))
        end = Difference(p3, p0);
    RecordSegment(p, PathSegmentDraw, p0, p3, start, end);
}

void RecordArc(PathParser& p, Point from, float rx, float ry, float angle, Point to);

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Reads the next operand; false when there is none (parsing then ends).
bool ReadNumber(PathParser& p, float* value) {
    int next = ScanNumber(p.text, p.length, p.position, value);
    if (next == p.position)
        return false;
    p.position = next;
    return true;
}

bool ReadFlag(PathParser& p, int* flag) {
    int next = ScanArcFlag(p.text, p.length, p.position, flag);
    if (next == p.position)
        return false;
    p.position = next;
    return true;
}

// Reads a point; relative commands offset it by the segment's start point.
bool ReadPoint(PathParser& p, bool relative, Point origin, Point* point) {
    if (!ReadNumber(p, &point->x) || !ReadNumber(p, &point->y))
        return false;
    if (relative) {
        point->x += origin.x;
        point->y += origin.y;
    }
    return true;
}

void AddCubic(FigureList* figures, Point p0, Point p1, Point p2, Point p3) {
    const GfxPointF points[4] = {{p0.x, p0.y}, {p1.x, p1.y}, {p2.x, p2.y}, {p3.x, p3.y}};
    AddFigureSegment(figures, points, 4, GfxPointTypeBezier);
}

void AddLine(FigureList* figures, Point from, Point to) {
    const GfxPointF points[2] = {{from.x, from.y}, {to.x, to.y}};
    AddFigureSegment(figures, points, 2, GfxPointTypeLine);
}

int FigureCount(const FigureList& figures) {
    return static_cast<int>(figures.points.size());
}

int PointCount(const PathParser& p) {
    return FigureCount(*p.figures);
}

void AppendArc(FigureList* figures, float x1, float y1, float rx, float ry, float angle,
               int largeArc, int sweep, float x2, float y2);

void AddPathCubic(PathParser& p, Point p0, Point p1, Point p2, Point p3) {
    AddCubic(p.figures, p0, p1, p2, p3);
    RecordCubic(p, p0, p1, p2, p3);
}

// The reflection of the last control point about the current point when the
// previous command was one of the given pair of curves, else the current point.
Point Reflection(const PathParser& p, wchar_t curve, wchar_t smooth) {
    wchar_t previous = p.previousCommand | 0x20; // lower case
    if (previous != curve && previous != smooth)
        return p.current;
    return Point{2 * p.current.x - p.lastControl.x, 2 * p.current.y - p.lastControl.y};
}

// A quadratic from p0 with control q to p3, raised to a cubic.
void AddQuadratic(PathParser& p, Point p0, Point q, Point p3) {
    const float k = 0.6666667f;
    Point p1 = {p0.x + (q.x - p0.x) * k, p0.y + (q.y - p0.y) * k};
    Point p2 = {p3.x + (q.x - p3.x) * k, p3.y + (q.y - p3.y) * k};
    AddPathCubic(p, p0, p1, p2, p3);
}

bool MoveTo(PathParser& p, bool relative) {
    Point to;
    if (!ReadPoint(p, relative, p.current, &to))
        return false;
    p.figures->newFigure = true;
    p.current = p.subpathStart = to;
    p.subpathFirstPoint = PointCount(p);
    RecordLine(p, PathSegmentMove, to, to);
    return true;
}

void LineFromCurrent(PathParser& p, Point to) {
    AddLine(p.figures, p.current, to);
    RecordLine(p, PathSegmentDraw, p.current, to);
    p.current = to;
}

bool LineTo(PathParser& p, bool relative) {
    Point to;
    if (!ReadPoint(p, relative, p.current, &to))
        return false;
    LineFromCurrent(p, to);
    return true;
}

bool HorizontalTo(PathParser& p, bool relative) {
    float x;
    if (!ReadNumber(p, &x))
        return false;
    LineFromCurrent(p, Point{relative ? p.current.x + x : x, p.current.y});
    return true;
}

bool VerticalTo(PathParser& p, bool relative) {
    float y;
    if (!ReadNumber(p, &y))
        return false;
    LineFromCurrent(p, Point{p.current.x, relative ? p.current.y + y : y});
    return true;
}

bool CubicTo(PathParser& p, bool relative) {
    Point c1, c2, to;
    if (!ReadPoint(p, relative, p.current, &c1) || !ReadPoint(p, relative, p.current, &c2) ||
        !ReadPoint(p, relative, p.current, &to))
        return false;
    AddPathCubic(p, p.current, c1, c2, to);
    p.current = to;
    p.lastControl = c2;
    return true;
}

bool SmoothCubicTo(PathParser& p, bool relative) {
    Point c2, to;
    if (!ReadPoint(p, relative, p.current, &c2) || !ReadPoint(p, relative, p.current, &to))
        return false;
    AddPathCubic(p, p.current, Reflection(p, L'c', L's'), c2, to);
    p.current = to;
    p.lastControl = c2;
    return true;
}

bool QuadraticTo(PathParser& p, bool relative) {
    Point q, to;
    if (!ReadPoint(p, relative, p.current, &q) || !ReadPoint(p, relative, p.current, &to))
        return false;
    AddQuadratic(p, p.current, q, to);
    p.current = to;
    p.lastControl = q;
    return true;
}

bool SmoothQuadraticTo(PathParser& p, bool relative) {
    Point to;
    if (!ReadPoint(p, relative, p.current, &to))
        return false;
    Point q = Reflection(p, L'q', L't');
    AddQuadratic(p, p.current, q, to);
    p.current = to;
    p.lastControl = q;
    return true;
}

bool ArcTo(PathParser& p, bool relative) {
    float rx, ry, angle;
    Point to;
    if (!ReadNumber(p, &rx) || !ReadNumber(p, &ry) || !ReadNumber(p, &angle) ||
        !ReadFlag(p, &p.largeArc) || !ReadFlag(p, &p.sweep) ||
        !ReadPoint(p, relative, p.current, &to))
        return false;
    AppendArc(p.figures, p.current.x, p.current.y, rx, ry, angle, p.largeArc, p.sweep, to.x, to.y);
    RecordArc(p, p.current, rx, ry, angle, to);
    p.current = to;
    return true;
}

// "M x y Z" is a subpath of length 0, whose caps SVG draws: it gets a
// segment of length 0 to carry them.
void ClosePath(PathParser& p) {
    if (PointCount(p) == p.subpathFirstPoint)
        AddLine(p.figures, p.current, p.current);
    CloseLastFigure(p.figures);
    RecordLine(p, PathSegmentClose, p.current, p.subpathStart);
    p.current = p.subpathStart;
}

// Executes one command; false when an operand is missing or the letter is
// no path command.
bool ExecuteCommand(PathParser& p, wchar_t command) {
    bool relative = command >= L'a';
    switch (command | 0x20) {
    case L'm':
        return MoveTo(p, relative);
    case L'l':
        return LineTo(p, relative);
    case L'h':
        return HorizontalTo(p, relative);
    case L'v':
        return VerticalTo(p, relative);
    case L'c':
        return CubicTo(p, relative);
    case L's':
        return SmoothCubicTo(p, relative);
    case L'q':
        return QuadraticTo(p, relative);
    case L't':
        return SmoothQuadraticTo(p, relative);
    case L'a':
        return ArcTo(p, relative);
    case L'z':
        ClosePath(p);
        return true;
    default:
        return false;
    }
}

// The command an operand without a letter repeats: a moveto continues as a
// lineto; a closepath is never repeated (0: parsing ends).
wchar_t RepeatedCommand(wchar_t previous) {
    if (previous == L'M')
        return L'L';
    if (previous == L'm')
        return L'l';
    if (previous == L'Z' || previous == L'z')
        return 0;
    return previous;
}

const size_t MaxKeptFigurePoints = 1 << 16;

// Reads the figures into one list that serves every path in turn (files
// hold thousands of short paths, and each is copied into its path), valid
// until the next call.
const FigureList& ParsePath(const char* text, size_t size, std::vector<PathSegment>* segments) {
    const int length = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    PathParser p = PathParser();
    p.text = text;
    p.length = length;
    p.position = 1;
    p.segments = segments;
    // A long path's storage is not kept from one call to the next.
    static FigureList figures;
    if (figures.points.capacity() > MaxKeptFigurePoints)
        figures = FigureList();
    figures.points.clear();
    figures.types.clear();
    figures.newFigure = true;
    p.figures = &figures;
    // A point takes at least four characters of path data, most take more.
    figures.points.reserve(size / 8 + 8);
    figures.types.reserve(size / 8 + 8);
    while (p.position <= length) {
        p.position = SkipSeparators(text, length, p.position);
        if (p.position > length)
            break;
        char c = text[p.position - 1];
        wchar_t command;
        if (IsAsciiLetter(c)) {
            command = static_cast<wchar_t>(c);
            p.position++;
        } else {
            command = RepeatedCommand(p.previousCommand);
            if (command == 0)
                break;
        }
        if (!ExecuteCommand(p, command))
            break;
        p.previousCommand = command;
    }
    return figures;
}

// Path data is ASCII: any other character stops the parser, and one byte
// beyond ASCII stands for it.
std::string AsciiBytes(const std::wstring& text) {
    std::string bytes(text.size(), '\x80');
    for (size_t i = 0; i < text.size(); i++) {
        if (static_cast<uint32_t>(text[i]) < 0x80)
            bytes[i] = static_cast<char>(text[i]);
    }
    return bytes;
}

} // namespace

void ParsePathData(GfxPath* path, const std::wstring& text) {
    const std::string bytes = AsciiBytes(text);
    ParsePathData(path, bytes.data(), bytes.size());
}

void ParsePathData(GfxPath* path, const char* text, size_t length) {
    const FigureList& figures = ParsePath(text, length, nullptr);
    GfxAddFigures(path, figures.points.data(), figures.types.data(), FigureCount(figures));
}

GfxPath* BuildPathFromData(const char* text, size_t length) {
    const FigureList& figures = ParsePath(text, length, nullptr);
    return GfxCreatePathFromFigures(figures.points.data(), figures.types.data(),
                                    FigureCount(figures));
}

void ParsePathSegments(const std::wstring& text, std::vector<PathSegment>* segments) {
    const std::string bytes = AsciiBytes(text);
    ParsePath(bytes.data(), bytes.size(), segments);
}

// ---- arcs -----------------------------------------------------------------

namespace {

// An arc in centre form: centre, radii, rotation (cosine and sine), start
// angle and sweep, in radians.
struct CentreArc {
    double cx, cy, rx, ry, cosPhi, sinPhi, theta1, deltaTheta;
};

const double kPi = 3.14159265358979323846;

// The endpoint-to-centre conversion of an arc with non-zero radii, in double
// precision: an arc whose end nearly meets its start (a full circle written
// as one arc) turns by an angle that single precision rounds to nothing.
// False when the result is not a finite geometry (coordinates or radii out
// of the float range).
bool ArcCentre(double x1, double y1, double rx, double ry, double angle, int largeArc, int sweep,
               double x2, double y2, CentreArc* arc) {
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    const double phi = angle * kPi / 180.0;
    const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
    const double dx = (x1 - x2) / 2, dy = (y1 - y2) / 2;
    const double xp = cosPhi * dx + sinPhi * dy;
    const double yp = -sinPhi * dx + cosPhi * dy;
    // Radii too small to reach the end point are scaled up just enough.
    const double lambda = xp * xp / (rx * rx) + yp * yp / (ry * ry);
    if (lambda > 1) {
        const double root = std::sqrt(lambda);
        rx *= root;
        ry *= root;
    }
    const double sign = largeArc != sweep ? 1.0 : -1.0;
    const double rx2 = rx * rx, ry2 = ry * ry;
    double q = (rx2 * ry2 - rx2 * yp * yp - ry2 * xp * xp) / (rx2 * yp * yp + ry2 * xp * xp);
    if (!(q >= 0))
        q = 0;
    const double c = sign * std::sqrt(q);
    const double cxp = c * rx * yp / ry;
    const double cyp = -c * ry * xp / rx;
    const double cx = cosPhi * cxp - sinPhi * cyp + (x1 + x2) / 2;
    const double cy = sinPhi * cxp + cosPhi * cyp + (y1 + y2) / 2;

    const double ux = (xp - cxp) / rx, uy = (yp - cyp) / ry;
    const double vx = (-xp - cxp) / rx, vy = (-yp - cyp) / ry;
    const double theta1 = std::atan2(uy, ux);
    double deltaTheta = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    if (sweep == 0 && deltaTheta > 0)
        deltaTheta -= 2 * kPi;
    else if (sweep == 1 && deltaTheta < 0)
        deltaTheta += 2 * kPi;

    *arc = CentreArc{cx, cy, rx, ry, cosPhi, sinPhi, theta1, deltaTheta};
    return FitsFloat(cx) && FitsFloat(cy) && FitsFloat(rx) && FitsFloat(ry) &&
           std::isfinite(theta1) && std::isfinite(deltaTheta);
}

// A point of the unrotated ellipse around the origin, rotated and moved to
// the arc's centre.
Point MapArcPoint(const CentreArc& arc, double x, double y) {
    return Point{static_cast<float>(arc.cosPhi * x - arc.sinPhi * y + arc.cx),
                 static_cast<float>(arc.sinPhi * x + arc.cosPhi * y + arc.cy)};
}

// The arc's direction at the angle t (radians) of its ellipse.
Point ArcDirection(const CentreArc& arc, double t) {
    const double sign = arc.deltaTheta < 0 ? -1.0 : 1.0;
    const double dx = -arc.rx * std::sin(t) * sign, dy = arc.ry * std::cos(t) * sign;
    return Point{static_cast<float>(arc.cosPhi * dx - arc.sinPhi * dy),
                 static_cast<float>(arc.sinPhi * dx + arc.cosPhi * dy)};
}

// An arc as AppendArc draws it: nothing between equal points, a line when a
// radius is 0.
void RecordArc(PathParser& p, Point from, float rx, float ry, float angle, Point to) {
    if (!p.segments || (from.x == to.x && from.y == to.y))
        return;
    if (rx == 0 || ry == 0) {
        RecordLine(p, PathSegmentDraw, from, to);
        return;
    }
    CentreArc arc;
    if (!ArcCentre(from.x, from.y, rx, ry, angle, p.largeArc, p.sweep, to.x, to.y, &arc))
        return;
    RecordSegment(p, PathSegmentDraw, from, to, ArcDirection(arc, arc.theta1),
                  ArcDirection(arc, arc.theta1 + arc.deltaTheta));
}

} // namespace

namespace {

// An elliptical arc from (x1, y1) to (x2, y2) as cubic Bezier segments.
void AppendArc(FigureList* figures, float x1, float y1, float rx, float ry, float angle,
               int largeArc, int sweep, float x2, float y2) {
    if (rx == 0 || ry == 0) {
        AddLine(figures, Point{x1, y1}, Point{x2, y2});
        return;
    }
    // An arc back to its own start has no defined centre: nothing is drawn.
    if (x1 == x2 && y1 == y2)
        return;
    CentreArc arc;
    if (!ArcCentre(x1, y1, rx, ry, angle, largeArc, sweep, x2, y2, &arc))
        return;

    // At most a quarter turn per segment: a quarter turn exactly gives two.
    const int count = static_cast<int>(std::fabs(arc.deltaTheta) / (kPi / 2)) + 1;
    const double delta = arc.deltaTheta / count;
    const double half = delta / 2;
    const double k = std::sin(half) == 0 ? 0 : 4.0 / 3.0 * (1 - std::cos(half)) / std::sin(half);

    Point p0 = {x1, y1};
    double a = arc.theta1;
    // Each segment starts at the angle where the one before it ended.
    double cosA = std::cos(a), sinA = std::sin(a);
    for (int i = 0; i < count; i++) {
        const double b = a + delta;
        const double cosB = std::cos(b), sinB = std::sin(b);
        Point c1 =
            MapArcPoint(arc, arc.rx * cosA - k * arc.rx * sinA, arc.ry * sinA + k * arc.ry * cosA);
        Point c2 =
            MapArcPoint(arc, arc.rx * cosB + k * arc.rx * sinB, arc.ry * sinB - k * arc.ry * cosB);
        // The last segment ends exactly at the given end point, where the
        // next segment of the path starts.
        Point e = i == count - 1 ? Point{x2, y2} : MapArcPoint(arc, arc.rx * cosB, arc.ry * sinB);
        AddCubic(figures, p0, c1, c2, e);
        p0 = e;
        a = b;
        cosA = cosB;
        sinA = sinB;
    }
}

} // namespace
