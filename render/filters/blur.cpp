#include "render/filters/blur.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "render/filters/filter_pixels.h"

namespace {

// One line of pixels (a row or a column) with `pad` pixels on either side
// filled as the edge mode says.
struct PaddedLine {
    std::vector<uint32_t> words;
    int pad;
};

void FillPadding(PaddedLine* line, int length, int edgeMode) {
    uint32_t* w = line->words.data();
    const int pad = line->pad;
    for (int i = 0; i < pad; i++) {
        uint32_t before = 0, after = 0;
        if (edgeMode == EdgeDuplicate) {
            before = w[pad], after = w[pad + length - 1];
        } else if (edgeMode == EdgeWrap) {
            before = w[pad + ((length - (pad - i) % length) % length)];
            after = w[pad + (i % length)];
        }
        w[i] = before;
        w[pad + length + i] = after;
    }
}

// The mean of a box, (sum + size / 2) / size in integers, is worked out in
// floats as (sum + size / 2 + 0.5) x (1 / size), truncated: the sum and the
// addition are exact, the exact quotient lies at least 0.5 / size from a
// whole number, and the two roundings move it by less than 256 x 2^-23.
// That gives the integers' result for every sum of every box up to 1024
// pixels (checked exhaustively; without the 0.5 some sums come out one
// low). Both loops use it, the vector loop four channels at a time.
struct BoxMean {
    float bias, reciprocal;
};

BoxMean BoxMeanOf(int size) {
    return BoxMean{static_cast<float>(size / 2) + 0.5f, 1.0f / static_cast<float>(size)};
}

#ifdef __SSE2__
// A pixel's four bytes as 32-bit lanes (blue, green, red, alpha).
__m128i Widen(uint32_t pixel) {
    const __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(pixel)), zero),
                              zero);
}

// Lanes of 0..255 back into a pixel.
uint32_t Narrow(__m128i lanes) {
    const __m128i words = _mm_packs_epi32(lanes, lanes);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}

// out[x] = the mean of in[x + lo .. x + hi] per channel, rounded.
void BoxPass(const uint32_t* in, uint32_t* out, int length, int lo, int hi) {
    const BoxMean mean = BoxMeanOf(hi - lo + 1);
    const __m128 bias = _mm_set1_ps(mean.bias), reciprocal = _mm_set1_ps(mean.reciprocal);
    __m128i sum = _mm_setzero_si128();
    for (int i = lo; i <= hi; i++)
        sum = _mm_add_epi32(sum, Widen(in[i]));
    for (int x = 0; x < length; x++) {
        const __m128 quotient = _mm_mul_ps(_mm_add_ps(_mm_cvtepi32_ps(sum), bias), reciprocal);
        out[x] = Narrow(_mm_cvttps_epi32(quotient));
        sum = _mm_add_epi32(sum, _mm_sub_epi32(Widen(in[x + hi + 1]), Widen(in[x + lo])));
    }
}
#else
void BoxPass(const uint32_t* in, uint32_t* out, int length, int lo, int hi) {
    const BoxMean mean = BoxMeanOf(hi - lo + 1);
    uint32_t sum[4] = {0, 0, 0, 0};
    for (int i = lo; i <= hi; i++) {
        for (int c = 0; c < 4; c++)
            sum[c] += (in[i] >> (8 * c)) & 0xFF;
    }
    for (int x = 0; x < length; x++) {
        uint32_t p = 0;
        for (int c = 0; c < 4; c++) {
            const float quotient = (static_cast<float>(sum[c]) + mean.bias) * mean.reciprocal;
            p |= static_cast<uint32_t>(quotient) << (8 * c);
        }
        out[x] = p;
        for (int c = 0; c < 4; c++)
            sum[c] += ((in[x + hi + 1] >> (8 * c)) & 0xFF) - ((in[x + lo] >> (8 * c)) & 0xFF);
    }
}
#endif

// The passes of one axis for a deviation: a kernel of weights (the Gaussian
// below 2 pixels), or three boxes given by their first and last offsets.
struct AxisBlur {
    std::vector<float> kernel; // 2 * radius + 1 weights, empty for boxes
    int boxes[3][2];
    int reach; // the farthest offset any pass reads
};

