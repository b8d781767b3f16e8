#include "render_support.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "layers/layer_render.h"
#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/load.h"
#include "svg/records/document.h"
#include "svg/records/not_drawn.h"

#include <windows.h>

void StartGraphicsForTests() {
    static int started = 0;
    if (started)
        return;
    uintptr_t token = 0;
    ASSERT_EQ(1, GfxStartup(&token));
    GfxResolvePathBounds();
    started = 1; // kept running until the program ends
}

static ShapeRecord* AppendWithPath(SvgDocument* document, GfxPath* path) {
    ShapeRecord* shape = AppendShapeRecord(document);
    if (!shape) {
        GfxDeletePath(path);
        return nullptr;
    }
    shape->path = path;
    IdentityMatrix(&shape->matrix);
    shape->miterLimit = 4.0f;
    shape->fillOpacity = shape->strokeOpacity = 1.0f;
    return shape;
}

ShapeRecord* AddFilledRect(SvgDocument* document, float x, float y, float width, float height,
                           uint32_t argb) {
    GfxPath* path = GfxCreatePath();
    GfxAddRectangle(path, x, y, width, height);
    ShapeRecord* shape = AppendWithPath(document, path);
    shape->fillColor = argb;
    shape->hasFill = 1;
    shape->boundsX = x;
    shape->boundsY = y;
    shape->boundsWidth = width;
    shape->boundsHeight = height;
    shape->boundsValid = 1;
    return shape;
}

ShapeRecord* AddStrokedLine(SvgDocument* document, float x1, float y1, float x2, float y2,
                            float width, uint32_t argb) {
    GfxPath* path = GfxCreatePath();
    GfxAddLine(path, x1, y1, x2, y2);
    ShapeRecord* shape = AppendWithPath(document, path);
    shape->strokeColor = argb;
    shape->strokeWidth = width;
    shape->hasStroke = 1;
    return shape;
}

TestLayer::TestLayer(float width, float height, int withViewBox) : layer() {
    layer.opacity = 255;
    layer.document.width = width;
    layer.document.height = height;
    if (withViewBox) {
        layer.document.viewBoxWidth = width;
        layer.document.viewBoxHeight = height;
        layer.document.hasViewBox = 1;
    }
}

TestLayer::~TestLayer() {
    ClearSvgDocument(&layer.document);
}

Canvas::Canvas(int w, int h, uint32_t fill)
    : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

Canvas RenderToCanvas(Layer* layer, int width, int height) {
    Canvas canvas(width, height, 0xDEADBEEFu);
    EXPECT_EQ(1, RenderLayerPixels(layer, canvas.pixels.data(), width, height));
    return canvas;
}

Canvas RenderSvgText(const std::string& svg, int width, int height, int layoutMode,
                     std::wstring* report) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"vexlar-render-test.svg";
    FILE* file = _wfopen(path.c_str(), L"wb");
    EXPECT_TRUE(file != nullptr);
    if (file) {
        std::fwrite(svg.data(), 1, svg.size(), file);
        std::fclose(file);
    }
    Layer layer = Layer();
    layer.opacity = 255;
    layer.layoutMode = layoutMode;
    EXPECT_EQ(1, LoadSvgDocument(path, &layer.document)) << svg;
    Canvas canvas = RenderToCanvas(&layer, width, height);
    if (report)
        *report = NotDrawnReport(&layer.document);
    ClearSvgDocument(&layer.document);
    _wremove(path.c_str());
    return canvas;
}

PixelBox OpaqueBox(const Canvas& canvas, int minAlpha) {
    PixelBox box = {-1, -1, -1, -1};
    for (int y = 0; y < canvas.height; y++) {
        for (int x = 0; x < canvas.width; x++) {
            if (AlphaOf(canvas.At(x, y)) < minAlpha)
                continue;
            if (box.left < 0) {
                box = {x, y, x + 1, y + 1};
                continue;
            }
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return box;
}

std::wstring TestDataPath(const char* name) {
    std::string path = std::string(VEXLAR_TEST_DATA) + "/" + name;
    return WideFromUtf8(path.data(), path.size());
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
