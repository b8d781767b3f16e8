// Runs a filter record's primitives over an element drawn offscreen.
#pragma once

#include <cstddef>
#include <cstdint>

#include "svg/records/filters.h"
#include "svg/values/transform.h"

// The bitmap a filter works on: the element's pixels (premultiplied sRGB),
// replaced by the filter's result, and where they lie.
struct FilterCanvas {
    uint32_t* pixels;
    int width, height;
    Matrix2D device; // the element's user space into the canvas's pixels
    // One entry per primitive: what an image primitive draws, canvas-sized
    // and premultiplied sRGB, or null (nothing). The whole may be null.
    const uint32_t* const* images;
};

// Runs the filter on the canvas. Every image the run makes is a canvas-sized
// bitmap counted against *budget (pixels still free), which shrinks by each
// of them, as offscreen bitmaps count for a render. False, with the canvas
// unchanged, when the next image does not fit or the memory cannot be had.
bool RunFilter(const FilterRecord& filter, FilterCanvas* canvas, size_t* budget);
