// The CSS filter functions of the "filter" property: «blur(2px)
// drop-shadow(blue 4px 4px 2px) grayscale(50%)» and the like, read into a
// list.
#pragma once

#include <string>
#include <vector>

#include "svg/values/colour.h"
#include "svg/values/lengths.h"

enum FilterFunctionKind {
    FunctionBlur,
    FunctionDropShadow,
    FunctionBrightness,
    FunctionContrast,
    FunctionGrayscale,
    FunctionHueRotate,
    FunctionInvert,
    FunctionOpacity,
    FunctionSaturate,
    FunctionSepia,
    FunctionUrl, // a «filter» element of the drawing
};

struct FilterFunction {
    int kind;
    float amount;      // the number (a percentage as a fraction; degrees for hue-rotate)
    float dx, dy;      // drop-shadow, user units
    float deviation;   // blur and drop-shadow, user units
    Argb colour;       // drop-shadow
    int currentColour; // drop-shadow without a colour, or with currentColor
    std::wstring id;   // url(): the id «#id» names; "" for another file's
};

// Reads a list of filter functions and url() references (lengths against
// the basis); false when the text is anything else, or one function is
// invalid (a negative amount or deviation, a percentage where a length
// goes, a unitless angle other than 0, values too many or too few).
bool ParseFilterFunctions(const std::wstring& text, const LengthBasis& basis,
                          std::vector<FilterFunction>* functions);
