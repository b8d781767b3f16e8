// SVG path data ("d") into graphics-layer paths of lines and cubic curves.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct GfxPath;

enum { PathSegmentMove, PathSegmentDraw, PathSegmentClose };

// One command of path data as markers see it: where it starts and ends and
// the path's directions there (vectors, not normalised; zero where the
// segment has none). A move starts and ends at its point. Arcs are one
// segment each, however many curves draw them.
struct PathSegment {
    int kind;
    float x0, y0, x1, y1;
    float startDx, startDy, endDx, endDy;
};

// Appends the figures the text describes; stops silently where it stops
// making sense. Never fails.
void ParsePathData(GfxPath* path, const std::wstring& text);
// The segments of the figures ParsePathData appends, in order.
void ParsePathSegments(const std::wstring& text, std::vector<PathSegment>* segments);
// The same on `length` bytes of UTF-8 text, as the file holds it.
void ParsePathData(GfxPath* path, const char* text, size_t length);
// A new path of the figures those bytes describe (an empty path when they
// describe none); null when memory runs out.
GfxPath* BuildPathFromData(const char* text, size_t length);
