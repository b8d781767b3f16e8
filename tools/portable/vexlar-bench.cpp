// Throughput figures of Vexlar's hot paths, one section per function. Build
// it in a non-sanitized Release folder for meaningful numbers:
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXLAR_SANITIZE=OFF
//   cmake --build build-bench --target vexlar-bench && build-bench/bin/vexlar-bench
#include <cstdio>
#include <ctime>
#include <string>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "render/graphics.h"
#include "svg/path_data.h"

namespace {

// Processor time of the whole program: on a busy machine it measures the
// work better than the wall clock does.
double ProcessorSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// About `size` characters of path data using every command, absolute and
// relative, with the number forms the scanner meets (signs, points,
// exponents, numbers without separators).
std::wstring MakePathData(size_t size) {
    static const wchar_t* const pieces[] = {
        L"M10.5,20.25 ",
        L"L30 40 ",
        L"l-5.5-6.25 ",
        L"H100 h-20.5 V50 v1e1 ",
        L"C10,20 30,40 50,60 ",
        L"c1.5.5 2.5-3 4,4 ",
        L"S70 80 90 100 s-1-2-3-4 ",
        L"Q10 20 30 40 q5 5 10 0 ",
        L"T50 60 t10-10 ",
        L"A25 25 -30 0 1 50 25 ",
        L"a12.5,10 0 1,0 20,-20 ",
        L"Z m3 3 ",
        L"z ",
    };
    std::wstring d;
    d.reserve(size + 64);
    size_t i = 0;
    while (d.size() < size)
        d += pieces[i++ % (sizeof pieces / sizeof pieces[0])];
    return d;
}

// Parses `text` into fresh paths `repeat` times per round; returns the best
// round's seconds and the point count of one parse.
double TimeParsing(const std::wstring& text, int repeat, int* points) {
    const int rounds = 5;
    double best = 1e30;
    for (int round = 0; round < rounds; round++) {
        double start = ProcessorSeconds();
        for (int i = 0; i < repeat; i++) {
            GfxPath* path = GfxCreatePath();
            ParsePathData(path, text);
            *points = GfxGetPathPointCount(path);
            GfxDeletePath(path);
        }
        double seconds = ProcessorSeconds() - start;
        if (seconds < best)
            best = seconds;
    }
    return best;
}

// Megabytes per second of path text (one byte per character, as in a file),
// processor time, best of five rounds: one 10 MB "d" text in one path, and
// the same amount as 16 KB texts each in its own path (the size of real
// drawings' paths).
void BenchPathData() {
    const double megabyte = 1024.0 * 1024.0;
    std::wstring big = MakePathData(10 * 1024 * 1024);
    int points = 0;
    double seconds = TimeParsing(big, 1, &points);
    std::printf("path data, one %.1f MB path (%d points): %.3f s, %.1f MB/s\n",
                big.size() / megabyte, points, seconds, big.size() / megabyte / seconds);

    std::wstring small = MakePathData(16 * 1024);
    int repeat = static_cast<int>(big.size() / small.size());
    seconds = TimeParsing(small, repeat, &points);
    double total = static_cast<double>(small.size()) * repeat / megabyte;
    std::printf("path data, %d paths of %.0f KB (%d points each): %.3f s, %.1f MB/s\n", repeat,
                small.size() / 1024.0, points, seconds, total / seconds);
}

} // namespace

int main() {
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
    BenchPathData();
    GfxShutdown(token);
    return 0;
}
