// The element walker: computes each element's style, builds the paths of the
// seven drawable elements and commits them as shape records in document
// order. Uses, nested viewports, switches and clip paths are resolved here,
// so that drawing stays a plain run over the records. The walk keeps its own
// stack of frames instead of recursing, so a file nesting elements very
// deeply cannot exhaust the call stack; elements below MaxWalkDepth are left
// out.
#include "svg/build/walker.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/build/clip_paths.h"
#include "svg/build/conditions.h"
#include "svg/build/element_roles.h"
#include "svg/build/filters.h"
#include "svg/build/images.h"
#include "svg/build/markers.h"
#include "svg/build/masks.h"
#include "svg/build/shape_commit.h"
#include "svg/build/shape_paths.h"
#include "svg/build/shape_records.h"
#include "svg/build/text.h"
#include "svg/build/walk_context.h"
#include "svg/css/style_sheet.h"
#include "svg/records/document.h"
#include "svg/records/not_drawn.h"
#include "svg/records/offscreen_groups.h"
#include "svg/records/work_budget.h"
#include "svg/style/load_context.h"
#include "svg/style/presentation.h"
#include "svg/style/style.h"
#include "svg/values/viewport.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

namespace {

struct NotDrawnEntry {
    const wchar_t* name; // lower case
    NotDrawnKind kind;
};

const NotDrawnEntry NotDrawnElements[] = {
    {L"foreignobject", NotDrawnForeignObject}, {L"animate", NotDrawnAnimation},
    {L"animatetransform", NotDrawnAnimation},  {L"animatemotion", NotDrawnAnimation},
    {L"animatecolor", NotDrawnAnimation},      {L"set", NotDrawnAnimation},
};

// Counts the element when it is one of those left out; true when it is.
bool CountNotDrawnElement(const XmlNode* element, SvgDocument* document) {
    const std::wstring& name = XmlLocalName(element);
    for (const NotDrawnEntry& entry : NotDrawnElements) {
        if (LowerTextIs(name, entry.name)) {
            document->notDrawn[entry.kind]++;
            return true;
        }
    }
    return false;
}

// Counts the effects the element asks for that are not drawn: a filter
// with a primitive that is not drawn, and markers.
void CountNotDrawnProperties(WalkContext* context, int filterUse, const StyleState& own,
                             ElementRole role) {
    int* counts = context->document->notDrawn;
    if (filterUse == FilterNotDrawn)
        counts[NotDrawnFilter]++;
    if (role < RoleRect)
        return;
    // Markers are drawn on lines, polylines, polygons and paths only.
    if (role < RoleLine && own.namesMarker)
        counts[NotDrawnMarker]++;
}

struct WalkFrame {
    const XmlNode* element;   // whose children are walked: a container, or the use or switch
    const XmlNode* nextChild; // the next child element to visit
    int depth;                // levels below the root of the frame's element
    int onlyOne;              // only nextChild is walked (a use's target, a switch's choice)
    int viaUse;               // inside what a use draws
    float viewportWidth, viewportHeight; // what percentages refer to
    // A clip path in bounding-box units on a group waits for the group's
    // records: the region is reserved and filled when the frame ends.
    const XmlNode* pendingClipPath;
    int pendingRegion;
    int firstRecord;
    // The offscreen group the element opened, ended with the frame.
    int group;
    int groupFirstRecord;
    const XmlNode* mask;   // the group's mask, built when the frame ends
    const XmlNode* filter; // the group's filter, likewise
    int filterHides;       // the filter draws nothing of the element
    int filterFunctions;   // the filter is a list of filter functions
    // A text's box is its glyphs' cells, not its records' outlines.
    int hasObjectBox;
    float objectBox[4];
    StyleState state;
};

WalkFrame NewFrame(const XmlNode* element, const WalkFrame& parent) {
    WalkFrame frame = WalkFrame();
    frame.element = element;
    frame.nextChild = FirstChildElement(element);
    frame.depth = parent.depth + 1;
    frame.viaUse = parent.viaUse;
    frame.viewportWidth = parent.viewportWidth;
    frame.viewportHeight = parent.viewportHeight;
    return frame;
}

bool IsOnStack(const std::vector<WalkFrame>& stack, const XmlNode* element) {
    for (const WalkFrame& frame : stack) {
        if (frame.element == element)
            return true;
    }
    return false;
}

bool IsAncestor(const XmlNode* ancestor, const XmlNode* element) {
    for (const XmlNode* e = element; e; e = XmlParent(e)) {
        if (e == ancestor)
            return true;
    }
    return false;
}

// The element a use draws, or null: references to nothing, to the use
// itself, to its ancestors or to anything being drawn already draw nothing.
const XmlNode* UseTarget(WalkContext* context, const std::vector<WalkFrame>& stack,
                         const XmlNode* use) {
    if (context->expanded >= MaxUseExpansion)
        return nullptr;
    const XmlNode* target = LookUpId(&context->ids, HrefReferenceId(use));
    if (!target || IsAncestor(target, use) || IsOnStack(stack, target))
        return nullptr;
    return target;
}

// The first child whose conditions hold; null when none does. Elements SVG
// does not define are no choice.
const XmlNode* SwitchChoice(const XmlNode* element) {
    for (const XmlNode* child = FirstChildElement(element); child;
         child = NextSiblingElement(child)) {
        if (RoleOf(child) != RoleUnknown && ConditionsHold(child))
            return child;
    }
    return nullptr;
}

bool IsUseFrame(const WalkFrame& frame) {
    return frame.onlyOne && frame.viaUse && LowerTextIs(XmlLocalName(frame.element), L"use");
}

// Sets up the viewport of a nested svg, or of a symbol or svg drawn by a
// use (whose width and height then replace the element's own): the clip
// of its rectangle, the viewBox matrix and the size percentages refer to.
// False when the viewport is empty.
bool EnterViewport(WalkContext* context, const XmlNode* element, const WalkFrame& parent,
                   WalkFrame* frame) {
    const float parentWidth = parent.viewportWidth, parentHeight = parent.viewportHeight;
    const XmlNode* use = IsUseFrame(parent) ? parent.element : nullptr;
    bool isSymbol = LowerTextIs(XmlLocalName(element), L"symbol");
    float x = 0, y = 0;
    if (!isSymbol) {
        x = ViewportLength(XmlAttribute(element, L"x"), parentWidth, 0);
        y = ViewportLength(XmlAttribute(element, L"y"), parentHeight, 0);
    }
    std::wstring widthText = use ? XmlAttribute(use, L"width") : std::wstring();
    std::wstring heightText = use ? XmlAttribute(use, L"height") : std::wstring();
    if (widthText.empty() && !isSymbol)
        widthText = XmlAttribute(element, L"width");
    if (heightText.empty() && !isSymbol)
        heightText = XmlAttribute(element, L"height");
    float width = ViewportLength(widthText, parentWidth, parentWidth);
    float height = ViewportLength(heightText, parentHeight, parentHeight);
    if (!(width > 0 && height > 0))
        return false;
    StyleState& state = frame->state;
    if (state.clipsOverflow) {
        int region =
            AddRectClipRegion(context->document, state.clip, state.matrix, x, y, width, height);
        if (region)
            state.clip = region;
    }
    ViewBox box;
    if (ParseViewBox(XmlAttribute(element, L"viewBox"), &box)) {
        AspectRatio aspect = ParseAspectRatio(XmlAttribute(element, L"preserveAspectRatio"));
        state.matrix = ComposeMatrix(state.matrix, ViewBoxMatrix(box, aspect, x, y, width, height));
        frame->viewportWidth = box.width;
        frame->viewportHeight = box.height;
    } else {
        state.matrix = ComposeMatrix(state.matrix, Matrix2D{1, 0, 0, 1, x, y});
        frame->viewportWidth = width;
        frame->viewportHeight = height;
    }
    return true;
}

// Applies the element's clip-path to the state. A clip path in bounding-box
// units on a container is finished when the container's frame ends.
void EnterClipPath(WalkContext* context, GfxPath* shapePath, WalkFrame* frame) {
    const XmlNode* clipPath = ClipPathOf(context, frame->state.clipPath);
    if (!clipPath)
        return;
    StyleState& state = frame->state;
    float box[4] = {0, 0, 0, 0};
    if (!shapePath && ClipUsesBoundingBox(clipPath)) {
        int region = ReserveClipRegion(context->document, state.clip);
        if (!region)
            return;
        state.clip = region;
        frame->pendingClipPath = clipPath;
        frame->pendingRegion = region;
        frame->firstRecord = context->document->shapeCount;
        return;
    }
    if (shapePath) {
        GfxRectF bounds = {0, 0, 0, 0};
        GfxGetPathBounds(shapePath, nullptr, &bounds);
        box[0] = bounds.x, box[1] = bounds.y, box[2] = bounds.width, box[3] = bounds.height;
    }
    int region = AddClipPathRegion(context, clipPath, state.clip, state.matrix, box);
    if (region)
        state.clip = region;
}

// A filtered element's clip path cuts what its filter draws, not what the
// filter reads: the clip (its ancestors' included) moves to the group.
void MoveClipToFilteredGroup(WalkContext* context, WalkFrame* frame) {
    if (!(frame->filter || frame->filterFunctions) || !frame->state.clip)
        return;
    if (OffscreenGroup* group = OffscreenGroupOf(context->document, frame->group)) {
        group->clip = frame->state.clip;
        frame->state.clip = 0;
    }
}

// The bounding box of the records the frame's element drew, in its user
// space: the box a clip path in bounding-box units measures with.
void RecordsBox(const SvgDocument* document, int first, const Matrix2D& space, float box[4]) {
    Matrix2D toSpace;
    box[0] = box[1] = box[2] = box[3] = 0;
    if (!InvertMatrix(space, &toSpace))
        return;
    Bounds bounds = Bounds();
    for (int i = first; i < document->shapeCount; i++) {
        const ShapeRecord& record = document->shapes[i];
        Matrix2D m = ComposeMatrix(toSpace, record.matrix);
        const float elements[6] = {m.a, m.b, m.c, m.d, m.e, m.f};
        GfxRectF b;
        if (GfxGetPathBounds(record.path, elements, &b))
            AddToBounds(&bounds, b.x, b.y, b.x + b.width, b.y + b.height);
    }
    box[0] = bounds.minX, box[1] = bounds.minY;
    box[2] = bounds.maxX - bounds.minX, box[3] = bounds.maxY - bounds.minY;
}

// The object bounding box of the frame's element: its records' from
// `first` on, or the text's own.
void ObjectBox(const SvgDocument* document, const WalkFrame& frame, int first, float box[4]) {
    if (frame.hasObjectBox) {
        for (int i = 0; i < 4; i++)
            box[i] = frame.objectBox[i];
        return;
    }
    RecordsBox(document, first, frame.state.matrix, box);
}

bool DrawsOneKindOfPaint(const StyleState& state) {
    bool fills = state.hasFill && (state.fillColor >> 24) > 0;
    bool strokes = state.hasStroke && (state.strokeColor >> 24) > 0 && state.strokeWidth > 0;
    return fills != strokes;
}

// An element with an opacity below 1, a mask or a filter is drawn offscreen
// as a group of its own, inside which its children draw at full opacity. A
// shape without a mask or filter that only fills or only strokes fades its
// paint instead, which draws the same.
void OpenOffscreenGroup(WalkContext* context, int filterUse, const XmlNode* filter,
                        const StyleState& parent, ElementRole role, WalkFrame* frame) {
    StyleState& state = frame->state;
    const XmlNode* mask = MaskOf(context, state.mask);
    const bool faded = parent.opacity > 0 && state.opacity < parent.opacity;
    const bool filtered =
        filterUse == FilterUsed || filterUse == FilterHidden || filterUse == FilterFunctions;
    // A blend mode mixes the element's picture as a whole with what lies
    // beneath; isolation keeps its content's blending within it.
    const bool blended = state.blendMode != BlendNormal;
    const bool isolated = state.isolate && role < RoleRect && role != RoleImage;
    if (!faded && !mask && !filtered && !blended && !isolated)
        return;
    const bool oneRecord = role == RoleImage || (role >= RoleRect && DrawsOneKindOfPaint(state));
    if (!mask && !filtered && !blended && oneRecord)
        return;
    const float opacity = faded ? state.opacity / parent.opacity : 1.0f;
    int group = AddOffscreenGroup(context->document, state.group, opacity);
    if (!group)
        return;
    state.group = group;
    if (OffscreenGroup* entry = OffscreenGroupOf(context->document, group))
        entry->blend = state.blendMode;
    if (faded)
        state.opacity = parent.opacity;
    frame->group = group;
    frame->groupFirstRecord = context->document->shapeCount;
    frame->mask = mask;
    frame->filter = filter;
    frame->filterHides = filterUse == FilterHidden;
    frame->filterFunctions = filterUse == FilterFunctions;
}

// What the lengths of filter functions are measured against.
LengthBasis FilterLengthBasis(const WalkFrame& frame) {
    return LengthBasis{frame.state.fontSize, frame.viewportWidth, frame.viewportHeight};
}

// A filter on the root filters the whole drawing; the root's mask is not
// drawn.
void OpenRootFilter(WalkContext* context, WalkFrame* root) {
    const XmlNode* filter = nullptr;
    const int use =
        FilterOf(context, root->element, root->state.filter, FilterLengthBasis(*root), &filter);
    CountNotDrawnProperties(context, use, root->state, RoleSvg);
    if (use != FilterUsed && use != FilterHidden && use != FilterFunctions)
        return;
    const StyleState unfiltered = root->state;
    root->state.mask.clear();
    OpenOffscreenGroup(context, use, filter, unfiltered, RoleSvg, root);
}

// Builds the group's filter for the records it drew; a filter that hides
// the element leaves the group with nothing to show.
void FilterGroup(WalkContext* context, WalkFrame* frame) {
    float box[4], bounds[4];
    ObjectBox(context->document, *frame, frame->groupFirstRecord, box);
    int filter = 0;
    if (frame->filterFunctions)
        filter = AddFunctionFilter(context, frame->state.filter, FilterLengthBasis(*frame),
                                   frame->state.color, frame->state.matrix, box,
                                   frame->viewportWidth, frame->viewportHeight, bounds);
    else if (!frame->filterHides)
        filter = AddGroupFilter(context, frame->filter, frame->state.matrix, box,
                                frame->viewportWidth, frame->viewportHeight, bounds);
    // Building it may have added groups (an feImage's content): the group is
    // looked up after.
    OffscreenGroup* group = OffscreenGroupOf(context->document, frame->group);
    if (!group)
        return;
    if (!filter) {
        group->opacity = 0;
        return;
    }
    group->filter = filter;
    group->bounds = Bounds{bounds[0], bounds[1], bounds[2], bounds[3], 1};
    // A group is drawn from its records: one that drew nothing gets an empty
    // one, since its filter may still draw (a flood, say).
    if (context->document->shapeCount == frame->groupFirstRecord) {
        GfxOwnedPath empty(GfxCreatePath());
        ShapeRecord* record = empty ? AppendShapeRecord(context->document) : nullptr;
        if (record) {
            record->path = empty.release();
            record->matrix = frame->state.matrix;
            record->group = frame->group;
        }
    }
}

void CloseOffscreenGroup(WalkContext* context, WalkFrame* frame) {
    if (!frame->group)
        return;
    if (frame->mask) {
        float box[4];
        ObjectBox(context->document, *frame, frame->groupFirstRecord, box);
        int mask = AddGroupMask(context, frame->mask, frame->state.matrix, box,
                                frame->viewportWidth, frame->viewportHeight);
        if (OffscreenGroup* group = OffscreenGroupOf(context->document, frame->group))
            group->mask = mask;
    }
    if (frame->filter || frame->filterHides || frame->filterFunctions)
        FilterGroup(context, frame);
    FinishOffscreenGroup(context->document, frame->group, frame->groupFirstRecord);
}

void LeaveFrame(WalkContext* context, WalkFrame* frame) {
    if (frame->pendingClipPath) {
        float box[4];
        ObjectBox(context->document, *frame, frame->firstRecord, box);
        BuildClipRegion(context, frame->pendingClipPath, frame->pendingRegion, frame->state.matrix,
                        box);
    }
    CloseOffscreenGroup(context, frame);
}

// A shape element: its path is cut by its clip path and committed.
void CommitShapeOf(WalkContext* context, const XmlNode* element, ElementRole role,
                   WalkFrame* frame) {
    // Held until a record takes it: memory can run out while the clip path,
    // markers and states are made.
    GfxOwnedPath path(BuildShapePath(element, role, frame->state));
    if (!path)
        return;
    EnterClipPath(context, path.get(), frame);
    MoveClipToFilteredGroup(context, frame);
    CommitPaintedShape(context, element, role, std::move(path), frame->state, frame->viewportWidth,
                       frame->viewportHeight);
}

// An image element: the rectangle it fills, cut by its clip path.
void CommitImageOf(WalkContext* context, const XmlNode* element, WalkFrame* frame) {
    int image = 0;
    GfxOwnedPath path(BuildImage(context, element, frame->state, frame->viewportWidth,
                                 frame->viewportHeight, &image));
    if (!path)
        return;
    EnterClipPath(context, path.get(), frame);
    MoveClipToFilteredGroup(context, frame);
    CommitImage(context, path.release(), frame->state, image, XmlAttributeCopy(element, L"id"));
}

// A use walks its target alone, moved by (x, y) after its own transform.
bool EnterUse(WalkContext* context, const std::vector<WalkFrame>& stack, const XmlNode* use,
              WalkFrame* frame) {
    const XmlNode* target = UseTarget(context, stack, use);
    if (!target)
        return false;
    float x = ViewportLength(XmlAttribute(use, L"x"), frame->viewportWidth, 0);
    float y = ViewportLength(XmlAttribute(use, L"y"), frame->viewportHeight, 0);
    frame->state.matrix = ComposeMatrix(frame->state.matrix, Matrix2D{1, 0, 0, 1, x, y});
    SetContextPaints(frame->state, &frame->state);
    frame->nextChild = target;
    frame->onlyOne = 1;
    frame->viaUse = 1;
    return true;
}

// Handles one element below the top frame of the stack: a shape is
// committed, anything with children to walk gets its frame in *frame and
// true. *declarations is the walk's storage for the element's declarations.
bool VisitElement(WalkContext* context, const std::vector<WalkFrame>& stack, const XmlNode* element,
                  WalkFrame* frame, std::wstring* declarations) {
    const WalkFrame& parent = stack.back();
    if (WorkBudgetSpent(LoadWorkBudget(), context->document->loadWork)) {
        context->document->notDrawn[NotDrawnLoadBudget]++;
        return false;
    }
    ElementRole role = RoleOf(element);
    if (role == RoleUnknown) {
        CountUnknownElement(context->document, XmlLocalName(element));
        return false;
    }
    if (role == RoleSkipped || role == RoleContainer) {
        if (CountNotDrawnElement(element, context->document))
            return false;
    }
    if (role == RoleSkipped || role == RoleClipPath || !ConditionsHold(element))
        return false;
    if (role == RoleSymbol && !IsUseFrame(parent)) // drawn only through a use
        return false;
    if (parent.viaUse && ++context->expanded > MaxUseExpansion)
        return false;
    *frame = NewFrame(element, parent);
    CascadedDeclarationsInto(&context->load->sheets, element,
                             declarations); // as ElementDeclarations
    ApplyPresentation(context->load, element, *declarations, &parent.state, &frame->state);
    if (frame->state.displayNone)
        return false;
    const XmlNode* filter = nullptr;
    const int filterUse =
        FilterOf(context, element, frame->state.filter, FilterLengthBasis(*frame), &filter);
    CountNotDrawnProperties(context, filterUse, frame->state, role);
    OpenOffscreenGroup(context, filterUse, filter, parent.state, role, frame);
    if (role >= RoleRect || role == RoleImage) {
        if (role == RoleImage)
            CommitImageOf(context, element, frame);
        else
            CommitShapeOf(context, element, role, frame);
        CloseOffscreenGroup(context, frame);
        return false;
    }
    EnterClipPath(context, nullptr, frame);
    MoveClipToFilteredGroup(context, frame);
    switch (role) {
    case RoleSvg:
    case RoleSymbol:
        return EnterViewport(context, element, parent, frame);
    case RoleUse:
        return EnterUse(context, stack, element, frame);
    case RoleSwitch:
        frame->nextChild = SwitchChoice(element);
        frame->onlyOne = 1;
        return true;
    case RoleText:
        // The frame has no children to walk; it is entered so that a clip
        // path in bounding-box units gets the text's records. Lines its
        // ancestors decorate with are drawn in the text's own paint.
        for (const WalkFrame& above : stack)
            frame->state.decorationLines |= above.state.decorationLines;
        CommitText(context, element, frame->state, frame->objectBox);
        frame->hasObjectBox = 1;
        frame->nextChild = nullptr;
        return true;
    default:
        return true;
    }
}

// Walks the children of the root frame's element depth-first.
void RunWalk(WalkContext* context, WalkFrame root) {
    std::wstring declarations; // one element's at a time
    std::vector<WalkFrame> stack;
    stack.reserve(16);
    stack.push_back(std::move(root));
    while (!stack.empty()) {
        WalkFrame& top = stack.back();
        const XmlNode* child = top.nextChild;
        if (!child) {
            LeaveFrame(context, &top);
            stack.pop_back();
            continue;
        }
        top.nextChild = top.onlyOne ? nullptr : NextSiblingElement(child);
        WalkFrame frame = WalkFrame();
        // The child is drawn; its own children only while they stay within
        // the depth limit.
        if (VisitElement(context, stack, child, &frame, &declarations) &&
            frame.depth < MaxWalkDepth)
            stack.push_back(std::move(frame));
    }
}

// The size of the root viewport: the viewBox's, else the document's own.
void RootViewport(const SvgDocument* document, WalkFrame* frame) {
    frame->viewportWidth = document->hasViewBox ? document->viewBoxWidth : document->width;
    frame->viewportHeight = document->hasViewBox ? document->viewBoxHeight : document->height;
    if (!(frame->viewportWidth > 0))
        frame->viewportWidth = 100;
    if (!(frame->viewportHeight > 0))
        frame->viewportHeight = 100;
}

} // namespace

