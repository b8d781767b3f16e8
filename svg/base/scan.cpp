// The number scanner shared by every reader of numbers in attribute text.
// One pass over the characters, no allocation: the number is delimited here
// and converted in place.
#include "svg/base/scan.h"

#include <cmath>
#include <cstdint>

#include "svg/base/strings.h"

template <typename Char> static bool IsDigit(Char c) {
    return c >= '0' && c <= '9';
}

// The scanner reads wide text and, for path data taken straight from the
// file, UTF-8 bytes: every character it accepts is ASCII, and any other
// (a byte of a multi-byte sequence included) stops it the same way.
template <typename Char> static int SkipSeparatorsIn(const Char* s, int length, int position) {
    if (position < 1)
        position = 1;
    while (position <= length && IsListSeparator(static_cast<wchar_t>(s[position - 1])))
        position++;
    return position;
}

int SkipSeparators(const std::wstring& text, int position) {
    return SkipSeparatorsIn(text.data(), static_cast<int>(text.size()), position);
}

int SkipSeparators(const char* text, int length, int position) {
    return SkipSeparatorsIn(text, length, position);
}

// The float nearest a decimal conversion; false when that float would be
// infinite (the caller then refuses the number), values too small become
// zero.
static bool FloatFromDouble(double value, float* result) {
    if (!FitsFloat(value))
        return false;
    *result = static_cast<float>(value);
    return true;
}

// The digits of a number as they are read: the integer of all mantissa
// digits, how many of them are significant, and the power of ten to apply.
struct DecimalDigits {
    uint64_t mantissa = 0;
    int significant = 0;
    int scale = 0;
    int digits = 0; // mantissa digits, zeros included
};

// Steps over decimal digits from index i, adding them to the mantissa.
// Returns the index after them; `fraction` digits lower the scale.
template <typename Char>
static int ReadDigits(const Char* s, int i, int length, bool fraction, DecimalDigits* d) {
    for (; i < length && IsDigit(s[i]); i++) {
        d->digits++;
        if (d->significant > 0 || s[i] != '0')
            d->significant++;
        if (d->significant <= 19)
            d->mantissa = d->mantissa * 10 + static_cast<uint64_t>(s[i] - '0');
        else if (!fraction)
            d->scale++; // digits beyond 19 only count for the magnitude
        if (fraction && d->significant <= 19)
            d->scale--;
    }
    return i;
}

// Reads exponent digits from index i into *exponent (saturating); returns
// the index after them and the count of digits in *count.
template <typename Char>
static int ReadExponentDigits(const Char* s, int i, int length, int* exponent, int* count) {
    for (; i < length && IsDigit(s[i]); i++) {
        (*count)++;
        if (*exponent < 100000)
            *exponent = *exponent * 10 + (s[i] - '0');
    }
    return i;
}

// The common case without the general conversion: at most 15 significant
// digits and a power of ten up to 22. Digits and power are then exact
// doubles and one division or multiplication rounds correctly, so the result
// is the double the general conversion gives. False for any other number.
static bool ConvertShortDecimal(const DecimalDigits& d, bool negative, double* result) {
    if (d.significant > 15 || d.scale < -22 || d.scale > 22)
        return false;
    double value = static_cast<double>(d.mantissa);
    value = d.scale < 0 ? value / kExactPowersOfTen[-d.scale] : value * kExactPowersOfTen[d.scale];
    *result = negative ? -value : value;
    return true;
}

// The general conversion of the number's characters [first, last).
static double ConvertLongDecimal(const wchar_t* first, const wchar_t* last) {
    return ConvertDecimal(first, last);
}

static double ConvertLongDecimal(const char* first, const char* last) {
    const std::wstring wide(first, last); // ASCII: the scanner accepted every byte
    return ConvertDecimal(wide.data(), wide.data() + wide.size());
}

