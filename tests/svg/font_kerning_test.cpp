// Pair kerning from a font's tables: cmap's format 4 (deltas and the glyph
// array), GPOS pair subtables of both formats in one lookup (the first that
// covers a pair decides), value records with more fields than the advance,
// and tables cut short.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "svg/build/font_kerning.h"

namespace {

void Put16(std::vector<uint8_t>* table, std::initializer_list<int> values) {
    for (int value : values) {
        table->push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
        table->push_back(static_cast<uint8_t>(value & 0xFF));
    }
}

std::vector<uint8_t> Head(int unitsPerEm) {
    std::vector<uint8_t> head(18, 0);
    Put16(&head, {unitsPerEm});
    head.resize(54, 0);
    return head;
}

// A -> 1, T -> 2, V -> 3, e -> 4 by deltas; a, b -> 5, 6 through the glyph array.
std::vector<uint8_t> Cmap() {
    std::vector<uint8_t> cmap;
    Put16(&cmap, {0, 1, 3, 1, 0, 12});
    Put16(&cmap, {4, 0, 0, 12, 0, 0, 0});
    Put16(&cmap, {0x41, 0x54, 0x56, 0x62, 0x65, 0xFFFF, 0});  // ends, pad
    Put16(&cmap, {0x41, 0x54, 0x56, 0x61, 0x65, 0xFFFF});     // starts
    Put16(&cmap, {1 - 0x41, 2 - 0x54, 3 - 0x56, 0, 4 - 0x65, 1}); // deltas
    Put16(&cmap, {0, 0, 0, 6, 0, 0});                         // range offsets
    Put16(&cmap, {5, 6});
    return cmap;
}

// The kern feature's one lookup: format 1 pairs A V -80, then format 2
// classes with T (class 1) before e (class 1) -50.
std::vector<uint8_t> Gpos() {
    std::vector<uint8_t> gpos;
    Put16(&gpos, {1, 0, 10, 12, 26});
    Put16(&gpos, {0});                                   // scripts
    Put16(&gpos, {1, 'k' << 8 | 'e', 'r' << 8 | 'n', 8}); // features
    Put16(&gpos, {0, 1, 0});                             // kern: lookup 0
    Put16(&gpos, {1, 4});                                // lookups
    Put16(&gpos, {2, 0, 2, 10, 34});                     // pair lookup, two subtables
    Put16(&gpos, {1, 18, 4, 0, 1, 12});                  // format 1
    Put16(&gpos, {1, 3, -80});                           // A's pairs: V
    Put16(&gpos, {1, 1, 1});                             // coverage: A
    Put16(&gpos, {2, 32, 5, 0, 42, 50, 2, 2});           // format 2, x placement and advance
    Put16(&gpos, {0, 0, 0, 0, 0, 0, 7, -50});            // class 0 row, class 1 row
    Put16(&gpos, {2, 1, 2, 2, 0});                       // coverage: T
    Put16(&gpos, {1, 2, 1, 1});                          // first classes: T is 1
    Put16(&gpos, {2, 1, 4, 4, 1});                       // second classes: e is 1
    return gpos;
}

TEST(FontKerningTest, GlyphsAndPairs) {
    FontKerning kerning;
    ReadFontKerning(Head(1000), Cmap(), Gpos(), &kerning);
    const struct {
        uint32_t codePoint, glyph;
    } glyphs[] = {{'A', 1}, {'T', 2}, {'V', 3}, {'e', 4}, {'a', 5}, {'b', 6}, {'c', 0}, {0x1F600, 0}};
    for (const auto& g : glyphs)
        EXPECT_EQ(g.glyph, GlyphOfCodePoint(kerning, g.codePoint)) << g.codePoint;
    const struct {
        uint32_t first, second;
        float kern;
    } pairs[] = {
        {1, 3, -0.08f}, // format 1
        {2, 4, -0.05f}, // format 2, the advance after the placement
        {2, 3, 0},      // format 2 covers T: class 0 pairs are 0
        {1, 4, 0},      // A is covered, but not with e
        {3, 1, 0},
    };
    for (const auto& p : pairs)
        EXPECT_FLOAT_EQ(p.kern, PairKerning(kerning, p.first, p.second)) << p.first << p.second;
}

TEST(FontKerningTest, TablesCutShortOrMissingGiveNoKerning) {
    std::vector<uint8_t> gpos = Gpos();
    for (size_t size : {size_t(0), size_t(9), size_t(60), size_t(100), gpos.size() - 1}) {
        FontKerning kerning;
        ReadFontKerning(Head(1000), Cmap(), std::vector<uint8_t>(gpos.begin(), gpos.begin() + size),
                        &kerning);
        EXPECT_EQ(0, PairKerning(kerning, 2, 4)) << size;
    }
    FontKerning noHead;
    ReadFontKerning(std::vector<uint8_t>(), Cmap(), Gpos(), &noHead);
    EXPECT_EQ(0, PairKerning(noHead, 1, 3));
    std::vector<uint8_t> cmap = Cmap();
    FontKerning shortMap;
    ReadFontKerning(Head(1000), std::vector<uint8_t>(cmap.begin(), cmap.begin() + 30), Gpos(),
                    &shortMap);
    EXPECT_EQ(0u, GlyphOfCodePoint(shortMap, 'e'));
}

} // namespace
