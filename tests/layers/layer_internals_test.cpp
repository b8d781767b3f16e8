// The layers subsystem linked statically: action execution and its journal,
// the Layer fields each action sets, and the pixels a Layer renders.
#include "layer_test_support.h"

#include <cmath>
#include <cstring>
#include <functional>

#include "layers/graphics_start.h"
#include "layers/host_messages.h"
#include "layers/journal.h"
#include "layers/layer_actions.h"
#include "layers/overlay.h"
#include "layers/registry.h"
#include "plugin/entry_points.h"
#include "plugin/host_text.h"

namespace {

HostWindow* answeringWindow;
std::string lastError = "<unset>";

int __stdcall RecordVariable(const char* name, const char* value) {
    if (std::strcmp(name, "[Vexlar.LastError]") == 0)
        lastError = value;
    return 1;
}

int __stdcall AnswerObject(int code, char** slot) {
    if (code != 7 || !answeringWindow)
        return 0;
    HWND rect = RectangleWindow(answeringWindow, *slot);
    if (!rect)
        return 0;
    const std::string text =
        std::to_string(static_cast<long long>(reinterpret_cast<intptr_t>(rect)));
    char* block = static_cast<char*>(GlobalAlloc(GMEM_ZEROINIT, text.size() + 1));
    std::memcpy(block, text.data(), text.size());
    GlobalFree(*slot);
    *slot = block;
    return 1;
}

struct LayerInternals : ::testing::Test {
    HostWindow window{};
    std::string redFile, whiteFile, splitFile;

    void SetUp() override {
        ASSERT_EQ(1, CreateHostWindow(&window, nullptr, 100, 100, 640, 480));
        answeringWindow = &window;
        lastError = "<unset>";
        SetHostCallbacks(&RecordVariable, &AnswerObject);
        redFile = WriteTempFile("vexlar_red.svg", SolidSvg("#ff0000"));
        whiteFile = WriteTempFile("vexlar_white.svg", SolidSvg("#ffffff"));
        splitFile = WriteTempFile("vexlar_split.svg", SplitSvg());
        // With its border the Rectangle's client area is 100 x 100.
        if (RectangleWindow(&window, "Rect1"))
            ResizeRectangle(&window, "Rect1", 102, 102);
        else
            AddRectangle(&window, "Rect1", 10, 10, 102, 102);
    }
    void TearDown() override {
        TeardownAll();
        SetHostCallbacks(nullptr, nullptr);
        answeringWindow = nullptr;
        DestroyHostWindow(&window);
    }
    int Exec(int action, const std::vector<const char*>& params) {
        FakeParams p;
        SetFakeParams(&p, params);
        const int result = ExecuteAction(action, FakeParamArray(&p));
        PumpMessages();
        return result;
    }
    const JournalEntry& LastEntry() {
        static const JournalEntry none = {};
        return ActionJournal().empty() ? none : ActionJournal().back();
    }
};

uint32_t PixelAt(const Layer* layer, int x, int y) {
    return layer->pixels[y * layer->bitmapWidth + x];
}

// Premultiplied words differ by at most one step per channel from rounding.
void ExpectPixelNear(uint32_t expected, uint32_t actual, const char* what) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        EXPECT_LE(std::abs(e - a), 1)
            << what << std::hex << " expected " << expected << " got " << actual;
    }
}

