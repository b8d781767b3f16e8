// Ending a Layer's hold on windows and resources, shared by LayerDestroy, the
// host's tear-down notification and the module's unload.
#include "layers/layer_actions.h"

#include "layers/overlay.h"
#include "layers/registry.h"
#include "layers/subclass.h"

void DetachLayerWindows(Layer* layer) {
    HWND overlay = layer->overlayWindow;
    layer->hostWindow = nullptr;
    layer->overlayWindow = nullptr;
    layer->bitmap = nullptr;
    layer->pixels = nullptr;
    layer->bitmapWidth = 0;
    layer->bitmapHeight = 0;
    layer->savedWindowProc = nullptr;
    layer->visible = 0;
    if (overlay && IsWindow(overlay)) {
        ShowWindow(overlay, SW_HIDE);
        DestroyWindow(overlay);
    }
}

void ReleaseLayerResources(Layer* layer) {
    if (layer->savedWindowProc)
        LeaveWindowChain(layer->hostWindow);
    HBITMAP bitmap = layer->bitmap;
    DetachLayerWindows(layer);
    ClearSvgDocument(&layer->document);
    if (bitmap)
        DeleteObject(bitmap);
}
