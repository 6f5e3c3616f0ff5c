#include "WinLayer/WinListBox.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinLayer/WinRect.h"
#include "WinLayer/WinScrollCodes.h"

namespace WinLayer {

namespace {

using Rows = std::vector<WinListBoxItemUnit*>;

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | BS_OWNERDRAW;
constexpr int kWheelLines = 3;      // lines per wheel notch
constexpr int kWheelBoost = 3;      // with Shift
constexpr LONG kMinZoomHeight = 6;  // the smallest magnitude Ctrl+wheel gives a font height

bool KeyDown(int key) { return GetKeyState(key) < 0; }

bool IsCursorKey(WPARAM key) {
    return key == VK_PRIOR || key == VK_NEXT || key == VK_HOME || key == VK_END || key == VK_UP || key == VK_DOWN;
}

// Index of the last row whose top is at or above y; -1 when none.
int32_t LastRowStartingAtOrAbove(const Rows& rows, int32_t y) {
    auto it = std::upper_bound(rows.begin(), rows.end(), y,
                               [](int32_t value, const WinListBoxItemUnit* item) { return value < item->rect.top; });
    return static_cast<int32_t>(it - rows.begin()) - 1;
}

// Index of the first row whose top is at or below y; the row count when none.
int32_t FirstRowStartingAtOrBelow(const Rows& rows, int32_t y) {
    auto it = std::lower_bound(rows.begin(), rows.end(), y,
                               [](const WinListBoxItemUnit* item, int32_t value) { return item->rect.top < value; });
    return static_cast<int32_t>(it - rows.begin());
}

int32_t MaxPosition(int32_t content, int32_t visible) { return std::max(0, content - visible); }

// Sets a scroll bar unless it already shows these values; last keeps what it was given.
void SetBar(HWND window, int bar, int32_t content, int32_t visible, int32_t position, SCROLLINFO& last) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = std::max(content - 1, position + visible - 1);
    info.nPage = static_cast<UINT>(std::max(0, visible));
    info.nPos = position;
    if (last.cbSize == info.cbSize && last.nMax == info.nMax && last.nPage == info.nPage && last.nPos == info.nPos) {
        return;
    }
    last = info;
    SetScrollInfo(window, bar, &info, TRUE);
}

void FrameClipped(WinDrawContext& dc, const RECT& rect, const RECT& clip, COLORREF colour) {
    ClipScope scope(dc.Get(), clip);
    FrameSolid(dc, rect, colour);
}

}  // namespace

// ---- WinListBoxDraw defaults ----

void WinListBoxDraw::FillArea(WinDrawContext& dc, const RECT& rect, COLORREF colour) { FillSolid(dc, rect, colour); }

void WinListBoxDraw::DrawFocusMark(WinDrawContext& dc, const RECT& whole) {
    FillSolid(dc, {whole.left, whole.top, whole.right, whole.top + 1}, kListFocusMark);
}

// ---- construction, items ----

WinListBox::WinListBox() {
    Property().className = "BUTTON";
    Property().kind = kViewSubclassed;
    Property().style |= kListStyle;
    alignment = static_cast<uint16_t>((alignment & ~(kAlignRight | kAlignCentre | kAlignBottom | kAlignMiddle)) |
                                      kAlignLeft | kAlignTop);
    margins = {1, 1, 1, 1};
}

COLORREF WinListBox::BackgroundColour() {
    static const COLORREF colour = GetSysColor(COLOR_WINDOW);
    return colour;
}

WinListBoxItemUnit* WinListBox::Add(const void* element) {
    list.remeasure = true;
    return list.items.AddElement(element);
}

void WinListBox::Clear() {
    rows_.clear();  // before the items go: it points at them
    list.items.RemoveAll();
    measuredCount_ = 0;
    list.cursorIndex = list.anchorIndex = list.targetIndex = kNoCursor;
    list.contentWidth = list.contentHeight = 0;
    list.scrollX = list.scrollY = 0;
    list.remeasure = true;
    Invalidate();
}

