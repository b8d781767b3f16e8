// Style sheets: the filed rules of a document's "style" elements, matched to
// elements and merged with their "style" attributes in cascade order.
#include "svg/css/style_sheet.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "svg/base/strings.h"
#include "svg/css/css_syntax.h"
#include "svg/css/selectors.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

namespace {

// ---- The filed rules ----

// At most this many lists are kept; the next one starts a new set.
const size_t kMaxCachedCascades = 4096;

uint32_t BodyIndex(StyleSheets& sheets, TextView text) {
    std::wstring key(text);
    auto found = sheets.bodyIndex.find(key);
    if (found != sheets.bodyIndex.end())
        return found->second;
    DeclarationLists lists;
    SplitDeclarations(text, &lists);
    uint32_t index = static_cast<uint32_t>(sheets.bodies.size());
    sheets.bodies.push_back(std::move(lists));
    sheets.bodySeen.push_back(0);
    sheets.bodyIndex.emplace(std::move(key), index);
    return index;
}

// Notes what the rule tests beyond the element's name and classes, for the
// keys of the cached lists.
void NoteWhatRuleTests(StyleSheets& sheets, const Rule& rule) {
    const Compound& own = rule.compounds[0];
    if (rule.compounds.size() > 1 || !own.attributes.empty() || own.pseudoClasses)
        sheets.ownCompoundsOnly = false;
    if (!own.id.empty())
        sheets.ruleIds.insert(Utf8FromWide(own.id));
}

uint64_t CompoundBits(const Compound& compound) {
    uint64_t bits = compound.type.empty() ? 0 : NameBitOfText(compound.type.c_str());
    if (!compound.id.empty())
        bits |= NameBitOfText(compound.id.c_str());
    for (const std::wstring& name : compound.classes)
        bits |= NameBitOfText(name.c_str());
    return bits;
}

void FileInBucket(StyleSheets& sheets, uint32_t index) {
    Rule& rule = sheets.rules[index];
    for (size_t i = 1; i < rule.compounds.size(); i++)
        rule.ancestorBits |= CompoundBits(rule.compounds[i]);
    sheets.ancestorTests = sheets.ancestorTests || rule.ancestorBits != 0;
    const Compound& own = rule.compounds[0];
    NoteWhatRuleTests(sheets, rule);
    if (!own.id.empty())
        sheets.byId[own.id].push_back(index);
    else if (!own.classes.empty())
        sheets.byClass[own.classes[0]].push_back(index);
    else if (!own.type.empty())
        sheets.byType[own.type].push_back(index);
    else
        sheets.universal.push_back(index);
}

// Files one selector of a rule; a rule seen before with the same selector
// and body only moves to its new place in the order.
void FileSelector(StyleSheets& sheets, TextView selector, Rule* rule) {
    std::wstring key = SelectorKey(selector);
    key.push_back(L'{');
    key += std::to_wstring(rule->body);
    auto found = sheets.ruleIndex.find(key);
    if (found != sheets.ruleIndex.end()) {
        sheets.rules[found->second].order = rule->order;
        return;
    }
    uint32_t index = static_cast<uint32_t>(sheets.rules.size());
    sheets.rules.push_back(std::move(*rule));
    sheets.ruleIndex.emplace(std::move(key), index);
    FileInBucket(sheets, index);
}

// Files a rule whose selector list is valid; a selector this reader does not
// match leaves the others of its list in force.
void FileRule(StyleSheets& sheets, TextView prelude, TextView block) {
    std::vector<std::pair<TextView, Rule>> selectors;
    size_t start = 0;
    while (start <= prelude.size()) {
        size_t end = FindOutsideBrackets(prelude, start, L",");
        TextView text = TrimView(prelude.substr(start, end - start));
        Rule rule;
        SelectorStatus status = text.empty() ? SelectorInvalid : ReadSelector(text, &rule);
        if (status == SelectorInvalid)
            return;
        if (status == SelectorUsed)
            selectors.emplace_back(text, std::move(rule));
        start = end + 1;
    }
    uint32_t order = sheets.nextOrder++;
    if (selectors.empty())
        return;
    uint32_t body = BodyIndex(sheets, TrimView(block));
    if (sheets.bodies[body].normal.empty() && sheets.bodies[body].important.empty())
        return;
    for (auto& selector : selectors) {
        selector.second.order = order;
        selector.second.body = body;
        FileSelector(sheets, selector.first, &selector.second);
    }
}

// The top level of a sheet: at-rules are skipped whole, up to their ";" or
// to the end of their block; every other rule is a selector list and a
// block. CDO and CDC markers ("<!--", "-->") are ignored as CSS says.
void ReadSheet(StyleSheets& sheets, TextView text) {
    size_t i = 0;
    while (i < text.size()) {
        if (IsCssWhiteSpace(text[i])) {
            i++;
        } else if (text.compare(i, 4, L"<!--") == 0) {
            i += 4;
        } else if (text.compare(i, 3, L"-->") == 0) {
            i += 3;
        } else if (text[i] == L'@') {
            size_t end = FindOutsideBrackets(text, i, L";{");
            i = end < text.size() && text[end] == L'{' ? EndOfBlock(text, end) + 1 : end + 1;
        } else {
            size_t open = FindOutsideBrackets(text, i, L"{");
            if (open == text.size())
                return; // a selector without a block
            size_t close = EndOfBlock(text, open);
            FileRule(sheets, text.substr(i, open - i), text.substr(open + 1, close - open - 1));
            i = close + 1;
        }
    }
}

// ---- Matching ----

void ReadClassNames(TextView text, std::vector<TextView>* names) {
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsCssWhiteSpace(text[i]))
            i++;
        size_t start = i;
        while (i < text.size() && !IsCssWhiteSpace(text[i]))
            i++;
        if (i > start)
            names->push_back(text.substr(start, i - start));
    }
    std::sort(names->begin(), names->end());
    names->erase(std::unique(names->begin(), names->end()), names->end());
}

