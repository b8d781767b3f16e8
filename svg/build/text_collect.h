// Collecting a text element's characters: white space arranged, each
// user-perceived character a glyph with the x, y, dx, dy and rotate values
// its elements give it, grouped into runs by the element they stand in,
// raised by the baselines and baseline-shift of their elements.
#pragma once

#include <string>

#include "svg/build/text_fonts.h"
#include "svg/build/text_runs.h"

struct StyleState;
struct WalkContext;
struct XmlNode;

// Collects the text element drawn with the state, its tspan, tref, textPath
// and a children included (down to a depth), into *text.
void CollectText(WalkContext* context, const XmlNode* element, const StyleState& state,
                 FontCache* fonts, CollectedText* text);

// The characters as white-space handling leaves them. Without preserve,
// line breaks go, tabs become blanks, and a blank directly after another
// (or at the start, when *afterBlank is set) goes; with it, line breaks and
// tabs become blanks. *afterBlank carries from one piece of text to the next.
std::wstring ArrangeWhiteSpace(const std::wstring& text, int preserve, bool* afterBlank);
