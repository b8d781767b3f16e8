// Presentation attributes, the "style" attribute and style-sheet declarations,
// merged into one lookup that computes each element's StyleState.
#include "svg/style/presentation.h"

#include <algorithm>
#include <iterator>
#include <cmath>
#include <cwchar>
#include <utility>
#include <vector>

#include "svg/base/strings.h"
#include "svg/style/effect_properties.h"
#include "svg/style/load_context.h"
#include "svg/style/paint_reference.h"
#include "svg/style/properties.h"
#include "svg/style/property_reader.h"
#include "svg/style/style.h"
#include "svg/style/text_style.h"
#include "svg/values/blend_mode.h"
#include "svg/values/lengths.h"
#include "svg/xml/references.h"
#include "svg/xml/xml_tree.h"

static const Argb GreyPaint = 0xFF808080u;

namespace {

// "none", "currentColor" or a colour; NoColour for anything else.
// currentColour is the "color" property in effect, NoColour when unknown.
Argb ReadPlainPaint(TextView value, Argb currentColour, int* isNone) {
    if (IsWordIgnoringCase(value, L"none")) {
        *isNone = 1;
        return 0;
    }
    if (IsCurrentColour(value))
        return currentColour;
    return ParseColour(value.data(), EndOf(value));
}

// A reference to a gradient draws the gradient (its average colour where it
// cannot), one to a pattern the pattern; otherwise the fallback after it
// holds, and without one nothing is painted. *patternFallback tells
// whether a pattern has a fallback colour.
Argb ReadReferencedPaint(LoadContext* context, const XmlNode* element, const std::wstring& id,
                         TextView fallback, Argb currentColour, int* isNone, std::wstring* ref,
                         int* patternFallback) {
    Argb average = 0;
    int drawnAsGradient = 0;
    int kind = LookUpPaintServer(&context->gradients, &context->paintServers, element, id, &average,
                                 &drawnAsGradient);
    if (kind == PaintServerGradient) {
        if (drawnAsGradient)
            *ref = id;
        return average;
    }
    fallback = TrimView(fallback);
    if (kind == PaintServerPattern) {
        // Drawn from its tile; the fallback colour, or grey, stands in where
        // the tile cannot be drawn.
        *ref = id;
        int none = 0;
        Argb colour = fallback.empty() ? NoColour : ReadPlainPaint(fallback, currentColour, &none);
        *patternFallback = none || colour == NoColour ? 0 : 1;
        return *patternFallback ? colour : GreyPaint;
    }
    if (!fallback.empty()) {
        Argb colour = ReadPlainPaint(fallback, currentColour, isNone);
        if (*isNone || colour != NoColour)
            return colour;
    }
    *isNone = 1;
    return 0;
}

Argb ReadPaint(LoadContext* context, const XmlNode* element, TextView text, Argb currentColour,
               int* isNone, std::wstring* ref, int* patternFallback) {
    *isNone = 0;
    *patternFallback = 0;
    ref->clear();
    TextView value = TrimView(text);
    if (value.empty())
        return NoColour;
    std::wstring id;
    const wchar_t* rest = nullptr;
    if (ReadPaintReference(value.data(), EndOf(value), &id, &rest))
        return ReadReferencedPaint(context, element, id, ViewOf(rest, EndOf(value)), currentColour,
                                   isNone, ref, patternFallback);
    return ReadPlainPaint(value, currentColour, isNone);
}

const KeywordCode FillRules[] = {{L"nonzero", 1}, {L"evenodd", 0}};
const KeywordCode LineCaps[] = {{L"butt", 0}, {L"round", 2}, {L"square", 1}};
const KeywordCode LineJoins[] = {{L"miter", 0}, {L"round", 2}, {L"bevel", 1}};
const KeywordCode ImageRenderings[] = {{L"auto", 0},          {L"optimizeQuality", 0},
                                       {L"optimizeSpeed", 1}, {L"pixelated", 1},
                                       {L"crisp-edges", 0},   {L"smooth", 0}};
const KeywordCode BlendModes[] = {{L"normal", BlendNormal},
                                  {L"multiply", BlendMultiply},
                                  {L"screen", BlendScreen},
                                  {L"overlay", BlendOverlay},
                                  {L"darken", BlendDarken},
                                  {L"lighten", BlendLighten},
                                  {L"color-dodge", BlendColorDodge},
                                  {L"color-burn", BlendColorBurn},
                                  {L"hard-light", BlendHardLight},
                                  {L"soft-light", BlendSoftLight},
                                  {L"difference", BlendDifference},
                                  {L"exclusion", BlendExclusion},
                                  {L"hue", BlendHue},
                                  {L"saturation", BlendSaturation},
                                  {L"color", BlendColor},
                                  {L"luminosity", BlendLuminosity}};
const KeywordCode Isolations[] = {{L"auto", 0}, {L"isolate", 1}};

// Sets one paint (has, colour, ref) from the property; an unreadable or
// missing value leaves the inherited paint.
void ApplyPaint(LoadContext* context, PropertyReader* reader, Property name, Argb currentColour,
                int* has, Argb* colour, SharedText* ref, int* isCurrentColour,
                int* patternFallback) {
    int isNone = 0, fallback = 0;
    std::wstring reference;
    const TextView text = PropertyText(*reader, name);
    Argb c =
        ReadPaint(context, reader->element, text, currentColour, &isNone, &reference, &fallback);
    if (isNone) {
        *has = 0;
        *colour = 0;
        ref->reset();
        *isCurrentColour = 0;
        *patternFallback = 0;
    } else if (c != NoColour) {
        *colour = c;
        *has = 1;
        *ref = MakeSharedText(std::move(reference));
        *isCurrentColour = IsCurrentColour(TrimView(text)) ? 1 : 0;
        *patternFallback = fallback;
    }
}

// "context-fill" or "context-stroke" takes that paint of the context; false
// for any other value.
bool ApplyContextPaint(const PropertyReader& reader, Property name, const StyleState& context,
                       int* has, Argb* colour, SharedText* ref) {
    const TextView value = TrimView(PropertyText(reader, name));
    const bool fill = IsWordIgnoringCase(value, L"context-fill");
    if (!fill && !IsWordIgnoringCase(value, L"context-stroke"))
        return false;
    *has = fill ? context.contextHasFill : context.contextHasStroke;
    *colour = fill ? context.contextFill : context.contextStroke;
    *ref = fill ? context.contextFillRef : context.contextStrokeRef;
    return true;
}

// "paint-order" (inherited): normal, or fill, stroke and markers in the order
// given, those not named following in their usual order. A value with
// anything else, or a part named twice, keeps the inherited order.
void ApplyPaintOrder(const PropertyReader& reader, int* order) {
    const TextView value = TrimView(PropertyText(reader, PropPaintOrder));
    if (value.empty())
        return;
    if (IsWordIgnoringCase(value, L"normal")) {
        *order = NormalPaintOrder;
        return;
    }
    static const wchar_t* const names[3] = {L"fill", L"stroke", L"markers"};
    int parts[3] = {0, 0, 0}, count = 0;
    unsigned named = 0;
    size_t p = 0;
    TextView word;
    while (NextWord(value, &p, &word)) {
        int part = 0;
        for (int i = 0; i < 3; i++) {
            if (IsWordIgnoringCase(word, names[i]))
                part = i + 1;
        }
        if (!part || (named & (1u << part)) || count == 3)
            return;
        named |= 1u << part;
        parts[count++] = part;
    }
    for (int part = PaintFill; part <= PaintMarkers; part++) {
        if (!(named & (1u << part)))
            parts[count++] = part;
    }
    *order = parts[0] | parts[1] << 2 | parts[2] << 4;
}

// A number property replaces the inherited value when it is given.
void ApplyNumber(PropertyReader* reader, Property name, float* value) {
    TextView text = PropertyText(*reader, name);
    if (!text.empty())
        *value = ReadLength(text, &reader->scratch);
}

// A stroke length (percentages of the viewport's diagonal) replaces the
// inherited value when it is given; text without a number gives 0.
void ApplyStrokeLength(const PropertyReader& reader, Property name, const LengthBasis& basis,
                       float* value) {
    TextView text = PropertyText(reader, name);
    if (text.empty())
        return;
    *value = 0.0f;
    ReadLengthValue(text.data(), EndOf(text), basis, LengthDiagonal, value);
}

void ApplyFontSize(const PropertyReader& reader, StyleState* state) {
    TextView text = PropertyText(reader, PropFontSize);
    if (!text.empty())
        state->fontSize = ReadFontSize(text.data(), EndOf(text), LengthBasisOf(*state));
}

// "stroke-dasharray": lengths separated by commas or blanks, an odd count
// repeated to make it even. "none", a negative length or a list adding up to
// 0 is a solid stroke; a list it cannot read leaves the inherited one.
void ApplyDashArray(const PropertyReader& reader, const LengthBasis& basis, SharedFloats* dashes) {
    TextView text = TrimView(PropertyText(reader, PropStrokeDasharray));
    if (text.empty())
        return;
    std::vector<float> list;
    bool solid = IsWordIgnoringCase(text, L"none");
    float total = 0.0f;
    const wchar_t* p = text.data();
    while (!solid && p < EndOf(text)) {
        while (p < EndOf(text) && IsListSeparator(*p))
            p++;
        const wchar_t* item = p;
        while (p < EndOf(text) && !IsListSeparator(*p))
            p++;
        if (item == p)
            break;
        float length = 0.0f;
        if (!ReadLengthValue(item, p, basis, LengthDiagonal, &length) || !std::isfinite(length))
            return;
        solid = length < 0.0f;
        total += length;
        list.push_back(length);
    }
    if (solid || !(total > 0.0f)) {
        *dashes = nullptr;
        return;
    }
    if (list.size() % 2 == 1)
        list.insert(list.end(), list.begin(), list.end());
    *dashes = MakeSharedFloats(std::move(list));
}

void ApplyVectorEffect(const PropertyReader& reader, int* nonScalingStroke) {
    TextView text = TrimView(PropertyText(reader, PropVectorEffect));
    *nonScalingStroke = IsWordIgnoringCase(text, L"non-scaling-stroke");
}

// An opacity: a number, or a percentage of 1; not clamped here. False for
// anything else (a length such as «0.1mm» is no opacity): the value is then
// ignored.
bool ReadOpacity(TextView text, float* value) {
    const TextView trimmed = TrimView(text);
    const wchar_t* end = NumberEnd(trimmed.data(), EndOf(trimmed));
    const TextView unit = ViewOf(end, EndOf(trimmed));
    if (end == trimmed.data() || !(unit.empty() || unit == L"%"))
        return false;
    LengthBasis percentOfOne = {DefaultFontSize, 1.0f, 1.0f};
    return ReadLengthValue(trimmed.data(), EndOf(trimmed), percentOfOne, LengthHorizontal, value) ==
           1;
}

// "opacity" fades the element and everything inside it, so it multiplies
// down the tree.
void ApplyGroupOpacity(const PropertyReader& reader, float* value) {
    float own = 1;
    if (ReadOpacity(PropertyText(reader, PropOpacity), &own))
        *value *= own;
}

// "fill-opacity" and "stroke-opacity" are inherited: the element's own value
// replaces its parent's.
void ApplyPaintOpacity(const PropertyReader& reader, Property name, float* value) {
    ReadOpacity(PropertyText(reader, name), value);
}

// "display: none" leaves the element and its content out; the property is
// not inherited, so every element starts displayed.
bool DisplaysNone(TextView value) {
    return IsWordIgnoringCase(TrimView(value), L"none");
}

bool HidesByVisibility(TextView value) {
    value = TrimView(value);
    return IsWordIgnoringCase(value, L"hidden") || IsWordIgnoringCase(value, L"collapse");
}

void ApplyDisplay(const PropertyReader& reader, int* displayNone) {
    *displayNone = DisplaysNone(PropertyText(reader, PropDisplay));
}

// "visibility" is inherited, and a child may show itself again.
void ApplyVisibility(const PropertyReader& reader, int* hidden) {
    TextView value = TrimView(PropertyText(reader, PropVisibility));
    if (HidesByVisibility(value))
        *hidden = 1;
    else if (IsWordIgnoringCase(value, L"visible"))
        *hidden = 0;
}

// One word of "transform-origin": a keyword's share of the viewport (-1 for
// a length) and the axis a keyword names (0 for center and lengths).
struct OriginWord {
    TextView text;
    float share;
    int axis; // 1 horizontal (left, right), 2 vertical (top, bottom)
};

OriginWord ReadOriginWord(TextView word) {
    static const struct {
        const wchar_t* name;
        float share;
        int axis;
    } keywords[] = {
        {L"left", 0, 1}, {L"right", 1, 1}, {L"top", 0, 2}, {L"bottom", 1, 2}, {L"center", 0.5f, 0}};
    for (const auto& k : keywords) {
        if (IsWordIgnoringCase(word, k.name))
            return {word, k.share, k.axis};
    }
    return {word, -1, 0};
}

float OriginOffset(const OriginWord& word, float size, const LengthBasis& basis, int direction) {
    if (word.share >= 0)
        return word.share * size;
    return ResolveLength(std::wstring(word.text), basis, direction);
}

// "transform-origin": one or two keywords or lengths (a third, the depth, is
// ignored). Percentages and keywords are of the viewport, the default
// reference box of SVG elements. A pair whose first word is top or bottom,
// or whose second is left or right, is read the other way round.
void ReadTransformOrigin(TextView text, const LengthBasis& basis, float* x, float* y) {
    const OriginWord centre = {TextView(), 0.5f, 0};
    OriginWord words[2] = {centre, centre};
    int count = 0;
    size_t p = 0;
    TextView word;
    while (count < 2 && NextWord(text, &p, &word))
        words[count++] = ReadOriginWord(word);
    if (words[0].axis == 2 || words[1].axis == 1)
        std::swap(words[0], words[1]);
    *x = OriginOffset(words[0], basis.viewportWidth, basis, LengthHorizontal);
    *y = OriginOffset(words[1], basis.viewportHeight, basis, LengthVertical);
}

// The element's own transform: a valid CSS declaration (in "style" or a
// style sheet) over the attribute, as in browsers. It applies to the
// element's points first, the ancestors' after, about the point
// "transform-origin" names.
void ApplyTransform(const PropertyReader& reader, const LengthBasis& basis, Matrix2D* matrix) {
    Matrix2D own;
    IdentityMatrix(&own);
    TextView declared;
    if (!FindItem(reader, PropTransform, &declared) ||
        !ParseCssTransform(std::wstring(declared), basis, &own)) {
        const std::wstring& text = AttributeString(reader, PropTransform);
        if (text.find_first_not_of(L' ') == std::wstring::npos)
            return;
        ParseTransformList(text, &own);
    }
    const TextView origin = TrimView(PropertyText(reader, PropTransformOrigin));
    if (!origin.empty()) {
        float x = 0, y = 0;
        ReadTransformOrigin(origin, basis, &x, &y);
        const Matrix2D to = {1, 0, 0, 1, x, y}, back = {1, 0, 0, 1, -x, -y};
        own = ComposeMatrix(to, ComposeMatrix(own, back));
    }
    *matrix = ComposeMatrix(*matrix, own);
}

// One of marker-start, -mid and -end (inherited). Its own declaration comes
// first, then the "marker" shorthand's declaration, then its attribute; as
// in browsers, there is no "marker" attribute. "inherit" keeps the parent's;
// anything else names a marker («url(#id)») or none.
void ApplyMarker(const PropertyReader& reader, Property name, std::wstring* id) {
    TextView value;
    if (!FindItem(reader, name, &value) && !FindItem(reader, PropMarker, &value))
        value = AttributeText(reader, name);
    value = TrimView(value);
    if (value.empty() || IsWordIgnoringCase(value, L"inherit"))
        return;
    *id = UrlReferenceId(std::wstring(value));
}

void ApplyMarkers(const PropertyReader& reader, StyleState* out) {
    ApplyMarker(reader, PropMarkerStart, &out->markerStart);
    ApplyMarker(reader, PropMarkerMid, &out->markerMid);
    ApplyMarker(reader, PropMarkerEnd, &out->markerEnd);
}

// The value trimmed of white space; empty when it is "none".
std::wstring ValueOrEmpty(TextView text) {
    const TextView value = TrimView(text);
    if (IsWordIgnoringCase(value, L"none"))
        return std::wstring();
    return std::wstring(value);
}

// Whether a property's value is given, and not "none".
bool NamesSomething(TextView text) {
    const TextView value = TrimView(text);
    return !value.empty() && !IsWordIgnoringCase(value, L"none");
}

bool IsKeywordValue(TextView value, const wchar_t* keyword) {
    return IsWordIgnoringCase(TrimView(value), keyword);
}

// The properties an element does not inherit that later steps need, read
// when the element gives any of them (ResetOwnProperties has set the rest).
void ApplyOwnProperties(const PropertyReader& reader, StyleState* out) {
    out->filter = ValueOrEmpty(PropertyText(reader, PropFilter));
    out->clipPath = ValueOrEmpty(PropertyText(reader, PropClipPath));
    out->mask = ValueOrEmpty(PropertyText(reader, PropMask));
    out->maskAlpha = IsKeywordValue(PropertyText(reader, PropMaskType), L"alpha");
    const TextView overflow = PropertyText(reader, PropOverflow);
    out->clipsOverflow =
        !IsKeywordValue(overflow, L"visible") && !IsKeywordValue(overflow, L"auto");
    // Blending is CSS only: presentation attributes of these names are not read.
    TextView declared;
    if (FindItem(reader, PropMixBlendMode, &declared))
        out->blendMode = ReadKeyword(declared, BlendNormal, BlendModes, std::size(BlendModes));
    if (FindItem(reader, PropIsolation, &declared))
        out->isolate = ReadKeyword(declared, 0, Isolations, std::size(Isolations));
    out->namesMarker = 0;
    for (Property p : {PropMarkerStart, PropMarkerMid, PropMarkerEnd, PropMarker})
        out->namesMarker |= NamesSomething(PropertyText(reader, p)) ? 1 : 0;
}

} // namespace

