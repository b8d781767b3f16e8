#include "render/filters/filter_chain.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "render/filters/blur.h"
#include "render/filters/colour_effects.h"
#include "render/filters/combine.h"
#include "render/filters/convolve.h"
#include "render/filters/filter_pixels.h"
#include "render/filters/lighting.h"
#include "render/filters/placement.h"
#include "render/filters/turbulence.h"

namespace {

// The result of a primitive, or a source.
struct FilterResult {
    std::vector<uint32_t> pixels;
    int linear = 0;
    FilterRect area = {0, 0, 0, 0}; // its subregion in canvas pixels, or the tile it passes on
};

struct ChainRun {
    const FilterRecord* filter;
    FilterCanvas* canvas;
    size_t* budget;
    size_t count; // pixels per image
    std::vector<FilterResult> results;
    FilterResult source;
    // Images no longer needed, kept for the next ones: fresh memory for
    // every image would cost the system's page clearing each time.
    std::vector<std::vector<uint32_t>> spare;
};

// A canvas-sized image, a copy of `from` or else transparent; false past the
// budget or memory.
bool NewImage(ChainRun* run, std::vector<uint32_t>* pixels,
              const std::vector<uint32_t>* from = nullptr) {
    if (run->count > *run->budget)
        return false;
    if (!run->spare.empty()) {
        pixels->swap(run->spare.back());
        run->spare.pop_back();
    }
    try {
        if (from)
            pixels->assign(from->begin(), from->end());
        else
            pixels->assign(run->count, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    *run->budget -= run->count;
    return true;
}

// Hands an image no longer needed back for reuse (or frees it).
void Recycle(ChainRun* run, std::vector<uint32_t>* pixels) {
    try {
        if (pixels->size() == run->count) {
            run->spare.emplace_back();
            run->spare.back().swap(*pixels);
            return;
        }
    } catch (const std::bad_alloc&) {
    }
    std::vector<uint32_t>().swap(*pixels);
}

// The canvas pixels a user-space rectangle covers, rounded outwards.
FilterRect PixelsOf(const Matrix2D& m, float x, float y, float width, float height) {
    const float xs[2] = {x, x + width}, ys[2] = {y, y + height};
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (float px : xs) {
        for (float py : ys) {
            const double dx = m.a * px + m.c * py + m.e, dy = m.b * px + m.d * py + m.f;
            minX = std::min(minX, dx), maxX = std::max(maxX, dx);
            minY = std::min(minY, dy), maxY = std::max(maxY, dy);
        }
    }
    const double limit = 1 << 24, e = 1.0 / 1024;
    auto clampInt = [&](double v) {
        return static_cast<int>(std::min(std::max(v, -limit), limit));
    };
    if (!(minX <= maxX && minY <= maxY))
        return FilterRect{0, 0, 0, 0};
    return FilterRect{clampInt(std::floor(minX + e)), clampInt(std::floor(minY + e)),
                      clampInt(std::ceil(maxX - e)), clampInt(std::ceil(maxY - e))};
}

FilterRect Intersect(const FilterRect& a, const FilterRect& b) {
    FilterRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    if (r.left >= r.right || r.top >= r.bottom)
        return FilterRect{0, 0, 0, 0};
    return r;
}

// Converts the pixels to the colour space asked for.
void ToSpace(std::vector<uint32_t>* pixels, int from, int to) {
    if (from == to)
        return;
    const int n = static_cast<int>(pixels->size());
    if (to)
        SrgbToLinearPixels(pixels->data(), n);
    else
        LinearToSrgbPixels(pixels->data(), n);
}

// The colour space input n is in: 1 linearRGB, 0 sRGB.
int InputSpace(const ChainRun* run, int n) {
    if (n >= 0 && n < static_cast<int>(run->results.size()))
        return run->results[n].linear;
    return 0; // the sources, and transparent black
}

// A copy of input n in the colour space; false past the budget.
bool InputCopy(ChainRun* run, int n, int linear, std::vector<uint32_t>* pixels, FilterRect* area) {
    const FilterResult* from = nullptr;
    if (n == FilterInputSourceGraphic || n == FilterInputSourceAlpha)
        from = &run->source;
    else if (n >= 0 && n < static_cast<int>(run->results.size()))
        from = &run->results[n];
    if (!NewImage(run, pixels, from ? &from->pixels : nullptr))
        return false;
    if (!from) {
        *area = FilterRect{0, 0, run->canvas->width, run->canvas->height};
        return true;
    }
    *area = from->area;
    if (n == FilterInputSourceAlpha) {
        // Black in either colour space.
        for (uint32_t& p : *pixels)
            p &= 0xFF000000u;
        return true;
    }
    ToSpace(pixels, from->linear, linear);
    return true;
}

// A user-space vector in canvas pixels.
void DeviceVector(const Matrix2D& m, float x, float y, float* dx, float* dy) {
    *dx = m.a * x + m.c * y;
    *dy = m.b * x + m.d * y;
}

float ScaleX(const Matrix2D& m) {
    return std::hypot(m.a, m.b);
}
float ScaleY(const Matrix2D& m) {
    return std::hypot(m.c, m.d);
}

// The flood colour as a premultiplied pixel in the colour space.
uint32_t FloodPixel(uint32_t straight, int linear) {
    uint32_t p = straight;
    PremultiplyPixels(&p, 1);
    if (linear)
        SrgbToLinearPixels(&p, 1);
    return p;
}

int Round(float v) {
    const float limit = 1 << 24;
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::lround(std::min(std::max(v, -limit), limit)));
}

// The whole pixels of a distance, its fraction dropped.
int Whole(float v) {
    const float limit = 1 << 24;
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::min(std::max(v, -limit), limit));
}

// Sets every pixel's colour to the shadow colour, keeping its alpha
// weighed by the colour's.
void ColourAlpha(std::vector<uint32_t>* pixels, uint32_t colour) {
    const FilterColour c = UnpackPixel(colour);
    for (uint32_t& p : *pixels) {
        const float a = (p >> 24) / 255.0f * c.a;
        p = PackPremultiplied(FilterColour{c.r * a, c.g * a, c.b * a, a});
    }
}

// A drop shadow: the input's alpha in the shadow colour, blurred and moved,
// under the input.
bool RunDropShadow(ChainRun* run, const FilterPrimitive& p, std::vector<uint32_t>* out) {
    const FilterCanvas& c = *run->canvas;
    std::vector<uint32_t> shadow;
    if (!NewImage(run, &shadow))
        return false;
    ColourAlpha(out, p.colour);
    if (p.linear) {
        // The shadow colour is given in sRGB.
        SrgbToLinearPixels(out->data(), static_cast<int>(out->size()));
    }
    if (!GaussianBlurPixels(out->data(), c.width, c.height, p.deviationX * ScaleX(c.device),
                            p.deviationY * ScaleY(c.device), EdgeNone))
        return false;
    float dx, dy;
    DeviceVector(c.device, p.dx, p.dy, &dx, &dy);
    OffsetPixels(out->data(), shadow.data(), c.width, c.height, Round(dx), Round(dy));
    std::vector<uint32_t> top;
    FilterRect ignored;
    if (!InputCopy(run, p.in1, p.linear, &top, &ignored))
        return false;
    CompositePixels(top.data(), shadow.data(), out->data(), static_cast<int>(run->count),
                    CompositeOver, p.k);
    Recycle(run, &top);
    Recycle(run, &shadow);
    return true;
}

// Lighting of the input's alpha, the light placed in canvas pixels.
bool RunLighting(ChainRun* run, const FilterPrimitive& p, std::vector<uint32_t>* out) {
    const FilterCanvas& c = *run->canvas;
    std::vector<uint32_t> lit;
    if (!NewImage(run, &lit))
        return false;
    uint32_t colour = p.colour | 0xFF000000u;
    if (p.linear)
        SrgbToLinearPixels(&colour, 1);
    const FilterColour rgb = UnpackPixel(colour);
    const FilterLight& l = p.light;
    const float scale = std::sqrt(std::fabs(c.device.a * c.device.d - c.device.b * c.device.c));
    float x = l.x, y = l.y, toX = l.pointsAtX, toY = l.pointsAtY;
    ApplyMatrix(c.device, &x, &y);
    ApplyMatrix(c.device, &toX, &toY);
    const LightingParams params = {p.mode,
                                   p.surfaceScale,
                                   p.lightingConstant,
                                   p.specularExponent,
                                   rgb.r,
                                   rgb.g,
                                   rgb.b,
                                   l.kind,
                                   l.azimuth,
                                   l.elevation,
                                   x,
                                   y,
                                   l.z * scale,
                                   toX,
                                   toY,
                                   l.pointsAtZ * scale,
                                   l.spotExponent,
                                   l.hasCone,
                                   l.coneAngle};
    LightPixels(out->data(), lit.data(), c.width, c.height, params);
    out->swap(lit);
    Recycle(run, &lit);
    return true;
}

// Convolves the subregion's pixels as an image of their own: its edges, not
// the canvas's, are where the edge mode repeats or wraps the picture.
bool RunConvolve(ChainRun* run, const FilterPrimitive& p, std::vector<uint32_t>* out,
                 const FilterRect& area) {
    const int canvasWidth = run->canvas->width;
    const int width = area.right - area.left, height = area.bottom - area.top;
    std::vector<uint32_t> part, convolved;
    if (!NewImage(run, &convolved))
        return false;
    try {
        part.resize(static_cast<size_t>(width) * height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < height; y++) {
        const uint32_t* row = out->data() + static_cast<size_t>(area.top + y) * canvasWidth;
        std::copy(row + area.left, row + area.right, part.begin() + static_cast<size_t>(y) * width);
    }
    const ConvolveKernel kernel = {p.orderX,  p.orderY, p.targetX, p.targetY,      p.values,
                                   p.divisor, p.bias,   p.mode,    p.preserveAlpha};
    ConvolvePixels(part.data(), convolved.data(), width, height, kernel);
    std::fill(out->begin(), out->end(), 0u);
    for (int y = 0; y < height; y++) {
        const uint32_t* row = convolved.data() + static_cast<size_t>(y) * width;
        std::copy(row, row + width,
                  out->begin() + static_cast<size_t>(area.top + y) * canvasWidth + area.left);
    }
    Recycle(run, &convolved);
    return true;
}

// Runs primitive p into out (already its first input, in its colour space);
// image is what an image primitive draws.
bool RunPrimitive(ChainRun* run, const FilterPrimitive& p, const uint32_t* image,
                  std::vector<uint32_t>* out, const FilterRect& inArea, const FilterRect& area) {
    FilterCanvas& c = *run->canvas;
    const int n = static_cast<int>(run->count);
    switch (p.kind) {
    case PrimitiveBlur:
        return GaussianBlurPixels(out->data(), c.width, c.height, p.deviationX * ScaleX(c.device),
                                  p.deviationY * ScaleY(c.device), p.mode);
    case PrimitiveOffset: {
        std::vector<uint32_t> moved;
        if (!NewImage(run, &moved))
            return false;
        float dx, dy;
        DeviceVector(c.device, p.dx, p.dy, &dx, &dy);
        OffsetPixels(out->data(), moved.data(), c.width, c.height, Whole(dx), Whole(dy));
        out->swap(moved);
        Recycle(run, &moved);
        return true;
    }
    case PrimitiveFlood:
        std::fill(out->begin(), out->end(), 0u);
        FloodPixels(out->data(), c.width, c.height, area, FloodPixel(p.colour, p.linear));
        return true;
    case PrimitiveColourMatrix:
        ApplyColourMatrix(out->data(), n, ColourMatrixOf(p.mode, p.values));
        return true;
    case PrimitiveComponentTransfer:
        ApplyComponentTransfer(out->data(), n, p.transfer);
        return true;
    case PrimitiveComposite:
    case PrimitiveBlend: {
        std::vector<uint32_t> bottom;
        FilterRect ignored;
        if (!InputCopy(run, p.in2, p.linear, &bottom, &ignored))
            return false;
        if (p.kind == PrimitiveComposite)
            CompositePixels(out->data(), bottom.data(), out->data(), n, p.mode, p.k);
        else
            BlendPixels(out->data(), bottom.data(), out->data(), n, p.mode);
        Recycle(run, &bottom);
        return true;
    }
    case PrimitiveMerge: {
        std::fill(out->begin(), out->end(), 0u);
        for (int input : p.inputs) {
            std::vector<uint32_t> layer;
            FilterRect ignored;
            if (!InputCopy(run, input, p.linear, &layer, &ignored))
                return false;
            CompositePixels(layer.data(), out->data(), out->data(), n, CompositeOver, p.k);
            Recycle(run, &layer);
        }
        return true;
    }
    case PrimitiveMorphology: {
        const int rx = Round(p.radiusX * ScaleX(c.device)),
                  ry = Round(p.radiusY * ScaleY(c.device));
        return MorphologyPixels(out->data(), c.width, c.height, rx, ry, p.mode == 1);
    }
    case PrimitiveTile: {
        std::vector<uint32_t> tiled;
        if (!NewImage(run, &tiled))
            return false;
        TilePixels(out->data(), tiled.data(), c.width, c.height, inArea);
        out->swap(tiled);
        Recycle(run, &tiled);
        return true;
    }
    case PrimitiveDropShadow:
        return RunDropShadow(run, p, out);
    case PrimitiveConvolve:
        return RunConvolve(run, p, out, area);
    case PrimitiveLighting:
        return RunLighting(run, p, out);
    case PrimitiveImage:
        if (image)
            std::copy(image, image + run->count, out->begin());
        else
            std::fill(out->begin(), out->end(), 0u);
        if (image && p.linear)
            SrgbToLinearPixels(out->data(), n);
        return true;
    case PrimitiveDisplacement: {
        // The map is read in the primitive's colour space, the moved input
        // stays in its own.
        std::vector<uint32_t> map, moved;
        FilterRect ignored;
        if (!InputCopy(run, p.in2, p.linear, &map, &ignored) || !NewImage(run, &moved))
            return false;
        DisplacePixels(out->data(), map.data(), moved.data(), c.width, c.height,
                       p.dx * ScaleX(c.device), p.dy * ScaleY(c.device), p.xChannel, p.yChannel);
        out->swap(moved);
        Recycle(run, &moved);
        Recycle(run, &map);
        return true;
    }
    case PrimitiveTurbulence: {
        std::fill(out->begin(), out->end(), 0u);
        // Stitched tiles are the subregion's pixels.
        const TurbulenceParams params = {p.baseFrequencyX,
                                         p.baseFrequencyY,
                                         p.octaves,
                                         p.seed,
                                         p.mode,
                                         p.stitch,
                                         static_cast<double>(area.left),
                                         static_cast<double>(area.top),
                                         static_cast<double>(area.right - area.left),
                                         static_cast<double>(area.bottom - area.top)};
        TurbulencePixels(out->data(), c.width, c.height, area, c.device, params);
        return true;
    }
    default:
        std::fill(out->begin(), out->end(), 0u);
        return true;
    }
}

// Images of primitives no later one reads are dropped as the chain goes.
int LastUse(const FilterRecord& filter, int n) {
    int last = n + 1; // the next one reads the previous result by default
    for (size_t i = static_cast<size_t>(n) + 1; i < filter.primitives.size(); i++) {
        const FilterPrimitive& p = filter.primitives[i];
        bool reads = p.in1 == n || p.in2 == n;
        for (int input : p.inputs)
            reads = reads || input == n;
        if (reads)
            last = static_cast<int>(i);
    }
    return last;
}

bool RunChain(ChainRun* run) {
    const FilterRecord& f = *run->filter;
    FilterCanvas& c = *run->canvas;
    const FilterRect whole = {0, 0, c.width, c.height};
    const FilterRect region = Intersect(whole, PixelsOf(c.device, f.x, f.y, f.width, f.height));
    if (!NewImage(run, &run->source.pixels))
        return false;
    std::copy(c.pixels, c.pixels + run->count, run->source.pixels.begin());
    ClearOutside(run->source.pixels.data(), c.width, c.height, region);
    run->source.area = region;
    std::vector<int> lastUse;
    for (size_t i = 0; i < f.primitives.size(); i++)
        lastUse.push_back(LastUse(f, static_cast<int>(i)));
    for (size_t i = 0; i < f.primitives.size(); i++) {
        const FilterPrimitive& p = f.primitives[i];
        FilterResult result;
        FilterRect inArea;
        result.linear = p.kind == PrimitiveDisplacement ? InputSpace(run, p.in1) : p.linear;
        if (!InputCopy(run, p.in1, result.linear, &result.pixels, &inArea))
            return false;
        result.area = Intersect(region, PixelsOf(c.device, p.x, p.y, p.width, p.height));
        const uint32_t* image = c.images ? c.images[i] : nullptr;
        if (!RunPrimitive(run, p, image, &result.pixels, inArea, result.area))
            return false;
        ClearOutside(result.pixels.data(), c.width, c.height, result.area);
        if (p.tileFromInput)
            result.area = inArea;
        run->results.push_back(std::move(result));
        // Frees the images no later primitive reads.
        for (size_t j = 0; j < i; j++) {
            if (lastUse[j] <= static_cast<int>(i))
                Recycle(run, &run->results[j].pixels);
        }
    }
    if (run->results.empty())
        return false;
    FilterResult& last = run->results.back();
    ToSpace(&last.pixels, last.linear, 0);
    std::copy(last.pixels.begin(), last.pixels.end(), c.pixels);
    return true;
}

} // namespace

bool RunFilter(const FilterRecord& filter, FilterCanvas* canvas, size_t* budget) {
    if (!canvas || !canvas->pixels || canvas->width < 1 || canvas->height < 1)
        return false;
    ChainRun run;
    run.filter = &filter;
    run.canvas = canvas;
    run.budget = budget;
    run.count = static_cast<size_t>(canvas->width) * static_cast<size_t>(canvas->height);
    return RunChain(&run);
}