TEST_F(LayerInternals, ActionsReadTheirDefaultsAndRecordTheValuesUsed) {
    ASSERT_EQ(1, Exec(1, {"Rect1", redFile.c_str(), "Natural", "", "", ""}));
    Layer* layer = FindLayer(L"Rect1");
    ASSERT_NE(nullptr, layer);
    EXPECT_EQ(2, layer->layoutMode);
    EXPECT_EQ(255, layer->opacity);
    EXPECT_EQ(L"Natural", LastEntry().params[1]);
    EXPECT_EQ(L"255", LastEntry().params[2]);
    ASSERT_EQ(1, Exec(1, {"Rect1", "", "Fill", "7", "", ""}));
    EXPECT_EQ(0, layer->layoutMode);

    struct Opacity {
        const char* text;
        int used;
        const wchar_t* recorded;
    } opacities[] = {{"", 255, L"255"},
                     {"$80", 128, L"128"},
                     {" 12abc", 12, L"12"},
                     {"abc", 0, L"0"},
                     {"-7", 0, L"-7"}};
    for (const Opacity& o : opacities) {
        ASSERT_EQ(1, Exec(4, {"Rect1", o.text}));
        EXPECT_EQ(o.used, layer->opacity) << o.text;
        EXPECT_EQ(4, LastEntry().action);
        EXPECT_EQ(o.recorded, LastEntry().params[0]) << o.text;
    }

    ASSERT_EQ(1, Exec(5, {"Rect1", "", "", "", "", ""}));
    EXPECT_EQ(255, layer->tintRed);
    EXPECT_EQ(255, layer->tintGreen);
    EXPECT_EQ(255, layer->tintBlue);
    EXPECT_EQ(0, layer->tintStrength);
    const std::wstring tintParams[] = {L"", L"255", L"255", L"255", L"0", L""};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(tintParams[i], LastEntry().params[i]) << i;

    ASSERT_EQ(1, Exec(3, {"Rect1", ""}));
    EXPECT_EQ(1, layer->visible);
    EXPECT_EQ(L"1", LastEntry().params[0]);

    struct Angle {
        const char* text;
        float used;
        const wchar_t* recorded;
    } angles[] = {
        {"-45.5", -45.5f, L"-45.5"},
        {"abc", 0.0f, L"0"},
        {"90", 90.0f, L"90"},
        {"12.5", 12.5f, L"12.5"},
        {"0.25", 0.25f, L"0.25"},
        {"450", 450.0f, L"450"},
        {"0.1", 0.1f, L"0.1000000015"},
        {" 3.5deg", 3.5f, L"3.5"},
        {"+Infinity", INFINITY, L"+Infinity"},
        {"-INFINITY", -INFINITY, L"-Infinity"},
    };
    for (const Angle& a : angles) {
        ASSERT_EQ(1, Exec(9, {"Rect1", a.text}));
        EXPECT_EQ(a.used, layer->rotation) << a.text;
        EXPECT_EQ(a.recorded, LastEntry().params[0]) << a.text;
    }
    ASSERT_EQ(1, Exec(9, {"Rect1", "nan"}));
    EXPECT_TRUE(std::isnan(layer->rotation));
    EXPECT_EQ(L"NaN", LastEntry().params[0]);

    // Pausing returns 1 and is never recorded; unknown numbers change nothing.
    const size_t entries = ActionJournal().size();
    EXPECT_EQ(1, Exec(7, {""}));
    EXPECT_EQ(1, OverlaysPaused());
    EXPECT_EQ(1, Exec(7, {"0"}));
    EXPECT_EQ(0, Exec(6, {"Rect1"}));
    EXPECT_EQ(0, Exec(8, {"Rect1"}));
    EXPECT_EQ(entries, ActionJournal().size());
}

