// Affine transforms of the document model and the reader of SVG transform lists.
#pragma once

#include <string>

#include "svg/values/lengths.h"

// A point (x, y) maps to (a*x + c*y + e, b*x + d*y + f). The order of the six
// fields is the graphics layer's, so they pass to it unchanged.
struct Matrix2D {
    float a, b, c, d, e, f;
};

void IdentityMatrix(Matrix2D* m);
// outer x inner: inner applies first, outer second.
Matrix2D ComposeMatrix(const Matrix2D& outer, const Matrix2D& inner);
// The inverse, worked out in double precision; false (and *inverse
// unchanged) when the matrix flattens the plane (a determinant within 1e-12
// of 0) or the inverse holds anything but finite numbers.
bool InvertMatrix(const Matrix2D& m, Matrix2D* inverse);
// (x, y) <- (a*x + c*y + e, b*x + d*y + f).
void ApplyMatrix(const Matrix2D& m, float* x, float* y);

// The same six elements in double precision, for user space into device
// pixels: a huge path under a large scale reaches 1e77 there, far past
// what a float holds.
struct DeviceMatrix {
    double a, b, c, d, e, f;
};
// The inverse; false when the determinant is 0 or the inverse holds anything
// but finite numbers.
bool InvertDeviceMatrix(const DeviceMatrix& m, DeviceMatrix* inverse);
// Reads an SVG transform attribute («translate(10,20) rotate(45)»); blank or
// unreadable text leaves the identity. Never fails.
void ParseTransformList(const std::wstring& text, Matrix2D* m);
// Reads the CSS "transform" property («translate(10px, 2em) rotate(0.25turn)»,
// or «none»): lengths with their units (a bare number is in pixels), angles
// in deg, rad, grad or turn (or a bare 0), arguments separated by commas.
// Returns 0 when the text is not a valid value (*m is then unchanged).
int ParseCssTransform(const std::wstring& text, const LengthBasis& basis, Matrix2D* m);