const std::vector<TextView>& ClassesOf(const XmlNode* node, const StyleSubject& subject) {
    StyleSheets& sheets = *subject.sheets;
    if (node == subject.element)
        return subject.classes;
    auto found = sheets.ancestorClasses.find(node);
    if (found != sheets.ancestorClasses.end())
        return found->second.names;
    ClassNames& entry = sheets.ancestorClasses[node];
    entry.text = XmlAttribute(node, L"class");
    ReadClassNames(entry.text, &entry.names);
    return entry.names;
}

const XmlNode* ParentElement(const XmlNode* node) {
    const XmlNode* parent = XmlParent(node);
    return XmlIsElement(parent) ? parent : nullptr;
}

// The element's name without a namespace prefix equals the lower-case name,
// ignoring case.
bool LocalNameIs(const XmlNode* node, const std::wstring& lowerName) {
    const std::wstring& name = XmlName(node);
    size_t colon = name.find(L':');
    size_t start = colon == std::wstring::npos ? 0 : colon + 1;
    if (name.size() - start != lowerName.size())
        return false;
    for (size_t i = 0; i < lowerName.size(); i++) {
        if (LowerCharacter(name[start + i]) != lowerName[i])
            return false;
    }
    return true;
}

// The "id" attribute without blanks at its ends.
TextView IdOf(const XmlNode* node) {
    const std::wstring& id = XmlAttribute(node, L"id");
    size_t first = id.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return TextView();
    size_t last = id.find_last_not_of(L' ');
    return TextView(id).substr(first, last - first + 1);
}

// The bits of the element's local name, its id and its class names, read
// from the file's bytes.
uint64_t OwnNameBits(const XmlNode* node) {
    const char* text = nullptr;
    size_t length = 0;
    XmlNameBytes(node, &text, &length);
    const char* colon = static_cast<const char*>(std::memchr(text, ':', length));
    const char* local = colon ? colon + 1 : text;
    uint64_t bits = NameBit(local, length - static_cast<size_t>(local - text));
    if (XmlAttributeBytes(node, L"id", &text, &length)) {
        while (length > 0 && text[0] == ' ')
            text++, length--;
        while (length > 0 && text[length - 1] == ' ')
            length--;
        bits |= NameBit(text, length);
    }
    if (XmlAttributeBytes(node, L"class", &text, &length)) {
        for (size_t i = 0; i < length;) {
            while (i < length && IsCssWhiteSpace(static_cast<unsigned char>(text[i])))
                i++;
            const size_t start = i;
            while (i < length && !IsCssWhiteSpace(static_cast<unsigned char>(text[i])))
                i++;
            if (i > start)
                bits |= NameBit(text + start, i - start);
        }
    }
    return bits;
}

