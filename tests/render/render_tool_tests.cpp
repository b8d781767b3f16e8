// vexlar-render, run as a program the way an author runs it: its exit codes,
// its messages and the picture it writes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "layers/layer_render.h"
#include "render/graphics.h"
#include "render_support.h"
#include "svg/base/strings.h"
#include "svg/load.h"

#include <windows.h>

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring TemporaryFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, n) + name;
}

std::string ReadWholeFile(const std::wstring& path) {
    std::ifstream in(Utf8FromWide(path).c_str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct ToolRun {
    DWORD exitCode;
    std::string output; // standard output and standard error together
};

// Runs vexlar-render with the arguments (in the folder, when one is given);
// its output goes through a file.
ToolRun RunTool(const std::wstring& arguments, const std::wstring& folder = L"") {
    ToolRun run = {~0u, ""};
    // A new file each run: under Wine an ended child may still hold the last
    // one for a moment, and opening it again would fail with a sharing error.
    static int runs = 0;
    std::wstring outputPath =
        TemporaryFile((L"vexlar-render-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(++runs) + L".txt")
                          .c_str());
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return run;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::wstring program = ProgramFolder() + L"vexlar-render.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    run.output = ReadWholeFile(outputPath);
    DeleteFileW(outputPath.c_str());
    return run;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

class RenderTool : public ::testing::Test {
  protected:
    void SetUp() override { StartGraphicsForTests(); }
};

} // namespace

TEST_F(RenderTool, BadOptionsShowTheUsageAndExitWithTwo) {
    const std::wstring drawing = Quoted(TestDataPath("render/badge.svg"));
    const std::wstring cases[] = {
        L"",
        drawing,                                          // no output file
        drawing + L" out.png",                            // no size
        drawing + L" out.png --size 10",                  // not W x H
        drawing + L" out.png --size 0x10",                // below 1
        drawing + L" out.png --size 10x10 --opacity 256", // above 255
        drawing + L" out.png --size 10x10 --opacity -1",  //
        drawing + L" out.png --size 10x10 --tint Custom", // not a preset
        drawing + L" out.png --size 10x10 --tint-rgb 1,2,3",
        drawing + L" out.png --size 10x10 --tint-rgb 1,2,3,300",
        drawing + L" out.png --size 10x10 --tint \"Blue Ice\" --tint-rgb 1,2,3,4",
        drawing + L" out.png --size 10x10 --rotate ninety",
        drawing + L" out.png --size 10x10 --frobnicate 1",
        drawing + L" out.png --size 10x10 --margin", // value missing
        L"--batch list.txt",                         // no output folder
        L"--records",                                // no drawing
    };
    for (const std::wstring& arguments : cases) {
        ToolRun run = RunTool(arguments);
        EXPECT_EQ(2u, run.exitCode) << Utf8FromWide(arguments);
        EXPECT_NE(std::string::npos, run.output.find("usage: vexlar-render"))
            << Utf8FromWide(arguments);
    }
    ToolRun help = RunTool(L"--help");
    EXPECT_EQ(0u, help.exitCode);
    EXPECT_NE(std::string::npos, help.output.find("--tint-rgb R,G,B,STRENGTH"));
}

TEST_F(RenderTool, DrawingsThatCannotBeLoadedReportTheModulesMessage) {
    std::wstring missing = TestDataPath("render/no-such-drawing.svg");
    ToolRun run = RunTool(Quoted(missing) + L" out.png --size 10x10");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_NE(std::string::npos,
              run.output.find("SVG file not found or empty: " + Utf8FromWide(missing)))
        << run.output;

    run = RunTool(Quoted(TestDataPath("render/broken.svg")) + L" out.png --size 10x10");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ(0u, run.output.find("SVG XML error: ")) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("(line 3)")) << run.output;
}

// The dump is byte for byte the golden the native tests compare with: same
// numbers, "\n" line ends.
TEST_F(RenderTool, RecordsPrintTheGoldenDumpOrTheModulesMessage) {
    ToolRun run = RunTool(L"--records " + Quoted(TestDataPath("records/clips-masks.svg")));
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(ReadWholeFile(TestDataPath("records/clips-masks.txt")), run.output);

    const std::wstring missing = TestDataPath("records/no-such-drawing.svg");
    run = RunTool(L"--records " + Quoted(missing));
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ(0u, run.output.find("SVG file not found or empty: " + Utf8FromWide(missing)))
        << run.output;
}

TEST_F(RenderTool, WritesWhatTheLayerShowsWithStraightAlpha) {
    std::wstring png = TemporaryFile(L"vexlar-render-test.png");
    DeleteFileW(png.c_str());
    ToolRun run = RunTool(Quoted(TestDataPath("render/badge.svg")) + L" " + Quoted(png) +
                          L" --size 90x70 --layout stretch --margin \"4 6\" --opacity 128 "
                          L"--tint-rgb 255,0,0,255 --rotate -10");
    ASSERT_EQ(0u, run.exitCode) << run.output;

    Layer layer = Layer();
    layer.layoutMode = LayoutStretch;
    layer.marginTop = layer.marginBottom = 4;
    layer.marginLeft = layer.marginRight = 6;
    layer.opacity = 128;
    layer.tintRed = 255;
    layer.tintStrength = 255;
    layer.rotation = -10.0f;
    ASSERT_EQ(1, LoadSvgDocument(TestDataPath("render/badge.svg"), &layer.document));
    Canvas expected = RenderToCanvas(&layer, 90, 70);
    ClearSvgDocument(&layer.document);

    uint32_t* written = nullptr;
    int width = 0, height = 0;
    ASSERT_EQ(1, GfxLoadImage(png.c_str(), &written, &width, &height));
    ASSERT_EQ(90, width);
    ASSERT_EQ(70, height);
    int differing = 0;
    for (int i = 0; i < width * height; i++) {
        uint32_t a = expected.pixels[static_cast<size_t>(i)], b = written[i];
        if (a != b && ((a >> 24) != 0 || (b >> 24) != 0))
            differing++;
    }
    EXPECT_EQ(0, differing);
    // The badge's white face, fully tinted red at half opacity: straight
    // alpha keeps red at 255 (premultiplied it would read 128).
    uint32_t face = written[12 * 90 + 41];
    EXPECT_EQ(128, AlphaOf(face));
    EXPECT_EQ(255, RedOf(face));
    EXPECT_EQ(0, GreenOf(face));
    delete[] written;
    DeleteFileW(png.c_str());
}

namespace {

void WriteText(const std::wstring& path, const char* text) {
    std::ofstream out(Utf8FromWide(path).c_str(), std::ios::binary);
    out << text;
}

} // namespace

// Each drawing takes its reference's size: the PNG beside it, else 300 wide
// by its view; a root without viewBox is seen through "0 0 W H". A drawing
// that fails is reported and the rest are still drawn.
TEST_F(RenderTool, BatchSizesEachDrawingLikeItsReference) {
    wchar_t temp[MAX_PATH];
    std::wstring folder(temp, GetTempPathW(MAX_PATH, temp));
    folder += L"vexlar-batch";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\in").c_str(), nullptr);
    // Left half red: 50 x 20 units drawn 300 x 120, so x = 25 lands at 150.
    WriteText(folder + L"\\in\\plain.svg",
              "<svg xmlns='http://www.w3.org/2000/svg' width='50' height='20'>"
              "<rect width='25' height='20' fill='red'/></svg>");
    WriteText(folder + L"\\in\\boxed.svg",
              "<svg xmlns='http://www.w3.org/2000/svg' viewBox='10 10 10 10' width='5'>"
              "<rect x='10' y='10' width='10' height='10' fill='blue'/></svg>");
    uint32_t grey[40 * 30] = {};
    ASSERT_EQ(1, GfxSavePng((folder + L"\\in\\boxed.png").c_str(), grey, 40, 30));
    WriteText(folder + L"\\list.txt",
              "# drawings\r\nin/plain.svg\r\n\r\nin/missing.svg\nin/boxed.svg\n");

    ToolRun run = RunTool(L"--batch list.txt out", folder);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_NE(std::string::npos,
              run.output.find("in/missing.svg: SVG file not found or empty: in/missing.svg"))
        << run.output;
    EXPECT_NE(std::string::npos, run.output.find("batch: 2 rendered, 1 failed")) << run.output;

    struct Expected {
        const wchar_t* picture;
        int width, height, x, y;
        uint32_t colour;
    } cases[] = {
        {L"\\out\\in\\plain.png", 300, 120, 149, 60, 0xFFFF0000u},
        {L"\\out\\in\\plain.png", 300, 120, 151, 60, 0},
        // The 1 : 1 view drawn 30 x 30, centred in the 40 x 30 reference.
        {L"\\out\\in\\boxed.png", 40, 30, 3, 15, 0},
        {L"\\out\\in\\boxed.png", 40, 30, 20, 15, 0xFF0000FFu},
    };
    for (const Expected& e : cases) {
        uint32_t* pixels = nullptr;
        int width = 0, height = 0;
        ASSERT_EQ(1, GfxLoadImage((folder + e.picture).c_str(), &pixels, &width, &height))
            << Utf8FromWide(e.picture);
        EXPECT_EQ(e.width, width);
        EXPECT_EQ(e.height, height);
        if (width == e.width && height == e.height) {
            EXPECT_EQ(e.colour, pixels[e.y * width + e.x]) << Utf8FromWide(e.picture) << " " << e.x;
        }
        delete[] pixels;
    }
}

// The examples on one sheet, one row of 100 x 80 cells: each drawing where it
// is opaque exactly as its Layer shows it, over white elsewhere, with a name
// written under it.
TEST_F(RenderTool, SheetShowsEachDrawingOfTheFolderAsItsLayerDoes) {
    const std::wstring png = TemporaryFile(L"vexlar-sheet-test.png");
    ToolRun run = RunTool(L"--sheet " + Quoted(TestDataPath("../../examples")) + L" " +
                          Quoted(png) + L" --size 100x80 --layout stretch");
    ASSERT_EQ(0u, run.exitCode) << run.output;
    uint32_t* sheet = nullptr;
    int width = 0, height = 0;
    ASSERT_EQ(1, GfxLoadImage(png.c_str(), &sheet, &width, &height));
    DeleteFileW(png.c_str());
    EXPECT_EQ(8 + 3 * 108, width);
    EXPECT_EQ(8 + 80 + 18 + 8, height);
    const char* names[] = {"../../examples/icon.svg", "../../examples/landscape.svg",
                           "../../examples/logo.svg"};
    for (int i = 0; i < 3 && width == 332 && height == 114; i++) {
        Layer layer = Layer();
        layer.layoutMode = LayoutStretch;
        layer.opacity = 255;
        ASSERT_EQ(1, LoadSvgDocument(TestDataPath(names[i]), &layer.document));
        Canvas expected = RenderToCanvas(&layer, 100, 80);
        ClearSvgDocument(&layer.document);
        int differing = 0, written = 0;
        for (int y = 0; y < 80; y++) {
            for (int x = 0; x < 100; x++) {
                const uint32_t e = expected.pixels[static_cast<size_t>(y) * 100 + x];
                const uint32_t s = sheet[(8 + y) * width + 8 + i * 108 + x];
                if ((AlphaOf(e) == 255 && s != e) || (AlphaOf(e) == 0 && s != 0xFFFFFFFFu))
                    differing++;
            }
        }
        for (int y = 8 + 82; y < 8 + 98; y++) {
            for (int x = 8 + i * 108; x < 8 + i * 108 + 100; x++)
                written += RedOf(sheet[y * width + x]) < 128;
        }
        EXPECT_EQ(0, differing) << names[i];
        EXPECT_LT(10, written) << names[i];
    }
    delete[] sheet;
}

// A drawing that does not load shows the module's message in red in its
// place (and prints it); the sheet is still written.
TEST_F(RenderTool, SheetShowsTheModulesMessageForADrawingThatDidNotLoad) {
    wchar_t temp[MAX_PATH];
    std::wstring folder(temp, GetTempPathW(MAX_PATH, temp));
    folder += L"vexlar-sheet";
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteText(folder + L"\\a.svg", "<svg xmlns='http://www.w3.org/2000/svg'><rect/></svg>");
    WriteText(folder + L"\\b.svg", "<svg>\n<rect\n</svg>");
    WriteText(folder + L"\\c.txt", "not a drawing");
    ToolRun run = RunTool(L"--sheet vexlar-sheet sheet.png --size 120x60", folder + L"\\..");
    ASSERT_EQ(0u, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("b.svg: SVG XML error: ")) << run.output;
    uint32_t* sheet = nullptr;
    int width = 0, height = 0;
    ASSERT_EQ(1, GfxLoadImage((folder + L"\\..\\sheet.png").c_str(), &sheet, &width, &height));
    EXPECT_EQ(8 + 2 * 128, width); // c.txt is no drawing
    int red[2] = {0, 0};
    for (int cell = 0; cell < 2 && width == 264; cell++) {
        for (int y = 8; y < 68; y++) {
            for (int x = 8 + cell * 128; x < 128 + cell * 128; x++) {
                const uint32_t p = sheet[y * width + x];
                red[cell] += RedOf(p) > 150 && GreenOf(p) < 100;
            }
        }
    }
    EXPECT_EQ(0, red[0]);
    EXPECT_LT(10, red[1]);
    delete[] sheet;
}
