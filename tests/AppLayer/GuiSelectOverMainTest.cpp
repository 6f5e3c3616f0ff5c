// The select dialog opened from a real main dialog: where it stands against the main window
// and the work area, and how it keeps the user while the main window is blocked. Steps run from
// a thread timer inside the modal loop.
#include <gtest/gtest.h>

#include <cstdlib>

#include "AppLayer/GuiMainDialog.h"
#include "AppLayer/GuiSelectDialog.h"
#include "GuiMainDialogFixture.h"
#include "GuiSelectTestSupport.h"
#include "RealInput.h"
#include "WinLayer/WinTestScript.h"

using namespace AppLayer;
using AppLayerTest::MainDialogFixture;
using WinLayerTest::Script;

namespace {

GuiSelectDialog* OpenSelectDialog() {
    return dynamic_cast<GuiSelectDialog*>(WinLayer::WinDialog::DialogList().FindIf(
        [](WinLayer::WinView& view) { return dynamic_cast<GuiSelectDialog*>(&view) != nullptr; }));
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT WorkArea() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// Whether upper stands anywhere above lower in the Z-order of the top-level windows.
bool Above(HWND upper, HWND lower) {
    for (HWND window = GetWindow(lower, GW_HWNDPREV); window; window = GetWindow(window, GW_HWNDPREV)) {
        if (window == upper) return true;
    }
    return false;
}

using TestSupport::RealClick;

void PressSpace(const WinLayer::WinView& button) { PostMessageA(button.Window(), WM_KEYDOWN, VK_SPACE, 0); }

}  // namespace

// Exactly as tall as the main window and level with it, centred across it; shifted inside the
// work area when the main window stands over its left or right edge.
TEST(GuiSelectOverMain, LevelWithTheMainWindowCentredAndInsideTheWorkArea) {
    const RECT work = WorkArea();
    enum Where { kAsPlaced, kOverLeftEdge, kOverRightEdge };
    for (const Where where : {kAsPlaced, kOverLeftEdge, kOverRightEdge}) {
        MainDialogFixture fixture;
        ASSERT_TRUE(fixture.Start());
        const RECT placed = WindowRect(fixture.Window());
        const LONG width = placed.right - placed.left;
        if (where == kOverLeftEdge) {
            SetWindowPos(fixture.Window(), nullptr, work.left - width / 2, placed.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (where == kOverRightEdge) {
            SetWindowPos(fixture.Window(), nullptr, work.right - width / 2, placed.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        WinLayerTest::PumpMessages();
        const RECT owner = WindowRect(fixture.Window());
        // The main window really stands over the edge: nothing moved it back.
        if (where == kOverLeftEdge) {
            ASSERT_LT(owner.left, work.left);
        } else if (where == kOverRightEdge) {
            ASSERT_GT(owner.right, work.right);
        }
        bool seen = false;
        Script script({
            [&] {
                GuiSelectDialog* select = OpenSelectDialog();
                ASSERT_TRUE(select && select->Window()) << where;
                seen = true;
                const RECT rect = WindowRect(select->Window());
                EXPECT_EQ(rect.top, owner.top) << where;
                EXPECT_EQ(rect.bottom, owner.bottom) << where;
                EXPECT_GE(rect.left, work.left) << where;
                EXPECT_LE(rect.right, work.right) << where;
                const LONG centreOffset = (rect.left + rect.right) / 2 - (owner.left + owner.right) / 2;
                if (where == kAsPlaced) {
                    EXPECT_LE(std::abs(centreOffset), 1) << "centred on the main window";
                    // Its client area, as the main dialog's picture shows it.
                    AppLayerTest::KeepWindowPicture(select->Window(), "GuiSelectDialog.png", false);
                } else if (where == kOverLeftEdge) {
                    EXPECT_EQ(rect.left, work.left) << "moved in no further than needed";
                } else {
                    EXPECT_EQ(rect.right, work.right) << "moved in no further than needed";
                }
                PressSpace(select->cancelButton);
            },
        });
        fixture.Click(fixture.Controls().date.select);
        EXPECT_TRUE(seen) << where << ": the select dialog was not opened";
        EXPECT_TRUE(script.Finished()) << where;
    }
}

// While the select dialog is open, the main window takes no input: a click on one of its check
// boxes changes nothing and brings the select dialog back to the front, and so does the main
// window raised over it (a click on its caption) or activated (switched to). After Finish the
// main window is free again, active, with the focus in the box of the picked part.
TEST(GuiSelectOverMain, TheBlockedMainWindowSendsTheUserToTheSelectDialog) {
    MainDialogFixture fixture;
    ASSERT_TRUE(fixture.Start());
    GuiMainControls& c = fixture.Controls();
    HWND main = fixture.Window();
    ASSERT_TRUE(WinLayerTest::InFront(main));
    const uint16_t flagsBefore = fixture.settings.flags;
    GuiSelectDialog* select = nullptr;
    Script script({
        [&] {
            select = OpenSelectDialog();
            ASSERT_TRUE(select && select->Window());
            EXPECT_EQ(fixture.dialog->BlockingWindow(), select->Window());
            EXPECT_TRUE(Above(select->Window(), main));
            // A window manager raises a window whose caption is clicked.
            SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        },
        [&] {
            ASSERT_TRUE(select && select->Window());
            EXPECT_TRUE(Above(select->Window(), main)) << "raised back over the main window";
            EXPECT_EQ(GetActiveWindow(), select->Window()) << WinLayerTest::Describe(GetActiveWindow());
            RECT box = {};
            GetWindowRect(c.date.use.Window(), &box);
            const POINT at = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
            ASSERT_EQ(WindowFromPoint(at), c.date.use.Window()) << "the check box is not in sight";
            RealClick(at);
        },
        [] {},  // the click and what it causes run through the loop
        [&] {
            ASSERT_TRUE(select && select->Window());
            EXPECT_EQ(fixture.settings.flags, flagsBefore) << "the click reached the blocked check box";
            EXPECT_EQ(c.date.use.checked, 1);
            EXPECT_TRUE(Above(select->Window(), main));
            EXPECT_EQ(GetActiveWindow(), select->Window()) << WinLayerTest::Describe(GetActiveWindow());
            EXPECT_TRUE(WinLayerTest::FocusOn(select->Window(), true)) << "the keyboard stays in the select dialog";
            // The user switches to the blocked window itself (as the desktop's task switch does).
            SetForegroundWindow(main);
        },
        [] {},
        [&] {
            ASSERT_TRUE(select && select->Window());
            EXPECT_EQ(GetActiveWindow(), select->Window()) << WinLayerTest::Describe(GetActiveWindow());
            EXPECT_TRUE(WinLayerTest::FocusOn(select->Window(), true)) << "activated, the main window hands it back";
            PostMessageA(select->firstList.Window(), WM_KEYDOWN, VK_UP, 0);
            PressSpace(select->finishButton);
        },
    });
    fixture.Click(c.date.select);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(fixture.dialog->BlockingWindow(), nullptr);
    EXPECT_EQ(OpenSelectDialog(), nullptr);
    EXPECT_EQ(GetActiveWindow(), main) << WinLayerTest::Describe(GetActiveWindow());
    EXPECT_TRUE(WinLayerTest::FocusOn(c.date.box.Window()));
    EXPECT_EQ(AppLayerTest::Text(c.date.box.GetText()), "2000/02/03");
    // Free again: the same click on the check box now clears the date part.
    RECT box = {};
    GetWindowRect(c.date.use.Window(), &box);
    RealClick({(box.left + box.right) / 2, (box.top + box.bottom) / 2});
    WinLayerTest::PumpMessages();
    EXPECT_EQ(fixture.settings.flags & UseDate, 0);
}
