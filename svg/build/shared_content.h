// Clip paths, masks and pattern tiles used by many elements are built once
// for every distinct way they are used, and the users share the result by
// number: ten thousand shapes cut by one clip path in one space hold one
// region, not ten thousand copies of its shapes.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <utility>

#include "svg/values/transform.h"

struct WalkContext;
struct XmlNode;

// What such content is built from besides its element: the region that cuts
// it, the user's space, the user's bounding box (when the content measures in
// it), the viewport, as bit patterns, and how deep in clip paths, masks and
// patterns it is built.
typedef std::pair<const XmlNode*, std::array<uint32_t, 16>> ContentUse;

struct SharedContent {
    std::map<ContentUse, int> clips, masks, patterns; // the number each use was built as
};

// The key of one use; box is null when the content does not depend on it.
ContentUse MakeContentUse(const WalkContext* context, const XmlNode* element, int parent,
                          const Matrix2D& matrix, const float* box, float viewportWidth,
                          float viewportHeight);

// Content built inside other content is shared too, when that is safe. A
// reference is refused because of where it is used from only when its element
// is in progress or a nesting cap is reached; the walk counts those refusals.
// A build during which the count did not change met no cycle through its own
// content and no element in progress around it (any such element leads back
// to the content itself, so the walk would have met a cycle), so building it
// again at the same depths gives the same result. The depths are in the key,
// so the caps hold along every chain that reuses it. A build that refused
// something stays its user's own. Marker and image content is not counted;
// nothing built inside them is shared.
bool MayShareContent(const WalkContext* context);

// The number the use was built as; 0 when it was not (or may not be shared).
int SharedNumber(const WalkContext* context, const std::map<ContentUse, int>& built,
                 const ContentUse& use);
// Remembers the number built for the use, when it may be shared: refusedBefore
// is the walk's refusal count when the build began. Without the memory for it,
// the next use builds its own.
void RememberShared(const WalkContext* context, std::map<ContentUse, int>* built,
                    const ContentUse& use, int number, unsigned long refusedBefore);