void ApplyPresentation(LoadContext* context, const XmlNode* element, const StyleState* parent,
                       StyleState* out) {
    ApplyPresentation(context, element, ElementDeclarations(&context->sheets, element), parent,
                      out);
}

void ApplyPresentation(LoadContext* context, const XmlNode* element,
                       const std::wstring& declarations, const StyleState* parent,
                       StyleState* out) {
    // Every property is read once and replaces the inherited value in place,
    // so parent and out may be the same record.
    if (out != parent)
        *out = *parent;
    const EffectColours parentEffects = out->effects; // for "inherit"
    ResetOwnProperties(out);
    PropertyReader reader(element, &declarations, true);

    ApplyDisplay(reader, &out->displayNone);
    ApplyVisibility(reader, &out->hidden);
    ApplyFontSize(reader, out);       // before the lengths in em
    ApplyColor(&reader, &out->color); // before the paints that may name it
    if (out->fillIsCurrentColor)
        out->fillColor = out->color;
    if (out->strokeIsCurrentColor)
        out->strokeColor = out->color;
    if (ApplyContextPaint(reader, PropFill, *out, &out->hasFill, &out->fillColor, &out->fillRef))
        out->fillIsCurrentColor = 0;
    else
        ApplyPaint(context, &reader, PropFill, out->color, &out->hasFill, &out->fillColor,
                   &out->fillRef, &out->fillIsCurrentColor, &out->fillPatternFallback);
    if (ApplyContextPaint(reader, PropStroke, *out, &out->hasStroke, &out->strokeColor,
                          &out->strokeRef))
        out->strokeIsCurrentColor = 0;
    else
        ApplyPaint(context, &reader, PropStroke, out->color, &out->hasStroke, &out->strokeColor,
                   &out->strokeRef, &out->strokeIsCurrentColor, &out->strokePatternFallback);
    // Most elements give a few properties: the groups they give none of are
    // passed over.
    const uint64_t given = reader.declared | reader.attributed;
    if (given & Bits(PropStrokeWidth, PropStrokeDasharray, PropStrokeDashoffset)) {
        const LengthBasis basis = LengthBasisOf(*out);
        // A zero or negative width turns the stroke off.
        ApplyStrokeLength(reader, PropStrokeWidth, basis, &out->strokeWidth);
        ApplyDashArray(reader, basis, &out->dashes);
        ApplyStrokeLength(reader, PropStrokeDashoffset, basis, &out->dashOffset);
    }
    ApplyVectorEffect(reader, &out->nonScalingStroke);

    if (given & Bits(PropOpacity, PropFillOpacity, PropStrokeOpacity)) {
        ApplyGroupOpacity(reader, &out->opacity);
        ApplyPaintOpacity(reader, PropFillOpacity, &out->fillOpacity);
        ApplyPaintOpacity(reader, PropStrokeOpacity, &out->strokeOpacity);
    }
    if (given & Bits(PropFillRule, PropStrokeLinecap, PropStrokeLinejoin, PropStrokeMiterlimit)) {
        ApplyKeyword(reader, PropFillRule, FillRules, &out->fillRule);
        ApplyKeyword(reader, PropStrokeLinecap, LineCaps, &out->lineCap);
        ApplyKeyword(reader, PropStrokeLinejoin, LineJoins, &out->lineJoin);
        ApplyNumber(&reader, PropStrokeMiterlimit, &out->miterLimit);
    }
    const uint32_t markers = Bits(PropMarkerStart, PropMarkerMid, PropMarkerEnd, PropMarker);
    if (given & markers)
        ApplyMarkers(reader, out);
    if (given & Bits(PropPaintOrder))
        ApplyPaintOrder(reader, &out->paintOrder);
    if (given & Bits(PropFontFamily, PropFontWeight, PropFontStyle, PropFontVariant,
                     PropFontVariationSettings, PropTextAnchor, PropXmlSpace))
        ApplyTextProperties(&reader, out);
    if (given & Bits(PropClipRule))
        ApplyKeyword(reader, PropClipRule, FillRules, &out->clipRule);
    if (given & Bits(PropWritingMode))
        ApplyWritingMode(reader, &out->vertical);
    if (given & Bits(PropLetterSpacing, PropWordSpacing, PropDominantBaseline,
                     PropAlignmentBaseline, PropBaselineShift, PropTextDecoration, PropFontKerning,
                     PropKerning))
        ApplyTextLayout(reader, out);
    if (given & Bits(PropFloodColor, PropFloodOpacity, PropLightingColor, PropStopColor,
                     PropStopOpacity, PropColorInterpolationFilters))
        ApplyEffectProperties(reader, parentEffects, out);
    if (given & Bits(PropImageRendering))
        ApplyKeyword(reader, PropImageRendering, ImageRenderings, &out->pixelated);

    if (given & Bits(PropTransform))
        ApplyTransform(reader, LengthBasisOf(*out), &out->matrix);
    if (given & (markers | Bits(PropFilter, PropClipPath, PropMask, PropMaskType, PropOverflow,
                                PropMixBlendMode, PropIsolation)))
        ApplyOwnProperties(reader, out);
}

