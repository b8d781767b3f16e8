// The actions on an existing Layer, and pausing every overlay.
#include "layers/layer_actions.h"

#include "layers/overlay.h"
#include "layers/registry.h"
#include "layers/tint.h"
#include "plugin/host_text.h"

namespace {

// The Layer of the name, or null after reporting "<operation> - Layer not
// found: " with the name exactly as passed.
Layer* FindLayerOrReport(const std::wstring& name, const wchar_t* operation) {
    Layer* layer = FindLayer(name);
    if (!layer)
        SetLastError(std::wstring(operation) + L" - Layer not found: " + name);
    return layer;
}

int ClampToByte(int value) {
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

// Renders and shows the Layer after an action changed it; 0 after
// reporting "<operation> - Out of memory." when nothing could be drawn.
int RenderAndPresent(Layer* layer, const wchar_t* operation) {
    if (RenderAndPresentLayer(layer))
        return 1;
    SetLastError(std::wstring(operation) + L" - Out of memory.");
    return 0;
}

} // namespace

void LayerDestroy(const std::wstring& name) {
    const std::wstring key = LayerKey(name);
    Layer* layer = key.empty() ? nullptr : FindLayerByKey(key);
    if (!layer)
        return;
    TeardownScope teardown;
    ReleaseLayerResources(layer);
    RemoveLayer(key);
    PurgeDeferredReleases();
}

int LayerShowHide(const std::wstring& name, int show) {
    Layer* layer = FindLayerOrReport(name, L"Layer:ShowHide");
    if (!layer)
        return 0;
    layer->visible = show ? 1 : 0;
    if (layer->visible)
        PresentLayer(layer); // the picture as it is, not rendered again
    else
        HideOverlay(layer);
    return 1;
}

int LayerSetOpacity(const std::wstring& name, int opacity) {
    Layer* layer = FindLayerOrReport(name, L"Layer:SetOpacity");
    if (!layer)
        return 0;
    layer->opacity = ClampToByte(opacity); // the renderer bakes it into the pixels
    return RenderAndPresent(layer, L"Layer:SetOpacity");
}

int LayerSetTint(const std::wstring& name, const std::wstring& preset, int red, int green, int blue,
                 int strength) {
    Layer* layer = FindLayerOrReport(name, L"Layer:SetTint");
    if (!layer)
        return 0;
    if (!LookupTintPreset(preset, &layer->tintRed, &layer->tintGreen, &layer->tintBlue,
                          &layer->tintStrength)) {
        layer->tintRed = ClampToByte(red);
        layer->tintGreen = ClampToByte(green);
        layer->tintBlue = ClampToByte(blue);
        layer->tintStrength = ClampToByte(strength);
    }
    return RenderAndPresent(layer, L"Layer:SetTint");
}

int LayerSetRotation(const std::wstring& name, float degrees) {
    Layer* layer = FindLayerOrReport(name, L"Layer:SetRotation");
    if (!layer)
        return 0;
    layer->rotation = degrees; // kept as given: no reduction to 0..360
    return RenderAndPresent(layer, L"Layer:SetRotation");
}

int OverlayPause(int pause) {
    SetOverlaysPaused(pause ? 1 : 0);
    if (OverlaysPaused()) {
        HideAllOverlays();
        return 1;
    }
    // Presenting moves and shows windows, which can re-enter the module:
    // walk a snapshot of the keys.
    for (const std::wstring& key : SnapshotLayerKeys()) {
        Layer* layer = FindLayerByKey(key);
        if (layer && layer->visible)
            PresentLayer(layer);
    }
    return 1;
}
