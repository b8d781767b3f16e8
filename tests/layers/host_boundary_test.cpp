// What reaches the host from inside the module: no floating-point exception
// (the host may run with them unmasked) and no failed allocation. The
// allocator of this test program can be made to fail its Nth allocation; the
// module's code is linked in statically, so its allocations are counted.
#include "layer_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "failing_allocator.h"
#include "layers/journal.h"
#include "layers/layer_render.h"
#include "layers/registry.h"
#include "plugin/entry_points.h"
#include "plugin/host_text.h"
#include "render/graphics.h"
#include "svg/base/report.h"
#include "svg/load.h"
#include "svg/records/document.h"
#include "svg/records/not_drawn.h"

using namespace failing_allocator;

namespace {

// ---- floating-point state -------------------------------------------------

struct ControlState {
    uint16_t x87;
    uint32_t mxcsr;
};

ControlState ReadControlState() {
    ControlState state = {};
    __asm__ __volatile__("fnstcw %0" : "=m"(state.x87));
    __asm__ __volatile__("stmxcsr %0" : "=m"(state.mxcsr));
    return state;
}

void WriteControlState(const ControlState& state) {
    __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(state.x87) : "memory");
    __asm__ __volatile__("ldmxcsr %0" : : "m"(state.mxcsr) : "memory");
}

using FloatingPoint = DllLayerTest;

// As some hosts do: invalid operation, division by zero and overflow raise
// hardware exceptions. The drawings, the rotation and the sizes below make
// the module meet all three; an exception would end this process.
TEST_F(FloatingPoint, ExceptionsUnmaskedByTheHostNeverFireAndStayUnmasked) {
    const std::string wild = WriteTempFile(
        "vexlar_wild.svg",
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1e39\" height=\"0\" "
        "viewBox=\"0 0 0 1e-45\"><g transform=\"scale(1e38) rotate(1e39)\">"
        "<rect width=\"3e38\" height=\"-1e39\" rx=\"1e38\" fill=\"red\" "
        "stroke=\"blue\" stroke-width=\"1e38\"/><circle r=\"1e-45\" fill=\"lime\"/>"
        "<path d=\"M0 0 L3e38 3e38 A1e38 0 0 1 -3e38 1e-45 Z\" fill=\"red\"/>"
        "<polygon points=\"0,0 1e39,0 0,1e39\" fill=\"blue\" opacity=\"1e39\"/></g>"
        "<linearGradient id=\"g\" x1=\"1e39\" x2=\"1e39\"><stop offset=\"1e39\"/></linearGradient>"
        "<rect width=\"1e38\" height=\"1e38\" fill=\"url(#g)\"/></svg>");
    AddRectangle(&window, "Rect1", 20, 30, 200, 100);
    AddRectangle(&window, "Rect2", 240, 30, 0, 0);
    const ControlState saved = ReadControlState();
    ControlState unmasked = saved;
    unmasked.x87 &= static_cast<uint16_t>(~(0x01 | 0x04 | 0x08)); // invalid, zero, overflow
    unmasked.mxcsr &= ~static_cast<uint32_t>(0x0080 | 0x0200 | 0x0400);
    unmasked.mxcsr &= ~static_cast<uint32_t>(0x3F); // no flag left over
    int results[8] = {};
    WriteControlState(unmasked);
    results[0] = Create("Rect1", wild, "stretch", "", "Warm Sunset", "1e39");
    results[1] = Create("Rect2", wild, "original");
    results[2] = Exec(9, {"Rect1", "+Infinity"});
    results[3] = Exec(9, {"Rect2", "NaN"});
    ResizeRectangle(&window, "Rect1", 1, 300);
    ResizeRectangle(&window, "Rect2", 7, 0);
    results[4] = Exec(4, {"Rect1", "1"});
    results[5] = Create("Rect1", wild, "fit", "", "", "0 1e39");
    Message(5);
    const ControlState after = ReadControlState();
    WriteControlState(saved);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(1, results[i]) << i;
    // The control bits; a flag may come from the system's own code.
    EXPECT_EQ(unmasked.x87, after.x87);
    EXPECT_EQ(unmasked.mxcsr & ~0x3Fu, after.mxcsr & ~0x3Fu);
}

// ---- allocation failures --------------------------------------------------

// The host's side, making no allocation of its own while the module runs.
char lastError[512];
HWND answerWindow;

int __stdcall KeepLastError(const char* name, const char* value) {
    if (std::strcmp(name, "[Vexlar.LastError]") == 0)
        std::snprintf(lastError, sizeof lastError, "%s", value);
    return 1;
}

