// The style state: the root's, the context paints a use passes on, and the
// basis its relative lengths are measured against.
#include "svg/style/style.h"

#include <cmath>

void InitRootStyleState(StyleState* state) {
    state->color = 0xFF000000u;
    state->fillColor = 0xFF000000u;
    state->strokeColor = 0;
    state->strokeWidth = 1.0f;
    state->opacity = 1.0f;
    state->fillOpacity = 1.0f;
    state->strokeOpacity = 1.0f;
    state->fillRule = 1;
    state->lineCap = 0;
    state->lineJoin = 0;
    state->miterLimit = 4.0f;
    state->hasFill = 1;
    state->hasStroke = 0;
    state->fillIsCurrentColor = state->strokeIsCurrentColor = 0;
    state->fillPatternFallback = state->strokePatternFallback = 0;
    state->paintOrder = NormalPaintOrder;
    state->displayNone = 0;
    state->hidden = 0;
    state->fontSize = DefaultFontSize;
    state->viewportWidth = state->viewportHeight = 100.0f;
    state->dashes = nullptr;
    state->dashOffset = 0.0f;
    state->nonScalingStroke = 0;
    state->fillRef.reset();
    state->strokeRef.reset();
    state->markerStart.clear();
    state->markerMid.clear();
    state->markerEnd.clear();
    state->contextHasFill = state->contextHasStroke = 0;
    state->contextFill = state->contextStroke = 0;
    state->contextFillRef.reset();
    state->contextStrokeRef.reset();
    state->fontFamily.reset();
    state->fontWeight = 400;
    state->fontBold = 0;
    state->fontItalic = 0;
    state->smallCaps = 0;
    state->variationAxes = 0;
    state->textAnchor = 0;
    state->preserveSpace = 0;
    state->clipRule = 1;
    state->vertical = 0;
    state->letterSpacing = state->wordSpacing = 0.0f;
    state->dominantBaseline = BaselineAlphabetic;
    state->kerningOff = 0;
    state->filtersInLinearRgb = 1;
    state->pixelated = 0;
    ResetOwnProperties(state);
    IdentityMatrix(&state->matrix);
}

void ResetOwnProperties(StyleState* state) {
    state->clipPath.clear();
    state->mask.clear();
    state->filter.clear();
    state->namesMarker = 0;
    state->maskAlpha = 0;
    state->clipsOverflow = 1;
    state->alignmentBaseline = BaselineUnchanged;
    state->baselineShiftKind = ShiftNone;
    state->baselineShift = 0.0f;
    state->decorationLines = 0;
    state->effects = EffectColours{0xFF000000u, 1.0f, 0xFFFFFFFFu, 0xFF000000u, 1.0f};
    state->blendMode = 0;
    state->isolate = 0;
}

void SetContextPaints(const StyleState& from, StyleState* state) {
    state->contextHasFill = from.hasFill;
    state->contextFill = from.fillColor;
    state->contextFillRef = from.fillRef;
    state->contextHasStroke = from.hasStroke;
    state->contextStroke = from.strokeColor;
    state->contextStrokeRef = from.strokeRef;
}

LengthBasis LengthBasisOf(const StyleState& state) {
    return LengthBasis{state.fontSize, state.viewportWidth, state.viewportHeight};
}

Argb FloodColourOf(const StyleState& state) {
    return ScaleAlpha(state.effects.flood, state.effects.floodOpacity);
}

Argb StopColourOf(const StyleState& state) {
    return ScaleAlpha(state.effects.stop, state.effects.stopOpacity);
}
