// Clip regions and the clip paths they are built from.
#include "svg/build/clip_paths.h"

#include <algorithm>
#include <new>

#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/build/conditions.h"
#include "svg/build/element_roles.h"
#include "svg/build/offscreen_content.h"
#include "svg/build/shape_paths.h"
#include "svg/build/shared_content.h"
#include "svg/build/walk_context.h"
#include "svg/records/clips.h"
#include "svg/records/document.h"
#include "svg/records/work_budget.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/values/viewport.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

namespace {

Matrix2D OwnTransform(const XmlNode* element) {
    Matrix2D m;
    IdentityMatrix(&m);
    ParseTransformList(XmlAttribute(element, L"transform"), &m);
    return m;
}

Matrix2D Translation(float x, float y) {
    return Matrix2D{1, 0, 0, 1, x, y};
}

bool IsHidden(const StyleState& state) {
    return state.displayNone || state.hidden;
}

// The path a child of a clip path adds, with its matrix relative to the clip
// path's content space; null for children that add nothing (groups, text, a
// use of anything but a shape, hidden ones). *state is the child's style,
// computed from the clip path's.
GfxPath* ChildClipPath(WalkContext* context, const XmlNode* child, const StyleState& state,
                       Matrix2D* matrix) {
    if (IsHidden(state) || !ConditionsHold(child))
        return nullptr;
    *matrix = OwnTransform(child);
    if (!IsUseElement(child))
        return BuildElementPath(child);
    const XmlNode* target = LookUpId(&context->ids, HrefReferenceId(child));
    if (!target || !IsShapeElement(target))
        return nullptr;
    StyleState targetState;
    ApplyPresentation(context->load, target, &state, &targetState);
    if (IsHidden(targetState))
        return nullptr;
    float x = ParseLength(XmlAttribute(child, L"x")), y = ParseLength(XmlAttribute(child, L"y"));
    *matrix = ComposeMatrix(ComposeMatrix(*matrix, Translation(x, y)), OwnTransform(target));
    return BuildElementPath(target);
}

// The bounds of the path (user units), for a clip path in bounding-box units.
void PathBox(GfxPath* path, float box[4]) {
    GfxRectF bounds = {0, 0, 0, 0};
    GfxGetPathBounds(path, nullptr, &bounds);
    box[0] = bounds.x;
    box[1] = bounds.y;
    box[2] = bounds.width;
    box[3] = bounds.height;
}

// The shapes of the clip path's children, in its content space, appended
// to *shapes; each path is in *shapes as soon as it is made. The children's
// properties come through the clip path and its ancestors.
void AddChildClipShapes(WalkContext* context, const XmlNode* clipPath, const StyleState& inherited,
                        const Matrix2D& content, std::vector<ClipShape>* shapes) {
    StyleState state;
    for (const XmlNode* child = FirstChildElement(clipPath); child;
         child = NextSiblingElement(child)) {
        ApplyPresentation(context->load, child, &inherited, &state);
        shapes->reserve(shapes->size() + 1); // taking the path then cannot fail
        Matrix2D own;
        GfxPath* path = ChildClipPath(context, child, state, &own);
        if (!path)
            continue;
        // A clip path's shapes cost the load as drawn shapes do; past the
        // budget the region keeps the shapes it has.
        SvgDocument* document = context->document;
        if (!SpendWork(LoadWorkBudget(), &document->loadWork,
                       static_cast<size_t>(GfxGetPathPointCount(path)))) {
            document->notDrawn[NotDrawnLoadBudget]++;
            GfxDeletePath(path);
            return;
        }
        shapes->push_back(ClipShape{path, ComposeMatrix(content, own), 0});
        GfxSetFillMode(path, state.clipRule ? GfxFillModeWinding : GfxFillModeAlternate);
        // A clip path on the child cuts the child alone, in its own space.
        if (const XmlNode* inner = ClipPathOf(context, state.clipPath)) {
            float childBox[4];
            PathBox(path, childBox);
            const Matrix2D matrix = shapes->back().matrix;
            const int clip = AddClipPathRegion(context, inner, 0, matrix, childBox);
            shapes->back().clip = clip;
        }
    }
}

} // namespace

