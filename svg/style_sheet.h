// Style sheets: rules of "style" elements filed by class, id and element name.
#pragma once

#include <string>

struct XmlNode;

void ClearStyleSheetRules();
void CollectStyleSheets(const XmlNode* element);
void ParseStyleSheet(const std::wstring& text);
// The declaration text filed under a key ("" when none); keys compare exactly.
std::wstring FindClassRule(const std::wstring& name);
std::wstring FindIdRule(const std::wstring& id);
std::wstring FindElementRule(const std::wstring& lowerName);
bool HasClassRules();
bool HasElementRules();
