#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "layers/registry.h"
#include "render/graphics.h"
#include "svg/records/document.h"

namespace {

class Registry : public ::testing::Test {
  protected:
    void SetUp() override { ResetModuleState(); }
    void TearDown() override { ResetModuleState(); }
    static void ResetModuleState() {
        ClearLayerRegistry();
        ClearSubclassTable();
        PurgeDeferredReleases();
        SetOverlaysPaused(0);
    }
};

int CountVisits(const std::wstring&, Layer*, void* context) {
    ++*static_cast<int*>(context);
    return 1;
}

int StopAtFirst(const std::wstring&, Layer*, void* context) {
    ++*static_cast<int*>(context);
    return 0;
}

HBITMAP SmallBitmap() {
    return CreateBitmap(2, 2, 1, 32, nullptr);
}

} // namespace

TEST_F(Registry, KeysAreTrimmedOfBlanksAndLowerCased) {
    EXPECT_EQ(L"rect1", LayerKey(L"Rect1"));
    EXPECT_EQ(L"rect1", LayerKey(L"  RECT1 "));
    EXPECT_EQ(L"\trect1", LayerKey(L"\tRect1")); // a tab is part of the name
    EXPECT_EQ(L"my rect", LayerKey(L" My Rect "));
    EXPECT_EQ(L"\u00e4rger", LayerKey(L"\u00c4RGER")); // Unicode lower-casing
    EXPECT_EQ(L"", LayerKey(L"   "));

    Layer* layer = AddLayer(LayerKey(L"Rect1"));
    ASSERT_NE(nullptr, layer);
    EXPECT_EQ(layer, FindLayer(L"Rect1"));
    EXPECT_EQ(layer, FindLayer(L"RECT1"));
    EXPECT_EQ(layer, FindLayer(L" rect1 "));
    EXPECT_EQ(nullptr, FindLayer(L"\tRect1"));
    EXPECT_EQ(nullptr, FindLayer(L"Rect 1"));
    Layer* tabbed = AddLayer(LayerKey(L"\tRect1"));
    ASSERT_NE(nullptr, tabbed);
    EXPECT_NE(layer, tabbed);
    EXPECT_EQ(tabbed, FindLayer(L"\tRECT1 "));
    EXPECT_EQ(2, LayerCount());
}

TEST_F(Registry, OneAllZeroLayerPerKey) {
    Layer* layer = AddLayer(L"a");
    ASSERT_NE(nullptr, layer);
    Layer zero = Layer();
    zero.serial = layer->serial; // the one field that tells Layers apart
    EXPECT_EQ(0, std::memcmp(&zero, layer, sizeof(Layer)));
    layer->opacity = 77;
    EXPECT_EQ(layer, AddLayer(L"a")); // the existing Layer, unchanged
    EXPECT_EQ(77, layer->opacity);
    EXPECT_EQ(1, LayerCount());

    RemoveLayer(L"a");
    EXPECT_EQ(nullptr, FindLayerByKey(L"a"));
    RemoveLayer(L"a"); // unknown keys are ignored
    Layer* again = AddLayer(L"a");
    EXPECT_EQ(0, again->opacity); // a fresh record
}

TEST_F(Registry, SnapshotWalkThatRemovesVisitsEveryLayerPresentAtTheStart) {
    for (const wchar_t* key : {L"a", L"b", L"c", L"d", L"e"})
        AddLayer(key);
    std::vector<std::wstring> keys = SnapshotLayerKeys();
    ASSERT_EQ(5u, keys.size());
    std::set<std::wstring> visited, removedByOthers;
    for (const std::wstring& key : keys) {
        Layer* layer = FindLayerByKey(key);
        if (!layer) { // gone meanwhile: skipped
            EXPECT_TRUE(removedByOthers.count(key)) << key.c_str();
            continue;
        }
        visited.insert(key);
        RemoveLayer(key);
        // Tearing one Layer down may take another with it, and may add one.
        auto next = std::find_if(keys.begin(), keys.end(), [&](const std::wstring& k) {
            return !visited.count(k) && !removedByOthers.count(k);
        });
        if (next != keys.end() && visited.size() == 2) {
            removedByOthers.insert(*next);
            RemoveLayer(*next);
        }
        AddLayer(L"added during the walk " + key);
    }
    EXPECT_EQ(4u, visited.size());
    EXPECT_EQ(1u, removedByOthers.size());
    EXPECT_EQ(4, LayerCount()); // only the ones added during the walk, not visited
    for (const std::wstring& key : keys)
        EXPECT_EQ(nullptr, FindLayerByKey(key));
}

