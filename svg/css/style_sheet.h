// Style sheets: the rules of "style" elements, matched to elements by their
// selectors and merged with the "style" attribute in CSS cascade order.
#pragma once

#include <string>

struct XmlNode;

void ClearStyleSheetRules();
// Files the rules of every "style" element in root's subtree, in document
// order, after those filed before.
void CollectStyleSheets(const XmlNode* root);
// The same for one element: its rules when it is a "style" element.
void CollectStyleSheet(const XmlNode* element);
// Whether an element of this name is a "style" element.
bool IsStyleElementName(const std::wstring& name);
// Files the rules of one sheet after those filed before.
void ParseStyleSheet(const std::wstring& text);

// Declaration lists in cascade order, as "name:value" items joined by ";":
// the first item naming a property is the one that applies. "!important"
// is taken off the values.
//
// The rules that match the element: important declarations first, then
// normal ones; within each, rules of higher specificity first, and of equal
// specificity the later rule first.
std::wstring StyleSheetDeclarations(const XmlNode* element);
// The same with the element's "style" attribute in its place: important
// inline declarations, important rules, inline declarations, rules.
std::wstring CascadedDeclarations(const XmlNode* element);
// The same into *out, whose storage is reused: a walk asks for every
// element's list in turn, and most come from the cache.
void CascadedDeclarationsInto(const XmlNode* element, std::wstring* out);