void ApplyPresentationDownTo(LoadContext* context, const XmlNode* element, StyleState* state) {
    std::vector<const XmlNode*> chain;
    for (const XmlNode* e = element; e && XmlIsElement(e); e = XmlParent(e))
        chain.push_back(e);
    for (size_t i = chain.size(); i-- > 0;)
        ApplyPresentation(context, chain[i], state, state);
}

Argb ParsePaint(LoadContext* context, const XmlNode* element, const std::wstring& declarations,
                const std::wstring& name, int* isNone, std::wstring* ref) {
    PropertyReader reader(element, &declarations, false);
    // Without the element's state the current colour is unknown.
    int patternFallback = 0;
    return ReadPaint(context, element, PropertyText(reader, name), NoColour, isNone, ref,
                     &patternFallback);
}

int ParseFillRule(const std::wstring& text, int current) {
    return ReadKeyword(TextView(text), current, FillRules, sizeof FillRules / sizeof FillRules[0]);
}

int ParseLineCap(const std::wstring& text, int current) {
    return ReadKeyword(TextView(text), current, LineCaps, sizeof LineCaps / sizeof LineCaps[0]);
}

int ParseLineJoin(const std::wstring& text, int current) {
    return ReadKeyword(TextView(text), current, LineJoins, sizeof LineJoins / sizeof LineJoins[0]);
}