TEST_F(LayerInternals, JournalKeepsTheLatestEntryOfEachActionInTheOrderLastPerformed) {
    EXPECT_EQ(0, Exec(1, {"A", "", "", "", "", ""})); // A has no window: fails, recorded
    EXPECT_EQ("Layer:Create - Rectangle not found: A", lastError);
    Exec(4, {"A", "100"});
    Exec(5, {"a ", "Blue Ice", "", "", "", ""});
    Exec(4, {" A", "50"});
    Exec(1, {"B", "", "", "", "", ""});
    std::vector<std::pair<int, std::wstring>> expected = {
        {1, L"A"}, {5, L"a "}, {4, L" A"}, {1, L"B"}};
    ASSERT_EQ(expected.size(), ActionJournal().size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(expected[i].first, ActionJournal()[i].action) << i;
        EXPECT_EQ(expected[i].second, ActionJournal()[i].name) << i;
    }
    EXPECT_EQ(L"50", ActionJournal()[2].params[0]);

    // Creating again drops the older entries of the rectangle.
    Exec(1, {"A", "x.svg", "", "", "", ""});
    ASSERT_EQ(2u, ActionJournal().size());
    EXPECT_EQ(L"B", ActionJournal()[0].name);
    EXPECT_EQ(L"x.svg", ActionJournal()[1].params[0]);

    // Destroy forgets the rectangle and adds nothing.
    EXPECT_EQ(1, Exec(2, {"a"}));
    ASSERT_EQ(1u, ActionJournal().size());
    EXPECT_EQ(L"B", ActionJournal()[0].name);

    // Nothing is recorded while replaying.
    SetReplaying(1);
    RecordAction(4, L"B", L"1");
    SetReplaying(0);
    EXPECT_EQ(1u, ActionJournal().size());
}

TEST_F(LayerInternals, CreateStoresMarginsOpacityAndTintByItsRules) {
    struct Step {
        const char* opacity;
        const char* tint;
        const char* margin;
        int expectOpacity;
        int red, green, blue, strength;
        int top, right, bottom, left;
    } steps[] = {
        // new Layer: opacity 0 means opaque, an unknown tint means none
        {"0", "custom", "", 255, 255, 255, 255, 0, 0, 0, 0, 0},
        {"10", "Warm Sunset", "10", 10, 255, 180, 120, 128, 10, 10, 10, 10},
        {"0", "", "10 20", 0, 255, 180, 120, 128, 10, 20, 10, 20},             // kept
        {"-5", "Custom", "10 20 30", 255, 255, 180, 120, 128, 10, 20, 30, 20}, // kept
        {"300", " BLUE ICE ", "1,2,3,4,5", 255, 180, 220, 255, 128, 1, 2, 3, 4},
        {"255", "No Tint", "-3", 255, 255, 255, 255, 0, 0, 0, 0, 0},
        {"255", "warm  sunset", "2.5", 255, 255, 255, 255, 0, 2, 2, 2, 2},
        {"255", "", "10, 20,", 255, 255, 255, 255, 0, 10, 20, 0, 20},
    };
    int index = 0;
    for (const Step& s : steps) {
        const std::string file = index == 0 ? redFile : "";
        ASSERT_EQ(1, Exec(1, {"Rect1", file.c_str(), "", s.opacity, s.tint, s.margin})) << index;
        const Layer* layer = FindLayer(L"rect1");
        ASSERT_NE(nullptr, layer);
        EXPECT_EQ(s.expectOpacity, layer->opacity) << index;
        EXPECT_EQ(s.red, layer->tintRed) << index;
        EXPECT_EQ(s.green, layer->tintGreen) << index;
        EXPECT_EQ(s.blue, layer->tintBlue) << index;
        EXPECT_EQ(s.strength, layer->tintStrength) << index;
        EXPECT_EQ(s.top, layer->marginTop) << index;
        EXPECT_EQ(s.right, layer->marginRight) << index;
        EXPECT_EQ(s.bottom, layer->marginBottom) << index;
        EXPECT_EQ(s.left, layer->marginLeft) << index;
        index++;
    }
    // LayerSetTint clamps a custom tint and ignores the numbers of a preset.
    ASSERT_EQ(1, LayerSetTint(L"Rect1", L"", 300, -4, 12, 999));
    const Layer* layer = FindLayer(L"Rect1");
    EXPECT_EQ(255, layer->tintRed);
    EXPECT_EQ(0, layer->tintGreen);
    EXPECT_EQ(12, layer->tintBlue);
    EXPECT_EQ(255, layer->tintStrength);
    ASSERT_EQ(1, LayerSetTint(L"Rect1", L"Blue Ice", 1, 2, 3, 4));
    EXPECT_EQ(180, layer->tintRed);
    EXPECT_EQ(128, layer->tintStrength);
    // Rotation is stored as given and never touched by create.
    ASSERT_EQ(1, LayerSetRotation(L"Rect1", -90.0f));
    ASSERT_EQ(1, Exec(1, {"Rect1", "", "", "", "", ""}));
    EXPECT_EQ(-90.0f, layer->rotation);
}

