#include "svg/style_sheet.h"

#include <map>
#include <vector>

#include "svg/element_walk.h"
#include "svg/text.h"
#include "svg/xml_tree.h"

namespace {

// The rule bodies filed under one key, in the order they were filed. The
// joined text puts the latest body first, so the first match of a property
// comes from the latest rule; it is built once on demand, which keeps filing
// many rules under one key linear.
struct RuleEntry {
    std::vector<std::wstring> bodies;
    std::wstring joined;
    bool joinedValid;
};

typedef std::map<std::wstring, RuleEntry> RuleMap;

RuleMap classRules;
RuleMap idRules;
RuleMap elementRules;

bool IsCssWhiteSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f';
}

void FileBody(RuleMap* map, const std::wstring& key, const std::wstring& body) {
    RuleEntry& entry = (*map)[key];
    entry.bodies.push_back(body);
    entry.joinedValid = false;
}

std::wstring FindRule(RuleMap* map, const std::wstring& key) {
    RuleMap::iterator found = map->find(key);
    if (found == map->end())
        return std::wstring();
    RuleEntry& entry = found->second;
    if (!entry.joinedValid) {
        size_t length = 0;
        for (const std::wstring& body : entry.bodies)
            length += body.size() + 1;
        entry.joined.clear();
        entry.joined.reserve(length);
        for (size_t i = entry.bodies.size(); i-- > 0;) {
            entry.joined += entry.bodies[i];
            if (i > 0)
                entry.joined += L';';
        }
        entry.joinedValid = true;
    }
    return entry.joined;
}

// Removes /* ... */ comments; an unterminated comment removes the rest of the
// sheet. Removing a comment can join a "/" before it and a "*" after it into
// a new comment opener, which then starts a comment as well.
std::wstring RemoveComments(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    for (;;) {
        size_t searchFrom;
        if (!out.empty() && out.back() == L'/' && i < text.size() && text[i] == L'*') {
            out.pop_back();
            searchFrom = i + 1;
        } else {
            size_t open = text.find(L"/*", i);
            if (open == std::wstring::npos) {
                out.append(text, i, std::wstring::npos);
                return out;
            }
            out.append(text, i, open - i);
            searchFrom = open + 2;
        }
        size_t close = text.find(L"*/", searchFrom);
        if (close == std::wstring::npos)
            return out;
        i = close + 2;
    }
}

bool IsElementNameCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'_';
}

// Pseudo-classes, combinators, attribute and universal selectors are not
// supported; a selector containing any of them is ignored.
bool IsUnsupportedSelector(const std::wstring& selector) {
    for (wchar_t c : selector) {
        if (IsCssWhiteSpace(c) || c == L':' || c == L'>' || c == L'+' || c == L'~' || c == L'[' ||
            c == L'*')
            return true;
    }
    return false;
}

void FileSelector(const std::wstring& selector, const std::wstring& body) {
    if (selector.empty() || IsUnsupportedSelector(selector))
        return;
    if (selector[0] == L'.' || selector[0] == L'#') {
        std::wstring key = selector.substr(1);
        if (!key.empty())
            FileBody(selector[0] == L'.' ? &classRules : &idRules, key, body);
        return;
    }
    std::wstring key = LowerText(selector);
    for (wchar_t c : key) {
        if (!IsElementNameCharacter(c))
            return;
    }
    FileBody(&elementRules, key, body);
}

// Files one complete rule. Selector lists, selectors and bodies are trimmed of
// all CSS white space, so rules written one per line and indented are read.
void FileRule(const std::wstring& selectorText, const std::wstring& bodyText) {
    std::wstring selectors = TrimWhiteSpace(selectorText);
    std::wstring body = TrimWhiteSpace(bodyText);
    if (selectors.empty() || body.empty() || selectors[0] == L'@')
        return;
    size_t pieceStart = 0;
    for (;;) {
        size_t comma = selectors.find(L',', pieceStart);
        size_t pieceEnd = comma == std::wstring::npos ? selectors.size() : comma;
        FileSelector(TrimWhiteSpace(selectors.substr(pieceStart, pieceEnd - pieceStart)), body);
        if (comma == std::wstring::npos)
            break;
        pieceStart = comma + 1;
    }
}

// One pass over the sheet: a "{" ends the selector text, braces are counted
// inside a block (so nested blocks of at-rules are skipped whole), and the "}"
// that brings the count back to 0 completes the rule. A block still open at
// the end is dropped.
void ScanRules(const std::wstring& sheet) {
    bool inSelector = true;
    size_t depth = 0;
    size_t selectorStart = 0;
    size_t openBrace = 0;
    for (size_t i = 0; i < sheet.size(); i++) {
        wchar_t c = sheet[i];
        if (inSelector) {
            if (c == L'{') {
                inSelector = false;
                depth = 1;
                openBrace = i;
            }
        } else if (c == L'{') {
            depth++;
        } else if (c == L'}' && --depth == 0) {
            FileRule(sheet.substr(selectorStart, openBrace - selectorStart),
                     sheet.substr(openBrace + 1, i - openBrace - 1));
            inSelector = true;
            selectorStart = i + 1;
        }
    }
}

void ParseIfStyleElement(const XmlNode* element, void*) {
    if (LowerText(XmlName(element)) != L"style")
        return;
    std::wstring text = XmlTextContent(element);
    if (!text.empty())
        ParseStyleSheet(text);
}

} // namespace

void ClearStyleSheetRules() {
    classRules.clear();
    idRules.clear();
    elementRules.clear();
}

void ParseStyleSheet(const std::wstring& text) {
    if (text.empty())
        return;
    ScanRules(RemoveComments(text));
}

// Style elements count wherever they stand, inside "defs" as well.
void CollectStyleSheets(const XmlNode* element) {
    VisitElements(element, kMaxElementSearchDepth, ParseIfStyleElement, nullptr);
}

std::wstring FindClassRule(const std::wstring& name) {
    return FindRule(&classRules, name);
}

std::wstring FindIdRule(const std::wstring& id) {
    return FindRule(&idRules, id);
}

std::wstring FindElementRule(const std::wstring& lowerName) {
    return FindRule(&elementRules, lowerName);
}

bool HasClassRules() {
    return !classRules.empty();
}

bool HasElementRules() {
    return !elementRules.empty();
}
