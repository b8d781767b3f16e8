// Text on a path: the line a textPath follows, and its glyphs set along it.
#pragma once

#include <vector>

#include "svg/build/text_runs.h"

struct StyleState;
struct WalkContext;
struct XmlNode;

// Reads the textPath's path (its "path" attribute, else the path element
// its href names, that element's transform applied), flattened, and its
// start offset. False when there is no path, or one of no length.
bool ReadTextPathLine(WalkContext* context, const XmlNode* textPath, const StyleState& state,
                      TextPathLine* line);

// Sets the glyphs of text paths along their lines: each glyph's middle goes
// to the point its distance (plus the start offset) names, turned with the
// line there and moved off it by its vertical place; glyphs whose middle
// falls past an end are hidden. Text after a path goes on from where the
// path's last drawn glyph ends (the path's end when none is drawn).
void SetAlongPaths(std::vector<TextRun>* runs, const std::vector<TextPathLine>& paths);
