// Choosing the installed face for text, and reading its tables once.
#include "svg/build/text_fonts.h"

#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/style/style.h"

namespace {

// The faces of the weights between regular and bold and beyond them are
// installed as families of their own, named with these words in full or
// short (as Noto's are); 400 is the family itself and 700 its bold face.
const wchar_t* const WeightNames[2][10] = {
    {nullptr, L"Thin", L"ExtraLight", L"Light", nullptr, L"Medium", L"SemiBold", nullptr,
     L"ExtraBold", L"Black"},
    {nullptr, nullptr, L"ExtLt", nullptr, nullptr, L"Med", L"SemBd", nullptr, L"ExtBd", L"Blk"},
};

// The face of the family nearest the weight as CSS finds it: weights under
// 400 look lighter first, 500 falls back to regular, heavier ones look
// heavier first (700 being the bold face, which is always there).
FontChoice WeightedFace(const std::wstring& family, int weight, bool italic) {
    int wanted = (weight + 50) / 100;
    wanted = wanted < 1 ? 1 : (wanted > 9 ? 9 : wanted);
    int italicBit = italic ? GfxFontItalic : 0;
    auto named = [&](int w, FontChoice* choice) {
        for (const auto& names : WeightNames) {
            std::wstring name = family + L" " + (names[w] ? names[w] : L"");
            if (!family.empty() && names[w] && GfxFontFamilyInstalled(name.c_str())) {
                *choice = FontChoice{name, italicBit};
                return true;
            }
        }
        return false;
    };
    FontChoice choice = {family, italicBit};
    if (wanted < 4) {
        for (int w = wanted; w >= 1; w--) {
            if (named(w, &choice))
                return choice;
        }
    } else if (wanted == 5) {
        named(5, &choice);
    } else if (wanted >= 6) {
        for (int w = wanted; w <= 9; w++) {
            if (w == 7)
                return FontChoice{family, GfxFontBold | italicBit};
            if (named(w, &choice))
                return choice;
        }
        return FontChoice{family, GfxFontBold | italicBit};
    }
    return choice;
}

FontCache::Entry& FontEntryOf(FontCache* cache, const StyleState& state) {
    for (FontCache::Entry& entry : cache->entries) {
        if (entry.list == TextOf(state.fontFamily) && entry.weight == state.fontWeight &&
            entry.italic == state.fontItalic)
            return entry;
    }
    FontChoice font = WeightedFace(ChooseFontFamily(TextOf(state.fontFamily)), state.fontWeight,
                                   state.fontItalic != 0);
    cache->entries.push_back(FontCache::Entry{TextOf(state.fontFamily), state.fontWeight,
                                              state.fontItalic, font, false, FontMetrics(), -1});
    return cache->entries.back();
}

// Generic names and the families that stand for them, in order: the common
// Windows ones first, then the Noto-based set many renderers and test suites
// default to, then those of other systems (Wine's among them).
struct GenericFamily {
    const wchar_t* name;
    const wchar_t* families[6];
};

const GenericFamily GenericFamilies[] = {
    {L"serif",
     {L"Times New Roman", L"Georgia", L"Noto Serif", L"Liberation Serif", L"DejaVu Serif",
      nullptr}},
    {L"sans-serif",
     {L"Arial", L"Segoe UI", L"Tahoma", L"Noto Sans", L"Liberation Sans", L"DejaVu Sans"}},
    {L"monospace",
     {L"Courier New", L"Consolas", L"Lucida Console", L"Noto Mono", L"Liberation Mono",
      L"DejaVu Sans Mono"}},
    {L"cursive", {L"Comic Sans MS", L"Yellowtail", nullptr, nullptr, nullptr, nullptr}},
    {L"fantasy", {L"Impact", L"Sedgwick Ave Display", nullptr, nullptr, nullptr, nullptr}},
};

// The first installed family a name stands for; "" when none is.
std::wstring InstalledFamily(const std::wstring& name) {
    std::wstring lower = LowerText(name);
    for (const GenericFamily& generic : GenericFamilies) {
        if (lower != generic.name)
            continue;
        for (const wchar_t* family : generic.families) {
            if (family && GfxFontFamilyInstalled(family))
                return family;
        }
        return std::wstring();
    }
    return GfxFontFamilyInstalled(name.c_str()) ? name : std::wstring();
}

// The name without the quotes around it, if it has them.
std::wstring Unquoted(const std::wstring& trimmed) {
    if (trimmed.size() >= 2 && (trimmed[0] == L'\'' || trimmed[0] == L'"') &&
        trimmed.back() == trimmed[0])
        return trimmed.substr(1, trimmed.size() - 2);
    return trimmed;
}

} // namespace

FontChoice FontOf(FontCache* cache, const StyleState& state) {
    return FontEntryOf(cache, state).font;
}

const FontMetrics& MetricsOf(FontCache* cache, const StyleState& state) {
    FontCache::Entry& entry = FontEntryOf(cache, state);
    if (!entry.hasMetrics) {
        const wchar_t* name = entry.font.family.c_str();
        int style = entry.font.style;
        entry.metrics =
            ReadFontMetrics(GfxFontTable(name, style, "head"), GfxFontTable(name, style, "hhea"),
                            GfxFontTable(name, style, "OS/2"), GfxFontTable(name, style, "post"));
        entry.hasMetrics = true;
    }
    return entry.metrics;
}

bool IsColourFont(FontCache* cache, const StyleState& state) {
    FontCache::Entry& entry = FontEntryOf(cache, state);
    if (entry.colour < 0) {
        entry.colour = 0;
        for (const char* tag : {"COLR", "CBDT", "sbix", "SVG "}) {
            if (!GfxFontTable(entry.font.family.c_str(), entry.font.style, tag).empty())
                entry.colour = 1;
        }
    }
    return entry.colour != 0;
}

const FontKerning& KerningOf(KerningCache* cache, const std::wstring& family, int style) {
    for (const KerningCache::Entry& entry : cache->entries) {
        if (entry.family == family && entry.style == style)
            return entry.kerning;
    }
    cache->entries.push_back(KerningCache::Entry{family, style, FontKerning()});
    const wchar_t* name = family.c_str();
    ReadFontKerning(GfxFontTable(name, style, "head"), GfxFontTable(name, style, "cmap"),
                    GfxFontTable(name, style, "GPOS"), &cache->entries.back().kerning);
    return cache->entries.back().kerning;
}

std::wstring ChooseFontFamily(const std::wstring& list) {
    for (const std::wstring& item : CommaSeparatedItems(list)) {
        std::wstring name = Unquoted(item);
        if (name.empty())
            continue;
        std::wstring family = InstalledFamily(name);
        if (!family.empty())
            return family;
    }
    std::wstring family = InstalledFamily(L"serif");
    return family.empty() ? InstalledFamily(L"sans-serif") : family;
}
