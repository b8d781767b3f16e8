#include "dialogs/action_dialogs.h"

#include "plugin/host_text.h"
#include "svg/base/strings.h"

static const wchar_t* const LayoutNames[] = {L"Fit", L"Stretch", L"Original"};

// The list shows the three layout modes by their action keywords; any other
// text, "natural" included, starts on "Fit".
static int LayoutItem(const std::wstring& text) {
    std::wstring keyword = LowerText(TrimBlanks(text));
    if (keyword == L"stretch")
        return 1;
    if (keyword == L"original")
        return 2;
    return 0;
}

static std::wstring BrowseSvgFile(const std::wstring& current) {
    return BrowseFileName(L"Select SVG File", current, L"", L"SVG Files|*.svg|All Files|*.*");
}

DialogDescription DescribeLayerCreateDialog(char** params) {
    DialogDescription d{L"Define Vexlar: Layer Create", 480, 290, {}, {}};
    std::vector<std::wstring> layouts(LayoutNames, LayoutNames + 3);
    std::vector<std::wstring> tints = TintPresetItems({L""});

    int rectangle = AddRectangleRow(&d, 270, 390, GetParamText(params, 0));
    AddLabel(&d, 12, 50, 100, 22, L"SVG File:");
    int file = AddTextField(&d, 110, 48, 270, 24, GetParamText(params, 1));
    AddBrowseButton(&d, 390, 48, 75, 24, file, &BrowseSvgFile);
    AddLabel(&d, 12, 86, 100, 22, L"Layout:");
    int layout =
        AddDropDown(&d, 110, 84, 200, 24, layouts, LayoutItem(DialogParamText(params, 2, L"Fit")));
    AddLabel(&d, 12, 122, 100, 22, L"Opacity (0-255):");
    int opacity = AddTextField(&d, 110, 120, 80, 24, DialogParamText(params, 3, L"255"));
    AddLabel(&d, 210, 122, 70, 22, L"Margin:");
    int margin = AddTextField(&d, 280, 120, 180, 24, GetParamText(params, 5));
    AddLabel(&d, 12, 158, 100, 22, L"Tint Preset:");
    int tint =
        AddDropDown(&d, 110, 156, 220, 24, tints, FindItemByText(tints, GetParamText(params, 4)));
    AddLabel(&d, 12, 200, 460, 40,
             L"Vector graphics re-rasterize crisp at any host size.\r"
             L"Margin: ''/'10'/'10 20'/'10 20 30 40' (T R B L, CSS-style).");
    AddOkCancel(&d, 290, 385, 250);

    BindParam(&d, 0, rectangle);
    BindParam(&d, 1, file);
    BindChoice(&d, 2, layout, layouts, L"Fit");
    BindParam(&d, 3, opacity);
    BindParam(&d, 4, tint);
    BindParam(&d, 5, margin);
    return d;
}
