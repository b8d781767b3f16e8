// Text: a «text» element and the «tspan» elements inside it, each character
// set on the baseline where the x, y, dx, dy and rotate lists put it, and
// committed as shape records whose paths hold the glyph outlines (so text
// scales and turns with the drawing and is filled and stroked like any shape).
#pragma once

struct StyleState;
struct WalkContext;
struct XmlNode;

// Lays out the text element drawn with the state and commits one record per
// run of characters that share an element. Vertical text is counted as drawn
// approximately. *box gets the text's object bounding box in its user space
// (x, y, width, height): the union of its glyphs' cells, each its advance
// wide from the font's ascent to its descent; all 0 without glyphs.
void CommitText(WalkContext* context, const XmlNode* text, const StyleState& state,
                float box[4]);
