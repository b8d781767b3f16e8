#include "layers/graphics_start.h"

#include <cstdint>

#include "render/graphics.h"

#include <windows.h>

namespace {

int graphicsStarted = 0;
uintptr_t graphicsToken = 0;
// The path bounds entry point is looked up once per module load, not once per
// start: the lookup result stays valid while gdiplus.dll is loaded.
int pathBoundsResolved = 0;

} // namespace

int StartGraphics() {
    if (graphicsStarted)
        return 1;
    uintptr_t token = 0;
    if (!GfxStartup(&token))
        return 0;
    graphicsToken = token;
    graphicsStarted = 1;
    if (!pathBoundsResolved) {
        pathBoundsResolved = 1;
        GfxResolvePathBounds();
    }
    return 1;
}

void StopGraphics() {
    if (!graphicsStarted)
        return;
    GfxShutdown(graphicsToken);
    graphicsToken = 0;
    graphicsStarted = 0;
}

int GraphicsStarted() {
    return graphicsStarted;
}

void AbandonGraphics() {
    if (!graphicsStarted)
        return;
    // GDI+ may run a background thread of its own: pin its library so that
    // thread and its state outlive this module.
    HMODULE library = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"gdiplus.dll", &library);
    graphicsToken = 0;
    graphicsStarted = 0;
}
