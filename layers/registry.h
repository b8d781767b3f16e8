// The LayerRegistry (rectangle key -> Layer) and the module-wide state the
// layers subsystem shares: the SubclassTable, the DeferredReleaseList, the
// tear-down depth and the pause flag. Everything runs on the host's
// user-interface thread; nothing here takes a lock.
#pragma once

#include <string>
#include <vector>

#include "layers/layer.h"

// ---- LayerRegistry --------------------------------------------------------
// The key of a rectangle name: blanks trimmed, lower-cased (see KeywordOf).
// Every operation that takes a rectangle name forms the key this way.
std::wstring LayerKey(const std::wstring& name);

// The Layer of a rectangle name, or null.
Layer* FindLayer(const std::wstring& name);
// The Layer stored under an already formed key, or null.
Layer* FindLayerByKey(const std::wstring& key);
// Adds an all-zero Layer under the key unless one is there already; returns
// the Layer under the key (there is at most one). Null only when memory runs
// out.
Layer* AddLayer(const std::wstring& key);
// Removes the entry and frees the record. The caller has released the
// Layer's document, bitmap and windows first. Unknown keys are ignored.
void RemoveLayer(const std::wstring& key);
// The same for the entry that holds this record; needs no memory.
void RemoveLayerRecord(const Layer* layer);
// Removes every entry, freeing the records (their resources already released).
void ClearLayerRegistry();
int LayerCount();
// The keys in table order. A walk that may add or remove Layers takes this
// snapshot first and looks every key up again, skipping the ones that are gone.
std::vector<std::wstring> SnapshotLayerKeys();
// Visits every Layer in table order. The visitor must not add or remove
// Layers (use SnapshotLayerKeys for that); returning 0 stops the walk.
typedef int (*LayerVisitor)(const std::wstring& key, Layer* layer, void* context);
void ForEachLayer(LayerVisitor visitor, void* context);
// The first Layer in table order, or null when there is none.
Layer* FirstLayer();
// The first Layer in table order whose hostWindow is the window, with its key
// when key is not null; null when there is none.
Layer* FindLayerByHostWindow(HWND window, std::wstring* key);

// ---- SubclassTable: host window -> the procedure it had before -------------
void SetSubclassEntry(HWND window, WNDPROC previous);
// Returns 1 and the saved procedure when the window has an entry.
int FindSubclassEntry(HWND window, WNDPROC* previous);
void RemoveSubclassEntry(HWND window);
void ClearSubclassTable();
int SubclassEntryCount();
// Calls visit for every window with an entry, in place (no memory needed);
// visit may remove that window's own entry, and no other.
void VisitSubclassedWindows(void (*visit)(HWND window));

// ---- DeferredReleaseList ----------------------------------------------------
// Takes over the document (the source is left empty) and the bitmap (0 = none)
// to be released later, outside the window destruction that gave them up;
// released at once when there is no memory to keep them.
void DeferRelease(SvgDocument* document, HBITMAP bitmap);
int DeferredReleaseCount();
// Clears every deferred document and deletes every deferred bitmap, in the
// order they were deferred; the list is empty afterwards.
void PurgeDeferredReleases();

// ---- flags ------------------------------------------------------------------
// Raised while windows are destroyed or un-subclassed, so that the messages
// this causes do not re-render Layers that are going away.
int TeardownDepth();
void EnterTeardown();
void LeaveTeardown();
// Raises the depth for its lifetime, also when memory runs out on the way.
struct TeardownScope {
    TeardownScope() { EnterTeardown(); }
    ~TeardownScope() { LeaveTeardown(); }
    TeardownScope(const TeardownScope&) = delete;
    TeardownScope& operator=(const TeardownScope&) = delete;
};
// Set while OverlayPause keeps every overlay hidden.
int OverlaysPaused();
void SetOverlaysPaused(int paused);
