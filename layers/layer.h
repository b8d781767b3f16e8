// The Layer record and the module-wide tables every part of the layers
// subsystem shares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "svg/records/document.h"

#include <windows.h>

enum LayoutMode { LayoutFit = 0, LayoutStretch = 1, LayoutOriginal = 2 };

// One record per rectangle, owned by the LayerRegistry. Added all-zero.
struct Layer {
    HWND hostWindow;
    HWND overlayWindow;
    SvgDocument document;
    int layoutMode;
    int marginTop, marginRight, marginBottom, marginLeft;
    int opacity; // 0..255
    int tintRed, tintGreen, tintBlue;
    int tintStrength; // 0 = no tint
    float rotation;   // degrees, clockwise on screen
    HBITMAP bitmap;
    uint32_t* pixels; // bitmapWidth x bitmapHeight words, premultiplied after a render
    int bitmapWidth, bitmapHeight;
    int lastClientWidth, lastClientHeight;
    int renderPending;       // the client size changed; the render waits for the message loop
    DWORD renderRequestedAt; // GetTickCount when the pending render was asked for
    int visible;
    WNDPROC savedWindowProc;
    unsigned serial; // tells a Layer from a later one under the same key
};
