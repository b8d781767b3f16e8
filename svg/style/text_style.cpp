// Text properties read into the style state.
#include "svg/style/text_style.h"

#include <cmath>
#include <string>

#include "svg/base/strings.h"
#include "svg/style/property_reader.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"

namespace {

const KeywordCode FontStyles[] = {{L"normal", 0}, {L"italic", 1}, {L"oblique", 1}};
const KeywordCode FontVariants[] = {{L"normal", 0}, {L"small-caps", 1}};
const KeywordCode TextAnchors[] = {{L"start", 0}, {L"middle", 1}, {L"end", 2}};
// "bolder" and "lighter" stand for codes that step from the inherited weight.
enum { WeightBolder = -1, WeightLighter = -2 };
const KeywordCode FontWeights[] = {
    {L"normal", 400}, {L"bold", 700}, {L"bolder", WeightBolder}, {L"lighter", WeightLighter}};

// A weight is a keyword or a number from 1 to 1000 (anything else leaves the
// inherited one); bolder and lighter step from the inherited weight as CSS
// says. 600 and above draw the bold face.
void ApplyFontWeight(PropertyReader* reader, int* weight, int* bold) {
    TextView text = TrimView(PropertyText(*reader, PropFontWeight));
    if (text.empty())
        return;
    if (text[0] >= L'0' && text[0] <= L'9') {
        float number = ReadLength(text, &reader->scratch);
        if (number >= 1 && number <= 1000)
            *weight = static_cast<int>(number);
    } else {
        int code =
            ReadKeyword(text, *weight, FontWeights, sizeof FontWeights / sizeof FontWeights[0]);
        if (code == WeightBolder)
            code = *weight < 350 ? 400 : (*weight < 550 ? 700 : 900);
        else if (code == WeightLighter)
            code = *weight < 550 ? 100 : (*weight < 750 ? 400 : 700);
        *weight = code;
    }
    *bold = *weight >= 600 ? 1 : 0;
}

// letter-spacing or word-spacing: "normal" is none; a length (percentages
// of the viewport's width) replaces the inherited spacing; anything else
// keeps it.
void ApplySpacing(const PropertyReader& reader, Property name, const LengthBasis& basis,
                  float* spacing) {
    const TextView value = TrimView(PropertyText(reader, name));
    if (value.empty())
        return;
    if (IsWordIgnoringCase(value, L"normal")) {
        *spacing = 0;
        return;
    }
    float length = 0;
    if (ReadLengthValue(value.data(), EndOf(value), basis, LengthHorizontal, &length) &&
        std::isfinite(length))
        *spacing = length;
}

const KeywordCode Baselines[] = {
    {L"auto", BaselineAlphabetic},
    {L"alphabetic", BaselineAlphabetic},
    {L"middle", BaselineMiddle},
    {L"central", BaselineCentral},
    {L"hanging", BaselineHanging},
    {L"mathematical", BaselineMathematical},
    {L"text-top", BaselineTextTop},
    {L"text-before-edge", BaselineTextTop},
    {L"before-edge", BaselineTextTop},
    {L"text-bottom", BaselineTextBottom},
    {L"text-after-edge", BaselineTextBottom},
    {L"after-edge", BaselineTextBottom},
    {L"ideographic", BaselineIdeographic},
};

// The baseline a keyword names; BaselineUnchanged for any other text.
int ReadBaseline(TextView text) {
    return ReadKeyword(text, BaselineUnchanged, Baselines, sizeof Baselines / sizeof Baselines[0]);
}

// dominant-baseline: a baseline it names replaces the inherited one.
// alignment-baseline: "baseline", "auto" and "alphabetic" align on the
// dominant baseline, as does anything it cannot read.
void ApplyBaselines(const PropertyReader& reader, StyleState* out) {
    const int dominant = ReadBaseline(PropertyText(reader, PropDominantBaseline));
    if (dominant != BaselineUnchanged)
        out->dominantBaseline = dominant;
    const int aligned = ReadBaseline(PropertyText(reader, PropAlignmentBaseline));
    out->alignmentBaseline = aligned == BaselineAlphabetic ? BaselineUnchanged : aligned;
}

// baseline-shift: sub, super, or a length (percentages of the font size);
// "baseline" and anything it cannot read shift nothing.
void ApplyBaselineShift(const PropertyReader& reader, StyleState* out) {
    const TextView value = TrimView(PropertyText(reader, PropBaselineShift));
    if (value.empty() || IsWordIgnoringCase(value, L"baseline"))
        return;
    if (IsWordIgnoringCase(value, L"sub") || IsWordIgnoringCase(value, L"super")) {
        out->baselineShiftKind = IsWordIgnoringCase(value, L"sub") ? ShiftSub : ShiftSuper;
        return;
    }
    const float size = out->fontSize;
    const LengthBasis basis = {size, size, size};
    float shift = 0;
    if (ReadLengthValue(value.data(), EndOf(value), basis, LengthVertical, &shift) &&
        std::isfinite(shift)) {
        out->baselineShiftKind = ShiftLength;
        out->baselineShift = shift;
    }
}

// The lines text-decoration names (the shorthand's colour and style are not
// drawn).
int ReadDecorationLines(TextView value) {
    int lines = 0;
    size_t p = 0;
    TextView word;
    while (NextWord(value, &p, &word)) {
        lines |= IsWordIgnoringCase(word, L"underline")      ? LineUnder
                 : IsWordIgnoringCase(word, L"overline")     ? LineOver
                 : IsWordIgnoringCase(word, L"line-through") ? LineThrough
                                                             : 0;
    }
    return lines;
}

// font-kerning counts only as a declaration, kerning only as the attribute:
// "none" or "0" turn kerning off, another value of either turns it on
// ("inherit" and "unset" keep the parent's).
void ApplyKerning(const PropertyReader& reader, int* off) {
    TextView declared;
    const bool hasDeclared = FindItem(reader, PropFontKerning, &declared) && !declared.empty() &&
                             !IsWordIgnoringCase(declared, "inherit") &&
                             !IsWordIgnoringCase(declared, "unset");
    const TextView attribute = TrimView(AttributeText(reader, PropKerning));
    if ((hasDeclared && IsWordIgnoringCase(declared, L"none")) || attribute == L"0")
        *off = 1;
    else if (hasDeclared || !attribute.empty())
        *off = 0;
}

} // namespace

