#include "dialogs/action_dialogs.h"

#include "plugin/host_text.h"

DialogDescription DescribeSetTintDialog(char** params) {
    DialogDescription d{L"Define Vexlar: Set Tint", 440, 260, {}, {}};
    std::vector<std::wstring> presets = TintPresetItems({L"", L"Custom"});

    int rectangle = AddRectangleRow(&d, 235, 353, GetParamText(params, 0));
    AddLabel(&d, 12, 50, 100, 22, L"Tint Preset:");
    int preset = AddDropDown(&d, 110, 48, 220, 24, presets,
                             FindItemByText(presets, GetParamText(params, 1)));
    AddLabel(&d, 12, 92, 420, 22,
             L"Custom RGB + Strength (used when preset is blank or 'Custom'):");
    AddLabel(&d, 22, 122, 22, 22, L"R:");
    int red = AddTextField(&d, 44, 120, 60, 24, DialogParamText(params, 2, L"255"));
    AddLabel(&d, 114, 122, 22, 22, L"G:");
    int green = AddTextField(&d, 136, 120, 60, 24, DialogParamText(params, 3, L"255"));
    AddLabel(&d, 206, 122, 22, 22, L"B:");
    int blue = AddTextField(&d, 228, 120, 60, 24, DialogParamText(params, 4, L"255"));
    AddLabel(&d, 12, 156, 200, 22, L"Strength (0=none, 255=full):");
    int strength = AddTextField(&d, 200, 154, 80, 24, DialogParamText(params, 5, L"0"));
    AddOkCancel(&d, 250, 343, 220);

    BindParam(&d, 0, rectangle);
    BindParam(&d, 1, preset);
    BindParam(&d, 2, red);
    BindParam(&d, 3, green);
    BindParam(&d, 4, blue);
    BindParam(&d, 5, strength);
    return d;
}
