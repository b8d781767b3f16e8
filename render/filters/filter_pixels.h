// The pixels filters work on: 0xAARRGGBB words with premultiplied alpha
// (no colour byte above the alpha byte), and the conversions every
// primitive shares.
#pragma once

#include <cstdint>

// One pixel as four numbers in 0..1, premultiplied or straight as the
// caller says.
struct FilterColour {
    float r, g, b, a;
};

inline FilterColour UnpackPixel(uint32_t p) {
    const float k = 1.0f / 255;
    return FilterColour{((p >> 16) & 0xFF) * k, ((p >> 8) & 0xFF) * k, (p & 0xFF) * k,
                        (p >> 24) * k};
}

// Premultiplied numbers back into a word: each clamped to 0..1 and rounded,
// the colours then kept at or below the alpha.
uint32_t PackPremultiplied(FilterColour c);

// Premultiplied into straight and back, on 0..1 numbers; a transparent
// pixel's straight colour is black.
FilterColour Unpremultiplied(FilterColour c);
FilterColour Premultiplied(FilterColour c);

// Straight-alpha words (as the graphics layer leaves them) into
// premultiplied ones, rounding, and back.
void PremultiplyPixels(uint32_t* pixels, int count);
void UnpremultiplyPixels(uint32_t* pixels, int count);

// Converts premultiplied pixels between sRGB and linearRGB: each colour is
// unpremultiplied, mapped through the sRGB transfer curve (or its inverse)
// and premultiplied again. Alpha is kept.
void SrgbToLinearPixels(uint32_t* pixels, int count);
void LinearToSrgbPixels(uint32_t* pixels, int count);
