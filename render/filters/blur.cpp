#include "render/filters/blur.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

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

// out[x] = the mean of in[x + lo .. x + hi] per channel, rounded.
void BoxPass(const uint32_t* in, uint32_t* out, int length, int lo, int hi) {
    const uint32_t size = static_cast<uint32_t>(hi - lo + 1);
    uint32_t sum[4] = {0, 0, 0, 0};
    for (int i = lo; i <= hi; i++) {
        for (int c = 0; c < 4; c++)
            sum[c] += (in[i] >> (8 * c)) & 0xFF;
    }
    for (int x = 0; x < length; x++) {
        uint32_t p = 0;
        for (int c = 0; c < 4; c++)
            p |= ((sum[c] + size / 2) / size) << (8 * c);
        out[x] = p;
        for (int c = 0; c < 4; c++)
            sum[c] += ((in[x + hi + 1] >> (8 * c)) & 0xFF) - ((in[x + lo] >> (8 * c)) & 0xFF);
    }
}

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

void KernelPass(const uint32_t* in, uint32_t* out, int length, const std::vector<float>& kernel) {
    const int radius = static_cast<int>(kernel.size() / 2);
    for (int x = 0; x < length; x++) {
        float sum[4] = {0, 0, 0, 0};
        for (int k = -radius; k <= radius; k++) {
            const uint32_t p = in[x + k];
            for (int c = 0; c < 4; c++)
                sum[c] += kernel[k + radius] * ((p >> (8 * c)) & 0xFF);
        }
        uint32_t p = 0;
        for (int c = 0; c < 4; c++)
            p |= static_cast<uint32_t>(std::min(sum[c] + 0.5f, 255.0f)) << (8 * c);
        out[x] = p;
    }
}

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
