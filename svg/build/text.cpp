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
#include "svg/build/element_roles.h"
#include "svg/build/font_metrics.h"
#include "svg/build/shape_paths.h"
#include "svg/build/shape_records.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/values/path_data.h"
#include "svg/values/transform.h"
#include "svg/xml/xml_tree.h"

namespace {

// Elements nested deeper than this inside a text are left out.
const int MaxTextDepth = 32;

// One character as it is placed: the user-perceived character (a base and
// the marks that join it) at [start, start + length) of its run's text.
struct Glyph {
    size_t start, length;
    bool hasX, hasY;
    float x, y, dx, dy;     // as the elements give them
    float rotate;           // degrees, clockwise
    float advance;          // the font's own
    float spacing;          // what kerning adds to the advance
    bool hidden;            // past an end of its text path
    float stretch;          // how much textLength widens the glyph (1: not)
    float placedX, placedY; // the origin on the baseline, once placed
};

// The line a textPath sets its characters along: the referenced path
// flattened, and how far along it each point lies.
struct TextPathLine {
    std::vector<GfxPointF> points;
    std::vector<float> distances;
    std::vector<bool> starts; // the point starts a subpath: no line leads to it
    float startOffset;
};

// An element's textLength: the glyphs [first, end) of the text (counted
// over all runs) take up that length, by their spacing or, with
// lengthAdjust="spacingAndGlyphs", by stretching.
struct LengthAdjustment {
    float length;
    bool stretch;
    size_t first, end;
};

// An element's text-decoration: its lines go under, over or through every
// character inside it, painted as the element is.
struct Decoration {
    int lines;
    StyleState state;
};

struct TextRun {
    const XmlNode* owner; // the element the characters stand in
    std::wstring characters;
    StyleState state;
    float shift;                     // how far baseline-shift raises the run
    int path;                        // the collector's text path the run is set along, -1 none
    std::vector<size_t> decorations; // of the collector's, those that reach the run
    std::vector<Glyph> glyphs;
};

// The x, y, dx, dy and rotate lists of an element that encloses the
// characters being collected, and how many of its characters came so far:
// the n-th value of a list goes to its n-th character.
struct PositionLists {
    std::vector<float> x, y, dx, dy, rotate;
    size_t used;
};

// The installed face text is drawn in: a family and the GDI+ style bits.
struct FontChoice {
    std::wstring family;
    int style;
};

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

// The faces the text's font properties pick, each looked up once.
struct FontCache {
    struct Entry {
        std::wstring list;
        int weight;
        int italic;
        FontChoice font;
        bool hasMetrics; // the face's tables are read once, when first needed
        FontMetrics metrics;
    };
    std::vector<Entry> entries;
};

FontCache::Entry& FontEntryOf(FontCache* cache, const StyleState& state) {
    for (FontCache::Entry& entry : cache->entries) {
        if (entry.list == state.fontFamily && entry.weight == state.fontWeight &&
            entry.italic == state.fontItalic)
            return entry;
    }
    FontChoice font =
        WeightedFace(ChooseFontFamily(state.fontFamily), state.fontWeight, state.fontItalic != 0);
    cache->entries.push_back(FontCache::Entry{state.fontFamily, state.fontWeight, state.fontItalic,
                                              font, false, FontMetrics()});
    return cache->entries.back();
}

FontChoice FontOf(FontCache* cache, const StyleState& state) {
    return FontEntryOf(cache, state).font;
}

struct TextCollector {
    WalkContext* context;
    std::vector<TextRun> runs;
    std::vector<PositionLists> scopes; // the text element first
    std::vector<Decoration> decorations;
    std::vector<size_t> decorating; // the decorations of the elements being collected
    std::vector<TextPathLine> paths;
    int path;                                  // the text path being collected, -1 none
    std::vector<LengthAdjustment> adjustments; // inner elements first
    size_t glyphCount;
    FontCache* fonts;
    bool afterBlank;
};

// Every value of a list of lengths, in user units; with `numbers`, of plain
// numbers (a value with a unit makes the whole list unusable).
std::vector<float> LengthList(const std::wstring& list, const LengthBasis& basis, int direction,
                              bool numbers = false) {
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
        wchar_t last = item < p ? p[-1] : L'0';
        if (numbers && !((last >= L'0' && last <= L'9') || last == L'.'))
            return std::vector<float>();
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
    lists.rotate = LengthList(XmlAttribute(element, L"rotate"), basis, LengthDiagonal, true);
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
    Glyph glyph = {start, length, false, false, 0, 0, 0, 0, 0, 0, 0, false, 1, 0, 0};
    glyph.hasX = InnermostValue(scopes, &PositionLists::x, &glyph.x);
    glyph.hasY = InnermostValue(scopes, &PositionLists::y, &glyph.y);
    InnermostValue(scopes, &PositionLists::dx, &glyph.dx);
    InnermostValue(scopes, &PositionLists::dy, &glyph.dy);
    glyph.rotate = NextRotation(scopes);
    for (PositionLists& scope : scopes)
        scope.used++;
    collector->glyphCount++;
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
           before == 0x200D ||
           (c == 0xD83C && i + 1 < text.size() && text[i + 1] >= 0xDFFB && text[i + 1] <= 0xDFFF);
}

void AddCharacters(TextCollector* collector, const XmlNode* owner, const StyleState& state,
                   float shift, const std::wstring& text) {
    std::wstring characters = ArrangeWhiteSpace(text, state.preserveSpace, &collector->afterBlank);
    if (characters.empty())
        return;
    std::vector<TextRun>& runs = collector->runs;
    if (runs.empty() || runs.back().owner != owner)
        runs.push_back(TextRun{
            owner, std::wstring(), state, shift, collector->path, collector->decorating, {}});
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

// How far the element's baseline-shift raises its characters above its
// parent's baseline: sub and super by the font's script offsets.
float BaselineShift(FontCache* fonts, const StyleState& state) {
    if (state.baselineShiftKind == ShiftLength)
        return state.baselineShift;
    if (state.baselineShiftKind != ShiftSub && state.baselineShiftKind != ShiftSuper)
        return 0;
    FontMetrics m = MetricsOf(fonts, state);
    return state.fontSize *
           (state.baselineShiftKind == ShiftSub ? -m.subscriptOffset : m.superscriptOffset);
}

// Adds the points of a path's figures to the line, curves cut into short
// straight pieces, each point mapped through the matrix.
void FlattenPath(GfxPath* path, const Matrix2D& matrix, TextPathLine* line) {
    std::vector<GfxPointF> points;
    std::vector<uint8_t> types;
    ReadPathPoints(path, &points, &types);
    const int CurvePieces = 16;
    GfxPointF figureStart = {0, 0};
    auto add = [&](GfxPointF p, bool start) {
        ApplyMatrix(matrix, &p.x, &p.y);
        float distance = line->distances.empty() ? 0 : line->distances.back();
        if (!start && !line->points.empty())
            distance += std::hypot(p.x - line->points.back().x, p.y - line->points.back().y);
        line->points.push_back(p);
        line->distances.push_back(distance);
        line->starts.push_back(start || line->points.size() == 1);
    };
    for (size_t i = 0; i < points.size(); i++) {
        int type = types[i] & GfxPointTypeMask;
        if (type == GfxPointTypeStart) {
            figureStart = points[i];
            add(points[i], true);
        } else if (type == GfxPointTypeBezier && i + 2 < points.size() && i > 0) {
            GfxPointF p0 = points[i - 1], p1 = points[i], p2 = points[i + 1], p3 = points[i + 2];
            for (int k = 1; k <= CurvePieces; k++) {
                float t = static_cast<float>(k) / CurvePieces, u = 1 - t;
                float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
                add(GfxPointF{a * p0.x + b * p1.x + c * p2.x + d * p3.x,
                              a * p0.y + b * p1.y + c * p2.y + d * p3.y},
                    false);
            }
            i += 2;
        } else {
            add(points[i], false);
        }
        if (types[i] & GfxPointTypeCloseSubpath)
            add(figureStart, false);
    }
}

// Reads the textPath's path (its "path" attribute, else the path element
// its href names, that element's transform applied) and start offset, and
// makes it the path the text inside follows. False when there is no path.
bool StartTextPath(TextCollector* collector, const XmlNode* textPath, const StyleState& state) {
    TextPathLine line;
    Matrix2D matrix;
    IdentityMatrix(&matrix);
    std::wstring data = XmlAttributeCopy(textPath, L"path");
    GfxOwnedPath path;
    if (!data.empty()) {
        path.reset(GfxCreatePath());
        if (path)
            ParsePathData(path.get(), data);
    } else {
        const XmlNode* target = LookUpId(&collector->context->ids, HrefReferenceId(textPath));
        if (target)
            path.reset(BuildElementPath(target));
        if (target)
            ParseTransformList(XmlAttributeCopy(target, L"transform"), &matrix);
    }
    if (!path)
        return false;
    FlattenPath(path.get(), matrix, &line);
    if (line.points.size() < 2 || !(line.distances.back() > 0))
        return false;
    std::wstring offset = TrimWhiteSpace(XmlAttributeCopy(textPath, L"startOffset"));
    line.startOffset = IsPercentage(offset)
                           ? ParseLength(offset) / 100 * line.distances.back()
                           : ResolveLength(offset, LengthBasisOf(state), LengthHorizontal);
    collector->path = static_cast<int>(collector->paths.size());
    collector->paths.push_back(std::move(line));
    return true;
}

// How far the baseline lies above the alphabetic one, in ems of the font.
float BaselineHeight(int baseline, const FontMetrics& m) {
    switch (baseline) {
    case BaselineMiddle:
        return m.xHeight / 2;
    case BaselineCentral:
        return (m.ascent - m.descent) / 2;
    case BaselineHanging:
        return 0.8f * m.ascent;
    case BaselineMathematical:
        return 0.5f * m.ascent;
    case BaselineTextTop:
        return m.ascent;
    case BaselineTextBottom:
    case BaselineIdeographic:
        return -m.descent;
    default:
        return 0;
    }
}

// The baseline the element's characters sit on: its alignment-baseline when
// that names one, else its dominant-baseline.
int ElementBaseline(const StyleState& state) {
    return state.alignmentBaseline == BaselineUnchanged ? state.dominantBaseline
                                                        : state.alignmentBaseline;
}

// The character data of the element a tref names and of all inside it, in
// document order; "" when it names none, or an element SVG does not define.
std::wstring ReferencedText(TextCollector* collector, const XmlNode* tref) {
    std::wstring text;
    const XmlNode* target = LookUpId(&collector->context->ids, HrefReferenceId(tref));
    std::vector<const XmlNode*> pending;
    if (target && RoleOf(target) != RoleUnknown)
        pending.push_back(target);
    while (!pending.empty()) {
        const XmlNode* node = pending.back();
        pending.pop_back();
        if (!XmlIsElement(node)) {
            text += XmlTextContent(node);
            continue;
        }
        std::vector<const XmlNode*> children;
        for (const XmlNode* child = XmlFirstChild(node); child; child = XmlNextSibling(child))
            children.push_back(child);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return text;
}

// Notes the element's textLength, when it gives a usable one, for the glyphs
// collected inside it since `first`.
void ReadTextLength(TextCollector* collector, const XmlNode* element, const StyleState& state,
                    size_t first) {
    std::wstring given = TrimWhiteSpace(XmlAttributeCopy(element, L"textLength"));
    float length = 0;
    const wchar_t* text = given.c_str();
    if (given.empty() || first == collector->glyphCount ||
        !ReadLengthValue(text, text + given.size(), LengthBasisOf(state), LengthHorizontal,
                         &length) ||
        !(length >= 0) || !std::isfinite(length))
        return;
    bool stretch =
        TrimWhiteSpace(XmlAttributeCopy(element, L"lengthAdjust")) == L"spacingAndGlyphs";
    collector->adjustments.push_back(
        LengthAdjustment{length, stretch, first, collector->glyphCount});
}

void CollectElement(TextCollector* collector, const XmlNode* element, const StyleState& state,
                    float shift, int depth) {
    collector->scopes.push_back(ReadPositionLists(element, state));
    const int baseline = ElementBaseline(state);
    float raised = shift;
    if (baseline != BaselineAlphabetic && state.fontSize > 0)
        raised -= state.fontSize * BaselineHeight(baseline, MetricsOf(collector->fonts, state));
    const int lines = state.decorationLines;
    if (lines) {
        collector->decorating.push_back(collector->decorations.size());
        collector->decorations.push_back(Decoration{lines, state});
    }
    size_t firstGlyph = collector->glyphCount;
    if (IsNamed(element, L"tref"))
        AddCharacters(collector, element, state, raised, ReferencedText(collector, element));
    for (const XmlNode* child = XmlFirstChild(element); child && !IsNamed(element, L"tref");
         child = XmlNextSibling(child)) {
        if (!XmlIsElement(child)) {
            AddCharacters(collector, element, state, raised, XmlTextContent(child));
            continue;
        }
        bool textPath = IsNamed(child, L"textpath");
        if (!(textPath || IsNamed(child, L"tspan") || IsNamed(child, L"a") ||
              IsNamed(child, L"tref")) ||
            depth >= MaxTextDepth || (textPath && collector->path >= 0))
            continue;
        StyleState inner;
        ApplyPresentation(collector->context->load, child, &state, &inner);
        inner.matrix = state.matrix; // a transform inside text has no effect
        if (inner.displayNone)
            continue;
        if (textPath && !StartTextPath(collector, child, inner))
            continue; // without a path to follow, its text is not drawn
        CollectElement(collector, child, inner, shift + BaselineShift(collector->fonts, inner),
                       depth + 1);
        if (textPath)
            collector->path = -1;
    }
    collector->scopes.pop_back();
    if (lines)
        collector->decorating.pop_back();
    ReadTextLength(collector, element, state, firstGlyph);
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

void MeasureGlyphs(TextRun* run, FontCache* fonts) {
    std::vector<int> ends;
    ends.reserve(run->glyphs.size());
    for (const Glyph& glyph : run->glyphs)
        ends.push_back(static_cast<int>(glyph.start + glyph.length));
    std::vector<float> advances(run->glyphs.size());
    FontChoice font = FontOf(fonts, run->state);
    GfxMeasureClusters(run->characters.c_str(), ends.data(), static_cast<int>(ends.size()),
                       font.family.c_str(), font.style, run->state.fontSize, advances.data());
    for (size_t i = 0; i < advances.size(); i++) {
        Glyph& glyph = run->glyphs[i];
        glyph.advance = advances[i];
        glyph.spacing = run->state.letterSpacing;
        if (run->characters[glyph.start] == L' ')
            glyph.spacing += run->state.wordSpacing;
    }
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

// Moves each glyph by the font's pair kerning with the glyph after it, also
// across elements drawn in the same font and size, unless that one starts a
// new chunk.
void KernText(std::vector<TextRun>* runs, KerningCache* cache, FontCache* fonts) {
    const FontKerning* kerning = nullptr;
    FontChoice font;
    Glyph* before = nullptr; // the glyph before, in the same font and size
    uint32_t beforeIndex = 0;
    for (size_t r = 0; r < runs->size(); r++) {
        TextRun& run = (*runs)[r];
        FontChoice runFont = FontOf(fonts, run.state);
        bool sameFont = r > 0 && runFont.family == font.family && runFont.style == font.style &&
                        run.state.fontSize == (*runs)[r - 1].state.fontSize;
        if (!sameFont) {
            font = runFont;
            kerning = &KerningOf(cache, font.family, font.style);
            before = nullptr;
        }
        for (Glyph& glyph : run.glyphs) {
            uint32_t index = GlyphOfCodePoint(*kerning, CodePointOf(run.characters, glyph));
            if (before && !glyph.hasX && !glyph.hasY)
                before->spacing += PairKerning(*kerning, beforeIndex, index) * run.state.fontSize;
            before = &glyph;
            beforeIndex = index;
        }
    }
}

// Makes each textLength element's glyphs take up its length: the
// difference spread over the gaps between them, or their advances (and
// outlines) stretched.
void AdjustLengths(std::vector<TextRun>* runs, const std::vector<LengthAdjustment>& adjustments) {
    std::vector<Glyph*> glyphs;
    for (TextRun& run : *runs) {
        for (Glyph& glyph : run.glyphs)
            glyphs.push_back(&glyph);
    }
    for (const LengthAdjustment& a : adjustments) {
        size_t end = a.end < glyphs.size() ? a.end : glyphs.size();
        if (a.first >= end)
            continue;
        float total = 0;
        for (size_t i = a.first; i < end; i++)
            total += glyphs[i]->advance + glyphs[i]->spacing;
        total -= glyphs[end - 1]->spacing;
        if (a.stretch && total > 0) {
            float scale = a.length / total;
            for (size_t i = a.first; i < end; i++) {
                glyphs[i]->stretch *= scale;
                glyphs[i]->advance *= scale;
                glyphs[i]->spacing *= scale;
            }
        } else if (end - a.first > 1) {
            float gap = (a.length - total) / static_cast<float>(end - a.first - 1);
            for (size_t i = a.first; i + 1 < end; i++)
                glyphs[i]->spacing += gap;
        }
    }
}

// Where a glyph is: its run and its place in the run.
struct GlyphPlace {
    size_t run, glyph;
};

// Moves the glyphs from `first` up to (not including) `end` as the text-anchor
// of the chunk's first character says; endX is where the chunk's advance ends.
void AnchorChunk(std::vector<TextRun>* runs, GlyphPlace first, GlyphPlace end, float endX,
                 bool vertical) {
    if (first.run >= runs->size())
        return;
    const TextRun& firstRun = (*runs)[first.run];
    int anchor = firstRun.state.textAnchor;
    const Glyph& lead = firstRun.glyphs[first.glyph];
    float width = endX - (vertical ? lead.placedY : lead.placedX);
    float shift = anchor == 1 ? -width / 2 : (anchor == 2 ? -width : 0);
    for (size_t r = first.run; r < runs->size() && r <= end.run; r++) {
        std::vector<Glyph>& glyphs = (*runs)[r].glyphs;
        size_t from = r == first.run ? first.glyph : 0;
        size_t to = r == end.run ? end.glyph : glyphs.size();
        for (size_t g = from; g < to; g++)
            (vertical ? glyphs[g].placedY : glyphs[g].placedX) += shift;
    }
}

// Whether the character stands upright in vertical text: the scripts of
// East Asia and their full-width forms (other characters lie turned).
bool StandsUpright(uint32_t c) {
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

// Places every glyph: an absolute x or y moves the pen there and starts a new
// chunk, dx and dy move it by, and each glyph advances it: along x, or in
// vertical text down y (an upright character by one em).
void PlaceGlyphs(std::vector<TextRun>* runs, bool vertical) {
    float x = 0, y = 0;
    float& along = vertical ? y : x;
    float trailing = 0; // the last glyph's spacing, which a chunk's width leaves out
    GlyphPlace chunk = {0, 0};
    for (size_t r = 0; r < runs->size(); r++) {
        std::vector<Glyph>& glyphs = (*runs)[r].glyphs;
        for (size_t g = 0; g < glyphs.size(); g++) {
            Glyph& glyph = glyphs[g];
            // A text path starts a chunk of its own, measured along the path.
            bool entersPath = g == 0 && (*runs)[r].path >= 0 &&
                              (r == 0 || (*runs)[r - 1].path != (*runs)[r].path);
            if (entersPath)
                x = 0, y = 0;
            if ((glyph.hasX || glyph.hasY || entersPath) && (r > 0 || g > 0)) {
                AnchorChunk(runs, chunk, GlyphPlace{r, g}, along - trailing, vertical);
                chunk = GlyphPlace{r, g};
            }
            if (glyph.hasX)
                x = glyph.x;
            if (glyph.hasY)
                y = glyph.y;
            x += glyph.dx;
            y += glyph.dy;
            glyph.placedX = x;
            glyph.placedY = y - (*runs)[r].shift;
            const TextRun& run = (*runs)[r];
            bool upright = vertical && StandsUpright(CodePointOf(run.characters, glyph));
            along += (upright ? run.state.fontSize : glyph.advance) + glyph.spacing;
            trailing = glyph.spacing;
        }
    }
    AnchorChunk(runs, chunk, GlyphPlace{runs->size(), 0}, along - trailing, vertical);
}

// Sets vertical text's glyphs about the line through their x: upright ones
// centred on it with their em box from their place down, the others turned
// a quarter clockwise with the middle of their height on it.
void StandVertical(std::vector<TextRun>* runs, FontCache* fonts) {
    for (TextRun& run : *runs) {
        FontMetrics m = MetricsOf(fonts, run.state);
        float size = run.state.fontSize, central = (m.ascent - m.descent) / 2 * size;
        for (Glyph& glyph : run.glyphs) {
            if (StandsUpright(CodePointOf(run.characters, glyph))) {
                glyph.placedX -= glyph.advance / 2;
                glyph.placedY += size / 2 + central;
            } else {
                glyph.placedX -= central;
                glyph.rotate += 90;
            }
        }
    }
}

// Where along the line the distance falls, and the line's direction there
// (radians); false past either end.
bool PointAlong(const TextPathLine& line, float distance, GfxPointF* point, float* angle) {
    if (distance < 0 || distance > line.distances.back())
        return false;
    size_t i = 1;
    while (i + 1 < line.points.size() && (line.distances[i] < distance || line.starts[i]))
        i++;
    const GfxPointF &a = line.points[i - 1], &b = line.points[i];
    float length = line.distances[i] - line.distances[i - 1];
    float t = length > 0 ? (distance - line.distances[i - 1]) / length : 0;
    *point = GfxPointF{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
    *angle = std::atan2(b.y - a.y, b.x - a.x);
    return true;
}

// Sets the glyphs of text paths along their lines: each glyph's middle goes
// to the point its distance (plus the start offset) names, turned with the
// line there and moved off it by its vertical place; glyphs whose middle
// falls past an end are hidden.
void SetAlongPaths(std::vector<TextRun>* runs, const std::vector<TextPathLine>& paths) {
    for (TextRun& run : *runs) {
        if (run.path < 0)
            continue;
        const TextPathLine& line = paths[static_cast<size_t>(run.path)];
        for (Glyph& glyph : run.glyphs) {
            float half = glyph.advance / 2;
            GfxPointF middle;
            float angle = 0;
            glyph.hidden =
                !PointAlong(line, line.startOffset + glyph.placedX + half, &middle, &angle);
            if (glyph.hidden)
                continue;
            float c = std::cos(angle), s = std::sin(angle);
            glyph.placedX = middle.x - half * c - glyph.placedY * s;
            glyph.placedY = middle.y - half * s + glyph.placedY * c;
            glyph.rotate += angle * 180 / 3.14159265358979f;
        }
    }
}

// Whether the glyph can be drawn in one string with the one before it: the
// string's own advances put it where it was placed, and neither is turned.
bool FollowsOn(const Glyph& before, const Glyph& glyph) {
    return !glyph.hidden && !before.hidden && glyph.stretch == 1 && before.stretch == 1 &&
           glyph.rotate == 0 && before.rotate == 0 && glyph.placedY == before.placedY &&
           std::fabs(before.placedX + before.advance - glyph.placedX) < 1e-3f;
}

// Adds the outlines of [first, end) of the run's glyphs, widened by the
// first glyph's stretch and turned about its origin by its rotation.
void AddGlyphOutlines(GfxPath* path, const TextRun& run, size_t first, size_t end,
                      const FontChoice& font) {
    const std::wstring& family = font.family;
    const Glyph& lead = run.glyphs[first];
    const Glyph& last = run.glyphs[end - 1];
    const wchar_t* text = run.characters.c_str() + lead.start;
    int length = static_cast<int>(last.start + last.length - lead.start);
    int style = font.style;
    float size = run.state.fontSize;
    if (lead.rotate == 0 && lead.stretch == 1) {
        GfxAddPathText(path, text, length, family.c_str(), style, size, lead.placedX, lead.placedY);
        return;
    }
    GfxOwnedPath turned(GfxCreatePath());
    if (!turned || !GfxAddPathText(turned.get(), text, length, family.c_str(), style, size, 0, 0))
        return;
    float radians = lead.rotate * 3.14159265358979f / 180;
    float c = std::cos(radians), s = std::sin(radians);
    const float matrix[6] = {c * lead.stretch, s * lead.stretch, -s, c, lead.placedX, lead.placedY};
    GfxTransformPath(turned.get(), matrix);
    int count = GfxGetPathPointCount(turned.get());
    if (count <= 0)
        return;
    std::vector<GfxPointF> points(static_cast<size_t>(count));
    std::vector<uint8_t> types(static_cast<size_t>(count));
    count = GfxGetPathData(turned.get(), points.data(), types.data(), count);
    GfxAddFigures(path, points.data(), types.data(), count);
}

// A band along the baseline under one glyph or more: from x0 to x1, its top
// `top` and its bottom `bottom` below the baseline at y, turned by `rotate`
// about (x0, y).
struct Band {
    float x0, x1, y, top, bottom, rotate;
};

void AddBand(GfxPath* path, const Band& band) {
    float radians = band.rotate * 3.14159265358979f / 180;
    float c = std::cos(radians), s = std::sin(radians);
    const float corners[4][2] = {{0, band.top},
                                 {band.x1 - band.x0, band.top},
                                 {band.x1 - band.x0, band.bottom},
                                 {0, band.bottom}};
    GfxPointF points[4];
    for (int i = 0; i < 4; i++) {
        float x = corners[i][0], y = corners[i][1];
        points[i] = GfxPointF{band.x0 + c * x - s * y, band.y + s * x + c * y};
    }
    const uint8_t types[4] = {GfxPointTypeStart, GfxPointTypeLine, GfxPointTypeLine,
                              GfxPointTypeLine | GfxPointTypeCloseSubpath};
    GfxAddFigures(path, points, types, 4);
}

// Commits one line of a decoration: a band from the top to the bottom offset
// (below the baseline) along every glyph the decoration reaches; glyphs that
// follow on share one band.
void CommitDecorationLine(WalkContext* context, const std::vector<TextRun>& runs, size_t index,
                          const Decoration& decoration, float top, float bottom) {
    GfxOwnedPath path(GfxCreatePath());
    if (!path)
        return;
    bool open = false;
    Band band = {0, 0, 0, top, bottom, 0};
    for (const TextRun& run : runs) {
        bool reached = false;
        for (size_t d : run.decorations)
            reached = reached || d == index;
        for (size_t g = 0; reached && g < run.glyphs.size(); g++) {
            const Glyph& glyph = run.glyphs[g];
            if (glyph.hidden)
                continue;
            float end = glyph.placedX + glyph.advance + glyph.spacing;
            if (open && glyph.rotate == 0 && band.rotate == 0 && glyph.placedY == band.y &&
                std::fabs(glyph.placedX - band.x1) < 1e-3f) {
                band.x1 = end;
                continue;
            }
            if (open)
                AddBand(path.get(), band);
            band = Band{glyph.placedX, end, glyph.placedY, top, bottom, glyph.rotate};
            open = true;
        }
    }
    if (!open)
        return;
    AddBand(path.get(), band);
    CommitShape(context->document, path.release(), &decoration.state, std::wstring());
}

// Commits the decorations' lines of the kinds asked for.
void CommitDecorations(WalkContext* context, const std::vector<TextRun>& runs,
                       const std::vector<Decoration>& decorations, int kinds, FontCache* fonts) {
    for (size_t i = 0; i < decorations.size(); i++) {
        const Decoration& d = decorations[i];
        if (!(d.lines & kinds) || !(d.state.fontSize > 0))
            continue;
        // Each line is centred on its height above the baseline.
        FontMetrics m = MetricsOf(fonts, d.state);
        float size = d.state.fontSize, half = m.underlineThickness * size / 2;
        if (d.lines & kinds & LineUnder) {
            float middle = -m.underlinePosition * size;
            CommitDecorationLine(context, runs, i, d, middle - half, middle + half);
        }
        if (d.lines & kinds & LineOver) {
            float middle = -m.ascent * size;
            CommitDecorationLine(context, runs, i, d, middle - half, middle + half);
        }
        if (d.lines & kinds & LineThrough) {
            float middle = -m.strikeoutPosition * size;
            half = m.strikeoutThickness * size / 2;
            CommitDecorationLine(context, runs, i, d, middle - half, middle + half);
        }
    }
}

void CommitRun(WalkContext* context, const TextRun& run, FontCache* fonts) {
    if (!(run.state.fontSize > 0) || run.glyphs.empty())
        return;
    std::wstring id = XmlAttributeCopy(run.owner, L"id");
    FontChoice font = FontOf(fonts, run.state);
    GfxOwnedPath path(GfxCreatePath());
    if (!path)
        return;
    size_t first = 0;
    for (size_t g = 1; g <= run.glyphs.size(); g++) {
        if (g < run.glyphs.size() && FollowsOn(run.glyphs[g - 1], run.glyphs[g]))
            continue;
        if (!run.glyphs[first].hidden)
            AddGlyphOutlines(path.get(), run, first, g, font);
        first = g;
    }
    StyleState paint = run.state;
    paint.fillRule = 1; // fill-rule does not apply to text
    CommitShape(context->document, path.release(), &paint, std::move(id));
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
    FontCache fonts;
    TextCollector collector = {context, {}, {}, {}, {}, {}, -1, {}, 0, &fonts, true};
    if (state.vertical)
        context->document->notDrawn[NotDrawnText]++; // drawn approximately
    CollectElement(&collector, text, state, 0, 0);
    DropLastBlank(&collector.runs);
    KerningCache kernings;
    for (TextRun& run : collector.runs)
        MeasureGlyphs(&run, &fonts);
    if (!state.kerningOff)
        KernText(&collector.runs, &kernings, &fonts);
    AdjustLengths(&collector.runs, collector.adjustments);
    PlaceGlyphs(&collector.runs, state.vertical != 0);
    if (state.vertical)
        StandVertical(&collector.runs, &fonts);
    SetAlongPaths(&collector.runs, collector.paths);
    // Lines under and over the text are painted below it, lines through it
    // above it.
    CommitDecorations(context, collector.runs, collector.decorations, LineUnder | LineOver, &fonts);
    for (const TextRun& run : collector.runs)
        CommitRun(context, run, &fonts);
    CommitDecorations(context, collector.runs, collector.decorations, LineThrough, &fonts);
}
