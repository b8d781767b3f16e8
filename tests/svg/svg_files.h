// Test support for the loader: real files in a private temporary folder, and
// a fixture that starts the graphics layer (GDI+ must run before paths can be
// made or measured on Windows).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "svg/document.h"

// The folder of this test program's files (made on first use).
const std::wstring& TempFolder();
std::wstring TempPath(const std::wstring& name);
// Writes the bytes to the named file in the folder; returns its path.
std::wstring WriteTempFile(const std::wstring& name, const std::string& bytes);

class GraphicsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
};

// A document that clears itself; Load writes the text to a file first.
struct LoadedSvg {
    SvgDocument document;
    LoadedSvg() : document() {}
    ~LoadedSvg() { ClearSvgDocument(&document); }
    LoadedSvg(const LoadedSvg&) = delete;
    LoadedSvg& operator=(const LoadedSvg&) = delete;
    int Load(const std::string& text);
    const ShapeRecord& operator[](int i) const { return document.shapes[i]; }
    int Count() const { return document.shapeCount; }
};
