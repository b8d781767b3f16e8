#include "layers/subclass.h"

#include "layers/overlay.h"
#include "layers/registry.h"

namespace {

int modulePinned = 0;

WNDPROC WindowProcedureOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

} // namespace

WNDPROC JoinWindowChain(HWND window) {
    WNDPROC previous = nullptr;
    // Still in the chain from an earlier Layer (as the window's own procedure
    // or as a pass-through below someone else's): subclassing again would
    // make HostWindowProc forward to itself.
    if (FindSubclassEntry(window, &previous))
        return previous;
    previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowProc)));
    if (!previous || previous == &HostWindowProc)
        return nullptr; // not installed, or never forward to ourselves
    SetSubclassEntry(window, previous);
    return previous;
}

void LeaveWindowChain(HWND window) {
    WNDPROC previous = nullptr;
    if (!window || !FindSubclassEntry(window, &previous))
        return;
    if (!IsWindow(window)) {
        RemoveSubclassEntry(window);
        return;
    }
    if (WindowProcedureOf(window) != &HostWindowProc) {
        PinModule(); // someone subclassed after us: stay as a pass-through
        return;
    }
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemoveSubclassEntry(window);
}

// Needs no memory: a tear-down works even when memory has run out. Leaving a
// chain sends the window no message, so the table can be walked in place.
void LeaveEveryWindowChain() {
    VisitSubclassedWindows(&LeaveWindowChain);
}

void NoteCallerOfHostWindowProc(HWND window) {
    if (!modulePinned && WindowProcedureOf(window) != &HostWindowProc)
        PinModule();
}

int PinModule() {
    if (modulePinned)
        return 1;
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&HostWindowProc), &module))
        modulePinned = 1;
    return modulePinned;
}

int ModulePinned() {
    return modulePinned;
}
