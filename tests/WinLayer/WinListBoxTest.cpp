#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDialog.h"
#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinGdiObjects.h"
#include "WinLayer/WinListBox.h"
#include "WinPixelSupport.h"
#include "WinTestSupport.h"

using RawLayer::RawString;
using RawLayer::RawStringList;
using namespace WinLayer;
using WinLayerTest::PixelCanvas;
using WinLayerTest::PumpMessages;

namespace {

constexpr COLORREF kSelectedFocused = 0xFFD0C0;
constexpr COLORREF kSelectedUnfocused = 0xFFE3D8;
constexpr RECT kListRect = {10, 10, 210, 170};

// A list of numbered texts whose rows are one text line high plus 0, 4 or 8 pixels, so that
// rows differ in height and follow the font. Records what it measured and drew.
class StringList : public WinListBoxR<RawString> {
public:
    explicit StringList(int count) { Fill(count); }

    void Fill(int count) {
        for (int i = 0; i < count; ++i) {
            char text[16];
            std::snprintf(text, sizeof(text), "Item %04d", i);
            RawLayer::RawListNode* node = texts.Add(RawString(text));
            AddElement(*RawStringList::Element(node));
        }
    }
    static int Extra(int32_t index) { return (index % 3) * 4; }

    SIZE MeasureItem(HDC dc, WinListBoxItemUnit&, int32_t index, int32_t width) override {
        ++measured;
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        return {itemWidth ? itemWidth : width, metrics.tmHeight + Extra(index)};
    }
    int32_t MeasureRow(HDC, int32_t row, int32_t) override {
        return row == kSpecialRow ? specialRowHeight : headerRowHeight;
    }
    void DrawItem(WinDrawContext& dc, WinListBoxItemUnit& item, int32_t index, const RECT& rect,
                  const WinListBoxItemState& state) override {
        drawn.push_back(index);
        if (state.selected) FillSolid(dc, rect, state.focused ? kSelectedFocused : kSelectedUnfocused);
        RECT text = {rect.left + 2, rect.top, rect.right - 2, rect.bottom};
        const RawString& value = ElementOf(item);
        DrawTextRange(dc.Get(), value, 0, value.Length(), text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }

    RawStringList texts;
    int32_t specialRowHeight = 0;
    int32_t headerRowHeight = 0;
    int32_t itemWidth = 0;  // 0: the visible width
    int measured = 0;
    std::vector<int32_t> drawn;
};

// A shown dialog holding one list, recording the codes the list reports.
class ListDialog : public WinDialog {
public:
    explicit ListDialog(WinListBox& list) : list_(list) {
        Property().className = "KairodexListBoxTest";
        Property().style = WS_OVERLAPPEDWINDOW;
        viewRect = {40, 40, 300, 260};
        Children().Add(&list);
        list.viewRect = kListRect;
    }
    ~ListDialog() override {
        if (Window()) DestroyWindow(Window());
        PumpMessages();  // and the WM_QUIT of the destruction with them
    }
    void OnCreateWindow() override { list_.Create(this); }
    LRESULT OnChildNotify(WinView*, int code) override {
        codes.push_back(code);
        return 0;
    }
    int Count(int code) const {
        int count = 0;
        for (int seen : codes) count += seen == code;
        return count;
    }

