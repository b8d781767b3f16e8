#include "dialogs/dialog_description.h"

#include "plugin/host_text.h"
#include "svg/base/strings.h"

static int AddControl(DialogDescription* dialog, DialogControlKind kind, int x, int y, int width,
                      int height, const std::wstring& text) {
    DialogControl control{};
    control.kind = kind;
    control.x = x;
    control.y = y;
    control.width = width;
    control.height = height;
    control.text = text;
    control.selection = -1;
    control.browseField = -1;
    dialog->controls.push_back(control);
    return static_cast<int>(dialog->controls.size()) - 1;
}

int AddLabel(DialogDescription* dialog, int x, int y, int width, int height,
             const std::wstring& text) {
    return AddControl(dialog, DialogLabel, x, y, width, height, text);
}

int AddTextField(DialogDescription* dialog, int x, int y, int width, int height,
                 const std::wstring& text) {
    return AddControl(dialog, DialogTextField, x, y, width, height, text);
}

static int AddButton(DialogDescription* dialog, int x, int y, int width, int height,
                     const std::wstring& text, DialogButtonRole role) {
    int index = AddControl(dialog, DialogButton, x, y, width, height, text);
    dialog->controls[static_cast<size_t>(index)].role = role;
    return index;
}

int AddBrowseButton(DialogDescription* dialog, int x, int y, int width, int height, int field,
                    BrowseFunction browse) {
    int index = AddButton(dialog, x, y, width, height, L"Browse...", ButtonBrowse);
    DialogControl& button = dialog->controls[static_cast<size_t>(index)];
    button.browseField = field;
    button.browse = browse;
    return index;
}

int AddDropDown(DialogDescription* dialog, int x, int y, int width, int height,
                const std::vector<std::wstring>& items, int selection) {
    int index = AddControl(dialog, DialogDropDown, x, y, width, height, std::wstring());
    DialogControl& list = dialog->controls[static_cast<size_t>(index)];
    list.items = items;
    list.selection = selection;
    return index;
}

int AddRectangleRow(DialogDescription* dialog, int fieldWidth, int browseX,
                    const std::wstring& name) {
    AddLabel(dialog, 12, 14, 100, 22, L"Rectangle:");
    int field = AddTextField(dialog, 110, 12, fieldWidth, 24, name);
    AddBrowseButton(dialog, browseX, 12, 75, 24, field, &BrowseObjectName);
    return field;
}

void AddOkCancel(DialogDescription* dialog, int okX, int cancelX, int y) {
    AddButton(dialog, okX, y, 85, 28, L"OK", ButtonOk);
    AddButton(dialog, cancelX, y, 85, 28, L"Cancel", ButtonCancel);
}

void BindParam(DialogDescription* dialog, int param, int control) {
    dialog->bindings.push_back({param, control, {}, std::wstring()});
}

void BindChoice(DialogDescription* dialog, int param, int control,
                const std::vector<std::wstring>& itemValues, const std::wstring& noneValue) {
    dialog->bindings.push_back({param, control, itemValues, noneValue});
}

std::wstring DialogParamText(char** params, int index, const wchar_t* defaultText) {
    std::wstring text = GetParamText(params, index);
    if (text.empty() && defaultText)
        return defaultText;
    return text;
}

int FindItemByText(const std::vector<std::wstring>& items, const std::wstring& text) {
    if (text.empty())
        return -1;
    std::wstring wanted = LowerText(text);
    for (size_t i = 0; i < items.size(); i++) {
        if (LowerText(items[i]) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

static bool IsItemIndex(const std::vector<std::wstring>& items, int index) {
    return index >= 0 && static_cast<size_t>(index) < items.size();
}

std::wstring BoundParamText(const DialogDescription& dialog, const DialogParamBinding& binding) {
    const DialogControl& control = dialog.controls[static_cast<size_t>(binding.control)];
    if (control.kind != DialogDropDown)
        return control.text;
    if (binding.itemValues.empty())
        return IsItemIndex(control.items, control.selection)
                   ? control.items[static_cast<size_t>(control.selection)]
                   : std::wstring();
    return IsItemIndex(binding.itemValues, control.selection)
               ? binding.itemValues[static_cast<size_t>(control.selection)]
               : binding.noneValue;
}

int ScaleToDpi(int value, int dpi) {
    long long scaled = static_cast<long long>(value) * dpi;
    long long half = scaled >= 0 ? 48 : -48;
    return static_cast<int>((scaled + half) / 96);
}

ControlBox ScaleDialogBox(const ControlBox& box, int dpiX, int dpiY) {
    return {ScaleToDpi(box.x, dpiX), ScaleToDpi(box.y, dpiY), ScaleToDpi(box.width, dpiX),
            ScaleToDpi(box.height, dpiY)};
}

ControlBox DialogClientBox(const DialogDescription& dialog, int dpiX, int dpiY) {
    return ScaleDialogBox({0, 0, dialog.clientWidth, dialog.clientHeight}, dpiX, dpiY);
}

std::vector<ControlBox> DialogControlBoxes(const DialogDescription& dialog, int dpiX, int dpiY) {
    std::vector<ControlBox> boxes;
    for (const DialogControl& control : dialog.controls)
        boxes.push_back(
            ScaleDialogBox({control.x, control.y, control.width, control.height}, dpiX, dpiY));
    return boxes;
}

int CentredWindowStart(int screenSize, int windowSize) {
    if (windowSize > screenSize)
        return 0;
    return (screenSize - windowSize) / 2;
}
