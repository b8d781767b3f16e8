#include "render/filters/colour_effects.h"

#include <algorithm>
#include <cmath>

#include "render/filters/filter_lanes.h"
#include "render/filters/filter_pixels.h"

namespace {

ColourMatrix Identity() {
    ColourMatrix m = ColourMatrix();
    m.m[0] = m.m[6] = m.m[12] = m.m[18] = 1;
    return m;
}

ColourMatrix Saturate(float s) {
    const float r[9] = {0.213f + 0.787f * s, 0.715f - 0.715f * s, 0.072f - 0.072f * s,
                        0.213f - 0.213f * s, 0.715f + 0.285f * s, 0.072f - 0.072f * s,
                        0.213f - 0.213f * s, 0.715f - 0.715f * s, 0.072f + 0.928f * s};
    ColourMatrix m = Identity();
    for (int row = 0; row < 3; row++) {
        for (int column = 0; column < 3; column++)
            m.m[row * 5 + column] = r[row * 3 + column];
    }
    return m;
}

ColourMatrix HueRotate(float degrees) {
    const double a = degrees * 3.14159265358979 / 180;
    const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
    const float r[9] = {0.213f + c * 0.787f - s * 0.213f, 0.715f - c * 0.715f - s * 0.715f,
                        0.072f - c * 0.072f + s * 0.928f, 0.213f - c * 0.213f + s * 0.143f,
                        0.715f + c * 0.285f + s * 0.140f, 0.072f - c * 0.072f - s * 0.283f,
                        0.213f - c * 0.213f - s * 0.787f, 0.715f - c * 0.715f + s * 0.715f,
                        0.072f + c * 0.928f + s * 0.072f};
    ColourMatrix m = Identity();
    for (int row = 0; row < 3; row++) {
        for (int column = 0; column < 3; column++)
            m.m[row * 5 + column] = r[row * 3 + column];
    }
    return m;
}

// A 256-entry table of one function over straight 8-bit values.
void TransferTableOf(const TransferFunction& f, uint8_t table[256]) {
    const std::vector<float>& v = f.table;
    const int n = static_cast<int>(v.size());
    for (int i = 0; i < 256; i++) {
        const float c = i / 255.0f;
        float out = c;
        switch (f.kind) {
        case TransferTable:
            if (n == 1) {
                out = v[0];
            } else if (n > 1) {
                const int k = std::min(static_cast<int>(c * (n - 1)), n - 2);
                out = v[k] + (c * (n - 1) - k) * (v[k + 1] - v[k]);
            }
            break;
        case TransferDiscrete:
            if (n > 0)
                out = v[std::min(static_cast<int>(c * n), n - 1)];
            break;
        case TransferLinear:
            out = f.slope * c + f.intercept;
            break;
        case TransferGamma:
            out = f.amplitude * std::pow(c, f.exponent) + f.offset;
            break;
        default:
            break;
        }
        out = std::isnan(out) ? 0 : std::min(std::max(out, 0.0f), 1.0f);
        table[i] = static_cast<uint8_t>(std::lround(out * 255));
    }
}

#ifdef __SSE2__
// One row of the matrix over straight lanes: w0 r + w1 g + w2 b + w3 a + w4
// added in that order, clamped to 0..1 (a not-a-number becomes 0 here and
// in the one-pixel loop's bytes alike).
__m128 MatrixRow(const float* w, const PixelLanes& in) {
    __m128 sum = _mm_mul_ps(_mm_set1_ps(w[0]), in.r);
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(w[1]), in.g));
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(w[2]), in.b));
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(w[3]), in.a));
    sum = _mm_add_ps(sum, _mm_set1_ps(w[4]));
    return _mm_min_ps(_mm_max_ps(sum, _mm_setzero_ps()), _mm_set1_ps(1));
}

