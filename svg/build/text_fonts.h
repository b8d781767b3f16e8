// The fonts text is drawn in: the installed face a style's font properties
// pick, and its metrics and kerning, each read once per text element.
#pragma once

#include <string>
#include <vector>

#include "svg/build/font_kerning.h"
#include "svg/build/font_metrics.h"

struct StyleState;

// The installed face text is drawn in: a family and the GDI+ style bits.
struct FontChoice {
    std::wstring family;
    int style;
};

// The faces the text's font properties pick, each looked up once.
struct FontCache {
    struct Entry {
        std::wstring list;
        int weight;
        int italic;
        FontChoice font;
        bool hasMetrics; // the face's tables are read once, when first needed
        FontMetrics metrics;
        int colour; // whether the face has colour glyphs; -1 until asked
    };
    std::vector<Entry> entries;
};

// The kerning of each font the text uses, read once.
struct KerningCache {
    struct Entry {
        std::wstring family;
        int style;
        FontKerning kerning;
    };
    std::vector<Entry> entries;
};

// The face the state's font-family, font-weight and font-style pick.
FontChoice FontOf(FontCache* cache, const StyleState& state);
// That face's metrics, read from its tables when first asked for.
const FontMetrics& MetricsOf(FontCache* cache, const StyleState& state);
// Whether the face has colour glyphs (COLR, CBDT, sbix or SVG tables), which
// GDI+ draws as plain outlines or not at all.
bool IsColourFont(FontCache* cache, const StyleState& state);
// The pair kerning of the face, read when first asked for.
const FontKerning& KerningOf(KerningCache* cache, const std::wstring& family, int style);

// The installed family a font-family list picks: the first installed name,
// generic names (serif, sans-serif, monospace, cursive, fantasy) standing for
// common Windows families; without one, the serif family as in browsers, or
// "" (the system's sans-serif) when none of those is installed.
std::wstring ChooseFontFamily(const std::wstring& list);
