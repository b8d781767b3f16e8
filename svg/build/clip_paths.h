// Clip regions: what a «clipPath» (or a nested viewport) leaves visible of
// the shapes it cuts. Records carry the number of their region; the
// rasterizer turns each region into a graphics clip.
#pragma once

#include <vector>

#include "svg/values/transform.h"

struct GfxPath;
struct SvgDocument;
struct WalkContext;
struct XmlNode;

// One shape of a clip path: the area inside the path (its fill mode is the
// clip rule) under the matrix (user space to document space), cut by its own
// region when clip is not 0.
struct ClipShape {
    GfxPath* path; // owned by the document's clips
    Matrix2D matrix;
    int clip;
};

// The union of the region's shapes, intersected with the parent region. A
// region without shapes leaves nothing visible.
struct ClipRegion {
    int firstShape, shapeCount; // into DocumentClips::shapes
    int parent;                 // region number, 0 none
};

struct DocumentClips {
    std::vector<ClipShape> shapes;
    std::vector<ClipRegion> regions; // region number n is regions[n - 1]
};

// A new region with no shapes yet, cut by parent; its number, or 0 when no
// storage can be had.
int ReserveClipRegion(SvgDocument* document, int parent);
// Gives the reserved region its shapes, taking over their paths.
void FillClipRegion(SvgDocument* document, int region, std::vector<ClipShape>* shapes);
// A region of the rectangle under the matrix, cut by parent; 0 on failure.
int AddRectClipRegion(SvgDocument* document, int parent, const Matrix2D& matrix, float x, float y,
                      float width, float height);
void ReleaseDocumentClips(SvgDocument* document);

// Whether the element's "clip-path" property (text) names a clip path that
// can be used now: a «clipPath» element that is not being built already.
// Null for "none", a reference to nothing or to another element, and a
// reference that would go round in a circle; each of these clips nothing.
const XmlNode* ClipPathOf(WalkContext* context, const std::wstring& property);
// Whether the clip path measures in the bounding box of the clipped element.
bool ClipUsesBoundingBox(const XmlNode* clipPath);
// Fills the reserved region with the clip path's shapes for an element whose
// user space is `matrix` and whose bounding box is `box` (x, y, width,
// height; used in objectBoundingBox units). A «clip-path» on the clip path
// itself cuts the region further.
void BuildClipRegion(WalkContext* context, const XmlNode* clipPath, int region,
                     const Matrix2D& matrix, const float box[4]);
// The region of the clip path for such an element, cut by parent: a new
// region's number, or 0 when no storage can be had.
int AddClipPathRegion(WalkContext* context, const XmlNode* clipPath, int parent,
                      const Matrix2D& matrix, const float box[4]);
