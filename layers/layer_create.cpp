// Creating a Layer for a host Rectangle, or updating the one it has.
#include "layers/layer_actions.h"

#include "layers/graphics_start.h"
#include "layers/layout_text.h"
#include "layers/overlay.h"
#include "layers/registry.h"
#include "layers/tint.h"
#include "plugin/entry_points.h"
#include "plugin/host_text.h"
#include "svg/text.h"

namespace {

int Fail(const std::wstring& message) {
    SetLastError(message);
    return 0;
}

// A borderless, click-through, per-pixel-alpha pop-up owned by the host's
// top-level window, so it stays above that window and goes with it.
HWND CreateOverlayWindow(HWND hostWindow) {
    return CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT, L"STATIC", L"",
                           WS_POPUP, 0, 0, 10, 10, GetAncestor(hostWindow, GA_ROOT), nullptr,
                           ModuleInstance(), nullptr);
}

// Stops a Layer's subclassing of a window it no longer belongs to.
void UnsubclassWindow(Layer* layer) {
    if (layer->hostWindow && IsWindow(layer->hostWindow))
        SetWindowLongPtrW(layer->hostWindow, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(layer->savedWindowProc));
    RemoveSubclassEntry(layer->hostWindow);
    layer->savedWindowProc = nullptr;
}

// Installs HostWindowProc on the Layer's host window. A window that still
// carries it from a Layer that is gone keeps its entry in the SubclassTable:
// that entry is the window's own procedure, and subclassing again would make
// HostWindowProc forward to itself.
void SubclassHostWindow(Layer* layer) {
    HWND window = layer->hostWindow;
    WNDPROC previous = nullptr;
    const WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (current == &HostWindowProc && FindSubclassEntry(window, &previous)) {
        layer->savedWindowProc = previous;
        return;
    }
    previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowProc)));
    if (previous == &HostWindowProc)
        previous = nullptr; // never forward to ourselves
    layer->savedWindowProc = previous;
    if (previous)
        SetSubclassEntry(window, previous);
}

void StoreOpacity(Layer* layer, int opacity, int isNew) {
    // For a new Layer 0 stands for "no value"; negative values mean opaque.
    if (opacity < 0 || (isNew && opacity == 0) || opacity > 255)
        opacity = 255;
    layer->opacity = opacity;
}

// Only a preset changes the tint here; custom colours come from LayerSetTint.
void StoreTint(Layer* layer, const std::wstring& tint, int isNew) {
    if (LookupTintPreset(tint, &layer->tintRed, &layer->tintGreen, &layer->tintBlue,
                         &layer->tintStrength))
        return;
    if (isNew) {
        layer->tintRed = layer->tintGreen = layer->tintBlue = 255;
        layer->tintStrength = 0;
    }
}

} // namespace

int LayerCreate(const std::wstring& rectName, const std::wstring& svgFile, int layoutMode,
                int opacity, const std::wstring& tint, const std::wstring& margins) {
    const std::wstring name = TrimBlanks(rectName);
    if (name.empty())
        return Fail(L"Layer:Create - RectName is blank.");
    PurgeDeferredReleases();
    if (!StartGraphics())
        return Fail(L"Layer:Create - GDI+ startup failed.");

    const std::wstring key = LayerKey(name);
    Layer* layer = FindLayerByKey(key);
    const int isNew = layer == nullptr;
    if (isNew) {
        layer = AddLayer(key);
        if (!layer)
            return Fail(L"Layer:Create - Out of memory.");
    }

    // A handle that is no window is as good as none.
    HWND window = reinterpret_cast<HWND>(QueryObjectHandle(name));
    if (!window || !IsWindow(window)) {
        if (isNew)
            RemoveLayer(key);
        return Fail(L"Layer:Create - Rectangle not found: " + name);
    }
    // One Layer per window: a second name for the same window would subclass
    // it twice.
    std::wstring ownerKey;
    if (FindLayerByHostWindow(window, &ownerKey) && ownerKey != key) {
        if (isNew)
            RemoveLayer(key);
        return Fail(L"Layer:Create - Rectangle already has a layer: " + name);
    }

    if (layer->savedWindowProc && layer->hostWindow != window)
        UnsubclassWindow(layer);
    layer->hostWindow = window;
    if (!layer->savedWindowProc)
        SubclassHostWindow(layer);

    StoreOpacity(layer, opacity, isNew);
    layer->layoutMode = layoutMode;
    StoreMarginText(layer, margins);
    StoreTint(layer, tint, isNew);

    const std::wstring file = TrimBlanks(svgFile);
    if (!file.empty()) {
        ClearSvgDocument(&layer->document);
        ReleaseLayerBitmap(layer);
        if (!LoadSvgDocument(file, &layer->document)) {
            // The window stays subclassed; its next message gives it back its
            // own procedure (see HostWindowProc).
            if (isNew && !layer->overlayWindow) {
                ClearSvgDocument(&layer->document);
                RemoveLayer(key);
            }
            return 0;
        }
    }

    if (!layer->overlayWindow || !IsWindow(layer->overlayWindow)) {
        HWND overlay = CreateOverlayWindow(window);
        // Creating a window delivers messages: make sure the Layer is still there.
        layer = FindLayerByKey(key);
        if (!layer || layer->hostWindow != window) {
            if (overlay)
                DestroyWindow(overlay);
            return Fail(L"Layer:Create - Rectangle not found: " + name);
        }
        layer->overlayWindow = overlay;
        if (!overlay)
            return Fail(L"Layer:Create - Failed to create overlay window.");
    }

    RECT client = {};
    GetClientRect(window, &client);
    layer->lastClientWidth = client.right - client.left;
    layer->lastClientHeight = client.bottom - client.top;
    layer->visible = 1;
    UpdateLayerBitmap(layer);
    PresentLayer(layer);
    return 1;
}
