// What an feImage draws when it names an element of the drawing: the
// element, walked into records of its own as a use would draw it.
#pragma once

#include "svg/values/transform.h"

struct StyleState;
struct WalkContext;
struct XmlNode;

// feImage elements drawing elements that draw an feImage nest this deep at
// most; deeper ones draw nothing.
enum { MaxFilterImageNesting = 8 };

// Walks the target into a filter image (svg/records/offscreen_groups.h) in
// the filtered element's user space (`matrix`) moved to (x, y), the corner
// of the primitive's subregion, with the properties it inherits where it
// stands. Returns its number; 0 when the target is already being drawn for
// an feImage (or nested too deep), or no storage can be had: the primitive
// then draws nothing.
int AddFilterImage(WalkContext* context, const XmlNode* target, const Matrix2D& matrix, float x,
                   float y, float viewportWidth, float viewportHeight);

// A filter image of the file or data: URI the feImage names, drawn in the
// subregion `rect` of the filtered element's user space (`matrix`) as the
// image element draws one, the feImage's state giving image-rendering.
// Returns its number; 0 when the image cannot be had (counted with the
// images not drawn) or covers nothing.
int AddFilterImageOfFile(WalkContext* context, const XmlNode* feImage, const StyleState& state,
                         const Matrix2D& matrix, const float rect[4]);
