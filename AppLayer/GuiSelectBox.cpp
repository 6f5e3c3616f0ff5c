#include "AppLayer/GuiSelectBox.h"

#include <cstdio>

#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDrawing.h"

using RawLayer::RawListNode;
using RawLayer::RawString;
using WinLayer::WinDrawContext;
using WinLayer::WinListBoxItemState;
using WinLayer::WinListBoxItemUnit;

namespace AppLayer {

namespace {

constexpr UINT kItemTextFormat = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX;
constexpr LONG kItemTextInset = 2;
constexpr LONG kItemExtraHeight = 2;

RawString NumberText(int32_t number, int32_t digits) {
    char text[24] = {};
    std::snprintf(text, sizeof(text), "%0*ld", static_cast<int>(digits), static_cast<long>(number));
    return RawString(text);
}

}  // namespace

GuiSelectBox::GuiSelectBox() { Property().exStyle |= WS_EX_STATICEDGE; }

GuiSelectBox::~GuiSelectBox() { RemoveAll(); }

void GuiSelectBox::SetRange(int32_t minimum, int32_t end, int32_t current, int32_t digits) {
    minimum_ = minimum;
    end_ = end;
    initial_ = current_ = current;
    digits_ = digits;
}

void GuiSelectBox::RemoveAll() {
    Clear();  // the items first: they point into the texts
    texts_.RemoveAll();
}

void GuiSelectBox::Fill() {
    RemoveAll();
    for (int32_t number = minimum_; number < end_; ++number) {
        RawListNode* node = texts_.Add(NumberText(number, digits_));
        AddElement(*static_cast<const RawString*>(node->element));
    }
    // A number outside the range has no row to stand on: no cursor, the top in view.
    if (current_ >= minimum_ && current_ < end_) {
        SetCursor(current_ - minimum_);
        CentreCursor();
    }
    Invalidate();
}

void GuiSelectBox::CentreCursor() {
    Prepare();
    RECT row;
    if (!IsItem(list.cursorIndex) || !RowRect(list.cursorIndex, row)) return;
    // RowRect is in surface coordinates; the row's centre in content coordinates.
    const int32_t rowCentre = (row.top + row.bottom) / 2 - list.contentRect.top + list.scrollY;
    ScrollTo(list.scrollX, rowCentre - list.visibleHeight / 2);  // clamped to the list's range
}

void GuiSelectBox::MeasureText(RECT& rect) const {
    WinListBoxR<RawString>::MeasureText(rect);
    rect.right += 2 * kItemTextInset;
}

LRESULT GuiSelectBox::OnCommand(int code) {
    if (code == WinLayer::NotifySelection) {
        if (IsItem(list.cursorIndex)) {
            // The rows hold the range in order, so a row's number follows from its index.
            current_ = minimum_ + list.cursorIndex;
            CentreCursor();
        } else {
            current_ = initial_;
        }
    }
    return WinListBoxR<RawString>::OnCommand(code);
}

void GuiSelectBox::DrawItem(WinDrawContext& dc, WinListBoxItemUnit& item, int32_t, const RECT& rect,
                            const WinListBoxItemState& state) {
    COLORREF background = state.disabled ? WinLayer::SystemColours().face : BackgroundColour();
    if (state.selected && !(list.flags & WinLayer::kListNoSpecialRow)) {
        background = state.focused ? kSelectedFocused : kSelectedUnfocused;
    }
    FillArea(dc, rect, background);
    dc.SetTransparentBackground();
    dc.SelectFont(ResolvedFont().Handle());
    dc.SetTextColour(WinLayer::SystemColours().windowText);
    RECT textRect = {rect.left + kItemTextInset, rect.top, rect.right - kItemTextInset, rect.bottom};
    const RawString& text = ElementOf(item);
    WinLayer::DrawTextRange(dc.Get(), text, 0, text.Length(), textRect, kItemTextFormat);
}

SIZE GuiSelectBox::MeasureItem(HDC dc, WinListBoxItemUnit&, int32_t, int32_t width) {
    static const RawString sample("A");
    RECT rect = {0, 0, width, 0};
    WinLayer::MeasureTextRange(dc, sample, 0, sample.Length(), rect, DT_SINGLELINE | DT_NOPREFIX);
    return {width, rect.bottom - rect.top + kItemExtraHeight};
}

}  // namespace AppLayer
