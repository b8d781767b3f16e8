// Hostile and damaged files: every load ends, fails with one of the loader's
// own messages or succeeds, and leaves nothing behind (the sanitizers and
// the leak checker watch the native run).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "svg/base/report.h"
#include "svg/base/strings.h"
#include "svg/build/walker.h"
#include "svg/load.h"
#include "svg/records/document.h"
#include "svg_files.h"

namespace {

class LoadRobustnessTest : public GraphicsTest {};

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// One of the four messages a failed load may write.
bool IsLoaderMessage(const std::wstring& message) {
    return StartsWith(message, L"SVG file not found or empty: ") ||
           message == L"Failed to parse SVG XML." ||
           (StartsWith(message, L"SVG XML error: ") && message.back() == L')') ||
           message == L"SVG file has no root element.";
}

const char* const SampleDrawing =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 100 100\" width=\"100\">\n"
    "  <style>.a { fill: #f80; stroke: navy }</style>\n"
    "  <defs><linearGradient id=\"g\" x2=\"0\" y2=\"1\"><stop offset=\"0\" stop-color=\"red\"/>"
    "<stop offset=\"100%\" stop-color=\"rgb(0,0,255)\" stop-opacity=\".5\"/></linearGradient>"
    "</defs>\n"
    "  <g transform=\"translate(5 5) rotate(10)\" opacity=\".8\">\n"
    "    <rect class=\"a\" x=\"1\" y=\"2\" width=\"30\" height=\"20\" rx=\"4\"/>\n"
    "    <circle cx=\"50\" cy=\"50\" r=\"10\" fill=\"url(#g)\"/>\n"
    "    <path d=\"M10 10 C 20 20, 40 20, 50 10 S 80 0 90 10 Z\" style=\"stroke:#000;"
    "stroke-width:2\"/>\n"
    "    <polygon points=\"1,1 5,1 3,4\"/><!-- comment -->\n"
    "    <![CDATA[ text ]]>\n"
    "  </g>\n"
    "</svg>\n";

TEST_F(LoadRobustnessTest, EveryTruncationOfAFileFailsCleanly) {
    const std::string full = SampleDrawing;
    const size_t rootEnd = full.rfind("</svg>") + 6;
    const size_t rootStart = full.find("<svg");
    for (size_t length = 0; length <= full.size(); length++) {
        LoadedSvg svg;
        int result = svg.Load(full.substr(0, length));
        const std::wstring& message = LastReportedError();
        if (length >= rootEnd) {
            EXPECT_EQ(1, result) << length;
            EXPECT_EQ(4, svg.Count());
        } else if (length == 0) {
            EXPECT_EQ(0, result);
            EXPECT_TRUE(StartsWith(message, L"SVG file not found or empty: "));
        } else if (length <= rootStart) {
            EXPECT_EQ(0, result) << length;
            EXPECT_TRUE(message == L"SVG file has no root element." ||
                        StartsWith(message, L"SVG XML error: "))
                << length << ": " << Utf8FromWide(message);
        } else {
            EXPECT_EQ(0, result) << length;
            EXPECT_TRUE(StartsWith(message, L"SVG XML error: ")) << length;
            EXPECT_EQ(0, svg.Count());
        }
    }
}

TEST_F(LoadRobustnessTest, BinaryGarbageFailsWithAnXmlError) {
    uint32_t seed = 12345;
    for (int round = 0; round < 200; round++) {
        std::string bytes(64 + round * 17, '\0');
        for (char& b : bytes) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<char>(seed >> 23);
        }
        if (round % 2) // garbage after a sound start
            bytes = "<svg><rect width='1' height='1'/>" + bytes;
        LoadedSvg svg;
        EXPECT_EQ(0, svg.Load(bytes)) << round;
        EXPECT_TRUE(StartsWith(LastReportedError(), L"SVG XML error: ")) << round;
        EXPECT_EQ(0, svg.Count());
    }
}

TEST_F(LoadRobustnessTest, EntityExpansionBombIsRefused) {
    std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"aaaaaaaaaa\">";
    std::string previous = "a";
    for (char name = 'b'; name <= 'k'; name++) {
        bomb += std::string("<!ENTITY ") + name + " \"";
        for (int i = 0; i < 10; i++)
            bomb += "&" + previous + ";";
        bomb += "\">";
        previous = std::string(1, name);
    }
    bomb += "]>\n<svg><rect width=\"1\" height=\"1\"/>\n<text>&k;</text></svg>";
    LoadedSvg svg;
    EXPECT_EQ(0, svg.Load(bomb));
    EXPECT_EQ(L"SVG XML error: limit on input amplification factor (from DTD and entities) "
              L"breached (line 3)",
              LastReportedError());
    EXPECT_EQ(0, svg.Count());
}

