// The element walker: computes each element's style, builds the paths of the
// seven drawable elements and commits them as shape records in document
// order. The walk keeps its own stack of states instead of recursing, so a
// file nesting elements very deeply cannot exhaust the call stack; elements
// below MaxWalkDepth are left out.
#include "svg/walker.h"

#include <climits>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "render/graphics.h"
#include "svg/document.h"
#include "svg/element_walk.h"
#include "svg/lengths.h"
#include "svg/style.h"
#include "svg/text.h"
#include "svg/xml_tree.h"

namespace {

enum ElementRole {
    RoleContainer, // walked with its state: g, svg and every unknown name
    RoleSkipped,   // never drawn where it stands: nothing inside is drawn
    RoleRect,
    RoleCircle,
    RoleEllipse,
    RoleLine,
    RolePolyline,
    RolePolygon,
    RolePath,
};

struct RoleEntry {
    const wchar_t* name; // lower case
    ElementRole role;
};

// Clip paths, masks, patterns, markers and symbols are drawn only where they
// are referenced, gradients only as paint; text is not drawn yet.
const RoleEntry RoleTable[] = {
    {L"rect", RoleRect},
    {L"circle", RoleCircle},
    {L"ellipse", RoleEllipse},
    {L"line", RoleLine},
    {L"polyline", RolePolyline},
    {L"polygon", RolePolygon},
    {L"path", RolePath},
    {L"g", RoleContainer},
    {L"svg", RoleContainer},
    {L"defs", RoleSkipped},
    {L"title", RoleSkipped},
    {L"desc", RoleSkipped},
    {L"metadata", RoleSkipped},
    {L"style", RoleSkipped},
    {L"script", RoleSkipped},
    {L"clippath", RoleSkipped},
    {L"mask", RoleSkipped},
    {L"pattern", RoleSkipped},
    {L"marker", RoleSkipped},
    {L"symbol", RoleSkipped},
    {L"lineargradient", RoleSkipped},
    {L"radialgradient", RoleSkipped},
    {L"foreignobject", RoleSkipped},
    {L"text", RoleSkipped},
};

// Whether the name lower-cases to the keyword (lower-case ASCII). Names in
// ASCII are compared in place; others go through the full lower-casing.
bool NameMatches(const std::wstring& name, const wchar_t* keyword) {
    size_t i = 0;
    for (; i < name.size(); i++) {
        wchar_t c = name[i];
        if (c >= 0x80)
            return LowerText(name) == keyword;
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
        if (c != keyword[i]) // also stops at the keyword's end
            return false;
    }
    return keyword[i] == 0;
}

// Elements of another namespace (an editor's private data, embedded XHTML)
// are never drawn, nor is anything inside them.
bool IsForeignElement(const XmlNode* element) {
    return XmlElementNamespace(element) == XmlOtherNamespace;
}

// Element names match in any case; a prefix bound to the SVG namespace
// («svg:rect») names the SVG element.
ElementRole RoleOf(const XmlNode* element) {
    if (IsForeignElement(element))
        return RoleSkipped;
    const std::wstring& name = XmlLocalName(element);
    for (const RoleEntry& entry : RoleTable) {
        if (NameMatches(name, entry.name))
            return entry.role;
    }
    return RoleContainer;
}

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

// The shape's path, or null when the element's geometry draws nothing.
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
        float rx = length(L"rx", X), ry = length(L"ry", Y);
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
        const std::wstring& d = XmlAttribute(e, L"d");
        return d.empty() ? nullptr : BuildPathFromData(d);
    }
    default:
        return nullptr;
    }
}

