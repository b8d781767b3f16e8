// Reads a graphics-layer path back as points and point types, for tests that
// run both natively and against GDI+.
#pragma once

#include <cstdint>
#include <vector>

#include "render/graphics.h"

struct PathContents {
    std::vector<GfxPointF> points;
    std::vector<uint8_t> types;
};

inline PathContents ReadPath(GfxPath* path) {
    PathContents contents;
    int count = GfxGetPathPointCount(path);
    contents.points.resize(count);
    contents.types.resize(count);
    if (count > 0)
        GfxGetPathData(path, contents.points.data(), contents.types.data(), count);
    return contents;
}

// One point of an expected path: its type and position.
struct PathPoint {
    uint8_t type;
    float x, y;
};

// Owns a path for the length of a test.
struct ScopedPath {
    GfxPath* path = GfxCreatePath();
    ~ScopedPath() {
        if (path)
            GfxDeletePath(path);
    }
    ScopedPath() = default;
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;
};
