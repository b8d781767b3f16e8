// The "font" shorthand.
#include "svg/style/font_shorthand.h"

#include "svg/values/lengths.h"

namespace {

const char* const StyleWords[] = {"italic", "oblique"};
const char* const VariantWords[] = {"small-caps"};
const char* const WeightWords[] = {"bold", "bolder", "lighter"};
const char* const StretchWords[] = {"ultra-condensed", "extra-condensed", "condensed",
                                    "semi-condensed",  "semi-expanded",   "expanded",
                                    "extra-expanded",  "ultra-expanded"};
const char* const SizeWords[] = {"xx-small", "x-small",  "small",     "medium", "large",
                                 "x-large",  "xx-large", "xxx-large", "larger", "smaller"};
const char* const WideKeywords[] = {"inherit", "initial", "unset"};

template <size_t Count> bool IsOneOf(TextView word, const char* const (&words)[Count]) {
    for (const char* w : words) {
        if (IsWordIgnoringCase(word, w))
            return true;
    }
    return false;
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// A bare number is a weight; a number with a unit is the size.
bool IsWeightNumber(TextView word) {
    const wchar_t* end = NumberEnd(word.data(), EndOf(word));
    return end != word.data() && end == EndOf(word);
}

// Fills the part the word before the size names; false when it names none
// or one already given ("normal" fits any part).
bool TakeLeadingWord(TextView word, FontShorthand* parts) {
    TextView* part = nullptr;
    if (IsWordIgnoringCase(word, "normal"))
        return true;
    if (IsOneOf(word, StyleWords))
        part = &parts->style;
    else if (IsOneOf(word, VariantWords))
        part = &parts->variant;
    else if (IsOneOf(word, WeightWords) || IsWeightNumber(word))
        part = &parts->weight;
    else if (IsOneOf(word, StretchWords))
        part = &parts->stretch;
    if (!part || !part->empty())
        return false;
    *part = word;
    return true;
}

bool IsSize(TextView word) {
    if (IsOneOf(word, SizeWords))
        return true;
    const wchar_t* end = NumberEnd(word.data(), EndOf(word));
    return end != word.data() && (IsDigit(end[-1]) || end[-1] == L'.') && end != EndOf(word);
}

// The line height (not drawn) may follow the size: "12px/1.5" or
// "12px / 1.5". Moves past it; false when a slash has nothing after it.
bool SkipLineHeight(TextView value, TextView sizeWord, size_t* position) {
    const size_t slash = sizeWord.find(L'/');
    if (slash == TextView::npos) {
        size_t next = *position;
        TextView after;
        if (!NextWord(value, &next, &after) || after[0] != L'/')
            return true;
        *position = next;
        if (after.size() > 1)
            return true;
    } else if (slash + 1 < sizeWord.size()) {
        return true;
    }
    TextView height;
    return NextWord(value, position, &height);
}

} // namespace

bool SplitFontShorthand(TextView value, FontShorthand* parts) {
    static const wchar_t normal[] = L"normal", autoKerning[] = L"auto";
    *parts = FontShorthand();
    value = TrimView(value);
    if (IsOneOf(value, WideKeywords)) {
        parts->style = parts->variant = parts->weight = value;
        parts->stretch = parts->size = parts->family = parts->kerning = value;
        return true;
    }
    size_t position = 0;
    TextView word;
    int leading = 0;
    while (NextWord(value, &position, &word)) {
        // The size may carry its line height: "12px/1.5" (or "12px / 1.5").
        const size_t slash = word.find(L'/');
        const TextView size = slash == TextView::npos ? word : word.substr(0, slash);
        if (IsSize(size)) {
            parts->size = size;
            break;
        }
        if (++leading > 4 || !TakeLeadingWord(word, parts))
            return false;
    }
    if (parts->size.empty())
        return false;
    if (!SkipLineHeight(value, word, &position))
        return false;
    parts->family = TrimView(value.substr(position));
    if (parts->family.empty())
        return false;
    for (TextView* part : {&parts->style, &parts->variant, &parts->weight, &parts->stretch}) {
        if (part->empty())
            *part = TextView(normal, 6);
    }
    parts->kerning = TextView(autoKerning, 4);
    return true;
}
