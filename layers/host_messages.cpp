// The host's notifications: tear down (2), re-lay out (5), hide (6, 7) and
// replay the journal (8); and what the module releases when it is unloaded.
#include "layers/host_messages.h"

#include <string>
#include <vector>

#include "layers/graphics_start.h"
#include "layers/journal.h"
#include "layers/layer_actions.h"
#include "layers/layout_parameters.h"
#include "layers/overlay.h"
#include "layers/registry.h"
#include "layers/subclass.h"
#include "plugin/action_table.h"
#include "plugin/entry_points.h"
#include "svg/base/strings.h"

namespace {

// Destroys every Layer and empties every table; GDI+ itself is left alone.
// Needs no memory, so a tear-down works even when memory has run out; the
// table is read again for every Layer.
void ReleaseEveryLayer() {
    while (Layer* layer = FirstLayer()) {
        ReleaseLayerResources(layer);
        RemoveLayerRecord(layer);
    }
    SetOverlaysPaused(0);
    ClearActionJournal();
    LeaveEveryWindowChain(); // windows whose Layer is already gone
    PurgeDeferredReleases();
}

// Marks the replay for its lifetime, also when memory runs out on the way.
struct ReplayScope {
    ReplayScope() { SetReplaying(1); }
    ~ReplayScope() { SetReplaying(0); }
    ReplayScope(const ReplayScope&) = delete;
    ReplayScope& operator=(const ReplayScope&) = delete;
};

int Integer(const std::wstring& text) {
    return Int32ValueOfText(text);
}

void ReplayEntry(const JournalEntry& e) {
    switch (e.action) {
    case ActionLayerCreate:
        LayerCreate(e.name, e.params[0], ParseLayoutMode(e.params[1]), Integer(e.params[2]),
                    e.params[3], e.params[4]);
        break;
    case ActionLayerShowHide:
        LayerShowHide(e.name, Integer(e.params[0]));
        break;
    case ActionLayerSetOpacity:
        LayerSetOpacity(e.name, Integer(e.params[0]));
        break;
    case ActionLayerSetTint:
        LayerSetTint(e.name, e.params[0], Integer(e.params[1]), Integer(e.params[2]),
                     Integer(e.params[3]), Integer(e.params[4]));
        break;
    case ActionLayerSetRotation:
        LayerSetRotation(e.name, static_cast<float>(DecimalValueOfText(e.params[0])));
        break;
    default:
        break;
    }
}

} // namespace

void TeardownAll() {
    TeardownScope teardown;
    ReleaseEveryLayer();
    StopGraphics(); // every GDI+ object, deferred ones included, is gone by now
}

void RelayoutAllOverlays() {
    if (TeardownDepth() != 0)
        return;
    std::vector<std::wstring> keys;
    for (const std::wstring& key : SnapshotLayerKeys()) {
        const Layer* layer = FindLayerByKey(key);
        if (layer->overlayWindow && layer->hostWindow)
            keys.push_back(key);
    }
    // Re-rendering and moving windows can re-enter the module: look every key
    // up again.
    for (const std::wstring& key : keys)
        RelayoutLayer(FindLayerByKey(key));
}

void ReplayJournal() {
    if (ActionJournal().empty())
        return;
    // A copy: an action may re-enter the module (a host window procedure can
    // send a notification) and change the journal while it is being walked.
    const std::vector<JournalEntry> entries = ActionJournal();
    ReplayScope replay;
    for (const JournalEntry& entry : entries)
        ReplayEntry(entry);
}

void HandleHostMessage(int message) {
    switch (message) {
    case 2:
        TeardownAll();
        break;
    case 5:
        RelayoutAllOverlays();
        break;
    case 6:
    case 7:
        HideAllOverlays();
        break;
    case 8:
        ReplayJournal();
        break;
    default:
        break;
    }
}

// Unloaded by FreeLibrary while Layers remain (the host sent no tear-down):
// no Rectangle window may keep pointing at a procedure of this module and no
// overlay may survive it. This runs under the loader lock, where GDI+ must
// neither be shut down nor started: it is left running, and its library is
// pinned so that nothing GDI+ still runs points into an unloaded library.
// Freeing paths and bitmaps is plain memory release and stays allowed. A
// window that someone subclassed after us keeps HostWindowProc in its chain:
// the module was pinned when HostWindowProc first ran for it through the
// other procedure, or is pinned here as a last resort.
// At process exit the windows go away with the process: only the
// SubclassTable is emptied.
void ReleaseLayersAtUnload(int unloadedByFreeLibrary) {
    if (!unloadedByFreeLibrary) {
        ClearSubclassTable();
        return;
    }
    TeardownScope teardown;
    ReleaseEveryLayer();
    AbandonGraphics();
}
