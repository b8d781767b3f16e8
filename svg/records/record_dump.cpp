// The record model of a loaded document as text (see record_dump.h).
#include "svg/records/record_dump.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "render/graphics.h"
#include "svg/base/strings.h"
#include "svg/records/clips.h"
#include "svg/records/document.h"
#include "svg/records/document_gradients.h"
#include "svg/records/not_drawn.h"
#include "svg/records/offscreen_groups.h"
#include "svg/style/gradients.h"

namespace {

// Rounded to thousandths with integer arithmetic, so that no platform's
// printf decides the last digit.
std::string Number(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    if (std::fabs(value) >= 1e15)
        return value > 0 ? "huge" : "-huge";
    const long long thousandths = std::llround(value * 1000.0);
    const unsigned long long size =
        static_cast<unsigned long long>(thousandths < 0 ? -thousandths : thousandths);
    std::string text = (thousandths < 0 ? "-" : "") + std::to_string(size / 1000);
    unsigned fraction = static_cast<unsigned>(size % 1000);
    if (fraction) {
        text += '.';
        for (unsigned digit = 100; fraction; digit /= 10) {
            text += static_cast<char>('0' + fraction / digit);
            fraction %= digit;
        }
    }
    return text;
}

std::string Numbers(std::initializer_list<double> values) {
    std::string text;
    for (double value : values)
        text += (text.empty() ? "" : " ") + Number(value);
    return text;
}

std::string Colour(Argb colour) {
    static const char digits[] = "0123456789abcdef";
    std::string text = "#";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += digits[(colour >> shift) & 0xF];
    return text;
}

std::string Quoted(const std::wstring& text) {
    return "\"" + Utf8FromWide(text) + "\"";
}

// A paint's reference to a gradient or a pattern, as the file wrote it.
std::string Reference(const std::wstring& id) {
    return "url(#" + Utf8FromWide(id) + ")";
}

bool IsIdentity(const Matrix2D& m) {
    return m.a == 1 && m.b == 0 && m.c == 0 && m.d == 1 && m.e == 0 && m.f == 0;
}

std::string MatrixText(const Matrix2D& m) {
    return Numbers({m.a, m.b, m.c, m.d, m.e, m.f});
}

// The path's fill mode and its points as path data.
std::string PathText(GfxPath* path) {
    if (!path)
        return "none";
    const int count = GfxGetPathPointCount(path);
    std::vector<GfxPointF> points(static_cast<size_t>(count > 0 ? count : 0));
    std::vector<uint8_t> types(points.size());
    const int got = points.empty() ? 0 : GfxGetPathData(path, points.data(), types.data(), count);
    std::string text = GfxGetFillMode(path) == GfxFillModeWinding ? "nonzero" : "evenodd";
    int bezierPoints = 0; // of the current run of curve points
    for (int i = 0; i < got; i++) {
        const int type = types[i] & GfxPointTypeMask;
        if (type == GfxPointTypeBezier) {
            if (bezierPoints++ % 3 == 0)
                text += " C";
        } else {
            bezierPoints = 0;
            text += type == GfxPointTypeStart ? " M" : " L";
        }
        text += " " + Numbers({points[i].x, points[i].y});
        if (types[i] & GfxPointTypeCloseSubpath)
            text += " Z";
    }
    return text;
}

const char* const CapNames[] = {"butt", "square", "round"};
const char* const JoinNames[] = {"miter", "bevel", "round"};

const char* NameOf(const char* const (&names)[3], int value) {
    return value >= 0 && value < 3 ? names[value] : "?";
}

std::string OpacityText(float opacity) {
    return opacity == 1 ? "" : " opacity " + Number(opacity);
}

// "fill" or "stroke", its colour, the gradient or pattern it names and the
// tile that paints it.
std::string PaintText(const char* part, Argb colour, const std::wstring& reference, int pattern) {
    std::string text = std::string(part) + " " + Colour(colour);
    if (!reference.empty())
        text += " " + Reference(reference);
    if (pattern)
        text += " pattern " + std::to_string(pattern);
    return text;
}

std::string FillText(const ShapeRecord& s) {
    return PaintText("fill", s.fillColor, TextOf(s.fillRef), s.fillPattern) +
           OpacityText(s.fillOpacity);
}

std::string StrokeText(const ShapeRecord& s) {
    std::string text = PaintText("stroke", s.strokeColor, TextOf(s.strokeRef), s.strokePattern);
    text += " width " + Number(s.strokeWidth) + " cap " + NameOf(CapNames, s.lineCap) + " join " +
            NameOf(JoinNames, s.lineJoin) + " miter-limit " + Number(s.miterLimit);
    if (s.dashes) {
        text += " dashes";
        for (float length : *s.dashes)
            text += " " + Number(length);
        text += " offset " + Number(s.dashOffset);
    }
    if (s.nonScalingStroke)
        text += " non-scaling";
    return text + OpacityText(s.strokeOpacity);
}

struct Dump {
    std::string text;
    void Line(int indent, const std::string& line) {
        text.append(static_cast<size_t>(indent), ' ');
        text += line;
        text += '\n';
    }
};

void DumpShape(Dump* out, int indent, int index, const ShapeRecord& s) {
    out->Line(indent, "shape " + std::to_string(index) + " " + Quoted(s.id));
    indent += 2;
    out->Line(indent, "path " + PathText(s.path));
    if (s.boundsValid)
        out->Line(indent,
                  "bounds " + Numbers({s.boundsX, s.boundsY, s.boundsWidth, s.boundsHeight}));
    if (!IsIdentity(s.matrix))
        out->Line(indent, "matrix " + MatrixText(s.matrix));
    if (s.hasFill)
        out->Line(indent, FillText(s));
    if (s.hasStroke)
        out->Line(indent, StrokeText(s));
    if (s.strokeFirst)
        out->Line(indent, "stroke-first");
    if (s.clip)
        out->Line(indent, "clip " + std::to_string(s.clip));
    if (s.group)
        out->Line(indent, "group " + std::to_string(s.group));
}

void DumpShapes(Dump* out, int indent, const ShapeRecord* shapes, int count) {
    for (int i = 0; i < count; i++)
        DumpShape(out, indent, i, shapes[i]);
}

void DumpHeader(Dump* out, const SvgDocument& d) {
    std::string line = "document size " + Numbers({d.width, d.height}) + " view-box ";
    line += d.hasViewBox ? Numbers({d.viewBoxX, d.viewBoxY, d.viewBoxWidth, d.viewBoxHeight})
                         : std::string("none");
    const AspectRatio& a = d.aspect;
    if (a.none) {
        line += " aspect none";
    } else {
        const char* const align[] = {"Min", "Mid", "Max"};
        line += std::string(" aspect x") + align[a.alignX + 1] + "Y" + align[a.alignY + 1] +
                (a.slice ? " slice" : " meet");
    }
    out->Line(0, line);
    if (d.content.any)
        out->Line(0, "content-bounds " +
                         Numbers({d.content.minX, d.content.minY, d.content.maxX, d.content.maxY}));
    out->Line(0, Utf8FromWide(NotDrawnReport(&d)));
    out->Line(0, "records " + std::to_string(d.shapeCount));
    DumpShapes(out, 0, d.shapes, d.shapeCount);
}

void DumpClips(Dump* out, const DocumentClips* clips) {
    if (!clips)
        return;
    for (size_t r = 0; r < clips->regions.size(); r++) {
        const ClipRegion& region = clips->regions[r];
        out->Line(0, "clip-region " + std::to_string(r + 1) + " parent " +
                         std::to_string(region.parent));
        for (int i = region.firstShape; i < region.firstShape + region.shapeCount; i++) {
            const ClipShape& shape = clips->shapes[static_cast<size_t>(i)];
            out->Line(2, "clip-shape path " + PathText(shape.path));
            if (!IsIdentity(shape.matrix))
                out->Line(4, "matrix " + MatrixText(shape.matrix));
            if (shape.clip)
                out->Line(4, "clip " + std::to_string(shape.clip));
        }
    }
}

void DumpGroups(Dump* out, const DocumentGroups* groups) {
    if (!groups)
        return;
    for (size_t i = 0; i < groups->groups.size(); i++) {
        const OffscreenGroup& g = groups->groups[i];
        std::string line = "group " + std::to_string(i + 1) + " parent " +
                           std::to_string(g.parent) + " opacity " + Number(g.opacity) + " mask " +
                           std::to_string(g.mask) + (g.used ? " used" : " folded");
        if (g.bounds.any)
            line +=
                " bounds " + Numbers({g.bounds.minX, g.bounds.minY, g.bounds.maxX, g.bounds.maxY});
        out->Line(0, line);
    }
    for (size_t i = 0; i < groups->masks.size(); i++) {
        const GroupMask& m = groups->masks[i];
        out->Line(0, "mask " + std::to_string(i + 1) + (m.luminance ? " luminance" : " alpha") +
                         " records " + std::to_string(m.content.count));
        DumpShapes(out, 2, m.content.shapes, m.content.count);
    }
    for (size_t i = 0; i < groups->patterns.size(); i++) {
        const PatternTile& t = groups->patterns[i];
        out->Line(0, "pattern " + std::to_string(i + 1) + " tile " +
                         Numbers({t.x, t.y, t.width, t.height}) + " transform " +
                         MatrixText(t.transform) + " records " + std::to_string(t.content.count));
        DumpShapes(out, 2, t.content.shapes, t.content.count);
    }
}

// The gradient ids the records name, in the order they are first named.
void CollectGradientIds(const ShapeRecord* shapes, int count, std::vector<std::wstring>* ids) {
    for (int i = 0; i < count; i++) {
        for (const std::wstring* id : {&TextOf(shapes[i].fillRef), &TextOf(shapes[i].strokeRef)}) {
            bool known = id->empty();
            for (const std::wstring& seen : *ids)
                known = known || seen == *id;
            if (!known)
                ids->push_back(*id);
        }
    }
}

void DumpGradient(Dump* out, const std::wstring& id, const GradientDef* g) {
    const char* const spreads[] = {"pad", "reflect", "repeat"};
    std::string line = "gradient " + Quoted(id);
    line += g->type == 1 ? " radial " + Numbers({g->cx, g->cy, g->r, g->fx, g->fy})
                         : " linear " + Numbers({g->x1, g->y1, g->x2, g->y2});
    line += g->units ? " units object-bounding-box" : " units user-space";
    line += std::string(" spread ") + (g->spread >= 0 && g->spread < 3 ? spreads[g->spread] : "?");
    if (g->hasTransform)
        line += " transform " + MatrixText(g->transform);
    out->Line(0, line);
    const GradientStop* stops = GradientStops(g);
    for (int i = 0; i < GradientStopCount(g); i++)
        out->Line(2, "stop " + Number(stops[i].offset) + " " + Colour(stops[i].colour));
}

void DumpGradients(Dump* out, const SvgDocument& d) {
    std::vector<std::wstring> ids;
    CollectGradientIds(d.shapes, d.shapeCount, &ids);
    if (d.groups) {
        for (const GroupMask& m : d.groups->masks)
            CollectGradientIds(m.content.shapes, m.content.count, &ids);
        for (const PatternTile& t : d.groups->patterns)
            CollectGradientIds(t.content.shapes, t.content.count, &ids);
    }
    for (const std::wstring& id : ids) {
        if (const GradientDef* gradient = FindDocumentGradient(&d, id))
            DumpGradient(out, id, gradient);
    }
}

} // namespace

std::string DumpRecords(const SvgDocument* document) {
    Dump out;
    DumpHeader(&out, *document);
    DumpClips(&out, document->clips);
    DumpGroups(&out, document->groups);
    DumpGradients(&out, *document);
    return out.text;
}
