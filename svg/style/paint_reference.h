// Paint references: «url(#id)» in a fill or stroke, and what the id names.
#pragma once

#include <string>
#include <unordered_map>

#include "svg/values/colour.h"

struct GradientRegistry;
struct XmlNode;

// What a paint reference can be drawn as.
enum PaintServerKind {
    PaintServerMissing = 0,  // nothing, or an element that is no paint server
    PaintServerGradient = 1, // a gradient that is drawn
    PaintServerPattern = 2,  // a pattern, drawn from its tile
};

// What the look-ups of one document found for ids that name no gradient:
// each id's kind, found by one search of the document.
struct PaintServerLookups {
    std::unordered_map<std::wstring, int> otherElementKinds;
};

// The one look-up that decides whether a reference is usable. For a gradient,
// *average is its average stop colour (drawn where the gradient itself cannot
// be) and *drawnAsGradient says whether the document keeps its definition.
// element is any element of the document being loaded.
int LookUpPaintServer(const GradientRegistry* gradients, PaintServerLookups* lookups,
                      const XmlNode* element, const std::wstring& id, Argb* average,
                      int* drawnAsGradient);

// Reads «url(#id)», «url('#id')» or «url("#id")» at the start of the text
// [first, last) (the "url(" in any case). Returns 1 with the id — empty when
// the address names no element of this document — and *rest at the text
// after the ")"; 0 when the text is no reference.
int ReadPaintReference(const wchar_t* first, const wchar_t* last, std::wstring* id,
                       const wchar_t** rest);
