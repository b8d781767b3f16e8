// Reading a filter primitive element: its inputs and the values its kind
// needs, in user units.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "svg/records/filters.h"

struct StyleState;
struct XmlNode;

// The results named so far by the primitives before, with their indices.
typedef std::vector<std::pair<std::wstring, int>> NamedResults;

// A named input: a source, an earlier result, or the previous result
// (SourceGraphic for the first primitive) for anything else.
int InputOf(const XmlNode* element, const wchar_t* attribute, const NamedResults& results,
            int index);

// Reads what the primitive's kind needs from the element and its style
// (flood and lighting colours), in user units before the primitive units
// scale them; a primitive in error becomes PrimitiveTransparent.
void ReadPrimitiveValues(const XmlNode* element, const StyleState& state, FilterPrimitive* p);
