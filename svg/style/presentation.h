// Presentation attributes, inline style and style sheets: an element's
// computed StyleState from its parent's.
#pragma once

#include <string>

#include "svg/style/style.h"

struct LoadContext;
struct XmlNode;

// Computes the element's state from its parent's; parent and out may be the
// same record (the root). Style sheets and paint servers are the load's.
void ApplyPresentation(LoadContext* context, const XmlNode* element, const StyleState* parent,
                       StyleState* out);
// The same with the element's declarations already in hand.
void ApplyPresentation(LoadContext* context, const XmlNode* element,
                       const std::wstring& declarations, const StyleState* parent, StyleState* out);
// Properties of the element alone that the walker needs, read along with
// the others: the values of filter, clip-path and mask as written ("" when
// not given), and whether a marker property names a marker.
struct OwnEffects {
    std::wstring filter, clipPath, mask;
    int namesMarker;
};
void ApplyPresentation(LoadContext* context, const XmlNode* element,
                       const std::wstring& declarations, const StyleState* parent, StyleState* out,
                       OwnEffects* own);
// A paint property of the element read on its own (the current colour is
// not known there).
Argb ParsePaint(LoadContext* context, const XmlNode* element, const std::wstring& declarations,
                const std::wstring& name, int* isNone, std::wstring* ref);
// The property's value read as a length; found = 0 and the default when the
// property is not given.
float ParseNumberProperty(const XmlNode* element, const std::wstring& declarations,
                          const std::wstring& name, float defaultValue, int* found);
// The values of "display" and "visibility" that hide an element ("none";
// "hidden" or "collapse"), in any case, blanks around them ignored.
bool IsDisplayNone(const std::wstring& value);
bool IsVisibilityHidden(const std::wstring& value);
// Keyword readers: the current code is returned for anything they do not know.
int ParseFillRule(const std::wstring& text, int current);
int ParseLineCap(const std::wstring& text, int current);
int ParseLineJoin(const std::wstring& text, int current);
