// A Layer's picture on screen: its bitmap (a 32-bit top-down DIB section the
// size of the Rectangle's client area), the overlay window that shows it over
// the Rectangle, and the window procedure that lets the overlay follow the
// Rectangle's window.
#pragma once

#include <cstdint>

#include "layers/layer.h"

// A width x height 32-bit top-down DIB section, all pixels 0. Returns the
// bitmap (0 on failure) and its pixels (null unless both were obtained).
HBITMAP CreateLayerBitmap(int width, int height, uint32_t** pixels);
// Deletes the Layer's bitmap, if any, and clears the bitmap fields.
void ReleaseLayerBitmap(Layer* layer);
// Re-renders the Layer at the host window's client size (at least 1 x 1),
// making the bitmap again only when that size changed. Returns 0 when
// memory ran out before anything could be shown: the bitmap could not be
// made, or GDI+ could draw none of the drawing.
int UpdateLayerBitmap(Layer* layer);
// How many times UpdateLayerBitmap has rendered a Layer since the module was
// loaded (benchmarks and tests count renders with it).
int LayerRenderCount();
// Shows the bitmap over the host's client area, or hides the overlay when the
// Layer should not be seen (hidden, host window invisible, opacity 0, paused).
void PresentLayer(Layer* layer);
// UpdateLayerBitmap, then PresentLayer; returns what the update returned.
int RenderAndPresentLayer(Layer* layer);
// Moves a shown overlay to the host's client origin without touching its
// content; does nothing while the Layer is hidden or the overlays are paused.
void RepositionOverlay(Layer* layer);
// Clips the overlay at (x, y) on screen to the host's top-level window.
void ClipOverlay(Layer* layer, int x, int y);
// Hides the overlay window when the Layer has one that still exists.
void HideOverlay(Layer* layer);
// Hides the overlay window of every Layer; nothing else changes.
void HideAllOverlays();
// Follows a change of the host window: a new client size re-renders and
// presents the Layer, an unchanged one only re-positions a visible overlay.
// A render of which nothing could be drawn for want of memory writes
// "Out of memory." to the last-error variable (here and in
// RenderPendingLayer).
void RelayoutLayer(Layer* layer);

// Follows a move or size change the host window's procedure reports. A new
// client size is rendered once the message loop runs again, however many
// size changes arrive before that; meanwhile the old picture stays at the
// client origin, unscaled and cut to the client area. When the request for
// the render cannot be posted, the Layer renders at once.
void FollowHostWindowChange(Layer* layer);
// Whether a message to a host window is the module's request for a render.
int IsRenderRequest(UINT message);
// Serves a render request: renders and presents the window's Layer if it
// still waits for one (a Layer destroyed or rendered meanwhile does not).
void RenderPendingLayer(HWND window);

// Installed on every host Rectangle window that carries a Layer.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
