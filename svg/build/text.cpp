// Text layout: collect the characters of a text element with the positions
// its elements give them, measure, kern and place them, set them along their
// text paths, and commit each run's outlines with its decorations.
#include "svg/build/text.h"

#include "svg/build/text_collect.h"
#include "svg/build/text_fonts.h"
#include "svg/build/text_outlines.h"
#include "svg/build/text_paths.h"
#include "svg/build/text_placement.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/style/style.h"

void CommitText(WalkContext* context, const XmlNode* text, const StyleState& state) {
    FontCache fonts;
    CollectedText collected;
    if (state.vertical)
        context->document->notDrawn[NotDrawnText]++; // drawn approximately
    CollectText(context, text, state, &fonts, &collected);
    std::vector<TextRun>& runs = collected.runs;
    for (TextRun& run : runs)
        MeasureGlyphs(&run, &fonts);
    KerningCache kernings;
    if (!state.kerningOff)
        KernText(&runs, &kernings, &fonts);
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
}
