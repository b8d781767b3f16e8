#include "dialogs/action_dialogs.h"

#include "plugin/host_text.h"

DialogDescription DescribeSetRotationDialog(char** params) {
    DialogDescription d{L"Define Vexlar: Set Rotation", 400, 160, {}, {}};
    int rectangle = AddRectangleRow(&d, 190, 308, GetParamText(params, 0));
    AddLabel(&d, 12, 50, 100, 22, L"Angle (deg):");
    int angle = AddTextField(&d, 110, 48, 90, 24, DialogParamText(params, 1, L"0"));
    AddLabel(&d, 12, 84, 380, 30,
             L"Positive = clockwise. Rotates around the visual center of the layer.\r"
             L"Set in a Timer loop for continuous rotation (mandalas, spinners, etc).");
    AddOkCancel(&d, 210, 300, 122);
    BindParam(&d, 0, rectangle);
    BindParam(&d, 1, angle);
    return d;
}
