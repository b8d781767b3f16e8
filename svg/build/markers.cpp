// Marker placement: vertex directions, the marker's viewport and matrix, and
// the walk over its content at every vertex.
#include "svg/build/markers.h"

#include <cmath>
#include <cstdint>

#include "render/graphics.h"
#include "svg/base/scan.h"
#include "svg/base/strings.h"
#include "svg/build/clip_paths.h"
#include "svg/build/shape_paths.h"
#include "svg/build/walk_context.h"
#include "svg/build/walker.h"
#include "svg/records/document.h"
#include "svg/records/work_budget.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/values/viewport.h"
#include "svg/xml/xml_tree.h"

namespace {

const double Pi = 3.14159265358979323846;

struct Direction {
    float dx, dy;
};

bool IsZero(Direction d) {
    return d.dx == 0 && d.dy == 0;
}

// Radians in [-pi, pi].
double AngleOf(Direction d) {
    return std::atan2(static_cast<double>(d.dy), static_cast<double>(d.dx));
}

float Degrees(double radians) {
    return static_cast<float>(radians * 180 / Pi);
}

// Half way between the two directions, turning the short way round (a turn
// back on itself turns a quarter right of the way in when the way out is at
// +180 degrees); one that is zero gives way to the other.
float VertexAngle(Direction in, Direction out) {
    if (IsZero(in) && IsZero(out))
        return 0;
    if (IsZero(in))
        return Degrees(AngleOf(out));
    if (IsZero(out))
        return Degrees(AngleOf(in));
    double a = AngleOf(in), b = AngleOf(out);
    if (b - a > Pi)
        b -= 2 * Pi;
    else if (a - b > Pi)
        b += 2 * Pi;
    return Degrees((a + b) / 2);
}

struct SegmentDirections {
    Direction start, end;
};

// The directions of one subpath's drawn segments, those of length 0
// borrowing from the segment before them, or failing that after them.
std::vector<SegmentDirections> SubpathDirections(const PathSegment* first, size_t count) {
    std::vector<SegmentDirections> directions(count);
    std::vector<char> known(count);
    for (size_t i = 0; i < count; i++) {
        directions[i] = {{first[i].startDx, first[i].startDy}, {first[i].endDx, first[i].endDy}};
        known[i] = !(IsZero(directions[i].start) && IsZero(directions[i].end));
    }
    for (size_t i = 1; i < count; i++) {
        if (!known[i] && known[i - 1]) {
            directions[i].start = directions[i].end = directions[i - 1].end;
            known[i] = 1;
        }
    }
    for (size_t i = count - 1; i-- > 0;) {
        if (!known[i] && known[i + 1]) {
            directions[i].start = directions[i].end = directions[i + 1].start;
            known[i] = 1;
        }
    }
    return directions;
}

// One subpath: an optional move, then `count` drawn segments (the last may
// close it).
void AddSubpathVertices(const PathSegment* move, const PathSegment* first, size_t count,
                        std::vector<MarkerVertex>* vertices) {
    const Direction none = {0, 0};
    if (count == 0) {
        if (move)
            vertices->push_back(MarkerVertex{move->x1, move->y1, 0});
        return;
    }
    std::vector<SegmentDirections> d = SubpathDirections(first, count);
    bool closed = first[count - 1].kind == PathSegmentClose;
    if (move)
        vertices->push_back(MarkerVertex{
            move->x1, move->y1, VertexAngle(closed ? d[count - 1].end : none, d[0].start)});
    for (size_t i = 0; i < count; i++) {
        Direction out = i + 1 < count ? d[i + 1].start : (closed ? d[0].start : none);
        vertices->push_back(MarkerVertex{first[i].x1, first[i].y1, VertexAngle(d[i].end, out)});
    }
}

} // namespace

void MarkerVertices(const std::vector<PathSegment>& segments, std::vector<MarkerVertex>* vertices) {
    size_t i = 0;
    while (i < segments.size()) {
        // A subpath runs from a move (or from where the last one closed) to
        // the next move or past its close.
        const PathSegment* move = nullptr;
        if (segments[i].kind == PathSegmentMove)
            move = &segments[i++];
        size_t first = i;
        while (i < segments.size() && segments[i].kind != PathSegmentMove) {
            if (segments[i++].kind == PathSegmentClose)
                break;
        }
        AddSubpathVertices(move, segments.data() + first, i - first, vertices);
    }
}

