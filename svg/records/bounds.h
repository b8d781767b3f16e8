// The one bounds accumulator: the extent of the boxes added to it, as the
// document's content, an offscreen group and a clip path's reference box are
// measured.
#pragma once

#include <cmath>

// All-zero is empty. The four values are 0 until a box is added.
struct Bounds {
    float minX, minY, maxX, maxY;
    int any; // 1 once a box has been added
};

// Grows the bounds by the box [minX, maxX] x [minY, maxY]; a not-a-number
// side of a later box leaves that side as it was.
inline void AddToBounds(Bounds* bounds, float minX, float minY, float maxX, float maxY) {
    if (!bounds->any) {
        *bounds = Bounds{minX, minY, maxX, maxY, 1};
        return;
    }
    bounds->minX = std::fmin(bounds->minX, minX);
    bounds->minY = std::fmin(bounds->minY, minY);
    bounds->maxX = std::fmax(bounds->maxX, maxX);
    bounds->maxY = std::fmax(bounds->maxY, maxY);
}
