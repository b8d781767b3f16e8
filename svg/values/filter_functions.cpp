#include "svg/values/filter_functions.h"

#include <algorithm>

#include "svg/base/scan.h"
#include "svg/base/strings.h"
#include "svg/xml/references.h"

namespace {

struct FunctionName {
    const wchar_t* name;
    int kind;
    float fallback; // the amount without an argument
};

const FunctionName FunctionNames[] = {
    {L"blur", FunctionBlur, 0},
    {L"drop-shadow", FunctionDropShadow, 0},
    {L"brightness", FunctionBrightness, 1},
    {L"contrast", FunctionContrast, 1},
    {L"grayscale", FunctionGrayscale, 1},
    {L"hue-rotate", FunctionHueRotate, 0},
    {L"invert", FunctionInvert, 1},
    {L"opacity", FunctionOpacity, 1},
    {L"saturate", FunctionSaturate, 1},
    {L"sepia", FunctionSepia, 1},
};

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f';
}

// Splits the arguments at blanks outside parentheses; false on a comma
// (drop-shadow and the others take none).
bool SplitArguments(const std::wstring& text, std::vector<std::wstring>* parts) {
    int depth = 0;
    std::wstring current;
    for (wchar_t c : text) {
        if (c == L'(')
            depth++;
        if (c == L')')
            depth--;
        if (depth == 0 && c == L',')
            return false;
        if (depth == 0 && IsBlank(c)) {
            if (!current.empty())
                parts->push_back(current);
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.empty())
        parts->push_back(current);
    return true;
}

bool IsDigit(const std::wstring& text, size_t i) {
    return i < text.size() && text[i] >= L'0' && text[i] <= L'9';
}

// Where the number at the start of the text ends: sign, digits, fraction
// and an exponent only when digits follow its "e" (so «1em» is 1 and em).
size_t NumberEnd(const std::wstring& text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        i++;
    const size_t start = i;
    while (IsDigit(text, i))
        i++;
    if (i < text.size() && text[i] == L'.' && IsDigit(text, i + 1))
        for (i++; IsDigit(text, i);)
            i++;
    if (i == start)
        return 0;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        size_t e = i + 1;
        if (e < text.size() && (text[e] == L'+' || text[e] == L'-'))
            e++;
        if (IsDigit(text, e))
            for (i = e; IsDigit(text, i);)
                i++;
    }
    return i;
}

// The number at the start of the token and the unit after it.
bool SplitNumber(const std::wstring& token, float* value, std::wstring* unit) {
    const size_t end = NumberEnd(token);
    if (end == 0 || ScanNumber(token.substr(0, end), 1, value) == 1)
        return false;
    *unit = LowerText(token.substr(end));
    return true;
}

// A number or percentage (as a fraction); false for anything else or a
// negative value.
bool ReadAmount(const std::wstring& token, float* amount) {
    std::wstring unit;
    if (!SplitNumber(token, amount, &unit) || !(unit.empty() || unit == L"%"))
        return false;
    if (unit == L"%")
        *amount /= 100;
    return *amount >= 0;
}

bool ReadAngle(const std::wstring& token, float* degrees) {
    std::wstring unit;
    if (!SplitNumber(token, degrees, &unit))
        return false;
    if (unit.empty())
        return *degrees == 0;
    const float turn = 360;
    if (unit == L"deg")
        return true;
    if (unit == L"grad")
        *degrees *= 360.0f / 400;
    else if (unit == L"rad")
        *degrees *= 180 / 3.14159265358979f;
    else if (unit == L"turn")
        *degrees *= turn;
    else
        return false;
    return true;
}

// A length in user units; percentages are refused.
bool ReadCssLength(const std::wstring& token, const LengthBasis& basis, float* length) {
    float number;
    std::wstring unit;
    if (!SplitNumber(token, &number, &unit))
        return false;
    static const wchar_t* const units[] = {L"",   L"px", L"pt", L"pc", L"mm",
                                           L"cm", L"in", L"em", L"ex"};
    if (std::find_if(std::begin(units), std::end(units),
                     [&](const wchar_t* u) { return unit == u; }) == std::end(units))
        return false;
    const wchar_t* first = token.c_str();
    return ReadLengthValue(first, first + token.size(), basis, LengthHorizontal, length) != 0;
}

