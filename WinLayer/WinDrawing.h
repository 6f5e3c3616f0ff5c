// The drawing primitives that the self-drawn controls share: solid fills, rounded two-tone
// fills, bevel outlines, the white highlight and the off-screen surface. Each primitive makes
// its pens and brushes for one call and deletes them before it returns, and leaves the
// context's selections as it found them; a pen or brush that cannot be made leaves its part of
// the drawing out. Clipping to a rectangle: ClipScope (WinGdiObjects.h). Text over a range of
// a string: DrawTextRange / MeasureTextRange (WinCalls.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawString.h"
#include "WinLayer/WinDrawContext.h"
#include "WinLayer/WinGdiObjects.h"

namespace WinLayer {

// The system colours the controls draw with, read at first use and kept for the life of the
// process: a later change of the system colours is not picked up.
struct WinSystemColours {
    COLORREF face;        // COLOR_BTNFACE
    COLORREF windowText;  // COLOR_WINDOWTEXT
};
const WinSystemColours& SystemColours();

// Corner radii in pixels, 0 for a square corner.
struct CornerRadii {
    int topLeft = 0;
    int bottomLeft = 0;
    int topRight = 0;
    int bottomRight = 0;
};

void FillSolid(WinDrawContext& dc, const RECT& rect, COLORREF colour);
// A one-pixel frame just inside rect.
void FrameSolid(WinDrawContext& dc, const RECT& rect, COLORREF colour);

// The upper half of rect (rounded down) in upper, the rest in lower; a corner with a radius is
// a quarter disc, so the pixels outside its arc are left as they were.
void FillTwoTone(WinDrawContext& dc, const RECT& rect, const CornerRadii& radii, COLORREF upper, COLORREF lower);

// A one-pixel outline just inside rect: the top and left edges in topLeft, the bottom and right
// edges in bottomRight, round corners as arcs.
void OutlineBevel(WinDrawContext& dc, const RECT& rect, const CornerRadii& radii, COLORREF topLeft,
                  COLORREF bottomRight);

// An ellipse filled and outlined in white.
void WhiteEllipse(WinDrawContext& dc, const RECT& rect);

// The DrawText format of a control's text: DT_LEFT, DT_RIGHT or DT_CENTER by the horizontal
// alignment flags, word-wrapped for the multi-line flag, never with prefix characters.
UINT AlignedTextFormat(uint16_t alignment);
// inner with its top moved so that a text of textHeight sits as the vertical alignment flags say
// (top, bottom, else centred). A text not fitted yet (height 0) is measured with format first.
RECT PlaceTextVertically(HDC dc, const RawLayer::RawString& text, RECT inner, uint16_t alignment, LONG textHeight,
                         UINT format);

// A memory context lent by the environment (WinEnvironment::LendMemoryContext) for the life of
// the object, given back in the state it was lent in.
class LentMemoryDC {
public:
    LentMemoryDC();
    ~LentMemoryDC();
    LentMemoryDC(const LentMemoryDC&) = delete;
    LentMemoryDC& operator=(const LentMemoryDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// A memory context with a bitmap of its own size for drawing off screen, then copying to a
// rectangle of the target context (stretched with halftoning when the sizes differ). The
// surface owns its bitmap and borrows its context; the target context must outlive it.
class OffscreenSurface {
public:
    OffscreenSurface(HDC target, const RECT& targetRect, SIZE bitmapSize);
    ~OffscreenSurface() = default;
    OffscreenSurface(const OffscreenSurface&) = delete;
    OffscreenSurface& operator=(const OffscreenSurface&) = delete;

    // False when the context or the bitmap could not be made; the surface then draws nothing.
    bool IsValid() const { return bitmap_ && memory_.Get() != nullptr; }
    HDC Get() const { return memory_.Get(); }
    SIZE Size() const { return size_; }

    // The target rectangle into the whole bitmap.
    bool Load();
    // The whole bitmap into the target rectangle.
    bool Store();

private:
    HDC target_;
    RECT targetRect_;
    SIZE size_;
    LentMemoryDC memory_;
    OwnedBitmap bitmap_;
    SelectedObject selection_;  // after bitmap_: put back before the bitmap is deleted
};

}  // namespace WinLayer
