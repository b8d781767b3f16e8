// Shared pieces of the renderer tests: GDI+ started once, drawings built
// shape by shape, and pixel access.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layers/layer.h"
#include "svg/records/document.h"

// Starts GDI+ (and the path-bounds entry point) for the whole program.
void StartGraphicsForTests();

// A filled rectangle (straight-alpha colour) appended to the document, in the
// shape's own user space with an identity matrix; returns the record.
ShapeRecord* AddFilledRect(SvgDocument* document, float x, float y, float width, float height,
                           uint32_t argb);
// A stroked open line from (x1, y1) to (x2, y2), flat caps, no fill.
ShapeRecord* AddStrokedLine(SvgDocument* document, float x1, float y1, float x2, float y2,
                            float width, uint32_t argb);

// A Layer with an all-zero record, opacity 255 and the given document size
// (and a matching viewBox when withViewBox is set). Frees its document at the
// end of the scope.
struct TestLayer {
    Layer layer;
    TestLayer(float width, float height, int withViewBox);
    ~TestLayer();
    TestLayer(const TestLayer&) = delete;
    TestLayer& operator=(const TestLayer&) = delete;
};

// A straight-alpha buffer rendered from a layer.
struct Canvas {
    int width, height;
    std::vector<uint32_t> pixels;
    Canvas(int w, int h, uint32_t fill = 0);
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline int AlphaOf(uint32_t p) {
    return static_cast<int>(p >> 24);
}
inline int RedOf(uint32_t p) {
    return static_cast<int>((p >> 16) & 0xFF);
}
inline int GreenOf(uint32_t p) {
    return static_cast<int>((p >> 8) & 0xFF);
}
inline int BlueOf(uint32_t p) {
    return static_cast<int>(p & 0xFF);
}

// Renders the layer into a new width x height canvas (straight alpha).
Canvas RenderToCanvas(Layer* layer, int width, int height);
// Loads the SVG text (through a file, as a Layer loads one) and renders it
// in the layout mode; a load that fails is a test failure. *report, when
// given, gets the account of what was not drawn, render included.
Canvas RenderSvgText(const std::string& svg, int width, int height, int layoutMode,
                     std::wstring* report = nullptr);

// The bounding box of the pixels whose alpha is at least minAlpha; all -1
// when there are none. right and bottom are exclusive.
struct PixelBox {
    int left, top, right, bottom;
};
PixelBox OpaqueBox(const Canvas& canvas, int minAlpha);

std::wstring TestDataPath(const char* name);

// Wine's GDI+ differs from Windows' in a few drawing details; tests that meet
// one check the Windows result on Windows and say what Wine does.
bool RunningUnderWine();