    std::vector<int> codes;

private:
    WinListBox& list_;
};

// A list in a shown dialog with the keyboard focus.
struct Fixture {
    explicit Fixture(int count, uint16_t flags = 0) : list(count), dialog(list) {
        list.list.flags |= flags;
        EXPECT_TRUE(dialog.Show());
        EXPECT_TRUE(WinLayerTest::InFront(dialog.Window()));
        SetFocus(list.Window());
        PumpMessages();
        dialog.codes.clear();
    }
    HWND Window() const { return list.Window(); }
    void Key(WPARAM key, bool ctrl = false, bool shift = false) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageA(Window(), WM_KEYDOWN, key, 1);
        PumpMessages();
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }
    void Wheel(int delta, WORD keys = 0) {
        RECT window;
        GetWindowRect(Window(), &window);
        PostMessageA(Window(), WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(delta)),
                     MAKELPARAM(window.left + 5, window.top + 5));
        PumpMessages();
    }
    // A click on the middle of a row's left part.
    void Click(int32_t index, WPARAM keys = 0, UINT message = WM_LBUTTONDOWN) {
        const RECT row = RowOnScreen(index);
        PostMessageA(Window(), message, MK_LBUTTON | keys, MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2));
        PumpMessages();
    }
    // The row's rectangle in client coordinates.
    RECT RowOnScreen(int32_t index) {
        const RECT& content = list.list.contentRect;
        const RECT& item = list.Item(index)->rect;
        const LONG dy = content.top - list.list.scrollY;
        return {content.left + item.left, item.top + dy, content.left + item.right, item.bottom + dy};
    }
    bool CursorInView() {
        if (list.CursorIndex() < 0) return false;
        const RECT row = RowOnScreen(list.CursorIndex());
        return row.top >= list.list.contentRect.top && row.bottom <= list.list.contentRect.bottom;
    }
    int Selected() {
        int count = 0;
        for (int32_t i = 0; i < list.ItemCount(); ++i) count += list.Item(i)->IsSelected() ? 1 : 0;
        return count;
    }
    // What the list draws, through the dialog's routing, into a canvas of the client's size.
    void DrawInto(PixelCanvas& canvas, UINT itemState = 0) {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(list.Property().identifier);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = itemState;
        item.hwndItem = Window();
        item.hDC = canvas.Get();
        GetClientRect(Window(), &item.rcItem);
        SendMessageA(dialog.Window(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    }
    SIZE ClientSize() const {
        RECT client;
        GetClientRect(Window(), &client);
        return {client.right, client.bottom};
    }

    StringList list;
    ListDialog dialog;
};

int32_t MaxScroll(const WinListBox& list) { return list.list.contentHeight - list.list.visibleHeight; }

int32_t BarPosition(HWND window) {
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    GetScrollInfo(window, SB_VERT, &info);
    return info.nPos;
}

}  // namespace

// ---- keyboard cursor ----

TEST(WinListBoxKeys, ArrowsHomeEndMoveTheCursorClampAtTheEndsAndNotify) {
    Fixture f(30);
    f.Key(VK_DOWN);  // no cursor yet: the first row
    EXPECT_EQ(f.list.CursorIndex(), 0);
    f.Key(VK_DOWN);
    f.Key(VK_DOWN);
    EXPECT_EQ(f.list.CursorIndex(), 2);
    EXPECT_EQ(f.dialog.Count(NotifySelection), 3);
    EXPECT_EQ(f.Selected(), 1);
    EXPECT_TRUE(f.list.Item(2)->IsSelected());

    f.Key(VK_END);
    EXPECT_EQ(f.list.CursorIndex(), 29);
    EXPECT_TRUE(f.CursorInView());
    EXPECT_EQ(f.list.list.scrollY, MaxScroll(f.list));
    EXPECT_EQ(BarPosition(f.Window()), f.list.list.scrollY);
    f.dialog.codes.clear();
    f.Key(VK_DOWN);  // at the end: stays, and no news
    f.Key(VK_NEXT);
    f.Key(VK_END);
    EXPECT_EQ(f.list.CursorIndex(), 29);
    EXPECT_EQ(f.dialog.Count(NotifySelection), 0);

    f.Key(VK_HOME);
    EXPECT_EQ(f.list.CursorIndex(), 0);
    EXPECT_EQ(f.list.list.scrollY, 0);
    f.Key(VK_UP);
    f.Key(VK_PRIOR);
    EXPECT_EQ(f.list.CursorIndex(), 0);
    EXPECT_EQ(f.dialog.Count(NotifySelection), 1);

    f.Key(VK_DOWN, true);  // Ctrl+Down in a single-selection list: as End
    EXPECT_EQ(f.list.CursorIndex(), 29);
    f.Key(VK_UP, true);
    EXPECT_EQ(f.list.CursorIndex(), 0);
}

