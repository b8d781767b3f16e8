#include "svg/base/strings.h"

#include <charconv>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <limits>

std::wstring TrimBlanks(const std::wstring& text) {
    size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return std::wstring();
    size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

TextView TrimView(TextView text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsCssWhiteSpace(text[first]))
        first++;
    while (last > first && IsCssWhiteSpace(text[last - 1]))
        last--;
    return text.substr(first, last - first);
}

std::wstring TrimWhiteSpace(const std::wstring& text) {
    return std::wstring(TrimView(text));
}

std::vector<std::wstring> CommaSeparatedItems(const std::wstring& list) {
    std::vector<std::wstring> items;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(L',', start);
        if (end == std::wstring::npos)
            end = list.size();
        items.push_back(TrimWhiteSpace(list.substr(start, end - start)));
        start = end + 1;
    }
    return items;
}

bool NextWord(TextView text, size_t* position, TextView* word) {
    size_t p = *position;
    while (p < text.size() && IsCssWhiteSpace(text[p]))
        p++;
    const size_t start = p;
    while (p < text.size() && !IsCssWhiteSpace(text[p]))
        p++;
    *position = p;
    *word = text.substr(start, p - start);
    return p > start;
}

bool StartsWithWordIgnoringCase(TextView text, TextView word) {
    if (text.size() < word.size())
        return false;
    for (size_t i = 0; i < word.size(); i++) {
        if (LowerAscii(text[i]) != LowerAscii(word[i]))
            return false;
    }
    return true;
}

bool IsWordIgnoringCase(TextView text, TextView word) {
    return text.size() == word.size() && StartsWithWordIgnoringCase(text, word);
}

bool IsWordIgnoringCase(TextView text, const char* word) {
    size_t i = 0;
    for (; i < text.size() && word[i]; i++) {
        if (LowerAscii(text[i]) != LowerAscii(static_cast<unsigned char>(word[i])))
            return false;
    }
    return i == text.size() && !word[i];
}

wchar_t LowerCharacter(wchar_t c) {
    if (c >= L'A' && c <= L'Z')
        return static_cast<wchar_t>(c + 32);
    if (c >= 0x80)
        return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return c;
}

wchar_t UpperCharacter(wchar_t c) {
    if (c >= L'a' && c <= L'z')
        return static_cast<wchar_t>(c - 32);
    if (c >= 0x80)
        return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return c;
}

bool LowerTextIs(const std::wstring& text, const wchar_t* keyword) {
    size_t i = 0;
    for (; i < text.size(); i++) {
        wchar_t c = text[i];
        if (c >= 0x80)
            return LowerText(text) == keyword;
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
        if (c != keyword[i]) // also stops at the keyword's end
            return false;
    }
    return keyword[i] == 0;
}

std::wstring LowerText(const std::wstring& text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = LowerCharacter(c);
    return out;
}

// The bit of a name of ASCII characters only.
template <typename Char> static uint64_t AsciiNameBit(const Char* name, size_t length) {
    if (length == 0)
        return 1;
    auto lower = [](uint32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    uint32_t mix = static_cast<uint32_t>(length) * 131u +
                   lower(static_cast<uint32_t>(name[0])) * 31u +
                   lower(static_cast<uint32_t>(name[length / 2])) * 7u +
                   lower(static_cast<uint32_t>(name[length - 1]));
    return static_cast<uint64_t>(1) << ((mix * 0x9E3779B1u) >> 26);
}

uint64_t NameBit(const char* name, size_t length) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(name);
    uint32_t all = 0;
    for (size_t i = 0; i < length; i++)
        all |= bytes[i];
    return all >= 0x80 ? ~static_cast<uint64_t>(0) : AsciiNameBit(bytes, length);
}

// Any bit will do for a name beyond ASCII: the file's names it can equal
// are beyond ASCII too and give every bit. So the name is not read whole.
uint64_t NameBitOfText(const wchar_t* name) {
    return AsciiNameBit(name, std::wcslen(name));
}

