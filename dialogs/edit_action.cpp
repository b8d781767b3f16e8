#include "plugin/entry_points.h"

// Not built yet: no dialog opens and nothing is written.
int EditAction(int /*action*/, char** /*params*/) { return 0; }
