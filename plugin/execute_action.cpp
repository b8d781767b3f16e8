// Running an action: its parameters read with their defaults, the Layer
// operation called, and the action handed to the journal with the values
// actually used.
#include "plugin/entry_points.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "layers/journal.h"
#include "layers/layer_actions.h"
#include "layers/layout_parameters.h"
#include "layers/registry.h"
#include "plugin/action_table.h"
#include "svg/base/strings.h"

namespace {

std::wstring DecimalText(int value) {
    return std::to_wstring(value);
}

// The angle as the journal keeps it: ten decimals, then trailing zeros and a
// trailing point removed (12.5, 90, 0.1000000015).
std::wstring AngleText(float angle) {
    if (std::isnan(angle))
        return L"NaN";
    if (std::isinf(angle))
        return angle > 0 ? L"+Infinity" : L"-Infinity";
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%.10f", static_cast<double>(angle));
    std::string text(buffer);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return std::wstring(text.begin(), text.end());
}

int CreateLayer(char** params) {
    const std::wstring rect = GetParamText(params, 0);
    const std::wstring file = GetParamText(params, 1);
    const std::wstring layout = GetParamText(params, 2);
    const int opacity = GetParamInt(params, 3, 255);
    const std::wstring tint = GetParamText(params, 4);
    const std::wstring margins = GetParamText(params, 5);
    const int result = LayerCreate(rect, file, ParseLayoutMode(layout), opacity, tint, margins);
    // The opacity the Layer got (a new Layer reads 0 as 255): a replay over a
    // Layer that still exists must not hide it.
    const Layer* layer = result ? FindLayer(rect) : nullptr;
    RecordAction(ActionLayerCreate, rect, file, layout,
                 DecimalText(layer ? layer->opacity : opacity), tint, margins);
    return result;
}

int DestroyLayer(char** params) {
    const std::wstring rect = GetParamText(params, 0);
    // Recorded first: the journal forgets the rectangle before it goes.
    RecordAction(ActionLayerDestroy, rect);
    LayerDestroy(rect);
    return 1;
}

int ShowHideLayer(char** params) {
    const std::wstring rect = GetParamText(params, 0);
    const int show = GetParamInt(params, 1, 1);
    const int result = LayerShowHide(rect, show);
    RecordAction(ActionLayerShowHide, rect, DecimalText(show));
    return result;
}

int SetLayerOpacity(char** params) {
    const std::wstring rect = GetParamText(params, 0);
    const int opacity = GetParamInt(params, 1, 255);
    const int result = LayerSetOpacity(rect, opacity);
    RecordAction(ActionLayerSetOpacity, rect, DecimalText(opacity));
    return result;
}

int SetLayerTint(char** params) {
    const std::wstring rect = GetParamText(params, 0);
    const std::wstring preset = GetParamText(params, 1);
    const int red = GetParamInt(params, 2, 255);
    const int green = GetParamInt(params, 3, 255);
    const int blue = GetParamInt(params, 4, 255);
    const int strength = GetParamInt(params, 5, 0);
    const int result = LayerSetTint(rect, preset, red, green, blue, strength);
    RecordAction(ActionLayerSetTint, rect, preset, DecimalText(red), DecimalText(green),
                 DecimalText(blue), DecimalText(strength));
    return result;
}

int SetLayerRotation(char** params) {
    const std::wstring rect = GetParamText(params, 0);
    const float angle = static_cast<float>(DecimalValueOfText(GetParamText(params, 1)));
    const int result = LayerSetRotation(rect, angle);
    RecordAction(ActionLayerSetRotation, rect, AngleText(angle));
    return result;
}

} // namespace

int ExecuteAction(int action, char** params) {
    switch (action) {
    case ActionLayerCreate:
        return CreateLayer(params);
    case ActionLayerDestroy:
        return DestroyLayer(params);
    case ActionLayerShowHide:
        return ShowHideLayer(params);
    case ActionLayerSetOpacity:
        return SetLayerOpacity(params);
    case ActionLayerSetTint:
        return SetLayerTint(params);
    case ActionOverlayPause:
        return OverlayPause(GetParamInt(params, 0, 1)); // never recorded
    case ActionLayerSetRotation:
        return SetLayerRotation(params);
    default:
        return 0;
    }
}

const wchar_t* OutOfMemoryMessage(int action) {
    switch (action) {
    case ActionLayerCreate:
        return L"Layer:Create - Out of memory.";
    case ActionLayerDestroy:
        return L"Layer:Destroy - Out of memory.";
    case ActionLayerShowHide:
        return L"Layer:ShowHide - Out of memory.";
    case ActionLayerSetOpacity:
        return L"Layer:SetOpacity - Out of memory.";
    case ActionLayerSetTint:
        return L"Layer:SetTint - Out of memory.";
    case ActionOverlayPause:
        return L"Overlay:Pause - Out of memory.";
    case ActionLayerSetRotation:
        return L"Layer:SetRotation - Out of memory.";
    default:
        return nullptr;
    }
}
