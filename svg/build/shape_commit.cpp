// Committing a shape's records in paint order, with the tiles of its pattern
// paints and its markers.
#include "svg/build/shape_commit.h"

#include <string>
#include <utility>
#include <vector>

#include "svg/build/markers.h"
#include "svg/build/patterns.h"
#include "svg/build/shape_paths.h"
#include "svg/build/shape_records.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/style/style.h"
#include "svg/values/path_data.h"
#include "svg/xml/xml_tree.h"

namespace {

// The shape's style and the viewport its pattern tiles are made in.
struct ShapePaint {
    const StyleState& state;
    float viewportWidth, viewportHeight;
};

// The record's fill and stroke patterns get their tiles, made for the
// record's bounding box.
void AttachPatterns(WalkContext* context, int index, const ShapePaint& paint) {
    SvgDocument* document = context->document;
    const ShapeRecord& record = document->shapes[index];
    const float box[4] = {record.boundsX, record.boundsY, record.boundsWidth, record.boundsHeight};
    bool fillRefused = false, strokeRefused = false;
    const XmlNode* fill =
        record.hasFill ? PatternOf(context, TextOf(record.fillRef), &fillRefused) : nullptr;
    const XmlNode* stroke =
        record.hasStroke ? PatternOf(context, TextOf(record.strokeRef), &strokeRefused) : nullptr;
    // A pattern in bounding-box units cannot be used on a box without width
    // or height: its fallback colour paints instead, or nothing.
    const bool flat = !(box[2] > 0 && box[3] > 0);
    if (fill && flat && PatternInBoxUnits(context, fill)) {
        fill = nullptr;
        fillRefused = !paint.state.fillPatternFallback;
    }
    if (stroke && flat && PatternInBoxUnits(context, stroke)) {
        stroke = nullptr;
        strokeRefused = !paint.state.strokePatternFallback;
    }
    // A pattern painting inside its own tile paints nothing.
    if (fillRefused)
        document->shapes[index].hasFill = 0;
    if (strokeRefused)
        document->shapes[index].hasStroke = 0;
    // Making a tile sets the records aside for a while: the record is found
    // again by its index each time.
    if (fill) {
        int tile = AddPatternTile(context, fill, box, paint.viewportWidth, paint.viewportHeight);
        document->shapes[index].fillPattern = tile;
    }
    if (stroke) {
        int tile = AddPatternTile(context, stroke, box, paint.viewportWidth, paint.viewportHeight);
        document->shapes[index].strokePattern = tile;
    }
}

// Commits the shape and gives its pattern paints their tiles.
void CommitWithPatterns(WalkContext* context, GfxPath* path, const StyleState& state,
                        std::wstring id, const ShapePaint& paint) {
    const int index = context->document->shapeCount;
    CommitShape(context->document, path, &state, std::move(id));
    if (context->document->shapeCount > index)
        AttachPatterns(context, index, paint);
}

// Markers painted between the fill and the stroke: the part before them, the
// markers, then the other part on a second copy of the path. Each part's
// record takes one of the two copies of the id.
void CommitBetweenMarkers(WalkContext* context, const XmlNode* element, ElementRole role,
                          GfxOwnedPath path, const std::vector<MarkerVertex>& vertices,
                          std::wstring firstId, std::wstring lastId, const ShapePaint& paint) {
    const StyleState& state = paint.state;
    StyleState first = state, last = state;
    if (PaintOrderPart(state.paintOrder, 0) == PaintFill)
        first.hasStroke = last.hasFill = 0;
    else
        first.hasFill = last.hasStroke = 0;
    CommitWithPatterns(context, path.release(), first, std::move(firstId), paint);
    DrawMarkers(context, state, vertices);
    CommitWithPatterns(context, BuildShapePath(element, role, state), last, std::move(lastId),
                       paint);
}

} // namespace

void CommitPaintedShape(WalkContext* context, const XmlNode* element, ElementRole role,
                        GfxOwnedPath path, const StyleState& state, float viewportWidth,
                        float viewportHeight) {
    const ShapePaint paint = {state, viewportWidth, viewportHeight};
    const bool marked = role >= RoleLine && HasMarkers(state);
    int markersAt = 2; // where paint-order puts the markers
    for (int i = 0; i < 3; i++) {
        if (PaintOrderPart(state.paintOrder, i) == PaintMarkers)
            markersAt = i;
    }
    std::wstring id = XmlAttributeCopy(element, L"id");
    std::wstring secondId = marked && markersAt == 1 ? id : std::wstring();
    std::vector<PathSegment> segments;
    if (marked) {
        if (role == RolePath)
            ParsePathSegments(XmlAttribute(element, L"d"), &segments);
        else
            LinePathSegments(path.get(), &segments);
    }
    std::vector<MarkerVertex> vertices;
    if (marked)
        MarkerVertices(segments, &vertices);
    if (!marked || markersAt == 2) {
        CommitWithPatterns(context, path.release(), state, std::move(id), paint);
        if (marked)
            DrawMarkers(context, state, vertices);
    } else if (markersAt == 0) {
        DrawMarkers(context, state, vertices);
        CommitWithPatterns(context, path.release(), state, std::move(id), paint);
    } else {
        CommitBetweenMarkers(context, element, role, std::move(path), vertices, std::move(id),
                             std::move(secondId), paint);
    }
}