int __stdcall AnswerRect1(int code, char** slot) {
    if (code != 7 || std::strcmp(*slot, "Rect1") != 0)
        return 0;
    char* block = static_cast<char*>(GlobalAlloc(GMEM_ZEROINIT, 32));
    std::snprintf(block, 32, "%lld",
                  static_cast<long long>(reinterpret_cast<intptr_t>(answerWindow)));
    GlobalFree(*slot);
    *slot = block;
    return 1;
}

void ReportToHost(const std::wstring& message) {
    SetLastError(message);
}

struct OutOfMemory : ::testing::Test {
    HostWindow window{};
    std::string drawing;
    std::wstring wideDrawing; // made before any allocation may fail

    void SetUp() override {
        ASSERT_EQ(1, CreateHostWindow(&window, nullptr, 100, 100, 640, 480));
        answerWindow = AddRectangle(&window, "Rect1", 10, 10, 102, 102);
        SetHostCallbacks(&KeepLastError, &AnswerRect1);
        SetReportSink(&ReportToHost);
        // Gradients, a style sheet, several shapes: most readers run.
        drawing = WriteTempFile(
            "vexlar_oom.svg",
            "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 100 100\">"
            "<style>.a{fill:#0f0} #b{stroke:blue}</style><defs><linearGradient id=\"g\">"
            "<stop offset=\"0\" stop-color=\"red\"/><stop offset=\"1\" stop-color=\"blue\"/>"
            "</linearGradient></defs><rect id=\"b\" width=\"50\" height=\"50\" fill=\"url(#g)\"/>"
            "<circle class=\"a\" cx=\"70\" cy=\"70\" r=\"20\" transform=\"rotate(10)\"/>"
            "<path d=\"M0 100 C20 80 40 80 60 100z\" style=\"fill:rgb(10,20,30)\"/></svg>");
        wideDrawing = Widen(drawing);
        // The readers keep their last message: give it its lasting size.
        ReportLastError(std::wstring(300, L'-'));
    }
    void TearDown() override {
        allocationsToFail = 0;
        nbMessage(2, 0);
        SetReportSink(nullptr);
        SetHostCallbacks(nullptr, nullptr);
        DestroyHostWindow(&window);
    }

    static int Create(const std::string& file) {
        char* params[6] = {const_cast<char*>("Rect1"),
                           const_cast<char*>(file.c_str()),
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr};
        return nbExecAction(1, params);
    }

    // Runs the operation with the Nth allocation failing, for N = 1, 2, ...
    // until it runs through. Every run must end in success or in one of the
    // messages, and after message 2 exactly the blocks of the baseline are
    // left. `prepare` runs before each attempt with every allocation allowed.
    void FailEachAllocation(const char* what, void (*prepare)(OutOfMemory*),
                            int (*operation)(OutOfMemory*), std::vector<std::string> messages) {
        SCOPED_TRACE(what);
        // Twice without failures: every table reaches its lasting size.
        for (int i = 0; i < 2; i++) {
            prepare(this);
            operation(this);
            nbMessage(2, 0);
            PumpMessages();
        }
        const long long baseline = liveBlocks;
        int failures = 0;
        for (long long n = 1;; n++) {
            prepare(this);
            lastError[0] = 0;
            failureInjected = false;
            allocationsToFail = n;
            const int result = operation(this);
            allocationsToFail = 0;
            const bool injected = failureInjected;
            if (result == 0) {
                failures++;
                EXPECT_NE(messages.end(),
                          std::find(messages.begin(), messages.end(), std::string(lastError)))
                    << "allocation " << n << ": " << lastError;
            }
            EXPECT_EQ(0, Replaying()) << "allocation " << n;
            EXPECT_EQ(0, TeardownDepth()) << "allocation " << n;
            nbMessage(2, 0);
            PumpMessages();
            ASSERT_EQ(baseline, liveBlocks) << "blocks left after allocation " << n << " failed";
            if (!injected)
                break;
            ASSERT_LT(n, 100000) << "runaway";
        }
        // An operation with a result must have failed for some allocations.
        EXPECT_EQ(!messages.empty(), failures > 0) << failures;
    }
};