// Handles one element: a shape is committed, a container gets its state in
// *state and true (walk its children), anything else gives false.
bool VisitElement(const XmlNode* element, SvgDocument* document, const StyleState* parent,
                  StyleState* state) {
    ElementRole role = RoleOf(element);
    if (role == RoleSkipped)
        return false;
    ApplyPresentation(element, parent, state);
    if (state->displayNone)
        return false;
    if (role == RoleContainer)
        return true;
    // The id is read first: reading can run out of memory, and nothing may
    // stand between making the path and handing it to the document.
    const std::wstring& id = XmlAttribute(element, L"id");
    if (GfxPath* path = BuildShapePath(element, role, *state))
        CommitShape(document, path, state, id);
    return false;
}

struct WalkFrame {
    const XmlNode* nextChild; // the next child element to visit
    int depth;                // levels below the root of the frame's element
    StyleState state;
};

} // namespace

void WalkElement(const XmlNode* element, SvgDocument* document, const StyleState* parent) {
    if (!element || !document || !parent || !XmlIsElement(element))
        return;
    StyleState state = StyleState();
    if (!VisitElement(element, document, parent, &state))
        return;
    static_assert(MaxWalkDepth >= 2, "the element's children are level 2");
    std::vector<WalkFrame> stack;
    stack.reserve(16);
    stack.push_back(WalkFrame{FirstChildElement(element), 1, std::move(state)});
    while (!stack.empty()) {
        WalkFrame& top = stack.back();
        const XmlNode* child = top.nextChild;
        if (!child) {
            stack.pop_back();
            continue;
        }
        top.nextChild = NextSiblingElement(child);
        int depth = top.depth + 1;
        StyleState childState = StyleState();
        // The child is drawn; its own children only while they stay within
        // the depth limit.
        if (VisitElement(child, document, &top.state, &childState) && depth < MaxWalkDepth)
            stack.push_back(WalkFrame{FirstChildElement(child), depth, std::move(childState)});
    }
}

ShapeRecord* AppendShapeRecord(SvgDocument* document) {
    if (!document)
        return nullptr;
    if (document->shapeCount >= document->shapeCapacity) {
        if (document->shapeCapacity > INT_MAX / 2)
            return nullptr;
        int capacity = document->shapeCapacity < 16 ? 32 : document->shapeCapacity * 2;
        // Value-initialised: every new record starts all zero.
        ShapeRecord* storage = new (std::nothrow) ShapeRecord[capacity]();
        if (!storage)
            return nullptr;
        for (int i = 0; i < document->shapeCount; i++)
            storage[i] = std::move(document->shapes[i]);
        delete[] document->shapes;
        document->shapes = storage;
        document->shapeCapacity = capacity;
    }
    return &document->shapes[document->shapeCount++];
}

