// Filter records: a «filter» element resolved for one filtered element, with
// its region and every primitive's subregion in that element's user space,
// its inputs as indices and its values read. The renderer runs them in
// render/filters/filter_chain.h.
#pragma once

#include <cstdint>
#include <vector>

#include "svg/values/blend_mode.h"
#include "svg/values/transform.h"

enum FilterPrimitiveKind {
    PrimitiveBlur,
    PrimitiveOffset,
    PrimitiveFlood,
    PrimitiveColourMatrix,
    PrimitiveComponentTransfer,
    PrimitiveComposite,
    PrimitiveMerge,
    PrimitiveBlend,
    PrimitiveMorphology,
    PrimitiveTile,
    PrimitiveDropShadow,
    PrimitiveTurbulence,
    PrimitiveConvolve,
    PrimitiveLighting,
    PrimitiveDisplacement,
    PrimitiveImage,
    PrimitiveTransparent, // a primitive not drawn: its result is transparent
};

// Inputs other than an earlier primitive's result (given by its index).
enum { FilterInputSourceGraphic = -1, FilterInputSourceAlpha = -2 };

enum CompositeOperator {
    CompositeOver = 0,
    CompositeIn = 1,
    CompositeOut = 2,
    CompositeAtop = 3,
    CompositeXor = 4,
    CompositeLighter = 5,
    CompositeArithmetic = 6,
};

enum ColourMatrixKind {
    ColourMatrixValues = 0,
    ColourMatrixSaturate = 1,
    ColourMatrixHueRotate = 2,
    ColourMatrixLuminanceToAlpha = 3,
};

// What lies beyond the image's edges for a pass: transparent pixels, the
// edge pixels repeated, or the image wrapped round.
enum FilterEdgeMode { EdgeNone = 0, EdgeDuplicate = 1, EdgeWrap = 2 };

enum TransferKind {
    TransferIdentity = 0,
    TransferTable = 1,
    TransferDiscrete = 2,
    TransferLinear = 3,
    TransferGamma = 4,
};

// One channel's transfer function of a component transfer.
struct TransferFunction {
    int kind;
    std::vector<float> table;          // table and discrete values
    float slope, intercept;            // linear
    float amplitude, exponent, offset; // gamma
};

enum LightKind { LightDistant, LightPoint, LightSpot };

// The light of a lighting primitive; positions in user space.
struct FilterLight {
    int kind;
    float azimuth, elevation; // degrees
    float x, y, z;
    float pointsAtX, pointsAtY, pointsAtZ;
    float spotExponent;
    int hasCone;
    float coneAngle; // degrees
};

// The largest convolution order either way; a larger kernel is in error.
const int MaxConvolveOrder = 32;

struct FilterPrimitive {
    int kind;
    int in1, in2;              // an earlier primitive's index, or a FilterInput value
    std::vector<int> inputs;   // a merge's
    float x, y, width, height; // the subregion
    // An offset without a subregion of its own passes its input's on, as
    // the tile a later tile primitive repeats.
    int tileFromInput;
    int linear; // works in linearRGB (else sRGB)
    // The operator (composite), blend mode, edge mode (blur), matrix kind
    // (colour matrix), 1 for dilate (morphology) or for fractal noise
    // (turbulence).
    int mode;
    float deviationX, deviationY; // blur and drop shadow
    float dx, dy;                 // offset and drop shadow; a displacement map's scale
    int xChannel, yChannel;       // displacement map: DisplacementChannels (R, G, B, A)
    int image; // feImage: the filter image (svg/records/offscreen_groups.h) it draws, 0 none
    float radiusX, radiusY;    // morphology
    float k[4];                // arithmetic
    uint32_t colour;           // flood and shadow, straight 0xAARRGGBB, opacity folded in
    std::vector<float> values; // colour matrix, convolution kernel
    float baseFrequencyX, baseFrequencyY; // turbulence
    int octaves, seed, stitch;            // turbulence
    // Convolution: the kernel is in values, mode the edge mode.
    int orderX, orderY, targetX, targetY, preserveAlpha;
    float divisor, bias;
    // Lighting: mode 1 for specular; colour is the lighting colour.
    float surfaceScale, lightingConstant, specularExponent;
    FilterLight light;
    TransferFunction transfer[4]; // red, green, blue, alpha
};

struct FilterRecord {
    float x, y, width, height; // the filter region
    Matrix2D matrix;           // the element's user space into document space
    std::vector<FilterPrimitive> primitives;
};
