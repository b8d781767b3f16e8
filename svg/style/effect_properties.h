// The properties of filter primitives and gradient stops read into the
// style: flood, lighting and stop colours and opacities, and the colour
// space filters work in.
#pragma once

struct EffectColours;
struct PropertyReader;
struct StyleState;

// flood-color, flood-opacity, lighting-color, stop-color and stop-opacity
// (not inherited; "inherit" takes `parent`'s) and
// color-interpolation-filters (inherited). The element's "color" must be
// read first: currentColor is that colour.
void ApplyEffectProperties(const PropertyReader& reader, const EffectColours& parent,
                           StyleState* out);
