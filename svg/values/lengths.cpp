// Lengths: a number, then a unit. CSS pixels are user units; the absolute
// units convert at 96 pixels to the inch.
#include "svg/values/lengths.h"

#include <cmath>
#include <cwchar>

#include "svg/base/strings.h"

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

const wchar_t* SkipDigits(const wchar_t* p, const wchar_t* last) {
    while (p < last && IsDigit(*p))
        p++;
    return p;
}

// White space around a length is no part of it, as in CSS.
void TrimWhiteSpaceEnds(const wchar_t** first, const wchar_t** last) {
    const TextView trimmed = TrimView(ViewOf(*first, *last));
    *first = trimmed.data();
    *last = EndOf(trimmed);
}

// Units and keywords compare as CSS compares them: ASCII letters in any case.
bool UnitIs(const wchar_t* unit, const wchar_t* end, const wchar_t* name) {
    return IsWordIgnoringCase(ViewOf(unit, end), name);
}

float PercentageBase(const LengthBasis& basis, int direction) {
    if (direction == LengthHorizontal)
        return basis.viewportWidth;
    if (direction == LengthVertical)
        return basis.viewportHeight;
    float w = basis.viewportWidth, h = basis.viewportHeight;
    return std::sqrt((w * w + h * h) / 2.0f);
}

struct UnitScale {
    const wchar_t* unit;
    float pixels;
};

const UnitScale AbsoluteUnits[] = {
    {L"px", 1.0f},          {L"pt", 96.0f / 72.0f}, {L"pc", 16.0f},
    {L"mm", 96.0f / 25.4f}, {L"cm", 96.0f / 2.54f}, {L"in", 96.0f},
};

// The factor the unit [unit, end) applies to a number; 1 for no unit and for
// units it does not know.
float UnitFactor(const wchar_t* unit, const wchar_t* end, const LengthBasis& basis, int direction) {
    if (unit == end)
        return 1.0f;
    if (UnitIs(unit, end, L"%"))
        return PercentageBase(basis, direction) / 100.0f;
    if (UnitIs(unit, end, L"em"))
        return basis.fontSize;
    if (UnitIs(unit, end, L"ex"))
        return basis.fontSize / 2.0f;
    for (const UnitScale& u : AbsoluteUnits) {
        if (UnitIs(unit, end, u.unit))
            return u.pixels;
    }
    return 1.0f;
}

// The size keywords in steps of 1.2 about "medium", the default size, as CSS
// first suggested them (xx-small is medium / 1.2³, xxx-large medium × 1.2⁴).
const wchar_t* const FontSizeKeywords[] = {L"xx-small", L"x-small", L"small",    L"medium",
                                           L"large",    L"x-large", L"xx-large", L"xxx-large"};
const int MediumKeyword = 3;

} // namespace

const wchar_t* NumberEnd(const wchar_t* first, const wchar_t* last) {
    const wchar_t* p = first;
    if (p < last && (*p == L'+' || *p == L'-'))
        p++;
    const wchar_t* digits = p;
    p = SkipDigits(p, last);
    bool any = p > digits;
    if (p < last && *p == L'.') {
        const wchar_t* fraction = SkipDigits(p + 1, last);
        any = any || fraction > p + 1;
        p = fraction;
    }
    if (!any)
        return first;
    if (p < last && (*p == L'e' || *p == L'E')) {
        const wchar_t* q = p + 1;
        if (q < last && (*q == L'+' || *q == L'-'))
            q++;
        const wchar_t* exponent = SkipDigits(q, last);
        if (exponent > q)
            p = exponent;
    }
    return p;
}

int ReadLengthValue(const wchar_t* first, const wchar_t* last, const LengthBasis& basis,
                    int direction, float* value) {
    TrimWhiteSpaceEnds(&first, &last);
    const wchar_t* numberEnd = NumberEnd(first, last);
    if (numberEnd == first)
        return 0;
    const double number = ConvertDecimal(first, numberEnd);
    if (!FitsFloat(number))
        return 0;
    // Two floats multiply exactly in double: one rounding, as in float.
    const double length = static_cast<float>(number) *
                          static_cast<double>(UnitFactor(numberEnd, last, basis, direction));
    if (!FitsFloat(length))
        return 0;
    *value = static_cast<float>(length);
    return 1;
}

float ResolveLength(const std::wstring& text, const LengthBasis& basis, int direction) {
    float value = 0.0f;
    ReadLengthValue(text.data(), text.data() + text.size(), basis, direction, &value);
    return value;
}

int IsPercentage(const std::wstring& text) {
    const wchar_t* first = text.data();
    const wchar_t* last = first + text.size();
    TrimWhiteSpaceEnds(&first, &last);
    const wchar_t* numberEnd = NumberEnd(first, last);
    return numberEnd > first && UnitIs(numberEnd, last, L"%") ? 1 : 0;
}

float ReadFontSize(const wchar_t* first, const wchar_t* last, const LengthBasis& parentBasis) {
    TrimWhiteSpaceEnds(&first, &last);
    for (int k = 0; k < static_cast<int>(sizeof FontSizeKeywords / sizeof FontSizeKeywords[0]);
         k++) {
        if (UnitIs(first, last, FontSizeKeywords[k]))
            return DefaultFontSize * std::pow(1.2f, static_cast<float>(k - MediumKeyword));
    }
    if (UnitIs(first, last, L"larger"))
        return parentBasis.fontSize * 1.2f;
    if (UnitIs(first, last, L"smaller"))
        return parentBasis.fontSize / 1.2f;
    // Percentages of a font size are of the parent's font size.
    LengthBasis basis = parentBasis;
    basis.viewportWidth = basis.viewportHeight = parentBasis.fontSize;
    float size = parentBasis.fontSize;
    if (!ReadLengthValue(first, last, basis, LengthHorizontal, &size) || !(size >= 0))
        return parentBasis.fontSize;
    return size;
}

static bool IsLengthCharacter(wchar_t c) {
    return (c >= L'0' && c <= L'9') || c == L'.' || c == L'-' || c == L'+' || c == L'e' ||
           c == L'E';
}

float ReadLeadingNumber(const wchar_t* first, const wchar_t* last, std::wstring* scratch) {
    while (first < last && *first == L' ')
        first++;
    const wchar_t* run = first;
    while (run < last && IsLengthCharacter(*run))
        run++;
    if (run == first)
        return 0.0f;
    scratch->assign(first, run);
    return static_cast<float>(DecimalValueOfText(*scratch));
}

float ParseLength(const std::wstring& text) {
    std::wstring scratch;
    return ReadLeadingNumber(text.data(), text.data() + text.size(), &scratch);
}
