// The seven action editor dialogs, each described from its action's parameter
// array: captions, controls, initial values, defaults for empty parameters and
// the parameters OK writes back.
#pragma once

#include "dialogs/dialog_description.h"

DialogDescription DescribeLayerCreateDialog(char** params);
DialogDescription DescribeLayerDestroyDialog(char** params);
DialogDescription DescribeShowHideDialog(char** params);
DialogDescription DescribeSetOpacityDialog(char** params);
DialogDescription DescribeSetTintDialog(char** params);
DialogDescription DescribeOverlayPauseDialog(char** params);
DialogDescription DescribeSetRotationDialog(char** params);

// The dialog of an action number: 1 with the description, or 0 when the
// module has no such action.
int DescribeActionDialog(int action, char** params, DialogDescription* dialog);

// Shared by the dialogs' own files.
// The twenty tint preset names in table order, after the given leading items.
std::vector<std::wstring> TintPresetItems(const std::vector<std::wstring>& leading);
// The item of a two-item yes/no list: 1 when the text's integer value is 0,
// otherwise 0.
int ItemForZeroOrNot(const std::wstring& text);
