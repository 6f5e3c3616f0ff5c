// The select dialog, modal over a real owner dialog: steps run from a thread timer inside the
// modal loop, keys and clicks arrive as posted messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "AppLayer/GuiSelectDialog.h"
#include "GuiSelectTestSupport.h"
#include "SystemTimeMaker.h"
#include "WinLayer/WinDialog.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinPixelSupport.h"
#include "WinLayer/WinTestScript.h"
#include "WinLayer/WinTestSupport.h"

using namespace AppLayer;
using WinLayer::WinDialog;

namespace {

using WinLayerTest::Script;

// The main window stand-in that owns the select dialog.
class OwnerDialog : public WinDialog {
public:
    explicit OwnerDialog(RECT rect) {
        Property().className = "KairodexSelectTestOwner";
        Property().style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        Property().text = "Owner";
        viewRect = rect;
    }
    ~OwnerDialog() override {
        if (Window()) DestroyWindow(Window());
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // posted by the destruction
    }
};

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

void Key(const GuiSelectBox& box, WPARAM key) { PostMessageA(box.Window(), WM_KEYDOWN, key, 0); }

void Click(HWND window) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

RECT ClientOf(HWND window, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Whether the cursor row stands as near the middle of the list as the list's range allows.
void ExpectCursorCentred(GuiSelectBox& box, int32_t row, const char* what) {
    EXPECT_EQ(box.CursorIndex(), row) << what;
    WinLayer::WinListBoxItemUnit* item = box.Item(row);
    ASSERT_NE(item, nullptr) << what;
    const WinLayer::WinListBoxState& state = box.list;
    const int32_t wanted = (item->rect.top + item->rect.bottom) / 2 - state.visibleHeight / 2;
    const int32_t highest = std::max(0, state.contentHeight - state.visibleHeight);
    EXPECT_EQ(state.scrollY, std::clamp(wanted, 0, highest)) << what;
}

// Draws the list as its dialog has it drawn: the dialog forwards WM_DRAWITEM to it.
void DrawList(GuiSelectBox& box, HDC dc) {
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(box.Property().identifier);
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = box.Window();
    item.hDC = dc;
    GetClientRect(box.Window(), &item.rcItem);
    SendMessageA(GetParent(box.Window()), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

// The colour of the cursor row just inside its frame, above the text.
COLORREF SelectedRowColour(GuiSelectBox& box) {
    RECT client = {};
    GetClientRect(box.Window(), &client);
    WinLayerTest::PixelCanvas canvas(client.right, client.bottom);
    DrawList(box, canvas.Get());
    const WinLayer::WinListBoxItemUnit* row = box.Item(box.CursorIndex());
    if (!row) return CLR_INVALID;
    const int y = box.list.contentRect.top + row->rect.top - box.list.scrollY + 1;
    return canvas.Pixel(box.list.contentRect.right - 3, y);
}

// The width of the widest number of the list in its own font, as its rows draw them.
LONG WidestNumber(GuiSelectBox& box) {
    HDC dc = GetDC(box.Window());
    HGDIOBJ previous = SelectObject(dc, box.ResolvedFont().Handle());
    LONG widest = 0;
    for (int32_t number = box.Minimum(); number < box.End(); ++number) {
        char text[16] = {};
        std::snprintf(text, sizeof(text), "%0*d", static_cast<int>(box.Digits()), static_cast<int>(number));
        RECT rect = {0, 0, 1000, 1000};
        DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        widest = std::max(widest, rect.right - rect.left);
    }
    SelectObject(dc, previous);
    ReleaseDC(box.Window(), dc);
    return widest;
}

// Each list shows its widest number whole beside its scroll bar; the five controls of the lists
// row stand side by side without overlapping; every control lies inside the client area, at
// least the gap away from its edges, and the buttons stand in the bottom right corner.
void ExpectListsRowWhole(GuiSelectDialog& select, const char* what) {
    HWND window = select.Window();
    RECT client = {};
    GetClientRect(window, &client);
    const int gap = WinLayer::Environment().StandardGap();
    const WinLayer::WinView* row[] = {&select.firstList, &select.firstSeparator, &select.secondList,
                                      &select.secondSeparator, &select.thirdList};
    LONG previousRight = LONG_MIN;
    for (const WinLayer::WinView* control : row) {
        const RECT rect = ClientOf(window, control->Window());
        EXPECT_GE(rect.left, previousRight) << what << ": overlaps its left neighbour at " << rect.left;
        EXPECT_GT(rect.right, rect.left) << what;
        previousRight = rect.right;
    }
    for (GuiSelectBox* box : {&select.firstList, &select.secondList, &select.thirdList}) {
        RECT inside = {};
        GetClientRect(box->Window(), &inside);
        EXPECT_TRUE(GetWindowLongPtrW(box->Window(), GWL_STYLE) & WS_VSCROLL) << what;
        // The rows are drawn 2 pixels in from each side of the content, itself inside the margins.
        const LONG needed = WidestNumber(*box) + 4 + box->margins.left + box->margins.right;
        EXPECT_GE(inside.right, needed) << what << ": a list " << inside.right << " wide needs " << needed;
        EXPECT_GE(box->list.visibleWidth, needed - box->margins.left - box->margins.right) << what;
    }
    for (const WinLayer::WinView* control : {static_cast<const WinLayer::WinView*>(&select.firstList),
                                             static_cast<const WinLayer::WinView*>(&select.thirdList),
                                             static_cast<const WinLayer::WinView*>(&select.finishButton),
                                             static_cast<const WinLayer::WinView*>(&select.cancelButton)}) {
        const RECT rect = ClientOf(window, control->Window());
        EXPECT_GE(rect.left, gap) << what << ": " << rect.left << "," << rect.top << "," << rect.right << ","
                                  << rect.bottom << " in " << client.right << "x" << client.bottom;
        EXPECT_GE(rect.top, gap) << what;
        EXPECT_LE(rect.right, client.right - gap) << what << ": " << rect.right << " of " << client.right;
        EXPECT_LE(rect.bottom, client.bottom - gap) << what;
    }
    const RECT cancel = ClientOf(window, select.cancelButton.Window());
    EXPECT_LE(ClientOf(window, select.firstList.Window()).bottom, cancel.top) << what << ": lists over the buttons";
    EXPECT_EQ(cancel.right, client.right - gap) << what << ": the buttons keep to the bottom right";
    EXPECT_EQ(cancel.bottom, client.bottom - gap) << what;
}

struct Scene {
    OwnerDialog owner{{300, 120, 700, 520}};
    GuiSelectDialog select;
    Scene() {
        EXPECT_TRUE(owner.Show());
        EXPECT_TRUE(WinLayerTest::InFront(owner.Window()));
    }
};

}  // namespace

TEST(GuiSelectDialog, DateFinishCopiesTheChosenDateOnlyAndTheMergeKeepsToTheMonth) {
    Scene scene;
    GuiSelectDialog& select = scene.select;
    SYSTEMTIME value = TestSupport::Time(2024, 2, 29, 13, 14, 15, 678);
    Script script({
        [&] {
            ASSERT_NE(select.Window(), nullptr);
            EXPECT_EQ(scene.owner.BlockingWindow(), select.Window());
            ASSERT_TRUE(WinLayerTest::InFront(select.Window()));
            EXPECT_TRUE(WinLayerTest::FocusOn(select.firstList.Window())) << "the first list has the keyboard";
            ExpectCursorCentred(select.firstList, 2024 - 1601, "year");
            ExpectCursorCentred(select.secondList, 1, "month");
            ExpectCursorCentred(select.thirdList, 28, "day");
            EXPECT_EQ(select.firstList.ItemCount(), 1399);
            EXPECT_EQ(select.thirdList.ItemCount(), 31);
            EXPECT_EQ(SelectedRowColour(select.firstList), GuiSelectBox::kSelectedFocused);
            EXPECT_EQ(SelectedRowColour(select.secondList), GuiSelectBox::kSelectedUnfocused);
            AppLayerTest::KeepWindowPicture(select.Window(), "select-dialog.png");
            Key(select.firstList, VK_UP);
        },
        [&] {
            ExpectCursorCentred(select.firstList, 2023 - 1601, "year moved");
            EXPECT_EQ(select.firstList.Current(), 2023);
            Click(select.finishButton.Window());
        },
    });
    EXPECT_EQ(select.Run(&scene.owner, kSelectDate, value), 1);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(SameTime(value, TestSupport::Time(2023, 2, 29, 13, 14, 15, 678)));
    EXPECT_EQ(scene.owner.BlockingWindow(), nullptr);

    FileTimeValue target;
    ASSERT_TRUE(target.StoreUtc(TestSupport::Time(2024, 2, 29, 13, 14, 15, 678)));
    ASSERT_TRUE(MergeSelection(target, value, kSelectDate, ShowUtc | UseTime | UseMSec));
    EXPECT_TRUE(SameTime(target.brokenDown, TestSupport::Time(2024 - 1, 2, 28, 13, 14, 15, 678)));
}

// Reached and finished with the keyboard alone.
TEST(GuiSelectDialog, TimeFinishCopiesHourMinuteSecondOnly) {
    Scene scene;
    GuiSelectDialog& select = scene.select;
    SYSTEMTIME value = TestSupport::Time(2024, 2, 29, 13, 14, 15, 678);
    Script script({
        [&] {
            ASSERT_NE(select.Window(), nullptr);
            ASSERT_TRUE(WinLayerTest::InFront(select.Window()));
            ExpectCursorCentred(select.firstList, 13, "hour");
            ExpectCursorCentred(select.secondList, 14, "minute");
            ExpectCursorCentred(select.thirdList, 15, "second");
            EXPECT_EQ(select.firstList.ItemCount(), 24);
            Key(select.firstList, VK_DOWN);
            Key(select.secondList, VK_END);
            Key(select.thirdList, VK_HOME);
        },
        [&] {
            ExpectCursorCentred(select.secondList, 59, "minute at the end");
            ExpectCursorCentred(select.thirdList, 0, "second at the top");
            EXPECT_EQ(SelectedRowColour(select.firstList), GuiSelectBox::kSelectedFocused);
            Key(select.thirdList, VK_TAB);  // the keyboard's way to the finish button
        },
        [&] {
            EXPECT_TRUE(WinLayerTest::FocusOn(select.finishButton.Window()));
            EXPECT_EQ(SelectedRowColour(select.firstList), GuiSelectBox::kSelectedUnfocused) << "the focus went on";
            PostMessageA(select.finishButton.Window(), WM_KEYDOWN, VK_SPACE, 0);
        },
    });
    EXPECT_EQ(select.Run(&scene.owner, kSelectTime, value), 1);
    EXPECT_TRUE(SameTime(value, TestSupport::Time(2024, 2, 29, 14, 59, 0, 678)));
}

// Cancel, Escape in a list and the caption's close all end with 0 and hand nothing back.
TEST(GuiSelectDialog, CancelEscapeAndCloseChangeNothing) {
    const struct {
        const char* what;
        std::function<void(GuiSelectDialog&)> end;
    } cases[] = {
        {"cancel", [](GuiSelectDialog& select) { Click(select.cancelButton.Window()); }},
        {"escape", [](GuiSelectDialog& select) { Key(select.secondList, VK_ESCAPE); }},
        {"close", [](GuiSelectDialog& select) { PostMessageA(select.Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& c : cases) {
        Scene scene;
        GuiSelectDialog& select = scene.select;
        SYSTEMTIME value = TestSupport::Time(2024, 2, 29, 13, 14, 15, 678);
        Script script({
            [&] {
                Key(select.firstList, VK_DOWN);
                Key(select.secondList, VK_DOWN);
            },
            [&] {
                EXPECT_EQ(select.firstList.Current(), 2025) << c.what;
                c.end(select);
            },
        });
        EXPECT_EQ(select.Run(&scene.owner, kSelectDate, value), 0) << c.what;
        EXPECT_TRUE(script.Finished()) << c.what;
        EXPECT_TRUE(SameTime(value, TestSupport::Time(2024, 2, 29, 13, 14, 15, 678))) << c.what;
        EXPECT_EQ(select.Window(), nullptr) << c.what;
    }
}

// A year the list does not offer (the value reaches 30827): no cursor, the top in view, and
// Finish hands the value's own year back.
TEST(GuiSelectDialog, YearOutsideTheListOpensWithoutCursorAndIsKept) {
    Scene scene;
    GuiSelectDialog& select = scene.select;
    SYSTEMTIME value = TestSupport::Time(9999, 1, 1, 0, 0, 0, 0);
    Script script({
        [&] {
            ASSERT_NE(select.Window(), nullptr);
            EXPECT_EQ(select.firstList.CursorIndex(), WinLayer::kNoCursor);
            EXPECT_EQ(select.firstList.list.scrollY, 0);
            ExpectCursorCentred(select.secondList, 0, "January, clamped to the top");
            Key(select.thirdList, VK_DOWN);
        },
        [&] { Click(select.finishButton.Window()); },
    });
    EXPECT_EQ(select.Run(&scene.owner, kSelectDate, value), 1);
    EXPECT_TRUE(SameTime(value, TestSupport::Time(9999, 1, 2, 0, 0, 0, 0)));
}

// As tall as the owner and level with it, centred across it; growing the dialog lengthens the
// lists and keeps the buttons in the bottom right corner.
TEST(GuiSelectDialog, LayoutFollowsTheOwnerAndTheSize) {
    Scene scene;
    GuiSelectDialog& select = scene.select;
    SYSTEMTIME value = TestSupport::Time(2024, 6, 15, 12, 0, 0, 0);
    RECT ownerRect = {};
    GetWindowRect(scene.owner.Window(), &ownerRect);
    Script script({
        [&] {
            HWND window = select.Window();
            ASSERT_NE(window, nullptr);
            RECT rect = {};
            GetWindowRect(window, &rect);
            EXPECT_EQ(rect.top, ownerRect.top);
            EXPECT_EQ(rect.bottom, ownerRect.bottom);
            EXPECT_LE(std::abs((rect.left + rect.right) / 2 - (ownerRect.left + ownerRect.right) / 2), 1);

            RECT client = {};
            GetClientRect(window, &client);
            const RECT list = ClientOf(window, select.firstList.Window());
            const RECT cancel = ClientOf(window, select.cancelButton.Window());
            const RECT finish = ClientOf(window, select.finishButton.Window());
            EXPECT_EQ(finish.right, cancel.left);
            EXPECT_GT(list.bottom - list.top, 50) << "the lists take the owner's height";

            SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left + 40, rect.bottom - rect.top + 60,
                         SWP_NOMOVE | SWP_NOZORDER);
            RECT grown = {};
            GetClientRect(window, &grown);
            const RECT listAfter = ClientOf(window, select.firstList.Window());
            const RECT cancelAfter = ClientOf(window, select.cancelButton.Window());
            EXPECT_EQ(listAfter.bottom - listAfter.top, list.bottom - list.top + (grown.bottom - client.bottom));
            EXPECT_EQ(listAfter.right - listAfter.left, list.right - list.left);
            EXPECT_EQ(grown.right - cancelAfter.right, client.right - cancel.right);
            EXPECT_EQ(grown.bottom - cancelAfter.bottom, client.bottom - cancel.bottom);
            const WinLayer::WinListBoxItemUnit* row = select.firstList.Item(2024 - 1601);
            ASSERT_NE(row, nullptr);
            const WinLayer::WinListBoxState& state = select.firstList.list;
            EXPECT_GE(row->rect.top, state.scrollY) << "the cursor row stays in view";
            EXPECT_LE(row->rect.bottom, state.scrollY + state.visibleHeight) << "the cursor row stays in view";

            // Shrinking stops at the size the dialog was built with.
            MINMAXINFO limits = {};
            SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
            EXPECT_GT(limits.ptMinTrackSize.y, 0);
            EXPECT_LT(limits.ptMinTrackSize.y, rect.bottom - rect.top);
            Click(select.cancelButton.Window());
        },
    });
    EXPECT_EQ(select.Run(&scene.owner, kSelectDate, value), 0);
    EXPECT_TRUE(script.Finished()) << "the dialog did not show";
}

// An owner over a screen edge, even one whose middle lies beyond it: the dialog is shifted
// inside the work area, where it can be reached.
TEST(GuiSelectDialog, PlacementStaysInsideTheWorkArea) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT owners[] = {
        {work.left - 300, work.top + 50, work.left + 60, work.top + 350},
        {work.right - 60, work.top + 50, work.right + 300, work.top + 350},
        {work.left - 40, work.top + 50, work.left + 200, work.top + 350},
    };
    for (const RECT& ownerRect : owners) {
        OwnerDialog owner(ownerRect);
        ASSERT_TRUE(owner.Show());
        GuiSelectDialog select;
        select.SetUp(&owner, kSelectTime, TestSupport::Time(2024, 1, 1, 1, 2, 3, 4));
        EXPECT_GE(select.viewRect.left, work.left) << ownerRect.left;
        EXPECT_LE(select.viewRect.right, work.right) << ownerRect.left;
        EXPECT_EQ(select.viewRect.top, ownerRect.top);
        EXPECT_EQ(select.viewRect.bottom, ownerRect.bottom);
    }
}

// In both modes every number shows whole and nothing is cut at the edges of the dialog.
TEST(GuiSelectDialog, ListsRowShowsEveryNumberWhole) {
    for (const uint16_t selectMode : {kSelectDate, kSelectTime}) {
        const char* what = selectMode == kSelectDate ? "date" : "time";
        Scene scene;
        GuiSelectDialog& select = scene.select;
        SYSTEMTIME value = TestSupport::Time(2024, 6, 15, 12, 0, 0, 0);
        Script script({
            [&] {
                ASSERT_NE(select.Window(), nullptr);
                ExpectListsRowWhole(select, what);
                Click(select.cancelButton.Window());
            },
        });
        EXPECT_EQ(select.Run(&scene.owner, selectMode, value), 0) << what;
        EXPECT_TRUE(script.Finished()) << what << ": the dialog did not show";
    }
}