void LinePathSegments(GfxPath* path, std::vector<PathSegment>* segments) {
    std::vector<GfxPointF> points;
    std::vector<uint8_t> types;
    ReadPathPoints(path, &points, &types);
    const int count = static_cast<int>(points.size());
    GfxPointF start = {0, 0};
    for (int i = 0; i < count; i++) {
        const GfxPointF p = points[i];
        if ((types[i] & GfxPointTypeMask) == GfxPointTypeStart) {
            start = p;
            segments->push_back(PathSegment{PathSegmentMove, p.x, p.y, p.x, p.y, 0, 0, 0, 0});
        } else {
            const GfxPointF q = points[i - 1];
            float dx = p.x - q.x, dy = p.y - q.y;
            segments->push_back(PathSegment{PathSegmentDraw, q.x, q.y, p.x, p.y, dx, dy, dx, dy});
        }
        if (types[i] & GfxPointTypeCloseSubpath) {
            float dx = start.x - p.x, dy = start.y - p.y;
            segments->push_back(
                PathSegment{PathSegmentClose, p.x, p.y, start.x, start.y, dx, dy, dx, dy});
        }
    }
}

MarkerOrient ParseMarkerOrient(const std::wstring& text) {
    std::wstring value = LowerText(TrimWhiteSpace(text));
    if (value == L"auto")
        return MarkerOrient{1, 0};
    if (value == L"auto-start-reverse")
        return MarkerOrient{2, 0};
    float number = 0;
    int end = ScanNumber(value, 1, &number);
    if (end == 1)
        return MarkerOrient{0, 0};
    const std::wstring unit = value.substr(static_cast<size_t>(end - 1));
    const struct {
        const wchar_t* name;
        double degrees; // per unit
    } units[] = {{L"", 1}, {L"deg", 1}, {L"rad", 180 / Pi}, {L"grad", 0.9}, {L"turn", 360}};
    for (const auto& u : units) {
        if (unit == u.name)
            return MarkerOrient{0, static_cast<float>(std::fmod(number * u.degrees, 360.0))};
    }
    return MarkerOrient{0, 0};
}

bool HasMarkers(const StyleState& state) {
    return !state.markerStart.empty() || !state.markerMid.empty() || !state.markerEnd.empty();
}

