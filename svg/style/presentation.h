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
// A paint property of the element read on its own (the current colour is
// not known there).
Argb ParsePaint(LoadContext* context, const XmlNode* element, const std::wstring& declarations,
                const std::wstring& name, int* isNone, std::wstring* ref);
// The property's value read as a length; found = 0 and the default when the
// property is not given.
float ParseNumberProperty(const XmlNode* element, const std::wstring& declarations,
                          const std::wstring& name, float defaultValue, int* found);
// Keyword readers: the current code is returned for anything they do not know.
int ParseFillRule(const std::wstring& text, int current);
int ParseLineCap(const std::wstring& text, int current);
int ParseLineJoin(const std::wstring& text, int current);
