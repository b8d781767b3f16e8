// The Layer operations that actions run: creating or updating a Layer and the
// actions on an existing one. Operations that can fail return 1 or 0 and then
// have written one message to the host's last-error variable. One that
// renders the Layer fails with "<operation> - Out of memory." when GDI+ had
// not the memory to draw any of its drawing; the Layer stays, showing
// nothing until a later render draws.
#pragma once

#include <string>

#include "layers/layer.h"

int LayerCreate(const std::wstring& rectName, const std::wstring& svgFile, int layoutMode,
                int opacity, const std::wstring& tint, const std::wstring& margins);
// A name without a Layer is ignored silently.
void LayerDestroy(const std::wstring& name);
int LayerShowHide(const std::wstring& name, int show);
int LayerSetOpacity(const std::wstring& name, int opacity);
int LayerSetTint(const std::wstring& name, const std::wstring& preset, int red, int green, int blue,
                 int strength);
int LayerSetRotation(const std::wstring& name, float degrees);
// Hides (1) every overlay or presents every visible Layer again (0). Returns 1.
int OverlayPause(int pause);

// Forgets the Layer's windows and bitmap (the fields become 0, visible too)
// and destroys its overlay window; whoever calls it has taken care of the
// host window's procedure and of the bitmap.
void DetachLayerWindows(Layer* layer);
// Takes HostWindowProc out of the host window's chain (see subclass.h) and destroys the overlay,
// the drawing and the bitmap of a Layer; the registry entry stays for the caller.
void ReleaseLayerResources(Layer* layer);
