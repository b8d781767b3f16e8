// Glyph outlines and decoration bands of laid-out text.
#include "svg/build/text_outlines.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "render/graphics.h"
#include "svg/build/shape_records.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/style/style.h"
#include "svg/xml/xml_tree.h"

namespace {

// Whether the glyph can be drawn in one string with the one before it: the
// string's own advances put it where it was placed, and neither is turned.
bool FollowsOn(const Glyph& before, const Glyph& glyph) {
    return !glyph.hidden && !before.hidden && glyph.stretch == 1 && before.stretch == 1 &&
           glyph.rotate == 0 && before.rotate == 0 && glyph.placedY == before.placedY &&
           std::fabs(before.placedX + before.advance - glyph.placedX) < 1e-3f;
}

// Adds the outlines of [first, end) of the run's glyphs, widened by the
// first glyph's stretch and turned about its origin by its rotation.
void AddGlyphOutlines(GfxPath* path, const TextRun& run, size_t first, size_t end,
                      const FontChoice& font) {
    const std::wstring& family = font.family;
    const Glyph& lead = run.glyphs[first];
    const Glyph& last = run.glyphs[end - 1];
    const wchar_t* text = run.characters.c_str() + lead.start;
    int length = static_cast<int>(last.start + last.length - lead.start);
    int style = font.style;
    float size = run.state.fontSize;
    if (lead.rotate == 0 && lead.stretch == 1) {
        GfxAddPathText(path, text, length, family.c_str(), style, size, lead.placedX, lead.placedY);
        return;
    }
    GfxOwnedPath turned(GfxCreatePath());
    if (!turned || !GfxAddPathText(turned.get(), text, length, family.c_str(), style, size, 0, 0))
        return;
    float radians = lead.rotate * 3.14159265358979f / 180;
    float c = std::cos(radians), s = std::sin(radians);
    const float matrix[6] = {c * lead.stretch, s * lead.stretch, -s, c, lead.placedX, lead.placedY};
    GfxTransformPath(turned.get(), matrix);
    int count = GfxGetPathPointCount(turned.get());
    if (count <= 0)
        return;
    std::vector<GfxPointF> points(static_cast<size_t>(count));
    std::vector<uint8_t> types(static_cast<size_t>(count));
    count = GfxGetPathData(turned.get(), points.data(), types.data(), count);
    GfxAddFigures(path, points.data(), types.data(), count);
}

// A band along the baseline under one glyph or more: from x0 to x1, its top
// `top` and its bottom `bottom` below the baseline at y, turned by `rotate`
// about (x0, y).
struct Band {
    float x0, x1, y, top, bottom, rotate;
};

void AddBand(GfxPath* path, const Band& band) {
    float radians = band.rotate * 3.14159265358979f / 180;
    float c = std::cos(radians), s = std::sin(radians);
    const float corners[4][2] = {{0, band.top},
                                 {band.x1 - band.x0, band.top},
                                 {band.x1 - band.x0, band.bottom},
                                 {0, band.bottom}};
    GfxPointF points[4];
    for (int i = 0; i < 4; i++) {
        float x = corners[i][0], y = corners[i][1];
        points[i] = GfxPointF{band.x0 + c * x - s * y, band.y + s * x + c * y};
    }
    const uint8_t types[4] = {GfxPointTypeStart, GfxPointTypeLine, GfxPointTypeLine,
                              GfxPointTypeLine | GfxPointTypeCloseSubpath};
    GfxAddFigures(path, points, types, 4);
}

// Where a line of the kind lies in text of the style: its top and bottom
// below the baseline, centred on its height above it. False for text
// without a size.
bool LineExtent(int kind, const StyleState& state, FontCache* fonts, float* top, float* bottom) {
    const float size = state.fontSize;
    if (!(size > 0))
        return false;
    const FontMetrics& m = MetricsOf(fonts, state);
    float middle = -m.strikeoutPosition * size, half = m.strikeoutThickness * size / 2;
    if (kind != LineThrough) {
        middle = kind == LineUnder ? -m.underlinePosition * size : -m.ascent * size;
        half = m.underlineThickness * size / 2;
    }
    *top = middle - half;
    *bottom = middle + half;
    return true;
}

// Commits one line of a decoration: a band along every glyph the decoration
// reaches, placed by the font of the glyph's own text (a decoration over
// text of several sizes follows each); glyphs that follow on share one band.
void CommitDecorationLine(WalkContext* context, const std::vector<TextRun>& runs, size_t index,
                          const Decoration& decoration, int kind, FontCache* fonts) {
    GfxOwnedPath path(GfxCreatePath());
    if (!path)
        return;
    bool open = false;
    Band band = {0, 0, 0, 0, 0, 0};
    for (const TextRun& run : runs) {
        bool reached = false;
        for (size_t d : run.decorations)
            reached = reached || d == index;
        float top = 0, bottom = 0;
        if (!reached || !LineExtent(kind, run.state, fonts, &top, &bottom))
            continue;
        for (const Glyph& glyph : run.glyphs) {
            if (glyph.hidden)
                continue;
            float end = glyph.placedX + glyph.advance + glyph.spacing;
            if (open && glyph.rotate == 0 && band.rotate == 0 && glyph.placedY == band.y &&
                band.top == top && band.bottom == bottom &&
                std::fabs(glyph.placedX - band.x1) < 1e-3f) {
                band.x1 = end;
                continue;
            }
            if (open)
                AddBand(path.get(), band);
            band = Band{glyph.placedX, end, glyph.placedY, top, bottom, glyph.rotate};
            open = true;
        }
    }
    if (!open)
        return;
    AddBand(path.get(), band);
    CommitShape(context->document, path.release(), &decoration.state, std::wstring());
}

} // namespace

void CommitDecorations(WalkContext* context, const std::vector<TextRun>& runs,
                       const std::vector<Decoration>& decorations, int kinds, FontCache* fonts) {
    for (size_t i = 0; i < decorations.size(); i++) {
        for (int kind : {LineUnder, LineOver, LineThrough}) {
            if (decorations[i].lines & kinds & kind)
                CommitDecorationLine(context, runs, i, decorations[i], kind, fonts);
        }
    }
}

void CommitRun(WalkContext* context, const TextRun& run, FontCache* fonts) {
    if (!(run.state.fontSize > 0) || run.glyphs.empty())
        return;
    std::wstring id = XmlAttributeCopy(run.owner, L"id");
    FontChoice font = FontOf(fonts, run.state);
    GfxOwnedPath path(GfxCreatePath());
    if (!path)
        return;
    size_t first = 0;
    for (size_t g = 1; g <= run.glyphs.size(); g++) {
        if (g < run.glyphs.size() && FollowsOn(run.glyphs[g - 1], run.glyphs[g]))
            continue;
        if (!run.glyphs[first].hidden)
            AddGlyphOutlines(path.get(), run, first, g, font);
        first = g;
    }
    StyleState paint = run.state;
    paint.fillRule = 1; // fill-rule does not apply to text
    CommitShape(context->document, path.release(), &paint, std::move(id));
}