// The bits of the names, ids and classes of the element's ancestors, each
// ancestor's worked out once.
uint64_t AncestorBits(StyleSheets& sheets, const XmlNode* element) {
    std::vector<const XmlNode*> unknown; // nearest first
    uint64_t bits = 0;
    for (const XmlNode* a = ParentElement(element); a; a = ParentElement(a)) {
        auto found = sheets.lineageBits.find(a);
        if (found != sheets.lineageBits.end()) {
            bits = found->second;
            break;
        }
        unknown.push_back(a);
    }
    for (size_t i = unknown.size(); i-- > 0;) {
        bits |= OwnNameBits(unknown[i]);
        sheets.lineageBits.emplace(unknown[i], bits);
    }
    return bits;
}

bool PseudoClassesMatch(uint8_t flags, const XmlNode* node) {
    const XmlNode* parent = ParentElement(node);
    if ((flags & PseudoRoot) && parent)
        return false;
    if ((flags & PseudoFirstChild) && parent && FirstChildElement(parent) != node)
        return false;
    if ((flags & PseudoLastChild) && NextSiblingElement(node))
        return false;
    return true;
}

// Whether the blank-separated list holds the word.
bool HasWord(TextView list, TextView word) {
    for (size_t start = 0; start < list.size();) {
        size_t end = std::min(list.find(L' ', start), list.size());
        if (list.substr(start, end - start) == word)
            return true;
        start = end + 1;
    }
    return false;
}

bool AttributeMatches(const AttributeTest& test, const XmlNode* node) {
    TextView value = XmlAttribute(node, test.name.c_str());
    TextView wanted = test.value;
    switch (test.test) {
    case 0:
        return !value.empty();
    case L'=':
        return !value.empty() && value == wanted;
    case L'|':
        return (!value.empty() && value == wanted) ||
               (value.size() > wanted.size() && value.substr(0, wanted.size()) == wanted &&
                value[wanted.size()] == L'-');
    }
    if (wanted.empty() || value.size() < wanted.size())
        return false;
    switch (test.test) {
    case L'~':
        return wanted.find(L' ') == TextView::npos && HasWord(value, wanted);
    case L'^':
        return value.substr(0, wanted.size()) == wanted;
    case L'$':
        return value.substr(value.size() - wanted.size()) == wanted;
    default:
        return value.find(wanted) != TextView::npos;
    }
}

bool CompoundMatches(const Compound& compound, const XmlNode* node, const StyleSubject& subject) {
    if (!compound.type.empty() && !LocalNameIs(node, compound.type))
        return false;
    if (!compound.id.empty() && IdOf(node) != TextView(compound.id))
        return false;
    if (!compound.classes.empty()) {
        const std::vector<TextView>& names = ClassesOf(node, subject);
        for (const std::wstring& name : compound.classes) {
            if (!std::binary_search(names.begin(), names.end(), TextView(name)))
                return false;
        }
    }
    for (const AttributeTest& test : compound.attributes) {
        if (!AttributeMatches(test, node))
            return false;
    }
    return compound.pseudoClasses == 0 || PseudoClassesMatch(compound.pseudoClasses, node);
}

// Matching from the element outwards. A compound that fails at one ancestor
// may match a farther one; once the ancestors run out nothing farther can
// match, and the search stops instead of retrying every combination, which
// keeps it linear in the depth.
enum MatchResult { Matched, FailedHere, FailedEverywhere };

MatchResult MatchFrom(const Rule& rule, size_t index, const XmlNode* node,
                      const StyleSubject& subject) {
    const Compound& compound = rule.compounds[index];
    if (!CompoundMatches(compound, node, subject))
        return FailedHere;
    if (index + 1 == rule.compounds.size())
        return Matched;
    const XmlNode* ancestor = ParentElement(node);
    if (compound.childOfNext)
        return ancestor ? MatchFrom(rule, index + 1, ancestor, subject) : FailedEverywhere;
    for (; ancestor; ancestor = ParentElement(ancestor)) {
        MatchResult result = MatchFrom(rule, index + 1, ancestor, subject);
        if (result != FailedHere)
            return result;
    }
    return FailedEverywhere;
}

void MatchBucket(const RuleBuckets& buckets, TextView key, std::wstring* scratch,
                 const StyleSubject& subject, std::vector<const Rule*>* matched) {
    if (buckets.empty() || key.empty())
        return;
    scratch->assign(key);
    auto found = buckets.find(*scratch);
    if (found == buckets.end())
        return;
    for (uint32_t index : found->second) {
        const Rule& rule = subject.sheets->rules[index];
        if (rule.ancestorBits & ~subject.ancestorBits)
            continue; // an ancestor it needs is not there
        if (MatchFrom(rule, 0, subject.element, subject) == Matched)
            matched->push_back(&rule);
    }
}

