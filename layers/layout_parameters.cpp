#include "layers/layout_parameters.h"

#include <cmath>

#include "layers/keyword.h"
#include "layers/layer.h"
#include "svg/base/scan.h"
#include "svg/base/strings.h"

int ParseLayoutMode(const std::wstring& text) {
    std::wstring keyword = KeywordOf(text);
    if (keyword == L"stretch")
        return LayoutStretch;
    if (keyword == L"original" || keyword == L"natural")
        return LayoutOriginal;
    return LayoutFit;
}

// Margins far beyond any window are clamped, so that two of them still add up
// without overflowing an int (they are then ignored as too large anyway).
static int MarginFromNumber(float value) {
    const float largest = 1.0e9f;
    if (!(value > 0.0f)) // negative, zero or not a number
        return 0;
    if (value > largest)
        value = largest;
    return static_cast<int>(std::nearbyint(value)); // halves to even
}

LayerMargins ParseMargins(const std::wstring& text) {
    LayerMargins margins = {0, 0, 0, 0};
    std::wstring trimmed = TrimBlanks(text);
    int values[4];
    int count = 0;
    int position = 1;
    while (count < 4 && position <= static_cast<int>(trimmed.size())) {
        float value = 0.0f;
        int next = ScanNumber(trimmed, position, &value);
        if (next == position)
            break;
        values[count++] = MarginFromNumber(value);
        position = next;
    }
    switch (count) {
    case 1:
        margins = {values[0], values[0], values[0], values[0]};
        break;
    case 2:
        margins = {values[0], values[1], values[0], values[1]};
        break;
    case 3:
        margins = {values[0], values[1], values[2], values[1]};
        break;
    case 4:
        margins = {values[0], values[1], values[2], values[3]};
        break;
    default:
        break;
    }
    return margins;
}

void StoreMarginText(Layer* layer, const std::wstring& text) {
    const LayerMargins m = ParseMargins(text);
    layer->marginTop = m.top;
    layer->marginRight = m.right;
    layer->marginBottom = m.bottom;
    layer->marginLeft = m.left;
}
