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
// Applies the presentation of the element's ancestors, the topmost first,
// and then of the element itself to *state in place: *state comes in as the
// state before the root's own properties and leaves as the element's where
// it stands in the file (not where a use draws it).
void ApplyPresentationDownTo(LoadContext* context, const XmlNode* element, StyleState* state);
// A paint property of the element read on its own (the current colour is
// not known there).
Argb ParsePaint(LoadContext* context, const XmlNode* element, const std::wstring& declarations,
                const std::wstring& name, int* isNone, std::wstring* ref);
// Keyword readers: the current code is returned for anything they do not know.
int ParseFillRule(const std::wstring& text, int current);
int ParseLineCap(const std::wstring& text, int current);
int ParseLineJoin(const std::wstring& text, int current);
