#include "dialogs/action_dialogs.h"

#include "plugin/host_text.h"

DialogDescription DescribeSetOpacityDialog(char** params) {
    DialogDescription d{L"Define Vexlar: Set Opacity", 400, 140, {}, {}};
    int rectangle = AddRectangleRow(&d, 190, 308, GetParamText(params, 0));
    AddLabel(&d, 12, 50, 100, 22, L"Opacity (0-255):");
    int opacity = AddTextField(&d, 110, 48, 90, 24, DialogParamText(params, 1, L"255"));
    AddOkCancel(&d, 210, 300, 100);
    BindParam(&d, 0, rectangle);
    BindParam(&d, 1, opacity);
    return d;
}
