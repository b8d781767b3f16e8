// The placement of a Layer's drawing in a buffer.
#pragma once

#include "layers/layer.h"
#include "svg/values/transform.h"

// Where the drawing lands in a buffer. A user-space point p is drawn at
// ((p - view origin) * inner scale + inner offset) * scale + offset, then
// turned about the centre of the area; nothing outside the clip rectangle
// (offset, clip size) is drawn.
struct LayerPlacement {
    float viewX, viewY, viewWidth, viewHeight; // the user-space rectangle shown
    float naturalWidth, naturalHeight;         // the size the drawing asks for
    float innerScaleX, innerScaleY;            // the view fitted into the natural size
    float innerX, innerY;                      // as the root's preserveAspectRatio says
    int areaX, areaY;                          // the rectangle inside the margins
    float areaWidth, areaHeight;
    float scaleX, scaleY, offsetX, offsetY; // natural size into the buffer
    float clipWidth, clipHeight;
};

// The placement of the layer's document in a width x height buffer. A layout
// mode other than fit, stretch or original is placed as fit.
void ComputeLayerPlacement(const Layer* layer, int width, int height, LayerPlacement* placement);

// Whether the mode is fit, stretch or original.
int IsKnownLayoutMode(int mode);
// The base matrix: view into the natural size, natural size into the buffer,
// then the turn about the centre of the area inside the margins. Returns 0
// when no graphics matrix could be made to compute it, 1 otherwise.
int LayerBaseMatrix(const LayerPlacement& p, float rotation, Matrix2D* base);
