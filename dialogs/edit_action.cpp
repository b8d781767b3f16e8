#include "dialogs/action_dialogs.h"
#include "dialogs/dialog_framework.h"
#include "plugin/action_table.h"
#include "plugin/entry_points.h"

typedef DialogDescription (*DescribeDialogFunction)(char** params);

struct ActionDialog {
    int action;
    DescribeDialogFunction describe;
};

static const ActionDialog ActionDialogs[] = {
    {ActionLayerCreate, &DescribeLayerCreateDialog},
    {ActionLayerDestroy, &DescribeLayerDestroyDialog},
    {ActionLayerShowHide, &DescribeShowHideDialog},
    {ActionLayerSetOpacity, &DescribeSetOpacityDialog},
    {ActionLayerSetTint, &DescribeSetTintDialog},
    {ActionOverlayPause, &DescribeOverlayPauseDialog},
    {ActionLayerSetRotation, &DescribeSetRotationDialog},
};

int DescribeActionDialog(int action, char** params, DialogDescription* dialog) {
    for (const ActionDialog& entry : ActionDialogs) {
        if (entry.action == action) {
            *dialog = entry.describe(params);
            return 1;
        }
    }
    return 0;
}

int EditAction(int action, char** params) {
    DialogDescription dialog;
    if (!DescribeActionDialog(action, params, &dialog))
        return 0;
    return RunDialog(&dialog, params);
}
