// Colour effects on premultiplied pixels: the colour matrix and the
// component transfer functions, both worked on straight colours.
#pragma once

#include <cstdint>
#include <vector>

#include "svg/records/filters.h"

// The 5 x 4 matrix of a colour matrix: rows for red, green, blue and alpha,
// each weighing R, G, B, A (0..1, straight) and adding the fifth value.
struct ColourMatrix {
    float m[20];
};

// The matrix of a kind from its values: 20 numbers for ColourMatrixValues,
// one (saturation, or hue angle in degrees) for the others, none for
// luminanceToAlpha. A value list that does not fit gives the identity, as
// does an empty one (saturate then means 1, hueRotate 0).
ColourMatrix ColourMatrixOf(int kind, const std::vector<float>& values);

void ApplyColourMatrix(uint32_t* pixels, int count, const ColourMatrix& matrix);

// The identity function with SVG's defaults for the numbers (slope 1,
// amplitude 1, exponent 1).
TransferFunction IdentityTransfer();

// Maps the straight red, green, blue and alpha of every pixel through the
// four functions (in that order).
void ApplyComponentTransfer(uint32_t* pixels, int count, const TransferFunction functions[4]);
