// The seven actions the module registers with the host.
#pragma once

enum ActionId {
    ActionLayerCreate = 1,
    ActionLayerDestroy = 2,
    ActionLayerShowHide = 3,
    ActionLayerSetOpacity = 4,
    ActionLayerSetTint = 5,
    ActionOverlayPause = 7,
    ActionLayerSetRotation = 9,
};

enum { ParamKindText = 1, ParamKindSvgFile = 5, ActionCount = 7, MaxActionParams = 6 };

struct ActionInfo {
    int id;
    const wchar_t* name;
    const wchar_t* hint;
    int paramCount;
    unsigned char kinds[MaxActionParams];
};

// The actions in registration order.
extern const ActionInfo ActionTable[ActionCount];
// The entry of an action number, or null when the module has no such action.
const ActionInfo* FindAction(int id);
