// Text layout: collect the characters of a text element in runs, arrange
// their white space, place the runs along the baseline chunk by chunk
// (text-anchor moves a chunk as a whole) and build each run's outlines.
#include "svg/build/text.h"

#include <utility>
#include <vector>

#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/build/shape_records.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/xml/xml_tree.h"

namespace {

// Elements nested deeper than this inside a text are left out.
const int MaxTextDepth = 32;

// A position an element gives its first character: x and y move there (and
// start a new chunk), dx and dy move by.
struct Position {
    bool hasX, hasY;
    float x, y, dx, dy;
};

struct TextRun {
    const XmlNode* owner; // the element the characters stand in
    std::wstring characters;
    StyleState state;
    Position position;
    float x, y; // where the run starts, once placed
    float advance;
};

struct TextCollector {
    WalkContext* context;
    std::vector<TextRun> runs;
    Position pending; // waits for the next character
    bool afterBlank;
    bool anyPending;
};

bool IsListSeparator(wchar_t c) {
    return c == L' ' || c == L',' || c == L'\t' || c == L'\n' || c == L'\r';
}

// The first value of a list of lengths; false when there is none. *more is
// set when further values follow (glyph positions that are not drawn).
bool FirstLength(const std::wstring& list, const StyleState& state, int direction, float* value,
                 bool* more) {
    size_t start = 0;
    while (start < list.size() && IsListSeparator(list[start]))
        start++;
    if (start == list.size())
        return false;
    size_t end = start;
    while (end < list.size() && !IsListSeparator(list[end]))
        end++;
    size_t next = end;
    while (next < list.size() && IsListSeparator(list[next]))
        next++;
    if (next < list.size())
        *more = true;
    *value = ResolveLength(list.substr(start, end - start), LengthBasisOf(state), direction);
    return true;
}

void ReadPosition(TextCollector* collector, const XmlNode* element, const StyleState& state) {
    Position& p = collector->pending;
    bool more = false;
    float value;
    if (FirstLength(XmlAttribute(element, L"x"), state, LengthHorizontal, &value, &more)) {
        p.hasX = true, p.x = value, p.dx = 0;
        collector->anyPending = true;
    }
    if (FirstLength(XmlAttribute(element, L"y"), state, LengthVertical, &value, &more)) {
        p.hasY = true, p.y = value, p.dy = 0;
        collector->anyPending = true;
    }
    if (FirstLength(XmlAttribute(element, L"dx"), state, LengthHorizontal, &value, &more)) {
        p.dx += value;
        collector->anyPending = true;
    }
    if (FirstLength(XmlAttribute(element, L"dy"), state, LengthVertical, &value, &more)) {
        p.dy += value;
        collector->anyPending = true;
    }
    if (more || !TrimWhiteSpace(XmlAttribute(element, L"rotate")).empty())
        collector->context->document->notDrawn[NotDrawnText]++;
}

void AddCharacters(TextCollector* collector, const XmlNode* owner, const StyleState& state,
                   const std::wstring& text) {
    std::wstring characters = ArrangeWhiteSpace(text, state.preserveSpace, &collector->afterBlank);
    if (characters.empty())
        return;
    std::vector<TextRun>& runs = collector->runs;
    if (runs.empty() || runs.back().owner != owner || collector->anyPending) {
        runs.push_back(TextRun{owner, std::wstring(), state, collector->pending, 0, 0, 0});
        collector->pending = Position();
        collector->anyPending = false;
    }
    runs.back().characters += characters;
}

bool IsNamed(const XmlNode* element, const wchar_t* name) {
    return XmlElementNamespace(element) != XmlOtherNamespace &&
           LowerTextIs(XmlLocalName(element), name);
}

void CollectElement(TextCollector* collector, const XmlNode* element, const StyleState& state,
                    int depth) {
    ReadPosition(collector, element, state);
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
}

// A blank at the very end goes too, unless it is preserved.
void DropLastBlank(std::vector<TextRun>* runs) {
    if (runs->empty())
        return;
    TextRun& last = runs->back();
    if (!last.state.preserveSpace && last.characters.back() == L' ') {
        last.characters.pop_back();
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

// Moves the runs [first, end) of one chunk as its first run's text-anchor
// says.
void AnchorChunk(std::vector<TextRun>* runs, size_t first, size_t end, float endX) {
    if (first >= end)
        return;
    int anchor = (*runs)[first].state.textAnchor;
    float width = endX - (*runs)[first].x;
    float shift = anchor == 1 ? -width / 2 : (anchor == 2 ? -width : 0);
    for (size_t i = first; i < end; i++)
        (*runs)[i].x += shift;
}

void PlaceRuns(std::vector<TextRun>* runs, FamilyCache* families) {
    float x = 0, y = 0;
    size_t chunk = 0;
    for (size_t i = 0; i < runs->size(); i++) {
        TextRun& run = (*runs)[i];
        if (run.position.hasX || run.position.hasY) {
            AnchorChunk(runs, chunk, i, x);
            chunk = i;
        }
        if (run.position.hasX)
            x = run.position.x;
        if (run.position.hasY)
            y = run.position.y;
        x += run.position.dx;
        y += run.position.dy;
        run.x = x;
        run.y = y;
        const std::wstring& family = FamilyOf(families, run.state.fontFamily);
        run.advance =
            GfxMeasureText(run.characters.c_str(), static_cast<int>(run.characters.size()),
                           family.c_str(), FontStyleOf(run.state), run.state.fontSize);
        x += run.advance;
    }
    AnchorChunk(runs, chunk, runs->size(), x);
}

void CommitRun(WalkContext* context, const TextRun& run, FamilyCache* families) {
    if (!(run.state.fontSize > 0))
        return;
    std::wstring id = XmlAttributeCopy(run.owner, L"id");
    const std::wstring& family = FamilyOf(families, run.state.fontFamily);
    GfxOwnedPath path(GfxCreatePath());
    if (!path)
        return;
    GfxAddPathText(path.get(), run.characters.c_str(), static_cast<int>(run.characters.size()),
                   family.c_str(), FontStyleOf(run.state), run.state.fontSize, run.x, run.y);
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
    TextCollector collector = {context, {}, Position(), true, false};
    if (state.vertical)
        context->document->notDrawn[NotDrawnText]++; // drawn as horizontal text
    CollectElement(&collector, text, state, 0);
    DropLastBlank(&collector.runs);
    FamilyCache families = {std::wstring(), std::wstring(), false};
    PlaceRuns(&collector.runs, &families);
    for (const TextRun& run : collector.runs)
        CommitRun(context, run, &families);
}