AxisBlur PlanAxis(float deviation) {
    AxisBlur plan = AxisBlur();
    if (deviation < 2) {
        const int radius = static_cast<int>(std::ceil(deviation * 3));
        float total = 0;
        for (int i = -radius; i <= radius; i++) {
            const float w = std::exp(-(i * i) / (2 * deviation * deviation));
            plan.kernel.push_back(w);
            total += w;
        }
        for (float& w : plan.kernel)
            w /= total;
        plan.reach = radius;
        return plan;
    }
    const int d =
        static_cast<int>(std::floor(deviation * 3 * std::sqrt(2 * 3.14159265358979) / 4 + 0.5));
    if (d % 2) {
        for (auto& box : plan.boxes)
            box[0] = -(d / 2), box[1] = d / 2;
    } else {
        // Two boxes of d centred on the pixel's left and right edges, then
        // one of d + 1 centred on the pixel.
        plan.boxes[0][0] = -(d / 2), plan.boxes[0][1] = d / 2 - 1;
        plan.boxes[1][0] = -(d / 2) + 1, plan.boxes[1][1] = d / 2;
        plan.boxes[2][0] = -(d / 2), plan.boxes[2][1] = d / 2;
    }
    plan.reach = d / 2 + 1;
    return plan;
}

// out[x] = the weighted sum of the pixels around in[x], rounded; both loops
// add the same float products in the same order.
#ifdef __SSE2__
void KernelPass(const uint32_t* in, uint32_t* out, int length, const std::vector<float>& kernel) {
    const int radius = static_cast<int>(kernel.size() / 2);
    const __m128 half = _mm_set1_ps(0.5f), top = _mm_set1_ps(255.0f);
    for (int x = 0; x < length; x++) {
        __m128 sum = _mm_setzero_ps();
        for (int k = -radius; k <= radius; k++) {
            const __m128 value = _mm_cvtepi32_ps(Widen(in[x + k]));
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(kernel[k + radius]), value));
        }
        out[x] = Narrow(_mm_cvttps_epi32(_mm_min_ps(_mm_add_ps(sum, half), top)));
    }
}
#else
void KernelPass(const uint32_t* in, uint32_t* out, int length, const std::vector<float>& kernel) {
    const int radius = static_cast<int>(kernel.size() / 2);
    for (int x = 0; x < length; x++) {
        float sum[4] = {0, 0, 0, 0};
        for (int k = -radius; k <= radius; k++) {
            const uint32_t p = in[x + k];
            for (int c = 0; c < 4; c++)
                sum[c] += kernel[k + radius] * static_cast<float>((p >> (8 * c)) & 0xFF);
        }
        uint32_t p = 0;
        for (int c = 0; c < 4; c++)
            p |= static_cast<uint32_t>(std::min(sum[c] + 0.5f, 255.0f)) << (8 * c);
        out[x] = p;
    }
}
#endif

// Blurs one line held in line (its pixels from line->pad on), leaving the
// result there.
void BlurLine(PaddedLine* line, std::vector<uint32_t>* scratch, int length, const AxisBlur& plan,
              int edgeMode) {
    uint32_t* words = line->words.data();
    const int pad = line->pad;
    if (!plan.kernel.empty()) {
        FillPadding(line, length, edgeMode);
        KernelPass(words + pad, scratch->data(), length, plan.kernel);
        std::copy(scratch->begin(), scratch->begin() + length, words + pad);
        return;
    }
    for (const auto& box : plan.boxes) {
        FillPadding(line, length, edgeMode);
        BoxPass(words + pad, scratch->data(), length, box[0], box[1]);
        std::copy(scratch->begin(), scratch->begin() + length, words + pad);
    }
}

bool BlurAxis(uint32_t* pixels, int width, int height, float deviation, bool alongRows,
              int edgeMode) {
    if (!(deviation > 0))
        return true;
    const AxisBlur plan = PlanAxis(std::min(deviation, MaxBlurDeviation));
    const int length = alongRows ? width : height, lines = alongRows ? height : width;
    const size_t step = alongRows ? 1 : static_cast<size_t>(width);
    PaddedLine line;
    line.pad = plan.reach + 1;
    std::vector<uint32_t> scratch;
    try {
        line.words.assign(static_cast<size_t>(length) + 2 * line.pad, 0);
        scratch.assign(static_cast<size_t>(length), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int n = 0; n < lines; n++) {
        uint32_t* first = alongRows ? pixels + static_cast<size_t>(n) * width : pixels + n;
        for (int i = 0; i < length; i++)
            line.words[line.pad + i] = first[i * step];
        BlurLine(&line, &scratch, length, plan, edgeMode);
        for (int i = 0; i < length; i++)
            first[i * step] = line.words[line.pad + i];
    }
    return true;
}

} // namespace

bool GaussianBlurPixels(uint32_t* pixels, int width, int height, float deviationX, float deviationY,
                        int edgeMode) {
    if (!pixels || width < 1 || height < 1)
        return true;
    return BlurAxis(pixels, width, height, deviationX, true, edgeMode) &&
           BlurAxis(pixels, width, height, deviationY, false, edgeMode);
}
