// Committing a shape as a record of the document.
#pragma once

#include <string>

struct GfxPath;
struct StyleState;
struct SvgDocument;

// Takes over the path and the id: stores them in a new record when the state
// draws anything visible, deletes the path otherwise. The id is taken by
// value so that callers can make it before the path and move it in.
void CommitShape(SvgDocument* document, GfxPath* path, const StyleState* state, std::wstring id);
