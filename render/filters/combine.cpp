#include "render/filters/combine.h"

#include <algorithm>
#include <cmath>

#include "render/filters/filter_lanes.h"
#include "render/filters/filter_pixels.h"

namespace {

// Porter-Duff: out = top x fa + bottom x fb, where fa is 1, the bottom's
// alpha or 1 minus it, and fb 1, 0 or 1 minus the top's alpha: in the form
// fa = fa0 + fa1 x bottom alpha, fb = fb0 + fb1 x top alpha, which gives
// those values exactly.
struct PorterDuffFactors {
    float fa0, fa1, fb0, fb1;
};

PorterDuffFactors FactorsOf(int op) {
    switch (op) {
    case CompositeIn:
        return {0, 1, 0, 0};
    case CompositeOut:
        return {1, -1, 0, 0};
    case CompositeAtop:
        return {0, 1, 1, -1};
    case CompositeXor:
        return {1, -1, 1, -1};
    case CompositeLighter:
        return {1, 0, 1, 0};
    default: // over
        return {1, 0, 1, -1};
    }
}

FilterColour PorterDuff(FilterColour s, FilterColour d, const PorterDuffFactors& f) {
    const float fa = f.fa0 + f.fa1 * d.a, fb = f.fb0 + f.fb1 * s.a;
    return FilterColour{s.r * fa + d.r * fb, s.g * fa + d.g * fb, s.b * fa + d.b * fb,
                        s.a * fa + d.a * fb};
}

float Arithmetic(float i1, float i2, const float k[4]) {
    return k[0] * i1 * i2 + k[1] * i1 + k[2] * i2 + k[3];
}

float Separable(int mode, float cb, float cs) {
    switch (mode) {
    case BlendMultiply:
        return cb * cs;
    case BlendScreen:
        return cb + cs - cb * cs;
    case BlendOverlay:
        return Separable(BlendHardLight, cs, cb);
    case BlendDarken:
        return std::min(cb, cs);
    case BlendLighten:
        return std::max(cb, cs);
    case BlendColorDodge:
        if (cb <= 0)
            return 0;
        return cs >= 1 ? 1 : std::min(1.0f, cb / (1 - cs));
    case BlendColorBurn:
        if (cb >= 1)
            return 1;
        return cs <= 0 ? 0 : 1 - std::min(1.0f, (1 - cb) / cs);
    case BlendHardLight:
        return cs <= 0.5f ? cb * 2 * cs : Separable(BlendScreen, cb, 2 * cs - 1);
    case BlendSoftLight: {
        if (cs <= 0.5f)
            return cb - (1 - 2 * cs) * cb * (1 - cb);
        const float d = cb <= 0.25f ? ((16 * cb - 12) * cb + 4) * cb : std::sqrt(cb);
        return cb + (2 * cs - 1) * (d - cb);
    }
    case BlendDifference:
        return std::fabs(cb - cs);
    case BlendExclusion:
        return cb + cs - 2 * cb * cs;
    default:
        return cs;
    }
}

struct Rgb {
    float r, g, b;
};

float Lum(Rgb c) {
    return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
}

Rgb ClipColour(Rgb c) {
    const float l = Lum(c);
    const float n = std::min({c.r, c.g, c.b}), x = std::max({c.r, c.g, c.b});
    float* v[3] = {&c.r, &c.g, &c.b};
    for (float* p : v) {
        if (n < 0 && l - n > 0)
            *p = l + (*p - l) * l / (l - n);
        if (x > 1 && x - l > 0)
            *p = l + (*p - l) * (1 - l) / (x - l);
    }
    return c;
}

Rgb SetLum(Rgb c, float l) {
    const float d = l - Lum(c);
    return ClipColour(Rgb{c.r + d, c.g + d, c.b + d});
}

float Sat(Rgb c) {
    return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
}

Rgb SetSat(Rgb c, float s) {
    float* v[3] = {&c.r, &c.g, &c.b};
    std::sort(v, v + 3, [](const float* a, const float* b) { return *a < *b; });
    float &lo = *v[0], &mid = *v[1], &hi = *v[2];
    if (hi > lo) {
        mid = (mid - lo) * s / (hi - lo);
        hi = s;
    } else {
        mid = hi = 0;
    }
    lo = 0;
    return c;
}

Rgb NonSeparable(int mode, Rgb cb, Rgb cs) {
    switch (mode) {
    case BlendHue:
        return SetLum(SetSat(cs, Sat(cb)), Lum(cb));
    case BlendSaturation:
        return SetLum(SetSat(cb, Sat(cs)), Lum(cb));
    case BlendColor:
        return SetLum(cs, Lum(cb));
    default: // luminosity
        return SetLum(cb, Lum(cs));
    }
}

FilterColour Blend(FilterColour s, FilterColour d, int mode) {
    const FilterColour us = Unpremultiplied(s), ub = Unpremultiplied(d);
    Rgb mixed;
    if (mode >= BlendHue) {
        mixed = NonSeparable(mode, Rgb{ub.r, ub.g, ub.b}, Rgb{us.r, us.g, us.b});
    } else {
        mixed = Rgb{Separable(mode, ub.r, us.r), Separable(mode, ub.g, us.g),
                    Separable(mode, ub.b, us.b)};
    }
    // (1 - ab) cs + (1 - as) cb + as ab B(cb, cs), premultiplied.
    const float both = s.a * d.a;
    return FilterColour{s.r * (1 - d.a) + d.r * (1 - s.a) + both * mixed.r,
                        s.g * (1 - d.a) + d.g * (1 - s.a) + both * mixed.g,
                        s.b * (1 - d.a) + d.b * (1 - s.a) + both * mixed.b, s.a + d.a - both};
}

#ifdef __SSE2__
__m128 ArithmeticLanes(__m128 i1, __m128 i2, const __m128 k[4]) {
    const __m128 product = _mm_mul_ps(_mm_mul_ps(k[0], i1), i2);
    return _mm_add_ps(_mm_add_ps(_mm_add_ps(product, _mm_mul_ps(k[1], i1)), _mm_mul_ps(k[2], i2)),
                      k[3]);
}

__m128 PorterDuffLanes(__m128 s, __m128 d, __m128 fa, __m128 fb) {
    return _mm_add_ps(_mm_mul_ps(s, fa), _mm_mul_ps(d, fb));
}

// The vector loop of CompositePixels, four pixels at a time with the float
// operations of the one-pixel loop; returns how many pixels it did.
int CompositeFours(const uint32_t* top, const uint32_t* bottom, uint32_t* out, int count, int op,
                   const float k[4]) {
    const PorterDuffFactors f = FactorsOf(op);
    const __m128 fa0 = _mm_set1_ps(f.fa0), fa1 = _mm_set1_ps(f.fa1);
    const __m128 fb0 = _mm_set1_ps(f.fb0), fb1 = _mm_set1_ps(f.fb1);
    const __m128 kl[4] = {_mm_set1_ps(k[0]), _mm_set1_ps(k[1]), _mm_set1_ps(k[2]),
                          _mm_set1_ps(k[3])};
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const PixelLanes s = LoadPixelLanes(top + i), d = LoadPixelLanes(bottom + i);
        PixelLanes o;
        if (op == CompositeArithmetic) {
            o = PixelLanes{ArithmeticLanes(s.r, d.r, kl), ArithmeticLanes(s.g, d.g, kl),
                           ArithmeticLanes(s.b, d.b, kl), ArithmeticLanes(s.a, d.a, kl)};
        } else {
            const __m128 fa = _mm_add_ps(fa0, _mm_mul_ps(fa1, d.a));
            const __m128 fb = _mm_add_ps(fb0, _mm_mul_ps(fb1, s.a));
            o = PixelLanes{PorterDuffLanes(s.r, d.r, fa, fb), PorterDuffLanes(s.g, d.g, fa, fb),
                           PorterDuffLanes(s.b, d.b, fa, fb), PorterDuffLanes(s.a, d.a, fa, fb)};
        }
        StorePremultipliedLanes(out + i, o);
    }
    return i;
}
#endif

} // namespace

void CompositePixels(const uint32_t* top, const uint32_t* bottom, uint32_t* out, int count, int op,
                     const float k[4]) {
    int i = 0;
#ifdef __SSE2__
    i = CompositeFours(top, bottom, out, count, op, k);
#endif
    const PorterDuffFactors factors = FactorsOf(op);
    for (; i < count; i++) {
        const FilterColour s = UnpackPixel(top[i]), d = UnpackPixel(bottom[i]);
        if (op == CompositeArithmetic) {
            out[i] =
                PackPremultiplied(FilterColour{Arithmetic(s.r, d.r, k), Arithmetic(s.g, d.g, k),
                                               Arithmetic(s.b, d.b, k), Arithmetic(s.a, d.a, k)});
        } else {
            out[i] = PackPremultiplied(PorterDuff(s, d, factors));
        }
    }
}

void BlendPixels(const uint32_t* top, const uint32_t* bottom, uint32_t* out, int count, int mode) {
    for (int i = 0; i < count; i++)
        out[i] = PackPremultiplied(Blend(UnpackPixel(top[i]), UnpackPixel(bottom[i]), mode));
}
