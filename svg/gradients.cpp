// Linear and radial gradient definitions: the module-wide registries that
// describe the file loaded last, and each document's own copy of the
// gradients its shapes refer to.
#include "svg/gradients.h"

#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "svg/document.h"
#include "svg/element_walk.h"
#include "svg/style.h"
#include "svg/text.h"
#include "svg/xml_tree.h"

typedef std::unordered_map<std::wstring, const XmlNode*> GradientElementTable;
typedef std::unordered_map<std::wstring, GradientDef> GradientTable;
typedef std::unordered_map<std::wstring, Argb> ColourTable;

static GradientElementTable GradientElementMap;
static GradientTable GradientRegistry;
static ColourTable GradientAverageColours;

// A reference chain is followed through at most nine elements; a cycle ends
// there.
static const int MaxReferenceDepth = 8;
static const Argb GreyColour = 0xFF808080u;
static const Argb BlackColour = 0xFF000000u;

struct DocumentGradients {
    GradientTable byId;
};

void ClearGradientRegistries() {
    GradientElementMap.clear();
    GradientRegistry.clear();
    GradientAverageColours.clear();
}

static bool IsGradientElement(const XmlNode* node) {
    std::wstring name = LowerText(XmlName(node));
    return name == L"lineargradient" || name == L"radialgradient";
}

static void RegisterIfGradient(const XmlNode* node, void*) {
    if (!IsGradientElement(node))
        return;
    const std::wstring& id = XmlAttribute(node, L"id");
    if (!id.empty())
        GradientElementMap[id] = node; // a later element with the same id wins
}

// Depth-first in document order, without recursion, down to the search depth.
void RegisterGradientElements(const XmlNode* element) {
    VisitElements(element, kMaxElementSearchDepth, RegisterIfGradient, nullptr);
}

void BuildGradientRegistry() {
    for (const auto& entry : GradientElementMap) {
        GradientDef& definition = GradientRegistry[entry.first];
        ReadGradient(entry.second, &definition, 0);
        GradientAverageColours[entry.first] = AverageStopColour(&definition);
    }
    // The elements belong to the document's XML tree, which is released right
    // after the load: forget them so that no pointer into it outlives it.
    GradientElementMap.clear();
}

static void StartDefinition(const XmlNode* element, GradientDef* definition) {
    std::memset(definition, 0, sizeof *definition);
    if (LowerText(XmlName(element)) == L"radialgradient") {
        definition->type = 1;
        definition->cx = definition->cy = definition->r = 0.5f;
        definition->fx = definition->fy = 0.5f;
    } else {
        definition->type = 0;
        definition->x2 = 1.0f;
    }
    definition->units = 1;
}

// "xlink:href", else "href": «#id» naming a registered gradient.
static const XmlNode* ReferencedGradient(const XmlNode* element) {
    std::wstring href = TrimBlanks(XmlAttribute(element, L"xlink:href"));
    if (href.empty())
        href = TrimBlanks(XmlAttribute(element, L"href"));
    if (href.size() < 2 || href[0] != L'#')
        return nullptr;
    GradientElementTable::const_iterator found = GradientElementMap.find(href.substr(1));
    return found == GradientElementMap.end() ? nullptr : found->second;
}

// Reads the coordinate attribute when it is given; reports whether it was.
static bool ReadCoordinate(const XmlNode* element, const wchar_t* name, float* value) {
    const std::wstring& text = XmlAttribute(element, name);
    if (TrimBlanks(text).empty())
        return false;
    *value = static_cast<float>(ReadGradientCoordinate(text));
    return true;
}

// The standard mixed-case attribute name wins over the lower-case spelling
// that some exporters write.
static std::wstring ReadEitherSpelling(const XmlNode* element, const wchar_t* standardName,
                                       const wchar_t* lowerName) {
    std::wstring value = TrimBlanks(XmlAttribute(element, standardName));
    if (value.empty())
        value = TrimBlanks(XmlAttribute(element, lowerName));
    return value;
}