TEST_F(OutOfMemory, EveryAllocationOfALoadCreateResizeAndReplayMayFail) {
    FailEachAllocation(
        "load", [](OutOfMemory*) {},
        [](OutOfMemory* t) {
            SvgDocument document = SvgDocument();
            const int loaded = LoadSvgDocument(t->wideDrawing, &document);
            ClearSvgDocument(&document);
            return loaded;
        },
        {"Out of memory.", "Failed to parse SVG XML."});
    FailEachAllocation(
        "create", [](OutOfMemory*) {}, [](OutOfMemory* t) { return Create(t->drawing); },
        {"Out of memory.", "Failed to parse SVG XML.", "Layer:Create - Out of memory."});
    FailEachAllocation(
        "resize", [](OutOfMemory* t) { ASSERT_EQ(1, Create(t->drawing)); },
        [](OutOfMemory*) {
            SetWindowPos(answerWindow, nullptr, 0, 0, 150, 90, SWP_NOMOVE | SWP_NOZORDER);
            SetWindowPos(answerWindow, nullptr, 0, 0, 102, 102, SWP_NOMOVE | SWP_NOZORDER);
            return 1;
        },
        {});
    FailEachAllocation(
        "replay",
        [](OutOfMemory* t) {
            ASSERT_EQ(1, Create(t->drawing));
            char* params[2] = {const_cast<char*>("Rect1"), const_cast<char*>("45")};
            ASSERT_EQ(1, nbExecAction(9, params));
        },
        [](OutOfMemory*) {
            nbMessage(8, 0);
            return 1;
        },
        {});
    // Still working afterwards.
    ASSERT_EQ(1, Create(drawing));
    EXPECT_NE(nullptr, FindLayer(L"Rect1"));
}

bool Blank(const Layer& layer) {
    const size_t count = static_cast<size_t>(layer.bitmapWidth) * layer.bitmapHeight;
    return std::all_of(layer.pixels, layer.pixels + count, [](uint32_t p) { return p == 0; });
}

// GDI+ running out of memory inside a render (a path, brush, pen, bitmap or
// region it cannot make, a fill it cannot finish), at each of its
// allocations in turn: the render ends without harm to the Layer, whose
// next render draws the whole picture again, and none of our memory stays
// behind. It fails exactly when it drew nothing, and what it left out is
// counted as out of memory, not as geometry GDI+ cannot take.
TEST_F(OutOfMemory, EveryGdiplusAllocationOfARenderMayFail) {
    // Offscreen groups, a mask, a pattern, a clip, a filter, gradients and
    // dashes: every kind of GDI+ object a render makes.
    const std::string rich =
        WriteTempFile("vexlar_oom_gdiplus.svg",
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 100 100\"><defs>"
                      "<radialGradient id=\"r\"><stop offset=\"0\" stop-color=\"#fff\"/>"
                      "<stop offset=\"1\" stop-color=\"#00f\"/></radialGradient>"
                      "<pattern id=\"p\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
                      "<rect width=\"4\" height=\"4\" fill=\"red\"/></pattern>"
                      "<mask id=\"m\"><circle cx=\"50\" cy=\"50\" r=\"30\" fill=\"#fff\"/></mask>"
                      "<clipPath id=\"c\"><rect width=\"60\" height=\"100\"/></clipPath>"
                      "<filter id=\"f\"><feGaussianBlur stdDeviation=\"2\"/></filter></defs>"
                      "<rect width=\"100\" height=\"100\" fill=\"url(#p)\"/>"
                      "<g opacity=\"0.7\" mask=\"url(#m)\"><circle cx=\"50\" cy=\"50\" r=\"40\" "
                      "fill=\"url(#r)\"/></g><g clip-path=\"url(#c)\"><path d=\"M0 90 L100 10\" "
                      "stroke=\"#0a0\" stroke-width=\"6\" stroke-dasharray=\"8 4\"/></g>"
                      "<rect x=\"60\" y=\"60\" width=\"30\" height=\"30\" fill=\"#f80\" "
                      "filter=\"url(#f)\"/></svg>");
    ASSERT_EQ(1, Create(rich));
    Layer* layer = FindLayer(L"Rect1");
    ASSERT_NE(nullptr, layer);
    ASSERT_NE(nullptr, layer->pixels);
    const size_t count = static_cast<size_t>(layer->bitmapWidth) * layer->bitmapHeight;
    RenderLayer(layer);
    const std::vector<uint32_t> whole(layer->pixels, layer->pixels + count);
    const long long baseline = liveBlocks;
    int refused = 0, shapesOutOfMemory = 0;
    for (long long n = 1;; n++) {
        GfxFailAllocation(n);
        const int drawn = RenderLayer(layer);
        const bool injected = GfxAllocationRefused() != 0;
        GfxFailAllocation(0);
        ASSERT_EQ(baseline, liveBlocks) << "blocks left after GDI+ allocation " << n << " failed";
        // Failure only when nothing could be drawn; memory is not counted as
        // geometry GDI+ cannot take.
        EXPECT_EQ(drawn == 0, Blank(*layer)) << "GDI+ allocation " << n;
        const int* notDrawn = layer->document.notDrawn;
        EXPECT_EQ(0, notDrawn[NotDrawnUnusableGeometry]) << "GDI+ allocation " << n;
        shapesOutOfMemory += notDrawn[NotDrawnOutOfMemory];
        RenderLayer(layer);
        ASSERT_TRUE(std::equal(whole.begin(), whole.end(), layer->pixels))
            << "the render after GDI+ allocation " << n << " failed";
        if (!injected)
            break;
        refused++;
        ASSERT_LT(n, 100000) << "runaway";
    }
    EXPECT_GT(refused, 20);          // the drawing makes many GDI+ objects
    EXPECT_GT(shapesOutOfMemory, 5); // its brushes, pens, fills and strokes
    // The same while the drawing loads (its paths are GDI+ paths) and first
    // renders: Layer:Create succeeds without a word or says it ran out of
    // memory, loading or drawing.
    for (long long n = 1;; n++) {
        lastError[0] = 0;
        GfxFailAllocation(n);
        const int created = Create(rich);
        const bool injected = GfxAllocationRefused() != 0;
        GfxFailAllocation(0);
        const std::string said = lastError;
        EXPECT_TRUE(created == 1
                        ? said.empty()
                        : said == "Out of memory." || said == "Layer:Create - Out of memory.")
            << "GDI+ allocation " << n << ": " << created << " " << said;
        ASSERT_EQ(1, Create(rich));
        layer = FindLayer(L"Rect1");
        ASSERT_TRUE(layer && std::equal(whole.begin(), whole.end(), layer->pixels))
            << "the create after GDI+ allocation " << n << " failed";
        if (!injected)
            break;
        ASSERT_LT(n, 100000) << "runaway";
    }
}

