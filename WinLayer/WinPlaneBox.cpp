#include "WinLayer/WinPlaneBox.h"

#include <algorithm>

#include "WinLayer/WinDrawContext.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinLayer/WinRect.h"
#include "WinLayer/WinScrollCodes.h"

namespace WinLayer {

namespace {

constexpr DWORD kPlaneStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
constexpr COLORREF kEmptyFrameColour = 0xCBC0FF;
constexpr COLORREF kFocusColour = 0xFF0000;
constexpr int kWheelNotch = WHEEL_DELTA;
constexpr int kWheelBoost = 3;

// Where small content sits: at the far end (negative position), centred, or at the start.
int32_t AlignedPosition(int32_t content, int32_t visible, bool farEnd, bool centred) {
    if (content >= visible) return 0;
    if (farEnd) return content - visible;
    if (centred) return (content - visible) / 2;
    return 0;
}

int32_t MaxPosition(int32_t content, int32_t visible) { return std::max(0, content - visible); }

// A position asked for by a scroll code or the wheel. Content that fits in the view does not
// scroll: its position keeps the alignment it was given.
int32_t ClampScroll(int32_t wanted, int32_t current, int32_t content, int32_t visible) {
    if (content <= visible) return current;
    return std::clamp(wanted, 0, content - visible);
}

void SetBar(HWND window, int bar, int32_t content, int32_t visible, int32_t position) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = std::max(content - 1, position + visible - 1);
    info.nPage = static_cast<UINT>(visible);
    info.nPos = position;
    SetScrollInfo(window, bar, &info, TRUE);
}

}  // namespace

WinPlaneBox::WinPlaneBox() {
    Property().className = "BUTTON";
    Property().kind = kViewSubclassed;
    Property().style |= kPlaneStyle;
    alignment = static_cast<uint16_t>((alignment & ~(kAlignRight | kAlignCentre | kAlignBottom | kAlignMiddle)) |
                                      kAlignLeft | kAlignTop);
    margins = {2, 2, 2, 2};
}

int32_t WinPlaneBox::VisibleWidth() const { return std::max<int32_t>(0, contentRect.right - contentRect.left); }

int32_t WinPlaneBox::VisibleHeight() const { return std::max<int32_t>(0, contentRect.bottom - contentRect.top); }

LRESULT WinPlaneBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            return OnSize();
        case WM_SETFOCUS:
            planeFlags |= kPlaneFocused;
            Invalidate();
            break;
        case WM_KILLFOCUS:
            planeFlags &= ~kPlaneFocused;
            Invalidate();
            Notify(NotifyFocusLost);
            break;
        case WM_DRAWITEM:
            return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_HSCROLL:
            return OnScroll(SB_HORZ, LOWORD(wParam));
        case WM_VSCROLL:
            return OnScroll(SB_VERT, LOWORD(wParam));
        case WM_MOUSEWHEEL:
            return OnWheel(wParam);
        default:
            break;
    }
    return WinView::HandleMessage(message, wParam, lParam);
}

void WinPlaneBox::Invalidate() {
    if (Window()) InvalidateRect(Window(), nullptr, FALSE);
}

void WinPlaneBox::Notify(int code) { SendNotification(code); }

void WinPlaneBox::ComputeContentRect() {
    RECT client = {};
    if (Window()) GetClientRect(Window(), &client);
    contentRect = Inset(client, margins);
}

LRESULT WinPlaneBox::OnSize() {
    ComputeContentRect();
    scrollY = std::min(scrollY, MaxPosition(contentHeight, VisibleHeight()));
    scrollX = std::min(scrollX, MaxPosition(contentWidth, VisibleWidth()));
    // Measured again at the next use, which also aligns small content to the new size.
    planeFlags |= kPlaneMeasureAgain | kPlaneScrollBarsStale;
    return 0;
}

LRESULT WinPlaneBox::OnScroll(int bar, int code) {
    if (planeFlags & kPlaneMeasureAgain) Remeasure(false);
    if (bar == SB_VERT) {
        const int32_t wanted = ScrollTarget(Window(), bar, code, scrollY, contentHeight, VisibleHeight(), stepY);
        scrollY = ClampScroll(wanted, scrollY, contentHeight, VisibleHeight());
    } else {
        const int32_t wanted = ScrollTarget(Window(), bar, code, scrollX, contentWidth, VisibleWidth(), stepX);
        scrollX = ClampScroll(wanted, scrollX, contentWidth, VisibleWidth());
    }
    planeFlags |= kPlaneScrollBarsStale;
    Invalidate();
    return 0;
}