WinListBoxItemUnit* WinListBox::Item(int32_t index) {
    Prepare();
    return IsItem(index) ? rows_[static_cast<size_t>(index)] : nullptr;
}

bool WinListBox::IsUsable(int32_t index) const {
    if (!IsItem(index)) return false;
    const WinListBoxItemUnit& item = *rows_[static_cast<size_t>(index)];
    return !item.IsHidden() && item.rect.bottom > item.rect.top;
}

bool WinListBox::HasHeaderRow() const {
    return !(list.flags & (kListNoHeaderRow | kListNoHeaderLayout)) && list.headerRect.bottom > list.headerRect.top;
}

bool WinListBox::HasSpecialRow() const {
    return !(list.flags & kListNoSpecialRow) && list.specialRect.bottom > list.specialRect.top;
}

// ---- layout ----

SIZE WinListBox::LayoutSize() const {
    RECT client = {};
    if (Window()) GetClientRect(Window(), &client);
    SIZE size = {client.right - client.left, client.bottom - client.top};
    if (list.zoomWidth > 0 && size.cx > 0) size = {list.zoomWidth, MulDiv(size.cy, list.zoomWidth, size.cx)};
    return size;
}

void WinListBox::ComputeContentRect(HDC dc) {
    const SIZE size = LayoutSize();
    const RECT inner = Inset({0, 0, size.cx, size.cy}, margins);
    const int32_t width = std::max<int32_t>(0, inner.right - inner.left);
    int32_t header = 0;
    if (!(list.flags & (kListNoHeaderRow | kListNoHeaderLayout))) {
        header = std::max(0, MeasureRow(dc, kHeaderRow, width));
    }
    list.headerRect = {inner.left, inner.top, inner.right, inner.top + header};
    list.contentRect = {inner.left, inner.top + header, inner.right, std::max(inner.bottom, inner.top + header)};
    list.visibleWidth = width;
    list.visibleHeight = std::max<int32_t>(0, list.contentRect.bottom - list.contentRect.top);
}

// Stacks the items from the top; hidden items take no room. all: measure every item, else only
// those never measured or for which NeedsMeasure answers yes.
void WinListBox::MeasureItems(bool all) {
    measuring_ = true;
    const LentMemoryDC lent;  // put back as it was lent
    const HDC dc = lent.Get();
    SelectedObject font(dc, ResolvedFont().Handle());
    ComputeContentRect(dc);
    BeginMeasure(dc);
    rows_.clear();
    rows_.reserve(static_cast<size_t>(list.items.Count()));
    int32_t y = 0;
    int32_t width = list.visibleWidth;
    for (WinListBoxItemUnit& item : list.items) {
        const int32_t index = static_cast<int32_t>(rows_.size());
        rows_.push_back(&item);
        SIZE size = {item.rect.right - item.rect.left, item.rect.bottom - item.rect.top};
        if (item.IsHidden()) {
            size = {0, 0};
            item.flags &= ~kItemMeasured;  // measured again when shown
        } else if (all || !(item.flags & kItemMeasured) || NeedsMeasure(item, index)) {
            size = MeasureItem(dc, item, index, list.visibleWidth);
            item.flags |= kItemMeasured;
        }
        size = {std::max<LONG>(0, size.cx), std::max<LONG>(0, size.cy)};
        item.rect = {0, y, size.cx, y + size.cy};
        y += size.cy;
        width = std::max<int32_t>(width, size.cx);
    }
    const int32_t special =
        (list.flags & kListNoSpecialRow) ? 0 : std::max(0, MeasureRow(dc, kSpecialRow, width));
    list.specialRect = {0, y, width, y + special};
    EndMeasure(dc);
    list.contentWidth = width;
    list.contentHeight = y + special;
    measuredCount_ = list.items.Count();
    measuring_ = false;
}

void WinListBox::Relayout() {
    if (measuring_) return;
    list.remeasure = false;
    MeasureItems(true);
    ClampCursor();
    ClampScroll();
    UpdateScrollBars();
}

void WinListBox::Prepare() {
    if (measuring_) return;
    if (list.remeasure) {
        Relayout();
    } else if (list.items.Count() != measuredCount_) {
        MeasureItems(false);
        ClampCursor();
        ClampScroll();
        UpdateScrollBars();
    }
}

