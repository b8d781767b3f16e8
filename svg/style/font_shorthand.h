// The CSS "font" shorthand split into the font properties it sets.
#pragma once

#include "svg/base/strings.h"

// The longhand values a "font" declaration gives. Those it leaves out are
// their initial values ("normal"), and font-kerning goes back to "auto"; the
// views point into the declaration's text or at constant text.
struct FontShorthand {
    TextView style, variant, weight, stretch, size, family, kerning;
};

// Splits "[style || variant || weight || stretch] size[/line-height] family"
// (or "inherit" and the like, which every part then takes). False for text
// that is no font (system font names included): the declaration is then
// ignored.
bool SplitFontShorthand(TextView value, FontShorthand* parts);
