// What one load of a file keeps while it reads the file: its style sheets,
// its gradients and what its paint references found. The load makes one,
// hands it to every step that reads style, and drops it at the end, so no
// load sees another's.
#pragma once

#include "svg/base/image_source.h"
#include "svg/css/style_sheet.h"
#include "svg/style/gradients.h"
#include "svg/style/paint_reference.h"

struct LoadContext {
    StyleSheets sheets;
    GradientRegistry gradients;
    PaintServerLookups paintServers;
    ImageScope images;
};
