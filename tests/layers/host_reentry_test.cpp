// Host code that runs inside a create (the answer to the window request, the
// last-error call-back of a failed load) and re-enters the module: the create
// ends with a sensible result and message, and nothing dangles or leaks.
#include "layer_test_support.h"

namespace {

using HostReentry = DllLayerTest;

// While the host looks up Rect1's window, it does something to the Layer
// that an earlier create made; the create then works on a fresh Layer.
TEST_F(HostReentry, WindowRequestThatEndsTheLayerGivesAFreshOne) {
    struct Case {
        const char* what;
        std::function<void(DllLayerTest*)> duringRequest;
    } cases[] = {
        {"window destroyed and made again",
         [](DllLayerTest* t) { RecreateRectangle(&t->window, "Rect1"); }},
        {"message 2", [](DllLayerTest* t) { t->host.message(2, 0); }},
        {"LayerDestroy of the same name",
         [](DllLayerTest* t) {
             FakeParams p;
             SetFakeParams(&p, {"Rect1"});
             t->host.execAction(2, FakeParamArray(&p));
         }},
    };
    AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(1, Create("Rect1", redFile));
        host.variables.clear();
        host.onRequest = [&](int code, const std::string&) {
            host.onRequest = nullptr; // once
            if (code == 7)
                c.duringRequest(this);
        };
        EXPECT_EQ(1, Create("Rect1", splitFile)) << LastError();
        EXPECT_EQ("<unset>", LastError());
        HWND rect = RectangleWindow(&window, "Rect1");
        RECT r = {};
        GetWindowRect(SingleOverlay(), &r);
        EXPECT_TRUE(SameRect(ClientRectOnScreen(rect), r)) << RectText(r);
        EXPECT_TRUE(IsWindowVisible(SingleOverlay()));
        const int before = RectangleMessageCount(rect);
        SendMessageW(rect, WM_USER + 7, 0, 0);
        EXPECT_EQ(before + 1, RectangleMessageCount(rect));
        ASSERT_EQ(1, Exec(2, {"Rect1"}));
        EXPECT_TRUE(Overlays().empty());
    }
}

// The failed load of a new Layer reports its message; the host answers it by
// destroying the name's Layer and creating it again from a good file. The
// outer create fails with the load's message and leaves the new Layer alone.
TEST_F(HostReentry, FailedLoadReportThatRecreatesTheLayerLeavesItAlone) {
    AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    host.onVariable = [&](const std::string&, const std::string& value) {
        host.onVariable = nullptr; // once
        if (value.find("SVG XML error: ") != 0)
            return;
        FakeParams p;
        SetFakeParams(&p, {"Rect1"});
        host.execAction(2, FakeParamArray(&p));
        SetFakeParams(&p, {"Rect1", redFile.c_str(), "", "", "", ""});
        host.execAction(1, FakeParamArray(&p));
    };
    EXPECT_EQ(0, Create("Rect1", brokenFile));
    EXPECT_EQ(0u, LastError().find("SVG XML error: ")) << LastError();
    EXPECT_EQ(1u, Overlays().size());
    EXPECT_EQ(1, Exec(4, {"Rect1", "128"})) << LastError();
    ASSERT_EQ(1, Exec(2, {"Rect1"}));
    EXPECT_TRUE(Overlays().empty());
}

} // namespace
