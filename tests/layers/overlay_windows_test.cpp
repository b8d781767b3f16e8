// Overlay windows of the real Vexlar.dll over a real host window: placement,
// following moves and size changes, clipping, showing and hiding.
#include "layer_test_support.h"

namespace {

using OverlayWindows = DllLayerTest;

RECT WindowRectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

// The overlay's window region: ERROR when it has none, else its kind and box.
int RegionOf(HWND overlay, RECT* box) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int kind = GetWindowRgn(overlay, region);
    if (kind != ERROR)
        GetRgnBox(region, box);
    DeleteObject(region);
    return kind;
}

TEST_F(OverlayWindows, OverlaySitsOverTheClientAreaWithItsStyles) {
    HWND rect = AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    const LONG_PTR hostProc = GetWindowLongPtrW(rect, GWLP_WNDPROC);
    ASSERT_EQ(1, Create("Rect1", redFile));
    EXPECT_EQ("<unset>", LastError());

    HWND overlay = SingleOverlay();
    ASSERT_NE(nullptr, overlay);
    const LONG_PTR exStyle = GetWindowLongPtrW(overlay, GWL_EXSTYLE);
    const LONG_PTR wanted = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;
    EXPECT_EQ(wanted, exStyle & wanted);
    const LONG_PTR style = GetWindowLongPtrW(overlay, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CHILD | WS_CAPTION | WS_BORDER));
    wchar_t className[32] = {};
    GetClassNameW(overlay, className, 32);
    EXPECT_EQ(0, lstrcmpiW(L"STATIC", className));
    EXPECT_EQ(window.main, GetWindow(overlay, GW_OWNER));
    EXPECT_TRUE(IsWindowVisible(overlay));

    // Exactly the client area (the border is left out), no clip region inside
    // the main window, and the Rectangle's procedure replaced.
    const RECT client = ClientRectOnScreen(rect);
    EXPECT_EQ(198, client.right - client.left);
    EXPECT_TRUE(SameRect(client, WindowRectOf(overlay))) << RectText(WindowRectOf(overlay));
    RECT box = {};
    EXPECT_EQ(ERROR, RegionOf(overlay, &box));
    EXPECT_NE(hostProc, GetWindowLongPtrW(rect, GWLP_WNDPROC));
}

TEST_F(OverlayWindows, FollowsMovesAndSizeChangesOfItsRectangle) {
    HWND rect = AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    ASSERT_EQ(1, Create("Rect1", redFile));
    HWND overlay = SingleOverlay();

    MoveRectangle(&window, "Rect1", 60, 70);
    EXPECT_TRUE(SameRect(ClientRectOnScreen(rect), WindowRectOf(overlay)));

    ResizeRectangle(&window, "Rect1", 300, 150);
    RECT r = WindowRectOf(overlay);
    EXPECT_EQ(298, r.right - r.left);
    EXPECT_EQ(148, r.bottom - r.top);
    EXPECT_TRUE(SameRect(ClientRectOnScreen(rect), r));

    // A client area of 0 x 0 still gets a 1 x 1 bitmap and overlay.
    ResizeRectangle(&window, "Rect1", 2, 2);
    r = WindowRectOf(overlay);
    EXPECT_EQ(1, r.right - r.left);
    EXPECT_EQ(1, r.bottom - r.top);
    EXPECT_EQ(overlay, SingleOverlay()); // the same window all along
}

TEST_F(OverlayWindows, MainWindowMovesNeedMessageFive) {
    HWND rect = AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    ASSERT_EQ(1, Create("Rect1", redFile));
    HWND overlay = SingleOverlay();
    const RECT before = WindowRectOf(overlay);

    // The Rectangle keeps its place in its parent: nothing reaches it, so the
    // overlay (owned, not a child) stays where it was.
    MoveMainWindow(&window, 180, 140);
    EXPECT_TRUE(SameRect(before, WindowRectOf(overlay)));
    Message(5);
    EXPECT_TRUE(SameRect(ClientRectOnScreen(rect), WindowRectOf(overlay)))
        << RectText(WindowRectOf(overlay));

    // Message 5 also re-renders at a new size the Rectangle got unseen:
    // SetWindowPos with SWP_NOSENDCHANGING still sends WM_WINDOWPOSCHANGED,
    // so the size is changed behind the module's back by removing its
    // procedure for the change.
    const LONG_PTR installed = GetWindowLongPtrW(rect, GWLP_WNDPROC);
    SetWindowLongPtrW(rect, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RectangleClassProc()));
    SetWindowPos(rect, nullptr, 0, 0, 120, 80, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowLongPtrW(rect, GWLP_WNDPROC, installed);
    Message(5);
    RECT r = WindowRectOf(overlay);
    EXPECT_EQ(118, r.right - r.left);
    EXPECT_EQ(78, r.bottom - r.top);
}

