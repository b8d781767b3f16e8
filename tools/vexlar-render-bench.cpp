// vexlar-render-bench: how long RenderLayer takes for a drawing of a few
// hundred shapes (curved paths, strokes, linear and radial gradients) at
// four client sizes, and how long the three pixel passes take on their own
// next to a plain copy of the same buffer. Windows only (GDI+); prints
// milliseconds. An SVG file given as an argument is measured instead of the
// generated drawing; `--folder DIR` also renders every SVG file below DIR
// once at 256 x 256 and at 1024 x 768 and prints the median and the worst
// time per drawing:
//   vexlar-render-bench.exe [FILE.svg] [--folder DIR]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "layers/layer.h"
#include "layers/layer_render.h"
#include "layers/overlay.h"
#include "render/graphics.h"
#include "render/pixel_passes.h"
#include "svg/base/report.h"
#include "svg/base/strings.h"
#include "svg/load.h"
#include "svg/records/document.h"

#include <windows.h>

namespace {

typedef std::chrono::steady_clock Clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The fastest and the median of the runs: on a shared machine the fastest
// run is the one least disturbed by other work.
struct Timing {
    double fastest, median;
};

Timing Summarise(std::vector<double> runs) {
    std::sort(runs.begin(), runs.end());
    return {runs.front(), runs[runs.size() / 2]};
}

// A small deterministic generator, so every run measures the same drawing.
struct Random {
    uint32_t state = 12345;
    int Next(int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<uint32_t>(range));
    }
};

std::string Colour(Random& r) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", r.Next(256), r.Next(256), r.Next(256));
    return text;
}

// 320 shapes on a 400 x 300 canvas: 100 stroked curves, 80 rectangles with
// linear gradients, 60 circles with radial gradients, 80 translucent
// polygons with round-joined strokes.
std::string GeneratedDrawing() {
    Random r;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400\" height=\"300\" "
                      "viewBox=\"0 0 400 300\">\n<defs>\n";
    for (int i = 0; i < 8; i++) {
        svg += "<linearGradient id=\"l" + std::to_string(i) +
               "\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"" + std::to_string(i % 2) +
               "\"><stop offset=\"0\" stop-color=\"" + Colour(r) +
               "\"/><stop offset=\"0.5\" stop-color=\"" + Colour(r) +
               "\"/><stop offset=\"1\" stop-color=\"" + Colour(r) + "\"/></linearGradient>\n";
        svg += "<radialGradient id=\"r" + std::to_string(i) +
               "\" fx=\"0.3\" fy=\"0.3\"><stop offset=\"0\" stop-color=\"white\"/>"
               "<stop offset=\"1\" stop-color=\"" +
               Colour(r) + "\"/></radialGradient>\n";
    }
    svg += "</defs>\n";
    char element[512];
    for (int i = 0; i < 80; i++) {
        std::snprintf(element, sizeof element,
                      "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" rx=\"4\" "
                      "fill=\"url(#l%d)\"/>\n",
                      r.Next(360), r.Next(270), 10 + r.Next(60), 10 + r.Next(40), i % 8);
        svg += element;
    }
    for (int i = 0; i < 60; i++) {
        std::snprintf(element, sizeof element,
                      "<circle cx=\"%d\" cy=\"%d\" r=\"%d\" fill=\"url(#r%d)\"/>\n", r.Next(400),
                      r.Next(300), 5 + r.Next(30), i % 8);
        svg += element;
    }
    for (int i = 0; i < 100; i++) {
        int x = r.Next(400), y = r.Next(300);
        std::snprintf(element, sizeof element,
                      "<path d=\"M%d %d c %d %d %d %d %d %d s %d %d %d %d\" fill=\"none\" "
                      "stroke=\"%s\" stroke-width=\"%d\" stroke-linecap=\"round\"/>\n",
                      x, y, r.Next(80) - 40, r.Next(80) - 40, r.Next(80) - 40, r.Next(80) - 40,
                      r.Next(80) - 40, r.Next(80) - 40, r.Next(80) - 40, r.Next(80) - 40,
                      r.Next(80) - 40, r.Next(80) - 40, Colour(r).c_str(), 1 + r.Next(5));
        svg += element;
    }
    for (int i = 0; i < 80; i++) {
        int x = r.Next(400), y = r.Next(300);
        std::snprintf(
            element, sizeof element,
            "<polygon points=\"%d,%d %d,%d %d,%d %d,%d\" fill=\"%s\" fill-opacity=\"0.6\" "
            "stroke=\"%s\" stroke-width=\"2\" stroke-linejoin=\"round\"/>\n",
            x, y, x + r.Next(50), y + r.Next(20), x + r.Next(40), y + 10 + r.Next(40),
            x - r.Next(30), y + r.Next(30), Colour(r).c_str(), Colour(r).c_str());
        svg += element;
    }
    svg += "</svg>\n";
    return svg;
}

