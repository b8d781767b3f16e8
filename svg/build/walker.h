// The element walker: turns the element tree of a loaded file into the
// document's ordered list of shape records.
#pragma once

#include <string>

struct LoadContext;
struct StyleState;
struct SvgDocument;
struct WalkContext;
struct XmlNode;

// Elements nested deeper than this below the root are not drawn, and
// neither is anything inside them.
enum { MaxWalkDepth = 256 };

// Handles every child element of the root and everything inside them, with
// the root's state.
void WalkDocument(LoadContext* load, const XmlNode* root, SvgDocument* document,
                  const StyleState* rootState);

// Handles one element and everything inside it, depth-first in document
// order, with the parent's state. The element counts as one level below the
// root. Uses an explicit stack, never recursion.
void WalkElement(LoadContext* load, const XmlNode* element, SvgDocument* document,
                 const StyleState* parent);

// Walks the children of the container (a mask) with the state given, into
// the document's records, percentages measured against the viewport size.
void WalkContent(WalkContext* context, const XmlNode* container, const StyleState& state,
                 float viewportWidth, float viewportHeight);

// Walks the one element (what an feImage draws) with its parent's state,
// percentages measured against the viewport size; it counts against
// MaxUseExpansion, as a use's content.
void WalkOneElement(WalkContext* context, const XmlNode* element, const StyleState& parent,
                    float viewportWidth, float viewportHeight);
// Walks the children of a placed marker with the state (its matrix, clip
// and viewport already set); each element counts against MaxUseExpansion.
void WalkMarkerContent(WalkContext* context, const XmlNode* marker, const StyleState& state);
