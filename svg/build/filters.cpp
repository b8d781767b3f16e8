// Filters drawn from «filter» elements: the chain of filters a filter
// refers to, its region and primitive units, and each primitive's
// subregion and inputs.
#include "svg/build/filters.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "svg/base/strings.h"
#include "svg/build/filter_images.h"
#include "svg/build/filter_primitives.h"
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
    {L"fedisplacementmap", PrimitiveDisplacement},
    {L"feimage", PrimitiveImage},
};

// The kind of a primitive element; -2 for anything that is no primitive.
int PrimitiveKindOf(const XmlNode* element) {
    const std::wstring& name = XmlLocalName(element);
    for (const PrimitiveName& entry : DrawnPrimitives) {
        if (LowerTextIs(name, entry.name))
            return entry.kind;
    }
    return -2;
}

// Whether the primitive cannot be drawn for the element: an feImage of the
// filtered element itself (which would draw itself inside its own filter).
bool IsUndrawnFor(const XmlNode* primitive, const XmlNode* element, WalkContext* context) {
    if (PrimitiveKindOf(primitive) != PrimitiveImage)
        return false;
    const std::wstring id = HrefReferenceId(primitive);
    return element && !id.empty() && LookUpId(&context->ids, id) == element;
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
// any of them is given (for all but turbulence).
void DefaultSubregion(const FilterPrimitive& p, const RegionUnits& units, const float region[4],
                      bool given, float rect[4]) {
    if (units.boxUnits && given && p.kind != PrimitiveTurbulence)
        std::copy(units.box, units.box + 4, rect);
    else
        std::copy(region, region + 4, rect);
}

// What an feImage draws: the element it names, or the file; nothing
// without an href.
int ReadFilterImage(WalkContext* context, const XmlNode* feImage, const StyleState& state,
                    const Matrix2D& matrix, const float rect[4], const RegionUnits& units) {
    const std::wstring id = HrefReferenceId(feImage);
    if (!id.empty()) {
        const XmlNode* target = LookUpId(&context->ids, id);
        return target ? AddFilterImage(context, target, matrix, rect[0], rect[1],
                                       units.viewportWidth, units.viewportHeight)
                      : 0;
    }
    return HrefText(feImage).empty() ? 0
                                     : AddFilterImageOfFile(context, feImage, state, matrix, rect);
}

// Reads the primitives; false when one of them hides the element.
bool ReadPrimitives(WalkContext* context, const XmlNode* source, const RegionUnits& units,
                    const float region[4], FilterRecord* record) {
    NamedResults results;
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
        if (kind == PrimitiveImage)
            p.image = ReadFilterImage(context, e, state, record->matrix, rect, units);
        if (units.boxUnits)
            ScaleToBox(units.box, &p);
        record->primitives.push_back(std::move(p));
        const std::wstring name = TrimWhiteSpace(XmlAttribute(e, L"result"));
        if (!name.empty())
            results.emplace_back(name, index);
    }
    return !record->primitives.empty();
}

} // namespace

const XmlNode* FilterElement(WalkContext* context, const std::wstring& id) {
    const XmlNode* element = id.empty() ? nullptr : LookUpId(&context->ids, id);
    return element && LowerTextIs(XmlLocalName(element), L"filter") ? element : nullptr;
}

namespace {

// Whether a primitive of the filter (or of the one it takes them from)
// cannot be drawn for the element.
bool HasUndrawnPrimitive(WalkContext* context, const XmlNode* filter, const XmlNode* element) {
    const XmlNode* source = PrimitiveSource(FilterChain(context, filter));
    for (const XmlNode* e = FirstChildElement(source); e; e = NextSiblingElement(e)) {
        if (IsUndrawnFor(e, element, context))
            return true;
    }
    return false;
}

} // namespace

int FilterOf(WalkContext* context, const XmlNode* element, const std::wstring& property,
             const LengthBasis& basis, const XmlNode** filter) {
    *filter = nullptr;
    const std::wstring text = TrimWhiteSpace(property);
    if (text.empty() || LowerTextIs(text, L"none"))
        return FilterUnused;
    const size_t close = text.find(L')');
    const bool alone = LowerText(text.substr(0, 4)) == L"url(" && close == text.size() - 1;
    if (!alone) {
        // A list of functions and references.
        std::vector<FilterFunction> functions;
        if (!ParseFilterFunctions(text, basis, &functions))
            return FilterUnused;
        for (const FilterFunction& f : functions) {
            const XmlNode* referenced =
                f.kind == FunctionUrl ? FilterElement(context, f.id) : nullptr;
            if (referenced && HasUndrawnPrimitive(context, referenced, element))
                return FilterNotDrawn;
        }
        return FilterFunctions;
    }
    const std::wstring id = UrlReferenceId(text);
    if (id.empty())
        return FilterNotDrawn; // another file's filter
    const XmlNode* referenced = FilterElement(context, id);
    if (!referenced)
        return FilterHidden;
    if (HasUndrawnPrimitive(context, referenced, element))
        return FilterNotDrawn;
    *filter = referenced;
    return FilterUsed;
}

bool ReadGroupFilter(WalkContext* context, const XmlNode* filter, const Matrix2D& matrix,
                     const float box[4], float viewportWidth, float viewportHeight,
                     FilterRecord* record) {
    const std::vector<const XmlNode*> chain = FilterChain(context, filter);
    RegionUnits units = RegionUnits();
    units.boxUnits = TrimWhiteSpace(ChainAttribute(chain, L"filterUnits")) != L"userSpaceOnUse";
    std::copy(box, box + 4, units.box);
    units.viewportWidth = viewportWidth, units.viewportHeight = viewportHeight;
    if (units.boxUnits && !(box[2] > 0 && box[3] > 0))
        return false;
    const float across = units.boxUnits ? box[2] : viewportWidth;
    const float down = units.boxUnits ? box[3] : viewportHeight;
    const float left = units.boxUnits ? box[0] : 0, top = units.boxUnits ? box[1] : 0;
    float region[4] = {left - 0.1f * across, top - 0.1f * down, 1.2f * across, 1.2f * down};
    const std::wstring texts[4] = {ChainAttribute(chain, L"x"), ChainAttribute(chain, L"y"),
                                   ChainAttribute(chain, L"width"),
                                   ChainAttribute(chain, L"height")};
    ReadRect(units, texts, region);
    if (!(region[2] > 0 && region[3] > 0))
        return false;
    *record = FilterRecord();
    record->x = region[0], record->y = region[1];
    record->width = region[2], record->height = region[3];
    record->matrix = matrix;
    RegionUnits primitiveUnits = units;
    primitiveUnits.boxUnits =
        TrimWhiteSpace(ChainAttribute(chain, L"primitiveUnits")) == L"objectBoundingBox";
    if (primitiveUnits.boxUnits && !(box[2] > 0 && box[3] > 0))
        return false;
    return ReadPrimitives(context, PrimitiveSource(chain), primitiveUnits, region, record);
}

int AddGroupFilter(WalkContext* context, const XmlNode* filter, const Matrix2D& matrix,
                   const float box[4], float viewportWidth, float viewportHeight, float bounds[4]) {
    FilterRecord record;
    if (!ReadGroupFilter(context, filter, matrix, box, viewportWidth, viewportHeight, &record))
        return 0;
    const float region[4] = {record.x, record.y, record.width, record.height};
    BoundsUnder(matrix, region, bounds);
    return AddDocumentFilter(context->document, &record);
}

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
