// Colour values: the four forms SVG files write, read into one Argb.
#pragma once

#include <cstdint>
#include <string>

// 0xAARRGGBB, straight alpha.
typedef uint32_t Argb;

// "No colour": the text was empty or unreadable. It is also the opaque colour
// #FFFFFE, which therefore can never be set through a paint.
const Argb NoColour = 0xFFFFFFFEu;

Argb ParseColour(const std::wstring& text);
Argb ParseHexColour(const std::wstring& text);
Argb ParseRgbFunction(const std::wstring& text);
Argb ParseNamedColour(const std::wstring& text);