// Cursor, anchor and target are kept on rows that exist.
void WinListBox::ClampCursor() {
    const int32_t last = static_cast<int32_t>(rows_.size()) - 1;
    auto clamp = [&](int32_t& index) {
        if (index > last) {
            index = last;
        } else if (index == kSpecialRow && !HasSpecialRow()) {
            index = last;
        } else if ((index == kHeaderRow && !HasHeaderRow()) || index < kSpecialRow) {
            index = kNoCursor;
        }
    };
    clamp(list.cursorIndex);
    clamp(list.targetIndex);
    if (!IsItem(list.anchorIndex)) list.anchorIndex = kNoCursor;
}

void WinListBox::ClampScroll() {
    list.scrollY = std::clamp(list.scrollY, 0, MaxPosition(list.contentHeight, list.visibleHeight));
    list.scrollX = std::clamp(list.scrollX, 0, MaxPosition(list.contentWidth, list.visibleWidth));
}

void WinListBox::UpdateScrollBars() {
    if (Window()) {
        const LONG_PTR style = GetWindowLongPtrW(Window(), GWL_STYLE);
        if (style & WS_VSCROLL)
            SetBar(Window(), SB_VERT, list.contentHeight, list.visibleHeight, list.scrollY, barsSet_[0]);
        if (style & WS_HSCROLL)
            SetBar(Window(), SB_HORZ, list.contentWidth, list.visibleWidth, list.scrollX, barsSet_[1]);
    }
    if (list.scrollX != reported_.x || list.scrollY != reported_.y) {
        reported_ = {list.scrollX, list.scrollY};
        Notify(NotifyScrolled);
    }
}

void WinListBox::OnFontChanged() {
    Relayout();
    MakeVisible(list.cursorIndex);
    Invalidate();
}

void WinListBox::OnResize() {
    Relayout();
    MakeVisible(list.cursorIndex);
    Invalidate();
}

// ---- cursor and selection ----

void WinListBox::ClearSelection() {
    for (WinListBoxItemUnit* item : rows_) item->flags &= ~kItemSelected;
}

void WinListBox::SetCursor(int32_t index) {
    Prepare();
    if (IsItem(index)) {
        list.cursorIndex = list.anchorIndex = index;
        ClearSelection();
        rows_[static_cast<size_t>(index)]->flags |= kItemSelected;
        MakeVisible(index);
    } else if (index == kSpecialRow && HasSpecialRow()) {
        list.cursorIndex = kSpecialRow;
        ScrollTo(list.scrollX, INT_MAX);
    } else if ((index == kHeaderRow && HasHeaderRow()) || index == kNoCursor) {
        list.cursorIndex = index;
    } else {
        return;
    }
    Invalidate();
    Notify(NotifySelection);
}

void WinListBox::Toggle(int32_t index) {
    Prepare();
    if (!IsItem(index)) return;
    list.cursorIndex = index;
    rows_[static_cast<size_t>(index)]->flags ^= kItemSelected;
    MakeVisible(index);
    Invalidate();
    Notify(NotifySelection);
}

void WinListBox::Range(int32_t index) {
    Prepare();
    if (!IsItem(index)) return;
    if (!IsItem(list.anchorIndex)) {
        SetCursor(index);
        return;
    }
    list.cursorIndex = index;
    ClearSelection();
    const int32_t first = std::min(index, list.anchorIndex);
    const int32_t last = std::max(index, list.anchorIndex);
    for (int32_t i = first; i <= last; ++i) rows_[static_cast<size_t>(i)]->flags |= kItemSelected;
    MakeVisible(index);
    Invalidate();
    Notify(NotifySelection);
}

void WinListBox::SelectAll() {
    Prepare();
    for (WinListBoxItemUnit* item : rows_) item->flags |= kItemSelected;
    Invalidate();
    Notify(NotifySelection);
}