TEST_F(OverlayWindows, ClippedToTheMainWindowFrame) {
    AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    ASSERT_EQ(1, Create("Rect1", redFile));
    HWND overlay = SingleOverlay();
    const RECT frame = WindowRectOf(window.main);

    // Reaching past the right edge: cut at the frame's edge.
    MoveRectangle(&window, "Rect1", 560, 30);
    RECT o = WindowRectOf(overlay);
    RECT box = {};
    ASSERT_EQ(SIMPLEREGION, RegionOf(overlay, &box));
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_EQ(frame.right - o.left, box.right);
    EXPECT_EQ(o.bottom - o.top, box.bottom);

    // Wholly outside: an empty region.
    MoveRectangle(&window, "Rect1", 900, 30);
    EXPECT_EQ(NULLREGION, RegionOf(overlay, &box));

    // Back inside: no region at all.
    MoveRectangle(&window, "Rect1", 40, 40);
    EXPECT_EQ(ERROR, RegionOf(overlay, &box));
}

TEST_F(OverlayWindows, OpacityZeroHidesAndCreateTreatsZeroAsNoValueForNewLayers) {
    AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    struct Step {
        int action;
        std::vector<const char*> params;
        bool visible;
    } steps[] = {
        {1, {"Rect1", "", "", "0", "", ""}, true}, // new Layer: 0 means opaque
        {4, {"Rect1", "0"}, false},
        {4, {"Rect1", "128"}, true},
        {4, {"Rect1", "-1"}, false}, // clamped to 0
        {4, {"Rect1", "999"}, true},
        {1, {"Rect1", "", "", "0", "", ""}, false}, // existing Layer: 0 is 0
        {1, {"Rect1", "", "", "-5", "", ""}, true}, // negative: opaque
        {1, {"Rect1", "", "", "300", "", ""}, true},
        {4, {"Rect1", ""}, true}, // empty: 255
    };
    // The first create loads the drawing; later ones keep it (empty file).
    steps[0].params[1] = redFile.c_str();
    for (const Step& s : steps) {
        ASSERT_EQ(1, Exec(s.action, s.params));
        EXPECT_EQ(s.visible, IsWindowVisible(SingleOverlay()) != 0)
            << s.action << " " << s.params[s.action == 1 ? 3 : 1];
    }
}

TEST_F(OverlayWindows, PauseWinsOverShowHideUntilResumed) {
    AddRectangle(&window, "A", 20, 30, 100, 100);
    AddRectangle(&window, "B", 200, 30, 100, 100);
    ASSERT_EQ(1, Create("A", redFile));
    ASSERT_EQ(1, Create("B", redFile));
    HWND a = RectangleWindow(&window, "A");
    (void)a;
    std::vector<HWND> overlays = Overlays();
    ASSERT_EQ(2u, overlays.size());
    auto visibleCount = [&]() {
        int n = 0;
        for (HWND o : overlays)
            n += IsWindowVisible(o) ? 1 : 0;
        return n;
    };

    ASSERT_EQ(1, Exec(7, {""})); // empty: pause
    EXPECT_EQ(0, visibleCount());
    ASSERT_EQ(1, Exec(3, {"A", "1"}));
    ASSERT_EQ(1, Exec(4, {"B", "200"})); // renders, stays hidden
    EXPECT_EQ(0, visibleCount());
    ASSERT_EQ(1, Exec(7, {"0"}));
    EXPECT_EQ(2, visibleCount());

    // visible and the pause are independent.
    ASSERT_EQ(1, Exec(3, {"A", "0"}));
    EXPECT_EQ(1, visibleCount());
    ASSERT_EQ(1, Exec(7, {"1"}));
    ASSERT_EQ(1, Exec(7, {"0"}));
    EXPECT_EQ(1, visibleCount());
    ASSERT_EQ(1, Exec(3, {"A", "2"})); // any non-zero value shows
    EXPECT_EQ(2, visibleCount());
    ASSERT_EQ(1, Exec(3, {"A", ""})); // empty: show
    EXPECT_EQ(2, visibleCount());
}