LRESULT WinPlaneBox::OnWheel(WPARAM wParam) {
    if (planeFlags & kPlaneMeasureAgain) Remeasure(false);
    int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    const WORD keys = GET_KEYSTATE_WPARAM(wParam);
    if (keys & MK_SHIFT) delta *= kWheelBoost;
    if (keys & MK_CONTROL) delta *= kWheelBoost;
    const int32_t wanted = scrollY - delta * stepY / kWheelNotch;
    scrollY = ClampScroll(wanted, scrollY, contentHeight, VisibleHeight());
    planeFlags |= kPlaneScrollBarsStale;
    Invalidate();
    return 1;
}

void WinPlaneBox::Remeasure(bool invalidate) {
    planeFlags &= ~kPlaneMeasureAgain;
    const LentMemoryDC lent;  // put back as it was lent
    const HDC dc = lent.Get();
    SelectedObject font(dc, ResolvedFont().Handle());
    SetTextAlign(dc, 0);
    ComputeContentRect();
    const SIZE size = MeasureContent(dc, contentRect);
    contentWidth = size.cx;
    contentHeight = size.cy;
    const int32_t visibleWidth = VisibleWidth();
    const int32_t visibleHeight = VisibleHeight();
    if (contentHeight < visibleHeight) {
        scrollY = AlignedPosition(contentHeight, visibleHeight, alignment & kAlignBottom, alignment & kAlignMiddle);
    }
    if (contentWidth < visibleWidth) {
        scrollX = AlignedPosition(contentWidth, visibleWidth, alignment & kAlignRight, alignment & kAlignCentre);
    }
    scrollY = std::min(scrollY, MaxPosition(contentHeight, visibleHeight));
    scrollX = std::min(scrollX, MaxPosition(contentWidth, visibleWidth));
    planeFlags |= kPlaneScrollBarsStale;
    OnContentMeasured();
    if (invalidate) Invalidate();
}

void WinPlaneBox::UpdateScrollBars() {
    planeFlags &= ~kPlaneScrollBarsStale;
    if (Window()) {
        const LONG_PTR style = GetWindowLongPtrW(Window(), GWL_STYLE);
        if (style & WS_VSCROLL) SetBar(Window(), SB_VERT, contentHeight, VisibleHeight(), scrollY);
        if (style & WS_HSCROLL) SetBar(Window(), SB_HORZ, contentWidth, VisibleWidth(), scrollX);
    }
    if (scrollX != reportedX || scrollY != reportedY) {
        reportedX = scrollX;
        reportedY = scrollY;
        Notify(NotifyScrolled);
    }
}

LRESULT WinPlaneBox::OnDrawItem(const DRAWITEMSTRUCT* item) {
    if (!item) return 1;
    // Measured first, so that the scroll bars shown with this drawing fit the content drawn.
    if (planeFlags & kPlaneMeasureAgain) Remeasure(false);
    if (planeFlags & kPlaneScrollBarsStale) UpdateScrollBars();
    DrawPlane(item->hDC, item->rcItem);
    return 1;
}

void WinPlaneBox::DrawPlane(HDC target, const RECT& item) {
    const SIZE size = {item.right - item.left, item.bottom - item.top};
    if (size.cx <= 0 || size.cy <= 0) return;
    OffscreenSurface surface(target, item, size);
    if (!surface.IsValid()) return;
    WinDrawContext dc(surface.Get());
    const RECT whole = {0, 0, size.cx, size.cy};
    const COLORREF face = SystemColours().face;
    FillSolid(dc, whole, face);
    const RECT inner = Inset(whole, margins);
    dc.SelectFont(ResolvedFont().Handle());
    SetTextAlign(dc.Get(), 0);
    dc.SetTransparentBackground();
    if (contentWidth == 0 && contentHeight == 0) {
        FrameSolid(dc, inner, kEmptyFrameColour);
    }
    DrawContent(surface, whole, inner, {scrollX, scrollY});
    if (!(planeFlags & kPlaneKeepMargins)) {
        FillSolid(dc, {0, 0, size.cx, inner.top}, face);
        FillSolid(dc, {0, inner.bottom, size.cx, size.cy}, face);
        FillSolid(dc, {0, inner.top, inner.left, inner.bottom}, face);
        FillSolid(dc, {inner.right, inner.top, size.cx, inner.bottom}, face);
    }
    if (planeFlags & kPlaneFocused) FillSolid(dc, {0, 0, size.cx, 1}, kFocusColour);
    surface.Store();
}

}  // namespace WinLayer
