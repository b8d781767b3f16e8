// Blend modes: how feBlend and mix-blend-mode mix a colour with the one
// beneath it.
#pragma once

// In the order SVG and CSS name them.
enum BlendMode {
    BlendNormal,
    BlendMultiply,
    BlendScreen,
    BlendOverlay,
    BlendDarken,
    BlendLighten,
    BlendColorDodge,
    BlendColorBurn,
    BlendHardLight,
    BlendSoftLight,
    BlendDifference,
    BlendExclusion,
    BlendHue,
    BlendSaturation,
    BlendColor,
    BlendLuminosity,
};
