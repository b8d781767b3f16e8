// Committing laid-out text: each run's glyph outlines, and the bands of its
// decorations, as shape records.
#pragma once

#include <vector>

#include "svg/build/text_fonts.h"
#include "svg/build/text_runs.h"

struct WalkContext;

// Commits the decorations' lines of the kinds (DecorationLine bits) asked
// for: each line a band along every glyph it reaches, centred on its height
// above the baseline in the glyph's font, painted as the decorating element
// is.
void CommitDecorations(WalkContext* context, const std::vector<TextRun>& runs,
                       const std::vector<Decoration>& decorations, int kinds, FontCache* fonts);

// Commits the run's glyph outlines as one shape record of the run's style
// (fill-rule does not apply to text); glyphs past the ends of a text path
// are left out.
void CommitRun(WalkContext* context, const TextRun& run, FontCache* fonts);
