#include "svg/build/patterns.h"

#include <algorithm>
#include <vector>

#include "svg/base/strings.h"
#include "svg/build/offscreen_content.h"
#include "svg/build/shared_content.h"
#include "svg/build/walk_context.h"
#include "svg/build/walker.h"
#include "svg/records/document.h"
#include "svg/records/offscreen_groups.h"
#include "svg/style/gradients.h"
#include "svg/style/style.h"
#include "svg/values/viewport.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/references.h"
#include "svg/xml/xml_tree.h"

namespace {

// Patterns inside pattern tiles, and href chains, are followed this deep.
const size_t MaxPatternNesting = 16;

bool IsPattern(const XmlNode* element) {
    return element && LowerTextIs(XmlLocalName(element), L"pattern");
}

// The pattern and the patterns it names through href, nearest first.
std::vector<const XmlNode*> PatternChain(WalkContext* context, const XmlNode* pattern) {
    std::vector<const XmlNode*> chain;
    for (const XmlNode* p = pattern; IsPattern(p) && chain.size() < MaxPatternNesting;
         p = LookUpId(&context->ids, HrefReferenceId(p))) {
        if (std::find(chain.begin(), chain.end(), p) != chain.end())
            break;
        chain.push_back(p);
    }
    return chain;
}

// An attribute of the first pattern of the chain that has it.
std::wstring ChainAttribute(const std::vector<const XmlNode*>& chain, const wchar_t* name) {
    for (const XmlNode* p : chain) {
        const std::wstring& text = XmlAttribute(p, name);
        if (!text.empty())
            return text;
    }
    return std::wstring();
}

// The first pattern of the chain with child elements: the tile's content.
const XmlNode* ContentSource(const std::vector<const XmlNode*>& chain) {
    for (const XmlNode* p : chain) {
        if (FirstChildElement(p))
            return p;
    }
    return nullptr;
}

// One of x, y, width, height: a fraction (or percentage) of the box in
// bounding-box units, a length of the viewport in user units.
float TileLength(const std::wstring& text, bool boxUnits, float origin, float size,
                 float viewport) {
    if (!boxUnits)
        return ViewportLength(text, viewport, 0);
    return origin + static_cast<float>(ReadGradientCoordinate(text)) * size;
}

} // namespace

const XmlNode* PatternOf(WalkContext* context, const std::wstring& id, bool* refused) {
    *refused = false;
    const XmlNode* element = id.empty() ? nullptr : LookUpId(&context->ids, id);
    if (!IsPattern(element))
        return nullptr;
    const std::vector<const XmlNode*>& busy = context->patternsInProgress;
    if (busy.size() >= MaxPatternNesting ||
        std::find(busy.begin(), busy.end(), element) != busy.end()) {
        *refused = true;
        context->refused++;
        return nullptr;
    }
    return element;
}

bool PatternInBoxUnits(WalkContext* context, const XmlNode* pattern) {
    const std::vector<const XmlNode*> chain = PatternChain(context, pattern);
    return TrimWhiteSpace(ChainAttribute(chain, L"patternUnits")) != L"userSpaceOnUse";
}

int AddPatternTile(WalkContext* context, const XmlNode* pattern, const float box[4],
                   float viewportWidth, float viewportHeight) {
    SvgDocument* document = context->document;
    const std::vector<const XmlNode*> chain = PatternChain(context, pattern);
    const bool boxUnits = PatternInBoxUnits(context, pattern);
    const bool contentBox =
        TrimWhiteSpace(ChainAttribute(chain, L"patternContentUnits")) == L"objectBoundingBox";
    const ContentUse use =
        MakeContentUse(context, pattern, 0, Matrix2D{1, 0, 0, 1, 0, 0},
                       boxUnits || contentBox ? box : nullptr, viewportWidth, viewportHeight);
    if (int shared = SharedNumber(context, context->shared.patterns, use))
        return shared;
    const unsigned long refusedBefore = context->refused;
    PatternTile tile = PatternTile();
    tile.x = TileLength(ChainAttribute(chain, L"x"), boxUnits, box[0], box[2], viewportWidth);
    tile.y = TileLength(ChainAttribute(chain, L"y"), boxUnits, box[1], box[3], viewportHeight);
    tile.width = TileLength(ChainAttribute(chain, L"width"), boxUnits, 0, box[2], viewportWidth);
    tile.height = TileLength(ChainAttribute(chain, L"height"), boxUnits, 0, box[3], viewportHeight);
    IdentityMatrix(&tile.transform);
    ParseTransformList(ChainAttribute(chain, L"patternTransform"), &tile.transform);
    // A transform that flattens the plane is left out, as browsers do.
    if (tile.transform.a * tile.transform.d - tile.transform.b * tile.transform.c == 0)
        IdentityMatrix(&tile.transform);
    const XmlNode* source = ContentSource(chain);
    if (!(tile.width > 0 && tile.height > 0) || !source)
        return AddDocumentPattern(document, &tile);
    // The content's space: the tile's corner as origin, then the viewBox
    // fitted into the tile, or the box's size as unit in bounding-box units.
    Matrix2D content = {1, 0, 0, 1, tile.x, tile.y};
    ViewBox viewBox;
    if (ParseViewBox(ChainAttribute(chain, L"viewBox"), &viewBox)) {
        AspectRatio aspect = ParseAspectRatio(ChainAttribute(chain, L"preserveAspectRatio"));
        content =
            ComposeMatrix(content, ViewBoxMatrix(viewBox, aspect, 0, 0, tile.width, tile.height));
    } else if (contentBox) {
        content = ComposeMatrix(content, Matrix2D{box[2], 0, 0, box[3], 0, 0});
    }
    StyleState state = InheritedContentState(context, source);
    state.matrix = content;
    context->patternsInProgress.push_back(pattern);
    RecordsAside aside(document);
    WalkContent(context, source, state, viewportWidth, viewportHeight);
    aside.Return(&tile.content);
    context->patternsInProgress.pop_back();
    const int number = AddDocumentPattern(document, &tile);
    RememberShared(context, &context->shared.patterns, use, number, refusedBefore);
    return number;
}
