// Throughput figures of Vexlar's hot paths, one section per function. Build
// it in a non-sanitized Release folder for meaningful numbers:
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXLAR_SANITIZE=OFF
//   cmake --build build-bench --target vexlar-bench && build-bench/bin/vexlar-bench [load]
// With "load" only the document load is measured.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include <expat.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "render/graphics.h"
#include "svg/load.h"
#include "svg/records/document.h"
#include "svg/values/path_data.h"
#include "svg/xml/xml_parse.h"
#include "svg/xml/xml_tree.h"
#include "tools/portable/hostile_style_files.h"

namespace {

// Processor time of the whole program: on a busy machine it measures the
// work better than the wall clock does.
double ProcessorSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// About `size` characters of path data using every command, absolute and
// relative, with the number forms the scanner meets (signs, points,
// exponents, numbers without separators).
std::string MakePathData(size_t size) {
    static const char* const pieces[] = {
        "M10.5,20.25 ",
        "L30 40 ",
        "l-5.5-6.25 ",
        "H100 h-20.5 V50 v1e1 ",
        "C10,20 30,40 50,60 ",
        "c1.5.5 2.5-3 4,4 ",
        "S70 80 90 100 s-1-2-3-4 ",
        "Q10 20 30 40 q5 5 10 0 ",
        "T50 60 t10-10 ",
        "A25 25 -30 0 1 50 25 ",
        "a12.5,10 0 1,0 20,-20 ",
        "Z m3 3 ",
        "z ",
    };
    std::string d;
    d.reserve(size + 64);
    size_t i = 0;
    while (d.size() < size)
        d += pieces[i++ % (sizeof pieces / sizeof pieces[0])];
    return d;
}

// Parses `text` into fresh paths `repeat` times per round; returns the best
// round's seconds and the point count of one parse.
double TimeParsing(const std::string& text, int repeat, int* points) {
    const int rounds = 5;
    double best = 1e30;
    for (int round = 0; round < rounds; round++) {
        double start = ProcessorSeconds();
        for (int i = 0; i < repeat; i++) {
            GfxPath* path = GfxCreatePath();
            ParsePathData(path, text.data(), text.size());
            *points = GfxGetPathPointCount(path);
            GfxDeletePath(path);
        }
        double seconds = ProcessorSeconds() - start;
        if (seconds < best)
            best = seconds;
    }
    return best;
}

// Megabytes per second of path text as the file holds it (UTF-8 bytes),
// processor time, best of five rounds: one 10 MB "d" text in one path, and
// the same amount as 16 KB texts each in its own path (the size of real
// drawings' paths).
void BenchPathData() {
    const double megabyte = 1024.0 * 1024.0;
    std::string big = MakePathData(10 * 1024 * 1024);
    int points = 0;
    double seconds = TimeParsing(big, 1, &points);
    std::printf("path data, one %.1f MB path (%d points): %.3f s, %.1f MB/s\n",
                big.size() / megabyte, points, seconds, big.size() / megabyte / seconds);

    std::string small = MakePathData(16 * 1024);
    int repeat = static_cast<int>(big.size() / small.size());
    seconds = TimeParsing(small, repeat, &points);
    double total = static_cast<double>(small.size()) * repeat / megabyte;
    std::printf("path data, %d paths of %.0f KB (%d points each): %.3f s, %.1f MB/s\n", repeat,
                small.size() / 1024.0, points, seconds, total / seconds);
}

// A drawing as design tools write them: a style sheet of classes, linear and
// radial gradients (some inheriting through references), and groups with
// transforms and opacity holding curved paths, rounded rectangles, circles
// and polygons, with ids, classes, inline styles and gradient fills.
std::string MakeDrawing(int groups) {
    unsigned seed = 7;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return std::to_string((seed >> 16) % static_cast<unsigned>(n));
    };
    std::string t = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" viewBox=\"0 0 2000 2000\" "
                    "width=\"2000\" height=\"2000\">\n<style>\n";
    for (int c = 0; c < 40; c++)
        t += ".c" + std::to_string(c) + " { fill: #" + std::to_string(100000 + c * 7919) +
             "; stroke-width: " + std::to_string(c % 4 + 1) + " }\n";
    t += "</style>\n<defs>\n";
    for (int g = 0; g < 100; g++) {
        std::string id = std::to_string(g);
        t += "  <linearGradient id=\"lg" + id + "\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"" +
             std::to_string(g % 2) + "\"><stop offset=\"0\" stop-color=\"#ff" +
             std::to_string(1000 + g) +
             "\"/><stop offset=\"0.5\" stop-color=\"rgb(10,20,30)\" stop-opacity=\"0.5\"/>"
             "<stop offset=\"1\" stop-color=\"navy\"/></linearGradient>\n";
        t += "  <radialGradient id=\"rg" + id + "\" xlink:href=\"#lg" + id +
             "\" cx=\"50%\" cy=\"50%\" r=\"50%\" fx=\"30%\"/>\n";
    }
    t += "</defs>\n";
    for (int g = 0; g < groups; g++) {
        t += "<g id=\"layer" + std::to_string(g) + "\" transform=\"translate(" + next(2000) + "," +
             next(2000) + ") rotate(" + next(360) + ")\" opacity=\"0.9\">\n";
        for (int p = 0; p < 8; p++) {
            t += "  <path id=\"p" + std::to_string(g) + "_" + std::to_string(p) + "\" class=\"c" +
                 next(40) + "\" d=\"M" + next(500) + "." + next(100) + "," + next(500);
            for (int k = 0; k < 6; k++)
                t += " C" + next(500) + ".5," + next(500) + " " + next(500) + "," + next(500) +
                     ".25 " + next(500) + "," + next(500);
            t += " a12.5,10 0 1,0 20,-20 l-12.5,4.75 h10 v-3 z\"";
            if (p % 3 == 0)
                t += std::string(" fill=\"url(#") + (p % 2 ? "lg" : "rg") + next(100) + ")\"";
            if (p % 4 == 1)
                t += " style=\"stroke:#333;stroke-linejoin:round;fill-opacity:.8\"";
            t += "/>\n";
        }
        t += "  <rect x=\"" + next(100) +
             "\" y=\"4\" width=\"40\" height=\"20\" rx=\"3\" fill=\"#abc\" stroke=\"black\" "
             "stroke-width=\"0.5\"/>\n"
             "  <circle cx=\"10\" cy=\"10\" r=\"" +
             next(30) + "\" fill=\"rgb(200,100,50)\"/>\n" +
             "  <polygon points=\"0,0 10,0 10,10 5,15 0,10\" class=\"c3\"/>\n</g>\n";
    }
    return t + "</svg>\n";
}

