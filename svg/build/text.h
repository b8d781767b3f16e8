// Text: a «text» element and the «tspan» elements inside it, each character
// set on the baseline where the x, y, dx, dy and rotate lists put it, and
// committed as shape records whose paths hold the glyph outlines (so text
// scales and turns with the drawing and is filled and stroked like any shape).
#pragma once

#include <string>

struct StyleState;
struct WalkContext;
struct XmlNode;

// Lays out the text element drawn with the state and commits one record per
// run of characters that share an element. Text on a path and vertical text
// are counted as not drawn.
void CommitText(WalkContext* context, const XmlNode* text, const StyleState& state);

// The installed family a font-family list picks: the first installed name,
// generic names (serif, sans-serif, monospace, cursive, fantasy) standing for
// common Windows families; without one, the serif family as in browsers, or
// "" (the system's sans-serif) when none of those is installed.
std::wstring ChooseFontFamily(const std::wstring& list);

// The characters as white-space handling leaves them. Without preserve,
// line breaks go, tabs become blanks, and a blank directly after another
// (or at the start, when *afterBlank is set) goes; with it, line breaks and
// tabs become blanks. *afterBlank carries from one piece of text to the next.
std::wstring ArrangeWhiteSpace(const std::wstring& text, int preserve, bool* afterBlank);
