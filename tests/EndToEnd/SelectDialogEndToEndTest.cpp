// The select dialog used from the keyboard alone in the running program: keys go to the window
// that holds the focus and through the program's own message loop and tab navigation, as typed
// keys do; the date chosen is then applied by a drop from the desktop.
#include <gtest/gtest.h>

#include "EndToEnd/KairodexProcess.h"

namespace EndToEnd {
namespace {

// One key stroke, down and up, to the window that holds the focus.
void Press(HWND focus, WPARAM key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(focus, WM_KEYDOWN, key, scan | 1);
    PostMessageW(focus, WM_KEYUP, key, scan | 1 | (LPARAM(3) << 30));
}

// The window holding the focus in dialog's thread. When a window of another program became
// active meanwhile (tests run side by side), the thread holds no focus: the dialog is brought
// to the front again, as a user would click on it.
HWND AwaitFocus(HWND dialog) {
    for (int waited = 0; waited < 5000; waited += 20) {
        if (HWND focus = FocusOf(dialog)) return focus;
        SetForegroundWindow(dialog);
        Sleep(20);
    }
    return nullptr;
}

// Waits until the focus leaves from.
void AwaitFocusChange(HWND dialog, HWND from) {
    Await([&] { return FocusOf(dialog) != from; }, 5000);
}

// Presses Tab until the window holding the focus is one that wanted takes; that window, or null
// when Tab never brought the focus there. A press lost to another program's activation is
// pressed again.
template <class Wanted>
HWND TabUntil(HWND dialog, Wanted wanted) {
    for (int presses = 0; presses < 40; ++presses) {
        HWND focus = AwaitFocus(dialog);
        if (!focus) return nullptr;
        if (wanted(focus)) return focus;
        Press(focus, VK_TAB);
        AwaitFocusChange(dialog, focus);
    }
    return nullptr;
}

// The control of dialog that holds the focus once one does; null when none came to. A dialog
// brought to the front again holds the focus itself, and Tab enters its controls.
HWND AwaitFocusIn(HWND dialog) {
    for (int waited = 0; waited < 5000; waited += 20) {
        HWND focus = AwaitFocus(dialog);
        if (IsChild(dialog, focus)) return focus;
        if (focus == dialog) Press(dialog, VK_TAB);
        Sleep(20);
    }
    return nullptr;
}


}  // namespace

TEST(SelectByKeyboard, TabSpaceAndArrowsChooseAnEarlierYearThatADropThenApplies) {
    Sandbox box;
    box.WriteFile(L"file.txt", "data");
    const Times old{UtcTime(2001, 2, 3, 4, 5, 6, 7), UtcTime(2002, 3, 4, 5, 6, 7, 8), UtcTime(2003, 4, 5, 6, 7, 8, 9)};
    ASSERT_TRUE(SetTimes(box.Path(L"file.txt"), old));
    RunningProgram program(box, L"-u -D 2024/09/07 -d -w");
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr) << "no main window";
    HWND dateBox = GetDlgItem(window, kDateBox);
    ASSERT_EQ(AwaitText(dateBox, L"2024/09/07"), L"2024/09/07");

    // From the dialog as it came up, Tab by Tab to the date row's select button; Space opens
    // the select dialog, whose year list has the focus.
    HWND dateSelect = GetDlgItem(window, kDateSelect);
    ASSERT_EQ(TabUntil(window, [dateSelect](HWND focus) { return focus == dateSelect; }), dateSelect)
        << "Tab did not reach the select button";
    Press(dateSelect, VK_SPACE);
    HWND select = nullptr;
    Await([&] { return (select = WindowOfProcess(program.Id(), L"Kairodex_Select")) != nullptr; });
    ASSERT_NE(select, nullptr) << "no select dialog";
    EXPECT_EQ(Narrow(WindowTextOf(select)), "Specify date");
    HWND yearList = AwaitFocusIn(select);
    ASSERT_NE(yearList, nullptr) << "the select dialog's lists did not take the focus";

    Press(yearList, VK_UP);  // one year earlier
    HWND finish = TabUntil(select, [](HWND focus) { return WindowTextOf(focus) == L"Finish"; });
    ASSERT_NE(finish, nullptr) << "Tab did not reach the finish button";
    Press(finish, VK_SPACE);
    ASSERT_TRUE(Await([&] { return !WindowOfProcess(program.Id(), L"Kairodex_Select"); })) << "the select dialog stayed";
    EXPECT_EQ(Narrow(AwaitText(dateBox, L"2023/09/07")), "2023/09/07");
    EXPECT_TRUE(Await([&] { return FocusOf(window) == dateBox; }, 5000)) << "the date box did not take the focus back";

    // The chosen date goes into the dropped file; its time of day and access time stay.
    std::string why;
    ASSERT_TRUE(DropFromDesktop(GetDlgItem(window, kTargetBox), {box.Path(L"file.txt")}, &why)) << why;
    Await([&] { return GetTimes(box.Path(L"file.txt")).lastWrite != old.lastWrite; }, 20000);
    const Times now = GetTimes(box.Path(L"file.txt"));
    EXPECT_EQ(FormatUtc(now.lastWrite), FormatUtc(UtcTime(2023, 9, 7, 6, 7, 8, 9)));
    EXPECT_EQ(FormatUtc(now.lastAccess), FormatUtc(old.lastAccess));

    PostMessageW(GetDlgItem(window, kCloseButton), WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_TRUE(program.boxes.empty());
}

}  // namespace EndToEnd
