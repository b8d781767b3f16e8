#include "plugin/entry_points.h"

// Not built yet: every action returns 0 and does nothing.
int ExecuteAction(int /*action*/, char** /*params*/) {
    return 0;
}
