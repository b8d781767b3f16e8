#include "layers/registry.h"

#include <memory>
#include <new>
#include <unordered_map>

#include "layers/keyword.h"

namespace {

struct DeferredRelease {
    SvgDocument document;
    HBITMAP bitmap;
};

// The two tables HostWindowProc reads are never destroyed: a window that
// keeps HostWindowProc in its chain after the module was pinned during its
// unload may still call it once the runtime has run its exit code.
std::unordered_map<std::wstring, std::unique_ptr<Layer>>& Registry() {
    static auto* registry = new std::unordered_map<std::wstring, std::unique_ptr<Layer>>();
    return *registry;
}

std::unordered_map<HWND, WNDPROC>& SubclassTable() {
    static auto* table = new std::unordered_map<HWND, WNDPROC>();
    return *table;
}

std::vector<DeferredRelease>& DeferredReleaseList() {
    static std::vector<DeferredRelease> list;
    return list;
}

int teardownDepth = 0;
int overlaysPaused = 0;

} // namespace

std::wstring LayerKey(const std::wstring& name) {
    return KeywordOf(name);
}

Layer* FindLayer(const std::wstring& name) {
    return FindLayerByKey(LayerKey(name));
}

Layer* FindLayerByKey(const std::wstring& key) {
    auto found = Registry().find(key);
    return found == Registry().end() ? nullptr : found->second.get();
}

Layer* AddLayer(const std::wstring& key) {
    std::unique_ptr<Layer>& slot = Registry()[key];
    if (!slot) {
        static unsigned serials = 0;
        slot.reset(new (std::nothrow) Layer()); // value-initialised: all zero
        if (slot)
            slot->serial = ++serials;
    }
    if (!slot) {
        Registry().erase(key);
        return nullptr;
    }
    return slot.get();
}

void RemoveLayer(const std::wstring& key) {
    Registry().erase(key);
}

void RemoveLayerRecord(const Layer* layer) {
    for (auto entry = Registry().begin(); entry != Registry().end(); ++entry) {
        if (entry->second.get() == layer) {
            Registry().erase(entry);
            return;
        }
    }
}

void ClearLayerRegistry() {
    Registry().clear();
}

int LayerCount() {
    return static_cast<int>(Registry().size());
}

std::vector<std::wstring> SnapshotLayerKeys() {
    std::vector<std::wstring> keys;
    keys.reserve(Registry().size());
    for (const auto& entry : Registry())
        keys.push_back(entry.first);
    return keys;
}

void ForEachLayer(LayerVisitor visitor, void* context) {
    for (const auto& entry : Registry()) {
        if (!visitor(entry.first, entry.second.get(), context))
            return;
    }
}

Layer* FirstLayer() {
    return Registry().empty() ? nullptr : Registry().begin()->second.get();
}

Layer* FindLayerByHostWindow(HWND window, std::wstring* key) {
    for (const auto& entry : Registry()) {
        if (entry.second->hostWindow == window) {
            if (key)
                *key = entry.first;
            return entry.second.get();
        }
    }
    return nullptr;
}

void SetSubclassEntry(HWND window, WNDPROC previous) {
    SubclassTable()[window] = previous;
}

int FindSubclassEntry(HWND window, WNDPROC* previous) {
    auto found = SubclassTable().find(window);
    if (found == SubclassTable().end())
        return 0;
    if (previous)
        *previous = found->second;
    return 1;
}

void RemoveSubclassEntry(HWND window) {
    SubclassTable().erase(window);
}

void ClearSubclassTable() {
    SubclassTable().clear();
}

int SubclassEntryCount() {
    return static_cast<int>(SubclassTable().size());
}

void VisitSubclassedWindows(void (*visit)(HWND window)) {
    for (auto entry = SubclassTable().begin(); entry != SubclassTable().end();) {
        HWND window = entry->first;
        ++entry; // erasing the visited entry leaves this one valid
        visit(window);
    }
}

void DeferRelease(SvgDocument* document, HBITMAP bitmap) {
    DeferredRelease entry = {};
    if (document) {
        entry.document = *document; // ownership moves with the pointers
        *document = SvgDocument();
    }
    entry.bitmap = bitmap;
    try {
        DeferredReleaseList().push_back(entry);
    } catch (...) {
        ClearSvgDocument(&entry.document);
        if (entry.bitmap)
            DeleteObject(entry.bitmap);
    }
}

int DeferredReleaseCount() {
    return static_cast<int>(DeferredReleaseList().size());
}

void PurgeDeferredReleases() {
    // Take the list first: whatever is deferred while purging waits for the
    // next purge instead of being walked half-way.
    std::vector<DeferredRelease> entries;
    entries.swap(DeferredReleaseList());
    for (DeferredRelease& entry : entries) {
        ClearSvgDocument(&entry.document);
        if (entry.bitmap)
            DeleteObject(entry.bitmap);
    }
}

int TeardownDepth() {
    return teardownDepth;
}
void EnterTeardown() {
    teardownDepth++;
}
void LeaveTeardown() {
    teardownDepth--;
}

int OverlaysPaused() {
    return overlaysPaused;
}
void SetOverlaysPaused(int paused) {
    overlaysPaused = paused ? 1 : 0;
}
