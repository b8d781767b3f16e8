// Single properties of an element looked up by name, for the readers that
// need one or two of them.
#pragma once

#include <string>

#include "svg/values/colour.h"

struct StyleSheets;
struct XmlNode;

// The element's declarations: its "style" attribute, then the style-sheet
// rules that match it (FindDeclaration takes the first match).
std::wstring ElementDeclarations(StyleSheets* sheets, const XmlNode* element);
std::wstring FindDeclaration(const std::wstring& declarations, const std::wstring& name);
// A property's value: its declaration when not empty, else its attribute.
std::wstring GetPropertyValue(const XmlNode* element, const std::wstring& declarations,
                              const std::wstring& name);
// A colour value written on the element: "currentColor" (any case) is the
// element's "color" property, inherited from its ancestors (black when none
// sets one); anything else as ParseColour reads it.
Argb ParseColourOf(StyleSheets* sheets, const XmlNode* element, const std::wstring& text);
