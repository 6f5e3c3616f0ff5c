#include "WinLayer/WinEditBoxDraw.h"

#include <algorithm>

#include "RawLayer/RawCodeUnits.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinLayer/WinPalette.h"

namespace WinLayer {

using RawLayer::RawString;

namespace {

using RawLayer::kLineFeed;
using RawLayer::kReturn;
using RawLayer::kTab;
constexpr UINT kTabMeasureFormat = DT_NOPREFIX | DT_TABSTOP | DT_EXPANDTABS;
constexpr UINT kRunFormat = DT_NOPREFIX | DT_SINGLELINE | DT_NOCLIP | DT_LEFT | DT_TOP;
constexpr COLORREF kSelectionColour = 0xFFD0C0;
constexpr COLORREF kClauseColours[] = {0xE0FFE0, 0xA0FFFF, 0xFFD0C0};  // by display attribute
constexpr COLORREF kImeOpenFrame = 0x80FF80;
constexpr COLORREF kMarkedFrame = 0x4040FF;
constexpr COLORREF kFocusedFrame = 0xFFC0A0;

bool IsLineBreak(uint32_t unit) { return unit == kReturn || unit == kLineFeed; }

}  // namespace

SIZE WinEditBoxDraw::Layout(HDC dc, const RECT& contentRect) {
    tabWidth_ = (state_.editFlags & kEditTabMovesFocus) ? 0 : MeasureTabWidth(dc);
    MeasureWidths(dc);
    const int32_t wrap = state_.wrapWidth > 0 ? state_.wrapWidth : contentRect.right - contentRect.left;
    BuildLines(wrap);
    const int32_t height = state_.Pitch() * LineCount();
    if (state_.IsMultiLine()) return {std::max(wrap, 0), height};
    return {lines_.front().width + 2, height};
}

int32_t WinEditBoxDraw::MeasureTabWidth(HDC dc) const {
    static const RawString kTabText = RawString::FromWide(L"\t", 1);
    RECT rect = {0, 0, 0, 0};
    MeasureTextRange(dc, kTabText, 0, 1, rect, kTabMeasureFormat);
    if (rect.right > rect.left) return rect.right - rect.left;
    // A font or platform that measures no tab still gets tab stops: never a width of 0.
    TEXTMETRICW metrics = {};
    const int32_t average = GetTextMetricsW(dc, &metrics) ? metrics.tmAveCharWidth : 0;
    return std::max(1, average * state_.tabStop);
}

void WinEditBoxDraw::MeasureWidths(HDC dc) {
    const RawString& display = state_.displayText;
    const int32_t length = display.Length();
    widths_.assign(length, 0);
    const WinTextExtent extent = TextExtentWithFit(dc, display, 0, length);
    if (extent.ok && static_cast<int32_t>(extent.extents.size()) == length) {
        for (int32_t i = 0; i < length; ++i) widths_[i] = extent.extents[i] - (i > 0 ? extent.extents[i - 1] : 0);
    }
    int32_t x = 0;
    for (int32_t i = 0; i < length; ++i) {
        const uint32_t unit = display.UnitAt(i);
        if (IsLineBreak(unit)) {
            widths_[i] = 0;
            x = 0;
            continue;
        }
        if (unit == kTab && tabWidth_ > 0) widths_[i] = tabWidth_ - (x % tabWidth_);
        x += widths_[i];
    }
}

// Breaks at CR, LF and CR LF, and (multi-line) before the unit that would pass the wrap width.
// A line always takes at least one unit, so no width can make empty lines without end.
void WinEditBoxDraw::BuildLines(int32_t wrapWidth) {
    const RawString& display = state_.displayText;
    const int32_t length = display.Length();
    lines_.clear();
    if (!state_.IsMultiLine()) {
        lines_.push_back({0, length, SumWidths(0, length)});
        return;
    }
    int32_t start = 0;
    int32_t x = 0;
    for (int32_t i = 0; i < length;) {
        const uint32_t unit = display.UnitAt(i);
        if (IsLineBreak(unit)) {
            const int32_t end = (unit == kReturn && display.UnitAt(i + 1) == kLineFeed) ? i + 2 : i + 1;
            lines_.push_back({start, std::min(end, length), x});
            start = i = std::min(end, length);
            x = 0;
            continue;
        }
        if (i > start && x + widths_[i] > wrapWidth) {
            lines_.push_back({start, i, x});
            start = i;
            x = 0;
            continue;
        }
        x += widths_[i];
        ++i;
    }
    lines_.push_back({start, length, x});
}

int32_t WinEditBoxDraw::UnitWidth(int32_t index) const {
    if (index < 0 || index >= static_cast<int32_t>(widths_.size())) return 0;
    return widths_[index];
}

int32_t WinEditBoxDraw::SumWidths(int32_t first, int32_t end) const {
    int32_t sum = 0;
    for (int32_t i = std::max(first, 0); i < end; ++i) sum += UnitWidth(i);
    return sum;
}

WinEditLine WinEditBoxDraw::Line(int32_t line) const {
    if (lines_.empty()) return {0, 0, 0};
    return lines_[std::clamp<int32_t>(line, 0, LineCount() - 1)];
}

int32_t WinEditBoxDraw::LineOf(int32_t index) const {
    for (int32_t line = 0; line < LineCount(); ++line) {
        if (index >= lines_[line].start && index < lines_[line].end) return line;
    }
    return std::max(LineCount() - 1, 0);
}

int32_t WinEditBoxDraw::XOf(int32_t index) const { return SumWidths(Line(LineOf(index)).start, index); }

int32_t WinEditBoxDraw::IndexAtX(int32_t line, int32_t x) const {
    const WinEditLine record = Line(line);
    const RawString& display = state_.displayText;
    int32_t left = 0;
    int32_t i = record.start;
    for (; i < record.end; ++i) {
        const int32_t width = UnitWidth(i);
        if (IsLineBreak(display.UnitAt(i)) || left + (2 * width) / 3 > x) break;
        left += width;
    }
    return std::min({i, record.end, display.Length()});
}

int32_t WinEditBoxDraw::PointToIndex(POINT client) const {
    const int32_t pitch = std::max(state_.Pitch(), 1);
    const int32_t x = view_.scrollX + client.x - view_.contentRect.left;
    const int32_t y = view_.scrollY + client.y - view_.contentRect.top;
    const int32_t line = state_.IsMultiLine() ? std::max(y, 0) / pitch : 0;
    if (line >= LineCount()) return state_.displayText.Length();
    return IndexAtX(line, x);
}

RECT WinEditBoxDraw::CaretRect(int32_t index, int32_t width) const {
    const int32_t pitch = state_.Pitch();
    const LONG x = XOf(index);
    const LONG y = LineOf(index) * pitch;
    return {x, y, x + width, y + pitch};
}

RECT WinEditBoxDraw::CaretCell(int32_t index, const RECT& contentRect, POINT scroll) const {
    RECT cell = CaretRect(index, 2);
    OffsetRect(&cell, contentRect.left - scroll.x, contentRect.top - scroll.y);
    RECT clipped = {};
    IntersectRect(&clipped, &cell, &contentRect);
    return clipped;
}

RECT WinEditBoxDraw::Cells(int32_t line, int32_t first, int32_t end, const RECT& contentRect, POINT scroll) const {
    const WinEditLine record = Line(line);
    const LONG left = contentRect.left - scroll.x + SumWidths(record.start, first);
    const LONG top = contentRect.top - scroll.y + line * state_.Pitch();
    return {left, top, left + SumWidths(first, end), top + state_.Pitch()};
}

void WinEditBoxDraw::PaintCells(WinDrawContext& dc, int32_t first, int32_t end, COLORREF colour,
                                const RECT& contentRect, POINT scroll) const {
    for (int32_t line = 0; line < LineCount(); ++line) {
        const int32_t from = std::max(first, lines_[line].start);
        const int32_t to = std::min(end, lines_[line].end);
        if (from < to) FillSolid(dc, Cells(line, from, to, contentRect, scroll), colour);
    }
}

void WinEditBoxDraw::PaintComposition(WinDrawContext& dc, const RECT& contentRect, POINT scroll) const {
    for (int32_t i = state_.spanStart; i < state_.spanEnd; ++i) {
        const int32_t offset = i - state_.spanStart;
        const uint8_t attribute = offset < kCompositionRoom ? state_.spanAttributes[offset] : kClauseEven;
        PaintCells(dc, i, i + 1, kClauseColours[std::min<uint8_t>(attribute, kClauseTarget)], contentRect, scroll);
    }
}

COLORREF WinEditBoxDraw::TextColour() const {
    if (state_.textColour != CLR_INVALID) return state_.textColour;
    const HWND window = view_.Window();
    return (!window || IsWindowEnabled(window)) ? SystemColours().windowText : kGreyText;
}

// A line's text in runs between tabs, each at the position its widths give, so that what is
// drawn is where the caret and the selection take it to be.
void WinEditBoxDraw::PaintLine(WinDrawContext& dc, int32_t line, const RECT& contentRect, POINT scroll) {
    const WinEditLine record = Line(line);
    const RawString& display = state_.displayText;
    const LONG top = contentRect.top - scroll.y + line * state_.Pitch() + (state_.lineGap + 1) / 2;
    if (top >= contentRect.bottom || top + state_.Pitch() <= contentRect.top) return;
    LONG x = contentRect.left - scroll.x;
    int32_t run = record.start;
    for (int32_t i = record.start; i <= record.end; ++i) {
        const bool endOfRun = i == record.end || display.UnitAt(i) == kTab || IsLineBreak(display.UnitAt(i));
        if (!endOfRun) continue;
        if (i > run) {
            RECT rect = {x, top, x + SumWidths(run, i), top + state_.lineHeight};
            DrawTextRange(dc.Get(), run, i, rect);
            x += SumWidths(run, i);
        }
        x += UnitWidth(i < record.end ? i : -1);
        run = i + 1;
    }
}

void WinEditBoxDraw::PaintFrame(WinDrawContext& dc, const RECT& item) const {
    const uint16_t flags = state_.editFlags;
    if (!(flags & (kEditImeOpen | kEditMarked)) && !Focused()) return;
    COLORREF colour = state_.background;
    if (flags & kEditImeOpen) {
        colour = kImeOpenFrame;
    } else if (flags & kEditMarked) {
        colour = kMarkedFrame;
    } else if (Focused()) {
        colour = kFocusedFrame;
    }
    FrameSolid(dc, item, colour);
}

void WinEditBoxDraw::Paint(WinDrawContext& dc, const RECT& item, const RECT& contentRect, POINT scroll) {
    {
        ClipScope clip(dc.Get(), contentRect);
        if (Focused()) {
            PaintCells(dc, state_.SelectionStart(), state_.SelectionEnd(), kSelectionColour, contentRect, scroll);
            PaintComposition(dc, contentRect, scroll);
        }
        dc.SetTextColour(TextColour());
        for (int32_t line = 0; line < LineCount(); ++line) PaintLine(dc, line, contentRect, scroll);
        if (Focused() && !(state_.editFlags & kEditCaretHidden)) {
            const RECT caret = CaretCell(state_.caret, contentRect, scroll);
            BitBlt(dc.Get(), caret.left, caret.top, caret.right - caret.left, caret.bottom - caret.top, nullptr, 0, 0,
                   DSTINVERT);
        }
    }
    PaintFrame(dc, item);
}

void WinEditBoxDraw::DrawTextRange(HDC dc, int32_t first, int32_t end, RECT& rect) {
    WinLayer::DrawTextRange(dc, state_.displayText, first, end, rect, kRunFormat);
}

}  // namespace WinLayer
