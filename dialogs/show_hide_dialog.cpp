#include "dialogs/action_dialogs.h"

#include "plugin/host_text.h"

DialogDescription DescribeShowHideDialog(char** params) {
    DialogDescription d{L"Define Vexlar: Show/Hide", 400, 140, {}, {}};
    int rectangle = AddRectangleRow(&d, 190, 308, GetParamText(params, 0));
    AddLabel(&d, 12, 50, 100, 22, L"Visible:");
    int visible = AddDropDown(&d, 110, 48, 190, 24, {L"1 (Show)", L"0 (Hide)"},
                              ItemForZeroOrNot(DialogParamText(params, 1, L"1")));
    AddOkCancel(&d, 210, 300, 100);
    BindParam(&d, 0, rectangle);
    BindChoice(&d, 1, visible, {L"1", L"0"}, L"1");
    return d;
}
