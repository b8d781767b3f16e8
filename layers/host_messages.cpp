#include "plugin/entry_points.h"

// Not built yet: host notifications change nothing.
void HandleHostMessage(int /*message*/) {}

void ReleaseLayersAtUnload(int /*unloadedByFreeLibrary*/) {}
