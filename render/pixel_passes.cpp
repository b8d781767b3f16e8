#include "render/pixel_passes.h"

#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Each pass has a vector loop (SSE2, four pixels at a time, integers only)
// and a scalar loop for the pixels left over, which computes the 32-bit float
// formula the header describes. They give the same bytes: the exact value of
// the opacity and tint formulas, a fraction n / 255, is never a half and lies
// at least 1/510 from one, far beyond the float rounding errors, so the
// floats round it as the integers (n + 127) / 255 do. The tests compare both
// loops with the float formulas on every byte value. The loops avoid branches
// on the pixel values: drawings mix transparent, edge and opaque pixels
// without a pattern a branch predictor could follow.
//
// A pixel whose alpha is 0 after a pass is made all zero: the layered window
// adds whatever colour a fully transparent pixel carries to the screen.

static int RoundHalfEven(float value) {
    return static_cast<int>(std::nearbyint(value));
}

static int ClampByte(int value) {
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

static uint32_t AlphaOf(uint32_t pixel) {
    return pixel >> 24;
}

// All ones for a pixel with alpha above 0, else 0: selects without a branch.
static uint32_t VisibleMask(uint32_t pixel) {
    return 0u - static_cast<uint32_t>(AlphaOf(pixel) != 0);
}

#ifdef __SSE2__
// x / 255, truncating, for every 16-bit lane x up to 65535: (x * 0x8081) >> 23.
static __m128i DivideBy255(__m128i x) {
    return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
}

// (p + 127) / 255 for every 16-bit lane p that is a product of two bytes:
// ((p + 128) * 257) >> 16, one instruction fewer (checked on every product).
static __m128i RoundProductBy255(__m128i p) {
    return _mm_mulhi_epu16(_mm_add_epi16(p, _mm_set1_epi16(128)), _mm_set1_epi16(257));
}
#endif

static uint32_t FadePixel(uint32_t pixel, float factor) {
    int alpha = RoundHalfEven(static_cast<float>(AlphaOf(pixel)) * factor);
    uint32_t faded = (pixel & 0x00FFFFFFu) | (static_cast<uint32_t>(ClampByte(alpha)) << 24);
    return faded & VisibleMask(faded);
}

void ApplyOpacity(uint32_t* pixels, int count, int opacity) {
    if (!pixels || count < 1 || opacity >= 255)
        return;
    if (opacity < 0)
        opacity = 0;
    const float factor = static_cast<float>(opacity) / 255.0f;
    int i = 0;
#ifdef __SSE2__
    // alpha * opacity fits the low 16-bit half of each lane (the high half
    // stays 0, and rounds to 0), and (alpha * opacity + 127) / 255 never
    // exceeds 254.
    const __m128i times = _mm_set1_epi32(opacity);
    const __m128i colourBits = _mm_set1_epi32(0x00FFFFFF);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= count; i += 4) {
        __m128i* at = reinterpret_cast<__m128i*>(pixels + i);
        __m128i pixel = _mm_loadu_si128(at);
        __m128i product = _mm_mullo_epi16(_mm_srli_epi32(pixel, 24), times);
        __m128i scaled = RoundProductBy255(product);
        __m128i faded = _mm_or_si128(_mm_and_si128(pixel, colourBits), _mm_slli_epi32(scaled, 24));
        _mm_storeu_si128(at, _mm_andnot_si128(_mm_cmpeq_epi32(scaled, zero), faded));
    }
#endif
    for (; i < count; i++)
        pixels[i] = FadePixel(pixels[i], factor);
}

// c + (m - c) * factor with m = c * component / 255 (multiply blend,
// truncating), rounded and clamped.
static uint32_t TintChannel(uint32_t c, int component, float factor) {
    int blended = static_cast<int>(c) * component / 255;
    float moved =
        static_cast<float>(c) + static_cast<float>(blended - static_cast<int>(c)) * factor;
    return static_cast<uint32_t>(ClampByte(RoundHalfEven(moved)));
}

static uint32_t TintPixel(uint32_t pixel, int red, int green, int blue, float factor) {
    uint32_t tinted = (pixel & 0xFF000000u) |
                      (TintChannel((pixel >> 16) & 0xFF, red, factor) << 16) |
                      (TintChannel((pixel >> 8) & 0xFF, green, factor) << 8) |
                      TintChannel(pixel & 0xFF, blue, factor);
    return tinted & VisibleMask(pixel);
}

#ifdef __SSE2__

// The multiply blend m = c * t / 255 of a lane is (c * T) >> 16 with
// T = ceil(t * 65536 / 255) for t below 255 (the excess stays below 1/256).
// A lane whose t is 255, and each alpha lane, must keep its value: its
// strength is 0, so whatever c - m it computes moves it by nothing.
struct TintLanes {
    __m128i multiplier, strength;
};

