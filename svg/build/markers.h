// Markers: the arrowheads and dots that marker-start, marker-mid and
// marker-end place at the vertices of a path, line, polyline or polygon. Each
// placed marker's content is walked like a group, so it becomes ordinary
// shape records with the marker's matrix, cut by the marker's viewport.
#pragma once

#include <vector>

#include "svg/values/path_data.h"

struct GfxPath;
struct StyleState;
struct WalkContext;
struct XmlNode;

// A place for a marker and its direction (degrees, 0 along +x, growing
// towards +y).
struct MarkerVertex {
    float x, y, angle;
};

// The vertices of the segments in order: the start of each subpath that a
// move begins and the end of every segment. Where two segments meet the
// direction is half way between the incoming and the outgoing one; the ends
// of an open subpath take the direction of its first or last segment; a
// closed subpath's ends look across its closing segment. A segment of length
// 0 takes its neighbours' direction.
void MarkerVertices(const std::vector<PathSegment>& segments, std::vector<MarkerVertex>* vertices);

// The segments of a path made of straight lines only (as line, polyline and
// polygon are built).
void LinePathSegments(GfxPath* path, std::vector<PathSegment>* segments);

// The angle a marker's "orient" gives, or whether it follows the path.
struct MarkerOrient {
    int automatic; // 1 auto, 2 auto-start-reverse, 0 the fixed angle
    float angle;   // degrees
};
// Reads "auto", "auto-start-reverse", a number (degrees) or an angle in deg,
// rad, grad or turn; anything else is the angle 0.
MarkerOrient ParseMarkerOrient(const std::wstring& text);

// Whether the state names any marker.
bool HasMarkers(const StyleState& state);
// Places the markers the state names at the vertices, in the state's user
// space and under its clip: every start marker, then the middle ones, then
// the end.
void DrawMarkers(WalkContext* context, const StyleState& state,
                 const std::vector<MarkerVertex>& vertices);
