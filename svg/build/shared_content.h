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
// it) and the viewport, as bit patterns.
typedef std::pair<const XmlNode*, std::array<uint32_t, 13>> ContentUse;

struct SharedContent {
    std::map<ContentUse, int> clips, masks, patterns; // the number each use was built as
};

// The key of one use; box is null when the content does not depend on it.
ContentUse MakeContentUse(const XmlNode* element, int parent, const Matrix2D& matrix,
                          const float* box, float viewportWidth, float viewportHeight);

// Whether content built now can be shared: nothing is being built around it,
// so no reference inside it is refused because of where it is used from.
bool MayShareContent(const WalkContext* context);

// The number the use was built as; 0 when it was not (or may not be shared).
int SharedNumber(const WalkContext* context, const std::map<ContentUse, int>& built,
                 const ContentUse& use);
// Remembers the number built for the use, when it may be shared. Without the
// memory for it, the next use builds its own.
void RememberShared(const WalkContext* context, std::map<ContentUse, int>* built,
                    const ContentUse& use, int number);