// A render that GDI+ has not the memory to draw anything of fails with a
// message: inside an action with the action's name, after a size change of
// the host window without one. A render that drew something is no failure,
// and the Layer's next render draws again. Each GDI+ allocation of the
// render fails in turn; a drawing of one shape loses everything to any.
TEST_F(OutOfMemory, ARenderThatDrawsNothingSaysWhy) {
    const std::string one =
        WriteTempFile("vexlar_oom_one.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                            "viewBox=\"0 0 10 10\"><rect width=\"10\" "
                                            "height=\"10\" fill=\"#08f\"/></svg>");
    static std::string file;
    file = one;
    struct Entry {
        const char* what;
        int (*run)();
        const char* message;
    };
    const Entry entries[] = {
        {"create", [] { return Create(file); }, "Layer:Create - Out of memory."},
        {"opacity",
         [] {
             char* params[2] = {const_cast<char*>("Rect1"), const_cast<char*>("200")};
             return nbExecAction(4, params);
         },
         "Layer:SetOpacity - Out of memory."},
        {"resize",
         [] {
             static int wide = 0;
             wide = !wide;
             SetWindowPos(answerWindow, nullptr, 0, 0, wide ? 150 : 102, 102,
                          SWP_NOMOVE | SWP_NOZORDER);
             PumpMessages(); // the render follows the size change
             return 1;
         },
         "Out of memory."},
    };
    ASSERT_EQ(1, Create(one));
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.what);
        int blanked = 0;
        for (long long n = 1;; n++) {
            lastError[0] = 0;
            GfxFailAllocation(n);
            const int result = entry.run();
            const bool injected = GfxAllocationRefused() != 0;
            GfxFailAllocation(0);
            Layer* layer = FindLayer(L"Rect1");
            ASSERT_NE(nullptr, layer) << n;
            if (!layer->pixels || layer->document.shapeCount == 0) {
                // Lost while loading: the load failed, or left the shape out
                // (a path GDI+ could not make); nothing was rendered.
                EXPECT_EQ(result == 0, std::string(lastError) == "Out of memory.") << n;
            } else {
                const bool blank = Blank(*layer);
                blanked += blank;
                EXPECT_EQ(blank ? entry.message : "", std::string(lastError)) << n;
                EXPECT_EQ(blank && std::strcmp(entry.what, "resize") != 0 ? 0 : 1, result) << n;
                if (blank && layer->document.notDrawn[NotDrawnOutOfMemory] == 1) {
                    EXPECT_EQ(L"not drawn: shapes GDI+ had no memory for (1)",
                              NotDrawnReport(&layer->document));
                }
            }
            // Still working: the next render draws, and says nothing.
            lastError[0] = 0;
            ASSERT_EQ(1, entry.run()) << n;
            layer = FindLayer(L"Rect1");
            ASSERT_TRUE(layer && layer->pixels) << n;
            EXPECT_FALSE(Blank(*layer)) << n;
            EXPECT_STREQ("", lastError) << n;
            if (!injected)
                break;
            ASSERT_LT(n, 1000) << "runaway";
        }
        EXPECT_GT(blanked, 2);
    }
}

} // namespace
