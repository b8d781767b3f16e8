// Reading cmap and the GPOS pair adjustments. Offsets in OpenType tables are
// big-endian and relative to the start of the structure that holds them.
#include "svg/build/font_kerning.h"

#include <utility>

#include "svg/build/font_table_view.h"

namespace {

uint32_t BitCount(uint32_t value) {
    uint32_t count = 0;
    for (; value; value &= value - 1)
        count++;
    return count;
}

// The glyph's index in a coverage table, or -1 when it is not covered.
int64_t CoverageIndex(const FontTableView& t, uint32_t coverage, uint32_t glyph) {
    uint32_t format = t.U16(coverage), count = t.U16(coverage + 2);
    for (uint32_t i = 0; i < count; i++) {
        if (format == 1 && t.U16(coverage + 4 + 2 * i) == glyph)
            return i;
        uint32_t range = coverage + 4 + 6 * i;
        if (format == 2 && glyph >= t.U16(range) && glyph <= t.U16(range + 2))
            return t.U16(range + 4) + glyph - t.U16(range);
    }
    return -1;
}

uint32_t GlyphClass(const FontTableView& t, uint32_t classDef, uint32_t glyph) {
    uint32_t format = t.U16(classDef);
    if (format == 1) {
        uint32_t first = t.U16(classDef + 2), count = t.U16(classDef + 4);
        return glyph >= first && glyph - first < count ? t.U16(classDef + 6 + 2 * (glyph - first))
                                                       : 0;
    }
    uint32_t count = format == 2 ? t.U16(classDef + 2) : 0;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t range = classDef + 4 + 6 * i;
        if (glyph >= t.U16(range) && glyph <= t.U16(range + 2))
            return t.U16(range + 4);
    }
    return 0;
}

// The x-advance field of a value record (0 when the format has none).
int32_t XAdvance(const FontTableView& t, uint32_t record, uint32_t valueFormat) {
    if (!(valueFormat & 4))
        return 0;
    return t.S16(record + 2 * BitCount(valueFormat & 3));
}

// Applies one pair-positioning subtable: true when it covers the pair, with
// the first glyph's advance change in font units.
bool ApplyPairSubtable(const FontTableView& t, uint32_t sub, uint32_t first, uint32_t second,
                       int32_t* change) {
    int64_t index = CoverageIndex(t, sub + t.U16(sub + 2), first);
    if (index < 0)
        return false;
    uint32_t format1 = t.U16(sub + 4), format2 = t.U16(sub + 6);
    uint32_t size1 = 2 * BitCount(format1 & 0xFF), size2 = 2 * BitCount(format2 & 0xFF);
    if (t.U16(sub) == 1) {
        if (index >= t.U16(sub + 8))
            return false;
        uint32_t set = sub + t.U16(sub + 10 + 2 * static_cast<uint32_t>(index));
        uint32_t count = t.U16(set);
        for (uint32_t i = 0; i < count; i++) {
            uint32_t pair = set + 2 + i * (2 + size1 + size2);
            if (t.U16(pair) == second) {
                *change = XAdvance(t, pair + 2, format1);
                return true;
            }
        }
        return false;
    }
    if (t.U16(sub) != 2)
        return false;
    uint32_t class1 = GlyphClass(t, sub + t.U16(sub + 8), first);
    uint32_t class2 = GlyphClass(t, sub + t.U16(sub + 10), second);
    uint32_t class1Count = t.U16(sub + 12), class2Count = t.U16(sub + 14);
    if (class1 >= class1Count || class2 >= class2Count)
        return false;
    uint32_t record = sub + 16 + (class1 * class2Count + class2) * (size1 + size2);
    *change = XAdvance(t, record, format1);
    return true;
}

// The lookups the kern feature names (of any script), each once.
std::vector<uint32_t> KernLookups(const FontTableView& t) {
    std::vector<uint32_t> lookups;
    uint32_t features = t.U16(6), count = t.U16(features);
    for (uint32_t i = 0; i < count; i++) {
        uint32_t record = features + 2 + 6 * i;
        if (t.U32(record) != 0x6B65726E) // "kern"
            continue;
        uint32_t feature = features + t.U16(record + 4), indices = t.U16(feature + 2);
        for (uint32_t j = 0; j < indices; j++) {
            uint32_t lookup = t.U16(feature + 4 + 2 * j);
            bool known = false;
            for (uint32_t seen : lookups)
                known = known || seen == lookup;
            if (!known)
                lookups.push_back(lookup);
        }
    }
    return lookups;
}

