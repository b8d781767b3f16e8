// CSS selectors as the style sheets read them: compounds joined by
// combinators, with their specificity and the key a rule is filed under.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "svg/css/css_syntax.h"

enum PseudoClass : uint8_t { PseudoRoot = 1, PseudoFirstChild = 2, PseudoLastChild = 4 };

// An attribute selector: «[name]» (test 0), «[name=value]» ('='), and the
// word ('~'), language ('|'), prefix ('^'), suffix ('$') and part ('*')
// tests. An attribute with an empty value counts as absent.
struct AttributeTest {
    std::wstring name;
    std::wstring value;
    wchar_t test = 0;
};

// One compound selector such as «rect.a#b[x]:first-child».
struct Compound {
    std::wstring type;                 // lower-case local name; empty: any element
    std::wstring id;                   // empty: any
    std::vector<std::wstring> classes; // sorted, without repeats
    std::vector<AttributeTest> attributes;
    uint8_t pseudoClasses = 0;
    bool childOfNext = false; // ">" joins it to the compound on its left, else " "
};

struct Rule {
    std::vector<Compound> compounds; // the element's own compound first, then leftwards
    uint32_t specificity = 0;        // ids, classes and types, a byte each
    uint32_t order = 0;              // source order of the rule
    uint32_t body = 0;
    // The bits (NameBit) of the names, ids and classes the compounds left of
    // the element's own ask of its ancestors: an element whose ancestors
    // lack one of them cannot match.
    uint64_t ancestorBits = 0;
};

// How a selector reads: used, valid CSS that this reader does not match
// (it is left out of its list), or invalid (CSS drops the whole rule).
enum SelectorStatus { SelectorUsed, SelectorUnsupported, SelectorInvalid };

const size_t kMaxCompounds = 32;

// Reads the selector into the rule: its compounds (the element's own first)
// and its specificity.
SelectorStatus ReadSelector(TextView text, Rule* rule);

// The selector text with runs of white space as one blank: the key under
// which identical rules fold into one.
std::wstring SelectorKey(TextView text);
