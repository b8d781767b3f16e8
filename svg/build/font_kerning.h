// Pair kerning as a font's tables give it: characters to glyphs through the
// cmap table, and the advance adjustments of the pair-positioning lookups
// (format 1 pairs and format 2 classes) of the GPOS table's kern feature.
// Reading checks every offset against the table's size, so a damaged table
// gives no kerning rather than a read past its end.
#pragma once

#include <cstdint>
#include <vector>

struct FontKerning {
    std::vector<uint8_t> cmap, gpos; // the tables as the font holds them
    float unitsPerEm;
    uint32_t glyphMap; // offset of the cmap subtable used, 0 none
    // The pair-positioning subtables of each lookup of the kern feature, as
    // offsets into gpos; lookups are separated by a 0.
    std::vector<uint32_t> pairSubtables;
};

// Takes the font's head, cmap and GPOS tables (any may be empty: no kerning).
void ReadFontKerning(const std::vector<uint8_t>& head, std::vector<uint8_t> cmap,
                     std::vector<uint8_t> gpos, FontKerning* kerning);
// The glyph of a Unicode code point; 0 (the missing glyph) when it has none.
uint32_t GlyphOfCodePoint(const FontKerning& kerning, uint32_t codePoint);
// How much the first glyph's advance changes when the second follows it, in
// ems (negative: closer).
float PairKerning(const FontKerning& kerning, uint32_t first, uint32_t second);
