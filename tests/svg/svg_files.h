// Test support for the loader: real files in a private temporary folder, and
// a document that loads them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "svg/records/document.h"

// The folder of this test program's files (made on first use).
const std::wstring& TempFolder();
std::wstring TempPath(const std::wstring& name);
// Writes the bytes to the named file in the folder; returns its path.
std::wstring WriteTempFile(const std::wstring& name, const std::string& bytes);
// The same without failing the test: false when the file cannot be written.
bool TryWriteTempFile(const std::wstring& name, const std::string& bytes, std::wstring* path);

// The fixture of tests that load files. The graphics layer is already
// running: graphics_environment.cpp starts it for the whole program.
class GraphicsTest : public ::testing::Test {};

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
