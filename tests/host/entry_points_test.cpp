// The host entry through the real Vexlar.dll, loaded by the fake host.
#include <gtest/gtest.h>

#include "common/fake_host.h"

namespace {

struct HostFixture : ::testing::Test {
    FakeHost host{};
    void SetUp() override { ASSERT_EQ(1, LoadFakeHost(&host)); }
    void TearDown() override { UnloadFakeHost(&host); }
};

TEST_F(HostFixture, RegistersTheSevenActionsInTableOrder) {
    StartFakeHost(&host);
    EXPECT_EQ("Vexlar", host.title);
    EXPECT_FALSE(host.author.empty());
    EXPECT_EQ("Resolution-independent SVG viewer for Rectangle objects. Vector paths "
              "re-rasterize crisp at any size.",
              host.description);

    struct Expected {
        int action;
        const char* name;
        const char* hint;
        std::vector<unsigned char> kinds;
    };
    const Expected expected[] = {
        {1,
         "Vexlar_LayerCreate",
         "Load SVG onto Rectangle (rect, svgFile, layout, opacity, tint, margin).",
         {1, 5, 1, 1, 1, 1}},
        {2, "Vexlar_LayerDestroy", "Destroy SVG layer and free all resources.", {1}},
        {3, "Vexlar_LayerShowHide", "Show or hide an SVG layer's overlay window.", {1, 1}},
        {4, "Vexlar_LayerSetOpacity", "Set layer opacity (0-255).", {1, 1}},
        {5,
         "Vexlar_LayerSetTint",
         "Apply a tint preset or custom RGB+strength.",
         {1, 1, 1, 1, 1, 1}},
        {7,
         "Vexlar_OverlayPause",
         "Pause (1) hides all SVG overlays for dialogs. Resume (0) restores them.",
         {1}},
        {9,
         "Vexlar_LayerSetRotation",
         "Rotate the layer by N degrees (positive = clockwise) around its visual center.",
         {1, 1}},
    };
    ASSERT_EQ(7u, host.registrations.size());
    for (size_t i = 0; i < 7; i++) {
        const FakeRegistration& r = host.registrations[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(expected[i].action, r.action);
        EXPECT_EQ(expected[i].name, r.name);
        EXPECT_EQ(expected[i].hint, r.hint);
        EXPECT_EQ(expected[i].kinds, r.kinds);
        EXPECT_EQ(0, r.reserved);
        EXPECT_EQ(static_cast<int>(expected[i].kinds.size()), r.count);
    }
}

TEST_F(HostFixture, NullAddActionRegistersNothing) {
    EXPECT_EQ(0, host.registerPlugIn(nullptr, 5, 6, nullptr));
    EXPECT_TRUE(host.registrations.empty());
}

TEST_F(HostFixture, NullLocationsAreSkipped) {
    char* title = nullptr;
    char* description = nullptr;
    EXPECT_EQ(0, host.initPlugIn(0, &title, nullptr, &description));
    ASSERT_NE(nullptr, title);
    ASSERT_NE(nullptr, description);
    EXPECT_STREQ("Vexlar", title);
    EXPECT_EQ(0, strncmp(description, "Resolution-independent", 22));
    EXPECT_EQ(0, host.initPlugIn(0, nullptr, nullptr, nullptr));
}

TEST_F(HostFixture, UnknownActionNumbersReturnZeroAndChangeNothing) {
    StartFakeHost(&host);
    FakeParams params;
    SetFakeParams(&params, {"Rect1", "x.svg", "", "", "", ""});
    for (int action : {0, 6, 8, 10, -1, 1000}) {
        SCOPED_TRACE(action);
        EXPECT_EQ(0, host.execAction(action, FakeParamArray(&params)));
        EXPECT_EQ(0, host.editAction(action, FakeParamArray(&params)));
    }
    EXPECT_EQ("Rect1", FakeParamText(&params, 0));
    EXPECT_TRUE(host.variables.empty());
    EXPECT_TRUE(host.requests.empty());
    EXPECT_EQ(0, host.about());
    EXPECT_EQ(0, host.registerScriptProcessor(1234));
}

// The pointers the module hands to the registration call-back.
std::vector<const void*>* registeredPointers;
int __stdcall RecordRegisteredPointers(int, const char* name, const char* hint,
                                       const unsigned char*, int, int) {
    registeredPointers->push_back(name);
    registeredPointers->push_back(hint);
    return 1;
}

// The seventeen blocks handed out by one start-up: title, author, description,
// then every name and hint.
std::vector<const void*> StartAndCollectBlocks(FakeHost* host) {
    char* title = nullptr;
    char* author = nullptr;
    char* description = nullptr;
    host->initPlugIn(0, &title, &author, &description);
    std::vector<const void*> blocks = {title, author, description};
    registeredPointers = &blocks;
    host->registerPlugIn(reinterpret_cast<void*>(&RecordRegisteredPointers), 0, 0, nullptr);
    registeredPointers = nullptr;
    return blocks;
}

TEST_F(HostFixture, RegistrationStringsLiveUntilUnload) {
    const std::vector<const void*> first = StartAndCollectBlocks(&host);
    ASSERT_EQ(17u, first.size());
    // The host may keep reading what a first start gave it. Mark every block:
    // one that a second start freed and made again (most likely at the same
    // address) would read afresh.
    for (const void* block : first) {
        ASSERT_TRUE(IsGlobalBlockAllocated(block));
        *static_cast<char*>(const_cast<void*>(block)) = '#';
    }
    const std::vector<const void*> second = StartAndCollectBlocks(&host);
    ASSERT_EQ(17u, second.size());
    for (size_t i = 0; i < first.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(IsGlobalBlockAllocated(first[i]));
        EXPECT_EQ('#', *static_cast<const char*>(first[i]));
        EXPECT_TRUE(IsGlobalBlockAllocated(second[i]));
    }
    UnloadFakeHost(&host);
    int stillAllocated = 0;
    for (const std::vector<const void*>* blocks : {&first, &second}) {
        for (const void* block : *blocks)
            stillAllocated += IsGlobalBlockAllocated(block) ? 1 : 0;
    }
    EXPECT_EQ(0, stillAllocated);
}

} // namespace
