// The runs of a text element while it is laid out: its characters grouped
// by the element they stand in, each user-perceived character a glyph with
// the positions its elements give it and, once placed, its place; and what
// else collecting the text finds (decorations, text paths, textLength).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "render/graphics.h"
#include "svg/style/style.h"

struct XmlNode;

// One character as it is placed: the user-perceived character (a base and
// the marks that join it) at [start, start + length) of its run's text.
struct Glyph {
    size_t start, length;
    bool hasX, hasY;
    float x, y, dx, dy;     // as the elements give them
    float rotate;           // degrees, clockwise
    float advance;          // the font's own
    float spacing;          // what kerning adds to the advance
    bool hidden;            // past an end of its text path
    float stretch;          // how much textLength widens the glyph (1: not)
    float placedX, placedY; // the origin on the baseline, once placed
    int afterPath;          // the text path whose end the place is measured from, -1 none
};

// The line a textPath sets its characters along: the referenced path
// flattened, and how far along it each point lies.
struct TextPathLine {
    std::vector<GfxPointF> points;
    std::vector<float> distances;
    std::vector<bool> starts; // the point starts a subpath: no line leads to it
    float startOffset;
};

// An element's textLength: the glyphs [first, end) of the text (counted
// over all runs) take up that length, by their spacing or, with
// lengthAdjust="spacingAndGlyphs", by stretching.
struct LengthAdjustment {
    float length;
    bool stretch;
    size_t first, end;
};

// An element's text-decoration: its lines go under, over or through every
// character inside it, painted as the element is.
struct Decoration {
    int lines;
    StyleState state;
};

struct TextRun {
    const XmlNode* owner; // the element the characters stand in
    std::wstring characters;
    StyleState state;
    float shift;                     // how far baseline-shift raises the run
    int path;                        // the text path (of the collected ones) it follows, -1 none
    std::vector<size_t> decorations; // the collected decorations that reach the run
    std::vector<Glyph> glyphs;
};

// What collecting a text element gives.
struct CollectedText {
    std::vector<TextRun> runs;
    std::vector<Decoration> decorations;
    std::vector<TextPathLine> paths;
    std::vector<LengthAdjustment> adjustments; // inner elements first
};

// The code point a glyph stands for: its first character's.
uint32_t CodePointOf(const std::wstring& text, const Glyph& glyph);
