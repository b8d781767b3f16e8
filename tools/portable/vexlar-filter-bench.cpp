// Throughput of the filter pixel loops: a drop shadow and a blur run whole
// at 256 x 256 and 1920 x 1080, then each hot loop on its own at 1920 x 1080.
// Prints processor milliseconds (the fastest of several runs: on a busy
// machine processor time measures the work better than the wall clock). Build it in a
// non-sanitized Release folder for meaningful numbers:
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXLAR_SANITIZE=OFF
//   cmake --build build-bench --target vexlar-filter-bench && build-bench/bin/vexlar-filter-bench
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "render/filters/blur.h"
#include "render/filters/colour_effects.h"
#include "render/filters/combine.h"
#include "render/filters/filter_chain.h"
#include "render/filters/filter_pixels.h"
#include "render/filters/placement.h"

namespace {

double ProcessorMs() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// The fastest of `runs` runs of work, in milliseconds; `prepare` runs untimed
// before each.
template <typename Prepare, typename Work> double FastestMs(int runs, Prepare prepare, Work work) {
    double best = 1e30;
    for (int i = 0; i < runs; i++) {
        prepare();
        const double start = ProcessorMs();
        work();
        best = std::min(best, ProcessorMs() - start);
    }
    return best;
}

// A premultiplied picture as drawings give filters: transparent space,
// opaque shapes and anti-aliased edges.
std::vector<uint32_t> Picture(int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const int dx = x - width / 3, dy = y - height / 2, r = std::min(width, height) / 3;
            const int inside = r * r - (dx * dx + dy * dy);
            uint32_t a = inside > 2 * r ? 255 : (inside > 0 ? 128 : 0);
            if (x > width / 2 && x < width * 9 / 10 && y > height / 5 && y < height * 4 / 5)
                a = 200;
            const uint32_t red = a * 3 / 4, green = a / 2, blue = a / 5;
            pixels[static_cast<size_t>(y) * width + x] =
                (a << 24) | (red << 16) | (green << 8) | blue;
        }
    }
    return pixels;
}

FilterPrimitive Primitive(int kind, int in1) {
    FilterPrimitive p = FilterPrimitive();
    p.kind = kind;
    p.in1 = in1;
    p.x = p.y = -1e6f;
    p.width = p.height = 2e6f;
    p.linear = 1;
    return p;
}

// A filter whose region holds the whole canvas.
FilterRecord Filter(const std::vector<FilterPrimitive>& primitives) {
    FilterRecord f = FilterRecord();
    f.x = f.y = -1e6f;
    f.width = f.height = 2e6f;
    f.primitives = primitives;
    return f;
}

// blur(SourceAlpha, 6) -> offset(8, 8) -> flood -> composite in -> merge
// (shadow, SourceGraphic), in linearRGB as by default.
FilterRecord DropShadow() {
    FilterPrimitive blur = Primitive(PrimitiveBlur, FilterInputSourceAlpha);
    blur.deviationX = blur.deviationY = 6;
    FilterPrimitive offset = Primitive(PrimitiveOffset, 0);
    offset.dx = offset.dy = 8;
    FilterPrimitive flood = Primitive(PrimitiveFlood, 1);
    flood.colour = 0x99203050;
    FilterPrimitive in = Primitive(PrimitiveComposite, 2);
    in.in2 = 1;
    in.mode = CompositeIn;
    FilterPrimitive merge = Primitive(PrimitiveMerge, 3);
    merge.inputs = {3, FilterInputSourceGraphic};
    return Filter({blur, offset, flood, in, merge});
}

FilterRecord Blur() {
    FilterPrimitive blur = Primitive(PrimitiveBlur, FilterInputSourceGraphic);
    blur.deviationX = blur.deviationY = 4;
    return Filter({blur});
}

void BenchChains() {
    const int sizes[2][3] = {{256, 256, 40}, {1920, 1080, 8}};
    std::printf("filter chains                 fastest (ms)\n");
    for (const auto& size : sizes) {
        const std::vector<uint32_t> picture = Picture(size[0], size[1]);
        std::vector<uint32_t> canvasPixels;
        const FilterRecord records[2] = {DropShadow(), Blur()};
        const char* names[2] = {"drop shadow", "blur 4"};
        for (int r = 0; r < 2; r++) {
            FilterCanvas canvas = {nullptr, size[0], size[1], Matrix2D{1, 0, 0, 1, 0, 0}, nullptr};
            bool ran = true;
            const double ms = FastestMs(
                size[2], [&] { canvasPixels = picture; },
                [&] {
                    canvas.pixels = canvasPixels.data();
                    size_t budget = 64u << 20;
                    ran = ran && RunFilter(records[r], &canvas, &budget);
                });
            std::printf("  %-12s %4dx%-4d %8.2f%s\n", names[r], size[0], size[1], ms,
                        ran ? "" : " (failed)");
        }
    }
}

void BenchPasses() {
    const int width = 1920, height = 1080, count = width * height, runs = 10;
    const std::vector<uint32_t> picture = Picture(width, height);
    std::vector<uint32_t> pixels, other(picture), out(picture.size());
    auto reset = [&] { pixels = picture; };
    const float k[4] = {0.5f, 0.5f, 0.25f, 0.1f};
    const ColourMatrix saturate = ColourMatrixOf(ColourMatrixSaturate, {0.3f});
    struct {
        const char* name;
        double ms;
    } rows[] = {
        {"blur 1 (kernel)",
         FastestMs(runs, reset,
                   [&] { GaussianBlurPixels(pixels.data(), width, height, 1, 1, 0); })},
        {"blur 6 (boxes)",
         FastestMs(runs, reset,
                   [&] { GaussianBlurPixels(pixels.data(), width, height, 6, 6, 0); })},
        {"sRGB to linear",
         FastestMs(runs, reset, [&] { SrgbToLinearPixels(pixels.data(), count); })},
        {"linear to sRGB",
         FastestMs(runs, reset, [&] { LinearToSrgbPixels(pixels.data(), count); })},
        {"colour matrix",
         FastestMs(runs, reset, [&] { ApplyColourMatrix(pixels.data(), count, saturate); })},
        {"composite over", FastestMs(runs, reset,
                                     [&] {
                                         CompositePixels(pixels.data(), other.data(), out.data(),
                                                         count, CompositeOver, k);
                                     })},
        {"composite in", FastestMs(runs, reset,
                                   [&] {
                                       CompositePixels(pixels.data(), other.data(), out.data(),
                                                       count, CompositeIn, k);
                                   })},
        {"arithmetic", FastestMs(runs, reset,
                                 [&] {
                                     CompositePixels(pixels.data(), other.data(), out.data(), count,
                                                     CompositeArithmetic, k);
                                 })},
        {"morphology 3",
         FastestMs(runs, reset, [&] { MorphologyPixels(pixels.data(), width, height, 3, 3, 1); })},
    };
    std::printf("filter passes on %dx%d         fastest (ms)\n", width, height);
    for (const auto& row : rows)
        std::printf("  %-22s %8.2f\n", row.name, row.ms);
}

} // namespace

// With "chains" only the whole filters are measured (for profiling them).
int main(int argc, char** argv) {
    const bool chainsOnly = argc > 1 && std::string(argv[1]) == "chains";
    BenchChains();
    if (!chainsOnly)
        BenchPasses();
    return 0;
}
