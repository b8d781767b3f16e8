// Images a document draws: decoded bitmaps, and SVG drawings drawn as
// documents of their own. A record painted by an image fills its rectangle
// with it (ShapeRecord::image).
#pragma once

#include <cstdint>
#include <vector>

#include "svg/values/transform.h"
#include "svg/values/viewport.h"

struct SvgDocument;

struct DocumentImage {
    std::vector<uint32_t>
        pixels;          // a bitmap: width x height straight-alpha words, rows from the top
    SvgDocument* nested; // owned; or an SVG drawing, its records in its own space
    // What of the image's space is shown: the bitmap's pixels (0, 0, width,
    // height), or the drawing's view box.
    ViewBox box;
    Matrix2D place; // the image's space into the record's user space
    int pixelated;  // sampled nearest-neighbour (image-rendering: pixelated, optimizeSpeed)
};

struct DocumentImages {
    std::vector<DocumentImage> images; // image n is images[n - 1]
};

// Stores the image, taking over its pixels and drawing; its number, or 0
// when no storage can be had (what it held is then released).
int AddDocumentImage(SvgDocument* document, DocumentImage* image);
const DocumentImage* DocumentImageOf(const SvgDocument* document, int image);
void ReleaseDocumentImages(SvgDocument* document);