int32_t WinListBox::NextUsable(int32_t from) const {
    for (int32_t i = std::max(0, from); i < static_cast<int32_t>(rows_.size()); ++i) {
        if (IsUsable(i)) return i;
    }
    return -1;
}

int32_t WinListBox::PreviousUsable(int32_t from) const {
    for (int32_t i = std::min(from, static_cast<int32_t>(rows_.size()) - 1); i >= 0; --i) {
        if (IsUsable(i)) return i;
    }
    return -1;
}

// The row one step up (-1) or down (+1) from the cursor; the cursor itself at either end.
int32_t WinListBox::StepTarget(int32_t direction) const {
    const int32_t cursor = list.cursorIndex;
    if (direction > 0) {
        if (cursor == kSpecialRow) return cursor;
        if (!IsItem(cursor)) return FirstUsable();
        const int32_t next = NextUsable(cursor + 1);
        if (next >= 0) return next;
        return HasSpecialRow() ? kSpecialRow : cursor;
    }
    if (cursor == kSpecialRow) return LastUsable();
    if (cursor == kHeaderRow) return cursor;
    if (!IsItem(cursor)) return FirstUsable();
    const int32_t previous = PreviousUsable(cursor - 1);
    return previous >= 0 ? previous : cursor;
}

// The row about one visible height up (-1) or down (+1) from the cursor, at least one row away
// while there is one; never past the first or last item.
int32_t WinListBox::PageTarget(int32_t direction) const {
    const int32_t cursor = list.cursorIndex;
    if (!IsItem(cursor) && cursor != kSpecialRow) return FirstUsable();
    const int32_t count = static_cast<int32_t>(rows_.size());
    const int32_t top = IsItem(cursor) ? rows_[static_cast<size_t>(cursor)]->rect.top : list.specialRect.top;
    const int32_t position = IsItem(cursor) ? cursor : count;
    int32_t target = -1;
    if (direction > 0) {
        if (cursor == kSpecialRow) return cursor;
        target = PreviousUsable(LastRowStartingAtOrAbove(rows_, top + list.visibleHeight));
        if (target <= position) target = NextUsable(position + 1);
    } else {
        target = NextUsable(FirstRowStartingAtOrBelow(rows_, top - list.visibleHeight));
        if (target < 0 || target >= position) target = PreviousUsable(position - 1);
    }
    return target >= 0 ? target : cursor;
}

// A cursor move by key. In a multiple-selection list Ctrl moves only the cursor and Shift
// extends the range from the anchor; otherwise the target becomes the one selected item.
void WinListBox::MoveCursorTo(int32_t target, bool ctrl, bool shift) {
    if (target == kNoCursor || target == list.cursorIndex) return;
    const bool multiple = (list.flags & kListMultiple) != 0;
    if (multiple && ctrl) {
        list.cursorIndex = target;
        MakeVisible(target);
        Invalidate();
        Notify(NotifySelection);
    } else if (multiple && shift && IsItem(target)) {
        Range(target);
    } else {
        SetCursor(target);
    }
}

// ---- scrolling and zoom ----

void WinListBox::MakeVisible(int32_t index) {
    Prepare();
    RECT row;
    if (!IsItem(index) && index != kSpecialRow) return;
    if (!RowRect(index, row)) return;
    // RowRect is in surface coordinates; back to content coordinates.
    const int32_t top = row.top - list.contentRect.top + list.scrollY;
    const int32_t bottom = row.bottom - list.contentRect.top + list.scrollY;
    int32_t y = list.scrollY;
    if (top < y || bottom - top > list.visibleHeight) {
        y = top;
    } else if (bottom > y + list.visibleHeight) {
        y = bottom - list.visibleHeight;
    }
    if (y != list.scrollY) ScrollTo(list.scrollX, y);
}

void WinListBox::ScrollTo(int32_t x, int32_t y) {
    Prepare();
    list.scrollX = x;
    list.scrollY = y;
    ClampScroll();
    UpdateScrollBars();
    Invalidate();
}

