// The graphics layer's path and matrix operations without GDI+, for the
// native build of the SVG readers. Points and point types are appended
// exactly as GDI+ appends them, so what a caller can observe through
// GfxGetPathData and GfxGetPathBounds is the same on both builds.
#include <cmath>
#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "render/figures.h"
#include "render/graphics.h"

struct GfxPath {
    FigureList figures;
    int fillMode = GfxFillModeAlternate;
};

struct GfxMatrix {
    float m[6];
};

// ---- library --------------------------------------------------------------

int GfxStartup(uintptr_t* token) {
    *token = 1;
    return 1;
}

void GfxShutdown(uintptr_t) {}

int GfxResolvePathBounds() {
    return 1;
}

// ---- paths ----------------------------------------------------------------

GfxPath* GfxCreatePath() {
    return new (std::nothrow) GfxPath;
}

void GfxDeletePath(GfxPath* path) {
    delete path;
}

void GfxStartFigure(GfxPath* path) {
    path->figures.newFigure = true;
}

void GfxAddLine(GfxPath* path, float x1, float y1, float x2, float y2) {
    GfxPointF points[2] = {{x1, y1}, {x2, y2}};
    AddFigureSegment(&path->figures, points, 2, GfxPointTypeLine);
}

void GfxAddBezier(GfxPath* path, float x1, float y1, float x2, float y2, float x3, float y3,
                  float x4, float y4) {
    GfxPointF points[4] = {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}};
    AddFigureSegment(&path->figures, points, 4, GfxPointTypeBezier);
}

// ---- arcs as GDI+ builds them ----------------------------------------------

static const int kMaxArcPoints = 13; // four quarter pieces
static const double kPi = 3.14159265358979323846;
static const double kHalfPi = kPi / 2;

static int RoundHalfUp(float x) {
    return static_cast<int>(std::floor(x + 0.5f));
}

static float Atan2(float dy, float dx) {
    if (dx == 0 && dy != 0)
        return static_cast<float>(dy > 0 ? kHalfPi : -kHalfPi);
    return static_cast<float>(std::atan2(dy, dx));
}

// Turns an angle measured on the ellipse (the direction of the point from
// the centre) into the parameter angle of the ellipse, in radians, keeping
// the number of whole turns.
static float ParameterAngle(float degrees, float radiusX, float radiusY) {
    float angle = static_cast<float>(degrees * kPi / 180.0);
    if (std::fabs(std::cos(angle)) < 0.00001 || std::fabs(std::sin(angle)) < 0.00001)
        return angle;
    float stretched = Atan2(static_cast<float>(std::sin(angle) / std::fabs(radiusY)),
                            static_cast<float>(std::cos(angle) / std::fabs(radiusX)));
    int turns = RoundHalfUp(static_cast<float>(angle / (2.0 * kPi))) -
                RoundHalfUp(static_cast<float>(stretched / (2.0 * kPi)));
    return static_cast<float>(stretched + turns * kPi * 2.0);
}

// One cubic piece of the ellipse in the box from parameter `start` to `end`.
static void ArcPiece(GfxPointF* out, float x, float y, float width, float height, float start,
                     float end, bool writeFirst) {
    float radiusX = width / 2, radiusY = height / 2;
    float centreX = x + radiusX, centreY = y + radiusY;
    float cosStart = static_cast<float>(std::cos(start));
    float sinStart = static_cast<float>(std::sin(start));
    float cosEnd = static_cast<float>(std::cos(end));
    float sinEnd = static_cast<float>(std::sin(end));
    float half = (end - start) / 2;
    float a = static_cast<float>(4.0 / 3.0 * (1 - std::cos(half)) / std::sin(half));
    GfxPointF unit[4] = {{cosStart, sinStart},
                         {cosStart - a * sinStart, sinStart + a * cosStart},
                         {cosEnd + a * sinEnd, sinEnd - a * cosEnd},
                         {cosEnd, sinEnd}};
    for (int i = writeFirst ? 0 : 1; i < 4; i++) {
        out[i].x = unit[i].x * radiusX + centreX;
        out[i].y = unit[i].y * radiusY + centreY;
    }
}

// The Bezier points of the arc, pieces of at most a quarter turn, at most a
// full turn. Returns the number of points (0 for an empty sweep).
static int ArcToBeziers(GfxPointF* points, float x, float y, float width, float height,
                        float startAngle, float sweepAngle) {
    float endAngle = ParameterAngle(startAngle + sweepAngle, width / 2, height / 2);
    float start = ParameterAngle(startAngle, width / 2, height / 2);
    int i = 0;
    for (; i < kMaxArcPoints - 1; i += 3) {
        float end;
        if (sweepAngle > 0) {
            if (start >= endAngle)
                break;
            end = std::fmin(static_cast<float>(start + kHalfPi), endAngle);
        } else {
            if (start <= endAngle)
                break;
            end = std::fmax(static_cast<float>(start - kHalfPi), endAngle);
        }
        ArcPiece(&points[i], x, y, width, height, start, end, i == 0);
        start = static_cast<float>(start + kHalfPi * (sweepAngle < 0 ? -1 : 1));
    }
    return i == 0 ? 0 : i + 1;
}

