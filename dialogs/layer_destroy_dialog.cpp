#include "dialogs/action_dialogs.h"

#include "plugin/host_text.h"

DialogDescription DescribeLayerDestroyDialog(char** params) {
    DialogDescription d{L"Define Vexlar: Layer Destroy", 400, 110, {}, {}};
    int rectangle = AddRectangleRow(&d, 190, 308, GetParamText(params, 0));
    AddOkCancel(&d, 210, 300, 70);
    BindParam(&d, 0, rectangle);
    return d;
}