bool WinListBox::ZoomFont(int steps) {
    if (steps == 0) return false;
    // A copy of the whole description, face name included: only the height changes.
    LOGFONTW logFont = (list.zoomFont.Handle() ? list.zoomFont : ResolvedFont()).LogFont();
    const LONG direction = steps > 0 ? 1 : -1;
    LONG height = logFont.lfHeight;
    for (int i = 0; i < std::abs(steps); ++i) {
        const LONG next = height < 0 ? height - direction : height + direction;
        if (std::abs(next) < kMinZoomHeight) break;
        height = next;
    }
    if (height == logFont.lfHeight) return false;
    logFont.lfHeight = height;
    list.zoomFont.Create(logFont);  // deletes the previous zoomed font first
    Property().font = &list.zoomFont;
    OnFontChanged();
    return true;
}

int32_t WinListBox::ItemAt(POINT point) {
    Prepare();
    if (HasHeaderRow() && PtInRect(&list.headerRect, point)) return kHeaderRow;
    if (!PtInRect(&list.contentRect, point)) return kNoCursor;
    const int32_t y = point.y - list.contentRect.top + list.scrollY;
    const int32_t index = LastRowStartingAtOrAbove(rows_, y);
    if (index >= 0 && y < rows_[static_cast<size_t>(index)]->rect.bottom) return index;
    if (HasSpecialRow() && y >= list.specialRect.top && y < list.specialRect.bottom) return kSpecialRow;
    return kNoCursor;
}

bool WinListBox::RowRect(int32_t index, RECT& rect) const {
    if (index == kHeaderRow) {
        if (!HasHeaderRow()) return false;
        rect = list.headerRect;
        return true;
    }
    const RECT* source = nullptr;
    if (IsItem(index)) {
        source = &rows_[static_cast<size_t>(index)]->rect;
    } else if (index == kSpecialRow && HasSpecialRow()) {
        source = &list.specialRect;
    } else {
        return false;
    }
    const LONG dx = list.contentRect.left - list.scrollX;
    const LONG dy = list.contentRect.top - list.scrollY;
    rect = {source->left + dx, source->top + dy, source->right + dx, source->bottom + dy};
    return true;
}

// ---- messages ----

void WinListBox::Notify(int code) { SendNotification(code); }

void WinListBox::Invalidate() {
    if (Window()) InvalidateRect(Window(), nullptr, FALSE);
}

LRESULT WinListBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFOCUS:
            list.flags |= kListFocused;
            Invalidate();
            break;
        case WM_KILLFOCUS:
            list.flags &= ~kListFocused;
            Invalidate();
            break;
        case WM_SIZE:
            OnResize();
            break;
        case WM_ERASEBKGND:
            return 1;  // the drawing covers the whole client area
        case WM_DRAWITEM:
            return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_KEYDOWN:
            // The keys the list takes never reach the system button, which would push itself.
            if (OnKey(wParam)) return 0;
            break;
        case WM_VSCROLL:
            return OnScroll(SB_VERT, LOWORD(wParam));
        case WM_HSCROLL:
            return OnScroll(SB_HORZ, LOWORD(wParam));
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
            return OnMouse(message, wParam, lParam);
        case WM_MOUSEWHEEL:
            return OnWheel(wParam);
        default:
            break;
    }
    return WinView::HandleMessage(message, wParam, lParam);
}

bool WinListBox::OnKey(WPARAM key) {
    Prepare();
    // An empty list takes its keys and does nothing with them.
    if (rows_.empty()) return IsCursorKey(key) || key == VK_RETURN || key == VK_SPACE;
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    const bool multiple = (list.flags & kListMultiple) != 0;
    if (IsCursorKey(key)) {
        MoveCursorTo(CursorKeyTarget(key, ctrl && !multiple), ctrl, shift);
        return true;
    }
    switch (key) {
        case VK_RETURN:
            Notify(NotifyEnter);
            return true;
        case VK_SPACE:
            if (multiple && IsItem(list.cursorIndex)) Toggle(list.cursorIndex);
            return true;
        case VK_LEFT:
        case VK_RIGHT: {
            if (!(GetWindowLongPtrW(Window(), GWL_STYLE) & WS_HSCROLL)) return false;
            const int32_t step = key == VK_LEFT ? -list.stepX : list.stepX;
            ScrollTo(ctrl ? (key == VK_LEFT ? 0 : INT_MAX) : list.scrollX + step, list.scrollY);
            return true;
        }
        case 'A':
            if (ctrl && multiple) SelectAll();
            return ctrl;
        case 'F':
            if (ctrl) Find();
            return ctrl;
        case 'D':
            if (ctrl) FindNext();
            return ctrl;
        case 'S':
            if (ctrl) FindPrevious();
            return ctrl;
        case VK_F3:
            if (shift) {
                FindPrevious();
            } else {
                FindNext();
            }
            return true;
        default:
            return false;
    }
}

