// String helpers shared by every subsystem. Module text is wide (UTF-16 on
// Windows); these helpers use no platform calls, so the SVG readers built on
// them also run natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Characters of a text read in place: a value inside a declaration list, an
// attribute or a style sheet, without copying it out.
typedef std::wstring_view TextView;

// The characters [first, last) as a view, and the end of a view, for the
// readers that scan between two pointers.
inline TextView ViewOf(const wchar_t* first, const wchar_t* last) {
    return TextView(first, static_cast<size_t>(last - first));
}
inline const wchar_t* EndOf(TextView text) {
    return text.data() + text.size();
}

// CSS white space: blank, tab, CR, LF and form feed. SVG's number lists and
// path data separate items by the same characters.
inline bool IsCssWhiteSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f';
}

// What separates the items of a list of numbers or lengths: white space or
// a comma.
inline bool IsListSeparator(wchar_t c) {
    return c == L',' || IsCssWhiteSpace(c);
}

// Removes space characters (U+0020 only) at both ends: the host's text
// (rectangle names, keywords, file names), where a tab is part of a name.
// What a file holds is trimmed with TrimWhiteSpace.
std::wstring TrimBlanks(const std::wstring& text);

// Removes CSS white space at both ends.
std::wstring TrimWhiteSpace(const std::wstring& text);
TextView TrimView(TextView text);
// The items of a comma-separated list, each trimmed of CSS white space
// (empty items included).
std::vector<std::wstring> CommaSeparatedItems(const std::wstring& list);

// The next word of the text from *position on, words being separated by
// CSS white space; false when only white space is left.
bool NextWord(TextView text, size_t* position, TextView* word);

// An ASCII capital in lower case; any other character as it is.
inline wchar_t LowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
}

// Whether the text is the word once ASCII letters of both are lower-cased,
// as CSS compares keywords, units and property names (other characters must
// be equal).
bool IsWordIgnoringCase(TextView text, TextView word);
bool IsWordIgnoringCase(TextView text, const char* word);
// Whether the text starts with the word, compared likewise.
bool StartsWithWordIgnoringCase(TextView text, TextView word);

// Unicode lower-casing, character by character.
std::wstring LowerText(const std::wstring& text);
// One character as LowerText lowers it.
wchar_t LowerCharacter(wchar_t c);
// One character in upper case, where it has a single upper-case form.
wchar_t UpperCharacter(wchar_t c);
// Whether LowerText(text) is the keyword (lower case), without making the
// lower-cased copy.
bool LowerTextIs(const std::wstring& text, const wchar_t* keyword);

// One bit of 64 standing for a name in quick "may it be there" tests (a set
// of names is the OR of their bits): names equal once ASCII letters are
// lower-cased have the same bit. A name read from the file with any other
// character than ASCII gives every bit, so that no test can rule it out.
uint64_t NameBit(const char* name, size_t length); // UTF-8, from the file
uint64_t NameBitOfText(const wchar_t* name);       // a zero-terminated name looked for

// Integer value of a text: blanks and tabs skipped, one optional sign, then
// decimal digits, or "$" and hexadecimal digits, or "%" and binary digits, up
// to the first other character; 0 without digits. Accumulated in 64 bits with
// wrap-around; callers keep the low bits they need.
int64_t IntegerValueOfText(const std::wstring& text);

// The low 32 bits of IntegerValueOfText.
int32_t Int32ValueOfText(const std::wstring& text);

// Decimal value of a text: the whole texts "+Infinity", "-Infinity" and "NaN"
// (any case) give those values; otherwise the number a C-locale "%lf" scan
// reads at the start of the text ("." as the decimal point whatever the
// user's locale), and 0 when there is none.
double DecimalValueOfText(const std::wstring& text);

// Converts the characters [first, last) of an ASCII number (sign, digits,
// point, exponent) to double, independent of the locale. The range must hold
// a complete number as the callers' grammars delimit it.
double ConvertDecimal(const wchar_t* first, const wchar_t* last);

// Whether the value rounds to a finite float (infinities and not-a-number
// do not).
bool FitsFloat(double value);

// 10^0 to 10^22: the powers of ten a double holds exactly.
extern const double kExactPowersOfTen[23];

// UTF-8 to wide text and back (for the XML layer and for tests).
std::wstring WideFromUtf8(const char* text, size_t length);
std::string Utf8FromWide(const std::wstring& text);
