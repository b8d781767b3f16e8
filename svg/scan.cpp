// The number scanner shared by every reader of numbers in attribute text.
// One pass over the characters, no allocation: the number is delimited here
// and converted in place.
#include "svg/scan.h"

#include <cfloat>
#include <cmath>

#include "svg/text.h"

bool IsSeparator(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L',';
}

static bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

int SkipSeparators(const std::wstring& text, int position) {
    int length = static_cast<int>(text.size());
    if (position < 1)
        position = 1;
    while (position <= length && IsSeparator(text[position - 1]))
        position++;
    return position;
}

// Stores a decimal conversion as a float: values beyond the float range
// become infinities, values too small become zero (never undefined).
static float FloatFromDouble(double value) {
    if (value > FLT_MAX)
        return HUGE_VALF;
    if (value < -FLT_MAX)
        return -HUGE_VALF;
    return static_cast<float>(value);
}

int ScanNumber(const std::wstring& text, int position, float* value) {
    *value = 0;
    int start = SkipSeparators(text, position);
    int length = static_cast<int>(text.size());
    const wchar_t* s = text.data();
    int i = start - 1; // 0-based index of the next character
    if (i < length && (s[i] == L'+' || s[i] == L'-'))
        i++;
    int digits = 0;
    while (i < length && IsDigit(s[i])) {
        i++;
        digits++;
    }
    if (i < length && s[i] == L'.') {
        i++;
        while (i < length && IsDigit(s[i])) {
            i++;
            digits++;
        }
    }
    int mantissaEnd = i;
    int exponentDigits = 0;
    if (i < length && (s[i] == L'e' || s[i] == L'E')) {
        i++;
        if (i < length && (s[i] == L'+' || s[i] == L'-'))
            i++;
        while (i < length && IsDigit(s[i])) {
            i++;
            exponentDigits++;
        }
    }
    if (digits == 0)
        return start;
    // An exponent marker without digits is consumed but adds nothing: the
    // value is that of the digits before it ("1e" is 1).
    int end = exponentDigits > 0 ? i : mantissaEnd;
    *value = FloatFromDouble(ConvertDecimal(s + (start - 1), s + end));
    return i + 1;
}

int ScanArcFlag(const std::wstring& text, int position, int* flag) {
    int p = SkipSeparators(text, position);
    int length = static_cast<int>(text.size());
    if (p <= length && (text[p - 1] == L'0' || text[p - 1] == L'1')) {
        *flag = text[p - 1] == L'1' ? 1 : 0;
        return p + 1;
    }
    return p;
}
