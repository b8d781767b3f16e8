#include "layers/tint.h"

#include "layers/keyword.h"

// Every colour preset has strength 128: it moves each channel half way
// towards its multiply-blended value. The two "desaturate" presets are grey
// tints, darkening every channel by the same factor.
const TintPreset TintPresets[TintPresetCount] = {
    {L"No Tint", L"no tint", 255, 255, 255, 0},
    {L"Warm Sunset", L"warm sunset", 255, 180, 120, 128},
    {L"Cool Night", L"cool night", 150, 180, 255, 128},
    {L"Sepia Old Photo", L"sepia old photo", 255, 220, 170, 128},
    {L"Red Danger", L"red danger", 255, 150, 150, 128},
    {L"Blue Ice", L"blue ice", 180, 220, 255, 128},
    {L"Green Toxic", L"green toxic", 180, 255, 180, 128},
    {L"Purple Magic", L"purple magic", 220, 180, 255, 128},
    {L"Orange Fire", L"orange fire", 255, 200, 100, 128},
    {L"Yellow Gold", L"yellow gold", 255, 240, 150, 128},
    {L"Cyan Underwater", L"cyan underwater", 150, 240, 255, 128},
    {L"Pink Dream", L"pink dream", 255, 200, 220, 128},
    {L"Lime Radioactive", L"lime radioactive", 200, 255, 150, 128},
    {L"Amber Warm", L"amber warm", 255, 210, 130, 128},
    {L"Teal Matrix", L"teal matrix", 150, 255, 230, 128},
    {L"Magenta Neon", L"magenta neon", 255, 150, 255, 128},
    {L"Desaturate 50%", L"desaturate 50%", 200, 200, 200, 128},
    {L"Desaturate 75%", L"desaturate 75%", 150, 150, 150, 128},
    {L"Deep Blue Night", L"deep blue night", 120, 140, 200, 128},
    {L"Sunset Pink", L"sunset pink", 255, 180, 200, 128},
};

int LookupTintPreset(const std::wstring& text, int* red, int* green, int* blue, int* strength) {
    std::wstring key = KeywordOf(text);
    if (key.empty() || key == L"custom")
        return 0;
    for (const TintPreset& preset : TintPresets) {
        if (key == preset.key) {
            *red = preset.red;
            *green = preset.green;
            *blue = preset.blue;
            *strength = preset.strength;
            return 1;
        }
    }
    return 0;
}
