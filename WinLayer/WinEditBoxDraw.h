// WinEditBoxDraw: the layout and the drawing of an edit box's display text: per-unit widths,
// the line table, the mapping between points and text positions, and the painting of
// selection, composition, text, caret and frame. It belongs to the box it draws: the view and
// the state it refers to are that box's own and outlive it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "WinLayer/WinDrawContext.h"
#include "WinLayer/WinEditBoxBasic.h"
#include "WinLayer/WinPlaneBox.h"

namespace WinLayer {

// One line of the layout: units [start, end), end past its line break; width without the break.
struct WinEditLine {
    int32_t start;
    int32_t end;
    int32_t width;
};

// What a drawer of the box sees: the view and its edit state.
class WinEditBoxInfo {
public:
    // Draws runs of the display text; a box may draw its text its own way.
    class Drawer {
    public:
        virtual ~Drawer() = default;
        // The units [first, end) of the display text with their top-left corner at rect's.
        virtual void DrawTextRange(HDC dc, int32_t first, int32_t end, RECT& rect) = 0;
    };

    WinEditBoxInfo(WinPlaneBox& view, WinEditBoxBasic& state) : view_(view), state_(state) {}

protected:
    WinPlaneBox& view_;
    WinEditBoxBasic& state_;
};

class WinEditBoxDraw : public WinEditBoxInfo::Drawer, public WinEditBoxInfo {
public:
    using WinEditBoxInfo::WinEditBoxInfo;

    // Widths and lines of the display text for the content rectangle; the content size.
    SIZE Layout(HDC dc, const RECT& contentRect);

    int32_t LineCount() const { return static_cast<int32_t>(lines_.size()); }
    // The line at index, clamped to the table (an empty layout has one empty line).
    WinEditLine Line(int32_t line) const;
    // The first line that holds index, else the last line.
    int32_t LineOf(int32_t index) const;
    // Pixels from the start of index's line to index.
    int32_t XOf(int32_t index) const;
    // The position in line whose unit is not passed by x (pixels from the line start): a unit
    // is passed once x reaches two thirds into it. Never past the line's text.
    int32_t IndexAtX(int32_t line, int32_t x) const;
    // The position under a client point; the text length below the last line.
    int32_t PointToIndex(POINT client) const;
    // The caret cell of index in content coordinates.
    RECT CaretRect(int32_t index, int32_t width) const;
    // The caret cell of index in client coordinates, clipped to the content rectangle.
    RECT CaretCell(int32_t index, const RECT& contentRect, POINT scroll) const;
    int32_t UnitWidth(int32_t index) const;

    // Selection and composition cells, text, caret and frame onto the box's surface.
    void Paint(WinDrawContext& dc, const RECT& item, const RECT& contentRect, POINT scroll);

    void DrawTextRange(HDC dc, int32_t first, int32_t end, RECT& rect) override;

private:
    int32_t MeasureTabWidth(HDC dc) const;
    void MeasureWidths(HDC dc);
    void BuildLines(int32_t wrapWidth);
    int32_t SumWidths(int32_t first, int32_t end) const;
    RECT Cells(int32_t line, int32_t first, int32_t end, const RECT& contentRect, POINT scroll) const;
    void PaintCells(WinDrawContext& dc, int32_t first, int32_t end, COLORREF colour, const RECT& contentRect,
                    POINT scroll) const;
    void PaintComposition(WinDrawContext& dc, const RECT& contentRect, POINT scroll) const;
    void PaintLine(WinDrawContext& dc, int32_t line, const RECT& contentRect, POINT scroll);
    void PaintFrame(WinDrawContext& dc, const RECT& item) const;
    COLORREF TextColour() const;
    bool Focused() const { return (view_.planeFlags & kPlaneFocused) != 0; }

    int32_t tabWidth_ = 0;
    std::vector<int32_t> widths_;     // per unit of the display text
    std::vector<WinEditLine> lines_;  // never empty after Layout
};

}  // namespace WinLayer