namespace {

// Markers inside markers are drawn down to this depth.
const size_t MaxMarkerNesting = 4;

// The marker element and what placing it needs, read once per shape.
struct PlacedMarker {
    const XmlNode* element;
    MarkerOrient orient;
    float scale;        // the shape's stroke width, or 1 in user space units
    Matrix2D toContent; // viewport (0, 0 at the reference point) to content
    float refX, refY;   // the reference point in viewport units
    float width, height;
    int clips;
    float contentWidth, contentHeight; // what percentages in the content refer to
    StyleState content;                // what the content inherits
};

// The marker's own properties come through its ancestors, not through the
// shape that uses it; only the shape's opacity (what its offscreen groups leave
// to apply) and its paints, as the context paints, carry over.
void InheritedContentState(WalkContext* context, const XmlNode* marker, const StyleState& shape,
                           StyleState* state) {
    *state = StyleState();
    InitRootStyleState(state);
    DocumentViewportSize(context->document, &state->viewportWidth, &state->viewportHeight);
    SetContextPaints(shape, state); // what context-fill and context-stroke name inside
    ApplyPresentationDownTo(context->load, marker, state);
    state->displayNone = 0; // display does not apply to markers
    state->opacity = shape.opacity;
}

// False when the id names no marker that can be drawn here.
bool PrepareMarker(WalkContext* context, const std::wstring& id, const StyleState& shape,
                   PlacedMarker* placed) {
    const XmlNode* marker = LookUpId(&context->ids, id);
    if (!marker || !LowerTextIs(XmlLocalName(marker), L"marker") ||
        context->markersInProgress.size() >= MaxMarkerNesting)
        return false;
    for (const XmlNode* busy : context->markersInProgress) {
        if (busy == marker)
            return false;
    }
    placed->element = marker;
    placed->width = ViewportLength(XmlAttribute(marker, L"markerWidth"), shape.viewportWidth, 3);
    placed->height = ViewportLength(XmlAttribute(marker, L"markerHeight"), shape.viewportHeight, 3);
    if (!(placed->width > 0 && placed->height > 0))
        return false;
    placed->orient = ParseMarkerOrient(XmlAttribute(marker, L"orient"));
    bool userSpace = TrimWhiteSpace(XmlAttribute(marker, L"markerUnits")) == L"userSpaceOnUse";
    placed->scale = userSpace ? 1.0f : shape.strokeWidth;
    ViewBox box;
    IdentityMatrix(&placed->toContent);
    placed->contentWidth = placed->width;
    placed->contentHeight = placed->height;
    if (ParseViewBox(XmlAttribute(marker, L"viewBox"), &box)) {
        AspectRatio aspect = ParseAspectRatio(XmlAttribute(marker, L"preserveAspectRatio"));
        placed->toContent = ViewBoxMatrix(box, aspect, 0, 0, placed->width, placed->height);
        placed->contentWidth = box.width;
        placed->contentHeight = box.height;
    }
    // Percentages, here as in the marker's size, are of the shape's viewport.
    float refX = ViewportLength(XmlAttribute(marker, L"refX"), shape.viewportWidth, 0);
    float refY = ViewportLength(XmlAttribute(marker, L"refY"), shape.viewportHeight, 0);
    ApplyMatrix(placed->toContent, &refX, &refY);
    placed->refX = refX;
    placed->refY = refY;
    InheritedContentState(context, marker, shape, &placed->content);
    placed->clips = placed->content.clipsOverflow;
    placed->content.viewportWidth = placed->contentWidth;
    placed->content.viewportHeight = placed->contentHeight;
    return true;
}

// The marker at one vertex: its viewport sits with the reference point on
// the vertex, turned and scaled; the content is walked inside it.
void PlaceMarker(WalkContext* context, const StyleState& shape, const PlacedMarker& placed,
                 const MarkerVertex& vertex, bool isStart) {
    float angle = placed.orient.angle;
    if (placed.orient.automatic)
        angle = vertex.angle + (placed.orient.automatic == 2 && isStart ? 180.0f : 0.0f);
    double radians = angle * Pi / 180;
    float c = static_cast<float>(std::cos(radians)), s = static_cast<float>(std::sin(radians));
    const float k = placed.scale;
    Matrix2D viewport =
        ComposeMatrix(shape.matrix, Matrix2D{c * k, s * k, -s * k, c * k, vertex.x, vertex.y});
    viewport = ComposeMatrix(viewport, Matrix2D{1, 0, 0, 1, -placed.refX, -placed.refY});
    StyleState state = placed.content;
    state.matrix = ComposeMatrix(viewport, placed.toContent);
    state.clip = shape.clip;
    state.group = shape.group; // drawn inside the shape's offscreen group, if any
    if (placed.clips) {
        int region = AddRectClipRegion(context->document, shape.clip, viewport, 0, 0, placed.width,
                                       placed.height);
        if (!region)
            return;
        state.clip = region;
    }
    WalkMarkerContent(context, placed.element, state);
}

// Whether the load's work budget has room for one more placed marker; the
// rectangle its viewport clips to costs as a shape of four points does.
bool SpendOnMarker(WalkContext* context, const PlacedMarker& placed) {
    SvgDocument* document = context->document;
    if (placed.clips)
        return SpendWork(LoadWorkBudget(), &document->loadWork, 4);
    return !WorkBudgetSpent(LoadWorkBudget(), document->loadWork);
}

void PlaceAll(WalkContext* context, const StyleState& shape, const std::wstring& id,
              const MarkerVertex* first, size_t count, bool isStart) {
    if (id.empty() || count == 0 || context->expanded >= MaxUseExpansion)
        return;
    PlacedMarker placed = PlacedMarker();
    if (!PrepareMarker(context, id, shape, &placed))
        return;
    context->markersInProgress.push_back(placed.element);
    for (size_t i = 0; i < count && context->expanded < MaxUseExpansion; i++) {
        if (!SpendOnMarker(context, placed)) { // none of the rest is placed
            context->document->notDrawn[NotDrawnLoadBudget] += static_cast<int>(count - i);
            break;
        }
        context->expanded++;
        PlaceMarker(context, shape, placed, first[i], isStart);
    }
    context->markersInProgress.pop_back();
}

} // namespace

void DrawMarkers(WalkContext* context, const StyleState& state,
                 const std::vector<MarkerVertex>& vertices) {
    if (vertices.empty())
        return;
    // Copied: the walks below may grow the state's owner.
    const StyleState shape = state;
    size_t n = vertices.size();
    PlaceAll(context, shape, shape.markerStart, &vertices[0], 1, true);
    if (n > 2)
        PlaceAll(context, shape, shape.markerMid, &vertices[1], n - 2, false);
    PlaceAll(context, shape, shape.markerEnd, &vertices[n - 1], 1, false);
}
