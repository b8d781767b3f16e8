// The element walker: turns the element tree of a loaded file into the
// document's ordered list of shape records, and builds the paths of the basic
// shapes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct XmlNode;
struct GfxPointF;
struct SvgDocument;
struct ShapeRecord;
struct StyleState;
struct GfxPath;

// Elements nested deeper than this below the root are not drawn, and
// neither is anything inside them.
enum { MaxWalkDepth = 256 };

// Handles every child element of the root and everything inside them, with
// the root's state.
void WalkDocument(const XmlNode* root, SvgDocument* document, const StyleState* rootState);

// Handles one element and everything inside it, depth-first in document
// order, with the parent's state. The element counts as one level below the
// root. Uses an explicit stack, never recursion.
void WalkElement(const XmlNode* element, SvgDocument* document, const StyleState* parent);

// Takes over the path and the id: stores them in a new record when the state
// draws anything visible, deletes the path otherwise. The id is taken by
// value so that callers can make it before the path and move it in.
void CommitShape(SvgDocument* document, GfxPath* path, const StyleState* state, std::wstring id);

// Whether the element is one of the seven shapes, or a use.
bool IsShapeElement(const XmlNode* element);
bool IsUseElement(const XmlNode* element);
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
