// HostWindowProc in a Rectangle window's chain of window procedures. Other
// code (the host, a tooltip, another plug-in) may subclass the same window
// after us; taking ourselves out then would cut it off, so we stay in the
// chain as a pass-through instead, and pin the module so that the pointer to
// HostWindowProc that the other code keeps never points into an unloaded
// library. The SubclassTable (registry.h) holds, per window, the procedure
// HostWindowProc forwards to for as long as it is in the window's chain.
#pragma once

#include <windows.h>

// Puts HostWindowProc into the window's chain unless it is there already.
// Returns the procedure it forwards to, or null when it could not be
// installed.
WNDPROC JoinWindowChain(HWND window);
// Takes HostWindowProc out of the window's chain when it is still the
// window's own procedure (or forgets a window that is gone); otherwise it
// stays as a pass-through and the module is pinned.
void LeaveWindowChain(HWND window);
// LeaveWindowChain for every window of the SubclassTable.
void LeaveEveryWindowChain();
// Called for each message HostWindowProc receives: when the window's own
// procedure is not HostWindowProc, someone else's procedure calls it, so
// that code holds a pointer into this module: pin the module.
void NoteCallerOfHostWindowProc(HWND window);
// Keeps the module loaded until the process ends. Returns 1 once pinned.
int PinModule();
int ModulePinned();
