// The vertical measures of a font that text layout places lines and
// baselines by, in ems (positive upwards from the baseline), from the head,
// hhea, OS/2 and post tables; what a font does not give keeps a common value.
#pragma once

#include <cstdint>
#include <vector>

struct FontMetrics {
    float ascent, descent; // descent below the baseline, positive
    float xHeight, capHeight;
    float underlinePosition, underlineThickness;
    float strikeoutPosition, strikeoutThickness;
    float subscriptOffset, superscriptOffset; // how far sub goes down, super up
};

FontMetrics ReadFontMetrics(const std::vector<uint8_t>& head, const std::vector<uint8_t>& hhea,
                            const std::vector<uint8_t>& os2, const std::vector<uint8_t>& post);
