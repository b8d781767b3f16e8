// The life of Layers in the real Vexlar.dll: subclassing of the Rectangle
// windows, their destruction, the host's tear-down and replay notifications,
// failure messages, and unloading the module while Layers remain.
#include "layer_test_support.h"

namespace {

using LayerLifecycle = DllLayerTest;

LONG_PTR ProcOf(HWND window) {
    return GetWindowLongPtrW(window, GWLP_WNDPROC);
}

LONG_PTR ClassProc() {
    return reinterpret_cast<LONG_PTR>(RectangleClassProc());
}

// Sends one message and returns how many reached the host's own procedure.
int DeliveredToHost(HWND rect) {
    const int before = RectangleMessageCount(rect);
    SendMessageW(rect, WM_USER + 7, 0, 0);
    return RectangleMessageCount(rect) - before;
}

TEST_F(LayerLifecycle, CreatingTwiceSubclassesOnceAndDestroyPutsTheProcedureBack) {
    HWND rect = AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    ASSERT_EQ(1, Create("Rect1", redFile));
    const LONG_PTR installed = ProcOf(rect);
    EXPECT_NE(ClassProc(), installed);
    ASSERT_EQ(1, Create(" Rect1 ", redFile, "stretch"));
    EXPECT_EQ(installed, ProcOf(rect));
    EXPECT_EQ(1, DeliveredToHost(rect));
    EXPECT_EQ(1u, Overlays().size());

    ASSERT_EQ(1, Exec(2, {"rect1"}));
    EXPECT_EQ(ClassProc(), ProcOf(rect));
    EXPECT_TRUE(Overlays().empty());
    EXPECT_EQ(1, DeliveredToHost(rect));
    // Destroying what is not there is no failure and reports nothing.
    EXPECT_EQ(1, Exec(2, {"rect1"}));
    EXPECT_EQ(1, Exec(2, {""}));
    EXPECT_EQ("<unset>", LastError());
}

TEST_F(LayerLifecycle, SecondNameForTheSameWindowIsRefused) {
    HWND rect = AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    PublishObject(&host, "Alias", rect);
    ASSERT_EQ(1, Create("Rect1", redFile));
    const LONG_PTR installed = ProcOf(rect);

    EXPECT_EQ(0, Create(" Alias ", redFile));
    EXPECT_EQ("Layer:Create - Rectangle already has a layer: Alias", LastError());
    EXPECT_EQ(installed, ProcOf(rect));
    EXPECT_EQ(1u, Overlays().size());
    EXPECT_EQ(1, DeliveredToHost(rect));    // forwarded once, never to itself
    EXPECT_EQ(0, Exec(4, {"Alias", "10"})); // no Layer was left behind
    EXPECT_EQ("Layer:SetOpacity - Layer not found: Alias", LastError());

    ASSERT_EQ(1, Exec(2, {"Rect1"}));
    EXPECT_EQ(ClassProc(), ProcOf(rect));
    // With Rect1 gone the window is free for the other name.
    ASSERT_EQ(1, Create("Alias", redFile));
    EXPECT_EQ(1, DeliveredToHost(rect));
}

TEST_F(LayerLifecycle, NewWindowForTheSameNameMovesTheLayerAndFreesTheOldWindow) {
    HWND old = AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    ASSERT_EQ(1, Create("Rect1", redFile));
    // The host now answers the name with another window; the old one lives on.
    HWND fresh = AddRectangle(&window, "Other", 260, 30, 150, 80);
    PublishObject(&host, "Rect1", fresh);
    ASSERT_EQ(1, Create("Rect1", ""));
    EXPECT_EQ(ClassProc(), ProcOf(old)); // not left forwarding to the new Layer
    EXPECT_NE(ClassProc(), ProcOf(fresh));
    HWND overlay = SingleOverlay();
    RECT r = {};
    GetWindowRect(overlay, &r);
    EXPECT_TRUE(SameRect(ClientRectOnScreen(fresh), r)) << RectText(r);
    DestroyWindow(old);
    PumpMessages();
    EXPECT_EQ(1, Exec(4, {"Rect1", "128"})); // the Layer lives on with the new window
    ASSERT_EQ(1, Exec(2, {"Rect1"}));
    EXPECT_EQ(ClassProc(), ProcOf(fresh));
}

TEST_F(LayerLifecycle, FailedFirstLoadLeavesNoLayerAndTheWindowComesBack) {
    HWND rect = AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    EXPECT_EQ(0, Create("Rect1", brokenFile));
    EXPECT_EQ(0u, LastError().find("SVG XML error: ")) << LastError();
    EXPECT_TRUE(Overlays().empty());
    EXPECT_EQ(0, Exec(9, {"Rect1", "5"}));
    EXPECT_EQ("Layer:SetRotation - Layer not found: Rect1", LastError());

    // Still subclassed; a new create before any message must not make the
    // procedure forward to itself.
    EXPECT_NE(ClassProc(), ProcOf(rect));
    ASSERT_EQ(1, Create("Rect1", redFile));
    EXPECT_EQ(1, DeliveredToHost(rect));
    ASSERT_EQ(1, Exec(2, {"Rect1"}));
    EXPECT_EQ(ClassProc(), ProcOf(rect));

    // Without a new create, the next message gives the window its own
    // procedure back and still reaches the host.
    EXPECT_EQ(0, Create("Rect1", brokenFile));
    EXPECT_NE(ClassProc(), ProcOf(rect));
    EXPECT_EQ(1, DeliveredToHost(rect));
    EXPECT_EQ(ClassProc(), ProcOf(rect));
}

TEST_F(LayerLifecycle, FailureMessagesNameTheRectangle) {
    AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    struct Case {
        int action;
        std::vector<const char*> params;
        const char* message;
    } cases[] = {
        {1, {"   ", "", "", "", "", ""}, "Layer:Create - RectName is blank."},
        {1, {" Nope ", "", "", "", "", ""}, "Layer:Create - Rectangle not found: Nope"},
        {1, {"\tRect1", "", "", "", "", ""}, "Layer:Create - Rectangle not found: \tRect1"},
        {3, {" Rect9 ", "1"}, "Layer:ShowHide - Layer not found:  Rect9 "},
        {4, {" Rect9 ", "1"}, "Layer:SetOpacity - Layer not found:  Rect9 "},
        {5, {" Rect9 ", "", "", "", "", ""}, "Layer:SetTint - Layer not found:  Rect9 "},
        {9, {" Rect9 ", "1"}, "Layer:SetRotation - Layer not found:  Rect9 "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, Exec(c.action, c.params)) << c.message;
        EXPECT_EQ(c.message, LastError());
    }
    // A handle that is no window is not a Rectangle.
    host.objectAnswers["Stale"] = {FakeAnswerText, "123456"};
    EXPECT_EQ(0, Create("Stale", redFile));
    EXPECT_EQ("Layer:Create - Rectangle not found: Stale", LastError());
    // Unknown action numbers.
    EXPECT_EQ(0, Exec(6, {"Rect1"}));
    EXPECT_EQ(0, Exec(8, {"Rect1"}));
    EXPECT_TRUE(Overlays().empty());

    // Names are keys trimmed and lower-cased; a tab is part of the name.
    ASSERT_EQ(1, Create("Rect1", redFile));
    EXPECT_EQ(1, Exec(4, {"RECT1", "10"}));
    EXPECT_EQ(1, Exec(4, {" rect1 ", "10"}));
    EXPECT_EQ(0, Exec(4, {"\trect1", "10"}));
    EXPECT_EQ("Layer:SetOpacity - Layer not found: \trect1", LastError());
    // A success leaves the last message as it was.
    EXPECT_EQ(1, Exec(4, {"rect1", "10"}));
    EXPECT_EQ("Layer:SetOpacity - Layer not found: \trect1", LastError());
}

TEST_F(LayerLifecycle, DestroyedRectangleTakesItsLayerAlong) {
    HWND rect = AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    ASSERT_EQ(1, Create("Rect1", redFile));
    DestroyRectangle(&window, "Rect1");
    EXPECT_FALSE(IsWindow(rect));
    EXPECT_TRUE(Overlays().empty());
    EXPECT_EQ(0, Exec(4, {"Rect1", "10"}));
    EXPECT_EQ("Layer:SetOpacity - Layer not found: Rect1", LastError());

    rect = RecreateRectangle(&window, "Rect1");
    ASSERT_EQ(1, Create("Rect1", redFile));
    EXPECT_EQ(1u, Overlays().size());
    EXPECT_EQ(1, DeliveredToHost(rect));
}

TEST_F(LayerLifecycle, ReplayRebuildsEveryLayerWithItsLatestSettingsInJournalOrder) {
    for (const char* name : {"R1", "R2", "R3", "R4"})
        AddRectangle(&window, name, 20 + 110 * (name[1] - '1'), 30, 100, 100);
    ASSERT_EQ(1, Create("R1", redFile, "", "", "Warm Sunset"));
    ASSERT_EQ(1, Create("R2", redFile));
    ASSERT_EQ(1, Create("R3", redFile));
    ASSERT_EQ(1, Create("R4", redFile));
    ASSERT_EQ(1, Exec(3, {"R1", "0"}));   // R1 ends hidden
    ASSERT_EQ(1, Exec(4, {"R2", "100"})); // R2: the later opacity 0 wins
    ASSERT_EQ(1, Exec(4, {"R2", "0"}));
    ASSERT_EQ(1, Exec(4, {"R3", "0"})); // R3: the later opacity 100 wins
    ASSERT_EQ(1, Exec(4, {"R3", "100"}));
    ASSERT_EQ(1, Exec(7, {"1"})); // pausing is not recorded
    ASSERT_EQ(1, Exec(7, {"0"}));
    EXPECT_EQ(0, Create("Ghost", redFile)); // failed, but recorded
    ASSERT_EQ(1, Exec(2, {"R4"}));          // destroyed: forgotten

    // The host destroys and re-creates its windows, then asks for a replay.
    std::map<std::string, HWND> rects;
    for (const char* name : {"R1", "R2", "R3", "R4"}) {
        DestroyRectangle(&window, name);
        rects[name] = RecreateRectangle(&window, name);
    }
    EXPECT_TRUE(Overlays().empty());
    host.variables.clear();
    Message(8);
    EXPECT_EQ("Layer:Create - Rectangle not found: Ghost", LastError());

    std::vector<HWND> overlays = Overlays();
    ASSERT_EQ(3u, overlays.size());
    int visible = 0;
    for (HWND o : overlays) {
        if (IsWindowVisible(o)) {
            visible++;
            RECT r = {};
            GetWindowRect(o, &r);
            EXPECT_TRUE(SameRect(ClientRectOnScreen(rects["R3"]), r)) << RectText(r);
        }
    }
    EXPECT_EQ(1, visible);              // only R3: R1 hidden, R2 at opacity 0
    EXPECT_EQ(1, Exec(3, {"R1", "1"})); // the rebuilt Layers are live
    EXPECT_EQ(0, Exec(3, {"R4", "1"}));
    // A replay records nothing: a second one gives the same windows.
    Message(8);
    EXPECT_EQ(3u, Overlays().size());
}

TEST_F(LayerLifecycle, TeardownLeavesNothingBehindAndCreateWorksAgain) {
    HWND a = AddRectangle(&window, "A", 20, 30, 100, 100);
    HWND b = AddRectangle(&window, "B", 140, 30, 100, 100);
    HWND broken = AddRectangle(&window, "Broken", 260, 30, 100, 100);
    ASSERT_EQ(1, Create("A", redFile));
    ASSERT_EQ(1, Create("B", redFile));
    ASSERT_EQ(1, Exec(7, {"1"}));
    EXPECT_EQ(0, Create("Broken", brokenFile)); // stays subclassed, no Layer
    ASSERT_NE(ClassProc(), ProcOf(broken));

    Message(2);
    EXPECT_TRUE(Overlays().empty());
    for (HWND rect : {a, b, broken})
        EXPECT_EQ(ClassProc(), ProcOf(rect));
    Message(8); // the journal is empty
    EXPECT_TRUE(Overlays().empty());
    EXPECT_EQ(0, Exec(4, {"A", "10"}));

    // GDI+ starts again and the pause is over.
    ASSERT_EQ(1, Create("A", redFile));
    ASSERT_EQ(1u, Overlays().size());
    EXPECT_TRUE(IsWindowVisible(Overlays()[0]));
    Message(2);
    Message(2); // with no Layers, still fine
    EXPECT_TRUE(Overlays().empty());
}

TEST_F(LayerLifecycle, UnloadingWithLayersLeftRestoresTheRectangles) {
    HWND a = AddRectangle(&window, "A", 20, 30, 100, 100);
    HWND b = AddRectangle(&window, "B", 140, 30, 100, 100);
    HWND broken = AddRectangle(&window, "Broken", 260, 30, 100, 100);
    ASSERT_EQ(1, Create("A", redFile));
    ASSERT_EQ(1, Create("B", splitFile));
    EXPECT_EQ(0, Create("Broken", brokenFile));
    ASSERT_EQ(2u, Overlays().size());

    // A size change leaves a render request queued for the window of A.
    SetWindowPos(a, nullptr, 0, 0, 80, 60, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    UnloadFakeHost(&host); // FreeLibrary without message 2
    PumpMessages();        // the request reaches only the host's procedure
    EXPECT_TRUE(Overlays().empty());
    for (HWND rect : {a, b, broken}) {
        EXPECT_EQ(ClassProc(), ProcOf(rect));
        EXPECT_EQ(1, DeliveredToHost(rect));
    }
    MoveRectangle(&window, "A", 50, 60);
    ResizeRectangle(&window, "B", 150, 120);
    DestroyRectangle(&window, "Broken");
    MoveMainWindow(&window, 150, 150);
    EXPECT_TRUE(Overlays().empty());

    // A host that loads the module again starts from scratch.
    ASSERT_EQ(1, LoadFakeHost(&host));
    StartFakeHost(&host);
    ASSERT_EQ(1, Create("A", redFile));
    EXPECT_EQ(1u, Overlays().size());
}

} // namespace