void GfxAddArc(GfxPath* path, float x, float y, float width, float height, float startAngle,
               float sweepAngle) {
    if (!(width > 0) || !(height > 0))
        return;
    GfxPointF points[kMaxArcPoints];
    int count = ArcToBeziers(points, x, y, width, height, startAngle, sweepAngle);
    if (count > 0)
        AddFigureSegment(&path->figures, points, count, GfxPointTypeBezier);
}

void GfxAddEllipse(GfxPath* path, float x, float y, float width, float height) {
    GfxPointF points[kMaxArcPoints];
    if (ArcToBeziers(points, x, y, width, height, 0, 360) != kMaxArcPoints)
        return;
    AddClosedFigure(&path->figures, points, kMaxArcPoints, GfxPointTypeBezier);
}

void GfxAddRectangle(GfxPath* path, float x, float y, float width, float height) {
    if (!(width > 0) || !(height > 0))
        return;
    GfxPointF corners[4] = {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
    AddClosedFigure(&path->figures, corners, 4, GfxPointTypeLine);
}

void GfxCloseFigure(GfxPath* path) {
    CloseLastFigure(&path->figures);
}

// The figures' first point starts a figure of its own, as GDI+ adds one
// path to another without connecting them.
void GfxAddFigures(GfxPath* path, const GfxPointF* points, const uint8_t* types, int count) {
    if (count <= 0)
        return;
    FigureList& figures = path->figures;
    figures.points.insert(figures.points.end(), points, points + count);
    const size_t first = figures.types.size();
    figures.types.insert(figures.types.end(), types, types + count);
    figures.types[first] = static_cast<uint8_t>((types[0] & ~GfxPointTypeMask) | GfxPointTypeStart);
    figures.newFigure = (types[count - 1] & GfxPointTypeCloseSubpath) != 0;
}

GfxPath* GfxCreatePathFromFigures(const GfxPointF* points, const uint8_t* types, int count) {
    GfxOwnedPath path(GfxCreatePath());
    if (path)
        GfxAddFigures(path.get(), points, types, count);
    return path.release();
}

void GfxSetFillMode(GfxPath* path, int fillMode) {
    path->fillMode = fillMode == GfxFillModeWinding ? GfxFillModeWinding : GfxFillModeAlternate;
}

void GfxTransformPath(GfxPath* path, const float m[6]) {
    for (GfxPointF& p : path->figures.points)
        p = GfxPointF{m[0] * p.x + m[2] * p.y + m[4], m[1] * p.x + m[3] * p.y + m[5]};
}

int GfxGetFillMode(GfxPath* path) {
    return path->fillMode;
}

static void TransformPoint(const float m[6], GfxPointF* p) {
    float x = p->x * m[0] + p->y * m[2] + m[4];
    float y = p->x * m[1] + p->y * m[3] + m[5];
    p->x = x;
    p->y = y;
}

// The box of the points; under a matrix, the box of the transformed corners
// of that box (as GDI+ measures world bounds).
int GfxGetPathBounds(GfxPath* path, const float* matrix, GfxRectF* bounds) {
    if (path->figures.points.empty()) {
        *bounds = GfxRectF{0, 0, 0, 0};
        return 1;
    }
    float lowX = path->figures.points[0].x, highX = lowX;
    float lowY = path->figures.points[0].y, highY = lowY;
    for (const GfxPointF& p : path->figures.points) {
        lowX = lowX < p.x ? lowX : p.x;
        lowY = lowY < p.y ? lowY : p.y;
        highX = highX > p.x ? highX : p.x;
        highY = highY > p.y ? highY : p.y;
    }
    float width = highX - lowX, height = highY - lowY;
    if (matrix) {
        GfxPointF corners[4] = {{lowX, lowY}, {lowX, highY}, {highX, highY}, {highX, lowY}};
        for (GfxPointF& c : corners)
            TransformPoint(matrix, &c);
        lowX = corners[0].x;
        lowY = corners[0].y;
        for (int i = 1; i < 4; i++) {
            lowX = lowX < corners[i].x ? lowX : corners[i].x;
            lowY = lowY < corners[i].y ? lowY : corners[i].y;
        }
        float w = width;
        width = height * std::fabs(matrix[2]) + w * std::fabs(matrix[0]);
        height = height * std::fabs(matrix[3]) + w * std::fabs(matrix[1]);
    }
    *bounds = GfxRectF{lowX, lowY, width, height};
    return 1;
}

int GfxGetPathPointCount(GfxPath* path) {
    return static_cast<int>(path->figures.points.size());
}

int GfxGetPathData(GfxPath* path, GfxPointF* points, uint8_t* types, int count) {
    int n = static_cast<int>(path->figures.points.size());
    if (count < n)
        n = count < 0 ? 0 : count;
    for (int i = 0; i < n; i++) {
        points[i] = path->figures.points[i];
        types[i] = path->figures.types[i];
    }
    return n;
}

// ---- matrices -------------------------------------------------------------

GfxMatrix* GfxCreateMatrix() {
    return GfxCreateMatrix6(1, 0, 0, 1, 0, 0);
}

GfxMatrix* GfxCreateMatrix6(float a, float b, float c, float d, float e, float f) {
    GfxMatrix* matrix = new (std::nothrow) GfxMatrix;
    if (!matrix)
        return nullptr;
    float elements[6] = {a, b, c, d, e, f};
    std::memcpy(matrix->m, elements, sizeof elements);
    return matrix;
}

void GfxDeleteMatrix(GfxMatrix* matrix) {
    delete matrix;
}

// matrix = matrix followed by `after`.
static void AppendMatrix(float m[6], const float after[6]) {
    float r[6];
    r[0] = m[0] * after[0] + m[1] * after[2];
    r[1] = m[0] * after[1] + m[1] * after[3];
    r[2] = m[2] * after[0] + m[3] * after[2];
    r[3] = m[2] * after[1] + m[3] * after[3];
    r[4] = m[4] * after[0] + m[5] * after[2] + after[4];
    r[5] = m[4] * after[1] + m[5] * after[3] + after[5];
    std::memcpy(m, r, sizeof r);
}

void GfxTranslateMatrix(GfxMatrix* matrix, float dx, float dy) {
    const float translate[6] = {1, 0, 0, 1, dx, dy};
    AppendMatrix(matrix->m, translate);
}

void GfxScaleMatrix(GfxMatrix* matrix, float sx, float sy) {
    const float scale[6] = {sx, 0, 0, sy, 0, 0};
    AppendMatrix(matrix->m, scale);
}

void GfxRotateMatrix(GfxMatrix* matrix, float degrees) {
    double angle = degrees * kPi / 180.0;
    float c = static_cast<float>(std::cos(angle)), s = static_cast<float>(std::sin(angle));
    const float rotate[6] = {c, s, -s, c, 0, 0};
    AppendMatrix(matrix->m, rotate);
}

void GfxMultiplyMatrix(GfxMatrix* matrix, GfxMatrix* other) {
    AppendMatrix(matrix->m, other->m);
}

void GfxGetMatrixElements(GfxMatrix* matrix, float elements[6]) {
    std::memcpy(elements, matrix->m, sizeof matrix->m);
}

// ---- text -----------------------------------------------------------------
// A stand-in for fonts: the three families a Windows machine always has, and
// every character a box 0.6 em wide (blanks empty), 0.7 em above the baseline.

static const float StandInAdvance = 0.6f, StandInHeight = 0.7f;

int GfxFontFamilyInstalled(const wchar_t* family) {
    const wchar_t* const installed[] = {L"Arial", L"Times New Roman", L"Courier New"};
    for (const wchar_t* name : installed) {
        if (family && std::wcscmp(family, name) == 0)
            return 1;
    }
    return 0;
}

int GfxAddPathText(GfxPath* path, const wchar_t* text, int length, const wchar_t*, int,
                   float emSize, float x, float y) {
    for (int i = 0; i < length; i++) {
        if (text[i] != L' ')
            GfxAddRectangle(path, x + i * StandInAdvance * emSize, y - StandInHeight * emSize,
                            StandInAdvance * emSize * 0.8f, StandInHeight * emSize);
    }
    return 1;
}

float GfxMeasureText(const wchar_t*, int length, const wchar_t*, int, float emSize) {
    return length * StandInAdvance * emSize;
}

void GfxMeasureClusters(const wchar_t*, const int* ends, int count, const wchar_t*, int,
                        float emSize, float* advances) {
    for (int i = 0, start = 0; i < count; start = ends[i++])
        advances[i] = (ends[i] - start) * StandInAdvance * emSize;
}

std::vector<uint8_t> GfxFontTable(const wchar_t*, int, const char*) {
    return std::vector<uint8_t>(); // the stand-in has no font files
}

int GfxDecodeImage(const void*, size_t, size_t, std::vector<uint32_t>*, int*, int*) {
    return 0; // the portable layer has no image decoders
}
