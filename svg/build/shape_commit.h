// Committing a shape element's path as records: fill and stroke in the
// order paint-order gives, with the markers before, between or after them,
// and the tiles of its pattern paints.
#pragma once

#include "render/graphics.h"
#include "svg/build/element_roles.h"

struct StyleState;
struct WalkContext;
struct XmlNode;

// Commits the shape's path (already cut by its clip path) drawn with the
// state; pattern tiles are made in a viewport of viewportWidth x
// viewportHeight. Markers on a path between the fill and the stroke make
// two records of two copies of the path, each with the element's id.
void CommitPaintedShape(WalkContext* context, const XmlNode* element, ElementRole role,
                        GfxOwnedPath path, const StyleState& state, float viewportWidth,
                        float viewportHeight);
