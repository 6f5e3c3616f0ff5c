// WinListBox: the framework's owner-drawn list. Rows of varying height are measured and drawn
// by a subclass; the box keeps the keyboard cursor, the selection, the scroll positions with
// their scroll bars, and zooms its font with Ctrl+wheel. It draws when its dialog forwards
// WM_DRAWITEM, through an off-screen surface made and freed for each drawing.
//
// Ownership: the box owns its items (through the item list) and its zoomed font; it borrows the
// elements the items refer to, which must outlive the items. Until the first zoom the box
// borrows its font like every view.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "WinLayer/WinDrawContext.h"
#include "WinLayer/WinFont.h"
#include "WinLayer/WinListBoxItemList.h"
#include "WinLayer/WinNotifyCodes.h"
#include "WinLayer/WinView.h"

namespace WinLayer {

// List flags.
constexpr uint16_t kListFocused = 0x0001;
constexpr uint16_t kListMultiple = 0x0002;      // multiple selection
constexpr uint16_t kListNoSpecialRow = 0x0004;  // no row after the last item, no target frame
constexpr uint16_t kListNoHeaderRow = 0x0010;
constexpr uint16_t kListNoHeaderLayout = 0x0040;  // also: no header row

// Cursor values besides item indices.
constexpr int32_t kNoCursor = -1;
constexpr int32_t kHeaderRow = -2;
constexpr int32_t kSpecialRow = -3;  // the row after the last item

// Colours of the marks the box draws over its items (0x00BBGGRR).
constexpr COLORREF kListCursorFrame = 0xFF0000;
constexpr COLORREF kListTargetFrame = 0x4040FF;
constexpr COLORREF kListFocusMark = 0xFF0000;

// What an item's drawing needs to know besides the item.
struct WinListBoxItemState {
    bool selected = false;
    bool cursor = false;
    bool focused = false;  // the list has the keyboard focus
    bool disabled = false;
};

// A mouse message as the item-click operations see it: the point in layout coordinates (scaled
// when the list is zoomed) and the MK_ key flags.
struct WinListBoxMouse {
    POINT point = {};
    WPARAM keys = 0;
};

// The state that every part of the list box shares.
struct WinListBoxState {
    WinFont zoomFont;  // owned; used once Ctrl+wheel zoomed the list, replaced at every step
    int32_t itemHeightHint = 12;
    WinListBoxItemList items;  // owns the items
    uint16_t flags = 0;
    int32_t cursorIndex = kNoCursor;
    int32_t anchorIndex = kNoCursor;
    int32_t targetIndex = kNoCursor;
    RECT headerRect = {};   // layout coordinates; empty without a header row
    RECT specialRect = {};  // content coordinates; empty without a special row
    RECT contentRect = {};  // client area minus the margins, below the header row
    int32_t contentWidth = 0;
    int32_t contentHeight = 0;
    int32_t visibleWidth = 0;
    int32_t visibleHeight = 0;
    int32_t zoomWidth = 0;  // > 0: laid out as if the client were this wide, proportionally high
    int32_t scrollX = 0;
    int32_t scrollY = 0;
    int32_t stepX = 10;  // pixels per line
    int32_t stepY = 12;
    bool remeasure = true;
};

// The cursor operations.
class WinListBoxCursor {
public:
    virtual ~WinListBoxCursor() = default;
    // A valid index becomes cursor, anchor and the only selected item and is scrolled into view;
    // kSpecialRow and kHeaderRow are taken when the list has that row, kNoCursor always.
    // Anything else is ignored. Sends NotifySelection when taken.
    virtual void SetCursor(int32_t index) = 0;
    // Measures again when items or the layout changed.
    virtual void Prepare() = 0;
    // Ctrl+F; Ctrl+D or F3; Ctrl+S or Shift+F3. No default action.
    virtual void Find() {}
    virtual void FindNext() {}
    virtual void FindPrevious() {}
    // Whether the search operations do anything.
    virtual bool HasSearch() const { return false; }
};

// The drawing and measuring operations, in the order a drawing calls them. Drawing operations
// work in surface coordinates; the context has the list's font selected, text alignment 0 and
// a transparent background.
class WinListBoxDraw {
public:
    virtual ~WinListBoxDraw() = default;
    virtual void FillArea(WinDrawContext& dc, const RECT& rect, COLORREF colour);
    virtual void BeforeItems(WinDrawContext&) {}
    // The header row, the visible items and the special row.
    virtual void DrawItems(WinDrawContext& dc) = 0;
    virtual void DrawItem(WinDrawContext& dc, WinListBoxItemUnit& item, int32_t index, const RECT& rect,
                          const WinListBoxItemState& state) = 0;
    virtual void BeforeItem(WinDrawContext&, WinListBoxItemUnit&, int32_t, const RECT&) {}
    virtual void AfterItem(WinDrawContext&, WinListBoxItemUnit&, int32_t, const RECT&) {}
    virtual void FrameMarkedItems(WinDrawContext& dc) = 0;
    virtual void FillMargins(WinDrawContext& dc, const RECT& whole) = 0;
    virtual void DrawHeaderRow(WinDrawContext&, const RECT&) {}
    virtual void DrawSpecialRow(WinDrawContext&, const RECT&) {}
    virtual void AfterItems(WinDrawContext&) {}
    virtual void DrawFocusMark(WinDrawContext& dc, const RECT& whole);
    // Height of the header row (kHeaderRow) or of the row after the last item (kSpecialRow)
    // for the given width; 0, the default, means the list has no such row.
    virtual int32_t MeasureRow(HDC, int32_t, int32_t) { return 0; }
    virtual void BeginMeasure(HDC) {}
    // Width and height of one item; width is the visible width of the list.
    virtual SIZE MeasureItem(HDC dc, WinListBoxItemUnit& item, int32_t index, int32_t width) = 0;
    virtual void EndMeasure(HDC) {}
    // Whether an item must be measured when items were removed or added without a full layout.
    virtual bool NeedsMeasure(const WinListBoxItemUnit&, int32_t) const { return true; }
};

class WinListBox : public WinView, public WinListBoxCursor, public WinListBoxDraw {
public:
    WinListBox();
    ~WinListBox() override = default;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual void ShowItemMenu(POINT, int32_t) {}
    // Measures every item, clamps the cursor and the scroll positions, updates the scroll bars.
    virtual void Relayout();
    // Lays out again after the font changed, keeps the cursor in view, redraws.
    virtual void OnFontChanged();
    // Each answers whether the box may go on with its own handling of the click.
    virtual bool OnItemClick(const WinListBoxMouse&, int32_t) { return true; }
    virtual bool OnItemDoubleClick(const WinListBoxMouse&, int32_t) { return true; }
    virtual bool OnItemRightClick(const WinListBoxMouse&, int32_t) { return true; }