TEST_F(LayerInternals, RendersPremultipliedPicturesAtTheClientSize) {
    ASSERT_EQ(1, LayerCreate(L"Rect1", Widen(redFile), 1, 255, L"", L""));
    Layer* layer = FindLayer(L"Rect1");
    ASSERT_NE(nullptr, layer->pixels);
    EXPECT_EQ(100, layer->bitmapWidth);
    EXPECT_EQ(100, layer->bitmapHeight);
    ExpectPixelNear(0xFFFF0000u, PixelAt(layer, 50, 50), "opaque red");

    ASSERT_EQ(1, LayerSetOpacity(L"Rect1", 128));
    ExpectPixelNear(0x80800000u, PixelAt(layer, 50, 50), "half-transparent red, premultiplied");

    ASSERT_EQ(1, LayerCreate(L"Rect1", L"", 1, 255, L"", L"10"));
    EXPECT_EQ(0u, PixelAt(layer, 5, 5)) << "inside the margin";
    EXPECT_EQ(0u, PixelAt(layer, 95, 50));
    ExpectPixelNear(0xFFFF0000u, PixelAt(layer, 50, 50), "inside the margins");

    // Opaque white under "Warm Sunset".
    ASSERT_EQ(1, LayerCreate(L"Rect1", Widen(whiteFile), 1, 255, L"Warm Sunset", L""));
    ExpectPixelNear(0xFFFFD9BBu, PixelAt(layer, 50, 50), "warm sunset on white");

    // Turned a quarter clockwise, the left (red) half comes to the top.
    ASSERT_EQ(1, LayerCreate(L"Rect1", Widen(splitFile), 1, 255, L"No Tint", L""));
    ExpectPixelNear(0xFFFF0000u, PixelAt(layer, 25, 50), "red left");
    ASSERT_EQ(1, LayerSetRotation(L"Rect1", 90.0f));
    ExpectPixelNear(0xFFFF0000u, PixelAt(layer, 50, 25), "red on top");
    ExpectPixelNear(0xFF0000FFu, PixelAt(layer, 50, 75), "blue below");
    ASSERT_EQ(1, LayerSetRotation(L"Rect1", 450.0f)); // the same picture
    ExpectPixelNear(0xFFFF0000u, PixelAt(layer, 50, 25), "450 degrees");
}

TEST_F(LayerInternals, ShowAndMovesReuseThePictureSizeChangesRenderAgain) {
    ASSERT_EQ(1, LayerCreate(L"Rect1", Widen(redFile), 1, 255, L"", L""));
    Layer* layer = FindLayer(L"Rect1");
    const uint32_t marker = 0x01020304u;
    layer->pixels[0] = marker;

    ASSERT_EQ(1, LayerShowHide(L"Rect1", 0));
    ASSERT_EQ(1, LayerShowHide(L"Rect1", 1));
    EXPECT_EQ(marker, layer->pixels[0]) << "showing again must not render";
    MoveRectangle(&window, "Rect1", 40, 40);
    HandleHostMessage(5);
    EXPECT_EQ(marker, layer->pixels[0]) << "a move only re-positions";

    ASSERT_EQ(1, LayerSetOpacity(L"Rect1", 255));
    EXPECT_NE(marker, layer->pixels[0]) << "a setting renders again";

    ResizeRectangle(&window, "Rect1", 52, 32);
    EXPECT_EQ(50, layer->bitmapWidth);
    EXPECT_EQ(30, layer->bitmapHeight);
    EXPECT_EQ(50, layer->lastClientWidth);
    ExpectPixelNear(0xFFFF0000u, PixelAt(layer, 25, 15), "re-rendered at 50 x 30");
}

