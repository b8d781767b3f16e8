// What one walk over a file shares between its parts: the load it is part
// of, the document being filled, the index of ids that references resolve through, the count of
// elements drawn through «use», the clip paths being built and the content
// built once for many users.
#pragma once

#include <vector>

#include "svg/build/shared_content.h"
#include "svg/build/text_fonts.h"
#include "svg/xml/references.h"

struct LoadContext;
struct SvgDocument;
struct XmlNode;

// Elements drawn through «use» beyond this many are left out, so that uses
// of uses (each doubling the last) cannot make a file load for ever.
enum { MaxUseExpansion = 100000 };

struct WalkContext {
    LoadContext* load; // the style sheets and paint servers of the file
    SvgDocument* document;
    IdIndex ids;
    int expanded; // elements drawn through use so far
    std::vector<const XmlNode*> clipsInProgress;
    std::vector<const XmlNode*> markersInProgress;
    std::vector<const XmlNode*> masksInProgress;
    std::vector<const XmlNode*> patternsInProgress;
    std::vector<const XmlNode*> imagesInProgress; // elements feImage is drawing
    // References to clip paths, masks and patterns refused because their
    // element was in progress or their nesting cap was reached.
    unsigned long refused;
    SharedContent shared; // clip regions, masks and tiles built so far, by use
    // The faces text picked, their measures and kerning: looked up once for
    // all the text of the walk.
    FontCache fonts;
    KerningCache kernings;
};
