// Text layout: collect the characters of a text element with the positions
// its elements give them, arrange their white space, place them along the
// baseline chunk by chunk (text-anchor moves a chunk as a whole) and build
// each run's outlines.
#include "svg/build/text.h"

#include <cmath>
#include <utility>
#include <vector>

#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/build/font_kerning.h"
#include "svg/build/shape_records.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/properties.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/xml/xml_tree.h"

namespace {

// Elements nested deeper than this inside a text are left out.
const int MaxTextDepth = 32;

// One character as it is placed: the user-perceived character (a base and
// the marks that join it) at [start, start + length) of its run's text.
struct Glyph {
    size_t start, length;
    bool hasX, hasY;
    float x, y, dx, dy; // as the elements give them
    float rotate;       // degrees, clockwise
    float advance;      // the font's own
    float spacing;      // what kerning adds to the advance
    float placedX, placedY; // the origin on the baseline, once placed
};

struct TextRun {
    const XmlNode* owner; // the element the characters stand in
    std::wstring characters;
    StyleState state;
    std::vector<Glyph> glyphs;
};

// The x, y, dx, dy and rotate lists of an element that encloses the
// characters being collected, and how many of its characters came so far:
// the n-th value of a list goes to its n-th character.
struct PositionLists {
    std::vector<float> x, y, dx, dy, rotate;
    size_t used;
};

struct TextCollector {
    WalkContext* context;
    std::vector<TextRun> runs;
    std::vector<PositionLists> scopes; // the text element first
    bool afterBlank;
};

bool IsListSeparator(wchar_t c) {
    return c == L' ' || c == L',' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f';
}

// Every value of a list of lengths (numbers for rotate), in user units.
std::vector<float> LengthList(const std::wstring& list, const LengthBasis& basis, int direction) {
    std::vector<float> values;
    const wchar_t* p = list.c_str();
    const wchar_t* end = p + list.size();
    while (p < end) {
        while (p < end && IsListSeparator(*p))
            p++;
        const wchar_t* item = p;
        while (p < end && !IsListSeparator(*p))
            p++;
        float value = 0;
        if (item < p && ReadLengthValue(item, p, basis, direction, &value) && std::isfinite(value))
            values.push_back(value);
        else if (item < p)
            break; // a list it cannot read ends there
    }
    return values;
}

PositionLists ReadPositionLists(const XmlNode* element, const StyleState& state) {
    LengthBasis basis = LengthBasisOf(state);
    PositionLists lists;
    lists.x = LengthList(XmlAttribute(element, L"x"), basis, LengthHorizontal);
    lists.y = LengthList(XmlAttribute(element, L"y"), basis, LengthVertical);
    lists.dx = LengthList(XmlAttribute(element, L"dx"), basis, LengthHorizontal);
    lists.dy = LengthList(XmlAttribute(element, L"dy"), basis, LengthVertical);
    lists.rotate = LengthList(XmlAttribute(element, L"rotate"), basis, LengthDiagonal);
    lists.used = 0;
    return lists;
}

// The value the innermost enclosing element with one gives the next
// character from one of its lists.
bool InnermostValue(const std::vector<PositionLists>& scopes,
                    std::vector<float> PositionLists::*list, float* value) {
    for (size_t i = scopes.size(); i-- > 0;) {
        const std::vector<float>& values = scopes[i].*list;
        if (scopes[i].used < values.size()) {
            *value = values[scopes[i].used];
            return true;
        }
    }
    return false;
}

// The turn of the next character: the innermost rotate list's value, its
// last value repeated for characters past its end.
float NextRotation(const std::vector<PositionLists>& scopes) {
    for (size_t i = scopes.size(); i-- > 0;) {
        const std::vector<float>& values = scopes[i].rotate;
        if (!values.empty())
            return values[scopes[i].used < values.size() ? scopes[i].used : values.size() - 1];
    }
    return 0;
}

Glyph NextGlyph(TextCollector* collector, size_t start, size_t length) {
    std::vector<PositionLists>& scopes = collector->scopes;
    Glyph glyph = {start, length, false, false, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    glyph.hasX = InnermostValue(scopes, &PositionLists::x, &glyph.x);
    glyph.hasY = InnermostValue(scopes, &PositionLists::y, &glyph.y);
    InnermostValue(scopes, &PositionLists::dx, &glyph.dx);
    InnermostValue(scopes, &PositionLists::dy, &glyph.dy);
    glyph.rotate = NextRotation(scopes);
    for (PositionLists& scope : scopes)
        scope.used++;
    return glyph;
}

// Whether the character joins the one before it into one user-perceived
// character: combining marks, variation selectors, joiners, the low half of
// a surrogate pair and emoji skin tones (their high half is D83C).
bool JoinsPrevious(const std::wstring& text, size_t i) {
    wchar_t c = text[i];
    wchar_t before = text[i - 1];
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F) ||
           (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xDC00 && c <= 0xDFFF) || c == 0x200D ||
           before == 0x200D || (c == 0xD83C && i + 1 < text.size() && text[i + 1] >= 0xDFFB &&
                                text[i + 1] <= 0xDFFF);
}

void AddCharacters(TextCollector* collector, const XmlNode* owner, const StyleState& state,
                   const std::wstring& text) {
    std::wstring characters = ArrangeWhiteSpace(text, state.preserveSpace, &collector->afterBlank);
    if (characters.empty())
        return;
    std::vector<TextRun>& runs = collector->runs;
    if (runs.empty() || runs.back().owner != owner)
        runs.push_back(TextRun{owner, std::wstring(), state, {}});
    TextRun& run = runs.back();
    size_t offset = run.characters.size();
    run.characters += characters;
    for (size_t i = 0; i < characters.size(); i++) {
        if (i > 0 && JoinsPrevious(characters, i))
            run.glyphs.back().length++;
        else
            run.glyphs.push_back(NextGlyph(collector, offset + i, 1));
    }
}

bool IsNamed(const XmlNode* element, const wchar_t* name) {
    return XmlElementNamespace(element) != XmlOtherNamespace &&
           LowerTextIs(XmlLocalName(element), name);
}

void CollectElement(TextCollector* collector, const XmlNode* element, const StyleState& state,
                    int depth) {
    collector->scopes.push_back(ReadPositionLists(element, state));
    for (const XmlNode* child = XmlFirstChild(element); child; child = XmlNextSibling(child)) {
        if (!XmlIsElement(child)) {
            AddCharacters(collector, element, state, XmlTextContent(child));
            continue;
        }
        if (IsNamed(child, L"textpath")) {
            collector->context->document->notDrawn[NotDrawnText]++;
            continue;
        }
        if (!(IsNamed(child, L"tspan") || IsNamed(child, L"a")) || depth >= MaxTextDepth)
            continue;
        StyleState inner;
        ApplyPresentation(collector->context->load, child, &state, &inner);
        if (!inner.displayNone)
            CollectElement(collector, child, inner, depth + 1);
    }
    collector->scopes.pop_back();
}

// A blank at the very end goes too, unless it is preserved.
void DropLastBlank(std::vector<TextRun>* runs) {
    if (runs->empty())
        return;
    TextRun& last = runs->back();
    if (!last.state.preserveSpace && last.characters.back() == L' ') {
        last.characters.pop_back();
        last.glyphs.pop_back();
        if (last.characters.empty())
            runs->pop_back();
    }
}

int FontStyleOf(const StyleState& state) {
    return (state.fontBold ? GfxFontBold : 0) | (state.fontItalic ? GfxFontItalic : 0);
}

struct FamilyCache {
    std::wstring list, family;
    bool known;
};

const std::wstring& FamilyOf(FamilyCache* cache, const std::wstring& list) {
    if (!cache->known || cache->list != list) {
        cache->list = list;
        cache->family = ChooseFontFamily(list);
        cache->known = true;
    }
    return cache->family;
}

void MeasureGlyphs(TextRun* run, FamilyCache* families) {
    std::vector<int> ends;
    ends.reserve(run->glyphs.size());
    for (const Glyph& glyph : run->glyphs)
        ends.push_back(static_cast<int>(glyph.start + glyph.length));
    std::vector<float> advances(run->glyphs.size());
    const std::wstring& family = FamilyOf(families, run->state.fontFamily);
    GfxMeasureClusters(run->characters.c_str(), ends.data(), static_cast<int>(ends.size()),
                       family.c_str(), FontStyleOf(run->state), run->state.fontSize,
                       advances.data());
    for (size_t i = 0; i < advances.size(); i++)
        run->glyphs[i].advance = advances[i];
}

// The kerning of each font the text uses, read once.
struct KerningCache {
    struct Entry {
        std::wstring family;
        int style;
        FontKerning kerning;
    };
    std::vector<Entry> entries;
};

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

// The code point a glyph stands for: its first character's.
uint32_t CodePointOf(const std::wstring& text, const Glyph& glyph) {
    uint32_t c = text[glyph.start];
    if (c >= 0xD800 && c <= 0xDBFF && glyph.length > 1) {
        uint32_t low = text[glyph.start + 1];
        if (low >= 0xDC00 && low <= 0xDFFF)
            return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
    return c;
}

bool KerningOff(const XmlNode* element, const std::wstring& declarations) {
    std::wstring value =
        LowerText(TrimWhiteSpace(GetPropertyValue(element, declarations, L"font-kerning")));
    return value == L"none" || TrimWhiteSpace(XmlAttribute(element, L"kerning")) == L"0";
}

// Moves each glyph by the font's pair kerning with the glyph after it in the
// run, unless that one starts a new chunk.
void KernRun(TextRun* run, KerningCache* cache, FamilyCache* families) {
    if (run->glyphs.size() < 2)
        return;
    const std::wstring& family = FamilyOf(families, run->state.fontFamily);
    const FontKerning& kerning = KerningOf(cache, family, FontStyleOf(run->state));
    if (kerning.pairSubtables.empty())
        return;
    uint32_t next = GlyphOfCodePoint(kerning, CodePointOf(run->characters, run->glyphs[0]));
    for (size_t i = 0; i + 1 < run->glyphs.size(); i++) {
        uint32_t glyph = next;
        const Glyph& after = run->glyphs[i + 1];
        next = GlyphOfCodePoint(kerning, CodePointOf(run->characters, after));
        if (!after.hasX && !after.hasY)
            run->glyphs[i].spacing += PairKerning(kerning, glyph, next) * run->state.fontSize;
    }
}

// Where a glyph is: its run and its place in the run.
struct GlyphPlace {
    size_t run, glyph;
};

// Moves the glyphs from `first` up to (not including) `end` as the text-anchor
// of the chunk's first character says; endX is where the chunk's advance ends.
void AnchorChunk(std::vector<TextRun>* runs, GlyphPlace first, GlyphPlace end, float endX) {
    if (first.run >= runs->size())
        return;
    const TextRun& firstRun = (*runs)[first.run];
    int anchor = firstRun.state.textAnchor;
    float width = endX - firstRun.glyphs[first.glyph].placedX;
    float shift = anchor == 1 ? -width / 2 : (anchor == 2 ? -width : 0);
    for (size_t r = first.run; r < runs->size() && r <= end.run; r++) {
        std::vector<Glyph>& glyphs = (*runs)[r].glyphs;
        size_t from = r == first.run ? first.glyph : 0;
        size_t to = r == end.run ? end.glyph : glyphs.size();
        for (size_t g = from; g < to; g++)
            glyphs[g].placedX += shift;
    }
}

// Places every glyph: an absolute x or y moves the pen there and starts a new
// chunk, dx and dy move it by, and each glyph advances it.
void PlaceGlyphs(std::vector<TextRun>* runs) {
    float x = 0, y = 0;
    GlyphPlace chunk = {0, 0};
    for (size_t r = 0; r < runs->size(); r++) {
        std::vector<Glyph>& glyphs = (*runs)[r].glyphs;
        for (size_t g = 0; g < glyphs.size(); g++) {
            Glyph& glyph = glyphs[g];
            if ((glyph.hasX || glyph.hasY) && (r > 0 || g > 0)) {
                AnchorChunk(runs, chunk, GlyphPlace{r, g}, x);
                chunk = GlyphPlace{r, g};
            }
            if (glyph.hasX)
                x = glyph.x;
            if (glyph.hasY)
                y = glyph.y;
            x += glyph.dx;
            y += glyph.dy;
            glyph.placedX = x;
            glyph.placedY = y;
            x += glyph.advance + glyph.spacing;
        }
    }
    AnchorChunk(runs, chunk, GlyphPlace{runs->size(), 0}, x);
}

// Whether the glyph can be drawn in one string with the one before it: the
// string's own advances put it where it was placed, and neither is turned.
bool FollowsOn(const Glyph& before, const Glyph& glyph) {
    return glyph.rotate == 0 && before.rotate == 0 && glyph.placedY == before.placedY &&
           std::fabs(before.placedX + before.advance - glyph.placedX) < 1e-3f;
}

// Adds the outlines of [first, end) of the run's glyphs, turned about the
// first glyph's origin by its rotation.
void AddGlyphOutlines(GfxPath* path, const TextRun& run, size_t first, size_t end,
                      const std::wstring& family) {
    const Glyph& lead = run.glyphs[first];
    const Glyph& last = run.glyphs[end - 1];
    const wchar_t* text = run.characters.c_str() + lead.start;
    int length = static_cast<int>(last.start + last.length - lead.start);
    int style = FontStyleOf(run.state);
    float size = run.state.fontSize;
    if (lead.rotate == 0) {
        GfxAddPathText(path, text, length, family.c_str(), style, size, lead.placedX,
                       lead.placedY);
        return;
    }
    GfxOwnedPath turned(GfxCreatePath());
    if (!turned || !GfxAddPathText(turned.get(), text, length, family.c_str(), style, size, 0, 0))
        return;
    float radians = lead.rotate * 3.14159265358979f / 180;
    float c = std::cos(radians), s = std::sin(radians);
    const float matrix[6] = {c, s, -s, c, lead.placedX, lead.placedY};
    GfxTransformPath(turned.get(), matrix);
    int count = GfxGetPathPointCount(turned.get());
    if (count <= 0)
        return;
    std::vector<GfxPointF> points(static_cast<size_t>(count));
    std::vector<uint8_t> types(static_cast<size_t>(count));
    count = GfxGetPathData(turned.get(), points.data(), types.data(), count);
    GfxAddFigures(path, points.data(), types.data(), count);
}

void CommitRun(WalkContext* context, const TextRun& run, FamilyCache* families) {
    if (!(run.state.fontSize > 0) || run.glyphs.empty())
        return;
    std::wstring id = XmlAttributeCopy(run.owner, L"id");
    const std::wstring& family = FamilyOf(families, run.state.fontFamily);
    GfxOwnedPath path(GfxCreatePath());
    if (!path)
        return;
    size_t first = 0;
    for (size_t g = 1; g <= run.glyphs.size(); g++) {
        if (g < run.glyphs.size() && FollowsOn(run.glyphs[g - 1], run.glyphs[g]))
            continue;
        AddGlyphOutlines(path.get(), run, first, g, family);
        first = g;
    }
    CommitShape(context->document, path.release(), &run.state, std::move(id));
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

std::wstring ArrangeWhiteSpace(const std::wstring& text, int preserve, bool* afterBlank) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c == L'\n' || c == L'\r') {
            if (!preserve)
                continue;
            c = L' ';
        }
        if (c == L'\t')
            c = L' ';
        if (c == L' ' && !preserve && *afterBlank)
            continue;
        out += c;
        *afterBlank = c == L' ';
    }
    return out;
}

void CommitText(WalkContext* context, const XmlNode* text, const StyleState& state) {
    TextCollector collector = {context, {}, {}, true};
    if (state.vertical)
        context->document->notDrawn[NotDrawnText]++; // drawn as horizontal text
    CollectElement(&collector, text, state, 0);
    DropLastBlank(&collector.runs);
    FamilyCache families = {std::wstring(), std::wstring(), false};
    KerningCache kernings;
    bool kerning = !KerningOff(text, ElementDeclarations(&context->load->sheets, text));
    for (TextRun& run : collector.runs) {
        MeasureGlyphs(&run, &families);
        if (kerning)
            KernRun(&run, &kernings, &families);
    }
    PlaceGlyphs(&collector.runs);
    for (const TextRun& run : collector.runs)
        CommitRun(context, run, &families);
}
