// Creating a Layer for a host Rectangle, or updating the one it has.
#include "layers/layer_actions.h"

#include "layers/graphics_start.h"
#include "layers/layout_parameters.h"
#include "layers/overlay.h"
#include "layers/registry.h"
#include "layers/subclass.h"
#include "layers/tint.h"
#include "plugin/entry_points.h"
#include "plugin/host_text.h"
#include "svg/base/strings.h"
#include "svg/load.h"

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

// Looks the Layer up again after a call that can run host code: the host may
// have destroyed it (LayerDestroy, message 2, destroying its window) and even
// made a new one under the same key. Null unless it is still the same one.
Layer* FindSameLayer(const std::wstring& key, unsigned serial) {
    Layer* layer = FindLayerByKey(key);
    return layer && layer->serial == serial ? layer : nullptr;
}

// The Layer went away while it was being created, through host code.
int FailGone(const std::wstring& name, HWND window) {
    if (!IsWindow(window))
        return Fail(L"Layer:Create - Rectangle not found: " + name);
    return Fail(L"Layer:Create - Layer destroyed while being created: " + name);
}

// An overlay stays above its owner only: a Layer whose name moved to a
// Rectangle under another top-level window needs an overlay owned by that one.
void ReplaceOverlayOfAnotherOwner(Layer* layer, HWND window) {
    HWND overlay = layer->overlayWindow;
    if (!overlay || !IsWindow(overlay) ||
        GetWindow(overlay, GW_OWNER) == GetAncestor(window, GA_ROOT))
        return;
    layer->overlayWindow = nullptr;
    ShowWindow(overlay, SW_HIDE);
    DestroyWindow(overlay);
}

// Puts the Layer over the window, leaving the chain of the window it had.
void AttachHostWindow(Layer* layer, HWND window) {
    if (layer->savedWindowProc && layer->hostWindow != window) {
        LeaveWindowChain(layer->hostWindow);
        layer->savedWindowProc = nullptr;
    }
    layer->hostWindow = window;
    if (!layer->savedWindowProc)
        layer->savedWindowProc = JoinWindowChain(window);
}

// A first create that fails before its overlay exists takes its Layer away
// again, also when memory runs out on the way. The window stays subclassed;
// its next message gives it back its own procedure (see HostWindowProc).
struct NewLayerRollback {
    const std::wstring* key;
    unsigned serial;
    ~NewLayerRollback() {
        Layer* layer = key ? FindSameLayer(*key, serial) : nullptr;
        if (!layer || layer->overlayWindow)
            return;
        ClearSvgDocument(&layer->document);
        ReleaseLayerBitmap(layer);
        RemoveLayerRecord(layer);
    }
};

} // namespace

int LayerCreate(const std::wstring& rectName, const std::wstring& svgFile, int layoutMode,
                int opacity, const std::wstring& tint, const std::wstring& margins) {
    const std::wstring name = TrimBlanks(rectName);
    if (name.empty())
        return Fail(L"Layer:Create - RectName is blank.");
    PurgeDeferredReleases();
    if (!StartGraphics())
        return Fail(L"Layer:Create - GDI+ startup failed.");

    // Asked before the Layer is touched: answering runs host code, which may
    // destroy the Layer, its window or everything (message 2). A handle that
    // is no window is as good as none.
    HWND window = reinterpret_cast<HWND>(QueryObjectHandle(name));
    if (!window || !IsWindow(window))
        return Fail(L"Layer:Create - Rectangle not found: " + name);
    if (!StartGraphics()) // stopped by a message 2 during the request
        return Fail(L"Layer:Create - GDI+ startup failed.");
    // One Layer per window: a second name for the same window would subclass
    // it twice.
    const std::wstring key = LayerKey(name);
    std::wstring ownerKey;
    if (FindLayerByHostWindow(window, &ownerKey) && ownerKey != key)
        return Fail(L"Layer:Create - Rectangle already has a layer: " + name);

    Layer* layer = FindLayerByKey(key);
    const int isNew = layer == nullptr;
    if (isNew && !(layer = AddLayer(key)))
        return Fail(L"Layer:Create - Out of memory.");
    const unsigned serial = layer->serial;
    NewLayerRollback rollback = {isNew ? &key : nullptr, serial};

    AttachHostWindow(layer, window);
    StoreOpacity(layer, opacity, isNew);
    layer->layoutMode = layoutMode;
    StoreMarginText(layer, margins);
    StoreTint(layer, tint, isNew);

    const std::wstring file = TrimBlanks(svgFile);
    if (!file.empty()) {
        ClearSvgDocument(&layer->document);
        ReleaseLayerBitmap(layer);
        // Loaded aside: the message of a failed load runs host code.
        SvgDocument loaded = SvgDocument();
        const int ok = LoadSvgDocument(file, &loaded);
        layer = FindSameLayer(key, serial);
        if (!ok)
            return 0;
        if (!layer) {
            ClearSvgDocument(&loaded);
            return FailGone(name, window);
        }
        ClearSvgDocument(&layer->document);
        layer->document = loaded;
    }

    ReplaceOverlayOfAnotherOwner(layer, window);
    if (!layer->overlayWindow || !IsWindow(layer->overlayWindow)) {
        HWND overlay = CreateOverlayWindow(window);
        // Creating a window delivers messages: make sure the Layer is still there.
        layer = FindSameLayer(key, serial);
        if (!layer || layer->hostWindow != window) {
            if (overlay)
                DestroyWindow(overlay);
            return FailGone(name, window);
        }
        layer->overlayWindow = overlay;
        if (!overlay) {
            rollback.key = nullptr; // stays registered; the next create tries again
            return Fail(L"Layer:Create - Failed to create overlay window.");
        }
    }

    RECT client = {};
    GetClientRect(window, &client);
    layer->lastClientWidth = client.right - client.left;
    layer->lastClientHeight = client.bottom - client.top;
    layer->visible = 1;
    if (!RenderAndPresentLayer(layer)) // the Layer stays, showing nothing yet
        return Fail(L"Layer:Create - Out of memory.");
    return 1;
}
