// Paths of the basic shapes: rect, circle, ellipse, line, polyline, polygon
// and path, built from an element's geometry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "svg/build/element_roles.h"

struct GfxPath;
struct GfxPointF;
struct StyleState;
struct XmlNode;

// The shape's path, or null when the element's geometry draws nothing;
// lengths are resolved with the state's font size and viewport.
GfxPath* BuildShapePath(const XmlNode* element, ElementRole role, const StyleState& state);
// The path of a shape element, or null (not a shape, or nothing to draw).
GfxPath* BuildElementPath(const XmlNode* element);

// Path builders: each creates its path in the alternate fill mode and returns
// null only when the path cannot be created. Geometry stays in user units.
// A negative rx or ry stands for a radius that is not given.
GfxPath* BuildRectPath(float x, float y, float width, float height, float rx, float ry);
GfxPath* BuildEllipsePath(float cx, float cy, float rx, float ry);
GfxPath* BuildLinePath(float x1, float y1, float x2, float y2);
// Coordinates pair up in reading order; closed adds the closing segment.
GfxPath* BuildPolyPath(const std::wstring& points, int closed);
// The path's points and their types (GfxPointType...), in order.
void ReadPathPoints(GfxPath* path, std::vector<GfxPointF>* points, std::vector<uint8_t>* types);