// The row a cursor key asks for; ends: Ctrl+Up and Ctrl+Down act as Home and End.
int32_t WinListBox::CursorKeyTarget(WPARAM key, bool ends) const {
    if (ends && key == VK_UP) key = VK_HOME;
    if (ends && key == VK_DOWN) key = VK_END;
    switch (key) {
        case VK_PRIOR:
            return PageTarget(-1);
        case VK_NEXT:
            return PageTarget(1);
        case VK_HOME:
            return FirstUsable();
        case VK_END:
            return HasSpecialRow() ? kSpecialRow : LastUsable();
        case VK_UP:
            return StepTarget(-1);
        default:
            return StepTarget(1);
    }
}

LRESULT WinListBox::OnScroll(int bar, int code) {
    Prepare();
    if (bar == SB_VERT) {
        ScrollTo(list.scrollX,
                 ScrollTarget(Window(), bar, code, list.scrollY, list.contentHeight, list.visibleHeight, list.stepY));
    } else {
        ScrollTo(ScrollTarget(Window(), bar, code, list.scrollX, list.contentWidth, list.visibleWidth, list.stepX),
                 list.scrollY);
    }
    return 0;
}

LRESULT WinListBox::OnWheel(WPARAM wParam) {
    Prepare();
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    const WORD keys = GET_KEYSTATE_WPARAM(wParam);
    if (keys & MK_CONTROL) {
        int notches = delta / WHEEL_DELTA;
        if (notches == 0 && delta != 0) notches = delta > 0 ? 1 : -1;  // a finer wheel still zooms
        ZoomFont(notches);
        return 1;
    }
    int32_t pixels = MulDiv(delta, list.stepY * kWheelLines, WHEEL_DELTA);
    if (keys & MK_SHIFT) pixels *= kWheelBoost;
    ScrollTo(list.scrollX, list.scrollY - pixels);
    return 1;
}

LRESULT WinListBox::OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    // The system button is kept out of clicks (it would capture the mouse and report a click),
    // so the list takes the focus itself.
    if (Window() && GetFocus() != Window()) SetFocus(Window());
    Prepare();
    WinListBoxMouse mouse;
    mouse.point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};  // signed
    mouse.keys = wParam;
    RECT client = {};
    if (list.zoomWidth > 0 && Window() && GetClientRect(Window(), &client) && client.right > 0) {
        mouse.point = {MulDiv(mouse.point.x, list.zoomWidth, client.right),
                       MulDiv(mouse.point.y, list.zoomWidth, client.right)};
    }
    const int32_t index = ItemAt(mouse.point);
    const bool multiple = (list.flags & kListMultiple) != 0;
    if (message == WM_LBUTTONDOWN) {
        if (!OnItemClick(mouse, index) || index == kNoCursor) return 0;
        if (multiple && (wParam & MK_CONTROL) && IsItem(index)) {
            Toggle(index);
        } else if (multiple && (wParam & MK_SHIFT) && IsItem(index)) {
            Range(index);
        } else {
            SetCursor(index);
        }
    } else if (message == WM_LBUTTONDBLCLK) {
        if (IsItem(list.cursorIndex) && OnItemDoubleClick(mouse, index)) Notify(NotifyEnter);
    } else if (OnItemRightClick(mouse, index)) {
        ShowItemMenu(mouse.point, index);
    }
    return 0;
}

// ---- drawing ----