TEST_F(OverlayWindows, MessagesSixAndSevenHideUntilTheNextPresent) {
    AddRectangle(&window, "A", 20, 30, 100, 100);
    ASSERT_EQ(1, Create("A", redFile));
    HWND overlay = SingleOverlay();
    for (int message : {6, 7}) {
        Message(message);
        EXPECT_FALSE(IsWindowVisible(overlay)) << message;
        Message(5); // unchanged size: moves the hidden overlay only
        EXPECT_FALSE(IsWindowVisible(overlay)) << message;
        ASSERT_EQ(1, Exec(9, {"A", "10"}));
        EXPECT_TRUE(IsWindowVisible(overlay)) << message;
    }
    // Other numbers change nothing.
    for (int message : {0, 1, 3, 4, 9, 10, 100, -1}) {
        Message(message);
        EXPECT_TRUE(IsWindowVisible(overlay)) << message;
    }
    EXPECT_EQ(1u, Overlays().size());
}

TEST_F(OverlayWindows, HidingTheRectangleHidesTheOverlayOnlyAtTheNextPresent) {
    AddRectangle(&window, "A", 20, 30, 100, 100);
    ASSERT_EQ(1, Create("A", redFile));
    HWND overlay = SingleOverlay();
    ShowRectangle(&window, "A", false);
    EXPECT_TRUE(IsWindowVisible(overlay));
    ASSERT_EQ(1, Exec(4, {"A", "200"}));
    EXPECT_FALSE(IsWindowVisible(overlay));
    ShowRectangle(&window, "A", true);
    ASSERT_EQ(1, Exec(3, {"A", "1"}));
    EXPECT_TRUE(IsWindowVisible(overlay));
}

TEST_F(OverlayWindows, ExternallyDestroyedOverlayIsMadeAgain) {
    AddRectangle(&window, "A", 20, 30, 100, 100);
    ASSERT_EQ(1, Create("A", redFile));
    HWND first = SingleOverlay();
    DestroyWindow(first);
    EXPECT_TRUE(Overlays().empty());
    ASSERT_EQ(1, Create("A", ""));
    HWND second = SingleOverlay();
    ASSERT_NE(nullptr, second);
    EXPECT_TRUE(IsWindowVisible(second));
    EXPECT_TRUE(SameRect(ClientRectOnScreen(RectangleWindow(&window, "A")), WindowRectOf(second)));
}

TEST_F(OverlayWindows, GoneOverlayLeaksNoRegion) {
    // Partly outside the main window: every present sets a region.
    AddRectangle(&window, "A", 560, 30, 200, 100);
    ASSERT_EQ(1, Create("A", redFile));
    DestroyWindow(SingleOverlay());
    ASSERT_EQ(1, Exec(4, {"A", "200"})); // warm-up
    const int gdi = GdiObjectCount();
    for (int i = 0; i < 5; i++)
        ASSERT_EQ(1, Exec(4, {"A", i % 2 ? "200" : "100"}));
    EXPECT_EQ(gdi, GdiObjectCount());
}

TEST_F(OverlayWindows, NameMovedUnderAnotherTopLevelWindowGetsAnOverlayOwnedByIt) {
    AddRectangle(&window, "A", 20, 30, 100, 100);
    ASSERT_EQ(1, Create("A", redFile));
    // A second top-level window (kept hidden: Wine withdraws shown ones slowly).
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    HWND rect = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, other,
                                nullptr, nullptr, nullptr);
    PublishObject(&host, "A", rect);
    ASSERT_EQ(1, Create("A", ""));
    EXPECT_TRUE(OwnedWindows(window.main).empty());
    EXPECT_EQ(1u, OwnedWindows(other).size());
    ASSERT_EQ(1, Exec(2, {"A"}));
    DestroyWindow(other);
}

TEST_F(OverlayWindows, ReplayOfACreateWithOpacityZeroKeepsTheLayerShown) {
    AddRectangle(&window, "A", 20, 30, 100, 100);
    ASSERT_EQ(1, Create("A", redFile, "", "0")); // new Layer: 0 means opaque
    ASSERT_TRUE(IsWindowVisible(SingleOverlay()));
    Message(8); // the Layer still exists
    EXPECT_TRUE(IsWindowVisible(SingleOverlay()));
}

} // namespace
