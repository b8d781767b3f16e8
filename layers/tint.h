// The twenty named tint presets. A tint is a colour and a strength (0 = none)
// that ApplyTint blends into a Layer's rendered pixels.
#pragma once

#include <string>

struct TintPreset {
    const wchar_t* displayName; // listed by the editor dialogs, in table order
    const wchar_t* key;         // the lower-case form the lookup compares
    int red, green, blue;
    int strength;
};

enum { TintPresetCount = 20 };
extern const TintPreset TintPresets[TintPresetCount];

// Finds the preset whose key is the text trimmed of blanks and lower-cased.
// Returns 1 with its colour and strength, or 0 leaving the outputs untouched.
// An empty text and "custom" name no preset.
int LookupTintPreset(const std::wstring& text, int* red, int* green, int* blue, int* strength);