    // ---- items ----
    // Adds an item referring to element (borrowed); the list is measured again before its next use.
    WinListBoxItemUnit* Add(const void* element);
    // Removes every item; no cursor, anchor or target, scrolled to the top.
    void Clear();
    int32_t ItemCount() const { return list.items.Count(); }
    // The item at index after the layout is brought up to date; nullptr outside the list.
    WinListBoxItemUnit* Item(int32_t index);

    // ---- cursor and selection ----
    void SetCursor(int32_t index) override;
    void Prepare() override;
    // Cursor to the item and its selection flipped.
    void Toggle(int32_t index);
    // Cursor to the item and every item from the anchor to it selected, the rest not; without
    // an anchor the same as SetCursor.
    void Range(int32_t index);
    void SelectAll();
    int32_t CursorIndex() const { return list.cursorIndex; }
    bool HasHeaderRow() const;
    bool HasSpecialRow() const;

    // ---- scrolling and zoom ----
    // Scrolls the least amount that shows the whole row (its top when it is taller than the view).
    void MakeVisible(int32_t index);
    // Both positions clamped to the content; updates the scroll bars and redraws.
    void ScrollTo(int32_t x, int32_t y);
    // One step of Ctrl+wheel: +1 larger, -1 smaller; false at the size limit.
    bool ZoomFont(int direction);
    // The item under a point in layout coordinates: an index, kHeaderRow, kSpecialRow or kNoCursor.
    int32_t ItemAt(POINT point);
    // The background colour of the list (COLOR_WINDOW, read once per process).
    static COLORREF BackgroundColour();

    // ---- drawing ----
    void FillMargins(WinDrawContext& dc, const RECT& whole) override;
    void DrawItems(WinDrawContext& dc) override;
    void FrameMarkedItems(WinDrawContext& dc) override;

    WinListBoxState list;

protected:
    // Sends a notification code to the own window as WM_COMMAND.
    void Notify(int code);
    void Invalidate();
    // A row's rectangle in surface coordinates: an item, kHeaderRow or kSpecialRow.
    bool RowRect(int32_t index, RECT& rect) const;
    bool IsItem(int32_t index) const { return index >= 0 && index < static_cast<int32_t>(rows_.size()); }
    bool IsUsable(int32_t index) const;

private:
    SIZE LayoutSize() const;
    void ComputeContentRect(HDC dc);
    void MeasureItems(bool all);
    void ClampCursor();
    void ClampScroll();
    void UpdateScrollBars();
    void ClearSelection();

    LRESULT OnDrawItem(const DRAWITEMSTRUCT* item);
    void Draw(HDC target, const RECT& itemRect, bool disabled);
    bool OnKey(WPARAM key);
    int32_t CursorKeyTarget(WPARAM key, bool ends) const;
    void MoveCursorTo(int32_t target, bool ctrl, bool shift);
    LRESULT OnScroll(int bar, int code);
    LRESULT OnWheel(WPARAM wParam);
    LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
    void OnResize();

    int32_t NextUsable(int32_t from) const;      // from onward; -1 when none
    int32_t PreviousUsable(int32_t from) const;  // from backward; -1 when none
    int32_t FirstUsable() const { return NextUsable(0); }
    int32_t LastUsable() const { return PreviousUsable(static_cast<int32_t>(rows_.size()) - 1); }
    int32_t StepTarget(int32_t direction) const;
    int32_t PageTarget(int32_t direction) const;
    int32_t FirstRowEndingBelow(int32_t y) const;

    // The items in index order, rebuilt at every layout: the list walks its chain only then.
    std::vector<WinListBoxItemUnit*> rows_;
    int32_t measuredCount_ = -1;
    bool measuring_ = false;
    POINT reported_ = {-1, -1};   // scroll positions at the last NotifyScrolled
    SCROLLINFO barsSet_[2] = {};  // what the vertical and horizontal bars were last given
    bool drawDisabled_ = false;   // of the drawing under way
    COLORREF drawBackground_ = 0;
};

// A list box whose items refer to elements of type T, kept by the subclass.
template <class T>
class WinListBoxR : public WinListBox {
public:
    WinListBoxItemUnit* AddElement(const T& element) { return Add(&element); }
    static const T& ElementOf(const WinListBoxItemUnit& item) { return *static_cast<const T*>(item.element); }
};

}  // namespace WinLayer