static void ReadUnitsAndSpread(const XmlNode* element, GradientDef* definition) {
    std::wstring units = LowerText(TrimBlanks(XmlAttribute(element, L"gradientUnits")));
    if (units == L"userspaceonuse")
        definition->units = 0;
    else if (units == L"objectboundingbox")
        definition->units = 1;

    std::wstring spread = LowerText(ReadEitherSpelling(element, L"spreadMethod", L"spreadmethod"));
    if (spread == L"pad")
        definition->spread = 0;
    else if (spread == L"reflect")
        definition->spread = 1;
    else if (spread == L"repeat")
        definition->spread = 2;
}

static void ReadGradientTransform(const XmlNode* element, GradientDef* definition) {
    std::wstring text = ReadEitherSpelling(element, L"gradientTransform", L"gradienttransform");
    if (text.empty())
        return;
    IdentityMatrix(&definition->transform);
    ParseTransformList(text, &definition->transform);
    definition->hasTransform = 1;
}

static bool IsStopElement(const XmlNode* node) {
    return LowerText(XmlName(node)) == L"stop";
}

// An element with stop children replaces the stops it inherited.
static void ReadStops(const XmlNode* element, GradientDef* definition) {
    bool hasStops = false;
    for (const XmlNode* c = FirstChildElement(element); c && !hasStops; c = NextSiblingElement(c))
        hasStops = IsStopElement(c);
    if (!hasStops)
        return;
    definition->stopCount = 0;
    for (const XmlNode* c = FirstChildElement(element); c; c = NextSiblingElement(c)) {
        if (!IsStopElement(c))
            continue;
        if (definition->stopCount >= GradientMaxStops)
            break;
        double offset = ReadGradientCoordinate(XmlAttribute(c, L"offset"));
        if (!(offset >= 0)) // also not-a-number, which would break sorting the stops
            offset = 0;
        if (offset > 1)
            offset = 1;
        GradientStop& stop = definition->stops[definition->stopCount++];
        stop.offset = static_cast<float>(offset);
        stop.colour = ReadStopColour(c);
    }
}

// A user-space linear gradient with no vector of its own and no transform
// read takes its vector from the images of (0, 0) and (1, 0) under
// "gradientTransform". Since that attribute is also read as the transform,
// this applies only to definitions whose transform was not read.
static void TakeVectorFromTransform(const XmlNode* element, GradientDef* definition) {
    if (definition->hasTransform || definition->type != 0 || definition->units != 0)
        return;
    if (definition->x1 != 0 || definition->y1 != 0 || definition->x2 != 1 || definition->y2 != 0)
        return;
    std::wstring text = TrimBlanks(XmlAttribute(element, L"gradientTransform"));
    if (text.empty())
        return;
    Matrix2D m;
    IdentityMatrix(&m);
    ParseTransformList(text, &m);
    definition->x1 = m.e;
    definition->y1 = m.f;
    definition->x2 = m.a + m.e;
    definition->y2 = m.b + m.f;
    definition->vectorFromTransform = 1;
}

void ReadGradient(const XmlNode* element, GradientDef* definition, int depth) {
    if (depth > MaxReferenceDepth)
        return;
    if (depth == 0)
        StartDefinition(element, definition);

    // The referenced chain first, so that this element's own attributes
    // override what it inherits.
    if (const XmlNode* referenced = ReferencedGradient(element))
        ReadGradient(referenced, definition, depth + 1);

    ReadCoordinate(element, L"x1", &definition->x1);
    ReadCoordinate(element, L"y1", &definition->y1);
    ReadCoordinate(element, L"x2", &definition->x2);
    ReadCoordinate(element, L"y2", &definition->y2);
    ReadCoordinate(element, L"cx", &definition->cx);
    ReadCoordinate(element, L"cy", &definition->cy);
    ReadCoordinate(element, L"r", &definition->r);
    bool ownFx = ReadCoordinate(element, L"fx", &definition->fx);
    bool ownFy = ReadCoordinate(element, L"fy", &definition->fy);
    ReadUnitsAndSpread(element, definition);
    ReadGradientTransform(element, definition);
    ReadStops(element, definition);

    if (depth != 0)
        return;
    // An inherited focal point gives way to the outermost element's centre.
    if (definition->type == 1) {
        if (!ownFx)
            definition->fx = definition->cx;
        if (!ownFy)
            definition->fy = definition->cy;
    }
    TakeVectorFromTransform(element, definition);
}

