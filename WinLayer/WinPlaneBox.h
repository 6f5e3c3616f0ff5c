// WinPlaneBox: a scrollable, double-buffered view whose content a subclass measures and draws.
// The box keeps the content size, the scroll positions and the scroll bars; it draws when its
// dialog forwards WM_DRAWITEM, through an off-screen surface made and freed for each drawing.
#pragma once

#include <windows.h>

#include <cstdint>

#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinNotifyCodes.h"
#include "WinLayer/WinView.h"

namespace WinLayer {

// Plane flags.
constexpr uint16_t kPlaneFocused = 0x0001;
constexpr uint16_t kPlaneMeasureAgain = 0x0002;
constexpr uint16_t kPlaneScrollBarsStale = 0x0004;
constexpr uint16_t kPlaneKeepMargins = 0x0010;  // the margin strips are not repainted after the content

class WinPlaneBox : public WinView {
public:
    WinPlaneBox();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The size of the content, measured on dc (the box's font selected, text alignment 0)
    // for the given content rectangle.
    virtual SIZE MeasureContent(HDC dc, const RECT& contentRect) = 0;
    // Draws the content into the surface, whose context has the font selected, text alignment
    // 0 and a transparent background. itemRect is the whole surface, contentRect the part
    // inside the margins; the content's point (scroll.x, scroll.y) goes to contentRect's
    // top-left corner (negative positions move small content right or down).
    virtual void DrawContent(OffscreenSurface& surface, const RECT& itemRect, const RECT& contentRect,
                             POINT scroll) = 0;
    virtual void OnContentMeasured() {}

    // Measures the content again and aligns or clamps the scroll positions; the subclass calls
    // it whenever its content changed.
    void Remeasure(bool invalidate);
    // Brings the scroll bars in line with the content and positions, and reports changed
    // positions with NotifyScrolled.
    void UpdateScrollBars();

    int32_t VisibleWidth() const;
    int32_t VisibleHeight() const;

    uint16_t planeFlags = kPlaneMeasureAgain;
    RECT contentRect = {};  // client rectangle minus the margins
    int32_t contentWidth = 0;
    int32_t contentHeight = 0;
    int32_t stepX = 10;  // pixels per line
    int32_t stepY = 10;
    int32_t scrollX = 0;  // content point at the content rectangle's left edge
    int32_t scrollY = 0;
    int32_t reportedX = -1;  // positions at the last NotifyScrolled
    int32_t reportedY = -1;

private:
    void Invalidate();
    void Notify(int code);
    void ComputeContentRect();
    LRESULT OnSize();
    LRESULT OnScroll(int bar, int code);
    LRESULT OnWheel(WPARAM wParam);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT* item);
    void DrawPlane(HDC target, const RECT& item);
};

}  // namespace WinLayer