// Page Down goes to the last row that starts within one visible height below the cursor's top.
TEST(WinListBoxKeys, PageKeysMoveByTheVisibleHeightAndKeepTheCursorInView) {
    Fixture f(30);
    f.Key(VK_HOME);
    const int32_t visible = f.list.list.visibleHeight;
    ASSERT_GT(visible, 40);
    int32_t previous = 0;
    for (int page = 0; page < 10 && previous < 29; ++page) {
        f.Key(VK_NEXT);
        const int32_t cursor = f.list.CursorIndex();
        ASSERT_GT(cursor, previous);
        const LONG from = f.list.Item(previous)->rect.top;
        EXPECT_LE(f.list.Item(cursor)->rect.top - from, visible);
        if (cursor < 29) {
            EXPECT_GT(f.list.Item(cursor + 1)->rect.top - from, visible);
        }
        EXPECT_TRUE(f.CursorInView());
        previous = cursor;
    }
    EXPECT_EQ(previous, 29);
    for (int page = 0; page < 10 && previous > 0; ++page) {
        f.Key(VK_PRIOR);
        const int32_t cursor = f.list.CursorIndex();
        ASSERT_LT(cursor, previous);
        EXPECT_LE(f.list.Item(previous)->rect.top - f.list.Item(cursor)->rect.top, visible);
        EXPECT_TRUE(f.CursorInView());
        previous = cursor;
    }
    EXPECT_EQ(previous, 0);
}

