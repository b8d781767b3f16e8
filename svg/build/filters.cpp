#include "svg/build/filters.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "svg/base/scan.h"
#include "svg/base/strings.h"
#include "svg/build/offscreen_content.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/records/filters.h"
#include "svg/records/offscreen_groups.h"
#include "svg/style/gradients.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/values/filter_functions.h"
#include "svg/values/viewport.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/references.h"
#include "svg/xml/xml_tree.h"

namespace {

// Filters referring to filters through href are followed this far.
const size_t MaxFilterReferences = 16;

struct PrimitiveName {
    const wchar_t* name; // lower case
    int kind;
};

const PrimitiveName DrawnPrimitives[] = {
    {L"fegaussianblur", PrimitiveBlur},
    {L"feoffset", PrimitiveOffset},
    {L"feflood", PrimitiveFlood},
    {L"fecolormatrix", PrimitiveColourMatrix},
    {L"fecomponenttransfer", PrimitiveComponentTransfer},
    {L"fecomposite", PrimitiveComposite},
    {L"femerge", PrimitiveMerge},
    {L"feblend", PrimitiveBlend},
    {L"femorphology", PrimitiveMorphology},
    {L"fetile", PrimitiveTile},
    {L"fedropshadow", PrimitiveDropShadow},
    {L"feturbulence", PrimitiveTurbulence},
    {L"feconvolvematrix", PrimitiveConvolve},
    {L"fediffuselighting", PrimitiveLighting},
    {L"fespecularlighting", PrimitiveLighting},
};

const wchar_t* const OtherPrimitives[] = {
    L"fediffuselighting",
    L"fedisplacementmap",
    L"feimage",
    L"fespecularlighting",
};

// The kind of a primitive element; -1 for one not drawn, -2 for anything
// that is no primitive.
int PrimitiveKindOf(const XmlNode* element) {
    const std::wstring& name = XmlLocalName(element);
    for (const PrimitiveName& entry : DrawnPrimitives) {
        if (LowerTextIs(name, entry.name))
            return entry.kind;
    }
    for (const wchar_t* other : OtherPrimitives) {
        if (LowerTextIs(name, other))
            return -1;
    }
    return -2;
}

// The filter and the filters it refers to, nearest first.
std::vector<const XmlNode*> FilterChain(WalkContext* context, const XmlNode* filter) {
    std::vector<const XmlNode*> chain = {filter};
    while (chain.size() < MaxFilterReferences) {
        const XmlNode* next = LookUpId(&context->ids, HrefReferenceId(chain.back()));
        if (!next || !LowerTextIs(XmlLocalName(next), L"filter") ||
            std::find(chain.begin(), chain.end(), next) != chain.end())
            break;
        chain.push_back(next);
    }
    return chain;
}

// The attribute from the first filter of the chain that has it.
const std::wstring& ChainAttribute(const std::vector<const XmlNode*>& chain, const wchar_t* name) {
    for (const XmlNode* filter : chain) {
        if (XmlHasAttribute(filter, name))
            return XmlAttribute(filter, name);
    }
    return XmlAttribute(chain.front(), name);
}

// The filter of the chain whose children are the primitives: the first
// with any child element.
const XmlNode* PrimitiveSource(const std::vector<const XmlNode*>& chain) {
    for (const XmlNode* filter : chain) {
        if (FirstChildElement(filter))
            return filter;
    }
    return chain.front();
}

// The numbers of a list; false when anything else is in it.
bool ReadNumbers(const std::wstring& text, std::vector<float>* numbers) {
    numbers->clear();
    const int end = static_cast<int>(text.size()) + 1;
    int position = SkipSeparators(text, 1);
    while (position < end) {
        float value;
        const int next = ScanNumber(text, position, &value);
        if (next == position)
            return false;
        numbers->push_back(value);
        position = SkipSeparators(text, next);
    }
    return true;
}

// One or two numbers ("x [y]"); false when it is neither.
bool ReadNumberPair(const std::wstring& text, float* x, float* y) {
    std::vector<float> numbers;
    if (!ReadNumbers(text, &numbers) || numbers.empty() || numbers.size() > 2)
        return false;
    *x = numbers[0];
    *y = numbers.size() == 2 ? numbers[1] : numbers[0];
    return true;
}

float NumberAttribute(const XmlNode* element, const wchar_t* name, float fallback) {
    std::vector<float> numbers;
    if (!ReadNumbers(XmlAttribute(element, name), &numbers) || numbers.size() != 1)
        return fallback;
    return numbers[0];
}

// A value of the rectangle (x, y, width, height): a fraction of the box in
// bounding-box units, a length of the viewport otherwise.
float RegionValue(const std::wstring& text, bool boxUnits, float fallback, float origin, float size,
                  float viewportSize) {
    if (text.empty())
        return fallback;
    if (boxUnits)
        return origin + static_cast<float>(ReadGradientCoordinate(text)) * size;
    return ViewportLength(text, viewportSize, fallback);
}

struct RegionUnits {
    bool boxUnits;
    float box[4];
    float viewportWidth, viewportHeight;
};

// Reads x, y, width and height into rect, keeping what is not given.
void ReadRect(const RegionUnits& u, const std::wstring* texts, float rect[4]) {
    rect[0] = RegionValue(texts[0], u.boxUnits, rect[0], u.box[0], u.box[2], u.viewportWidth);
    rect[1] = RegionValue(texts[1], u.boxUnits, rect[1], u.box[1], u.box[3], u.viewportHeight);
    rect[2] = RegionValue(texts[2], u.boxUnits, rect[2], 0, u.box[2], u.viewportWidth);
    rect[3] = RegionValue(texts[3], u.boxUnits, rect[3], 0, u.box[3], u.viewportHeight);
}

// A named input: a source, an earlier result, or the previous result
// (SourceGraphic for the first primitive) for anything else.
int InputOf(const XmlNode* element, const wchar_t* attribute,
            const std::vector<std::pair<std::wstring, int>>& results, int index) {
    const std::wstring name = TrimWhiteSpace(XmlAttribute(element, attribute));
    // The background and paint inputs are not drawn: the element's own
    // picture stands in for them.
    if (name == L"SourceGraphic" || name == L"BackgroundImage" || name == L"FillPaint" ||
        name == L"StrokePaint")
        return FilterInputSourceGraphic;
    if (name == L"SourceAlpha" || name == L"BackgroundAlpha")
        return FilterInputSourceAlpha;
    for (size_t i = results.size(); !name.empty() && i-- > 0;) {
        if (results[i].first == name)
            return results[i].second;
    }
    return index > 0 ? index - 1 : FilterInputSourceGraphic;
}

int KeywordIndex(const std::wstring& text, const wchar_t* const* keywords, int count,
                 int fallback) {
    const std::wstring value = TrimWhiteSpace(text);
    for (int i = 0; i < count; i++) {
        if (value == keywords[i])
            return i;
    }
    return fallback;
}

void ReadBlur(const XmlNode* element, FilterPrimitive* p) {
    float x = 0, y = 0;
    if (!ReadNumberPair(XmlAttribute(element, L"stdDeviation"), &x, &y) || x < 0 || y < 0)
        x = y = 0; // the input passes unblurred
    p->deviationX = x, p->deviationY = y;
    static const wchar_t* const modes[] = {L"none", L"duplicate", L"wrap"};
    p->mode = KeywordIndex(XmlAttribute(element, L"edgeMode"), modes, 3, EdgeNone);
}

void ReadColourMatrix(const XmlNode* element, FilterPrimitive* p) {
    static const wchar_t* const kinds[] = {L"matrix", L"saturate", L"hueRotate",
                                           L"luminanceToAlpha"};
    p->mode = KeywordIndex(XmlAttribute(element, L"type"), kinds, 4, ColourMatrixValues);
    if (!ReadNumbers(XmlAttribute(element, L"values"), &p->values))
        p->values.clear();
    if (p->mode == ColourMatrixSaturate && p->values.size() == 1)
        p->values[0] = std::min(std::max(p->values[0], 0.0f), 1.0f);
}

void ReadTransfer(const XmlNode* function, TransferFunction* f) {
    static const wchar_t* const kinds[] = {L"identity", L"table", L"discrete", L"linear", L"gamma"};
    *f = TransferFunction();
    f->kind = KeywordIndex(XmlAttribute(function, L"type"), kinds, 5, TransferIdentity);
    if (!ReadNumbers(XmlAttribute(function, L"tableValues"), &f->table))
        f->table.clear();
    if ((f->kind == TransferTable || f->kind == TransferDiscrete) && f->table.empty())
        f->kind = TransferIdentity;
    f->slope = NumberAttribute(function, L"slope", 1);
    f->intercept = NumberAttribute(function, L"intercept", 0);
    f->amplitude = NumberAttribute(function, L"amplitude", 1);
    f->exponent = NumberAttribute(function, L"exponent", 1);
    f->offset = NumberAttribute(function, L"offset", 0);
}

void ReadComponentTransfer(const XmlNode* element, FilterPrimitive* p) {
    static const wchar_t* const names[] = {L"feFuncR", L"feFuncG", L"feFuncB", L"feFuncA"};
    for (TransferFunction& f : p->transfer) {
        f = TransferFunction();
        f.slope = f.amplitude = f.exponent = 1;
    }
    for (const XmlNode* c = FirstChildElement(element); c; c = NextSiblingElement(c)) {
        for (int i = 0; i < 4; i++) {
            if (XmlLocalName(c) == names[i])
                ReadTransfer(c, &p->transfer[i]);
        }
    }
}

void ReadComposite(const XmlNode* element, FilterPrimitive* p) {
    static const wchar_t* const operators[] = {L"over", L"in",      L"out",       L"atop",
                                               L"xor",  L"lighter", L"arithmetic"};
    p->mode = KeywordIndex(XmlAttribute(element, L"operator"), operators, 7, CompositeOver);
    static const wchar_t* const ks[] = {L"k1", L"k2", L"k3", L"k4"};
    for (int i = 0; i < 4; i++)
        p->k[i] = NumberAttribute(element, ks[i], 0);
}

void ReadBlend(const XmlNode* element, FilterPrimitive* p) {
    static const wchar_t* const modes[] = {
        L"normal",      L"multiply",   L"screen",     L"overlay",    L"darken",     L"lighten",
        L"color-dodge", L"color-burn", L"hard-light", L"soft-light", L"difference", L"exclusion",
        L"hue",         L"saturation", L"color",      L"luminosity"};
    p->mode = KeywordIndex(XmlAttribute(element, L"mode"), modes, 16, BlendNormal);
}

void ReadMorphology(const XmlNode* element, FilterPrimitive* p) {
    static const wchar_t* const operators[] = {L"erode", L"dilate"};
    p->mode = KeywordIndex(XmlAttribute(element, L"operator"), operators, 2, 0);
    float x = 0, y = 0;
    if (!ReadNumberPair(XmlAttribute(element, L"radius"), &x, &y) || x < 0 || y < 0)
        x = y = 0; // the input passes as it is
    p->radiusX = x, p->radiusY = y;
}

void ReadTurbulence(const XmlNode* element, FilterPrimitive* p) {
    float x = 0, y = 0;
    if (!ReadNumberPair(XmlAttribute(element, L"baseFrequency"), &x, &y) || x < 0 || y < 0)
        x = y = 0;
    p->baseFrequencyX = x, p->baseFrequencyY = y;
    const float octaves = NumberAttribute(element, L"numOctaves", 1);
    p->octaves = octaves > 0 ? static_cast<int>(std::min(octaves, 1000.0f)) : 0;
    const float seed = NumberAttribute(element, L"seed", 0);
    p->seed = static_cast<int>(std::min(std::max(seed, -2e9f), 2e9f)); // the fraction dropped
    p->stitch = TrimWhiteSpace(XmlAttribute(element, L"stitchTiles")) == L"stitch";
    p->mode = TrimWhiteSpace(XmlAttribute(element, L"type")) == L"fractalNoise";
}

// A whole number in 0..limit - 1 (limit 0: any above 0); false otherwise.
bool ReadWholeNumber(float value, int limit, int* n) {
    const bool whole = value == std::floor(value);
    if (!whole || (limit > 0 ? !(value >= 0 && value < limit) : !(value >= 1)))
        return false;
    *n = static_cast<int>(value);
    return true;
}

// A convolution that is in error draws nothing.
void ReadConvolve(const XmlNode* element, FilterPrimitive* p) {
    p->kind = PrimitiveTransparent;
    float ox = 3, oy = 3;
    if (XmlHasAttribute(element, L"order") &&
        !ReadNumberPair(XmlAttribute(element, L"order"), &ox, &oy))
        return;
    if (!ReadWholeNumber(ox, 0, &p->orderX) || !ReadWholeNumber(oy, 0, &p->orderY) ||
        p->orderX > MaxConvolveOrder || p->orderY > MaxConvolveOrder)
        return;
    if (!ReadNumbers(XmlAttribute(element, L"kernelMatrix"), &p->values) ||
        p->values.size() != static_cast<size_t>(p->orderX) * p->orderY)
        return;
    p->targetX = p->orderX / 2, p->targetY = p->orderY / 2;
    if ((XmlHasAttribute(element, L"targetX") &&
         !ReadWholeNumber(NumberAttribute(element, L"targetX", -1), p->orderX, &p->targetX)) ||
        (XmlHasAttribute(element, L"targetY") &&
         !ReadWholeNumber(NumberAttribute(element, L"targetY", -1), p->orderY, &p->targetY)))
        return;
    float sum = 0;
    for (float v : p->values)
        sum += v;
    // A divisor of 0 given is in error; without one the kernel's sum divides.
    p->divisor = NumberAttribute(element, L"divisor", sum != 0 ? sum : 1);
    if (p->divisor == 0)
        return;
    p->bias = NumberAttribute(element, L"bias", 0);
    static const wchar_t* const modes[] = {L"none", L"duplicate", L"wrap"};
    p->mode = KeywordIndex(XmlAttribute(element, L"edgeMode"), modes, 3, EdgeDuplicate);
    p->preserveAlpha = TrimWhiteSpace(XmlAttribute(element, L"preserveAlpha")) == L"true";
    p->kind = PrimitiveConvolve;
}

// The first light source among the element's children; false without one.
bool ReadLight(const XmlNode* element, FilterLight* light) {
    static const wchar_t* const names[] = {L"feDistantLight", L"fePointLight", L"feSpotLight"};
    for (const XmlNode* c = FirstChildElement(element); c; c = NextSiblingElement(c)) {
        for (int kind = 0; kind < 3; kind++) {
            if (XmlLocalName(c) != names[kind])
                continue;
            light->kind = kind;
            light->azimuth = NumberAttribute(c, L"azimuth", 0);
            light->elevation = NumberAttribute(c, L"elevation", 0);
            light->x = NumberAttribute(c, L"x", 0);
            light->y = NumberAttribute(c, L"y", 0);
            light->z = NumberAttribute(c, L"z", 0);
            light->pointsAtX = NumberAttribute(c, L"pointsAtX", 0);
            light->pointsAtY = NumberAttribute(c, L"pointsAtY", 0);
            light->pointsAtZ = NumberAttribute(c, L"pointsAtZ", 0);
            light->spotExponent = NumberAttribute(c, L"specularExponent", 1);
            light->hasCone = XmlHasAttribute(c, L"limitingConeAngle");
            light->coneAngle = NumberAttribute(c, L"limitingConeAngle", 90);
            return true;
        }
    }
    return false;
}

// Diffuse or specular lighting; without a light, or with a specular
// exponent outside 1..128, it draws nothing.
void ReadLighting(const XmlNode* element, const StyleState& state, FilterPrimitive* p) {
    p->mode = LowerTextIs(XmlLocalName(element), L"fespecularlighting");
    p->surfaceScale = NumberAttribute(element, L"surfaceScale", 1);
    p->lightingConstant =
        NumberAttribute(element, p->mode ? L"specularConstant" : L"diffuseConstant", 1);
    p->specularExponent = NumberAttribute(element, L"specularExponent", 1);
    p->colour = state.effects.lighting;
    const bool exponentFits = !p->mode || (p->specularExponent >= 1 && p->specularExponent <= 128);
    if (!ReadLight(element, &p->light) || !exponentFits)
        p->kind = PrimitiveTransparent;
}

// Reads what the primitive's kind needs, in user units before the
// primitive units scale them.
void ReadPrimitiveValues(const XmlNode* element, const StyleState& state, FilterPrimitive* p) {
    switch (p->kind) {
    case PrimitiveBlur:
        ReadBlur(element, p);
        break;
    case PrimitiveOffset:
        p->dx = NumberAttribute(element, L"dx", 0);
        p->dy = NumberAttribute(element, L"dy", 0);
        break;
    case PrimitiveFlood:
        p->colour = FloodColourOf(state);
        break;
    case PrimitiveColourMatrix:
        ReadColourMatrix(element, p);
        break;
    case PrimitiveComponentTransfer:
        ReadComponentTransfer(element, p);
        break;
    case PrimitiveComposite:
        ReadComposite(element, p);
        break;
    case PrimitiveBlend:
        ReadBlend(element, p);
        break;
    case PrimitiveMorphology:
        ReadMorphology(element, p);
        break;
    case PrimitiveTurbulence:
        ReadTurbulence(element, p);
        break;
    case PrimitiveConvolve:
        ReadConvolve(element, p);
        break;
    case PrimitiveLighting:
        ReadLighting(element, state, p);
        break;
    case PrimitiveDropShadow:
        p->dx = NumberAttribute(element, L"dx", 2);
        p->dy = NumberAttribute(element, L"dy", 2);
        if (!ReadNumberPair(XmlAttribute(element, L"stdDeviation"), &p->deviationX, &p->deviationY))
            p->deviationX = p->deviationY = 2;
        if (p->deviationX < 0 || p->deviationY < 0)
            p->deviationX = p->deviationY = 0;
        p->colour = FloodColourOf(state);
        break;
    default:
        break;
    }
}

// In bounding-box units lengths are fractions of the box.
void ScaleToBox(const float box[4], FilterPrimitive* p) {
    p->deviationX *= box[2], p->deviationY *= box[3];
    p->dx *= box[2], p->dy *= box[3];
    p->radiusX *= box[2], p->radiusY *= box[3];
    // Light positions across and down are fractions of the box; heights
    // stay as they are written.
    FilterLight& l = p->light;
    l.x = box[0] + l.x * box[2], l.y = box[1] + l.y * box[3];
    l.pointsAtX = box[0] + l.pointsAtX * box[2], l.pointsAtY = box[1] + l.pointsAtY * box[3];
}

// Whether the primitive reads the background, which is not drawn.
bool ReadsBackground(const XmlNode* element) {
    for (const wchar_t* name : {L"in", L"in2"}) {
        const std::wstring input = TrimWhiteSpace(XmlAttribute(element, name));
        if (input == L"BackgroundImage" || input == L"BackgroundAlpha")
            return true;
    }
    return false;
}

// The subregion a primitive starts from before its own x, y, width and
// height: the filter region, but in bounding-box units the box itself once
// any of them is given (for all but a flood).
void DefaultSubregion(const FilterPrimitive& p, const RegionUnits& units, const float region[4],
                      bool given, float rect[4]) {
    if (units.boxUnits && given && p.kind != PrimitiveFlood && p.kind != PrimitiveTurbulence)
        std::copy(units.box, units.box + 4, rect);
    else
        std::copy(region, region + 4, rect);
}

// Reads the primitives; false when one of them hides the element.
bool ReadPrimitives(WalkContext* context, const XmlNode* source, const RegionUnits& units,
                    const float region[4], FilterRecord* record) {
    std::vector<std::pair<std::wstring, int>> results;
    const StyleState filterState = InheritedContentState(context, source);
    for (const XmlNode* e = FirstChildElement(source); e; e = NextSiblingElement(e)) {
        const int kind = PrimitiveKindOf(e);
        if (kind == -2)
            continue;
        StyleState state;
        ApplyPresentation(context->load, e, &filterState, &state);
        const int index = static_cast<int>(record->primitives.size());
        FilterPrimitive p = FilterPrimitive();
        p.kind = kind < 0 ? PrimitiveTransparent : kind;
        p.in1 = InputOf(e, L"in", results, index);
        p.in2 = InputOf(e, L"in2", results, index);
        if (kind == PrimitiveMerge) {
            for (const XmlNode* node = FirstChildElement(e); node;
                 node = NextSiblingElement(node)) {
                if (LowerTextIs(XmlLocalName(node), L"femergenode"))
                    p.inputs.push_back(InputOf(node, L"in", results, index));
            }
        }
        if (ReadsBackground(e))
            context->document->notDrawn[NotDrawnFilter]++;
        const std::wstring texts[4] = {XmlAttribute(e, L"x"), XmlAttribute(e, L"y"),
                                       XmlAttribute(e, L"width"), XmlAttribute(e, L"height")};
        const bool given =
            !(texts[0].empty() && texts[1].empty() && texts[2].empty() && texts[3].empty());
        float rect[4];
        DefaultSubregion(p, units, region, given, rect);
        p.tileFromInput = kind == PrimitiveOffset && !given;
        ReadRect(units, texts, rect);
        if (!(rect[2] > 0 && rect[3] > 0))
            return false;
        p.x = rect[0], p.y = rect[1], p.width = rect[2], p.height = rect[3];
        p.linear = state.filtersInLinearRgb != 0;
        ReadPrimitiveValues(e, state, &p);
        if (units.boxUnits)
            ScaleToBox(units.box, &p);
        record->primitives.push_back(std::move(p));
        const std::wstring name = TrimWhiteSpace(XmlAttribute(e, L"result"));
        if (!name.empty())
            results.emplace_back(name, index);
    }
    return !record->primitives.empty();
}

// A colour matrix of its 20 values, as the primitive reads them.
FilterPrimitive MatrixPrimitive(const float (&rows)[15]) {
    FilterPrimitive p = FilterPrimitive();
    p.kind = PrimitiveColourMatrix;
    p.mode = ColourMatrixValues;
    for (int row = 0; row < 3; row++) {
        for (int column = 0; column < 3; column++)
            p.values.push_back(rows[row * 5 + column]);
        p.values.push_back(0);
        p.values.push_back(0);
    }
    const float alpha[5] = {0, 0, 0, 1, 0};
    p.values.insert(p.values.end(), alpha, alpha + 5);
    return p;
}

// The same transfer function on red, green and blue; alpha kept.
FilterPrimitive TransferPrimitive(const TransferFunction& f) {
    FilterPrimitive p = FilterPrimitive();
    p.kind = PrimitiveComponentTransfer;
    for (int i = 0; i < 4; i++) {
        p.transfer[i] = TransferFunction();
        p.transfer[i].slope = p.transfer[i].amplitude = p.transfer[i].exponent = 1;
    }
    p.transfer[0] = p.transfer[1] = p.transfer[2] = f;
    return p;
}

TransferFunction LinearTransfer(float slope, float intercept) {
    TransferFunction f = TransferFunction();
    f.kind = TransferLinear;
    f.slope = slope, f.intercept = intercept;
    return f;
}

TransferFunction TableTransfer(float from, float to) {
    TransferFunction f = TransferFunction();
    f.kind = TransferTable;
    f.table = {from, to};
    return f;
}

// The primitive a filter function stands for, its colours in sRGB.
FilterPrimitive FunctionPrimitive(const FilterFunction& f, Argb currentColour) {
    const float a = f.amount, k = 1 - f.amount;
    switch (f.kind) {
    case FunctionBlur: {
        FilterPrimitive p = FilterPrimitive();
        p.kind = PrimitiveBlur;
        p.deviationX = p.deviationY = f.deviation;
        return p;
    }
    case FunctionDropShadow: {
        FilterPrimitive p = FilterPrimitive();
        p.kind = PrimitiveDropShadow;
        p.deviationX = p.deviationY = f.deviation;
        p.dx = f.dx, p.dy = f.dy;
        p.colour = f.currentColour ? currentColour : f.colour;
        return p;
    }
    case FunctionBrightness:
        return TransferPrimitive(LinearTransfer(a, 0));
    case FunctionContrast:
        return TransferPrimitive(LinearTransfer(a, 0.5f - 0.5f * a));
    case FunctionInvert:
        return TransferPrimitive(TableTransfer(a, 1 - a));
    case FunctionOpacity: {
        FilterPrimitive p = TransferPrimitive(TransferFunction());
        for (int i = 0; i < 3; i++)
            p.transfer[i] = p.transfer[3];
        p.transfer[3] = TableTransfer(0, a);
        return p;
    }
    case FunctionGrayscale: {
        const float rows[15] = {
            0.2126f + 0.7874f * k, 0.7152f - 0.7152f * k, 0.0722f - 0.0722f * k, 0, 0,
            0.2126f - 0.2126f * k, 0.7152f + 0.2848f * k, 0.0722f - 0.0722f * k, 0, 0,
            0.2126f - 0.2126f * k, 0.7152f - 0.7152f * k, 0.0722f + 0.9278f * k, 0, 0};
        return MatrixPrimitive(rows);
    }
    case FunctionSepia: {
        const float rows[15] = {
            0.393f + 0.607f * k, 0.769f - 0.769f * k, 0.189f - 0.189f * k, 0, 0,
            0.349f - 0.349f * k, 0.686f + 0.314f * k, 0.168f - 0.168f * k, 0, 0,
            0.272f - 0.272f * k, 0.534f - 0.534f * k, 0.131f + 0.869f * k, 0, 0};
        return MatrixPrimitive(rows);
    }
    default: { // hue-rotate and saturate
        FilterPrimitive p = FilterPrimitive();
        p.kind = PrimitiveColourMatrix;
        p.mode = f.kind == FunctionHueRotate ? ColourMatrixHueRotate : ColourMatrixSaturate;
        p.values = {a};
        return p;
    }
    }
}

// The box of the rectangle under the matrix.
void BoundsUnder(const Matrix2D& m, const float rect[4], float bounds[4]) {
    float minX = HUGE_VALF, minY = HUGE_VALF, maxX = -HUGE_VALF, maxY = -HUGE_VALF;
    for (int corner = 0; corner < 4; corner++) {
        float x = rect[0] + (corner & 1 ? rect[2] : 0), y = rect[1] + (corner & 2 ? rect[3] : 0);
        ApplyMatrix(m, &x, &y);
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    bounds[0] = minX, bounds[1] = minY, bounds[2] = maxX, bounds[3] = maxY;
}

} // namespace

int FilterOf(WalkContext* context, const std::wstring& property, const LengthBasis& basis,
             const XmlNode** filter) {
    *filter = nullptr;
    const std::wstring text = TrimWhiteSpace(property);
    if (text.empty() || LowerTextIs(text, L"none"))
        return FilterUnused;
    // One reference alone; a list holding one among functions is not drawn.
    const size_t close = text.find(L')');
    const bool alone = LowerText(text.substr(0, 4)) == L"url(" && close == text.size() - 1;
    const std::wstring id = alone ? UrlReferenceId(text) : std::wstring();
    if (id.empty()) {
        std::vector<FilterFunction> functions;
        if (ParseFilterFunctions(text, basis, &functions))
            return FilterFunctions;
        return LowerText(text).find(L"url(") != std::wstring::npos ? FilterNotDrawn : FilterUnused;
    }
    const XmlNode* element = LookUpId(&context->ids, id);
    if (!element || !LowerTextIs(XmlLocalName(element), L"filter"))
        return FilterHidden;
    const XmlNode* source = PrimitiveSource(FilterChain(context, element));
    for (const XmlNode* e = FirstChildElement(source); e; e = NextSiblingElement(e)) {
        if (PrimitiveKindOf(e) == -1)
            return FilterNotDrawn;
    }
    *filter = element;
    return FilterUsed;
}

int AddGroupFilter(WalkContext* context, const XmlNode* filter, const Matrix2D& matrix,
                   const float box[4], float viewportWidth, float viewportHeight, float bounds[4]) {
    const std::vector<const XmlNode*> chain = FilterChain(context, filter);
    RegionUnits units = RegionUnits();
    units.boxUnits = TrimWhiteSpace(ChainAttribute(chain, L"filterUnits")) != L"userSpaceOnUse";
    std::copy(box, box + 4, units.box);
    units.viewportWidth = viewportWidth, units.viewportHeight = viewportHeight;
    if (units.boxUnits && !(box[2] > 0 && box[3] > 0))
        return 0;
    const float across = units.boxUnits ? box[2] : viewportWidth;
    const float down = units.boxUnits ? box[3] : viewportHeight;
    const float left = units.boxUnits ? box[0] : 0, top = units.boxUnits ? box[1] : 0;
    float region[4] = {left - 0.1f * across, top - 0.1f * down, 1.2f * across, 1.2f * down};
    const std::wstring texts[4] = {ChainAttribute(chain, L"x"), ChainAttribute(chain, L"y"),
                                   ChainAttribute(chain, L"width"),
                                   ChainAttribute(chain, L"height")};
    ReadRect(units, texts, region);
    if (!(region[2] > 0 && region[3] > 0))
        return 0;
    FilterRecord record = FilterRecord();
    record.x = region[0], record.y = region[1], record.width = region[2], record.height = region[3];
    record.matrix = matrix;
    RegionUnits primitiveUnits = units;
    primitiveUnits.boxUnits =
        TrimWhiteSpace(ChainAttribute(chain, L"primitiveUnits")) == L"objectBoundingBox";
    if (primitiveUnits.boxUnits && !(box[2] > 0 && box[3] > 0))
        return 0;
    if (!ReadPrimitives(context, PrimitiveSource(chain), primitiveUnits, region, &record))
        return 0;
    BoundsUnder(matrix, region, bounds);
    return AddDocumentFilter(context->document, &record);
}

int AddFunctionFilter(WalkContext* context, const std::wstring& property, const LengthBasis& basis,
                      Argb colour, const Matrix2D& matrix, const float box[4], float bounds[4]) {
    std::vector<FilterFunction> functions;
    if (!ParseFilterFunctions(TrimWhiteSpace(property), basis, &functions))
        return 0;
    // What the blurs and shadows reach beyond the box.
    float reach = 0;
    for (const FilterFunction& f : functions)
        reach += 3 * f.deviation + std::max(std::fabs(f.dx), std::fabs(f.dy));
    FilterRecord record = FilterRecord();
    record.x = box[0] - reach, record.y = box[1] - reach;
    record.width = box[2] + 2 * reach, record.height = box[3] + 2 * reach;
    if (!(record.width > 0 && record.height > 0))
        return 0;
    record.matrix = matrix;
    for (const FilterFunction& f : functions) {
        FilterPrimitive p = FunctionPrimitive(f, colour);
        p.in1 = p.in2 = record.primitives.empty() ? FilterInputSourceGraphic
                                                  : static_cast<int>(record.primitives.size()) - 1;
        p.x = record.x, p.y = record.y, p.width = record.width, p.height = record.height;
        record.primitives.push_back(std::move(p));
    }
    const float region[4] = {record.x, record.y, record.width, record.height};
    BoundsUnder(matrix, region, bounds);
    return AddDocumentFilter(context->document, &record);
}