void WalkMarkerContent(WalkContext* context, const XmlNode* marker, const StyleState& state) {
    WalkFrame frame = WalkFrame();
    frame.element = marker;
    frame.nextChild = FirstChildElement(marker);
    frame.viaUse = 1; // counted against the expansion budget, as a use's content
    frame.viewportWidth = state.viewportWidth;
    frame.viewportHeight = state.viewportHeight;
    frame.state = state;
    RunWalk(context, std::move(frame));
}

void WalkDocument(LoadContext* load, const XmlNode* root, SvgDocument* document,
                  const StyleState* rootState) {
    if (!root || !document || !rootState || !XmlIsElement(root))
        return;
    WalkContext context = WalkContext();
    context.load = load;
    context.document = document;
    context.ids.root = root;
    WalkFrame frame = WalkFrame();
    frame.element = root;
    frame.nextChild = FirstChildElement(root);
    frame.state = *rootState;
    RootViewport(document, &frame);
    OpenRootFilter(&context, &frame);
    // The root is never drawn itself, but its clip path cuts everything (what
    // its filter draws, when it has one).
    EnterClipPath(&context, nullptr, &frame);
    MoveClipToFilteredGroup(&context, &frame);
    RunWalk(&context, std::move(frame));
}

void WalkElement(LoadContext* load, const XmlNode* element, SvgDocument* document,
                 const StyleState* parent) {
    if (!element || !document || !parent || !XmlIsElement(element))
        return;
    const XmlNode* root = element;
    while (XmlParent(root) && XmlIsElement(XmlParent(root)))
        root = XmlParent(root);
    WalkContext context = WalkContext();
    context.load = load;
    context.document = document;
    context.ids.root = root;
    WalkFrame frame = WalkFrame();
    frame.element = XmlParent(element);
    frame.nextChild = element;
    frame.onlyOne = 1;
    frame.state = *parent;
    RootViewport(document, &frame);
    RunWalk(&context, std::move(frame));
}

void WalkOneElement(WalkContext* context, const XmlNode* element, const StyleState& parent,
                    float viewportWidth, float viewportHeight) {
    WalkFrame frame = WalkFrame();
    frame.element = XmlParent(element);
    frame.nextChild = element;
    frame.onlyOne = 1;
    frame.viaUse = 1;
    frame.state = parent;
    frame.viewportWidth = viewportWidth;
    frame.viewportHeight = viewportHeight;
    RunWalk(context, std::move(frame));
}

void WalkContent(WalkContext* context, const XmlNode* container, const StyleState& state,
                 float viewportWidth, float viewportHeight) {
    WalkFrame frame = WalkFrame();
    frame.element = container;
    frame.nextChild = FirstChildElement(container);
    frame.state = state;
    frame.viewportWidth = viewportWidth;
    frame.viewportHeight = viewportHeight;
    RunWalk(context, std::move(frame));
}
