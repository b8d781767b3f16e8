// The passes the renderer runs over a drawn buffer of 0xAARRGGBB words:
// layer opacity, colour tint, and conversion to premultiplied alpha. Each
// walks the buffer once; none does anything for a missing buffer or a count
// below 1. Float factors are 32-bit and results round halves to even. A pass
// that runs leaves every pixel whose alpha is 0 all zero (0x00000000).
#pragma once

#include <cstdint>

// Scales the alpha of every pixel by opacity / 255 (0..255); colours are kept
// unless the alpha becomes 0. Nothing happens at 255 or above.
void ApplyOpacity(uint32_t* pixels, int count, int opacity);

// Moves each colour channel c of every pixel with alpha above 0 towards its
// multiply blend m = c * t / 255 by strength / 255: c + (m - c) * strength / 255,
// rounded and clamped to 0..255. Alpha is kept; transparent pixels become 0.
// Nothing happens at strength 0.
void ApplyTint(uint32_t* pixels, int count, int red, int green, int blue, int strength);

// c = c * alpha / 255 (truncating) for every pixel: alpha 255 keeps the
// colour, alpha 0 clears it.
void PremultiplyAlpha(uint32_t* pixels, int count);