// The bodies of the rules that match, in cascade order (the winner first),
// each once.
// The list is kept from element to element (read it before the next call):
// most elements match a rule or two, and then nothing is allocated.
const std::vector<uint32_t>& MatchedBodies(StyleSheets& sheets, const XmlNode* element) {
    std::vector<uint32_t>& bodies = sheets.matchedBodies;
    StyleSubject& subject = sheets.subject;
    std::vector<const Rule*>& matched = sheets.matchedRules;
    std::wstring& scratch = sheets.bucketKey;
    bodies.clear();
    if (sheets.rules.empty() || !XmlIsElement(element))
        return bodies;
    subject.sheets = &sheets;
    subject.element = element;
    subject.classes.clear();
    if (!sheets.byClass.empty() || !sheets.byId.empty())
        ReadClassNames(XmlAttribute(element, L"class"), &subject.classes);
    subject.ancestorBits = sheets.ancestorTests ? AncestorBits(sheets, element) : 0;
    matched.clear();
    MatchBucket(sheets.byId, IdOf(element), &scratch, subject, &matched);
    for (TextView name : subject.classes)
        MatchBucket(sheets.byClass, name, &scratch, subject, &matched);
    if (!sheets.byType.empty()) {
        const std::wstring& name = XmlName(element);
        MatchBucket(sheets.byType, LowerText(name.substr(name.find(L':') + 1)), &scratch, subject,
                    &matched);
    }
    for (uint32_t index : sheets.universal) {
        if (sheets.rules[index].ancestorBits & ~subject.ancestorBits)
            continue;
        if (MatchFrom(sheets.rules[index], 0, element, subject) == Matched)
            matched.push_back(&sheets.rules[index]);
    }
    std::sort(matched.begin(), matched.end(), [](const Rule* a, const Rule* b) {
        return a->specificity != b->specificity ? a->specificity > b->specificity
                                                : a->order > b->order;
    });
    uint32_t stamp = ++sheets.matchCount;
    if (stamp == 0) { // the count wrapped: no body has been seen
        std::fill(sheets.bodySeen.begin(), sheets.bodySeen.end(), 0);
        stamp = sheets.matchCount = 1;
    }
    for (const Rule* rule : matched) {
        if (sheets.bodySeen[rule->body] != stamp) {
            sheets.bodySeen[rule->body] = stamp;
            bodies.push_back(rule->body);
        }
    }
    return bodies;
}

std::wstring Compose(const StyleSheets& sheets, const std::vector<uint32_t>& bodies,
                     const DeclarationLists& inlineStyle) {
    size_t length = inlineStyle.important.size() + inlineStyle.normal.size() + 2;
    for (uint32_t body : bodies)
        length += sheets.bodies[body].important.size() + sheets.bodies[body].normal.size() + 2;
    std::wstring list;
    list.reserve(length);
    AppendItem(&list, inlineStyle.important);
    for (uint32_t body : bodies)
        AppendItem(&list, sheets.bodies[body].important);
    AppendItem(&list, inlineStyle.normal);
    for (uint32_t body : bodies)
        AppendItem(&list, sheets.bodies[body].normal);
    return list;
}

// The element's "style" attribute in its place among the matched rules.
std::wstring ComposeCascade(const StyleSheets& sheets, const XmlNode* element,
                            const std::vector<uint32_t>& bodies) {
    const std::wstring& style = XmlAttribute(element, L"style");
    DeclarationLists inlineStyle;
    if (style.find_first_of(L";!\"'") == std::wstring::npos)
        inlineStyle.normal = style; // one declaration, nothing to reorder
    else
        SplitDeclarations(style, &inlineStyle);
    if (bodies.empty() && inlineStyle.important.empty())
        return std::move(inlineStyle.normal);
    return Compose(sheets, bodies, inlineStyle);
}

// ---- The lists of recent elements ----
//
// Drawings repeat themselves: thousands of elements share a few classes and
// inline styles. The list made for one element is kept under a key of
// everything it depends on, and an element with the same key gets the same
// list. The lists are dropped whenever rules are filed, so a key need not
// name the rules.

// The attribute's UTF-8 text and a NUL, which no attribute value holds.
void AppendAttributeKey(const XmlNode* element, const wchar_t* name, std::string* key) {
    const char* text = nullptr;
    size_t length = 0;
    XmlAttributeBytes(element, name, &text, &length);
    key->append(text, length);
    key->push_back('\0');
}

