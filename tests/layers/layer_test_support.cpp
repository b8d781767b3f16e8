#include "layer_test_support.h"

#include <cstdio>

std::string WriteTempFile(const std::string& fileName, const std::string& text) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + fileName;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    return path;
}

std::string SolidSvg(const char* colour) {
    return std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" "
                       "viewBox=\"0 0 100 100\"><rect x=\"0\" y=\"0\" width=\"100\" "
                       "height=\"100\" fill=\"") +
           colour + "\"/></svg>";
}

std::string SplitSvg() {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\" "
           "viewBox=\"0 0 100 100\"><rect x=\"0\" y=\"0\" width=\"50\" height=\"100\" "
           "fill=\"#ff0000\"/><rect x=\"50\" y=\"0\" width=\"50\" height=\"100\" "
           "fill=\"#0000ff\"/></svg>";
}

std::string BrokenSvg() {
    return "this is <not xml";
}

int GdiObjectCount() {
    const int reported = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    if (reported > 0)
        return reported;
    // Wine keeps GDI objects in a table indexed by the low word of the handle
    // and accepts a handle without its generation in the high word.
    int count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; index++) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            count++;
    }
    return count;
}

namespace {
BOOL CALLBACK CountChild(HWND, LPARAM context) {
    ++*reinterpret_cast<int*>(context);
    return TRUE;
}
BOOL CALLBACK CountProcessWindow(HWND window, LPARAM context) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(context);
        EnumChildWindows(window, &CountChild, context);
    }
    return TRUE;
}
} // namespace

int UserObjectCount() {
    const int reported = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    if (reported > 0)
        return reported;
    int count = 0;
    EnumWindows(&CountProcessWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

void DllLayerTest::SetUp() {
    ASSERT_EQ(1, LoadFakeHost(&host));
    StartFakeHost(&host);
    ASSERT_EQ(1, CreateHostWindow(&window, &host, 100, 100, 640, 480));
    redFile = WriteTempFile("vexlar_red.svg", SolidSvg("#ff0000"));
    splitFile = WriteTempFile("vexlar_split.svg", SplitSvg());
    brokenFile = WriteTempFile("vexlar_broken.svg", BrokenSvg());
}

void DllLayerTest::TearDown() {
    if (host.module)
        host.message(2, 0);
    UnloadFakeHost(&host);
    DestroyHostWindow(&window);
}

int DllLayerTest::Exec(int action, const std::vector<const char*>& params) {
    FakeParams p;
    SetFakeParams(&p, params);
    const int result = host.execAction(action, FakeParamArray(&p));
    PumpMessages();
    return result;
}

int DllLayerTest::Create(const char* rect, const std::string& file, const char* layout,
                         const char* opacity, const char* tint, const char* margin) {
    return Exec(1, {rect, file.c_str(), layout, opacity, tint, margin});
}

void DllLayerTest::Message(int message) {
    EXPECT_EQ(0, host.message(message, 0));
    PumpMessages();
}

HWND DllLayerTest::SingleOverlay() const {
    std::vector<HWND> overlays = Overlays();
    EXPECT_EQ(1u, overlays.size());
    return overlays.empty() ? nullptr : overlays[0];
}

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}

std::string RectText(const RECT& r) {
    char text[80];
    std::snprintf(text, sizeof text, "(%ld, %ld, %ld, %ld)", static_cast<long>(r.left),
                  static_cast<long>(r.top), static_cast<long>(r.right),
                  static_cast<long>(r.bottom));
    return text;
}
