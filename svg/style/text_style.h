// The text properties of an element's style: its font, anchor and white
// space, writing mode, spacing, baselines, decoration and kerning.
#pragma once

struct PropertyReader;
struct StyleState;

// font-family, font-weight, font-style, font-variant, font-variation-settings,
// text-anchor and xml:space
// (inherited): each one given replaces the parent's.
void ApplyTextProperties(PropertyReader* reader, StyleState* out);
// "writing-mode" (inherited): tb, tb-rl, vertical-rl and vertical-lr are
// vertical; any other value but "inherit" is horizontal.
void ApplyWritingMode(const PropertyReader& reader, int* vertical);
// letter-spacing, word-spacing, dominant-baseline and kerning (inherited),
// alignment-baseline, baseline-shift and text-decoration (the element's
// own). Lengths are measured in the element's font size and viewport, so
// its font size must be read first.
void ApplyTextLayout(const PropertyReader& reader, StyleState* out);
