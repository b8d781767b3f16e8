// Four premultiplied pixels as four vectors of floats, one per channel, for
// the SSE2 loops of the filters. Loading and storing do lane by lane what
// UnpackPixel and PackPremultiplied do, with the same float operations, so a
// pixel leaves a vector loop with the bytes the one-pixel loop gives it.
#pragma once

#ifdef __SSE2__
#include <emmintrin.h>

#include <cstdint>

struct PixelLanes {
    __m128 r, g, b, a; // 0..1
};

inline __m128 ChannelLanes(__m128i pixels, int shift) {
    const __m128i byte = _mm_and_si128(_mm_srli_epi32(pixels, shift), _mm_set1_epi32(0xFF));
    return _mm_mul_ps(_mm_cvtepi32_ps(byte), _mm_set1_ps(1.0f / 255));
}

inline PixelLanes LoadPixelLanes(const uint32_t* pixels) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    return PixelLanes{ChannelLanes(p, 16), ChannelLanes(p, 8), ChannelLanes(p, 0),
                      ChannelLanes(p, 24)};
}

// Each lane as a byte: 0 for not-a-number and below 0, 255 from 1 up, else
// v x 255 + 0.5 truncated. (A lane compared with a not-a-number gives the
// second operand, 0 here.)
inline __m128i ByteLanes(__m128 v) {
    const __m128 clamped = _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(1));
    return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(clamped, _mm_set1_ps(255)), _mm_set1_ps(0.5f)));
}

// Premultiplied lanes into four words, the colours kept at or below alpha.
// (Bytes in 32-bit lanes: their upper 16 bits are 0, so the 16-bit minimum
// serves.)
inline void StorePremultipliedLanes(uint32_t* pixels, const PixelLanes& c) {
    const __m128i a = ByteLanes(c.a);
    const __m128i r = _mm_min_epi16(ByteLanes(c.r), a), g = _mm_min_epi16(ByteLanes(c.g), a);
    const __m128i b = _mm_min_epi16(ByteLanes(c.b), a);
    const __m128i words = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(a, 24), _mm_slli_epi32(r, 16)),
                                       _mm_or_si128(_mm_slli_epi32(g, 8), b));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), words);
}
#endif
