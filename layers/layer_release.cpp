// Ending a Layer's hold on windows and resources, shared by LayerDestroy, the
// host's tear-down notification and the module's unload.
#include "layers/layer_actions.h"

#include "layers/overlay.h"
#include "layers/registry.h"

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
    if (layer->hostWindow && layer->savedWindowProc && IsWindow(layer->hostWindow))
        SetWindowLongPtrW(layer->hostWindow, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(layer->savedWindowProc));
    if (layer->hostWindow)
        RemoveSubclassEntry(layer->hostWindow);
    HBITMAP bitmap = layer->bitmap;
    DetachLayerWindows(layer);
    ClearSvgDocument(&layer->document);
    if (bitmap)
        DeleteObject(bitmap);
}

void RestoreSubclassedWindows() {
    // Windows still in the table carry HostWindowProc although their Layer is
    // gone (a first creation whose file failed to load). Emptying the table
    // without putting their procedures back would cut the host off from them.
    // Entries of windows that no longer exist need nothing put back.
    for (HWND window : SnapshotSubclassedWindows()) {
        WNDPROC previous = nullptr;
        if (IsWindow(window) && FindSubclassEntry(window, &previous) &&
            GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HostWindowProc))
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    ClearSubclassTable();
}
