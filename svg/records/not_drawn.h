// The account of what a loaded file holds that is not drawn.
#pragma once

#include <string>

struct SvgDocument;

// One line: «not drawn: text (3), filter effects (2)», kinds in a fixed order
// and only those counted; «not drawn: nothing» when there are none.
std::wstring NotDrawnReport(const SvgDocument* document);