TEST_F(LoadRobustnessTest, TwentyMegabyteFile) {
    std::string text = "<svg viewBox='0 0 1000 1000'>\n";
    const std::string group = "<g transform='translate(1,2)' class='x' fill='#123456'>\n"
                              "  <path d='M0 0 L10 10 L20 0 Z M5 5 L6 6'/>\n"
                              "  <rect x='1' y='1' width='8' height='8' stroke='red'/>\n"
                              "  <polyline points='0,0 1,1 2,0 3,1 4,0 5,1 6,0 7,1 8,0'/>\n"
                              "</g>\n";
    int groups = 0;
    while (text.size() < 20u * 1024 * 1024) {
        text += group;
        groups++;
    }
    text += "</svg>\n";
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(text));
    EXPECT_EQ(groups * 3, svg.Count());
    EXPECT_EQ(1, svg.document.content.any);
}

TEST_F(LoadRobustnessTest, MegabyteAttributeValues) {
    std::string points, d = "M0 0", style, id(1 << 20, 'i');
    while (points.size() < (1u << 20))
        points += "1,2 3,4 ";
    while (d.size() < (1u << 20))
        d += " L1 2";
    while (style.size() < (1u << 20))
        style += "stroke:red;";
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load("<svg><polyline points='" + points + "'/><path d='" + d +
                          "'/><rect width='1' height='1' id='" + id + "' style='fill:lime;" +
                          style + "'/></svg>"));
    ASSERT_EQ(3, svg.Count());
    EXPECT_EQ(id.size(), svg[2].id.size());
    EXPECT_EQ(0xFF00FF00u, svg[2].fillColor);
    EXPECT_EQ(0xFFFF0000u, svg[2].strokeColor);
}

TEST_F(LoadRobustnessTest, HundredThousandLevelsDeep) {
    const int depth = 100000;
    std::string text = "<svg><rect id='top' width='1' height='1'/>";
    text.reserve(depth * 40);
    for (int i = 0; i < depth; i++)
        text += "<g><rect width='1' height='1'/>";
    for (int i = 0; i < depth; i++)
        text += "</g>";
    text += "</svg>";
    LoadedSvg svg;
    ASSERT_EQ(1, svg.Load(text));
    // The top rect, then one rect per level down to the depth limit.
    EXPECT_EQ(MaxWalkDepth, svg.Count());
    EXPECT_EQ(L"top", svg[0].id);
}

// The ".svg" files of a folder of the source tree, sorted.
std::vector<std::wstring> SvgFilesIn(const char* folder) {
    std::vector<std::wstring> paths;
    std::error_code error;
    std::filesystem::directory_iterator files(folder, error);
    for (; !error && files != std::filesystem::directory_iterator(); files.increment(error)) {
        if (files->path().extension() == ".svg")
            paths.push_back(files->path().wstring());
    }
    EXPECT_FALSE(error) << folder << ": " << error.message();
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Loads the file into a fresh document; 1 or 0 as the loader said, after
// checking that a failure wrote one of its messages and a success none.
int LoadChecked(const std::wstring& path, int* shapes) {
    SvgDocument document = SvgDocument();
    ReportLastError(L"");
    int result = LoadSvgDocument(path, &document);
    if (result == 0) {
        EXPECT_TRUE(IsLoaderMessage(LastReportedError())) << Utf8FromWide(path);
        EXPECT_EQ(0, document.shapeCount);
    } else {
        EXPECT_TRUE(LastReportedError().empty()) << Utf8FromWide(path);
    }
    *shapes = document.shapeCount;
    ClearSvgDocument(&document);
    return result;
}

// The fuzzer's seeds are sound drawings: each loads and draws something.
// Inputs kept from fuzzing (crashes and hangs, once fixed) must load or fail
// with one of the loader's messages.
TEST_F(LoadRobustnessTest, FuzzSeedsAndRegressions) {
    std::vector<std::wstring> seeds = SvgFilesIn(VEXLAR_TEST_DATA "/../fuzz/seeds");
    EXPECT_GE(seeds.size(), 5u);
    for (const std::wstring& path : seeds) {
        int shapes = 0;
        EXPECT_EQ(1, LoadChecked(path, &shapes)) << Utf8FromWide(path);
        EXPECT_GT(shapes, 0) << Utf8FromWide(path);
    }
    std::vector<std::wstring> kept = SvgFilesIn(VEXLAR_TEST_DATA "/fuzz-regressions");
    for (const std::wstring& path : kept) {
        int shapes = 0;
        LoadChecked(path, &shapes);
    }
    std::cout << "fuzz seeds: " << seeds.size() << ", kept inputs: " << kept.size() << "\n";
}

} // namespace