TEST(WinListBoxKeys, SpecialRowHiddenItemsAndEmptyLists) {
    {
        Fixture f(5);
        f.list.specialRowHeight = 10;
        f.list.Relayout();
        f.Key(VK_END);
        EXPECT_EQ(f.list.CursorIndex(), kSpecialRow);
        f.Key(VK_UP);
        EXPECT_EQ(f.list.CursorIndex(), 4);
        f.Key(VK_DOWN);
        EXPECT_EQ(f.list.CursorIndex(), kSpecialRow);
        EXPECT_EQ(f.list.list.scrollY, std::max(0, MaxScroll(f.list)));
        // Without the row the cursor moves back onto the list.
        f.list.list.flags |= kListNoSpecialRow;
        f.list.Relayout();
        EXPECT_EQ(f.list.CursorIndex(), 4);
        f.Key(VK_DOWN);
        EXPECT_EQ(f.list.CursorIndex(), 4);
    }
    {
        Fixture f(6);
        for (int32_t i : {1, 2, 5}) f.list.Item(i)->flags |= kItemHidden;
        f.list.Relayout();
        EXPECT_EQ(f.list.Item(1)->rect.top, f.list.Item(1)->rect.bottom);
        EXPECT_EQ(f.list.Item(3)->rect.top, f.list.Item(0)->rect.bottom);  // no room taken
        f.Key(VK_HOME);
        f.Key(VK_DOWN);
        EXPECT_EQ(f.list.CursorIndex(), 3);
        f.Key(VK_END);
        EXPECT_EQ(f.list.CursorIndex(), 4);
        f.Key(VK_DOWN);
        EXPECT_EQ(f.list.CursorIndex(), 4);
        // All hidden: the keys end and leave the cursor alone.
        for (int32_t i = 0; i < 6; ++i) f.list.Item(i)->flags |= kItemHidden;
        f.list.Relayout();
        for (WPARAM key : {VK_HOME, VK_END, VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR}) f.Key(key);
        EXPECT_EQ(f.list.CursorIndex(), 4);
        EXPECT_EQ(f.list.list.contentHeight, 0);
    }
    {
        Fixture f(0);
        for (WPARAM key : {VK_HOME, VK_END, VK_DOWN, VK_UP, VK_NEXT, VK_RETURN, VK_SPACE}) f.Key(key);
        f.Wheel(-WHEEL_DELTA);
        PostMessageA(f.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        PostMessageA(f.Window(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
        PumpMessages();
        f.list.SetCursor(3);
        EXPECT_EQ(f.list.CursorIndex(), kNoCursor);
        EXPECT_EQ(f.list.Item(0), nullptr);
        EXPECT_TRUE(f.dialog.codes.empty());
        PixelCanvas canvas(f.ClientSize().cx, f.ClientSize().cy);
        f.DrawInto(canvas);
        EXPECT_EQ(canvas.Pixel(50, 50), WinListBox::BackgroundColour());
    }
}

// A header row stands above the scrolled rows and takes the cursor when clicked.
TEST(WinListBoxKeys, HeaderRowTakesTheTopAndTheCursor) {
    Fixture f(30);
    f.list.headerRowHeight = 15;
    f.list.Relayout();
    EXPECT_EQ(f.list.list.contentRect.top, 1 + 15);
    EXPECT_EQ(f.list.ItemAt({20, 8}), kHeaderRow);
    f.Wheel(-WHEEL_DELTA);
    EXPECT_EQ(f.list.ItemAt({20, 8}), kHeaderRow);  // it does not scroll
    PostMessageA(f.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 8));
    PumpMessages();
    EXPECT_EQ(f.list.CursorIndex(), kHeaderRow);
    f.Key(VK_DOWN);
    EXPECT_EQ(f.list.CursorIndex(), 0);
    EXPECT_TRUE(f.CursorInView());
    f.list.list.flags |= kListNoHeaderRow;
    f.list.Relayout();
    EXPECT_EQ(f.list.list.contentRect.top, 1);
}

// Items removed behind the list's back, or a cursor set beyond them, are brought back onto
// the rows that exist at the next use.
TEST(WinListBoxKeys, CursorAndScrollOutsideTheItemsAreClamped) {
    Fixture f(30);
    f.Key(VK_END);
    for (int i = 0; i < 25; ++i) f.list.list.items.Remove(f.list.list.items.EndNode()->previous);
    EXPECT_EQ(f.list.ItemCount(), 5);
    EXPECT_EQ(f.list.Item(4)->rect.top, f.list.Item(3)->rect.bottom);
    EXPECT_EQ(f.list.CursorIndex(), 4);
    EXPECT_EQ(f.list.list.scrollY, 0);

    f.list.list.cursorIndex = 999;
    f.list.list.anchorIndex = 999;
    f.list.list.scrollY = 100000;
    f.list.Relayout();
    EXPECT_EQ(f.list.CursorIndex(), 4);
    EXPECT_EQ(f.list.list.anchorIndex, kNoCursor);
    EXPECT_EQ(f.list.list.scrollY, 0);

    f.list.Clear();
    f.list.Fill(3);
    f.Key(VK_DOWN);
    EXPECT_EQ(f.list.CursorIndex(), 0);
}

// Enter and a double click report Enter; Escape still reaches the dialog through the view.
TEST(WinListBoxKeys, EnterDoubleClickAndEscapeReachTheDialog) {
    Fixture f(10);
    f.Key(VK_RETURN);
    EXPECT_EQ(f.dialog.Count(NotifyEnter), 1);
    f.Click(3);
    f.Click(3, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(f.list.CursorIndex(), 3);
    EXPECT_EQ(f.dialog.Count(NotifyEnter), 2);
    f.Key(VK_ESCAPE);
    EXPECT_EQ(f.dialog.Count(NotifyCancel), 1);
    EXPECT_EQ(f.dialog.Count(0), 0);  // the system button never reported a click of its own
}

// ---- selection ----

TEST(WinListBoxSelection, SingleSelectionKeepsOneItem) {
    Fixture f(10);
    f.Click(2);
    EXPECT_TRUE(WinLayerTest::FocusOn(f.Window()));
    f.Click(5, MK_CONTROL);  // no meaning in a single-selection list: a plain click
    f.Click(7, MK_SHIFT);
    f.Key(VK_SPACE);
    f.Key('A', true);
    EXPECT_EQ(f.list.CursorIndex(), 7);
    EXPECT_EQ(f.Selected(), 1);
    EXPECT_TRUE(f.list.Item(7)->IsSelected());
    EXPECT_EQ(f.dialog.Count(NotifySelection), 3);
}

TEST(WinListBoxSelection, MultipleSelectionByCtrlShiftSpaceAndCtrlA) {
    Fixture f(10, kListMultiple);
    f.Click(2);
    f.Click(5, MK_CONTROL);
    EXPECT_TRUE(f.list.Item(2)->IsSelected());
    EXPECT_TRUE(f.list.Item(5)->IsSelected());
    f.Click(5, MK_CONTROL);  // toggled off again
    EXPECT_FALSE(f.list.Item(5)->IsSelected());
    EXPECT_EQ(f.list.CursorIndex(), 5);

    f.Click(6, MK_SHIFT);  // from the anchor, 2, to 6
    EXPECT_EQ(f.Selected(), 5);
    for (int32_t i = 2; i <= 6; ++i) EXPECT_TRUE(f.list.Item(i)->IsSelected()) << i;

    f.Key(VK_DOWN, false, true);  // Shift+Down extends the range
    EXPECT_EQ(f.Selected(), 6);
    f.Key(VK_DOWN, true);  // Ctrl+Down moves only the cursor
    EXPECT_EQ(f.list.CursorIndex(), 8);
    EXPECT_EQ(f.Selected(), 6);
    f.Key(VK_SPACE);
    EXPECT_EQ(f.Selected(), 7);
    f.Key(VK_DOWN);  // a plain move selects the one item
    EXPECT_EQ(f.Selected(), 1);
    EXPECT_TRUE(f.list.Item(9)->IsSelected());
    f.Key('A', true);
    EXPECT_EQ(f.Selected(), 10);
    EXPECT_EQ(f.dialog.Count(NotifySelection), 9);
}

// A Shift+click with no anchor yet selects the clicked item rather than doing nothing.
TEST(WinListBoxSelection, ShiftClickWithoutAnchorSelectsTheItem) {
    Fixture f(10, kListMultiple);
    f.Click(4, MK_SHIFT);
    EXPECT_EQ(f.list.CursorIndex(), 4);
    EXPECT_EQ(f.Selected(), 1);
    f.Click(6, MK_SHIFT);
    EXPECT_EQ(f.Selected(), 3);
}

// A zoom width lays the list out wider than its window; clicks are scaled to match.
TEST(WinListBoxSelection, ZoomWidthScalesClickPoints) {
    Fixture f(30);
    const SIZE client = f.ClientSize();
    f.list.list.zoomWidth = client.cx * 2;
    f.list.Relayout();
    EXPECT_EQ(f.list.list.visibleWidth, client.cx * 2 - 2);
    const RECT row = f.RowOnScreen(9);  // layout coordinates
    PostMessageA(f.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.left / 2 + 2, (row.top + row.bottom) / 4));
    PumpMessages();
    EXPECT_EQ(f.list.CursorIndex(), 9);
}

// ---- scrolling and zoom ----

TEST(WinListBoxScrolling, LeftRightScrollWideRowsWithAHorizontalBar) {
    StringList list(10);
    list.Property().style |= WS_HSCROLL;
    list.itemWidth = 500;
    ListDialog dialog(list);
    ASSERT_TRUE(dialog.Show());
    SetFocus(list.Window());
    const int32_t widest = 500 - list.list.visibleWidth;
    ASSERT_GT(widest, 0);
    auto key = [&](WPARAM which, bool ctrl) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageA(list.Window(), WM_KEYDOWN, which, 1);
        PumpMessages();
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    };
    key(VK_RIGHT, false);
    EXPECT_EQ(list.list.scrollX, list.list.stepX);
    key(VK_RIGHT, true);
    EXPECT_EQ(list.list.scrollX, widest);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    GetScrollInfo(list.Window(), SB_HORZ, &info);
    EXPECT_EQ(info.nPos, widest);
    key(VK_LEFT, false);
    EXPECT_EQ(list.list.scrollX, widest - list.list.stepX);
    key(VK_LEFT, true);
    EXPECT_EQ(list.list.scrollX, 0);
    key(VK_LEFT, false);
    EXPECT_EQ(list.list.scrollX, 0);
}

TEST(WinListBoxScrolling, WheelAndScrollBarCodesClampAtBothEnds) {
    Fixture f(30);
    const int32_t notch = f.list.list.stepY * 3;
    f.Wheel(-WHEEL_DELTA);
    EXPECT_EQ(f.list.list.scrollY, notch);
    f.Wheel(-WHEEL_DELTA, MK_SHIFT);
    EXPECT_EQ(f.list.list.scrollY, 4 * notch);
    f.Wheel(WHEEL_DELTA);
    EXPECT_EQ(f.list.list.scrollY, 3 * notch);
    EXPECT_EQ(BarPosition(f.Window()), 3 * notch);
    EXPECT_GE(f.dialog.Count(NotifyScrolled), 3);
    EXPECT_EQ(f.list.CursorIndex(), kNoCursor);  // scrolling leaves the cursor alone

    f.Wheel(-50 * WHEEL_DELTA);
    EXPECT_EQ(f.list.list.scrollY, MaxScroll(f.list));
    f.Wheel(50 * WHEEL_DELTA);
    EXPECT_EQ(f.list.list.scrollY, 0);

    struct Case {
        int code;
        int32_t expected;
    } cases[] = {
        {SB_BOTTOM, MaxScroll(f.list)},
        {SB_LINEDOWN, MaxScroll(f.list)},
        {SB_PAGEUP, MaxScroll(f.list) - f.list.list.visibleHeight / 2},
        {SB_TOP, 0},
        {SB_LINEUP, 0},
        {SB_LINEDOWN, f.list.list.stepY},
        {SB_PAGEDOWN, f.list.list.stepY + f.list.list.visibleHeight / 2},
    };
    for (const Case& c : cases) {
        SendMessageA(f.Window(), WM_VSCROLL, MAKEWPARAM(c.code, 0), 0);
        EXPECT_EQ(f.list.list.scrollY, c.expected) << c.code;
        EXPECT_EQ(BarPosition(f.Window()), c.expected) << c.code;
    }
}

TEST(WinListBoxScrolling, ResizeKeepsTheCursorInViewAndTheScrollInRange) {
    Fixture f(30);
    f.Key(VK_END);
    f.Key(VK_UP);
    EXPECT_TRUE(f.CursorInView());
    MoveWindow(f.Window(), kListRect.left, kListRect.top, 200, 60, TRUE);
    PumpMessages();
    EXPECT_EQ(f.list.list.visibleHeight, f.ClientSize().cy - 2);
    EXPECT_TRUE(f.CursorInView());
    EXPECT_LE(f.list.list.scrollY, MaxScroll(f.list));

    // Grown past the content: nothing left to scroll.
    MoveWindow(f.Window(), kListRect.left, kListRect.top, 200, 2000, TRUE);
    PumpMessages();
    EXPECT_EQ(f.list.list.scrollY, 0);
    EXPECT_TRUE(f.CursorInView());
}

TEST(WinListBoxZoom, CtrlWheelResizesTheFontStopsAtSixAndKeepsTheCursorInView) {
    Fixture f(30);
    f.Key(VK_END);
    const LONG height = f.list.ResolvedFont().LogFont().lfHeight;
    const LONG rowHeight = f.list.Item(0)->rect.bottom;
    for (int i = 0; i < 4; ++i) f.Wheel(WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(f.list.Property().font, &f.list.list.zoomFont);
    EXPECT_EQ(std::abs(f.list.ResolvedFont().LogFont().lfHeight), std::abs(height) + 4);
    EXPECT_GT(f.list.Item(0)->rect.bottom, rowHeight);
    EXPECT_TRUE(f.CursorInView());
    EXPECT_EQ(f.list.list.scrollY, MaxScroll(f.list));

    f.Wheel(-100 * WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(std::abs(f.list.ResolvedFont().LogFont().lfHeight), 6);
    EXPECT_TRUE(f.CursorInView());
    f.Wheel(-WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(std::abs(f.list.ResolvedFont().LogFont().lfHeight), 6);
    f.Wheel(WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(std::abs(f.list.ResolvedFont().LogFont().lfHeight), 7);
    // Only the height changes: the rest of the description is copied.
    EXPECT_EQ(f.list.ResolvedFont().LogFont().lfCharSet, Environment().DefaultFont().LogFont().lfCharSet);
}

TEST(WinListBoxZoom, ZoomingSixtyNotchesEachWayReleasesEveryFont) {
    Environment().DefaultFont();  // made once, at first use
    const long before = LiveGdiObjects();
    {
        Fixture f(30);
        f.Wheel(WHEEL_DELTA, MK_CONTROL);  // the list's own font exists from here on
        const long live = LiveGdiObjects();
        const DWORD gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        std::vector<HFONT> replaced;
        for (int direction : {1, -1}) {
            for (int i = 0; i < 60; ++i) {
                replaced.push_back(f.list.list.zoomFont.Handle());
                f.Wheel(direction * WHEEL_DELTA, MK_CONTROL);
                UpdateWindow(f.Window());
            }
        }
        EXPECT_EQ(LiveGdiObjects(), live);
        if (gdiObjects != 0) {  // zero: the platform does not count them
            EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiObjects);
        }
        int alive = 0;
        for (HFONT font : replaced) alive += (font != f.list.list.zoomFont.Handle() && GetObjectType(font)) ? 1 : 0;
        EXPECT_EQ(alive, 0);
    }
    EXPECT_EQ(LiveGdiObjects(), before);
}

// ---- drawing ----

namespace {

bool RowHasColour(const PixelCanvas& canvas, const RECT& row, COLORREF colour) {
    for (LONG x = row.left + 1; x < row.right - 1; ++x) {
        if (canvas.Pixel(x, (row.top + row.bottom) / 2) == colour) return true;
    }
    return false;
}

}  // namespace

TEST(WinListBoxDrawing, CursorFrameSelectionFocusMarkAndMargins) {
    Fixture f(30);
    f.Key(VK_DOWN);
    f.Key(VK_DOWN);
    const SIZE size = f.ClientSize();
    PixelCanvas canvas(size.cx, size.cy);
    const RECT cursor = f.RowOnScreen(1);
    const RECT plain = f.RowOnScreen(3);

    f.DrawInto(canvas, ODS_FOCUS);
    EXPECT_EQ(canvas.Pixel(cursor.left, (cursor.top + cursor.bottom) / 2), kListCursorFrame);
    EXPECT_EQ(canvas.Pixel((cursor.left + cursor.right) / 2, cursor.top), kListCursorFrame);
    EXPECT_EQ(canvas.Pixel(cursor.right - 1, cursor.bottom - 1), kListCursorFrame);
    EXPECT_EQ(canvas.Pixel(cursor.right - 3, cursor.top + 2), kSelectedFocused);
    EXPECT_EQ(canvas.Pixel(plain.right - 3, plain.top + 2), WinListBox::BackgroundColour());
    EXPECT_FALSE(RowHasColour(canvas, plain, kListCursorFrame));
    EXPECT_EQ(canvas.Pixel(size.cx / 2, 0), kListFocusMark);                  // the focus line
    EXPECT_EQ(canvas.Pixel(0, size.cy / 2), WinListBox::BackgroundColour());  // margin

    SetFocus(f.dialog.Window());
    PumpMessages();
    f.DrawInto(canvas);
    EXPECT_EQ(canvas.Pixel(cursor.right - 3, cursor.top + 2), kSelectedUnfocused);
    EXPECT_EQ(canvas.Pixel(size.cx / 2, 0), WinListBox::BackgroundColour());
    EXPECT_EQ(canvas.Pixel(cursor.left, (cursor.top + cursor.bottom) / 2), kListCursorFrame);

    f.DrawInto(canvas, ODS_DISABLED);
    EXPECT_EQ(canvas.Pixel(plain.right - 3, plain.top + 2), SystemColours().face);

    // The target row has a frame of its own, unless the list has no special row.
    f.list.list.targetIndex = 3;
    f.DrawInto(canvas);
    EXPECT_EQ(canvas.Pixel(plain.left, (plain.top + plain.bottom) / 2), kListTargetFrame);
    f.list.list.flags |= kListNoSpecialRow;
    f.DrawInto(canvas);
    EXPECT_EQ(canvas.Pixel(plain.left, (plain.top + plain.bottom) / 2), WinListBox::BackgroundColour());
}

// Painting and scrolling a long list draws the rows in view and measures nothing: the work of a
// paint does not grow with the list.
TEST(WinListBoxDrawing, PaintWorkFollowsTheViewNotTheList) {
    std::vector<size_t> drawnPerPaint;
    for (int count : {30, 1399}) {
        Fixture f(count);
        const SIZE size = f.ClientSize();
        PixelCanvas canvas(size.cx, size.cy);
        f.DrawInto(canvas);
        f.list.measured = 0;
        f.list.drawn.clear();
        f.DrawInto(canvas);
        drawnPerPaint.push_back(f.list.drawn.size());
        for (int i = 0; i < 20; ++i) {
            f.Wheel(-WHEEL_DELTA);
            f.list.drawn.clear();
            f.DrawInto(canvas);
            EXPECT_LE(f.list.drawn.size(), drawnPerPaint.back() + 1);
        }
        EXPECT_EQ(f.list.measured, 0) << count;
        // The rows drawn are those in view, in order.
        const int32_t first = f.list.drawn.front();
        EXPECT_LT(f.RowOnScreen(first).top, f.list.list.contentRect.top + 1);
        EXPECT_GT(f.RowOnScreen(first).bottom, f.list.list.contentRect.top);
        EXPECT_GE(f.RowOnScreen(f.list.drawn.back()).bottom, f.list.list.contentRect.bottom);
    }
    EXPECT_EQ(drawnPerPaint[0], drawnPerPaint[1]);
}

// The picture for a person: a focused list with the cursor row, a selected range and the scroll bar.
TEST(WinListBoxDrawing, Screenshot) {
    Fixture f(40, kListMultiple);
    f.Click(2);
    f.Click(4, MK_SHIFT);
    f.Key(VK_DOWN, true);
    f.Key(VK_DOWN, true);
    RedrawWindow(f.dialog.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    PumpMessages();
    RECT window;
    GetWindowRect(f.Window(), &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    PixelCanvas canvas(width, height);
    {
        WindowDC screen(nullptr);
        BitBlt(canvas.Get(), 0, 0, width, height, screen.Get(), window.left, window.top, SRCCOPY);
    }
    EXPECT_TRUE(WinLayerTest::WritePicture(canvas, "WinListBox.png"));
    // What the screen shows is what the list drew: the cursor frame of row 6.
    const RECT cursor = f.RowOnScreen(6);
    POINT corner = {cursor.left, (cursor.top + cursor.bottom) / 2};
    MapWindowPoints(f.Window(), nullptr, &corner, 1);
    EXPECT_EQ(canvas.Pixel(corner.x - window.left, corner.y - window.top), kListCursorFrame);
}
