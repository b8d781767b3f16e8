// The graphics library's life in the module: started by the first Layer
// creation, stopped only by the host's tear-down notification.
#pragma once

// Starts GDI+ unless it is running. The first successful start after the
// module was loaded also resolves the path world-bounds entry point, once.
// Returns 1 when GDI+ is running, 0 when it could not be started.
int StartGraphics();
// Shuts GDI+ down when it is running. Every GDI+ object must be gone first.
void StopGraphics();
int GraphicsStarted();
// Forgets a running GDI+ without shutting it down: used when the module is
// unloaded, where shutting GDI+ down is not allowed (loader lock). Keeps
// gdiplus.dll loaded for the rest of the process, so that what GDI+ still
// runs never points into an unloaded library.
void AbandonGraphics();
