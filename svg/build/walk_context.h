// What one walk over a file shares between its parts: the document being
// filled, the index of ids that references resolve through, the count of
// elements drawn through «use» and the clip paths being built.
#pragma once

#include <string>
#include <vector>

#include "svg/xml/references.h"

struct StyleState;
struct SvgDocument;
struct XmlNode;

// Elements drawn through «use» beyond this many are left out, so that uses
// of uses (each doubling the last) cannot make a file load for ever.
enum { MaxUseExpansion = 100000 };

struct WalkContext {
    SvgDocument* document;
    IdIndex ids;
    int expanded; // elements drawn through use so far
    std::vector<const XmlNode*> clipsInProgress;
    std::vector<const XmlNode*> markersInProgress;
    std::vector<const XmlNode*> masksInProgress;
    std::vector<const XmlNode*> patternsInProgress;
};

// Walks the children of the container (a mask) with the state given, into
// the document's records, percentages measured against the viewport size.
void WalkContent(WalkContext* context, const XmlNode* container, const StyleState& state,
                 float viewportWidth, float viewportHeight);

// Properties that ApplyPresentation does not read: the inline style first,
// then the style sheets, then the attribute. The declarations are the
// element's own, from ElementDeclarations.
std::wstring OwnProperty(const XmlNode* element, const std::wstring& declarations,
                         const wchar_t* name);

// Whether the element's "overflow" hides what lies outside its viewport (any
// value but visible and auto).
bool ClipsToViewport(const XmlNode* element, const std::wstring& declarations);

// Walks the children of a placed marker with the state (its matrix, clip
// and viewport already set); each element counts against MaxUseExpansion.
void WalkMarkerContent(WalkContext* context, const XmlNode* marker, const StyleState& state);
