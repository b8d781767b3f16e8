// Paths of the basic shapes, in each element's own user units.
#include "svg/build/shape_paths.h"

#include <cmath>

#include "render/graphics.h"
#include "svg/base/scan.h"
#include "svg/base/strings.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/values/path_data.h"
#include "svg/xml/xml_tree.h"

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

namespace {

// A geometry attribute in user units: units, em and ex of the element's font
// size, percentages of the viewport in the attribute's direction.
struct GeometryReader {
    const XmlNode* element;
    LengthBasis basis;
    float operator()(const wchar_t* name, int direction) const {
        return ResolveLength(XmlAttribute(element, name), basis, direction);
    }
    // A corner radius, -1 when the attribute is absent.
    float Radius(const wchar_t* name, int direction) const {
        const std::wstring& text = XmlAttribute(element, name);
        return text.empty() ? -1.0f : ResolveLength(text, basis, direction);
    }
};

const int X = LengthHorizontal, Y = LengthVertical;

} // namespace

GfxPath* BuildShapePath(const XmlNode* e, ElementRole role, const StyleState& state) {
    const GeometryReader length{e, LengthBasisOf(state)};
    switch (role) {
    case RoleRect: {
        float width = length(L"width", X), height = length(L"height", Y);
        if (!(width > 0 && height > 0))
            return nullptr;
        return BuildRectPath(length(L"x", X), length(L"y", Y), width, height,
                             length.Radius(L"rx", X), length.Radius(L"ry", Y));
    }
    case RoleCircle: {
        float r = length(L"r", LengthDiagonal);
        if (!(r > 0))
            return nullptr;
        return BuildEllipsePath(length(L"cx", X), length(L"cy", Y), r, r);
    }
    case RoleEllipse: {
        // A missing, negative or "auto" radius takes the other one.
        float rx = length.Radius(L"rx", X), ry = length.Radius(L"ry", Y);
        if (rx < 0 || LowerText(TrimWhiteSpace(XmlAttribute(e, L"rx"))) == L"auto")
            rx = ry;
        if (ry < 0 || LowerText(TrimWhiteSpace(XmlAttribute(e, L"ry"))) == L"auto")
            ry = rx;
        if (!(rx > 0 && ry > 0))
            return nullptr;
        return BuildEllipsePath(length(L"cx", X), length(L"cy", Y), rx, ry);
    }
    case RoleLine:
        return BuildLinePath(length(L"x1", X), length(L"y1", Y), length(L"x2", X),
                             length(L"y2", Y));
    case RolePolyline:
    case RolePolygon: {
        const std::wstring& points = XmlAttribute(e, L"points");
        if (points.empty())
            return nullptr;
        return BuildPolyPath(points, role == RolePolygon ? 1 : 0);
    }
    case RolePath: {
        const char* d = nullptr;
        size_t length = 0;
        XmlAttributeBytes(e, L"d", &d, &length);
        return length == 0 ? nullptr : BuildPathFromData(d, length);
    }
    default:
        return nullptr;
    }
}

GfxPath* BuildElementPath(const XmlNode* element) {
    ElementRole role = RoleOf(element);
    if (role < RoleRect)
        return nullptr;
    // Relative lengths in a clip path are measured against the defaults.
    StyleState basis = StyleState();
    InitRootStyleState(&basis);
    return BuildShapePath(element, role, basis);
}
