// Collecting the characters of a text element and the positions its
// elements give them.
#include "svg/build/text_collect.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "svg/base/strings.h"
#include "svg/build/element_roles.h"
#include "svg/build/text_paths.h"
#include "svg/build/walk_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/xml/references.h"
#include "svg/xml/xml_tree.h"

namespace {

// Elements nested deeper than this inside a text are left out.
const int MaxTextDepth = 32;

// The x, y, dx, dy and rotate lists of an element that encloses the
// characters being collected, and how many of its characters came so far:
// the n-th value of a list goes to its n-th character.
struct PositionLists {
    std::vector<float> x, y, dx, dy, rotate;
    size_t used;
};

// What collecting reads and keeps while it goes through the elements.
struct TextCollector {
    WalkContext* context;
    CollectedText* text; // the runs, decorations, text paths and textLength adjustments
    std::vector<PositionLists> scopes; // the text element first
    std::vector<size_t> decorating;    // the decorations of the elements being collected
    int path;                          // the text path being collected, -1 none
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
    Glyph glyph = {start, length, false, false, 0, 0, 0, 0, 0, 0, 0, false, 1, 0, 0, -1};
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

// How much smaller synthesised small capitals are than capitals.
const float SmallCapScale = 0.8f;

void AddRun(TextCollector* collector, const XmlNode* owner, const StyleState& state, float shift,
            const std::wstring& characters);

// Small caps are drawn as capitals of a smaller size: each stretch of
// lower-case letters (with the marks on them) becomes a run of its own in
// upper case.
void AddSmallCaps(TextCollector* collector, const XmlNode* owner, const StyleState& state,
                  float shift, const std::wstring& characters) {
    StyleState small = state;
    small.fontSize *= SmallCapScale;
    size_t start = 0;
    while (start < characters.size()) {
        const bool lower = UpperCharacter(characters[start]) != characters[start];
        size_t end = start + 1;
        while (end < characters.size() &&
               (JoinsPrevious(characters, end) ||
                (UpperCharacter(characters[end]) != characters[end]) == lower))
            end++;
        std::wstring part = characters.substr(start, end - start);
        for (wchar_t& c : part)
            c = UpperCharacter(c);
        AddRun(collector, owner, lower ? small : state, shift, part);
        start = end;
    }
}

void AddCharacters(TextCollector* collector, const XmlNode* owner, const StyleState& state,
                   float shift, const std::wstring& text) {
    std::wstring characters = ArrangeWhiteSpace(text, state.preserveSpace, &collector->afterBlank);
    if (characters.empty())
        return;
    if (state.smallCaps)
        AddSmallCaps(collector, owner, state, shift, characters);
    else
        AddRun(collector, owner, state, shift, characters);
}

// Adds characters to the last run when it is the owner's in the same size,
// else to a new run.
void AddRun(TextCollector* collector, const XmlNode* owner, const StyleState& state, float shift,
            const std::wstring& characters) {
    std::vector<TextRun>& runs = collector->text->runs;
    if (runs.empty() || runs.back().owner != owner || runs.back().state.fontSize != state.fontSize)
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

// Makes the textPath's line the one the text inside it follows; false when
// it has none.
bool StartTextPath(TextCollector* collector, const XmlNode* textPath, const StyleState& state) {
    TextPathLine line;
    if (!ReadTextPathLine(collector->context, textPath, state, &line))
        return false;
    collector->path = static_cast<int>(collector->text->paths.size());
    collector->text->paths.push_back(std::move(line));
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
    collector->text->adjustments.push_back(
        LengthAdjustment{length, stretch, first, collector->glyphCount});
}

void CollectElement(TextCollector* collector, const XmlNode* element, const StyleState& state,
                    float shift, int depth) {
    // A textPath has no positions of its own.
    collector->scopes.push_back(IsNamed(element, L"textpath") ? PositionLists()
                                                               : ReadPositionLists(element, state));
    const int baseline = ElementBaseline(state);
    float raised = shift;
    if (baseline != BaselineAlphabetic && state.fontSize > 0)
        raised -= state.fontSize * BaselineHeight(baseline, MetricsOf(collector->fonts, state));
    const int lines = state.decorationLines;
    if (lines) {
        collector->decorating.push_back(collector->text->decorations.size());
        collector->text->decorations.push_back(Decoration{lines, state});
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

} // namespace

void CollectText(WalkContext* context, const XmlNode* element, const StyleState& state,
                 FontCache* fonts, CollectedText* text) {
    TextCollector collector = {context, text, {}, {}, -1, 0, fonts, true};
    CollectElement(&collector, element, state, 0, 0);
    DropLastBlank(&text->runs);
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
