#include "WinLayer/WinDrawing.h"

#include <algorithm>

#include "WinLayer/WinCalls.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinView.h"

namespace WinLayer {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A solid pen and brush of one colour, selected for one scope.
class SolidTools {
public:
    SolidTools(HDC dc, COLORREF colour)
        : pen_(CreatePen(PS_SOLID, 1, colour)),
          brush_(CreateSolidBrush(colour)),
          penSelection_(dc, pen_.Get()),
          brushSelection_(dc, brush_.Get()) {}
    bool IsValid() const { return pen_ && brush_; }
    HBRUSH Brush() const { return brush_.Get(); }

private:
    OwnedPen pen_;
    OwnedBrush brush_;
    SelectedObject penSelection_;
    SelectedObject brushSelection_;
};

void FillBox(HDC dc, LONG left, LONG top, LONG right, LONG bottom, HBRUSH brush) {
    if (right <= left || bottom <= top) return;
    RECT box = {left, top, right, bottom};
    FillRect(dc, &box, brush);
}

// One band [top, bottom) of a two-tone fill with its two corners, each a quarter pie and the
// rectangle beside it. A corner of radius r is a quarter pie in the 2r x 2r box at the corner:
// one pixel smaller than the outline's arc, so that no fill shows outside the outline.
// upperCorners: the corners sit at the band's top.
void FillBand(HDC dc, const RECT& rect, LONG top, LONG bottom, int leftRadius, int rightRadius, bool upperCorners,
              COLORREF colour) {
    if (bottom <= top) return;
    SolidTools tools(dc, colour);
    if (!tools.IsValid()) return;
    const LONG limit = std::min(bottom - top, (rect.right - rect.left) / 2) - 1;
    const LONG rl = std::clamp<LONG>(leftRadius, 0, std::max<LONG>(limit, 0));
    const LONG rr = std::clamp<LONG>(rightRadius, 0, std::max<LONG>(limit, 0));
    const LONG l = rect.left;
    const LONG r = rect.right;
    FillBox(dc, l + rl, top, r - rr, bottom, tools.Brush());
    if (upperCorners) {
        FillBox(dc, l, top + rl, l + rl, bottom, tools.Brush());
        FillBox(dc, r - rr, top + rr, r, bottom, tools.Brush());
        if (rl > 0) Pie(dc, l, top, l + 2 * rl, top + 2 * rl, l + rl, top, l, top + rl);
        if (rr > 0) Pie(dc, r - 2 * rr, top, r, top + 2 * rr, r, top + rr, r - rr, top);
    } else {
        FillBox(dc, l, top, l + rl, bottom - rl, tools.Brush());
        FillBox(dc, r - rr, top, r, bottom - rr, tools.Brush());
        if (rl > 0) Pie(dc, l, bottom - 2 * rl, l + 2 * rl, bottom, l, bottom - rl, l + rl, bottom);
        if (rr > 0) Pie(dc, r - 2 * rr, bottom - 2 * rr, r, bottom, r - rr, bottom, r, bottom - rr);
    }
}

// A horizontal or vertical line from (x0, y0) to (x1, y1) with both ends drawn (LineTo leaves
// out its last pixel).
void DrawLine(HDC dc, LONG x0, LONG y0, LONG x1, LONG y1) {
    const LONG dx = x1 > x0 ? 1 : x1 < x0 ? -1 : 0;
    const LONG dy = y1 > y0 ? 1 : y1 < y0 ? -1 : 0;
    MoveToEx(dc, x0, y0, nullptr);
    if (dx == 0 && dy == 0) {
        LineTo(dc, x0 + 1, y0);
    } else {
        LineTo(dc, x1 + dx, y1 + dy);
    }
}

}  // namespace

const WinSystemColours& SystemColours() {
    static const WinSystemColours colours = {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOWTEXT)};
    return colours;
}

void FillSolid(WinDrawContext& dc, const RECT& rect, COLORREF colour) {
    OwnedBrush brush(CreateSolidBrush(colour));
    if (brush && dc.Get()) FillRect(dc.Get(), &rect, brush.Get());
}

void FrameSolid(WinDrawContext& dc, const RECT& rect, COLORREF colour) {
    OwnedBrush brush(CreateSolidBrush(colour));
    if (brush && dc.Get()) FrameRect(dc.Get(), &rect, brush.Get());
}

void FillTwoTone(WinDrawContext& dc, const RECT& rect, const CornerRadii& radii, COLORREF upper, COLORREF lower) {
    if (!dc.Get() || rect.right <= rect.left || rect.bottom <= rect.top) return;
    const LONG middle = rect.top + (rect.bottom - rect.top) / 2;
    FillBand(dc.Get(), rect, rect.top, middle, radii.topLeft, radii.topRight, true, upper);
    FillBand(dc.Get(), rect, middle, rect.bottom, radii.bottomLeft, radii.bottomRight, false, lower);
}