double ReadGradientCoordinate(const std::wstring& text) {
    std::wstring trimmed = TrimBlanks(text);
    if (trimmed.empty())
        return 0;
    if (trimmed.back() == L'%')
        return DecimalValueOfText(trimmed.substr(0, trimmed.size() - 1)) / 100;
    return DecimalValueOfText(trimmed);
}

// "stop-color" and "stop-opacity" from the stop's "style" attribute, else
// from its attributes; style sheets do not apply to stops.
Argb ReadStopColour(const XmlNode* stop) {
    const std::wstring& style = XmlAttribute(stop, L"style");
    std::wstring text = GetPropertyValue(stop, style, L"stop-color");
    if (text.empty())
        text = L"black";
    Argb colour = ParseColourOf(stop, text);
    if (colour == NoColour)
        colour = BlackColour;

    std::wstring opacityText = GetPropertyValue(stop, style, L"stop-opacity");
    if (opacityText.empty())
        return colour;
    double opacity = DecimalValueOfText(opacityText);
    if (!(opacity >= 0)) // also not-a-number
        opacity = 0;
    if (opacity > 1)
        opacity = 1;
    return ScaleAlpha(colour, static_cast<float>(opacity));
}

Argb AverageStopColour(const GradientDef* definition) {
    int count = definition->stopCount;
    if (count <= 0)
        return GreyColour;
    Argb average = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 0;
        for (int i = 0; i < count; i++)
            sum += (definition->stops[i].colour >> shift) & 0xFFu;
        average |= (sum / static_cast<uint32_t>(count)) << shift;
    }
    return average;
}

const GradientDef* FindRegisteredGradient(const std::wstring& id) {
    GradientTable::const_iterator found = GradientRegistry.find(id);
    return found == GradientRegistry.end() ? nullptr : &found->second;
}

int FindGradientAverageColour(const std::wstring& id, Argb* colour) {
    ColourTable::const_iterator found = GradientAverageColours.find(id);
    if (found == GradientAverageColours.end())
        return 0;
    *colour = found->second;
    return 1;
}

static void CopyRegisteredGradient(DocumentGradients* copy, const std::wstring& id) {
    if (id.empty() || copy->byId.count(id))
        return;
    if (const GradientDef* definition = FindRegisteredGradient(id))
        copy->byId[id] = *definition;
}

// Called at the end of a load, while the registries still describe this
// document: later loads then cannot change what this document draws.
void CopyReferencedGradients(SvgDocument* document) {
    if (!document)
        return;
    ReleaseDocumentGradients(document);
    // Held until it is complete: copying can run out of memory.
    std::unique_ptr<DocumentGradients> copy(new (std::nothrow) DocumentGradients);
    if (!copy)
        return;
    for (int i = 0; i < document->shapeCount; i++) {
        CopyRegisteredGradient(copy.get(), document->shapes[i].fillRef);
        CopyRegisteredGradient(copy.get(), document->shapes[i].strokeRef);
    }
    if (!copy->byId.empty())
        document->gradients = copy.release();
}

void ReleaseDocumentGradients(SvgDocument* document) {
    if (!document)
        return;
    delete document->gradients;
    document->gradients = nullptr;
}

const GradientDef* FindDocumentGradient(const SvgDocument* document, const std::wstring& id) {
    if (!document || !document->gradients)
        return nullptr;
    GradientTable::const_iterator found = document->gradients->byId.find(id);
    return found == document->gradients->byId.end() ? nullptr : &found->second;
}