int AddRectClipRegion(SvgDocument* document, int parent, const Matrix2D& matrix, float x, float y,
                      float width, float height) {
    std::vector<ClipShape> shapes;
    shapes.reserve(1); // taking the path then cannot fail
    GfxPath* path = BuildRectPath(x, y, width, height, 0, 0);
    if (!path)
        return 0;
    shapes.push_back(ClipShape{path, matrix, 0});
    try {
        int region = ReserveClipRegion(document, parent);
        FillClipRegion(document, region, &shapes);
        return region;
    } catch (...) { // memory ran out: the region does not own the path yet
        DeleteClipShapes(&shapes);
        throw;
    }
}

const XmlNode* ClipPathOf(WalkContext* context, const std::wstring& property) {
    std::wstring id = UrlReferenceId(property);
    if (id.empty())
        return nullptr;
    const XmlNode* element = LookUpId(&context->ids, id);
    if (!element || !LowerTextIs(XmlLocalName(element), L"clippath"))
        return nullptr;
    const std::vector<const XmlNode*>& busy = context->clipsInProgress;
    // Deeper clip paths than MaxClipNesting clip nothing more.
    if (busy.size() >= static_cast<size_t>(MaxClipNesting) ||
        std::find(busy.begin(), busy.end(), element) != busy.end()) {
        context->refused++;
        return nullptr;
    }
    return element;
}

bool ClipUsesBoundingBox(const XmlNode* clipPath) {
    return TrimWhiteSpace(XmlAttribute(clipPath, L"clipPathUnits")) == L"objectBoundingBox";
}

void BuildClipRegion(WalkContext* context, const XmlNode* clipPath, int region,
                     const Matrix2D& matrix, const float box[4]) {
    context->clipsInProgress.push_back(clipPath);
    Matrix2D content = ComposeMatrix(matrix, OwnTransform(clipPath));
    if (ClipUsesBoundingBox(clipPath))
        content = ComposeMatrix(content, Matrix2D{box[2], 0, 0, box[3], box[0], box[1]});
    // The shapes own their paths until the region takes them: memory can run
    // out on the way.
    std::vector<ClipShape> shapes;
    try {
        const StyleState inherited = InheritedContentState(context, clipPath);
        AddChildClipShapes(context, clipPath, inherited, content, &shapes);
        // A clip path on the clip path itself cuts the whole region.
        if (const XmlNode* outer = ClipPathOf(context, inherited.clipPath)) {
            DocumentClips* clips = context->document->clips;
            int parent = clips->regions[region - 1].parent;
            int cut = AddClipPathRegion(context, outer, parent, matrix, box);
            if (cut)
                context->document->clips->regions[region - 1].parent = cut;
        }
        FillClipRegion(context->document, region, &shapes);
    } catch (...) {
        DeleteClipShapes(&shapes);
        throw;
    }
    context->clipsInProgress.pop_back();
}

int AddClipPathRegion(WalkContext* context, const XmlNode* clipPath, int parent,
                      const Matrix2D& matrix, const float box[4]) {
    ContentUse use = ContentUse();
    if (MayShareContent(context)) {
        // A clip path on the clip path may measure in the box too.
        const bool boxed = ClipUsesBoundingBox(clipPath) ||
                           ClipPathOf(context, InheritedContentState(context, clipPath).clipPath);
        use = MakeContentUse(context, clipPath, parent, matrix, boxed ? box : nullptr, 0, 0);
        if (int shared = SharedNumber(context, context->shared.clips, use))
            return shared;
    }
    const unsigned long refusedBefore = context->refused;
    int region = ReserveClipRegion(context->document, parent);
    if (region)
        BuildClipRegion(context, clipPath, region, matrix, box);
    RememberShared(context, &context->shared.clips, use, region, refusedBefore);
    return region;
}