void OutlineBevel(WinDrawContext& dc, const RECT& rect, const CornerRadii& radii, COLORREF topLeft,
                  COLORREF bottomRight) {
    HDC hdc = dc.Get();
    if (!hdc || rect.right - rect.left < 2 || rect.bottom - rect.top < 2) return;
    // Edge pixels: columns l and r, rows t and b. A corner of radius n is an arc in the
    // (2n + 1)-pixel square at the corner; the edges stop where the arcs meet them.
    const LONG l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
    const LONG tl = radii.topLeft, bl = radii.bottomLeft, tr = radii.topRight, br = radii.bottomRight;
    POINT saved;
    MoveToEx(hdc, l, t, &saved);
    {
        OwnedPen pen(CreatePen(PS_SOLID, 1, topLeft));
        SelectedObject selection(hdc, pen.Get());
        if (pen) {
            DrawLine(hdc, r - tr, t, l + tl, t);
            if (tl > 0) Arc(hdc, l, t, l + 2 * tl + 1, t + 2 * tl + 1, l + tl, t, l, t + tl);
            DrawLine(hdc, l, t + tl, l, b - bl);
            if (bl > 0) Arc(hdc, l, b - 2 * bl, l + 2 * bl + 1, b + 1, l, b - bl, l + bl, b);
        }
    }
    {
        OwnedPen pen(CreatePen(PS_SOLID, 1, bottomRight));
        SelectedObject selection(hdc, pen.Get());
        if (pen) {
            DrawLine(hdc, l + bl, b, r - br, b);
            if (br > 0) Arc(hdc, r - 2 * br, b - 2 * br, r + 1, b + 1, r - br, b, r, b - br);
            // Up to the row below the top-right corner, which is drawn in the top-left colour.
            if (b - br > t + tr) DrawLine(hdc, r, b - br, r, t + tr + 1);
        }
    }
    if (tr > 0) {
        OwnedPen pen(CreatePen(PS_SOLID, 1, topLeft));
        SelectedObject selection(hdc, pen.Get());
        if (pen) Arc(hdc, r - 2 * tr, t, r + 1, t + 2 * tr + 1, r, t + tr, r - tr, t);
    }
    MoveToEx(hdc, saved.x, saved.y, nullptr);
}

void WhiteEllipse(WinDrawContext& dc, const RECT& rect) {
    if (!dc.Get()) return;
    SolidTools tools(dc.Get(), kWhite);
    if (tools.IsValid()) Ellipse(dc.Get(), rect.left, rect.top, rect.right, rect.bottom);
}

UINT AlignedTextFormat(uint16_t alignment) {
    UINT format = (alignment & kAlignLeft) ? DT_LEFT : (alignment & kAlignRight) ? DT_RIGHT : DT_CENTER;
    return format | ((alignment & kAlignMultiLine) ? (DT_EDITCONTROL | DT_NOPREFIX | DT_WORDBREAK) : DT_NOPREFIX);
}

RECT PlaceTextVertically(HDC dc, const RawLayer::RawString& text, RECT inner, uint16_t alignment, LONG textHeight,
                         UINT format) {
    LONG height = textHeight;
    if (height <= 0) {
        RECT measured = {0, 0, inner.right - inner.left, 0};
        MeasureTextRange(dc, text, 0, text.Length(), measured, format);
        height = measured.bottom - measured.top;
    }
    const LONG space = inner.bottom - inner.top;
    if (height >= space || (alignment & kAlignTop)) return inner;
    inner.top = (alignment & kAlignBottom) ? inner.bottom - height : inner.top + (space - height) / 2;
    return inner;
}

// ---- LentMemoryDC, OffscreenSurface ----

LentMemoryDC::LentMemoryDC() : dc_(Environment().LendMemoryContext()) {}

LentMemoryDC::~LentMemoryDC() { Environment().TakeBackMemoryContext(dc_); }

namespace {

HBITMAP MakeBitmap(HDC target, SIZE size) {
    if (!target || size.cx <= 0 || size.cy <= 0) return nullptr;
    return CreateCompatibleBitmap(target, size.cx, size.cy);
}

// BitBlt when the sizes match, else StretchBlt with halftoning; the destination's stretch mode
// is put back afterwards.
bool Copy(HDC to, const RECT& toRect, HDC from, const RECT& fromRect) {
    const int toWidth = toRect.right - toRect.left, toHeight = toRect.bottom - toRect.top;
    const int fromWidth = fromRect.right - fromRect.left, fromHeight = fromRect.bottom - fromRect.top;
    if (toWidth == fromWidth && toHeight == fromHeight) {
        return BitBlt(to, toRect.left, toRect.top, toWidth, toHeight, from, fromRect.left, fromRect.top, SRCCOPY) !=
               FALSE;
    }
    int previousMode = SetStretchBltMode(to, HALFTONE);
    POINT previousOrigin;
    SetBrushOrgEx(to, 0, 0, &previousOrigin);  // HALFTONE wants the brush origin set after it
    bool copied = StretchBlt(to, toRect.left, toRect.top, toWidth, toHeight, from, fromRect.left, fromRect.top,
                             fromWidth, fromHeight, SRCCOPY) != FALSE;
    SetBrushOrgEx(to, previousOrigin.x, previousOrigin.y, nullptr);
    if (previousMode) SetStretchBltMode(to, previousMode);
    return copied;
}

}  // namespace

OffscreenSurface::OffscreenSurface(HDC target, const RECT& targetRect, SIZE bitmapSize)
    : target_(target),
      targetRect_(targetRect),
      size_(bitmapSize),
      bitmap_(memory_.Get() ? MakeBitmap(target, bitmapSize) : nullptr),
      selection_(memory_.Get(), bitmap_.Get()) {}

bool OffscreenSurface::Load() {
    if (!IsValid()) return false;
    return Copy(memory_.Get(), {0, 0, size_.cx, size_.cy}, target_, targetRect_);
}

bool OffscreenSurface::Store() {
    if (!IsValid()) return false;
    return Copy(target_, targetRect_, memory_.Get(), {0, 0, size_.cx, size_.cy});
}

}  // namespace WinLayer
