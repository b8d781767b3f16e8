// References between elements of one file: «href="#id"» and «url(#id)»,
// resolved through an index of the file's ids.
#pragma once

#include <string>
#include <unordered_map>

struct XmlNode;

// The ids of one tree, indexed on first use. The first element with an id
// wins, as in browsers.
struct IdIndex {
    const XmlNode* root;
    int built;
    std::unordered_map<std::wstring, const XmlNode*> elements;
};

// The element with the id, or null (an empty id finds nothing).
const XmlNode* LookUpId(IdIndex* index, const std::wstring& id);
// The id of «url(#id)», «url('#id')» or «url("#id")» (blanks allowed), or ""
// when the text is no local reference.
std::wstring UrlReferenceId(const std::wstring& text);
// The element's "href" (or, without one, "xlink:href"), trimmed.
std::wstring HrefText(const XmlNode* element);
// The id of the element's "href" (or, without one, "xlink:href") when it is
// «#id»; "" otherwise, so references to other files find nothing.
std::wstring HrefReferenceId(const XmlNode* element);