// The number as most files write it: a sign, at most 15 digits with or
// without a point, no exponent. Its digits and power of ten are exact
// doubles, so this is the value the general reader below gives. Returns the
// position after it, or 0 for any other number (the general reader then
// reads it).
template <typename Char>
static int ScanPlainDecimal(const Char* s, int length, int start, float* value) {
    const Char* at = s + (start - 1);
    const Char* const end = s + length;
    bool negative = false;
    if (at < end && (*at == '+' || *at == '-'))
        negative = *at++ == '-';
    const Char* const first = at;
    uint64_t mantissa = 0;
    for (; at < end && IsDigit(*at); at++)
        mantissa = mantissa * 10 + static_cast<uint64_t>(*at - '0');
    int digits = static_cast<int>(at - first), fraction = 0;
    if (at < end && *at == '.') {
        const Char* const point = ++at;
        for (; at < end && IsDigit(*at); at++)
            mantissa = mantissa * 10 + static_cast<uint64_t>(*at - '0');
        fraction = static_cast<int>(at - point);
    }
    digits += fraction;
    if (digits == 0 || digits > 15 || (at < end && (*at == 'e' || *at == 'E')))
        return 0;
    // At most 15 digits: the signed conversion is exact and one instruction.
    const double magnitude = mantissa == 0 ? 0.0
                                           : static_cast<double>(static_cast<int64_t>(mantissa)) /
                                                 kExactPowersOfTen[fraction];
    // Fifteen digits are far below the largest float.
    *value = static_cast<float>(negative ? -magnitude : magnitude);
    return static_cast<int>(at - s) + 1;
}

// Any number from position `start` (separators skipped): exponents, long
// digit strings, and no number at all. Kept out of line so that the plain
// case stays a small function. Returns 0 for a number too large for a float.
template <typename Char>
__attribute__((noinline)) static int ScanGeneralNumber(const Char* s, int length, int start,
                                                       float* value) {
    *value = 0;
    int i = start - 1; // 0-based index of the next character
    bool negative = false;
    if (i < length && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    DecimalDigits d;
    i = ReadDigits(s, i, length, false, &d);
    if (i < length && s[i] == '.')
        i = ReadDigits(s, i + 1, length, true, &d);
    int mantissaEnd = i;
    int exponent = 0, exponentDigits = 0;
    bool negativeExponent = false;
    if (i < length && (s[i] == 'e' || s[i] == 'E')) {
        i++;
        if (i < length && (s[i] == '+' || s[i] == '-'))
            negativeExponent = s[i++] == '-';
        i = ReadExponentDigits(s, i, length, &exponent, &exponentDigits);
    }
    if (d.digits == 0)
        return start;
    // An exponent marker without digits is consumed but adds nothing: the
    // value is that of the digits before it ("1e" is 1).
    int end = exponentDigits > 0 ? i : mantissaEnd;
    d.scale += negativeExponent ? -exponent : exponent;
    double converted;
    if (d.mantissa == 0)
        converted = negative ? -0.0 : 0.0;
    else if (!ConvertShortDecimal(d, negative, &converted))
        converted = ConvertLongDecimal(s + (start - 1), s + end);
    if (!FloatFromDouble(converted, value)) {
        *value = 0;
        return 0;
    }
    return i + 1;
}

template <typename Char>
static int ScanNumberIn(const Char* s, int length, int position, float* value, bool* refused) {
    *refused = false;
    int start = SkipSeparatorsIn(s, length, position);
    if (int end = ScanPlainDecimal(s, length, start, value))
        return end;
    if (int end = ScanGeneralNumber(s, length, start, value))
        return end;
    *refused = true;
    return position;
}

int ScanNumber(const std::wstring& text, int position, float* value) {
    bool refused;
    return ScanNumberIn(text.data(), static_cast<int>(text.size()), position, value, &refused);
}

int ScanNumber(const std::wstring& text, int position, float* value, bool* refused) {
    return ScanNumberIn(text.data(), static_cast<int>(text.size()), position, value, refused);
}

int ScanNumber(const char* text, int length, int position, float* value) {
    bool refused;
    return ScanNumberIn(text, length, position, value, &refused);
}

template <typename Char>
static int ScanArcFlagIn(const Char* s, int length, int position, int* flag) {
    int p = SkipSeparatorsIn(s, length, position);
    if (p <= length && (s[p - 1] == '0' || s[p - 1] == '1')) {
        *flag = s[p - 1] == '1' ? 1 : 0;
        return p + 1;
    }
    return p;
}

int ScanArcFlag(const std::wstring& text, int position, int* flag) {
    return ScanArcFlagIn(text.data(), static_cast<int>(text.size()), position, flag);
}

int ScanArcFlag(const char* text, int length, int position, int* flag) {
    return ScanArcFlagIn(text, length, position, flag);
}
