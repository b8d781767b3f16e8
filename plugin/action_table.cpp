#include "plugin/action_table.h"

const ActionInfo ActionTable[ActionCount] = {
    {ActionLayerCreate,
     L"Vexlar_LayerCreate",
     L"Load SVG onto Rectangle (rect, svgFile, layout, opacity, tint, margin).",
     6,
     {1, 5, 1, 1, 1, 1}},
    {ActionLayerDestroy,
     L"Vexlar_LayerDestroy",
     L"Destroy SVG layer and free all resources.",
     1,
     {1}},
    {ActionLayerShowHide,
     L"Vexlar_LayerShowHide",
     L"Show or hide an SVG layer's overlay window.",
     2,
     {1, 1}},
    {ActionLayerSetOpacity, L"Vexlar_LayerSetOpacity", L"Set layer opacity (0-255).", 2, {1, 1}},
    {ActionLayerSetTint,
     L"Vexlar_LayerSetTint",
     L"Apply a tint preset or custom RGB+strength.",
     6,
     {1, 1, 1, 1, 1, 1}},
    {ActionOverlayPause,
     L"Vexlar_OverlayPause",
     L"Pause (1) hides all SVG overlays for dialogs. Resume (0) restores them.",
     1,
     {1}},
    {ActionLayerSetRotation,
     L"Vexlar_LayerSetRotation",
     L"Rotate the layer by N degrees (positive = clockwise) around its visual center.",
     2,
     {1, 1}},
};

const ActionInfo* FindAction(int id) {
    for (const ActionInfo& action : ActionTable) {
        if (action.id == id)
            return &action;
    }
    return nullptr;
}
