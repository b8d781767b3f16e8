// Reading CSS selectors.
#include "svg/css/selectors.h"

#include <algorithm>

#include "svg/base/strings.h"

namespace {

bool IsNameCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           c == L'-' || c == L'_' || c >= 0x80 || c == L'\\';
}

// A CSS identifier at *pos: not starting with a digit, nor with "-" and a
// digit. Escapes are valid CSS this reader does not decode.
bool ReadIdentifier(TextView text, size_t* pos, std::wstring* name, bool* unsupported) {
    size_t start = *pos;
    size_t i = start;
    if (i < text.size() && text[i] == L'-')
        i++;
    if (i >= text.size() || !IsNameCharacter(text[i]) || (text[i] >= L'0' && text[i] <= L'9'))
        return false;
    while (i < text.size() && IsNameCharacter(text[i])) {
        if (text[i] == L'\\') {
            *unsupported = true;
            i++;
        }
        i++;
    }
    i = std::min(i, text.size());
    name->assign(text.substr(start, i - start));
    *pos = i;
    return true;
}

struct Specificity {
    uint32_t ids;
    uint32_t classes;
    uint32_t types;
};

bool ReadPseudoClass(TextView text, size_t* pos, Compound* compound, Specificity* specificity,
                     bool* unsupported) {
    bool element = *pos < text.size() && text[*pos] == L':';
    if (element)
        ++*pos;
    std::wstring name;
    if (!ReadIdentifier(text, pos, &name, unsupported))
        return false;
    if (*pos < text.size() && text[*pos] == L'(') {
        size_t close = FindOutsideBrackets(text, *pos + 1, L")");
        if (close == text.size())
            return false;
        *pos = close + 1;
        *unsupported = true;
        return true;
    }
    uint8_t flags = 0;
    if (IsWordIgnoringCase(name, "root"))
        flags = PseudoRoot;
    else if (IsWordIgnoringCase(name, "first-child"))
        flags = PseudoFirstChild;
    else if (IsWordIgnoringCase(name, "last-child"))
        flags = PseudoLastChild;
    else if (IsWordIgnoringCase(name, "only-child"))
        flags = PseudoFirstChild | PseudoLastChild;
    if (element || flags == 0) {
        *unsupported = true; // hover, focus, nth-child, pseudo-elements...
        return true;
    }
    compound->pseudoClasses |= flags;
    specificity->classes++;
    return true;
}

void SkipWhiteSpace(TextView text, size_t* pos) {
    while (*pos < text.size() && IsCssWhiteSpace(text[*pos]))
        ++*pos;
}

// The value of an attribute selector: a quoted string or an identifier.
bool ReadAttributeValue(TextView text, size_t* pos, std::wstring* value, bool* unsupported) {
    if (*pos < text.size() && (text[*pos] == L'"' || text[*pos] == L'\'')) {
        size_t end = SkipString(text, *pos);
        if (end - *pos < 2 || text[end - 1] != text[*pos])
            return false;
        value->assign(text.substr(*pos + 1, end - *pos - 2));
        if (value->find(L'\\') != std::wstring::npos)
            *unsupported = true; // escapes
        *pos = end;
        return true;
    }
    return ReadIdentifier(text, pos, value, unsupported);
}

// «[name]», «[name=value]», «[name~=value]» and the other tests, after the
// "[" at *pos - 1.
bool ReadAttributeTest(TextView text, size_t* pos, AttributeTest* test, bool* unsupported) {
    SkipWhiteSpace(text, pos);
    if (!ReadIdentifier(text, pos, &test->name, unsupported))
        return false;
    SkipWhiteSpace(text, pos);
    test->test = 0;
    if (*pos < text.size() && text[*pos] != L']') {
        wchar_t c = text[*pos];
        if (c == L'=') {
            test->test = c;
            ++*pos;
        } else if (c != 0 && std::wcschr(L"~|^$*", c) && *pos + 1 < text.size() &&
                   text[*pos + 1] == L'=') {
            test->test = c;
            *pos += 2;
        } else {
            if (c == L'|')
                *unsupported = true; // a namespace prefix
            return false;
        }
        SkipWhiteSpace(text, pos);
        if (!ReadAttributeValue(text, pos, &test->value, unsupported))
            return false;
        SkipWhiteSpace(text, pos);
        if (*pos < text.size() && (text[*pos] == L'i' || text[*pos] == L'I' || text[*pos] == L's' ||
                                   text[*pos] == L'S')) {
            *unsupported = *unsupported || text[*pos] == L'i' || text[*pos] == L'I';
            ++*pos;
            SkipWhiteSpace(text, pos);
        }
    }
    if (*pos >= text.size() || text[*pos] != L']')
        return false;
    ++*pos;
    return true;
}

