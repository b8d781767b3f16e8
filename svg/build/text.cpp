// Text layout: collect the characters of a text element with the positions
// its elements give them, measure, kern and place them, set them along their
// text paths, and commit each run's outlines with its decorations.
#include "svg/build/text.h"

#include <cmath>

#include "svg/build/text_collect.h"
#include "svg/build/text_fonts.h"
#include "svg/build/text_outlines.h"
#include "svg/build/text_paths.h"
#include "svg/build/text_placement.h"
#include "svg/build/walk_context.h"
#include "svg/records/bounds.h"
#include "svg/records/document.h"
#include "svg/records/work_budget.h"
#include "svg/style/style.h"

namespace {

// The union of the drawn glyphs' cells, turned as the glyphs are.
void GlyphCellsBox(const std::vector<TextRun>& runs, FontCache* fonts, float box[4]) {
    Bounds bounds = Bounds();
    for (const TextRun& run : runs) {
        const FontMetrics& m = MetricsOf(fonts, run.state);
        const float top = -m.ascent * run.state.fontSize, bottom = m.descent * run.state.fontSize;
        for (const Glyph& glyph : run.glyphs) {
            if (glyph.hidden)
                continue;
            const float radians = glyph.rotate * 3.14159265358979f / 180;
            const float c = std::cos(radians), s = std::sin(radians);
            for (float x : {0.0f, glyph.advance}) {
                for (float y : {top, bottom}) {
                    const float px = glyph.placedX + c * x - s * y;
                    const float py = glyph.placedY + s * x + c * y;
                    AddToBounds(&bounds, px, py, px, py);
                }
            }
        }
    }
    box[0] = bounds.minX, box[1] = bounds.minY;
    box[2] = bounds.maxX - bounds.minX, box[3] = bounds.maxY - bounds.minY;
}

// Characters of the scripts written right to left or shaped (Hebrew to
// N'Ko, the Indic scripts, the Arabic presentation forms): laid out one
// cluster after another, left to right, without bidi reordering.
bool NeedsShaping(wchar_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0x0900 && c <= 0x0DFF) ||
           (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
}

// Whether the text is drawn only approximately: vertical, with variation
// axes GDI+ cannot set, in a colour font, or in a script it would shape.
bool DrawnApproximately(const StyleState& state, const std::vector<TextRun>& runs,
                        FontCache* fonts) {
    if (state.vertical)
        return true;
    for (const TextRun& run : runs) {
        if (run.state.variationAxes || IsColourFont(fonts, run.state))
            return true;
        for (wchar_t c : run.characters) {
            if (NeedsShaping(c))
                return true;
        }
    }
    return false;
}

size_t CharacterCount(const std::vector<TextRun>& runs) {
    size_t count = 0;
    for (const TextRun& run : runs)
        count += run.characters.size();
    return count;
}

} // namespace

void CommitText(WalkContext* context, const XmlNode* text, const StyleState& state, float box[4]) {
    FontCache& fonts = context->fonts;
    CollectedText collected;
    CollectText(context, text, state, &fonts, &collected);
    std::vector<TextRun>& runs = collected.runs;
    box[0] = box[1] = box[2] = box[3] = 0;
    SvgDocument* document = context->document;
    if (!SpendTextCharacters(LoadWorkBudget(), &document->loadWork, CharacterCount(runs))) {
        document->notDrawn[NotDrawnLoadText]++;
        return;
    }
    if (DrawnApproximately(state, runs, &fonts))
        context->document->notDrawn[NotDrawnText]++;
    for (TextRun& run : runs)
        MeasureGlyphs(&run, &fonts);
    if (!state.kerningOff)
        KernText(&runs, &context->kernings, &fonts);
    AdjustLengths(&runs, collected.adjustments);
    PlaceGlyphs(&runs, state.vertical != 0);
    if (state.vertical)
        StandVertical(&runs, &fonts);
    SetAlongPaths(&runs, collected.paths);
    // Lines under and over the text are painted below it, lines through it
    // above it.
    CommitDecorations(context, runs, collected.decorations, LineUnder | LineOver, &fonts);
    for (const TextRun& run : runs)
        CommitRun(context, run, &fonts);
    CommitDecorations(context, runs, collected.decorations, LineThrough, &fonts);
    GlyphCellsBox(runs, &fonts, box);
}
