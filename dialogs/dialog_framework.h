// Shows an action editor dialog and runs it until the author closes it. The
// window is owned by the window active when the dialog opens; its loop
// dispatches every message of the thread, so the host keeps working (and may
// call the module's other entry points) while the dialog is open.
#pragma once

#include "dialogs/dialog_description.h"

// Opens the dialog, waits for OK, Cancel or a close request, and closes it.
// On OK every bound parameter is written back in increasing index and the
// result is 1; otherwise the parameter array is untouched and the result is 0
// (also when the window cannot be created).
int RunDialog(DialogDescription* dialog, char** params);

// Writes every bound parameter from the controls' current state, in binding
// order (which is increasing parameter index).
void WriteDialogParams(const DialogDescription& dialog, char** params);
