#include "dialogs/action_dialogs.h"

DialogDescription DescribeOverlayPauseDialog(char** params) {
    DialogDescription d{L"Define Vexlar: Overlay Pause", 380, 130, {}, {}};
    AddLabel(&d, 12, 14, 100, 22, L"Pause:");
    int pause =
        AddDropDown(&d, 110, 12, 200, 24, {L"1 (Pause - hide all)", L"0 (Resume - show all)"},
                    ItemForZeroOrNot(DialogParamText(params, 0, L"1")));
    AddLabel(&d, 12, 50, 360, 30,
             L"Use Pause=1 before showing modal dialogs so overlays don't sit on top.");
    AddOkCancel(&d, 190, 280, 90);
    BindChoice(&d, 0, pause, {L"1", L"0"}, L"0");
    return d;
}
