// Lengths with units and percentages, resolved to user units.
#pragma once

#include <string>

// What relative lengths are measured against: the font size for em and ex,
// the viewport (in user units) for percentages.
struct LengthBasis {
    float fontSize;
    float viewportWidth, viewportHeight;
};

// Which size of the viewport a percentage is taken of; the diagonal is the
// viewport's normalised diagonal, sqrt((w² + h²) / 2).
enum LengthDirection { LengthHorizontal, LengthVertical, LengthDiagonal };

// The initial font size, which the keyword "medium" also names.
const float DefaultFontSize = 12.0f;

// The end of the number at first (sign, digits, point, digits, and an
// exponent only when digits follow it, so «2em» is 2 and the unit em); first
// itself when there is no number.
const wchar_t* NumberEnd(const wchar_t* first, const wchar_t* last);

// Reads a number and an optional unit (px pt pc mm cm in em ex %, in any
// case) from [first, last), blanks around it ignored. Returns 1 with *value
// in user units; 0 when the text does not start with a number or the length
// is too large for a float (*value is then left alone). A unit it does not
// know leaves the number as it is.
int ReadLengthValue(const wchar_t* first, const wchar_t* last, const LengthBasis& basis,
                    int direction, float* value);
// The same on a whole text: 0 when it holds no number.
float ResolveLength(const std::wstring& text, const LengthBasis& basis, int direction);
// Whether the text is a number followed by "%".
int IsPercentage(const std::wstring& text);
// The "font-size" value in user units from the parent's font size (em, ex
// and % of it, and the CSS size keywords); the parent's size for anything
// else.
float ReadFontSize(const wchar_t* first, const wchar_t* last, const LengthBasis& parentBasis);

// The number at the start of [first, last), after blanks; units are not
// interpreted (0 without a number). The decimal reader takes the longest
// prefix of the run that is a number, so «2e» gives 2 and «1-2» gives 1.
// The scratch text holds the number while it is read.
float ReadLeadingNumber(const wchar_t* first, const wchar_t* last, std::wstring* scratch);
// The same on a whole text.
float ParseLength(const std::wstring& text);