// Offsets of the pair subtables of each kern lookup, an extension's (lookup
// type 9) followed to the subtable it wraps; a 0 after each lookup.
std::vector<uint32_t> PairSubtables(const FontTableView& t) {
    std::vector<uint32_t> subtables;
    uint32_t list = t.U16(8), lookupCount = t.U16(list);
    for (uint32_t index : KernLookups(t)) {
        if (index >= lookupCount)
            continue;
        uint32_t lookup = list + t.U16(list + 2 + 2 * index);
        uint32_t type = t.U16(lookup), count = t.U16(lookup + 4);
        for (uint32_t i = 0; i < count; i++) {
            uint32_t sub = lookup + t.U16(lookup + 6 + 2 * i);
            if (type == 9 && t.U16(sub + 2) == 2)
                subtables.push_back(sub + t.U32(sub + 4));
            else if (type == 2)
                subtables.push_back(sub);
        }
        subtables.push_back(0);
    }
    return subtables;
}

// The Unicode subtable of cmap: the full-repertoire one (format 12) when the
// font has it, else the basic-plane one (format 4); 0 when there is neither.
uint32_t UnicodeSubtable(const FontTableView& t) {
    uint32_t count = t.U16(2), basic = 0;
    for (uint32_t i = 0; i < count; i++) {
        uint32_t record = 4 + 8 * i;
        uint32_t platform = t.U16(record), encoding = t.U16(record + 2);
        uint32_t sub = t.U32(record + 4);
        bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
        if (unicode && t.U16(sub) == 12)
            return sub;
        if (unicode && t.U16(sub) == 4 && !basic)
            basic = sub;
    }
    return basic;
}

uint32_t GlyphInFormat4(const FontTableView& t, uint32_t sub, uint32_t c) {
    uint32_t segments = t.U16(sub + 6) / 2;
    uint32_t ends = sub + 14, starts = ends + 2 * segments + 2;
    uint32_t deltas = starts + 2 * segments, rangeOffsets = deltas + 2 * segments;
    for (uint32_t i = 0; i < segments; i++) {
        if (c > t.U16(ends + 2 * i))
            continue;
        uint32_t start = t.U16(starts + 2 * i);
        if (c < start)
            return 0;
        uint32_t rangeOffset = t.U16(rangeOffsets + 2 * i);
        if (rangeOffset == 0)
            return (c + t.U16(deltas + 2 * i)) & 0xFFFF;
        uint32_t glyph = t.U16(rangeOffsets + 2 * i + rangeOffset + 2 * (c - start));
        return glyph ? (glyph + t.U16(deltas + 2 * i)) & 0xFFFF : 0;
    }
    return 0;
}

uint32_t GlyphInFormat12(const FontTableView& t, uint32_t sub, uint32_t c) {
    uint32_t groups = t.U32(sub + 12);
    for (uint32_t i = 0; i < groups && sub + 16 + 12 * i < t.data->size(); i++) {
        uint32_t group = sub + 16 + 12 * i;
        if (c >= t.U32(group) && c <= t.U32(group + 4))
            return t.U32(group + 8) + c - t.U32(group);
    }
    return 0;
}

} // namespace

void ReadFontKerning(const std::vector<uint8_t>& head, std::vector<uint8_t> cmap,
                     std::vector<uint8_t> gpos, FontKerning* kerning) {
    kerning->cmap = std::move(cmap);
    kerning->gpos = std::move(gpos);
    kerning->unitsPerEm = static_cast<float>(FontTableView{&head}.U16(18));
    kerning->glyphMap = UnicodeSubtable(FontTableView{&kerning->cmap});
    kerning->pairSubtables.clear();
    if (kerning->unitsPerEm > 0 && kerning->glyphMap)
        kerning->pairSubtables = PairSubtables(FontTableView{&kerning->gpos});
}

uint32_t GlyphOfCodePoint(const FontKerning& kerning, uint32_t codePoint) {
    FontTableView t{&kerning.cmap};
    uint32_t sub = kerning.glyphMap;
    if (!sub)
        return 0;
    if (t.U16(sub) == 12)
        return GlyphInFormat12(t, sub, codePoint);
    return codePoint <= 0xFFFF ? GlyphInFormat4(t, sub, codePoint) : 0;
}

float PairKerning(const FontKerning& kerning, uint32_t first, uint32_t second) {
    FontTableView t{&kerning.gpos};
    int32_t total = 0;
    bool applied = false; // a subtable of the current lookup took the pair
    for (uint32_t sub : kerning.pairSubtables) {
        int32_t change = 0;
        if (sub == 0)
            applied = false;
        else if (!applied && ApplyPairSubtable(t, sub, first, second, &change)) {
            total += change;
            applied = true;
        }
    }
    return kerning.unitsPerEm > 0 ? total / kerning.unitsPerEm : 0;
}