// The vector loop of ApplyColourMatrix, four pixels at a time with its
// float operations; returns how many pixels it did.
int ColourMatrixFours(uint32_t* pixels, int count, const ColourMatrix& matrix) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const PixelLanes p = LoadPixelLanes(pixels + i);
        const __m128 visible = _mm_cmpgt_ps(p.a, _mm_setzero_ps());
        const PixelLanes straight = {_mm_and_ps(visible, _mm_div_ps(p.r, p.a)),
                                     _mm_and_ps(visible, _mm_div_ps(p.g, p.a)),
                                     _mm_and_ps(visible, _mm_div_ps(p.b, p.a)), p.a};
        const __m128 a = MatrixRow(matrix.m + 15, straight);
        const PixelLanes out = {_mm_mul_ps(MatrixRow(matrix.m, straight), a),
                                _mm_mul_ps(MatrixRow(matrix.m + 5, straight), a),
                                _mm_mul_ps(MatrixRow(matrix.m + 10, straight), a), a};
        StorePremultipliedLanes(pixels + i, out);
    }
    return i;
}
#endif

} // namespace

ColourMatrix ColourMatrixOf(int kind, const std::vector<float>& values) {
    switch (kind) {
    case ColourMatrixValues: {
        if (values.size() != 20)
            return Identity();
        ColourMatrix m;
        std::copy(values.begin(), values.end(), m.m);
        return m;
    }
    case ColourMatrixSaturate:
        return values.size() > 1 ? Identity() : Saturate(values.empty() ? 1 : values[0]);
    case ColourMatrixHueRotate:
        return values.size() > 1 ? Identity() : HueRotate(values.empty() ? 0 : values[0]);
    case ColourMatrixLuminanceToAlpha: {
        ColourMatrix m = ColourMatrix();
        m.m[15] = 0.2125f, m.m[16] = 0.7154f, m.m[17] = 0.0721f;
        return m;
    }
    default:
        return Identity();
    }
}

void ApplyColourMatrix(uint32_t* pixels, int count, const ColourMatrix& matrix) {
    const float* m = matrix.m;
    int i = 0;
#ifdef __SSE2__
    i = ColourMatrixFours(pixels, count, matrix);
#endif
    for (; i < count; i++) {
        const FilterColour s = Unpremultiplied(UnpackPixel(pixels[i]));
        const float in[4] = {s.r, s.g, s.b, s.a};
        float out[4];
        for (int row = 0; row < 4; row++) {
            const float* w = m + row * 5;
            out[row] = w[0] * in[0] + w[1] * in[1] + w[2] * in[2] + w[3] * in[3] + w[4];
            out[row] = std::min(std::max(out[row], 0.0f), 1.0f);
        }
        pixels[i] = PackPremultiplied(Premultiplied(FilterColour{out[0], out[1], out[2], out[3]}));
    }
}

TransferFunction IdentityTransfer() {
    TransferFunction f = TransferFunction();
    f.slope = f.amplitude = f.exponent = 1;
    return f;
}

void ApplyComponentTransfer(uint32_t* pixels, int count, const TransferFunction functions[4]) {
    uint8_t tables[4][256];
    for (int c = 0; c < 4; c++)
        TransferTableOf(functions[c], tables[c]);
    for (int i = 0; i < count; i++) {
        // Straight bytes: red, green, blue, alpha.
        uint32_t p = pixels[i];
        const uint32_t a = p >> 24;
        uint32_t straight[3];
        for (int c = 0; c < 3; c++) {
            const uint32_t v = (p >> (16 - 8 * c)) & 0xFF;
            straight[c] = a ? std::min<uint32_t>((v * 255 + a / 2) / a, 255) : 0;
        }
        const uint32_t na = tables[3][a];
        uint32_t result = na << 24;
        for (int c = 0; c < 3; c++)
            result |= ((tables[c][straight[c]] * na + 127) / 255) << (16 - 8 * c);
        pixels[i] = result;
    }
}
