// The layout and margin texts of a Layer, as authors write them.
#pragma once

#include <string>

// "" or "fit" -> 0 (fit), "stretch" -> 1, "original" or "natural" -> 2, any
// other text -> 0; compared trimmed of blanks and lower-cased.
int ParseLayoutMode(const std::wstring& text);

struct LayerMargins {
    int top, right, bottom, left;
};

// One to four numbers in CSS order (a; a b; a b c; a b c d), separated by
// whatever the number scanner skips. Each is rounded to the nearest integer
// (halves to even); negative values become 0. An empty text gives all 0.
LayerMargins ParseMargins(const std::wstring& text);

struct Layer;
// Stores the margins of the text (as ParseMargins reads it) in the Layer.
void StoreMarginText(Layer* layer, const std::wstring& text);
