#include "common/host_window.h"

static const wchar_t MainClassName[] = L"VexlarTestHostMain";
static const wchar_t RectangleClassName[] = L"VexlarTestRectangle";

static std::map<HWND, int>& MessageCounts() {
    static std::map<HWND, int> counts;
    return counts;
}

static LRESULT CALLBACK RectangleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageCounts()[window]++;
    if (message == WM_NCDESTROY)
        MessageCounts().erase(window);
    return DefWindowProcW(window, message, wParam, lParam);
}

static void RegisterClasses() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSW main = {};
    main.lpfnWndProc = DefWindowProcW;
    main.hInstance = GetModuleHandleW(nullptr);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = MainClassName;
    RegisterClassW(&main);
    WNDCLASSW rectangle = {};
    rectangle.lpfnWndProc = RectangleProc;
    rectangle.hInstance = GetModuleHandleW(nullptr);
    rectangle.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    rectangle.lpszClassName = RectangleClassName;
    RegisterClassW(&rectangle);
    registered = true;
}

WNDPROC RectangleClassProc() {
    return RectangleProc;
}

// The main window is kept from one test to the next: under Wine without a
// window manager, destroying a top-level window waits seconds for the
// manager to withdraw it.
static HWND keptMainWindow;

int CreateHostWindow(HostWindow* window, FakeHost* host, int x, int y, int width, int height) {
    RegisterClasses();
    window->host = host;
    window->rectangles.clear();
    if (!keptMainWindow || !IsWindow(keptMainWindow)) {
        keptMainWindow = CreateWindowExW(0, MainClassName, L"Vexlar test host",
                                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, width, height,
                                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    window->main = keptMainWindow;
    if (window->main) {
        SetWindowPos(window->main, nullptr, x, y, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    PumpMessages();
    return window->main != nullptr;
}

void DestroyHostWindow(HostWindow* window) {
    for (auto& entry : window->rectangles) {
        if (entry.second.window)
            DestroyWindow(entry.second.window);
        if (window->host)
            window->host->objectAnswers.erase(entry.first);
    }
    window->rectangles.clear();
    window->main = nullptr;
    PumpMessages();
}

void PublishObject(FakeHost* host, const std::string& name, HWND window) {
    if (!host)
        return;
    if (!window) {
        host->objectAnswers.erase(name);
        return;
    }
    host->objectAnswers[name] = {
        FakeAnswerText, std::to_string(static_cast<long long>(reinterpret_cast<intptr_t>(window)))};
}

static HWND MakeRectangleWindow(HostWindow* window, const HostRectangle& r) {
    return CreateWindowExW(0, RectangleClassName, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, r.x, r.y,
                           r.width, r.height, window->main, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

HWND AddRectangle(HostWindow* window, const std::string& name, int x, int y, int width,
                  int height) {
    HostRectangle r = {nullptr, x, y, width, height};
    r.window = MakeRectangleWindow(window, r);
    window->rectangles[name] = r;
    PublishObject(window->host, name, r.window);
    PumpMessages();
    return r.window;
}

HWND RectangleWindow(const HostWindow* window, const std::string& name) {
    auto found = window->rectangles.find(name);
    return found == window->rectangles.end() ? nullptr : found->second.window;
}

void MoveRectangle(HostWindow* window, const std::string& name, int x, int y) {
    HostRectangle& r = window->rectangles[name];
    r.x = x;
    r.y = y;
    SetWindowPos(r.window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
}

void ResizeRectangle(HostWindow* window, const std::string& name, int width, int height) {
    HostRectangle& r = window->rectangles[name];
    r.width = width;
    r.height = height;
    SetWindowPos(r.window, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
}

void ShowRectangle(HostWindow* window, const std::string& name, bool show) {
    ShowWindow(window->rectangles[name].window, show ? SW_SHOWNA : SW_HIDE);
    PumpMessages();
}

void DestroyRectangle(HostWindow* window, const std::string& name) {
    HostRectangle& r = window->rectangles[name];
    if (r.window)
        DestroyWindow(r.window);
    r.window = nullptr;
    PublishObject(window->host, name, nullptr);
    PumpMessages();
}

HWND RecreateRectangle(HostWindow* window, const std::string& name) {
    HostRectangle& r = window->rectangles[name];
    if (r.window)
        DestroyWindow(r.window);
    r.window = MakeRectangleWindow(window, r);
    PublishObject(window->host, name, r.window);
    PumpMessages();
    return r.window;
}

void MoveMainWindow(HostWindow* window, int x, int y) {
    SetWindowPos(window->main, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int RectangleMessageCount(HWND rectangle) {
    auto found = MessageCounts().find(rectangle);
    return found == MessageCounts().end() ? 0 : found->second;
}

namespace {
struct OwnedSearch {
    HWND owner;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectOwned(HWND window, LPARAM context) {
    OwnedSearch* search = reinterpret_cast<OwnedSearch*>(context);
    if (GetWindow(window, GW_OWNER) == search->owner)
        search->found.push_back(window);
    return TRUE;
}
} // namespace

std::vector<HWND> OwnedWindows(HWND owner) {
    OwnedSearch search = {owner, {}};
    EnumWindows(&CollectOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT ClientRectOnScreen(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    return client;
}
