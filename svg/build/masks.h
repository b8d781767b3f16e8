// Masks: the content of a «mask» element walked into its own records for
// every element it masks, cut to the mask's rectangle.
#pragma once

#include <string>

#include "svg/values/transform.h"

struct WalkContext;
struct XmlNode;

// The «mask» element the "mask" property (text) names, when it can be used
// now: null for "none", a reference to nothing or to another element, and a
// mask already being built (a mask that would mask itself).
const XmlNode* MaskOf(WalkContext* context, const std::wstring& property);

// Builds the mask for an element whose user space is `matrix`, whose
// bounding box is `box` (x, y, width, height, in that space) and whose
// viewport is viewportWidth x viewportHeight: the mask's number, or 0 when no
// storage can be had. A mask whose rectangle is empty hides the element.
int AddGroupMask(WalkContext* context, const XmlNode* mask, const Matrix2D& matrix,
                 const float box[4], float viewportWidth, float viewportHeight);
