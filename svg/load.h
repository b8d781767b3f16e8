// Loading an SVG file: the one entry point of the SVG readers.
#pragma once

#include <string>

struct SvgDocument;

// Loads the file into the document (cleared first in every case). Returns 1,
// or 0 with one message written to the last-error reporter.
int LoadSvgDocument(const std::wstring& path, SvgDocument* document);
