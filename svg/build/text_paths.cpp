// Text on a path: flattening the path a textPath follows, and setting the
// glyphs along it.
#include "svg/build/text_paths.h"

#include <cmath>
#include <string>

#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/build/shape_paths.h"
#include "svg/build/walk_context.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/values/path_data.h"
#include "svg/values/transform.h"
#include "svg/xml/references.h"
#include "svg/xml/xml_tree.h"

namespace {

// Adds the points of a path's figures to the line, curves cut into short
// straight pieces, each point mapped through the matrix.
void FlattenPath(GfxPath* path, const Matrix2D& matrix, TextPathLine* line) {
    std::vector<GfxPointF> points;
    std::vector<uint8_t> types;
    ReadPathPoints(path, &points, &types);
    const int CurvePieces = 16;
    GfxPointF figureStart = {0, 0};
    auto add = [&](GfxPointF p, bool start) {
        ApplyMatrix(matrix, &p.x, &p.y);
        float distance = line->distances.empty() ? 0 : line->distances.back();
        if (!start && !line->points.empty())
            distance += std::hypot(p.x - line->points.back().x, p.y - line->points.back().y);
        line->points.push_back(p);
        line->distances.push_back(distance);
        line->starts.push_back(start || line->points.size() == 1);
    };
    for (size_t i = 0; i < points.size(); i++) {
        int type = types[i] & GfxPointTypeMask;
        if (type == GfxPointTypeStart) {
            figureStart = points[i];
            add(points[i], true);
        } else if (type == GfxPointTypeBezier && i + 2 < points.size() && i > 0) {
            GfxPointF p0 = points[i - 1], p1 = points[i], p2 = points[i + 1], p3 = points[i + 2];
            for (int k = 1; k <= CurvePieces; k++) {
                float t = static_cast<float>(k) / CurvePieces, u = 1 - t;
                float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
                add(GfxPointF{a * p0.x + b * p1.x + c * p2.x + d * p3.x,
                              a * p0.y + b * p1.y + c * p2.y + d * p3.y},
                    false);
            }
            i += 2;
        } else {
            add(points[i], false);
        }
        if (types[i] & GfxPointTypeCloseSubpath)
            add(figureStart, false);
    }
}

// Where along the line the distance falls, and the line's direction there
// (radians); false past either end.
bool PointAlong(const TextPathLine& line, float distance, GfxPointF* point, float* angle) {
    if (distance < 0 || distance > line.distances.back())
        return false;
    size_t i = 1;
    while (i + 1 < line.points.size() && (line.distances[i] < distance || line.starts[i]))
        i++;
    const GfxPointF &a = line.points[i - 1], &b = line.points[i];
    float length = line.distances[i] - line.distances[i - 1];
    float t = length > 0 ? (distance - line.distances[i - 1]) / length : 0;
    *point = GfxPointF{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
    *angle = std::atan2(b.y - a.y, b.x - a.x);
    return true;
}

} // namespace

bool ReadTextPathLine(WalkContext* context, const XmlNode* textPath, const StyleState& state,
                      TextPathLine* line) {
    Matrix2D matrix;
    IdentityMatrix(&matrix);
    std::wstring data = XmlAttributeCopy(textPath, L"path");
    GfxOwnedPath path;
    if (!data.empty()) {
        path.reset(GfxCreatePath());
        if (path)
            ParsePathData(path.get(), data);
    } else {
        const XmlNode* target = LookUpId(&context->ids, HrefReferenceId(textPath));
        if (target)
            path.reset(BuildElementPath(target));
        if (target)
            ParseTransformList(XmlAttributeCopy(target, L"transform"), &matrix);
    }
    if (!path)
        return false;
    FlattenPath(path.get(), matrix, line);
    if (line->points.size() < 2 || !(line->distances.back() > 0))
        return false;
    std::wstring offset = TrimWhiteSpace(XmlAttributeCopy(textPath, L"startOffset"));
    line->startOffset = IsPercentage(offset)
                            ? ParseLength(offset) / 100 * line->distances.back()
                            : ResolveLength(offset, LengthBasisOf(state), LengthHorizontal);
    return true;
}

// Sets the glyphs of text paths along their lines: each glyph's middle goes
// to the point its distance (plus the start offset) names, turned with the
// line there and moved off it by its vertical place; glyphs whose middle
// falls past an end are hidden. Text after a path is moved to where the
// path's last drawn glyph ends (the path's end when none is drawn).
void SetAlongPaths(std::vector<TextRun>* runs, const std::vector<TextPathLine>& paths) {
    std::vector<GfxPointF> ends(paths.size());
    for (size_t p = 0; p < paths.size(); p++)
        ends[p] = paths[p].points.back();
    for (TextRun& run : *runs) {
        for (Glyph& glyph : run.glyphs) {
            if (run.path < 0 && glyph.afterPath >= 0) {
                glyph.placedX += ends[static_cast<size_t>(glyph.afterPath)].x;
                glyph.placedY += ends[static_cast<size_t>(glyph.afterPath)].y;
            }
        }
        if (run.path < 0)
            continue;
        const TextPathLine& line = paths[static_cast<size_t>(run.path)];
        for (Glyph& glyph : run.glyphs) {
            float half = glyph.advance / 2;
            GfxPointF middle;
            float angle = 0;
            glyph.hidden =
                !PointAlong(line, line.startOffset + glyph.placedX + half, &middle, &angle);
            if (glyph.hidden)
                continue;
            float c = std::cos(angle), s = std::sin(angle);
            glyph.placedX = middle.x - half * c - glyph.placedY * s;
            glyph.placedY = middle.y - half * s + glyph.placedY * c;
            glyph.rotate += angle * 180 / 3.14159265358979f;
            const float pen = glyph.advance + glyph.spacing;
            ends[static_cast<size_t>(run.path)] =
                GfxPointF{glyph.placedX + pen * c, glyph.placedY + pen * s};
        }
    }
}
