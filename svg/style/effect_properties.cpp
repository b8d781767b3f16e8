// Filter primitive and gradient stop properties read into the style state.
#include "svg/style/effect_properties.h"

#include <algorithm>
#include <string>

#include "svg/base/strings.h"
#include "svg/style/gradients.h"
#include "svg/style/property_reader.h"
#include "svg/style/style.h"

namespace {

// A colour, currentColor being the element's "color"; one it cannot read is
// the default, as when none is given.
void ApplyEffectColour(const PropertyReader& reader, Property name, Argb parent, Argb current,
                       Argb fallback, Argb* colour) {
    const TextView value = TrimView(PropertyText(reader, name));
    if (value.empty())
        return;
    if (IsWordIgnoringCase(value, L"inherit")) {
        *colour = parent;
        return;
    }
    const Argb read = IsCurrentColour(value) ? current : ParseColour(value.data(), EndOf(value));
    *colour = read == NoColour ? fallback : read;
}

// An opacity: a number or a percentage, clamped to 0..1 (not-a-number 0).
void ApplyEffectOpacity(const PropertyReader& reader, Property name, float parent, float* opacity) {
    const TextView value = TrimView(PropertyText(reader, name));
    if (value.empty())
        return;
    if (IsWordIgnoringCase(value, L"inherit")) {
        *opacity = parent;
        return;
    }
    const double read = ReadGradientCoordinate(std::wstring(value));
    *opacity = read >= 0 ? static_cast<float>(std::min(read, 1.0)) : 0.0f;
}

} // namespace

void ApplyEffectProperties(const PropertyReader& reader, const EffectColours& parent,
                           StyleState* out) {
    EffectColours& e = out->effects;
    const Argb black = 0xFF000000u, white = 0xFFFFFFFFu;
    ApplyEffectColour(reader, PropFloodColor, parent.flood, out->color, black, &e.flood);
    ApplyEffectOpacity(reader, PropFloodOpacity, parent.floodOpacity, &e.floodOpacity);
    ApplyEffectColour(reader, PropLightingColor, parent.lighting, out->color, white, &e.lighting);
    ApplyEffectColour(reader, PropStopColor, parent.stop, out->color, black, &e.stop);
    ApplyEffectOpacity(reader, PropStopOpacity, parent.stopOpacity, &e.stopOpacity);
    const TextView space = TrimView(PropertyText(reader, PropColorInterpolationFilters));
    if (!space.empty() && !IsWordIgnoringCase(space, L"inherit"))
        out->filtersInLinearRgb = IsWordIgnoringCase(space, L"srgb") ? 0 : 1;
}
