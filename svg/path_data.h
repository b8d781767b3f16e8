// SVG path data ("d") into graphics-layer paths of lines and cubic curves.
#pragma once

#include <string>

struct GfxPath;

// Appends the figures the text describes; stops silently where it stops
// making sense. Never fails.
void ParsePathData(GfxPath* path, const std::wstring& text);
// An elliptical arc from (x1, y1) to (x2, y2) as cubic Bezier segments.
void AppendArc(GfxPath* path, float x1, float y1, float rx, float ry, float angle, int largeArc,
               int sweep, float x2, float y2);
