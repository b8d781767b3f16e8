// The procedure installed on every host Rectangle window that carries a Layer:
// the host's own procedure runs first, then the overlay follows moves and size
// changes, and the Layer ends with the window.
#include "layers/overlay.h"

#include "layers/layer_actions.h"
#include "layers/registry.h"
#include "layers/subclass.h"
#include "plugin/host_boundary.h"

// The host window is being destroyed: its Layer goes with it. The drawing and
// the bitmap are released later, outside this destruction.
// Needs no memory of its own, so a window never outlives its Layer.
static void EndLayerOfDestroyedWindow(HWND window) {
    TeardownScope teardown;
    Layer* layer = FindLayerByHostWindow(window, nullptr);
    if (layer) {
        DeferRelease(&layer->document, layer->bitmap);
        DetachLayerWindows(layer); // the bitmap now belongs to the deferred entry
        RemoveLayerRecord(layer);
    }
}

// What the module does with a message after the host's procedure handled it.
static void FollowHostWindow(HWND window, UINT message) {
    // The host's procedure may have changed anything: look the Layer up again.
    if ((message == WM_WINDOWPOSCHANGED || message == WM_SIZE || message == WM_MOVE) &&
        TeardownDepth() == 0) {
        FollowHostWindowChange(FindLayerByHostWindow(window, nullptr));
    }
    if (message == WM_NCDESTROY)
        EndLayerOfDestroyedWindow(window);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = nullptr;
    if (!FindSubclassEntry(window, &previous) || previous == &HostWindowProc)
        return DefWindowProcW(window, message, wParam, lParam);
    NoteCallerOfHostWindowProc(window);
    if (message == WM_NCDESTROY) {
        // The window's procedure is not put back: the window is going away.
        RemoveSubclassEntry(window);
    } else if (!FindLayerByHostWindow(window, nullptr)) {
        // No live Layer: give the window its own procedure back when nobody
        // subclassed it after us; otherwise just pass the message on.
        LeaveWindowChain(window);
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }
    if (IsRenderRequest(message)) {
        // Ours alone: the host's procedure never sees it.
        AtHostBoundary(0, nullptr, [&] {
            RenderPendingLayer(window);
            return 0;
        });
        return 0;
    }
    // The host's procedure runs in the host's own floating-point state.
    const LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
    AtHostBoundary(0, nullptr, [&] {
        FollowHostWindow(window, message);
        return 0;
    });
    return result;
}
