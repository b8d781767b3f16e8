// The procedure installed on every host Rectangle window that carries a Layer:
// the host's own procedure runs first, then the overlay follows moves and size
// changes, and the Layer ends with the window.
#include "layers/overlay.h"

#include <string>

#include "layers/layer_actions.h"
#include "layers/registry.h"

// Forwards a message of a window whose Layer is gone and gives the window its
// own procedure back, so it stops passing through the module.
static LRESULT ForwardAndRestore(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = nullptr;
    if (!FindSubclassEntry(window, &previous) || previous == &HostWindowProc)
        return DefWindowProcW(window, message, wParam, lParam);
    if (IsWindow(window))
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemoveSubclassEntry(window);
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

// The host window is being destroyed: its Layer goes with it. The drawing and
// the bitmap are released later, outside this destruction.
static void EndLayerOfDestroyedWindow(HWND window) {
    EnterTeardown();
    std::wstring key;
    Layer* layer = FindLayerByHostWindow(window, &key);
    if (layer) {
        DeferRelease(&layer->document, layer->bitmap);
        DetachLayerWindows(layer); // the bitmap now belongs to the deferred entry
        RemoveSubclassEntry(window);
        RemoveLayer(key);
    }
    // The window's procedure is not put back: the window is going away.
    LeaveTeardown();
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Layer* layer = FindLayerByHostWindow(window, nullptr);
    WNDPROC previous = layer ? layer->savedWindowProc : nullptr;
    if (!previous || previous == &HostWindowProc)
        return ForwardAndRestore(window, message, wParam, lParam);

    const LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);

    // The host's procedure may have changed anything: look the Layer up again.
    if ((message == WM_WINDOWPOSCHANGED || message == WM_SIZE || message == WM_MOVE) &&
        TeardownDepth() == 0) {
        RelayoutLayer(FindLayerByHostWindow(window, nullptr));
    }
    if (message == WM_NCDESTROY)
        EndLayerOfDestroyedWindow(window);
    return result;
}
