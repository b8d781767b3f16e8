// Pattern paint: the tile of a «pattern» element, with what it inherits
// through href, walked into its own records for every shape it paints.
#pragma once

#include <string>

struct WalkContext;
struct XmlNode;

// The «pattern» element the id names, when it can be used now: null for
// anything else, and for a pattern already being built (one that would
// paint itself), which also sets *refused: such a paint paints nothing.
const XmlNode* PatternOf(WalkContext* context, const std::wstring& id, bool* refused);

// Whether the pattern's tile is in bounding-box units (patternUnits, from
// the pattern or the patterns it refers to).
bool PatternInBoxUnits(WalkContext* context, const XmlNode* pattern);
// Builds the pattern's tile for a shape whose bounding box is `box` (x, y,
// width, height, in its user space) and whose viewport is viewportWidth x
// viewportHeight: the tile's number, or 0 when no storage can be had. A tile
// of no area paints nothing.
int AddPatternTile(WalkContext* context, const XmlNode* pattern, const float box[4],
                   float viewportWidth, float viewportHeight);
