// Shared set-up of the layers tests: SVG files written to the temporary
// folder, and a fixture that runs the real Vexlar.dll through a FakeHost next
// to a real host window.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/fake_host.h"
#include "common/host_window.h"

// Writes the text to a file in the temporary folder and returns its path
// (ANSI, as a host passes it).
std::string WriteTempFile(const std::string& fileName, const std::string& text);

// ASCII text as module text.
inline std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// A 100 x 100 drawing filled with one colour ("#ff0000" ...).
std::string SolidSvg(const char* colour);
// A 100 x 100 drawing: left half red, right half blue.
std::string SplitSvg();
// Not XML at all.
std::string BrokenSvg();

// Process-wide counts of GDI and USER objects (GetGuiResources). Under Wine,
// where GetGuiResources reports 0, the GDI count comes from probing the
// handle table and the USER count is the number of windows of the process.
int GdiObjectCount();
int UserObjectCount();

struct DllLayerTest : ::testing::Test {
    FakeHost host{};
    HostWindow window{};
    std::string redFile, splitFile, brokenFile;

    void SetUp() override;
    void TearDown() override;

    // Runs an action through _nbExecAction and lets the windows settle.
    int Exec(int action, const std::vector<const char*>& params);
    int Create(const char* rect, const std::string& file, const char* layout = "",
               const char* opacity = "", const char* tint = "", const char* margin = "");
    void Message(int message);
    std::string LastError() const { return FakeLastError(&host); }
    std::vector<HWND> Overlays() const { return OwnedWindows(window.main); }
    // The only overlay window; fails the test when there is not exactly one.
    HWND SingleOverlay() const;
};

bool SameRect(const RECT& a, const RECT& b);
std::string RectText(const RECT& r);