namespace {

int AlphaOf(Argb colour) {
    return static_cast<int>(colour >> 24);
}

// The gradient's bounding box: the path's own bounds, taken only for records
// that refer to a gradient.
void TakeGradientBounds(ShapeRecord* record) {
    if (record->fillRef.empty() && record->strokeRef.empty())
        return;
    GfxRectF bounds;
    if (!GfxGetPathBounds(record->path, nullptr, &bounds))
        return;
    record->boundsX = bounds.x;
    record->boundsY = bounds.y;
    record->boundsWidth = bounds.width;
    record->boundsHeight = bounds.height;
    record->boundsValid = 1;
}

// Grows the document's content bounds by the record's box in document space,
// padded by half the stroke width (scaled, rotation and shear not counted).
// A path without points has no box and leaves the bounds alone.
void WidenContentBounds(SvgDocument* document, const ShapeRecord* record) {
    if (GfxGetPathPointCount(record->path) <= 0)
        return;
    const Matrix2D& m = record->matrix;
    const float elements[6] = {m.a, m.b, m.c, m.d, m.e, m.f};
    GfxRectF box;
    if (!GfxGetPathBounds(record->path, elements, &box))
        return;
    float pad = 0;
    if (record->hasStroke)
        pad = record->strokeWidth * std::fmax(std::fabs(m.a), std::fabs(m.d)) / 2;
    float minX = box.x - pad, minY = box.y - pad;
    float maxX = box.x + box.width + pad, maxY = box.y + box.height + pad;
    if (!document->hasContentBounds) {
        document->contentMinX = minX;
        document->contentMinY = minY;
        document->contentMaxX = maxX;
        document->contentMaxY = maxY;
        document->hasContentBounds = 1;
        return;
    }
    document->contentMinX = std::fmin(document->contentMinX, minX);
    document->contentMinY = std::fmin(document->contentMinY, minY);
    document->contentMaxX = std::fmax(document->contentMaxX, maxX);
    document->contentMaxY = std::fmax(document->contentMaxY, maxY);
}

// SVG draws the caps of a subpath of length 0 (a dot for round caps, a
// square for square caps); GDI+ draws nothing for it. Each such subpath gets
// a very short figure at its place, whose caps show.
void AddZeroLengthCaps(GfxPath* path, float strokeWidth) {
    int count = GfxGetPathPointCount(path);
    if (count <= 0)
        return;
    std::vector<GfxPointF> points(static_cast<size_t>(count));
    std::vector<uint8_t> types(static_cast<size_t>(count));
    count = GfxGetPathData(path, points.data(), types.data(), count);
    std::vector<GfxPointF> dots;
    int start = 0;
    for (int i = 1; i <= count; i++) {
        if (i < count && (types[i] & GfxPointTypeMask) != GfxPointTypeStart)
            continue;
        bool zeroLength = true;
        for (int k = start + 1; k < i && zeroLength; k++)
            zeroLength = points[k].x == points[start].x && points[k].y == points[start].y;
        if (zeroLength)
            dots.push_back(points[start]);
        start = i;
    }
    const float half = strokeWidth / 200; // the figure is 1 % of the stroke width long
    for (const GfxPointF& p : dots) {
        GfxStartFigure(path);
        GfxAddLine(path, p.x - half, p.y, p.x + half, p.y);
    }
}

} // namespace

void CommitShape(SvgDocument* document, GfxPath* path, const StyleState* state,
                 const std::wstring& id) {
    if (!path)
        return;
    if (state->hidden) { // visibility: hidden or collapse
        GfxDeletePath(path);
        return;
    }
    // The alpha tested is the colour's own, before the opacities.
    int fillOn = state->hasFill != 0 && AlphaOf(state->fillColor) > 0;
    int strokeOn =
        state->hasStroke != 0 && AlphaOf(state->strokeColor) > 0 && state->strokeWidth > 0;
    ShapeRecord* record = (fillOn || strokeOn) ? AppendShapeRecord(document) : nullptr;
    if (!record) {
        GfxDeletePath(path);
        return;
    }
    GfxSetFillMode(path, state->fillRule ? GfxFillModeWinding : GfxFillModeAlternate);
    record->path = path;
    record->hasFill = fillOn;
    record->hasStroke = strokeOn;
    record->fillOpacity = state->opacity * state->fillOpacity;
    record->strokeOpacity = state->opacity * state->strokeOpacity;
    if (fillOn)
        record->fillColor = ScaleAlpha(state->fillColor, record->fillOpacity);
    if (strokeOn) {
        record->strokeColor = ScaleAlpha(state->strokeColor, record->strokeOpacity);
        record->strokeWidth = state->strokeWidth;
        record->dashes = state->dashes;
        record->dashOffset = state->dashOffset;
        record->nonScalingStroke = state->nonScalingStroke;
        if (state->lineCap != 0)
            AddZeroLengthCaps(path, state->strokeWidth);
    }
    record->fillRule = state->fillRule;
    record->lineCap = state->lineCap;
    record->lineJoin = state->lineJoin;
    record->miterLimit = state->miterLimit > 0 ? state->miterLimit : 4.0f;
    record->matrix = state->matrix;
    record->id = id;
    if (fillOn)
        record->fillRef = state->fillRef;
    if (strokeOn)
        record->strokeRef = state->strokeRef;
    TakeGradientBounds(record);
    WidenContentBounds(document, record);
}
