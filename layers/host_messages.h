// The module's reactions to the host's notifications (nbMessage).
#pragma once

// Message 2: destroys every Layer, restores every subclassed window, empties
// every module-wide table and shuts GDI+ down.
void TeardownAll();
// Message 5: re-positions every overlay, re-rendering those whose Rectangle
// changed size.
void RelayoutAllOverlays();
// Message 8: runs the journal's actions again, oldest first.
void ReplayJournal();
