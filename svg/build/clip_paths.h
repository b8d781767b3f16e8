// Clip paths: the clip regions a «clipPath» (or a nested viewport) makes
// for the shapes it cuts (svg/records/clips.h).
#pragma once

#include <vector>

#include "svg/records/clips.h"
#include "svg/values/transform.h"

struct GfxPath;
struct SvgDocument;
struct WalkContext;
struct XmlNode;

// A region of the rectangle under the matrix, cut by parent; 0 on failure.
int AddRectClipRegion(SvgDocument* document, int parent, const Matrix2D& matrix, float x, float y,
                      float width, float height);
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