// Lanes for (blue, green, red, alpha) of two pixels.
static TintLanes MakeTintLanes(int red, int green, int blue, int strength) {
    const int components[4] = {blue, green, red, 255};
    uint16_t multiplier[8], strengths[8];
    for (int lane = 0; lane < 8; lane++) {
        const int t = components[lane % 4];
        multiplier[lane] = static_cast<uint16_t>(t == 255 ? 0 : (t * 65536 + 254) / 255);
        strengths[lane] = static_cast<uint16_t>(t == 255 ? 0 : strength);
    }
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(multiplier)),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(strengths))};
}

// Two pixels widened to 16-bit lanes (b, g, r, a, b, g, r, a) tinted, alpha
// kept: c + (m - c) * strength / 255 rounds to
// c - ((c - m) * strength + 127) / 255, the product at most 65025.
static __m128i TintTwoPixels(__m128i wide, const TintLanes& lanes) {
    __m128i lost = _mm_sub_epi16(wide, _mm_mulhi_epu16(wide, lanes.multiplier));
    return _mm_sub_epi16(wide, RoundProductBy255(_mm_mullo_epi16(lost, lanes.strength)));
}
#endif

void ApplyTint(uint32_t* pixels, int count, int red, int green, int blue, int strength) {
    if (!pixels || count < 1 || strength == 0)
        return;
    const float factor = static_cast<float>(strength) / 255.0f;
    int i = 0;
#ifdef __SSE2__
    // Products of bytes fit 16-bit lanes and results need no clamping: other
    // tints and strengths take the scalar loop.
    const bool bytes = red >= 0 && red <= 255 && green >= 0 && green <= 255 && blue >= 0 &&
                       blue <= 255 && strength > 0 && strength <= 255;
    if (bytes) {
        const TintLanes lanes = MakeTintLanes(red, green, blue, strength);
        const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
        const __m128i zero = _mm_setzero_si128();
        for (; i + 4 <= count; i += 4) {
            __m128i* at = reinterpret_cast<__m128i*>(pixels + i);
            __m128i pixel = _mm_loadu_si128(at);
            __m128i low = TintTwoPixels(_mm_unpacklo_epi8(pixel, zero), lanes);
            __m128i high = TintTwoPixels(_mm_unpackhi_epi8(pixel, zero), lanes);
            __m128i transparent = _mm_cmpeq_epi32(_mm_and_si128(pixel, alphaBits), zero);
            _mm_storeu_si128(at, _mm_andnot_si128(transparent, _mm_packus_epi16(low, high)));
        }
    }
#endif
    for (; i < count; i++)
        pixels[i] = TintPixel(pixels[i], red, green, blue, factor);
}

static uint32_t PremultiplyPixel(uint32_t pixel) {
    uint32_t alpha = AlphaOf(pixel);
    return (pixel & 0xFF000000u) | (((pixel >> 16) & 0xFF) * alpha / 255) << 16 |
           (((pixel >> 8) & 0xFF) * alpha / 255) << 8 | (pixel & 0xFF) * alpha / 255;
}

#ifdef __SSE2__
// Two pixels widened to 16-bit lanes, each colour lane times its pixel's
// alpha / 255; the alpha lane is multiplied by 255 / 255 and so kept.
static __m128i PremultiplyTwoPixels(__m128i wide, __m128i alphaLanes) {
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(wide, _MM_SHUFFLE(3, 3, 3, 3)),
                                        _MM_SHUFFLE(3, 3, 3, 3));
    return DivideBy255(_mm_mullo_epi16(wide, _mm_or_si128(alpha, alphaLanes)));
}
#endif

void PremultiplyAlpha(uint32_t* pixels, int count) {
    if (!pixels || count < 1)
        return;
    int i = 0;
#ifdef __SSE2__
    const __m128i alphaLanes = _mm_set1_epi64x(static_cast<long long>(0x00FF000000000000ull));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= count; i += 4) {
        __m128i* at = reinterpret_cast<__m128i*>(pixels + i);
        __m128i pixel = _mm_loadu_si128(at);
        __m128i low = PremultiplyTwoPixels(_mm_unpacklo_epi8(pixel, zero), alphaLanes);
        __m128i high = PremultiplyTwoPixels(_mm_unpackhi_epi8(pixel, zero), alphaLanes);
        _mm_storeu_si128(at, _mm_packus_epi16(low, high));
    }
#endif
    for (; i < count; i++)
        pixels[i] = PremultiplyPixel(pixels[i]);
}
