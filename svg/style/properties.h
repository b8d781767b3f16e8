// An element's declarations for the cascade, and one declaration looked up
// by name.
#pragma once

#include <string>

struct StyleSheets;
struct XmlNode;

// The element's declarations: its "style" attribute, then the style-sheet
// rules that match it (FindDeclaration takes the first match).
std::wstring ElementDeclarations(StyleSheets* sheets, const XmlNode* element);
std::wstring FindDeclaration(const std::wstring& declarations, const std::wstring& name);