// A file name in the temporary folder that a benchmark run by someone else
// at the same time does not use.
std::filesystem::path TemporaryFile(const char* purpose) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::filesystem::temp_directory_path() /
           ("vexlar-bench-" + std::string(purpose) + "-" + std::to_string(stamp) + ".svg");
}

// Best of five rounds of processor time.
template <typename Work> double BestSeconds(Work work) {
    double best = 1e30;
    for (int round = 0; round < 5; round++) {
        double start = ProcessorSeconds();
        work();
        double seconds = ProcessorSeconds() - start;
        if (seconds < best)
            best = seconds;
    }
    return best;
}

// Loading a large drawing from a file, next to expat alone parsing the same
// bytes from memory with no handlers: the tree build (file read included)
// and the whole load as multiples of that.
void BenchDocumentLoad() {
    std::string text = MakeDrawing(5000);
    std::filesystem::path file = TemporaryFile("load");
    {
        std::ofstream out(file, std::ios::binary);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const std::wstring path = file.wstring();
    bool parsed = true;
    double expat = BestSeconds([&] {
        XML_Parser parser = XML_ParserCreate(nullptr);
        parsed = parsed &&
                 XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
        XML_ParserFree(parser);
    });
    double tree = BestSeconds([&] {
        XmlTree* built = LoadXmlTree(path);
        parsed = parsed && XmlParseSucceeded(built);
        ReleaseXmlTree(built);
    });
    int shapes = 0;
    double load = BestSeconds([&] {
        SvgDocument document = SvgDocument();
        parsed = parsed && LoadSvgDocument(path, &document);
        shapes = document.shapeCount;
        ClearSvgDocument(&document);
    });
    std::error_code error;
    std::filesystem::remove(file, error);
    if (!parsed)
        std::printf("document load: the drawing did not parse\n");
    const double megabyte = 1024.0 * 1024.0;
    std::printf("document load, %.1f MB, %d shapes: expat alone %.3f s (%.1f MB/s), "
                "XML tree %.3f s (%.2f x expat), LoadSvgDocument %.3f s (%.2f x expat)\n",
                text.size() / megabyte, shapes, expat, text.size() / megabyte / expat, tree,
                tree / expat, load, load / expat);
}

// The hostile style sheets at full size: 100,000 rules and elements, a
// class named 100,000 times, 256 style elements around a 4 MB rule.
void BenchHostileStyleSheets() {
    const struct {
        const char* name;
        std::string text;
    } files[] = {
        {"100,000 identical rules", ManyIdenticalRules(100000)},
        {"a class named 100,000 times", OneClassNamedManyTimes(100000)},
        {"256 nested style elements", NestedStyleElements(256, 4 * 1024 * 1024)},
    };
    std::filesystem::path file = TemporaryFile("style");
    for (const auto& f : files) {
        {
            std::ofstream out(file, std::ios::binary);
            out.write(f.text.data(), static_cast<std::streamsize>(f.text.size()));
        }
        bool loaded = true;
        double seconds = BestSeconds([&] {
            SvgDocument document = SvgDocument();
            loaded = loaded && LoadSvgDocument(file.wstring(), &document);
            ClearSvgDocument(&document);
        });
        std::printf("hostile style sheet, %s (%.1f MB): LoadSvgDocument %.3f s%s\n", f.name,
                    f.text.size() / (1024.0 * 1024.0), seconds, loaded ? "" : " (failed)");
    }
    std::error_code error;
    std::filesystem::remove(file, error);
}

} // namespace

int main(int argc, char** argv) {
    // "load" measures document loading alone (for profiling it).
    const bool loadOnly = argc > 1 && std::string(argv[1]) == "load";
#ifdef __GLIBC__
    // Keep freed memory for reuse instead of returning it to the system, so
    // that rounds after the first measure the work rather than first-touch
    // page faults of fresh memory (very costly on virtual machines).
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    uintptr_t token = 0;
    if (!GfxStartup(&token)) {
        std::fprintf(stderr, "vexlar-bench: the graphics library did not start\n");
        return 1;
    }
    if (!loadOnly)
        BenchPathData();
    BenchDocumentLoad();
    if (!loadOnly)
        BenchHostileStyleSheets();
    GfxShutdown(token);
    return 0;
}
