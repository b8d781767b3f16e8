// Reading a document's gradient elements into its gradient table.
#pragma once

struct LoadContext;

// Resolves every gradient registered in the load's table with its reference
// chain. Each element's own attributes and stops are read once, however
// many gradients refer to it; stop colours come from the cascade (style
// sheets included) through the ancestors of the stops. Percentages in user
// space are of the document's viewport, in user units.
void BuildGradientRegistry(LoadContext* context, float viewportWidth, float viewportHeight);
