// A Rectangle window that the host subclasses after the module did: whatever
// ends the Layer (LayerDestroy, message 2, FreeLibrary), the host's procedure
// and the window's own one keep receiving its messages. Each case runs on its
// own copy of Vexlar.dll, since staying in such a chain pins the module.
#include "layer_test_support.h"

namespace {

std::map<HWND, WNDPROC> hostPrevious;
std::map<HWND, int> hostMessages;

LRESULT CALLBACK HostSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    hostMessages[window]++;
    return CallWindowProcW(hostPrevious[window], window, message, wParam, lParam);
}

void SubclassAsHost(HWND window) {
    hostPrevious[window] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostSubclassProc)));
}

void RemoveHostSubclass(HWND window) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostPrevious[window]));
}

// One message and one repaint: each reaches the host's procedure and the
// window's own procedure exactly once per message.
void ExpectChainIntact(HWND rect, const char* when) {
    SCOPED_TRACE(when);
    const int host = hostMessages[rect];
    const int own = RectangleMessageCount(rect);
    SendMessageW(rect, WM_USER + 7, 0, 0);
    EXPECT_EQ(host + 1, hostMessages[rect]);
    EXPECT_EQ(own + 1, RectangleMessageCount(rect));
    RedrawWindow(rect, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_GT(RectangleMessageCount(rect), own + 1) << "the window no longer paints";
}

// A copy of the loaded Vexlar.dll in the temporary folder.
std::wstring CopyOfModule(HMODULE module, const wchar_t* name) {
    wchar_t source[MAX_PATH] = {};
    GetModuleFileNameW(module, source, MAX_PATH);
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring target = std::wstring(folder) + name;
    CopyFileW(source, target.c_str(), FALSE);
    return target;
}

struct SubclassChain : DllLayerTest, ::testing::WithParamInterface<int> {};

enum Ending { EndByDestroy, EndByTeardown, EndByUnload };

TEST_P(SubclassChain, HostProcedureKeepsReceivingWhateverEndsTheLayer) {
    const int ending = GetParam();
    const wchar_t* names[] = {L"VexlarChain0.dll", L"VexlarChain1.dll", L"VexlarChain2.dll"};
    const std::wstring copy = CopyOfModule(host.module, names[ending]);
    UnloadFakeHost(&host);
    ASSERT_EQ(1, LoadFakeHostFrom(&host, copy.c_str()));
    StartFakeHost(&host);

    HWND rect = AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    ASSERT_EQ(1, Create("Rect1", redFile));
    SubclassAsHost(rect);
    ExpectChainIntact(rect, "subclassed by the host");
    if (ending == EndByDestroy) {
        ASSERT_EQ(1, Exec(2, {"Rect1"}));
        ExpectChainIntact(rect, "after LayerDestroy");
        // A new Layer on the same window must not join the chain a second
        // time (the two would forward to each other).
        ASSERT_EQ(1, Create("Rect1", redFile));
        ExpectChainIntact(rect, "created again");
        ResizeRectangle(&window, "Rect1", 150, 80);
        RECT r = {};
        GetWindowRect(SingleOverlay(), &r);
        EXPECT_TRUE(SameRect(ClientRectOnScreen(rect), r)) << RectText(r);
        ASSERT_EQ(1, Exec(2, {"Rect1"}));
    } else if (ending == EndByTeardown) {
        Message(2);
        ExpectChainIntact(rect, "after message 2");
    } else {
        UnloadFakeHost(&host);
        ExpectChainIntact(rect, "after FreeLibrary");
        MoveRectangle(&window, "Rect1", 40, 50);
        ExpectChainIntact(rect, "moved after FreeLibrary");
    }
    // Once the host takes its procedure away, the module leaves the chain
    // at the next message.
    // (After FreeLibrary the Layer lives on in the pinned module.)
    RemoveHostSubclass(rect);
    if (ending != EndByUnload) {
        const int own = RectangleMessageCount(rect);
        SendMessageW(rect, WM_USER + 7, 0, 0);
        EXPECT_EQ(own + 1, RectangleMessageCount(rect));
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(RectangleClassProc()),
                  GetWindowLongPtrW(rect, GWLP_WNDPROC));
    }
}

INSTANTIATE_TEST_SUITE_P(Endings, SubclassChain,
                         ::testing::Values(EndByDestroy, EndByTeardown, EndByUnload));

} // namespace
