// What a scroll-bar code (WM_HSCROLL/WM_VSCROLL) asks of one axis of a scrolling view: the plane
// box and the list box share it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace WinLayer {

// The bar's track position, read at its full 32 bits (the message carries only 16); 0 when the
// bar cannot be read.
int32_t TrackPosition(HWND window, int bar);
// The position the code asks for, before clamping: a line is step, a page half the visible
// extent; codes above SB_ENDSCROLL keep the current position.
int32_t ScrollTarget(HWND window, int bar, int code, int32_t current, int32_t content, int32_t visible, int32_t step);

}  // namespace WinLayer