std::wstring WriteTemporaryDrawing(const std::string& text) {
    wchar_t folder[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder, n) + L"vexlar-render-bench.svg";
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return std::wstring();
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
}

// Renders the layer at the size `runs` times (after one warm-up).
Timing TimeRenders(Layer* layer, int width, int height, int runs) {
    uint32_t* pixels = nullptr;
    HBITMAP bitmap = CreateLayerBitmap(width, height, &pixels);
    if (!bitmap || !pixels)
        return {-1, -1};
    layer->bitmap = bitmap;
    layer->pixels = pixels;
    layer->bitmapWidth = width;
    layer->bitmapHeight = height;
    RenderLayer(layer);
    std::vector<double> times;
    for (int i = 0; i < runs; i++) {
        Clock::time_point start = Clock::now();
        RenderLayer(layer);
        times.push_back(MillisecondsSince(start));
    }
    layer->bitmap = nullptr;
    layer->pixels = nullptr;
    DeleteObject(bitmap);
    return Summarise(times);
}

void PrintTiming(const char* name, const Timing& t) {
    std::printf("  %-18s %8.2f %8.2f\n", name, t.fastest, t.median);
}

void TimePixelPasses() {
    const int width = 1920, height = 1080, count = width * height, runs = 30;
    std::vector<uint32_t> source(static_cast<size_t>(count));
    Random r;
    for (uint32_t& pixel : source) { // transparent, edge and opaque pixels mixed
        int kind = r.Next(10);
        uint32_t alpha = kind < 3 ? 0 : (kind < 5 ? static_cast<uint32_t>(r.Next(256)) : 255);
        pixel = (alpha << 24) | (static_cast<uint32_t>(r.Next(1 << 24)));
    }
    std::vector<uint32_t> buffer(source);
    std::vector<double> copy, opacity, tint, premultiply;
    for (int i = 0; i < runs; i++) {
        Clock::time_point start = Clock::now();
        std::memcpy(buffer.data(), source.data(), static_cast<size_t>(count) * 4);
        copy.push_back(MillisecondsSince(start));
        start = Clock::now();
        ApplyOpacity(buffer.data(), count, 200);
        opacity.push_back(MillisecondsSince(start));
        start = Clock::now();
        ApplyTint(buffer.data(), count, 255, 180, 120, 128);
        tint.push_back(MillisecondsSince(start));
        start = Clock::now();
        PremultiplyAlpha(buffer.data(), count);
        premultiply.push_back(MillisecondsSince(start));
    }
    std::printf("pixel passes on 1920x1080, %d runs   fastest   median (ms)\n", runs);
    PrintTiming("plain copy", Summarise(copy));
    PrintTiming("opacity", Summarise(opacity));
    PrintTiming("tint", Summarise(tint));
    PrintTiming("premultiply", Summarise(premultiply));
}

// A hostile file: one gradient with 100,000 stops referred to by 100,000
// gradients (and one shape using the last). Each element's stops are read
// once, so loading it stays linear.
// Milliseconds of each of `runs` loads of the file (-1 where a load failed).
std::vector<double> TimeLoads(const std::wstring& path, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; i++) {
        SvgDocument document = SvgDocument();
        Clock::time_point start = Clock::now();
        int loaded = LoadSvgDocument(path, &document);
        times.push_back(loaded ? MillisecondsSince(start) : -1);
        ClearSvgDocument(&document);
    }
    return times;
}

void TimeHostileGradientLoad() {
    const int count = 100000, runs = 3;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\"><linearGradient id=\"base\">";
    for (int i = 0; i < count; i++)
        svg += "<stop offset=\"0.5\" stop-color=\"red\"/>";
    svg += "</linearGradient>";
    for (int i = 0; i < count; i++)
        svg += "<linearGradient id=\"g" + std::to_string(i) + "\" href=\"#base\"/>";
    svg += "<rect width=\"10\" height=\"10\" fill=\"url(#g99999)\"/></svg>";
    std::wstring path = WriteTemporaryDrawing(svg);
    std::vector<double> times = TimeLoads(path, runs);
    std::printf("load of %d gradients referring to %d stops (%.1f MB), %d runs   fastest   "
                "median (ms)\n",
                count, count, svg.size() / 1e6, runs);
    PrintTiming("gradient chains", Summarise(times));
}

