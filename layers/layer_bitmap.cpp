// The Layer's bitmap: made at the host's client size, re-made only when that
// size changes, re-rendered on every update.
#include "layers/overlay.h"

#include "layers/layer_render.h"

static int renderCount = 0;

int LayerRenderCount() {
    return renderCount;
}

HBITMAP CreateLayerBitmap(int width, int height, uint32_t** pixels) {
    *pixels = nullptr;
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory)
        DeleteDC(memory);
    if (screen)
        ReleaseDC(nullptr, screen);
    if (bitmap && bits)
        *pixels = static_cast<uint32_t*>(bits);
    return bitmap;
}

void ReleaseLayerBitmap(Layer* layer) {
    if (!layer->bitmap)
        return;
    DeleteObject(layer->bitmap);
    layer->bitmap = nullptr;
    layer->pixels = nullptr;
    layer->bitmapWidth = 0;
    layer->bitmapHeight = 0;
}

int UpdateLayerBitmap(Layer* layer) {
    if (!layer || !layer->hostWindow || !IsWindow(layer->hostWindow))
        return 1;
    RECT client = {};
    GetClientRect(layer->hostWindow, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (width < 1)
        width = 1;
    if (height < 1)
        height = 1;
    layer->renderPending = 0; // whatever waited is served by this render
    if (!layer->bitmap || layer->bitmapWidth != width || layer->bitmapHeight != height) {
        ReleaseLayerBitmap(layer);
        layer->bitmap = CreateLayerBitmap(width, height, &layer->pixels);
        // Kept even when the bitmap could not be made, as the size asked for.
        layer->bitmapWidth = width;
        layer->bitmapHeight = height;
    }
    if (!layer->bitmap)
        return 0;
    const int drawn = RenderLayer(layer);
    renderCount++;
    return drawn;
}
