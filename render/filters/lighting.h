// feDiffuseLighting and feSpecularLighting: the input's alpha read as a
// height map, lit by a distant, point or spot light, in canvas pixels.
#pragma once

#include <cstdint>

#include "svg/records/filters.h"

struct LightingParams {
    int specular;             // specular, else diffuse
    float surfaceScale;       // heights per unit of alpha
    float constant;           // diffuseConstant or specularConstant
    float exponent;           // specularExponent of the surface
    float red, green, blue;   // the light's colour, 0..1, in the working colour space
    int light;                // LightDistant, LightPoint or LightSpot
    float azimuth, elevation; // degrees, distant light
    float x, y, z;            // point and spot light, canvas pixels
    float pointsAtX, pointsAtY, pointsAtZ;
    float spotExponent;
    int hasCone;
    float coneAngle; // degrees
};

// Lights the width x height image's alpha into out (premultiplied): a
// diffuse result is opaque; a specular one takes its largest colour as its
// alpha.
void LightPixels(const uint32_t* in, uint32_t* out, int width, int height,
                 const LightingParams& params);