LRESULT WinListBox::OnDrawItem(const DRAWITEMSTRUCT* item) {
    if (!item) return 1;
    Prepare();
    UpdateScrollBars();
    Draw(item->hDC, item->rcItem, (item->itemState & ODS_DISABLED) != 0);
    return 1;
}

void WinListBox::Draw(HDC target, const RECT& itemRect, bool disabled) {
    SIZE size = {itemRect.right - itemRect.left, itemRect.bottom - itemRect.top};
    if (size.cx <= 0 || size.cy <= 0) return;
    if (list.zoomWidth > 0) size = {list.zoomWidth, MulDiv(size.cy, list.zoomWidth, size.cx)};
    OffscreenSurface surface(target, itemRect, size);
    if (!surface.IsValid()) return;
    WinDrawContext dc(surface.Get());
    const RECT whole = {0, 0, size.cx, size.cy};
    drawDisabled_ = disabled;
    drawBackground_ = disabled ? SystemColours().face : BackgroundColour();
    FillArea(dc, whole, drawBackground_);
    dc.SelectFont(ResolvedFont().Handle());
    SetTextAlign(dc.Get(), 0);
    dc.SetTransparentBackground();
    BeforeItems(dc);
    DrawItems(dc);
    FrameMarkedItems(dc);
    FillMargins(dc, whole);
    AfterItems(dc);
    if (list.flags & kListFocused) DrawFocusMark(dc, whole);
    surface.Store();
}

void WinListBox::DrawItems(WinDrawContext& dc) {
    if (HasHeaderRow()) DrawHeaderRow(dc, list.headerRect);
    const RECT& content = list.contentRect;
    ClipScope clip(dc.Get(), content);
    // Only the rows in view: from the first whose bottom is below the scroll position.
    const int32_t bottom = list.scrollY + list.visibleHeight;
    const int32_t count = static_cast<int32_t>(rows_.size());
    const bool focused = (list.flags & kListFocused) != 0;
    for (int32_t i = FirstRowEndingBelow(list.scrollY); i < count; ++i) {
        WinListBoxItemUnit& item = *rows_[static_cast<size_t>(i)];
        if (item.rect.top >= bottom) break;
        if (!IsUsable(i)) continue;
        RECT rect;
        RowRect(i, rect);
        const WinListBoxItemState state = {item.IsSelected(), i == list.cursorIndex, focused, drawDisabled_};
        BeforeItem(dc, item, i, rect);
        DrawItem(dc, item, i, rect, state);
        AfterItem(dc, item, i, rect);
    }
    RECT special;
    if (RowRect(kSpecialRow, special)) DrawSpecialRow(dc, special);
}

int32_t WinListBox::FirstRowEndingBelow(int32_t y) const {
    auto it = std::upper_bound(rows_.begin(), rows_.end(), y,
                               [](int32_t value, const WinListBoxItemUnit* item) { return value < item->rect.bottom; });
    return static_cast<int32_t>(it - rows_.begin());
}

void WinListBox::FrameMarkedItems(WinDrawContext& dc) {
    RECT row;
    if (RowRect(list.cursorIndex, row)) {
        FrameClipped(dc, row, list.cursorIndex == kHeaderRow ? list.headerRect : list.contentRect, kListCursorFrame);
    }
    if (!(list.flags & kListNoSpecialRow) && list.targetIndex != list.cursorIndex && RowRect(list.targetIndex, row)) {
        FrameClipped(dc, row, list.targetIndex == kHeaderRow ? list.headerRect : list.contentRect, kListTargetFrame);
    }
}

void WinListBox::FillMargins(WinDrawContext& dc, const RECT& whole) {
    const RECT inner = Inset(whole, margins);
    FillArea(dc, {whole.left, whole.top, whole.right, inner.top}, drawBackground_);
    FillArea(dc, {whole.left, inner.bottom, whole.right, whole.bottom}, drawBackground_);
    FillArea(dc, {whole.left, inner.top, inner.left, inner.bottom}, drawBackground_);
    FillArea(dc, {inner.right, inner.top, whole.right, inner.bottom}, drawBackground_);
}

}  // namespace WinLayer
