// A real host window for integration tests: a top-level main window holding
// named child "Rectangle" windows, which a FakeHost hands to the module when it
// asks for an object's window (request 7). Rectangles can be moved, resized,
// hidden, destroyed and re-created, and count the messages they receive.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/fake_host.h"

struct HostRectangle {
    HWND window;
    int x, y, width, height; // in the main window's client area
};

struct HostWindow {
    HWND main;
    FakeHost* host; // its code-7 answers follow the Rectangles (may be null)
    std::map<std::string, HostRectangle> rectangles;
};

// Opens the main window at (x, y) with the given outer size, shown. Returns 1
// on success. The host, when not null, answers for its Rectangles. One main
// window serves every test of a program (see host_window.cpp).
int CreateHostWindow(HostWindow* window, FakeHost* host, int x, int y, int width, int height);
// Destroys every Rectangle and lets go of the main window.
void DestroyHostWindow(HostWindow* window);

// A visible child window with a one-pixel border, so its client origin differs
// from its window origin. Replaces the host's answer for the name.
HWND AddRectangle(HostWindow* window, const std::string& name, int x, int y, int width, int height);
HWND RectangleWindow(const HostWindow* window, const std::string& name);
void MoveRectangle(HostWindow* window, const std::string& name, int x, int y);
void ResizeRectangle(HostWindow* window, const std::string& name, int width, int height);
void ShowRectangle(HostWindow* window, const std::string& name, bool show);
// Destroys the Rectangle's window; the host then knows no such object.
void DestroyRectangle(HostWindow* window, const std::string& name);
// Makes a new window for the name with its last geometry.
HWND RecreateRectangle(HostWindow* window, const std::string& name);
void MoveMainWindow(HostWindow* window, int x, int y);
// Answers code 7 for the name with the window handle as signed decimal text.
void PublishObject(FakeHost* host, const std::string& name, HWND window);

// Dispatches every message waiting for this thread.
void PumpMessages();

// Messages received by a Rectangle window's own procedure (the host's side).
int RectangleMessageCount(HWND rectangle);
// The procedure of the Rectangle window class.
WNDPROC RectangleClassProc();

// The visible and hidden overlay windows owned by the window.
std::vector<HWND> OwnedWindows(HWND owner);
// Screen rectangle of the window's client area.
RECT ClientRectOnScreen(HWND window);