TEST_F(Registry, WalkingAndFindingByHostWindow) {
    Layer* a = AddLayer(L"a");
    Layer* b = AddLayer(L"b");
    AddLayer(L"c");
    HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234));
    b->hostWindow = window;
    std::wstring key;
    EXPECT_EQ(b, FindLayerByHostWindow(window, &key));
    EXPECT_EQ(L"b", key);
    a->hostWindow = nullptr; // windowless Layers are not found by a window
    EXPECT_EQ(nullptr, FindLayerByHostWindow(reinterpret_cast<HWND>(intptr_t(99)), &key));

    int visits = 0;
    ForEachLayer(CountVisits, &visits);
    EXPECT_EQ(3, visits);
    visits = 0;
    ForEachLayer(StopAtFirst, &visits);
    EXPECT_EQ(1, visits);
    ClearLayerRegistry();
    EXPECT_EQ(0, LayerCount());
    EXPECT_TRUE(SnapshotLayerKeys().empty());
}

TEST_F(Registry, SubclassTableKeepsOneProcedurePerWindow) {
    HWND w1 = reinterpret_cast<HWND>(intptr_t(0x10));
    HWND w2 = reinterpret_cast<HWND>(intptr_t(0x20));
    WNDPROC p1 = reinterpret_cast<WNDPROC>(intptr_t(0x1000));
    WNDPROC p2 = reinterpret_cast<WNDPROC>(intptr_t(0x2000));
    WNDPROC found = nullptr;
    EXPECT_EQ(0, FindSubclassEntry(w1, &found));
    SetSubclassEntry(w1, p1);
    SetSubclassEntry(w2, p2);
    ASSERT_EQ(1, FindSubclassEntry(w1, &found));
    EXPECT_EQ(p1, found);
    SetSubclassEntry(w1, p2);
    FindSubclassEntry(w1, &found);
    EXPECT_EQ(p2, found);
    EXPECT_EQ(2, SubclassEntryCount());
    RemoveSubclassEntry(w1);
    EXPECT_EQ(0, FindSubclassEntry(w1, &found));
    EXPECT_EQ(1, SubclassEntryCount());
    // The table outlives the Layers: emptying the registry leaves it alone.
    ClearLayerRegistry();
    EXPECT_EQ(1, SubclassEntryCount());
    ClearSubclassTable();
    EXPECT_EQ(0, SubclassEntryCount());
}

TEST_F(Registry, PurgeDeferredReleasesClearsDocumentsAndDeletesBitmaps) {
    PurgeDeferredReleases(); // empty: nothing happens
    EXPECT_EQ(0, DeferredReleaseCount());

    uintptr_t token = 0;
    ASSERT_EQ(1, GfxStartup(&token));
    SvgDocument first = SvgDocument(), second = SvgDocument();
    for (SvgDocument* document : {&first, &second}) {
        ShapeRecord* shape = AppendShapeRecord(document);
        ASSERT_NE(nullptr, shape);
        shape->path = GfxCreatePath();
        shape->fillRef = MakeSharedText(L"a gradient id long enough to live on the heap");
    }
    HBITMAP bitmap = SmallBitmap();
    ASSERT_NE(0u, GetObjectType(bitmap));
    DeferRelease(&first, bitmap);
    DeferRelease(&second, nullptr);
    // The documents now belong to the list; their former holders are empty.
    EXPECT_EQ(0, first.shapeCount);
    EXPECT_EQ(nullptr, first.shapes);
    EXPECT_EQ(nullptr, second.shapes);
    EXPECT_EQ(2, DeferredReleaseCount());
    EXPECT_NE(0u, GetObjectType(bitmap)); // not yet

    PurgeDeferredReleases();
    EXPECT_EQ(0, DeferredReleaseCount());
    EXPECT_EQ(0u, GetObjectType(bitmap)); // deleted
    PurgeDeferredReleases();              // and again: nothing left to do
    EXPECT_EQ(0, DeferredReleaseCount());
    GfxShutdown(token);
}

TEST_F(Registry, TeardownDepthAndPauseFlag) {
    EXPECT_EQ(0, TeardownDepth());
    EnterTeardown();
    EnterTeardown();
    EXPECT_EQ(2, TeardownDepth());
    LeaveTeardown();
    LeaveTeardown();
    EXPECT_EQ(0, TeardownDepth());
    EXPECT_EQ(0, OverlaysPaused());
    SetOverlaysPaused(5);
    EXPECT_EQ(1, OverlaysPaused());
    SetOverlaysPaused(0);
    EXPECT_EQ(0, OverlaysPaused());
}
