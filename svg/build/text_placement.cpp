// Placing a text's glyphs along the baseline, chunk by chunk (text-anchor
// moves a chunk as a whole).
#include "svg/build/text_placement.h"

#include <cmath>

#include "render/graphics.h"
#include "svg/style/style.h"

namespace {

// Where a glyph is: its run and its place in the run.
struct GlyphPlace {
    size_t run, glyph;
};

// Moves the glyphs from `first` up to (not including) `end` as the text-anchor
// of the chunk's first character says; endX is where the chunk's advance ends.
void AnchorChunk(std::vector<TextRun>* runs, GlyphPlace first, GlyphPlace end, float endX,
                 bool vertical) {
    if (first.run >= runs->size())
        return;
    const TextRun& firstRun = (*runs)[first.run];
    int anchor = firstRun.state.textAnchor;
    const Glyph& lead = firstRun.glyphs[first.glyph];
    float width = endX - (vertical ? lead.placedY : lead.placedX);
    float shift = anchor == 1 ? -width / 2 : (anchor == 2 ? -width : 0);
    for (size_t r = first.run; r < runs->size() && r <= end.run; r++) {
        std::vector<Glyph>& glyphs = (*runs)[r].glyphs;
        size_t from = r == first.run ? first.glyph : 0;
        size_t to = r == end.run ? end.glyph : glyphs.size();
        for (size_t g = from; g < to; g++)
            (vertical ? glyphs[g].placedY : glyphs[g].placedX) += shift;
    }
}

// Whether the character stands upright in vertical text: the scripts of
// East Asia and their full-width forms (other characters lie turned).
bool StandsUpright(uint32_t c) {
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

} // namespace

// The code point a glyph stands for: its first character's.
uint32_t CodePointOf(const std::wstring& text, const Glyph& glyph) {
    uint32_t c = text[glyph.start];
    if (c >= 0xD800 && c <= 0xDBFF && glyph.length > 1) {
        uint32_t low = text[glyph.start + 1];
        if (low >= 0xDC00 && low <= 0xDFFF)
            return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
    }
    return c;
}

void MeasureGlyphs(TextRun* run, FontCache* fonts) {
    std::vector<int> ends;
    ends.reserve(run->glyphs.size());
    for (const Glyph& glyph : run->glyphs)
        ends.push_back(static_cast<int>(glyph.start + glyph.length));
    std::vector<float> advances(run->glyphs.size());
    FontChoice font = FontOf(fonts, run->state);
    GfxMeasureClusters(run->characters.c_str(), ends.data(), static_cast<int>(ends.size()),
                       font.family.c_str(), font.style, run->state.fontSize, advances.data());
    for (size_t i = 0; i < advances.size(); i++) {
        Glyph& glyph = run->glyphs[i];
        glyph.advance = advances[i];
        glyph.spacing = run->state.letterSpacing;
        if (run->characters[glyph.start] == L' ')
            glyph.spacing += run->state.wordSpacing;
    }
}

// Moves each glyph by the font's pair kerning with the glyph after it, also
// across elements drawn in the same face (in the size of the first of the
// pair), unless that one starts a new chunk.
void KernText(std::vector<TextRun>* runs, KerningCache* cache, FontCache* fonts) {
    const FontKerning* kerning = nullptr;
    FontChoice font;
    Glyph* before = nullptr; // the glyph before, in the same face
    float beforeSize = 0;
    uint32_t beforeIndex = 0;
    for (size_t r = 0; r < runs->size(); r++) {
        TextRun& run = (*runs)[r];
        FontChoice runFont = FontOf(fonts, run.state);
        bool sameFont = r > 0 && runFont.family == font.family && runFont.style == font.style;
        if (!sameFont) {
            font = runFont;
            kerning = &KerningOf(cache, font.family, font.style);
            before = nullptr;
        }
        for (Glyph& glyph : run.glyphs) {
            uint32_t index = GlyphOfCodePoint(*kerning, CodePointOf(run.characters, glyph));
            if (before && !glyph.hasX && !glyph.hasY)
                before->spacing += PairKerning(*kerning, beforeIndex, index) * beforeSize;
            before = &glyph;
            beforeSize = run.state.fontSize;
            beforeIndex = index;
        }
    }
}

// Makes each textLength element's glyphs take up its length: the
// difference spread over the gaps between them, or their advances (and
// outlines) stretched.
void AdjustLengths(std::vector<TextRun>* runs, const std::vector<LengthAdjustment>& adjustments) {
    std::vector<Glyph*> glyphs;
    for (TextRun& run : *runs) {
        for (Glyph& glyph : run.glyphs)
            glyphs.push_back(&glyph);
    }
    for (const LengthAdjustment& a : adjustments) {
        size_t end = a.end < glyphs.size() ? a.end : glyphs.size();
        if (a.first >= end)
            continue;
        float total = 0;
        for (size_t i = a.first; i < end; i++)
            total += glyphs[i]->advance + glyphs[i]->spacing;
        total -= glyphs[end - 1]->spacing;
        if (a.stretch && total > 0) {
            float scale = a.length / total;
            for (size_t i = a.first; i < end; i++) {
                glyphs[i]->stretch *= scale;
                glyphs[i]->advance *= scale;
                glyphs[i]->spacing *= scale;
            }
        } else if (end - a.first > 1) {
            float gap = (a.length - total) / static_cast<float>(end - a.first - 1);
            for (size_t i = a.first; i + 1 < end; i++)
                glyphs[i]->spacing += gap;
        }
    }
}

// Places every glyph: an absolute x or y moves the pen there and starts a new
// chunk, dx and dy move it by, and each glyph advances it: along x, or in
// vertical text down y (an upright character by one em).
void PlaceGlyphs(std::vector<TextRun>* runs, bool vertical) {
    float x = 0, y = 0;
    float& along = vertical ? y : x;
    float trailing = 0; // the last glyph's spacing, which a chunk's width leaves out
    GlyphPlace chunk = {0, 0};
    int afterPath = -1;
    for (size_t r = 0; r < runs->size(); r++) {
        std::vector<Glyph>& glyphs = (*runs)[r].glyphs;
        const bool onPath = (*runs)[r].path >= 0;
        for (size_t g = 0; g < glyphs.size(); g++) {
            Glyph& glyph = glyphs[g];
            // A text path starts a chunk of its own, measured along the path;
            // on it, an absolute x (y in vertical text) is a distance along
            // it, and the other coordinate is not used.
            bool entersPath =
                g == 0 && onPath && (r == 0 || (*runs)[r - 1].path != (*runs)[r].path);
            // Text after a text path goes on from the end of its last
            // glyph, a place known once the path's glyphs are set along it.
            const int leftPath = g == 0 && r > 0 && !onPath ? (*runs)[r - 1].path : -1;
            if (entersPath || leftPath >= 0)
                x = 0, y = 0;
            if (onPath)
                (vertical ? glyph.hasX : glyph.hasY) = false;
            if (leftPath >= 0)
                afterPath = leftPath;
            if (onPath || glyph.hasX || glyph.hasY)
                afterPath = -1;
            glyph.afterPath = afterPath;
            if ((glyph.hasX || glyph.hasY || entersPath || leftPath >= 0) && (r > 0 || g > 0)) {
                AnchorChunk(runs, chunk, GlyphPlace{r, g}, along - trailing, vertical);
                chunk = GlyphPlace{r, g};
            }
            if (glyph.hasX)
                x = glyph.x;
            if (glyph.hasY)
                y = glyph.y;
            x += glyph.dx;
            y += glyph.dy;
            glyph.placedX = x;
            glyph.placedY = y - (*runs)[r].shift;
            const TextRun& run = (*runs)[r];
            bool upright = vertical && StandsUpright(CodePointOf(run.characters, glyph));
            along += (upright ? run.state.fontSize : glyph.advance) + glyph.spacing;
            trailing = glyph.spacing;
        }
    }
    AnchorChunk(runs, chunk, GlyphPlace{runs->size(), 0}, along - trailing, vertical);
}

// Sets vertical text's glyphs about the line through their x: upright ones
// centred on it with their em box from their place down, the others turned
// a quarter clockwise with the middle of their height on it.
void StandVertical(std::vector<TextRun>* runs, FontCache* fonts) {
    for (TextRun& run : *runs) {
        FontMetrics m = MetricsOf(fonts, run.state);
        float size = run.state.fontSize, central = (m.ascent - m.descent) / 2 * size;
        for (Glyph& glyph : run.glyphs) {
            if (StandsUpright(CodePointOf(run.characters, glyph))) {
                glyph.placedX -= glyph.advance / 2;
                glyph.placedY += size / 2 + central;
            } else {
                glyph.placedX -= central;
                glyph.rotate += 90;
            }
        }
    }
}
