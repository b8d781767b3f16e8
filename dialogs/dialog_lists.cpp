#include "dialogs/action_dialogs.h"

#include "layers/tint.h"
#include "svg/base/strings.h"

std::vector<std::wstring> TintPresetItems(const std::vector<std::wstring>& leading) {
    std::vector<std::wstring> items(leading);
    for (const TintPreset& preset : TintPresets)
        items.push_back(preset.displayName);
    return items;
}

int ItemForZeroOrNot(const std::wstring& text) {
    return Int32ValueOfText(text) == 0 ? 1 : 0;
}
