// The style state: what an element's computed properties are, as the
// walker and the records use them.
#pragma once

#include <string>
#include <vector>

#include "svg/values/colour.h"
#include "svg/values/lengths.h"
#include "svg/values/shared_floats.h"
#include "svg/values/shared_text.h"
#include "svg/values/transform.h"

// What "paint-order" orders: three parts, the first painted in the lowest
// two bits of the order.
enum PaintPart { PaintFill = 1, PaintStroke = 2, PaintMarkers = 3 };
const int NormalPaintOrder = PaintFill | PaintStroke << 2 | PaintMarkers << 4;
inline int PaintOrderPart(int order, int i) {
    return ((order ? order : NormalPaintOrder) >> (2 * i)) & 3;
}

// The baselines dominant-baseline and alignment-baseline name.
enum TextBaseline {
    BaselineAlphabetic,
    BaselineMiddle,
    BaselineCentral,
    BaselineHanging,
    BaselineMathematical,
    BaselineTextTop,
    BaselineTextBottom,
    BaselineIdeographic,
    BaselineUnchanged // alignment-baseline: the dominant baseline holds
};

// What baseline-shift asks for: nothing, the font's subscript or
// superscript offset, or a length.
enum BaselineShiftKind { ShiftNone, ShiftSub, ShiftSuper, ShiftLength };

// The lines text-decoration draws, as bits.
enum DecorationLine { LineUnder = 1, LineOver = 2, LineThrough = 4 };

// The colours of filter primitives and gradient stops. None is inherited,
// but "inherit" takes the parent's; currentColor is the colour of the
// element that gives it.
struct EffectColours {
    Argb flood;         // flood-color, black unless given
    float floodOpacity; // flood-opacity, 0 to 1
    Argb lighting;      // lighting-color, white unless given
    Argb stop;          // stop-color, black unless given
    float stopOpacity;  // stop-opacity, 0 to 1
};

struct StyleState {
    Argb color; // the "color" property, which currentColor names
    Argb fillColor;
    Argb strokeColor;
    float strokeWidth;
    float opacity;
    float fillOpacity;
    float strokeOpacity;
    int fillRule; // 1 nonzero, 0 evenodd
    int lineCap;  // 0 butt, 1 square, 2 round
    int lineJoin; // 0 miter, 1 bevel, 2 round
    float miterLimit;
    int hasFill;
    int hasStroke;
    // The paint is currentColor, which descendants inherit as the keyword: a
    // descendant's own color then changes it.
    int fillIsCurrentColor, strokeIsCurrentColor;
    // The paint names a pattern and a colour that paints where the pattern
    // cannot be used (the colour is then the paint's colour).
    int fillPatternFallback, strokePatternFallback;
    int displayNone;                     // display: none; not inherited
    int hidden;                          // visibility: hidden or collapse; inherited
    float fontSize;                      // user units, for em and ex
    float viewportWidth, viewportHeight; // user units, for percentages
    SharedFloats dashes;                 // user units, an even count, shared; null: solid
    float dashOffset;
    int nonScalingStroke; // vector-effect: non-scaling-stroke; not inherited
    SharedText fillRef;   // ids of the paint servers named, shared; null: none
    SharedText strokeRef;
    // The ids that marker-start, marker-mid and marker-end name; "" none.
    std::wstring markerStart, markerMid, markerEnd;
    // What "context-fill" and "context-stroke" name: the fill and stroke of
    // the use whose content is drawn; none outside one.
    int contextHasFill, contextHasStroke;
    Argb contextFill, contextStroke;
    SharedText contextFillRef, contextStrokeRef;
    // Text, all inherited: the font-family list as written, the weight (1
    // to 1000), bold (weight 600 and above), italic (or oblique), small caps,
    // text-anchor (0 start, 1 middle, 2 end) and xml:space="preserve".
    SharedText fontFamily; // shared; null: none given
    int fontWeight;
    int fontBold;
    int fontItalic;
    int smallCaps;     // font-variant: small-caps
    int variationAxes; // font-variation-settings names axes (not drawn: reported)
    int textAnchor;
    int preserveSpace;
    Matrix2D matrix;
    int clip; // clip region of what is drawn (svg/build/clip_paths.h), 0 none; set by the walker
    int paintOrder; // PaintParts; 0 is the normal order
    int clipRule;   // clip-rule of a clip path's shapes: 1 nonzero, 0 evenodd; inherited
    int vertical;   // writing-mode is vertical (tb..., vertical-...); inherited
    int pixelated;  // image-rendering: pixelated or optimizeSpeed; inherited
    // Not inherited: what the element itself gives. The values of clip-path,
    // mask and filter, trimmed ("" when not given or none); whether a marker
    // property of its own names a marker; mask-type: alpha; and whether
    // "overflow" hides what lies outside its viewport (any value but visible
    // and auto).
    std::wstring clipPath, mask, filter;
    int namesMarker;
    int maskAlpha;
    int clipsOverflow;
    // Text layout. Inherited: letter-spacing and word-spacing in user units
    // (lengths measured where they are given), the dominant baseline (a
    // TextBaseline) and whether pair kerning is off (font-kerning: none or
    // kerning="0"). Not inherited: alignment-baseline (BaselineUnchanged
    // for the dominant one), baseline-shift (a BaselineShiftKind, and the
    // length in user units for ShiftLength) and the DecorationLines of the
    // element's own text-decoration.
    float letterSpacing, wordSpacing;
    int dominantBaseline;
    int kerningOff;
    int alignmentBaseline;
    int baselineShiftKind;
    float baselineShift;
    int decorationLines;
    EffectColours effects;  // not inherited
    int filtersInLinearRgb; // color-interpolation-filters is not sRGB; inherited
    int blendMode;          // mix-blend-mode (a BlendMode, svg/values/blend_mode.h); not inherited
    int isolate;            // isolation: isolate; not inherited
    int group; // offscreen group of what is drawn (svg/records/offscreen_groups.h), 0 none; set by
               // the walker
};

// The state of the root before its own attributes: colour black, opaque black
// fill, no stroke, width 1, opacities 1, nonzero, butt, miter, limit 4,
// displayed and visible, font size 12, a viewport of 100 x 100, solid
// strokes, identity, nonzero clip rule, horizontal text without spacing on
// the alphabetic baseline, kerned, filters in linearRGB, no clip path, mask
// or filter, clipped to its viewport.
void InitRootStyleState(StyleState* state);
// The properties an element does not inherit, as when it gives none of them.
void ResetOwnProperties(StyleState* state);
// Makes the fill and stroke of `from` (a use, or the shape a marker stands
// on) what context-fill and context-stroke name in *state.
void SetContextPaints(const StyleState& from, StyleState* state);
// The flood colour with the flood opacity applied, and the same for a stop.
Argb FloodColourOf(const StyleState& state);
Argb StopColourOf(const StyleState& state);
// What the element's relative lengths are measured against.
LengthBasis LengthBasisOf(const StyleState& state);
