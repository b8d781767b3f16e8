// Showing, moving and clipping a Layer's overlay window.
#include "layers/overlay.h"

#include <algorithm>

#include "layers/registry.h"
#include "plugin/host_text.h"

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

// What the overlay shows of the bitmap: all of it, but while a render at a
// smaller client size is pending only the part that fits the client area
// (a client area of 0 x 0 still shows its 1 x 1 bitmap).
static SIZE ShownSize(const Layer* layer) {
    RECT client = {};
    GetClientRect(layer->hostWindow, &client);
    return SIZE{std::min(layer->bitmapWidth, std::max(1, static_cast<int>(client.right))),
                std::min(layer->bitmapHeight, std::max(1, static_cast<int>(client.bottom)))};
}

// Pushes the premultiplied bitmap's top-left `size` pixels into the
// per-pixel-alpha window at p, which takes that size.
static void PushBitmap(Layer* layer, POINT p, SIZE size) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, layer->bitmap);
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
    const SIZE size = ShownSize(layer);
    SetWindowPos(layer->overlayWindow, nullptr, p.x, p.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(layer->overlayWindow, SW_SHOWNOACTIVATE);
    PushBitmap(layer, p, size);
    ClipOverlay(layer, p.x, p.y);
}

void RepositionOverlay(Layer* layer) {
    if (!layer || !layer->overlayWindow || !layer->hostWindow || !LayerIsOnScreen(layer))
        return;
    POINT p = ClientOriginOnScreen(layer->hostWindow);
    RECT now = {};
    GetWindowRect(layer->overlayWindow, &now);
    const SIZE size = ShownSize(layer);
    if (layer->bitmap && (now.right - now.left != size.cx || now.bottom - now.top != size.cy)) {
        // A size change waits for its render: the old picture stays in
        // place, unscaled, cut to the new client area.
        PushBitmap(layer, p, size);
    } else if (now.left != p.x || now.top != p.y) {
        SetWindowPos(layer->overlayWindow, nullptr, p.x, p.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ClipOverlay(layer, p.x, p.y);
}

// Gives the overlay the region `wanted` (in window coordinates; all of the
// window when null) unless it has it already: every change asks for a redraw.
// The system owns a region once it is set; one that could not be set, for
// an overlay that is gone, is ours to delete.
static void SetOverlayRegion(HWND overlay, const RECT* wanted) {
    RECT box = {};
    const int kind = GetWindowRgnBox(overlay, &box);
    if (!wanted) {
        if (kind != ERROR)
            SetWindowRgn(overlay, nullptr, TRUE);
        return;
    }
    const bool empty = IsRectEmpty(wanted);
    if ((empty && kind == NULLREGION) ||
        (!empty && kind == SIMPLEREGION && EqualRect(&box, wanted)))
        return;
    HRGN region = CreateRectRgnIndirect(wanted);
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
    const SIZE size = ShownSize(layer);
    const RECT overlay = {x, y, x + size.cx, y + size.cy};
    const RECT visible = {std::max(overlay.left, frame.left), std::max(overlay.top, frame.top),
                          std::min(overlay.right, frame.right),
                          std::min(overlay.bottom, frame.bottom)};
    if (visible.left >= visible.right || visible.top >= visible.bottom) {
        const RECT nothing = {0, 0, 0, 0};
        SetOverlayRegion(layer->overlayWindow, &nothing);
    } else if (EqualRect(&visible, &overlay)) {
        SetOverlayRegion(layer->overlayWindow, nullptr);
    } else {
        const RECT part = {visible.left - x, visible.top - y, visible.right - x,
                           visible.bottom - y};
        SetOverlayRegion(layer->overlayWindow, &part);
    }
}

int RenderAndPresentLayer(Layer* layer) {
    const int drawn = UpdateLayerBitmap(layer);
    PresentLayer(layer);
    return drawn;
}

// A render that follows the host window belongs to no action: its failure
// is said without one's name. Said last, as writing it runs host code.
static void RenderAndPresentAfterChange(Layer* layer) {
    if (!RenderAndPresentLayer(layer))
        SetLastError(L"Out of memory.");
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
        RenderAndPresentAfterChange(layer);
    } else if (layer->visible && layer->overlayWindow) {
        RepositionOverlay(layer);
    }
}

// The message that asks a host window to render its Layer: registered, so it
// means nothing to the host's own procedure if it ever reaches it (0 when it
// cannot be registered).
static UINT DeferredRenderMessage() {
    static const UINT message = RegisterWindowMessageW(L"Vexlar.DeferredRender");
    return message;
}

// A request the message loop has not served for this long is taken as
// lost (a loop that removed it, a queue that was full) and asked again: a
// second message for one render does nothing.
static const DWORD RenderRequestPatience = 250; // milliseconds

// Asks the message loop for one render of the Layer; 0 when it cannot.
static int RequestDeferredRender(Layer* layer) {
    const DWORD now = GetTickCount();
    if (layer->renderPending && now - layer->renderRequestedAt < RenderRequestPatience)
        return 1; // asked already: this size change joins the pending render
    const UINT message = DeferredRenderMessage();
    if (!message || !PostMessageW(layer->hostWindow, message, 0, 0))
        return 0;
    layer->renderPending = 1;
    layer->renderRequestedAt = now;
    return 1;
}

void FollowHostWindowChange(Layer* layer) {
    if (!layer || !layer->hostWindow || !IsWindow(layer->hostWindow))
        return;
    RECT client = {};
    GetClientRect(layer->hostWindow, &client);
    if (client.right == layer->lastClientWidth && client.bottom == layer->lastClientHeight) {
        if (layer->visible && layer->overlayWindow)
            RepositionOverlay(layer);
        return;
    }
    if (!RequestDeferredRender(layer)) {
        RelayoutLayer(layer);
        return;
    }
    layer->lastClientWidth = client.right;
    layer->lastClientHeight = client.bottom;
    RepositionOverlay(layer);
}

int IsRenderRequest(UINT message) {
    return message != 0 && message == DeferredRenderMessage();
}

void RenderPendingLayer(HWND window) {
    Layer* layer = FindLayerByHostWindow(window, nullptr);
    if (layer && layer->renderPending && TeardownDepth() == 0)
        RenderAndPresentAfterChange(layer);
}
