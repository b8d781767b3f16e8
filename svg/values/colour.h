// Colour values as CSS writes them, read into one Argb: named colours,
// hexadecimal forms and the rgb(), rgba(), hsl() and hsla() functions.
#pragma once

#include <cstdint>
#include <string>

// 0xAARRGGBB, straight alpha.
typedef uint32_t Argb;

// "No colour": the text was empty or unreadable. It is a fully transparent
// value; a colour written as exactly this value is read as transparent white,
// which looks the same.
const Argb NoColour = 0x00FFFFFEu;

// Reads a whole colour value; CSS white space around it is ignored, anything
// else that is not part of the colour makes it unreadable. "none" reads as
// transparent (callers that treat "none" as no paint test for it first).
Argb ParseColour(const std::wstring& text);
// The same for the characters [first, last).
Argb ParseColour(const wchar_t* first, const wchar_t* last);

// The colour with its alpha multiplied by the factor (0..1), rounded.
Argb ScaleAlpha(Argb colour, float factor);
