// Affine transforms of the document model and the reader of SVG transform lists.
#pragma once

#include <string>

// A point (x, y) maps to (a*x + c*y + e, b*x + d*y + f). The order of the six
// fields is the graphics layer's, so they pass to it unchanged.
struct Matrix2D {
    float a, b, c, d, e, f;
};

void IdentityMatrix(Matrix2D* m);
// m = m1 x m2: m2 applies first, m1 second. m may be either input.
void MultiplyMatrix(const Matrix2D* m1, const Matrix2D* m2, Matrix2D* m);
// Reads an SVG transform attribute («translate(10,20) rotate(45)»); blank or
// unreadable text leaves the identity. Never fails.
void ParseTransformList(const std::wstring& text, Matrix2D* m);
