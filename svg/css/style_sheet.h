// Style sheets: the rules of "style" elements, matched to elements by their
// selectors and merged with the "style" attribute in CSS cascade order.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "svg/css/css_syntax.h"
#include "svg/css/selectors.h"

struct XmlNode;

// The class names of an ancestor, copied: matching asks for them again for
// every element below it.
struct ClassNames {
    std::wstring text;
    std::vector<TextView> names; // sorted, without repeats
};

// The element being styled, with its class names read once, and the sheets
// that keep its ancestors' class names.
struct StyleSheets;
struct StyleSubject {
    StyleSheets* sheets = nullptr;
    const XmlNode* element = nullptr;
    std::vector<TextView> classes;
    uint64_t ancestorBits = 0; // of its ancestors' names, ids and classes
};

typedef std::unordered_map<std::wstring, std::vector<uint32_t>> RuleBuckets;

// The filed rules of one document, with what matching them keeps from element
// to element. Made empty for every load and read through the functions below
// only. The caches hold nodes of the tree being styled: a StyleSheets serves
// one tree at a time (collecting or parsing a sheet forgets them).
struct StyleSheets {
    std::vector<DeclarationLists> bodies;
    std::unordered_map<std::wstring, uint32_t> bodyIndex;
    std::vector<Rule> rules;
    std::unordered_map<std::wstring, uint32_t> ruleIndex; // selector and body
    // Rules by the element's own compound: its id, else a class, else its
    // element name, else any element.
    RuleBuckets byId;
    RuleBuckets byClass;
    RuleBuckets byType;
    std::vector<uint32_t> universal;
    uint32_t nextOrder = 0;
    std::unordered_map<const XmlNode*, ClassNames> ancestorClasses;
    // Per element, the bits of its own and its ancestors' names, ids and
    // classes (NameBit), for the ancestor filter.
    std::unordered_map<const XmlNode*, uint64_t> lineageBits;
    bool ancestorTests = false; // some rule has ancestorBits
    std::vector<uint32_t> bodySeen; // per body, the last match that used it
    uint32_t matchCount = 0;
    // Whether every rule tests the element's own name, id and classes alone
    // (no combinator, attribute test or pseudo-class): which rules match is
    // then a matter of those attributes' text.
    bool ownCompoundsOnly = true;
    std::unordered_set<std::string> ruleIds; // UTF-8, of the rules filed by id
    // The cascaded lists of recent elements by a key of everything each
    // depends on (CascadeKey).
    std::unordered_map<std::string, std::wstring> cascades;
    // Scratch kept from element to element: most elements match a rule or
    // two, and then nothing is allocated.
    std::string key;
    std::vector<uint32_t> matchedBodies;
    std::vector<const Rule*> matchedRules;
    StyleSubject subject;
    std::wstring bucketKey;
};

void ClearStyleSheetRules(StyleSheets* sheets);
// Files the rules of every "style" element in root's subtree, in document
// order, after those filed before.
void CollectStyleSheets(StyleSheets* sheets, const XmlNode* root);
// The same for one element: its rules when it is a "style" element.
void CollectStyleSheet(StyleSheets* sheets, const XmlNode* element);
// Whether an element of this name is a "style" element.
bool IsStyleElementName(const std::wstring& name);
// Files the rules of one sheet after those filed before.
void ParseStyleSheet(StyleSheets* sheets, const std::wstring& text);

// Declaration lists in cascade order, as "name:value" items joined by ";":
// the first item naming a property is the one that applies. "!important"
// is taken off the values.
//
// The rules that match the element: important declarations first, then
// normal ones; within each, rules of higher specificity first, and of equal
// specificity the later rule first.
std::wstring StyleSheetDeclarations(StyleSheets* sheets, const XmlNode* element);
// The same with the element's "style" attribute in its place: important
// inline declarations, important rules, inline declarations, rules.
std::wstring CascadedDeclarations(StyleSheets* sheets, const XmlNode* element);
// The same into *out, whose storage is reused: a walk asks for every
// element's list in turn, and most come from the cache.
void CascadedDeclarationsInto(StyleSheets* sheets, const XmlNode* element, std::wstring* out);
