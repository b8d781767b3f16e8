// Showing, moving and clipping a Layer's overlay window.
#include "layers/overlay.h"

#include <algorithm>

#include "layers/registry.h"

static POINT ClientOriginOnScreen(HWND window) {
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

// The author wants the Layer seen, its Rectangle is on screen and the overlays
// are not paused. (Opacity is checked only where the picture is shown.)
static int LayerIsOnScreen(const Layer* layer) {
    return layer->visible && layer->hostWindow && IsWindowVisible(layer->hostWindow) &&
           !OverlaysPaused();
}

// Pushes the premultiplied bitmap into the per-pixel-alpha window at p.
static void PushBitmap(Layer* layer, POINT p) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, layer->bitmap);
    SIZE size = {layer->bitmapWidth, layer->bitmapHeight};
    POINT source = {0, 0};
    // The opacity is already in the pixels: the constant alpha stays 255.
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(layer->overlayWindow, screen, &p, &size, memory, &source, 0, &blend,
                        ULW_ALPHA);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void PresentLayer(Layer* layer) {
    if (!layer || !layer->overlayWindow || !layer->bitmap)
        return;
    if (!LayerIsOnScreen(layer) || layer->opacity == 0) {
        ShowWindow(layer->overlayWindow, SW_HIDE);
        return;
    }
    POINT p = ClientOriginOnScreen(layer->hostWindow);
    SetWindowPos(layer->overlayWindow, nullptr, p.x, p.y, layer->bitmapWidth, layer->bitmapHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(layer->overlayWindow, SW_SHOWNOACTIVATE);
    PushBitmap(layer, p);
    ClipOverlay(layer, p.x, p.y);
}

void RepositionOverlay(Layer* layer) {
    if (!layer || !layer->overlayWindow || !layer->hostWindow || !LayerIsOnScreen(layer))
        return;
    POINT p = ClientOriginOnScreen(layer->hostWindow);
    SetWindowPos(layer->overlayWindow, nullptr, p.x, p.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ClipOverlay(layer, p.x, p.y);
}

// The system owns a region once it is set (every change asks for a
// redraw); one that could not be set, for an overlay that is gone, is ours
// to delete.
static void SetOverlayRegion(HWND overlay, HRGN region) {
    if (region && !SetWindowRgn(overlay, region, TRUE))
        DeleteObject(region);
}

void ClipOverlay(Layer* layer, int x, int y) {
    if (!layer || !layer->overlayWindow || !layer->hostWindow)
        return;
    HWND top = GetAncestor(layer->hostWindow, GA_ROOT);
    if (!top)
        return;
    RECT frame = {};
    GetWindowRect(top, &frame);
    const RECT overlay = {x, y, x + layer->bitmapWidth, y + layer->bitmapHeight};
    const RECT visible = {std::max(overlay.left, frame.left), std::max(overlay.top, frame.top),
                          std::min(overlay.right, frame.right),
                          std::min(overlay.bottom, frame.bottom)};
    if (visible.left >= visible.right || visible.top >= visible.bottom) {
        SetOverlayRegion(layer->overlayWindow, CreateRectRgn(0, 0, 0, 0));
    } else if (EqualRect(&visible, &overlay)) {
        SetWindowRgn(layer->overlayWindow, nullptr, TRUE);
    } else {
        SetOverlayRegion(layer->overlayWindow,
                         CreateRectRgn(visible.left - x, visible.top - y, visible.right - x,
                                       visible.bottom - y));
    }
}

void HideOverlay(Layer* layer) {
    if (layer && layer->overlayWindow && IsWindow(layer->overlayWindow))
        ShowWindow(layer->overlayWindow, SW_HIDE);
}

static int HideLayerOverlay(const std::wstring&, Layer* layer, void*) {
    HideOverlay(layer);
    return 1;
}

void HideAllOverlays() {
    ForEachLayer(&HideLayerOverlay, nullptr);
}

void RelayoutLayer(Layer* layer) {
    if (!layer || !layer->hostWindow || !IsWindow(layer->hostWindow))
        return;
    RECT client = {};
    GetClientRect(layer->hostWindow, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width != layer->lastClientWidth || height != layer->lastClientHeight) {
        layer->lastClientWidth = width;
        layer->lastClientHeight = height;
        UpdateLayerBitmap(layer);
        PresentLayer(layer);
    } else if (layer->visible && layer->overlayWindow) {
        RepositionOverlay(layer);
    }
}
