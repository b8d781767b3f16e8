// The record model of a loaded document as text, for golden tests and
// `vexlar-render --records`: a change to how records are built shows as a
// line-by-line difference, without drawing anything.
#pragma once

#include <string>

struct SvgDocument;

// One fact a line, UTF-8, "\n" line ends:
//   document size W H view-box X Y W H aspect xMidYMid meet
//   content-bounds MINX MINY MAXX MAXY
//   not drawn: ...                 (the loader's account)
//   records N
//   shape I "id"                   then, indented: path, bounds X Y W H (of
//                                  the path), matrix, fill and stroke (colour,
//                                  url(#id), pattern N, ...), stroke-first,
//                                  clip N, group N
//   clip-region N parent P         then its clip-shapes
//   group N parent P opacity O mask M used|folded bounds MINX MINY MAXX MAXY
//   mask N luminance|alpha records C         then its shapes, indented
//   pattern N tile X Y W H transform ...     then its shapes, indented
//   gradient "id" linear|radial ...          then its stops (of the gradients
//                                            the records name)
// A path is written as path data of its points: M, L, C and Z for a closed
// figure, with the fill mode first. Lines and fields that hold their default
// (no bounds, an identity matrix, clip 0, group 0, no dashes, opacity 1) are
// left out. Numbers are
// rounded to thousandths and written without trailing zeros, the same on
// every platform; colours are #AARRGGBB.
std::string DumpRecords(const SvgDocument* document);
