// vexlar-resize-bench: what a burst of size changes costs. A host window with
// one Rectangle carries a Layer (the drawing given as the argument, else
// examples/landscape.svg); the Rectangle's size is changed 100 times in a row
// without the message loop running, then the loop runs until the thread's
// queue is empty. Prints the renders done and the milliseconds spent in the
// burst and until the queue was empty, also as multiples of the same burst
// on the Rectangle without a Layer. Windows only; run it from the top
// folder of the repository:
//   vexlar-resize-bench.exe [FILE.svg]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "layers/host_messages.h"
#include "layers/layer_actions.h"
#include "layers/overlay.h"
#include "plugin/host_text.h"
#include "svg/base/report.h"
#include "svg/base/strings.h"

#include <windows.h>

namespace {

typedef std::chrono::steady_clock Clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

HWND rectangle = nullptr;

// The host's answer to request 7 (an object's window): the Rectangle's handle
// as decimal text in a block of its own, for any name.
int __stdcall AnswerRequest(int code, char** slot) {
    if (code != 7 || !rectangle)
        return 0;
    char* answer = MakeHostString(std::to_wstring(reinterpret_cast<intptr_t>(rectangle)));
    if (!answer)
        return 0;
    GlobalFree(*slot);
    *slot = answer;
    return 1;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HWND MakeWindow(const wchar_t* className, DWORD style, HWND parent, int x, int y, int width,
                int height) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, className, L"", style, x, y, width, height, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Changes the Rectangle's size `changes` times in a row, then runs the loop
// until the queue is empty; returns the render count after the burst.
// Starts from 400 x 300.
int Burst(int changes, double* burst, double* total) {
    Clock::time_point start = Clock::now();
    for (int i = 1; i <= changes; i++) {
        SetWindowPos(rectangle, nullptr, 0, 0, 400 + 4 * i, 300 + 3 * i,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    *burst = MillisecondsSince(start);
    const int renders = LayerRenderCount();
    PumpMessages();
    *total = MillisecondsSince(start);
    SetWindowPos(rectangle, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
    return renders;
}

} // namespace

int main(int argc, char** argv) {
    const std::wstring file =
        argc > 1 ? WideFromUtf8(argv[1], std::strlen(argv[1])) : L"examples/landscape.svg";
    HWND main = MakeWindow(L"VexlarResizeBenchMain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0,
                           0, 900, 700);
    rectangle =
        MakeWindow(L"VexlarResizeBenchRectangle", WS_CHILD | WS_VISIBLE, main, 20, 20, 400, 300);
    SetInterfaceAccessCallback(&AnswerRequest);
    PumpMessages();
    if (!main || !rectangle) {
        std::fprintf(stderr, "vexlar-resize-bench: no windows\n");
        return 1;
    }
    const int changes = 100;
    double floorBurst = 0, floorTotal = 0;
    Burst(changes, &floorBurst, &floorTotal); // the same Rectangle without a Layer
    if (!LayerCreate(L"Rect1", file, LayoutFit, 255, L"", L"")) {
        std::fprintf(stderr, "vexlar-resize-bench: no Layer: %s\n",
                     Utf8FromWide(LastReportedError()).c_str());
        return 1;
    }
    PumpMessages();
    const int rendersBefore = LayerRenderCount();
    double burst = 0, total = 0;
    const int rendersInBurst = Burst(changes, &burst, &total) - rendersBefore;
    const int renders = LayerRenderCount() - rendersBefore - 1; // not the size reset after it
    std::printf("%d size changes of one Rectangle (%s): %d renders during the burst (%.1f ms, "
                "%.1f x the Rectangle alone), %d renders in all when the message queue was empty "
                "(%.1f ms, %.1f x the Rectangle alone: %.1f ms)\n",
                changes, Utf8FromWide(file).c_str(), rendersInBurst, burst, burst / floorBurst,
                renders, total, total / floorTotal, floorTotal);

    TeardownAll();
    DestroyWindow(main);
    return 0;
}
