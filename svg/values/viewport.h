// Viewports: how a viewBox is fitted into a viewport rectangle
// (preserveAspectRatio), and lengths given in percent of a viewport.
#pragma once

#include <string>

#include "svg/values/transform.h"

struct XmlNode;

// preserveAspectRatio. All zero is the default, «xMidYMid meet».
struct AspectRatio {
    int alignX; // -1 min, 0 mid, 1 max
    int alignY;
    int none;  // scale each axis on its own; alignment and slice then do not count
    int slice; // cover the viewport (cut) instead of fitting inside it
};

struct ViewBox {
    float x, y, width, height;
};

// Reads «[defer] <align> [meet|slice]»; anything unreadable gives the default.
AspectRatio ParseAspectRatio(const std::wstring& text);
// Reads four numbers; 1 when they make a usable viewBox (both sides > 0).
int ParseViewBox(const std::wstring& text, ViewBox* box);
// The matrix that maps the viewBox into the viewport rectangle (x, y,
// width, height) as the aspect ratio says.
Matrix2D ViewBoxMatrix(const ViewBox& box, const AspectRatio& aspect, float x, float y, float width,
                       float height);
// A length with its unit, as ResolveLength reads it, percentages («50%»)
// being of `reference` and em of the default font size. An empty text
// gives `fallback`.
float ViewportLength(const std::wstring& text, float reference, float fallback);