// How long the drawing given takes to load: parse, cascade and lay out its
// text into records.
void TimeFileLoad(const std::wstring& path) {
    const int runs = 10;
    std::vector<double> times = TimeLoads(path, runs);
    std::printf("load of the drawing, %d runs   fastest   median (ms)\n", runs);
    PrintTiming("load", Summarise(times));
}

struct FileTime {
    double milliseconds;
    std::wstring file;
};

void PrintFolderSize(int width, int height, std::vector<FileTime> times) {
    if (times.empty())
        return;
    std::sort(times.begin(), times.end(),
              [](const FileTime& a, const FileTime& b) { return a.milliseconds < b.milliseconds; });
    const FileTime& worst = times.back();
    std::printf("  %4dx%-4d median %8.2f   worst %8.2f  (%s)\n", width, height,
                times[times.size() / 2].milliseconds, worst.milliseconds,
                Utf8FromWide(worst.file).c_str());
}

// Every .svg file below `folder`, loaded once and rendered at two sizes (one
// warm-up render each, then one timed).
void TimeFolder(const std::wstring& folder) {
    std::vector<std::wstring> files;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error) && it->path().extension() == L".svg")
            files.push_back(it->path().wstring());
    }
    std::sort(files.begin(), files.end());
    const int sizes[2][2] = {{256, 256}, {1024, 768}};
    std::vector<FileTime> times[2];
    int failed = 0;
    for (const std::wstring& file : files) {
        Layer layer = Layer();
        layer.opacity = 255;
        if (!LoadSvgDocument(file, &layer.document)) {
            failed++;
            continue;
        }
        for (int s = 0; s < 2; s++) {
            Timing t = TimeRenders(&layer, sizes[s][0], sizes[s][1], 1);
            times[s].push_back({t.median, file.substr(folder.size())});
        }
        ClearSvgDocument(&layer.document);
    }
    std::printf("folder %s: %d drawings rendered, %d not loaded; time per drawing (ms)\n",
                Utf8FromWide(folder).c_str(), static_cast<int>(times[0].size()), failed);
    for (int s = 0; s < 2; s++)
        PrintFolderSize(sizes[s][0], sizes[s][1], times[s]);
}

} // namespace

int main(int argc, char** argv) {
    uintptr_t token = 0;
    if (!GfxStartup(&token)) {
        std::fprintf(stderr, "vexlar-render-bench: GDI+ startup failed.\n");
        return 1;
    }
    GfxResolvePathBounds();
    std::wstring file, folder;
    for (int i = 1; i < argc; i++) {
        std::wstring argument = WideFromUtf8(argv[i], std::strlen(argv[i]));
        if (argument == L"--folder" && i + 1 < argc) {
            i++;
            folder = WideFromUtf8(argv[i], std::strlen(argv[i]));
        } else {
            file = argument;
        }
    }
    std::wstring path = file.empty() ? WriteTemporaryDrawing(GeneratedDrawing()) : file;
    Layer layer = Layer();
    layer.opacity = 255;
    if (path.empty() || !LoadSvgDocument(path, &layer.document)) {
        std::fprintf(stderr, "%s\n", Utf8FromWide(LastReportedError()).c_str());
        return 1;
    }
    std::printf("drawing: %d shapes\n", layer.document.shapeCount);
    std::printf("RenderLayer            plain: fastest   median | with opacity and tint: "
                "fastest   median (ms)\n");
    const int sizes[4][3] = {{256, 256, 40}, {400, 300, 40}, {1024, 768, 20}, {1920, 1080, 10}};
    for (const auto& size : sizes) {
        Timing plain = TimeRenders(&layer, size[0], size[1], size[2]);
        layer.opacity = 200;
        layer.tintRed = 255;
        layer.tintGreen = 180;
        layer.tintBlue = 120;
        layer.tintStrength = 128;
        Timing passes = TimeRenders(&layer, size[0], size[1], size[2]);
        layer.opacity = 255;
        layer.tintStrength = 0;
        std::printf("  %4dx%-4d (%2d runs)         %8.2f %8.2f |                        %8.2f "
                    "%8.2f\n",
                    size[0], size[1], size[2], plain.fastest, plain.median, passes.fastest,
                    passes.median);
    }
    if (!file.empty())
        TimeFileLoad(path);
    TimePixelPasses();
    ClearSvgDocument(&layer.document);
    TimeHostileGradientLoad();
    if (!folder.empty())
        TimeFolder(folder);
    GfxShutdown(token);
    return 0;
}