TEST_F(LayerInternals, BurstsOfSizeChangesRenderOnceTheLoopRunsWithTheOldPictureInPlace) {
    ASSERT_EQ(1, LayerCreate(L"Rect1", Widen(redFile), 1, 255, L"", L""));
    HWND rect = RectangleWindow(&window, "Rect1");
    Layer* layer = FindLayer(L"Rect1");
    auto resize = [&](int width, int height) {
        SetWindowPos(rect, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    auto overlaySize = [&] {
        RECT r = {};
        GetWindowRect(layer->overlayWindow, &r);
        return std::make_pair(r.right - r.left, r.bottom - r.top);
    };
    int renders = LayerRenderCount();
    for (int i = 1; i <= 100; i++)
        resize(102 + i, 102 + i);
    EXPECT_EQ(renders, LayerRenderCount()) << "no render before the loop runs";
    EXPECT_EQ(std::make_pair(100L, 100L), overlaySize()) << "the old picture, not stretched";
    resize(62, 42); // the burst ends smaller than the picture: client 60 x 40
    EXPECT_EQ(100, layer->bitmapWidth);
    EXPECT_EQ(std::make_pair(60L, 40L), overlaySize()) << "cut to the client area";
    const RECT client = ClientRectOnScreen(rect);
    RECT overlay = {};
    GetWindowRect(layer->overlayWindow, &overlay);
    EXPECT_EQ(client.left, overlay.left);
    EXPECT_EQ(client.top, overlay.top);

    PumpMessages();
    EXPECT_EQ(renders + 1, LayerRenderCount());
    EXPECT_EQ(60, layer->bitmapWidth);
    EXPECT_EQ(40, layer->bitmapHeight);
    EXPECT_EQ(std::make_pair(60L, 40L), overlaySize());

    // A setting rendered meanwhile serves the pending request.
    resize(82, 82);
    ASSERT_EQ(1, LayerSetOpacity(L"Rect1", 200));
    renders = LayerRenderCount();
    PumpMessages();
    EXPECT_EQ(renders, LayerRenderCount());
    EXPECT_EQ(80, layer->bitmapWidth);
}

// A render request still queued when the Layer goes away, or is rebuilt by a
// replay, must neither render nor touch what is left.
TEST_F(LayerInternals, PendingRendersEndWithTheirLayerAndAreServedByAReplay) {
    const struct {
        const char* name;
        std::function<void(LayerInternals*)> end;
        int renders; // done by the ending and the loop that follows
    } cases[] = {
        {"LayerDestroy", [](LayerInternals* t) { t->Exec(2, {"Rect1"}); }, 0},
        {"message 2", [](LayerInternals*) { HandleHostMessage(2); }, 0},
        {"window destroyed", [](LayerInternals* t) { DestroyRectangle(&t->window, "Rect1"); }, 0},
        {"replay", [](LayerInternals*) { HandleHostMessage(8); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (RectangleWindow(&window, "Rect1"))
            ResizeRectangle(&window, "Rect1", 102, 102);
        else
            AddRectangle(&window, "Rect1", 10, 10, 102, 102);
        ASSERT_EQ(1, Exec(1, {"Rect1", redFile.c_str(), "fit"}));
        SetWindowPos(RectangleWindow(&window, "Rect1"), nullptr, 0, 0, 72, 52,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_EQ(1, FindLayer(L"Rect1")->renderPending);
        const int renders = LayerRenderCount();
        c.end(this);
        PumpMessages();
        EXPECT_EQ(renders + c.renders, LayerRenderCount());
        if (Layer* layer = FindLayer(L"Rect1")) {
            EXPECT_EQ(0, layer->renderPending);
            EXPECT_EQ(70, layer->bitmapWidth);
        }
        TeardownAll();
    }
}

// A render request the host's loop never delivers must not stop the Layer
// from following later size changes.
TEST_F(LayerInternals, ALostRenderRequestIsAskedForAgain) {
    AddRectangle(&window, "Rect1", 10, 10, 102, 102);
    ASSERT_EQ(1, Exec(1, {"Rect1", redFile.c_str(), "fit"}));
    HWND rect = RectangleWindow(&window, "Rect1");
    SetWindowPos(rect, nullptr, 0, 0, 72, 52, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layer* layer = FindLayer(L"Rect1");
    ASSERT_EQ(1, layer->renderPending);
    const UINT request = RegisterWindowMessageW(L"Vexlar.DeferredRender");
    MSG lost;
    ASSERT_TRUE(PeekMessageW(&lost, rect, request, request, PM_REMOVE));
    // Soon after, another size change joins the request; later, it asks again.
    SetWindowPos(rect, nullptr, 0, 0, 62, 52, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(PeekMessageW(&lost, rect, request, request, PM_NOREMOVE));
    layer->renderRequestedAt -= 1000;
    SetWindowPos(rect, nullptr, 0, 0, 52, 52, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int renders = LayerRenderCount();
    PumpMessages();
    EXPECT_EQ(renders + 1, LayerRenderCount());
    EXPECT_EQ(0, layer->renderPending);
    EXPECT_EQ(50, layer->bitmapWidth);
    TeardownAll();
}

TEST_F(LayerInternals, BitmapsAndDeferredReleases) {
    uint32_t* pixels = reinterpret_cast<uint32_t*>(1);
    EXPECT_EQ(nullptr, CreateLayerBitmap(0, 5, &pixels));
    EXPECT_EQ(nullptr, pixels);
    EXPECT_EQ(nullptr, CreateLayerBitmap(5, -1, &pixels));
    HBITMAP bitmap = CreateLayerBitmap(3, 2, &pixels);
    ASSERT_NE(nullptr, bitmap);
    ASSERT_NE(nullptr, pixels);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(0u, pixels[i]);
    DeleteObject(bitmap);

    // Destroying the Rectangle ends its Layer; its drawing and bitmap wait
    // for the next create.
    ASSERT_EQ(1, LayerCreate(L"Rect1", Widen(redFile), 0, 255, L"", L""));
    EXPECT_EQ(1, SubclassEntryCount());
    DestroyRectangle(&window, "Rect1");
    EXPECT_EQ(nullptr, FindLayer(L"Rect1"));
    EXPECT_EQ(0, SubclassEntryCount());
    EXPECT_EQ(1, DeferredReleaseCount());
    EXPECT_EQ(0, LayerCreate(L"Rect1", L"", 0, 255, L"", L""));
    EXPECT_EQ("Layer:Create - Rectangle not found: Rect1", lastError);
    EXPECT_EQ(0, DeferredReleaseCount());

    // Tear-down stops GDI+; the next create starts it again.
    RecreateRectangle(&window, "Rect1");
    ASSERT_EQ(1, LayerCreate(L"Rect1", Widen(redFile), 0, 255, L"", L""));
    EXPECT_EQ(1, GraphicsStarted());
    TeardownAll();
    EXPECT_EQ(0, GraphicsStarted());
    EXPECT_EQ(0, LayerCount());
    EXPECT_EQ(0, SubclassEntryCount());
    EXPECT_EQ(0, TeardownDepth());
    ASSERT_EQ(1, LayerCreate(L"Rect1", Widen(redFile), 0, 255, L"", L""));
    EXPECT_EQ(1, GraphicsStarted());
}

} // namespace
