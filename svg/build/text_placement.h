// Placing a text's glyphs: their advances, kerning, textLength, chunks and
// anchors, and vertical text.
#pragma once

#include <vector>

#include "svg/build/text_fonts.h"
#include "svg/build/text_runs.h"

// Measures each glyph's advance in the run's font and gives it the
// letter and word spacing of the run's style.
void MeasureGlyphs(TextRun* run, FontCache* fonts);

// Moves each glyph by the font's pair kerning with the glyph after it, also
// across elements drawn in the same font and size, unless that one starts a
// new chunk.
void KernText(std::vector<TextRun>* runs, KerningCache* cache, FontCache* fonts);

// Makes each textLength element's glyphs take up its length: the
// difference spread over the gaps between them, or their advances (and
// outlines) stretched.
void AdjustLengths(std::vector<TextRun>* runs, const std::vector<LengthAdjustment>& adjustments);

// Places every glyph: an absolute x or y moves the pen there and starts a new
// chunk, dx and dy move it by, and each glyph advances it: along x, or in
// vertical text down y (an upright character by one em).
void PlaceGlyphs(std::vector<TextRun>* runs, bool vertical);

// Sets vertical text's glyphs about the line through their x: upright ones
// centred on it with their em box from their place down, the others turned
// a quarter clockwise with the middle of their height on it.
void StandVertical(std::vector<TextRun>* runs, FontCache* fonts);
