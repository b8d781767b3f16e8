#include "render/filters/placement.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

FilterRect CutToImage(const FilterRect& r, int width, int height) {
    return FilterRect{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
                      std::min(r.bottom, height)};
}

// One axis of a morphology pass over a line: the least or greatest of each
// channel within radius, read from in (length words, step apart), for the
// pixels first .. last - 1.
void MorphologyLine(const uint32_t* in, size_t step, uint32_t* out, int length, int radius,
                    bool dilate, int first, int last) {
    for (int x = first; x < last; x++) {
        const int from = std::max(x - radius, 0), to = std::min(x + radius, length - 1);
        uint32_t best[4];
        for (int c = 0; c < 4; c++)
            best[c] = dilate ? 0 : 255;
        for (int i = from; i <= to; i++) {
            const uint32_t p = in[i * step];
            for (int c = 0; c < 4; c++) {
                const uint32_t v = (p >> (8 * c)) & 0xFF;
                best[c] = dilate ? std::max(best[c], v) : std::min(best[c], v);
            }
        }
        out[x] = best[0] | (best[1] << 8) | (best[2] << 16) | (best[3] << 24);
    }
}

#ifdef __SSE2__
// The least or greatest of each byte over `count` groups of four pixels,
// `stride` words apart, the first at `first`.
__m128i ExtremeOfFours(const uint32_t* first, size_t stride, int count, bool dilate) {
    __m128i best = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
    for (int i = 1; i < count; i++) {
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i * stride));
        best = dilate ? _mm_max_epu8(best, next) : _mm_min_epu8(best, next);
    }
    return best;
}

// The vertical pass over the four columns from `column` on, through four
// words of scratch per row.
void MorphologyFourColumns(uint32_t* column, uint32_t* scratch, int width, int height, int radius,
                           bool dilate) {
    const size_t stride = static_cast<size_t>(width);
    for (int y = 0; y < height; y++) {
        const int from = std::max(y - radius, 0), to = std::min(y + radius, height - 1);
        const __m128i best = ExtremeOfFours(column + from * stride, stride, to - from + 1, dilate);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(scratch + 4 * y), best);
    }
    for (int y = 0; y < height; y++)
        std::copy(scratch + 4 * y, scratch + 4 * y + 4, column + y * stride);
}
#endif

// The horizontal pass over a row into out; the pixels whose whole window
// lies in the row go four at a time where SSE2 is there.
void MorphologyRow(const uint32_t* row, uint32_t* out, int width, int radius, bool dilate) {
    int end = 0;
#ifdef __SSE2__
    end = radius;
    for (; end + 4 + radius <= width; end += 4) {
        const __m128i best = ExtremeOfFours(row + end - radius, 1, 2 * radius + 1, dilate);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + end), best);
    }
    MorphologyLine(row, 1, out, width, radius, dilate, 0, std::min(radius, width));
#endif
    MorphologyLine(row, 1, out, width, radius, dilate, std::min(end, width), width);
}

// A channel of a premultiplied pixel as its straight value, 0..1; the
// colours of a transparent pixel are 0.
float StraightChannel(uint32_t p, int channel) {
    const uint32_t alpha = p >> 24;
    if (channel == ChannelAlpha)
        return alpha / 255.0f;
    if (alpha == 0)
        return 0;
    const uint32_t value = (p >> (16 - 8 * channel)) & 0xFF;
    return std::min(value / static_cast<float>(alpha), 1.0f);
}

// The pixel whose square holds the coordinate, or -1 outside 0..size - 1.
int SampleIndex(int at, float displacement, int size) {
    const double point = std::floor(at + 0.5 + static_cast<double>(displacement));
    return point >= 0 && point < size ? static_cast<int>(point) : -1;
}

} // namespace

void DisplacePixels(const uint32_t* in, const uint32_t* map, uint32_t* out, int width, int height,
                    float scaleX, float scaleY, int xChannel, int yChannel) {
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const size_t i = static_cast<size_t>(y) * width + x;
            const int fx =
                SampleIndex(x, scaleX * (StraightChannel(map[i], xChannel) - 0.5f), width);
            const int fy =
                SampleIndex(y, scaleY * (StraightChannel(map[i], yChannel) - 0.5f), height);
            out[i] = fx < 0 || fy < 0 ? 0u : in[static_cast<size_t>(fy) * width + fx];
        }
    }
}

void OffsetPixels(const uint32_t* in, uint32_t* out, int width, int height, int dx, int dy) {
    for (int y = 0; y < height; y++) {
        const int from = y - dy;
        for (int x = 0; x < width; x++) {
            const int fx = x - dx;
            const bool inside = from >= 0 && from < height && fx >= 0 && fx < width;
            out[static_cast<size_t>(y) * width + x] =
                inside ? in[static_cast<size_t>(from) * width + fx] : 0;
        }
    }
}

void FloodPixels(uint32_t* pixels, int width, int height, const FilterRect& rect, uint32_t colour) {
    const FilterRect r = CutToImage(rect, width, height);
    for (int y = r.top; y < r.bottom; y++)
        std::fill(pixels + static_cast<size_t>(y) * width + r.left,
                  pixels + static_cast<size_t>(y) * width + r.right, colour);
}

void ClearOutside(uint32_t* pixels, int width, int height, const FilterRect& rect) {
    const FilterRect r = CutToImage(rect, width, height);
    for (int y = 0; y < height; y++) {
        uint32_t* row = pixels + static_cast<size_t>(y) * width;
        if (y < r.top || y >= r.bottom || r.left >= r.right) {
            std::fill(row, row + width, 0u);
            continue;
        }
        std::fill(row, row + r.left, 0u);
        std::fill(row + r.right, row + width, 0u);
    }
}

void TilePixels(const uint32_t* in, uint32_t* out, int width, int height, const FilterRect& tile) {
    const FilterRect t = CutToImage(tile, width, height);
    const int tw = t.right - t.left, th = t.bottom - t.top;
    if (tw <= 0 || th <= 0) {
        std::fill(out, out + static_cast<size_t>(width) * height, 0u);
        return;
    }
    for (int y = 0; y < height; y++) {
        const int sy = t.top + ((y - t.top) % th + th) % th;
        for (int x = 0; x < width; x++) {
            const int sx = t.left + ((x - t.left) % tw + tw) % tw;
            out[static_cast<size_t>(y) * width + x] = in[static_cast<size_t>(sy) * width + sx];
        }
    }
}

bool MorphologyPixels(uint32_t* pixels, int width, int height, int rx, int ry, bool dilate) {
    rx = std::min(std::max(rx, 0), MaxMorphologyRadius);
    ry = std::min(std::max(ry, 0), MaxMorphologyRadius);
    std::vector<uint32_t> line;
    try {
        line.resize(std::max(static_cast<size_t>(width), static_cast<size_t>(height) * 4));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; rx > 0 && y < height; y++) {
        uint32_t* row = pixels + static_cast<size_t>(y) * width;
        MorphologyRow(row, line.data(), width, rx, dilate);
        std::copy(line.begin(), line.begin() + width, row);
    }
    int x = 0;
#ifdef __SSE2__
    for (; ry > 0 && x + 4 <= width; x += 4)
        MorphologyFourColumns(pixels + x, line.data(), width, height, ry, dilate);
#endif
    for (; ry > 0 && x < width; x++) {
        MorphologyLine(pixels + x, static_cast<size_t>(width), line.data(), height, ry, dilate, 0,
                       height);
        for (int y = 0; y < height; y++)
            pixels[static_cast<size_t>(y) * width + x] = line[y];
    }
    return true;
}