// Reads the compound at *pos; false when it is not valid CSS.
bool ReadCompound(TextView text, size_t* pos, Compound* compound, Specificity* specificity,
                  bool* unsupported) {
    size_t start = *pos;
    std::wstring name;
    if (*pos < text.size() && text[*pos] == L'*') {
        ++*pos;
    } else if (ReadIdentifier(text, pos, &name, unsupported)) {
        compound->type = LowerText(name);
        specificity->types++;
    }
    if (*pos < text.size() && text[*pos] == L'|') {
        *unsupported = true; // namespace prefixes
        ++*pos;
        if (*pos < text.size() && text[*pos] == L'*')
            ++*pos;
        else if (!ReadIdentifier(text, pos, &name, unsupported))
            return false;
    }
    for (;;) {
        if (*pos >= text.size())
            break;
        wchar_t c = text[*pos];
        if (c == L'.' || c == L'#') {
            ++*pos;
            if (!ReadIdentifier(text, pos, &name, unsupported))
                return false;
            if (c == L'.') {
                compound->classes.push_back(name);
                specificity->classes++;
            } else {
                if (!compound->id.empty() && compound->id != name)
                    *unsupported = true; // two ids never match
                compound->id = name;
                specificity->ids++;
            }
        } else if (c == L':') {
            ++*pos;
            if (!ReadPseudoClass(text, pos, compound, specificity, unsupported))
                return false;
        } else if (c == L'[') {
            ++*pos;
            AttributeTest test;
            if (!ReadAttributeTest(text, pos, &test, unsupported)) {
                // A namespace prefix is valid CSS this reader leaves out.
                if (!*unsupported)
                    return false;
                size_t close = FindOutsideBrackets(text, *pos, L"]");
                if (close == text.size())
                    return false;
                *pos = close + 1;
                continue;
            }
            compound->attributes.push_back(std::move(test));
            specificity->classes++;
        } else {
            break;
        }
    }
    std::sort(compound->classes.begin(), compound->classes.end());
    compound->classes.erase(std::unique(compound->classes.begin(), compound->classes.end()),
                            compound->classes.end());
    return *pos > start;
}

uint32_t PackSpecificity(const Specificity& s) {
    return (std::min<uint32_t>(s.ids, 255) << 16) | (std::min<uint32_t>(s.classes, 255) << 8) |
           std::min<uint32_t>(s.types, 255);
}

} // namespace

SelectorStatus ReadSelector(TextView text, Rule* rule) {
    Specificity specificity = {0, 0, 0};
    bool unsupported = false;
    std::vector<Compound> compounds;
    size_t pos = 0;
    for (;;) {
        compounds.push_back(Compound());
        if (!ReadCompound(text, &pos, &compounds.back(), &specificity, &unsupported))
            return SelectorInvalid;
        size_t afterCompound = pos;
        while (pos < text.size() && IsCssWhiteSpace(text[pos]))
            pos++;
        if (pos == text.size())
            break;
        wchar_t c = text[pos];
        if (c == L'>' || c == L'+' || c == L'~') {
            unsupported = unsupported || c != L'>';
            compounds.back().childOfNext = c == L'>';
            pos++;
            while (pos < text.size() && IsCssWhiteSpace(text[pos]))
                pos++;
        } else if (pos == afterCompound) {
            return SelectorInvalid; // a character that belongs to no selector
        }
    }
    if (unsupported || compounds.size() > kMaxCompounds)
        return SelectorUnsupported;
    // Matching reads from the element outwards: the combinator of each
    // compound moves to the one on its right.
    std::reverse(compounds.begin(), compounds.end());
    for (size_t i = 0; i + 1 < compounds.size(); i++)
        compounds[i].childOfNext = compounds[i + 1].childOfNext;
    compounds.back().childOfNext = false;
    rule->compounds.swap(compounds);
    rule->specificity = PackSpecificity(specificity);
    return SelectorUsed;
}

std::wstring SelectorKey(TextView text) {
    std::wstring key;
    key.reserve(text.size());
    for (wchar_t c : text) {
        if (!IsCssWhiteSpace(c))
            key.push_back(c);
        else if (!key.empty() && key.back() != L' ')
            key.push_back(L' ');
    }
    return key;
}