static int DigitValue(wchar_t c, int base) {
    int v;
    if (c >= L'0' && c <= L'9')
        v = c - L'0';
    else if (c >= L'a' && c <= L'f')
        v = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
        v = c - L'A' + 10;
    else
        return -1;
    return v < base ? v : -1;
}

int64_t IntegerValueOfText(const std::wstring& text) {
    size_t i = 0, n = text.size();
    while (i < n && (text[i] == L' ' || text[i] == L'\t'))
        i++;
    bool negative = false;
    if (i < n && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        i++;
    }
    int base = 10;
    if (i < n && text[i] == L'$') {
        base = 16;
        i++;
    } else if (i < n && text[i] == L'%') {
        base = 2;
        i++;
    }
    uint64_t value = 0; // unsigned: wrap-around is defined
    for (; i < n; i++) {
        int d = DigitValue(text[i], base);
        if (d < 0)
            break;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    if (negative)
        value = 0 - value;
    return static_cast<int64_t>(value);
}

int32_t Int32ValueOfText(const std::wstring& text) {
    return static_cast<int32_t>(static_cast<uint32_t>(IntegerValueOfText(text)));
}

// Whether an unsigned decimal number (digits, point, exponent) is below 1:
// its first significant digit stands right of the units place once the
// exponent is applied. Tells a number too small for a double from one too
// large, whichever way it is written («1e-400», «0.000…1», «0.001e-320»).
static bool IsBelowOne(const char* s, size_t n) {
    size_t i = 0;
    long long integerDigits = 0, leadingZeros = 0;
    bool significant = false, afterPoint = false;
    for (; i < n && s[i] != 'e' && s[i] != 'E'; i++) {
        if (s[i] == '.') {
            afterPoint = true;
        } else if (!significant && s[i] == '0') {
            leadingZeros += afterPoint ? 1 : 0;
        } else {
            significant = true;
            integerDigits += afterPoint ? 0 : 1;
        }
    }
    long long exponent = 0;
    bool negativeExponent = false;
    if (i < n) {
        i++;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            negativeExponent = s[i++] == '-';
        for (; i < n && s[i] >= '0' && s[i] <= '9'; i++) {
            if (exponent < 1000000000)
                exponent = exponent * 10 + (s[i] - '0');
        }
    }
    long long place = integerDigits > 0 ? integerDigits : -leadingZeros;
    return place + (negativeExponent ? -exponent : exponent) <= 0;
}

const double kExactPowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The number as most attributes write it, a sign and at most 15 digits with
// or without a point, filling [first, last): its digits and power of ten are
// exact doubles, so one division gives the double the general conversion
// gives. False for any other text.
static bool ConvertPlainDecimal(const wchar_t* first, const wchar_t* last, double* value) {
    bool negative = false;
    if (first < last && (*first == L'+' || *first == L'-'))
        negative = *first++ == L'-';
    int64_t mantissa = 0;
    int digits = 0, fraction = -1; // -1: no point yet
    for (; first < last; first++) {
        if (*first == L'.' && fraction < 0) {
            fraction = 0;
            continue;
        }
        if (*first < L'0' || *first > L'9' || ++digits > 15)
            return false;
        mantissa = mantissa * 10 + (*first - L'0');
        fraction += fraction >= 0 ? 1 : 0;
    }
    if (digits == 0)
        return false;
    const double magnitude =
        static_cast<double>(mantissa) / kExactPowersOfTen[fraction > 0 ? fraction : 0];
    *value = negative ? -magnitude : magnitude;
    return true;
}

bool FitsFloat(double value) {
    // The largest float plus half its last place: from there on values round
    // to infinity (the tie too, to the even infinity).
    const double overflow = 0x1.ffffffp+127;
    return std::fabs(value) < overflow;
}

double ConvertDecimal(const wchar_t* first, const wchar_t* last) {
    double plain;
    if (ConvertPlainDecimal(first, last, &plain))
        return plain;
    char buffer[128];
    std::string big;
    size_t n = static_cast<size_t>(last - first);
    char* out = buffer;
    if (n >= sizeof buffer) {
        big.resize(n + 1);
        out = &big[0];
    }
    size_t k = 0;
    bool negative = false;
    if (n > 0 && (*first == L'+' || *first == L'-')) {
        negative = *first == L'-';
        first++;
        n--;
    }
    for (size_t i = 0; i < n; i++)
        out[k++] = static_cast<char>(first[i] < 0x80 ? first[i] : '?');
    out[k] = 0;
    double value = 0;
    std::from_chars_result r = std::from_chars(out, out + k, value);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large gives infinity, too small gives zero, as strtod does.
        value = IsBelowOne(out, k) ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (r.ec != std::errc()) {
        value = 0;
    }
    return negative ? -value : value;
}

// The part of a C-locale "%lf" scan that this module meets: white space,
// sign, then "inf"/"infinity"/"nan", a hexadecimal "0x" number, or a decimal
// number with optional point and exponent.
double DecimalValueOfText(const std::wstring& text) {
    if (IsWordIgnoringCase(text, L"+infinity"))
        return std::numeric_limits<double>::infinity();
    if (IsWordIgnoringCase(text, L"-infinity"))
        return -std::numeric_limits<double>::infinity();
    if (IsWordIgnoringCase(text, L"nan"))
        return std::numeric_limits<double>::quiet_NaN();
    size_t i = 0, n = text.size();
    while (i < n && std::iswspace(text[i]))
        i++;
    size_t start = i;
    bool negative = false;
    if (i < n && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        i++;
    }
    std::wstring rest = LowerText(text.substr(i, 8));
    if (rest.compare(0, 3, L"inf") == 0)
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    if (rest.compare(0, 3, L"nan") == 0)
        return std::numeric_limits<double>::quiet_NaN();
    if (rest.size() > 2 && rest[0] == L'0' && rest[1] == L'x' && DigitValue(rest[2], 16) >= 0) {
        double value = 0;
        for (i += 2; i < n && DigitValue(text[i], 16) >= 0; i++)
            value = value * 16 + DigitValue(text[i], 16);
        return negative ? -value : value;
    }
    size_t digits = 0;
    while (i < n && text[i] >= L'0' && text[i] <= L'9') {
        i++;
        digits++;
    }
    if (i < n && text[i] == L'.') {
        i++;
        while (i < n && text[i] >= L'0' && text[i] <= L'9') {
            i++;
            digits++;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (text[i] == L'e' || text[i] == L'E')) {
        size_t e = i + 1;
        if (e < n && (text[e] == L'+' || text[e] == L'-'))
            e++;
        if (e < n && text[e] >= L'0' && text[e] <= L'9') {
            while (e < n && text[e] >= L'0' && text[e] <= L'9')
                e++;
            i = e;
        }
    }
    return ConvertDecimal(text.data() + start, text.data() + i);
}

std::wstring WideFromUtf8(const char* text, size_t length) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    // The ASCII start, usually all of the text, is copied as it stands.
    size_t i = 0;
    while (i < length && s[i] < 0x80)
        i++;
    std::wstring out(s, s + i);
    if (i == length)
        return out;
    out.reserve(length);
    while (i < length) {
        uint32_t c = s[i];
        int extra = 0;
        if (c >= 0xF0 && c < 0xF8) {
            c &= 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            c &= 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            c &= 0x1F;
            extra = 1;
        } else if (c >= 0x80) {
            c = 0xFFFD;
        }
        i++;
        for (int k = 0; k < extra; k++, i++) {
            if (i >= length || (s[i] & 0xC0) != 0x80) {
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (s[i] & 0x3F);
        }
        if (sizeof(wchar_t) == 2 && c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<wchar_t>(c));
        }
    }
    return out;
}

std::string Utf8FromWide(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); i++) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i++;
            }
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}
