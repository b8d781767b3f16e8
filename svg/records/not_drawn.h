// The account of what a loaded file holds that is not drawn.
#pragma once

#include <string>
#include <vector>

struct SvgDocument;

// Elements whose names SVG does not define, counted by name as the file
// writes it, in the order first met. Past MaxUnknownNames names the rest are
// counted together.
struct UnknownElementCount {
    std::wstring name;
    int count;
};
struct UnknownElements {
    std::vector<UnknownElementCount> names;
    int others;
};
const int MaxUnknownNames = 8;

void CountUnknownElement(SvgDocument* document, const std::wstring& name);
void ReleaseUnknownElements(SvgDocument* document);

// One line: «not drawn: text (3), filter effects (2)», kinds in a fixed order
// and only those counted, then «unknown elements (flowRoot 2, others 1)»;
// «not drawn: nothing» when there are none.
std::wstring NotDrawnReport(const SvgDocument* document);
