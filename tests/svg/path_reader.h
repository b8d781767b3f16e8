// Reads a graphics-layer path back as points and point types, for tests that
// run both natively and against GDI+.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
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

// Expects exactly these points and types, each coordinate within tolerance.
inline void ExpectPath(GfxPath* path, const std::vector<PathPoint>& expected, float tolerance,
                       const std::string& label) {
    PathContents got = ReadPath(path);
    ASSERT_EQ(got.points.size(), expected.size()) << label;
    size_t i = 0;
    for (const PathPoint& e : expected) {
        EXPECT_EQ(got.types[i], e.type) << label << " point " << i;
        EXPECT_NEAR(got.points[i].x, e.x, tolerance) << label << " point " << i;
        EXPECT_NEAR(got.points[i].y, e.y, tolerance) << label << " point " << i;
        i++;
    }
}