// Whether a rule names the element's id (without blanks at its ends, as
// IdOf reads it).
bool RuleNamesIdOf(const StyleSheets& sheets, const XmlNode* element) {
    const char* text = nullptr;
    size_t length = 0;
    if (sheets.ruleIds.empty() || !XmlAttributeBytes(element, L"id", &text, &length))
        return false;
    std::string_view id(text, length);
    size_t first = id.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return false;
    id = id.substr(first, id.find_last_not_of(' ') - first + 1);
    return sheets.ruleIds.count(std::string(id)) != 0;
}

// The key of the element's list: its "style" attribute, then what decides
// the rules that match. When every rule tests the element's own compound
// alone, that is the element's name and classes, and its id when a rule
// names it (such elements are matched anew: false). Otherwise the rules are
// matched, and *bodies are those that matched.
bool CascadeKey(StyleSheets& sheets, const XmlNode* element, std::string* key,
                const std::vector<uint32_t>** bodies) {
    key->clear();
    AppendAttributeKey(element, L"style", key);
    if (sheets.rules.empty())
        return true;
    if (!sheets.ownCompoundsOnly) {
        *bodies = &MatchedBodies(sheets, element);
        for (uint32_t body : **bodies)
            key->append(reinterpret_cast<const char*>(&body), sizeof body);
        return true;
    }
    if (RuleNamesIdOf(sheets, element))
        return false;
    const char* name = nullptr;
    size_t length = 0;
    XmlNameBytes(element, &name, &length);
    key->append(name, length);
    key->push_back('\0');
    AppendAttributeKey(element, L"class", key);
    return true;
}

// Style sheets count only as the text of a "style" element's own children:
// a style element inside another one is read on its own, not twice.
void ParseIfStyleElement(const XmlNode* element, void* sheets) {
    CollectStyleSheet(static_cast<StyleSheets*>(sheets), element);
}

} // namespace

bool IsStyleElementName(const std::wstring& name) {
    return LowerTextIs(name, L"style");
}

void CollectStyleSheet(StyleSheets* sheets, const XmlNode* element) {
    if (!IsStyleElementName(XmlName(element)))
        return;
    TextView type = TrimView(XmlAttribute(element, L"type"));
    if (!type.empty() && !IsWordIgnoringCase(type, "text/css"))
        return;
    std::wstring text;
    for (const XmlNode* child = XmlFirstChild(element); child; child = XmlNextSibling(child)) {
        if (!XmlIsElement(child))
            text += XmlTextContent(child);
    }
    ParseStyleSheet(sheets, text);
}

void ClearStyleSheetRules(StyleSheets* sheets) {
    *sheets = StyleSheets();
}

void ParseStyleSheet(StyleSheets* sheets, const std::wstring& text) {
    sheets->ancestorClasses.clear();
    sheets->lineageBits.clear();
    sheets->cascades.clear();
    if (!text.empty())
        ReadSheet(*sheets, RemoveComments(text));
}

// Style elements count wherever they stand, inside "defs" as well.
void CollectStyleSheets(StyleSheets* sheets, const XmlNode* root) {
    sheets->ancestorClasses.clear();
    sheets->lineageBits.clear();
    VisitElements(root, kMaxElementSearchDepth, ParseIfStyleElement, sheets);
}

std::wstring StyleSheetDeclarations(StyleSheets* sheets, const XmlNode* element) {
    return Compose(*sheets, MatchedBodies(*sheets, element), DeclarationLists());
}

std::wstring CascadedDeclarations(StyleSheets* sheets, const XmlNode* element) {
    std::wstring declarations;
    CascadedDeclarationsInto(sheets, element, &declarations);
    return declarations;
}

void CascadedDeclarationsInto(StyleSheets* sheets, const XmlNode* element, std::wstring* out) {
    if (!XmlIsElement(element)) {
        out->clear();
        return;
    }
    std::string& key = sheets->key;
    const std::vector<uint32_t>* bodies = nullptr;
    if (!CascadeKey(*sheets, element, &key, &bodies)) {
        *out = ComposeCascade(*sheets, element, MatchedBodies(*sheets, element));
        return;
    }
    auto found = sheets->cascades.find(key);
    if (found != sheets->cascades.end()) {
        out->assign(found->second);
        return;
    }
    *out = ComposeCascade(*sheets, element, bodies ? *bodies : MatchedBodies(*sheets, element));
    if (sheets->cascades.size() >= kMaxCachedCascades)
        sheets->cascades.clear();
    sheets->cascades.emplace(key, *out);
}