void ApplyTextProperties(PropertyReader* reader, StyleState* out) {
    TextView family = TrimView(PropertyText(*reader, PropFontFamily));
    if (!family.empty() && !IsWordIgnoringCase(family, L"inherit"))
        out->fontFamily = MakeSharedText(std::wstring(family));
    ApplyFontWeight(reader, &out->fontWeight, &out->fontBold);
    ApplyKeyword(*reader, PropFontStyle, FontStyles, &out->fontItalic);
    ApplyKeyword(*reader, PropFontVariant, FontVariants, &out->smallCaps);
    // GDI+ draws a font's default instance: only whether axes are named is
    // kept, for the report.
    const TextView axes = TrimView(PropertyText(*reader, PropFontVariationSettings));
    if (!axes.empty() && !IsWordIgnoringCase(axes, "inherit"))
        out->variationAxes = IsWordIgnoringCase(axes, "normal") ? 0 : 1;
    ApplyKeyword(*reader, PropTextAnchor, TextAnchors, &out->textAnchor);
    const std::wstring& space = AttributeString(*reader, PropXmlSpace);
    if (space == L"preserve")
        out->preserveSpace = 1;
    else if (space == L"default")
        out->preserveSpace = 0;
}

void ApplyWritingMode(const PropertyReader& reader, int* vertical) {
    const TextView value = TrimView(PropertyText(reader, PropWritingMode));
    if (value.empty() || IsWordIgnoringCase(value, L"inherit"))
        return;
    *vertical =
        StartsWithWordIgnoringCase(value, L"tb") || StartsWithWordIgnoringCase(value, L"vertical");
}

void ApplyTextLayout(const PropertyReader& reader, StyleState* out) {
    const LengthBasis basis = LengthBasisOf(*out);
    ApplySpacing(reader, PropLetterSpacing, basis, &out->letterSpacing);
    ApplySpacing(reader, PropWordSpacing, basis, &out->wordSpacing);
    ApplyBaselines(reader, out);
    ApplyBaselineShift(reader, out);
    out->decorationLines = ReadDecorationLines(PropertyText(reader, PropTextDecoration));
    ApplyKerning(reader, &out->kerningOff);
}
