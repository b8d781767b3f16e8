// Hundreds of Layer lifetimes through the real Vexlar.dll, with Rectangles
// destroyed, re-created and moved partly out of the main window under them,
// pauses, host messages and failed loads: nothing crashes and the process's
// GDI and USER objects come back to where they were.
#include "layer_test_support.h"

namespace {

using LayerChurn = DllLayerTest;

TEST_F(LayerChurn, FiveHundredCyclesLeaveNoObjectsBehind) {
    // Each cycle works on one of three Rectangles in turn (a window round
    // trip under Wine and Xvfb costs milliseconds); every third cycle leaves
    // its Layer alive, so the next create on that Rectangle updates it.
    const char* names[] = {"C1", "C2", "C3"};
    for (int i = 0; i < 3; i++)
        AddRectangle(&window, names[i], 20 + 150 * i, 30, 120, 90);
    const char* tints[] = {"Warm Sunset", "", "Blue Ice"};
    int gdiAfterWarmUp = 0, userAfterWarmUp = 0;
    for (int cycle = 0; cycle < 500; cycle++) {
        const int i = cycle % 3;
        const std::string& file = (cycle / 3) % 2 ? redFile : splitFile;
        ASSERT_EQ(1, Create(names[i], file, i == 1 ? "stretch" : "fit", "", tints[i], "4"))
            << cycle << " " << LastError();
        ResizeRectangle(&window, names[i], 100 + (cycle % 7) * 10, 60 + (cycle % 5) * 10);
        ASSERT_EQ(1, Exec(4, {names[i], (cycle % 4) ? "200" : "0"}));
        ASSERT_EQ(1, Exec(5, {names[i], "", "255", "128", "0", "100"}));
        ASSERT_EQ(1, Exec(9, {names[i], "33.5"}));
        if (cycle % 25 == 7) {
            // The host throws a Rectangle away under its Layer and sends its
            // messages to both the dead and the new window.
            HWND old = RectangleWindow(&window, names[i]);
            HWND fresh = RecreateRectangle(&window, names[i]);
            SendMessageW(old, WM_SIZE, 0, 0);
            SendMessageW(fresh, WM_SIZE, 0, MAKELPARAM(50, 50));
            MoveRectangle(&window, names[i], 20 + 150 * i, 40);
            EXPECT_EQ(0, Exec(4, {names[i], "10"}));
            Message(5);
        }
        if (cycle % 10 == 3) // partly outside the main window: clipped by a region
            MoveRectangle(&window, names[i], 560, 30 + 100 * i);
        if (cycle % 10 == 8)
            MoveRectangle(&window, names[i], 20 + 150 * i, 30);
        if (cycle % 15 == 4) { // paused, hidden by the host, resumed
            ASSERT_EQ(1, Exec(7, {"1"}));
            Message(cycle % 2 ? 6 : 7);
            ASSERT_EQ(1, Exec(7, {"0"}));
        }
        if (cycle % 20 == 11) { // a failed load, then the drawing again
            EXPECT_EQ(0, Create(names[i], brokenFile));
            ASSERT_EQ(1, Create(names[i], file)) << cycle << " " << LastError();
        }
        if (cycle % 50 == 20)
            Message(8); // re-create from the journal
        if (cycle % 3 != 2) {
            ASSERT_EQ(1, Exec(2, {names[i]}));
        }
        // The warm-up runs every kind of cycle once (the last, a replay, at
        // cycle 20): what Wine and GDI+ make once and keep is made by then.
        if (cycle == 29) {
            Message(2); // warm-up done; everything released
            gdiAfterWarmUp = GdiObjectCount();
            userAfterWarmUp = UserObjectCount();
        }
    }
    Message(2);
    EXPECT_TRUE(Overlays().empty());
    EXPECT_EQ(gdiAfterWarmUp, GdiObjectCount());
    EXPECT_EQ(userAfterWarmUp, UserObjectCount());
}

TEST_F(LayerChurn, ObjectCountsSeeWhatIsMade) {
    // The counters the churn test relies on must see bitmaps and windows.
    const int gdi = GdiObjectCount();
    const int user = UserObjectCount();
    uint32_t* pixels = nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = -4;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS,
                                      reinterpret_cast<void**>(&pixels), nullptr, 0);
    HWND extra = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr,
                                 nullptr);
    EXPECT_EQ(gdi + 1, GdiObjectCount());
    EXPECT_EQ(user + 1, UserObjectCount());
    DeleteObject(bitmap);
    DestroyWindow(extra);
    EXPECT_EQ(gdi, GdiObjectCount());
    EXPECT_EQ(user, UserObjectCount());
}

} // namespace
