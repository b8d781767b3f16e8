// Reading the gradient elements of a document: each one's attributes and
// stops, merged along the chains of elements that refer to each other
// through href, into the definitions of the gradient table.
#include "svg/style/gradient_chains.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "svg/base/strings.h"
#include "svg/style/gradients.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/values/transform.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

namespace {

// The attributes one element states, or inherits through its chain; a bit of
// `given` is set for each attribute some element of the chain states.
enum GradientAttribute {
    GivenX1 = 1 << 0,
    GivenY1 = 1 << 1,
    GivenX2 = 1 << 2,
    GivenY2 = 1 << 3,
    GivenCx = 1 << 4,
    GivenCy = 1 << 5,
    GivenR = 1 << 6,
    GivenFx = 1 << 7,
    GivenFy = 1 << 8,
    GivenUnits = 1 << 9,
    GivenSpread = 1 << 10,
    GivenTransform = 1 << 11,
};

struct ChainAttributes {
    float coordinates[9]; // x1 y1 x2 y2 cx cy r fx fy, in GivenX1.. order
    unsigned percent;     // coordinates given in %, kept as fractions
    int units;
    int spread;
    Matrix2D transform;
    unsigned given;
    std::shared_ptr<const GradientStopList> stops; // the nearest element's that has any
};

const wchar_t* const CoordinateNames[9] = {L"x1", L"y1", L"x2", L"y2", L"cx",
                                           L"cy", L"r",  L"fx", L"fy"};

// The standard mixed-case attribute name wins over the lower-case spelling
// that some exporters write.
std::wstring ReadEitherSpelling(const XmlNode* element, const wchar_t* standardName,
                                const wchar_t* lowerName) {
    std::wstring value = TrimWhiteSpace(XmlAttribute(element, standardName));
    if (value.empty())
        value = TrimWhiteSpace(XmlAttribute(element, lowerName));
    return value;
}

// Which size of the viewport a percentage of each coordinate is taken of.
const LengthDirection CoordinateDirections[9] = {
    LengthHorizontal, LengthVertical, LengthHorizontal, LengthVertical, LengthHorizontal,
    LengthVertical,   LengthDiagonal, LengthHorizontal, LengthVertical};

// Percentages stay fractions until the units are known (they may come from
// another element of the chain); other lengths are read with their units.
void ReadOwnCoordinates(const XmlNode* element, ChainAttributes* own) {
    const LengthBasis basis = {DefaultFontSize, 0.0f, 0.0f};
    for (int i = 0; i < 9; i++) {
        const std::wstring& text = XmlAttribute(element, CoordinateNames[i]);
        if (TrimWhiteSpace(text).empty())
            continue;
        if (IsPercentage(text)) {
            own->coordinates[i] = static_cast<float>(ReadGradientCoordinate(text));
            own->percent |= 1u << i;
        } else {
            own->coordinates[i] = ResolveLength(text, basis, CoordinateDirections[i]);
        }
        own->given |= 1u << i;
    }
}

void ReadOwnUnitsAndSpread(const XmlNode* element, ChainAttributes* own) {
    std::wstring units = LowerText(TrimWhiteSpace(XmlAttribute(element, L"gradientUnits")));
    if (units == L"userspaceonuse" || units == L"objectboundingbox") {
        own->units = units == L"userspaceonuse" ? 0 : 1;
        own->given |= GivenUnits;
    }
    static const wchar_t* const spreads[3] = {L"pad", L"reflect", L"repeat"};
    std::wstring spread = LowerText(ReadEitherSpelling(element, L"spreadMethod", L"spreadmethod"));
    for (int i = 0; i < 3; i++) {
        if (spread == spreads[i]) {
            own->spread = i;
            own->given |= GivenSpread;
        }
    }
}

void ReadOwnTransform(const XmlNode* element, ChainAttributes* own) {
    std::wstring text = ReadEitherSpelling(element, L"gradientTransform", L"gradienttransform");
    if (text.empty())
        return;
    IdentityMatrix(&own->transform);
    ParseTransformList(text, &own->transform);
    own->given |= GivenTransform;
}

struct ResolvedElement {
    int state; // 0 not started, 1 on the chain being resolved, 2 done
    ChainAttributes attributes;
};

typedef std::unordered_map<const XmlNode*, ResolvedElement> ResolvedTable;

// What resolving reference chains reads: the registered elements, the load
// whose cascade gives the stops their colours, the state of the root before
// its own properties, and the chains resolved so far.
struct ChainResolver {
    const GradientRegistry* registry;
    LoadContext* context;
    StyleState rootState;
    ResolvedTable resolved;
};

bool IsStopElement(const XmlNode* node) {
    return LowerTextIs(XmlName(node), L"stop");
}

// Whether the text is one number in SVG's number syntax: a sign, digits with
// at most one decimal point, an exponent.
bool IsPlainNumber(const std::wstring& text) {
    size_t i = 0, n = text.size();
    auto digits = [&]() {
        size_t start = i;
        while (i < n && text[i] >= L'0' && text[i] <= L'9')
            i++;
        return i - start;
    };
    if (i < n && (text[i] == L'+' || text[i] == L'-'))
        i++;
    size_t count = digits();
    if (i < n && text[i] == L'.') {
        i++;
        count += digits();
    }
    if (count == 0)
        return false;
    if (i < n && (text[i] == L'e' || text[i] == L'E')) {
        i++;
        if (i < n && (text[i] == L'+' || text[i] == L'-'))
            i++;
        if (digits() == 0)
            return false;
    }
    return i == n;
}

// SVG's reading of offsets: a number or a percentage, anything else (absent,
// «5mm») is 0; each is clamped to [0, 1] and to at least the largest offset
// before it (stops are never sorted).
float ReadStopOffset(const XmlNode* stop, float largestBefore) {
    std::wstring text = TrimWhiteSpace(XmlAttribute(stop, L"offset"));
    const bool percent = !text.empty() && text.back() == L'%';
    if (percent)
        text.pop_back();
    double offset = IsPlainNumber(text) ? DecimalValueOfText(text) : 0.0;
    if (percent)
        offset /= 100;
    if (!(offset >= 0)) // also not-a-number
        offset = 0;
    if (offset > 1)
        offset = 1;
    return std::fmax(static_cast<float>(offset), largestBefore);
}

// The element's own stops, or null when it has no stop children.
// Their colours come from the cascade, through the gradient's ancestors
// where it stands in the file.
std::shared_ptr<const GradientStopList> ReadOwnStops(ChainResolver* resolver,
                                                     const XmlNode* element) {
    std::vector<GradientStop> stops;
    StyleState gradient = resolver->rootState;
    bool cascaded = false;
    float largest = 0.0f;
    for (const XmlNode* c = FirstChildElement(element); c; c = NextSiblingElement(c)) {
        if (!IsStopElement(c))
            continue;
        if (!cascaded)
            ApplyPresentationDownTo(resolver->context, element, &gradient);
        cascaded = true;
        StyleState state;
        ApplyPresentation(resolver->context, c, &gradient, &state);
        GradientStop stop;
        stop.offset = largest = ReadStopOffset(c, largest);
        stop.colour = StopColourOf(state);
        stops.push_back(stop);
    }
    if (!cascaded)
        return nullptr;
    return MakeGradientStopList(std::move(stops));
}

ChainAttributes ReadOwnAttributes(ChainResolver* resolver, const XmlNode* element) {
    ChainAttributes own = ChainAttributes();
    ReadOwnCoordinates(element, &own);
    ReadOwnUnitsAndSpread(element, &own);
    ReadOwnTransform(element, &own);
    own.stops = ReadOwnStops(resolver, element);
    return own;
}

// Whatever the element does not state comes from the gradient it refers to.
void InheritFrom(const ChainAttributes& referenced, ChainAttributes* own) {
    for (int i = 0; i < 9; i++) {
        const unsigned bit = 1u << i;
        if (!(own->given & bit) && (referenced.given & bit)) {
            own->coordinates[i] = referenced.coordinates[i];
            own->percent = (own->percent & ~bit) | (referenced.percent & bit);
        }
    }
    if (!(own->given & GivenUnits))
        own->units = referenced.units;
    if (!(own->given & GivenSpread))
        own->spread = referenced.spread;
    if (!(own->given & GivenTransform))
        own->transform = referenced.transform;
    own->given |= referenced.given;
    if (!own->stops)
        own->stops = referenced.stops;
}

// "href", else "xlink:href": «#id» naming a registered gradient; null for
// anything else, which ends the chain.
const XmlNode* ReferencedGradient(const GradientRegistry& registry, const XmlNode* element) {
    std::wstring href = TrimWhiteSpace(XmlAttribute(element, L"href"));
    if (href.empty())
        href = TrimWhiteSpace(XmlAttribute(element, L"xlink:href"));
    if (href.size() < 2 || href[0] != L'#')
        return nullptr;
    auto found = registry.elements.find(href.substr(1));
    return found == registry.elements.end() ? nullptr : found->second;
}

// The elements chain[first..] reference each other round in a circle. Each
// one's chain goes once round the circle from itself: its own attributes,
// then those of the elements after it, then those before it. With the merged
// attributes of every tail (from i to the circle's end) and of every head
// (from its start to i), that takes one pass each way.
void ResolveCycle(const std::vector<const XmlNode*>& chain, size_t first, ChainResolver* resolver) {
    ResolvedTable* resolved = &resolver->resolved;
    std::vector<ChainAttributes> own;
    for (size_t i = first; i < chain.size(); i++)
        own.push_back(ReadOwnAttributes(resolver, chain[i]));
    const size_t n = own.size();
    ChainAttributes tail = ChainAttributes();
    for (size_t i = n; i-- > 0;) {
        ChainAttributes merged = own[i];
        InheritFrom(tail, &merged);
        tail = merged;
        (*resolved)[chain[first + i]].attributes = tail;
    }
    ChainAttributes head = ChainAttributes();
    for (size_t i = 0; i < n; i++) {
        ResolvedElement& entry = (*resolved)[chain[first + i]];
        InheritFrom(head, &entry.attributes);
        entry.state = 2;
        InheritFrom(own[i], &head);
    }
}

// Follows the chain from element until an element already resolved, the end,
// or an element already on this chain (a cycle, which ends it there), then
// resolves the chain from its far end back. Iterative, so neither a long
// chain nor a cycle can exhaust the stack, and each element is read once.
const ChainAttributes& ResolveChain(const XmlNode* element, ChainResolver* resolver) {
    ResolvedTable* resolved = &resolver->resolved;
    std::vector<const XmlNode*> chain;
    const XmlNode* next = element;
    while (next) {
        ResolvedElement& entry = (*resolved)[next];
        if (entry.state != 0)
            break;
        entry.state = 1;
        chain.push_back(next);
        next = ReferencedGradient(*resolver->registry, next);
    }
    size_t end = chain.size();
    if (next && (*resolved)[next].state == 1) {
        end = std::find(chain.begin(), chain.end(), next) - chain.begin();
        ResolveCycle(chain, end, resolver);
    }
    const ChainAttributes* inherited = nullptr;
    if (next && (*resolved)[next].state == 2)
        inherited = &(*resolved)[next].attributes;
    for (size_t i = end; i-- > 0;) {
        ResolvedElement& entry = (*resolved)[chain[i]];
        entry.attributes = ReadOwnAttributes(resolver, chain[i]);
        if (inherited)
            InheritFrom(*inherited, &entry.attributes);
        entry.state = 2;
        inherited = &entry.attributes;
    }
    return (*resolved)[element].attributes;
}

// The definition of an element of this kind from its resolved attributes:
// SVG's defaults for whatever no element of the chain states.
GradientDef DefinitionOf(const XmlNode* element, const ChainAttributes& a,
                         const LengthBasis& viewport) {
    GradientDef d = GradientDef();
    d.type = LowerTextIs(XmlName(element), L"radialgradient") ? 1 : 0;
    // The defaults are percentages (x2 100 %, cx, cy and r 50 %).
    const float defaults[9] = {0.0f, 0.0f, 1.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.0f, 0.0f};
    float c[9];
    unsigned percent = a.percent;
    for (int i = 0; i < 9; i++) {
        const bool given = (a.given & (1u << i)) != 0;
        c[i] = given ? a.coordinates[i] : defaults[i];
        if (!given)
            percent |= 1u << i;
    }
    d.units = (a.given & GivenUnits) ? a.units : 1;
    // In user space a percentage is of the viewport; of the box, it is the
    // fraction itself.
    for (int i = 0; d.units == 0 && i < 9; i++) {
        if (percent & (1u << i))
            c[i] *= ResolveLength(L"100%", viewport, CoordinateDirections[i]);
    }
    d.x1 = c[0];
    d.y1 = c[1];
    d.x2 = c[2];
    d.y2 = c[3];
    d.cx = c[4];
    d.cy = c[5];
    d.r = c[6];
    // The focal point defaults to the centre only when no element states it.
    d.fx = (a.given & GivenFx) ? c[7] : d.cx;
    d.fy = (a.given & GivenFy) ? c[8] : d.cy;
    d.spread = (a.given & GivenSpread) ? a.spread : 0;
    d.hasTransform = (a.given & GivenTransform) ? 1 : 0;
    if (d.hasTransform)
        d.transform = a.transform;
    d.stopList = a.stops;
    return d;
}

} // namespace

void BuildGradientRegistry(LoadContext* context, float viewportWidth, float viewportHeight) {
    GradientRegistry* registry = &context->gradients;
    const LengthBasis viewport = {DefaultFontSize, viewportWidth, viewportHeight};
    ChainResolver resolver{registry, context, StyleState(), ResolvedTable()};
    InitRootStyleState(&resolver.rootState);
    resolver.rootState.viewportWidth = viewportWidth;
    resolver.rootState.viewportHeight = viewportHeight;
    resolver.resolved.reserve(registry->order.size());
    for (const XmlNode* element : registry->order) {
        const std::wstring& id = XmlAttribute(element, L"id");
        GradientDef definition = DefinitionOf(element, ResolveChain(element, &resolver), viewport);
        registry->averages[id] = AverageStopColour(&definition);
        registry->definitions[id] = std::move(definition);
    }
    // The elements belong to the document's XML tree, which is released right
    // after the load: forget them so that no pointer into it outlives it.
    registry->elements.clear();
    registry->order.clear();
}