// drop-shadow([colour] dx dy [deviation] [colour]).
bool ReadDropShadow(const std::vector<std::wstring>& parts, const LengthBasis& basis,
                    FilterFunction* f) {
    std::vector<float> lengths;
    bool colourSeen = false, lengthsEnded = false;
    f->currentColour = 1;
    for (const std::wstring& part : parts) {
        float length;
        if (ReadCssLength(part, basis, &length)) {
            if (lengthsEnded)
                return false;
            lengths.push_back(length);
            continue;
        }
        // One colour, before or after the lengths.
        if (colourSeen)
            return false;
        colourSeen = true;
        lengthsEnded = !lengths.empty();
        if (LowerTextIs(part, L"currentcolor"))
            continue;
        const Argb colour = ParseColour(part);
        if (colour == NoColour)
            return false;
        f->colour = colour;
        f->currentColour = 0;
    }
    if (lengths.size() < 2 || lengths.size() > 3 || (lengths.size() == 3 && lengths[2] < 0))
        return false;
    f->dx = lengths[0], f->dy = lengths[1];
    f->deviation = lengths.size() == 3 ? lengths[2] : 0;
    return true;
}

bool ReadFunction(const FunctionName& name, const std::wstring& arguments, const LengthBasis& basis,
                  FilterFunction* f) {
    std::vector<std::wstring> parts;
    if (!SplitArguments(arguments, &parts))
        return false;
    *f = FilterFunction();
    f->kind = name.kind;
    f->amount = name.fallback;
    if (name.kind == FunctionDropShadow)
        return ReadDropShadow(parts, basis, f);
    if (parts.empty())
        return true;
    if (parts.size() > 1)
        return false;
    if (name.kind == FunctionBlur)
        return ReadCssLength(parts[0], basis, &f->deviation) && f->deviation >= 0;
    if (name.kind == FunctionHueRotate)
        return ReadAngle(parts[0], &f->amount);
    if (!ReadAmount(parts[0], &f->amount))
        return false;
    // Amounts past 100 % mean 100 % where more has no sense.
    if (name.kind == FunctionGrayscale || name.kind == FunctionInvert ||
        name.kind == FunctionOpacity || name.kind == FunctionSepia)
        f->amount = std::min(f->amount, 1.0f);
    return true;
}

} // namespace

bool ParseFilterFunctions(const std::wstring& text, const LengthBasis& basis,
                          std::vector<FilterFunction>* functions) {
    functions->clear();
    size_t at = 0;
    const size_t end = text.size();
    while (true) {
        while (at < end && IsBlank(text[at]))
            at++;
        if (at == end)
            break;
        const size_t open = text.find(L'(', at);
        if (open == std::wstring::npos)
            return false;
        // A colour function inside drop-shadow closes later: take the
        // parenthesis that balances the first.
        size_t balance = open;
        int depth = 0;
        for (; balance < end; balance++) {
            depth += text[balance] == L'(' ? 1 : text[balance] == L')' ? -1 : 0;
            if (depth == 0)
                break;
        }
        if (balance == end)
            return false;
        const std::wstring name = LowerText(text.substr(at, open - at));
        if (name == L"url") {
            FilterFunction url = FilterFunction();
            url.kind = FunctionUrl;
            url.id = UrlReferenceId(text.substr(at, balance + 1 - at));
            functions->push_back(url);
            at = balance + 1;
            continue;
        }
        const FunctionName* entry = nullptr;
        for (const FunctionName& n : FunctionNames) {
            if (name == n.name)
                entry = &n;
        }
        FilterFunction f;
        if (!entry || !ReadFunction(*entry, text.substr(open + 1, balance - open - 1), basis, &f))
            return false;
        functions->push_back(f);
        at = balance + 1;
    }
    return !functions->empty();
}
