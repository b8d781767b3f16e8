#include "svg/build/masks.h"

#include <algorithm>
#include <vector>

#include "svg/base/strings.h"
#include "svg/build/clip_paths.h"
#include "svg/build/offscreen_content.h"
#include "svg/build/shared_content.h"
#include "svg/build/walk_context.h"
#include "svg/build/walker.h"
#include "svg/records/document.h"
#include "svg/records/offscreen_groups.h"
#include "svg/style/gradients.h"
#include "svg/style/load_context.h"
#include "svg/style/style.h"
#include "svg/values/viewport.h"
#include "svg/xml/references.h"
#include "svg/xml/xml_tree.h"

namespace {

// Masks inside masks (and on masks) are followed this deep.
const size_t MaxMaskNesting = 16;

bool IsKeyword(const XmlNode* element, const wchar_t* name, const wchar_t* keyword) {
    return TrimWhiteSpace(XmlAttribute(element, name)) == keyword;
}

// One of x, y, width, height: a fraction (or percentage) of the box in
// bounding-box units, a length of the viewport in user units.
float MaskLength(const XmlNode* mask, const wchar_t* name, bool boxUnits, float fallback,
                 float origin, float size) {
    const std::wstring& text = XmlAttribute(mask, name);
    if (!boxUnits)
        return origin + ViewportLength(text, size, fallback * size);
    const double fraction = text.empty() ? fallback : ReadGradientCoordinate(text);
    return origin + static_cast<float>(fraction) * size;
}

} // namespace

const XmlNode* MaskOf(WalkContext* context, const std::wstring& property) {
    std::wstring id = UrlReferenceId(property);
    if (id.empty())
        return nullptr;
    const XmlNode* element = LookUpId(&context->ids, id);
    if (!element || !LowerTextIs(XmlLocalName(element), L"mask"))
        return nullptr;
    const std::vector<const XmlNode*>& busy = context->masksInProgress;
    if (busy.size() >= MaxMaskNesting ||
        std::find(busy.begin(), busy.end(), element) != busy.end()) {
        context->refused++;
        return nullptr;
    }
    return element;
}

int AddGroupMask(WalkContext* context, const XmlNode* mask, const Matrix2D& matrix,
                 const float box[4], float viewportWidth, float viewportHeight) {
    SvgDocument* document = context->document;
    const bool boxUnits = !IsKeyword(mask, L"maskUnits", L"userSpaceOnUse");
    const float left = boxUnits ? box[0] : 0, top = boxUnits ? box[1] : 0;
    const float across = boxUnits ? box[2] : viewportWidth;
    const float down = boxUnits ? box[3] : viewportHeight;
    const float x = MaskLength(mask, L"x", boxUnits, -0.1f, left, across);
    const float y = MaskLength(mask, L"y", boxUnits, -0.1f, top, down);
    const float width = MaskLength(mask, L"width", boxUnits, 1.2f, 0, across);
    const float height = MaskLength(mask, L"height", boxUnits, 1.2f, 0, down);
    StyleState state = InheritedContentState(context, mask); // the mask's own properties too
    const bool contentInBox = IsKeyword(mask, L"maskContentUnits", L"objectBoundingBox");
    // A mask on the mask may measure in the box too.
    const bool boxed = boxUnits || contentInBox || MaskOf(context, state.mask);
    const ContentUse use = MakeContentUse(context, mask, 0, matrix, boxed ? box : nullptr,
                                          viewportWidth, viewportHeight);
    if (int shared = SharedNumber(context, context->shared.masks, use))
        return shared;
    const unsigned long refusedBefore = context->refused;
    GroupMask entry = GroupMask();
    entry.luminance = !state.maskAlpha;
    // An empty rectangle lets nothing through: the mask keeps no content.
    const bool boxEmpty = boxUnits && !(box[2] > 0 && box[3] > 0);
    if (width > 0 && height > 0 && !boxEmpty) {
        state.matrix = matrix;
        if (contentInBox)
            state.matrix = ComposeMatrix(matrix, Matrix2D{box[2], 0, 0, box[3], box[0], box[1]});
        state.clip = AddRectClipRegion(document, 0, matrix, x, y, width, height);
        context->masksInProgress.push_back(mask);
        const XmlNode* outer = MaskOf(context, state.mask);
        RecordsAside aside(document);
        // A mask on the mask masks its whole content, as a group of its own.
        const int own = outer ? AddOffscreenGroup(document, 0, 1.0f) : 0;
        state.group = own;
        WalkContent(context, mask, state, viewportWidth, viewportHeight);
        if (own) {
            const int inner =
                AddGroupMask(context, outer, matrix, box, viewportWidth, viewportHeight);
            if (OffscreenGroup* group = OffscreenGroupOf(document, own))
                group->mask = inner;
            FinishOffscreenGroup(document, own, 0);
        }
        aside.Return(&entry.content);
        context->masksInProgress.pop_back();
    }
    const int number = AddDocumentMask(document, &entry);
    RememberShared(context, &context->shared.masks, use, number, refusedBefore);
    return number;
}
