// The values of each kind of filter primitive, read from its element.
#include "svg/build/filter_primitives.h"

#include <algorithm>
#include <cmath>

#include "svg/base/scan.h"
#include "svg/base/strings.h"
#include "svg/style/style.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

namespace {

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
    // A divisor of 0 given is in error; without one the kernel's sum divides,
    // or 1 when the values add up to 0. They are added in double and a sum
    // within rounding of 0 is 0: eight 0.1 and a -0.8 add up to 6e-8 in
    // float, which would multiply the result by millions.
    double sum = 0, size = 0;
    for (float v : p->values)
        sum += v, size += std::fabs(v);
    const bool zeroSum = std::fabs(sum) <= 1e-6 * size;
    p->divisor = NumberAttribute(element, L"divisor", zeroSum ? 1 : static_cast<float>(sum));
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
            // A negative focus is in error and taken as the default.
            light->spotExponent = NumberAttribute(c, L"specularExponent", 1);
            if (light->spotExponent < 0)
                light->spotExponent = 1;
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

// The map's channels and the scale; the scale is in primitive units.
void ReadDisplacement(const XmlNode* element, FilterPrimitive* p) {
    p->dx = p->dy = NumberAttribute(element, L"scale", 0);
    static const wchar_t* const channels[] = {L"R", L"G", L"B", L"A"};
    p->xChannel = KeywordIndex(XmlAttribute(element, L"xChannelSelector"), channels, 4, 3);
    p->yChannel = KeywordIndex(XmlAttribute(element, L"yChannelSelector"), channels, 4, 3);
}

} // namespace

// A named input: a source, an earlier result, or the previous result
// (SourceGraphic for the first primitive) for anything else.
int InputOf(const XmlNode* element, const wchar_t* attribute, const NamedResults& results,
            int index) {
    const std::wstring name = TrimWhiteSpace(XmlAttribute(element, attribute));
    // The background and paint inputs are not drawn: the element's own
    // picture stands in for them, its colours too for BackgroundAlpha.
    if (name == L"SourceGraphic" || name == L"BackgroundImage" || name == L"BackgroundAlpha" ||
        name == L"FillPaint" || name == L"StrokePaint")
        return FilterInputSourceGraphic;
    if (name == L"SourceAlpha")
        return FilterInputSourceAlpha;
    for (size_t i = results.size(); !name.empty() && i-- > 0;) {
        if (results[i].first == name)
            return results[i].second;
    }
    return index > 0 ? index - 1 : FilterInputSourceGraphic;
}

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
    case PrimitiveDisplacement:
        ReadDisplacement(element, p);
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
