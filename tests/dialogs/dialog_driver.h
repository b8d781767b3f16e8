// Drives an editor dialog the way a person would, from inside the dialog's own
// message loop: a thread timer (dispatched by that loop like any other message
// of the thread) looks for the dialog window by its caption and hands it to a
// script, once per tick, until the script says it is done. A dialog still open
// a few seconds after its script finished (or never finished) is closed and
// the drive is marked as timed out, so a broken dialog fails instead of
// hanging the test.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/fake_host.h"

// Called with the dialog and the number of earlier calls; returns true when
// done (usually after pressing a button that closes the dialog).
typedef std::function<bool(HWND dialog, int step)> DialogScript;

struct DialogDrive {
    std::wstring caption;
    DialogScript script;
    HWND dialog;   // the window the script saw
    int steps;     // calls made
    bool done;     // the script returned true
    bool timedOut; // the drive had to close the dialog itself
    bool running;  // inside the script (a nested dialog runs meanwhile)
};

DialogDrive MakeDrive(const std::wstring& caption, DialogScript script);

// Opens the action's dialog through the module's exported entry point with
// the drives active and returns the entry point's result.
int EditWithDrives(FakeHost* host, int action, FakeParams* params,
                   const std::vector<DialogDrive*>& drives);
int EditWithScript(FakeHost* host, int action, FakeParams* params, const std::wstring& caption,
                   DialogScript script, DialogDrive* drive = nullptr);

// ---- what a person does with the controls ----------------------------------
std::vector<HWND> ChildWindows(HWND dialog); // in Z order, top first
std::wstring WindowClass(HWND window);
std::wstring TextOf(HWND window);
void TypeText(HWND field, const std::wstring& text); // replaces the text
void Click(HWND button);                             // BM_CLICK
int ListSelection(HWND list);
std::wstring ListText(HWND list); // the selected item's text, "" for none
std::vector<std::wstring> ListItems(HWND list);
// Posts a key press to a control, as the keyboard would.
void PostKey(HWND control, WPARAM key);
// The child's position and size in the dialog's client area.
RECT ClientBoxOf(HWND dialog, HWND child);
