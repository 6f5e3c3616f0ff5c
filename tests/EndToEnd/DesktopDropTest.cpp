// Files and folders dropped on the running main dialog from the Linux desktop, through X11 drag
// and drop, as a file manager drops them. The creation time is not checked: Wine on Linux
// cannot store it.
#include <gtest/gtest.h>

#include "EndToEnd/KairodexProcess.h"

namespace EndToEnd {
namespace {

// Waits until the file's last write time leaves before; false when it did not within the limit.
bool AwaitChange(const std::wstring& path, uint64_t before) {
    return Await([&] { return GetTimes(path).lastWrite != before; }, 20000);
}

}  // namespace

TEST(DesktopDrop, DroppedFilesAndEveryFileBelowADroppedFolderTakeTheChosenTimes) {
    Sandbox box;
    box.MakeFolder(L"dir");
    box.MakeFolder(L"dir\\sub");
    // Names a URI must encode: a blank, a percent sign and a letter outside ASCII.
    const std::vector<std::wstring> files = {L"plain.txt", L"blank and 100%\u00e9.txt", L"dir\\inner.txt",
                                             L"dir\\sub\\deep.txt", L"untouched.txt"};
    const Times old{UtcTime(2001, 2, 3, 4, 5, 6, 7), UtcTime(2002, 3, 4, 5, 6, 7, 8), UtcTime(2003, 4, 5, 6, 7, 8, 9)};
    for (const std::wstring& name : files) {
        box.WriteFile(name, "data");
        ASSERT_TRUE(SetTimes(box.Path(name), old));
    }
    RunningProgram program(box, L"-u -D 2024/09/07 -T 10:20:30 -M 5 -d -t -m -w -a");
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr) << "no main window";
    // The boxes are in place once they show the value.
    ASSERT_EQ(Narrow(AwaitText(GetDlgItem(window, kDateBox), L"2024/09/07")), "2024/09/07");
    std::string why;
    ASSERT_TRUE(DropFromDesktop(GetDlgItem(window, kTargetBox),
                                {box.Path(files[0]), box.Path(files[1]), box.Path(L"dir")}, &why))
        << why;
    ASSERT_TRUE(AwaitChange(box.Path(L"dir\\sub\\deep.txt"), old.lastWrite)) << "the file in the subfolder stayed";

    const uint64_t chosen = UtcTime(2024, 9, 7, 10, 20, 30, 5);
    for (size_t i = 0; i < 4; ++i) {
        const Times now = GetTimes(box.Path(files[i]));
        EXPECT_EQ(FormatUtc(now.lastWrite), FormatUtc(chosen)) << i;
        EXPECT_EQ(FormatUtc(now.lastAccess), FormatUtc(chosen)) << i;
    }
    EXPECT_EQ(GetTimes(box.Path(L"untouched.txt")).lastWrite, old.lastWrite);
    EXPECT_NE(FormatUtc(GetTimes(box.Path(L"dir")).lastWrite), FormatUtc(chosen)) << "a folder's own time changed";

    Click(GetDlgItem(window, kCloseButton));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_TRUE(program.boxes.empty());
}

TEST(DesktopDrop, SeveralFilesOnTheSourceBoxGiveTheFirstOnesTimeAndChangeNone) {
    Sandbox box;
    box.WriteFile(L"first.txt", "data");
    box.WriteFile(L"second.txt", "data");
    const Times first{UtcTime(2001, 1, 1, 0, 0, 0, 0), UtcTime(2002, 1, 1, 0, 0, 0, 0),
                      UtcTime(2019, 6, 1, 12, 34, 56, 789)};
    const Times second{UtcTime(2005, 1, 1, 0, 0, 0, 0), UtcTime(2006, 1, 1, 0, 0, 0, 0),
                       UtcTime(2011, 11, 11, 11, 11, 11, 111)};
    ASSERT_TRUE(SetTimes(box.Path(L"first.txt"), first));
    ASSERT_TRUE(SetTimes(box.Path(L"second.txt"), second));
    RunningProgram program(box, L"-u -D 2024/09/07 -T 10:20:30 -M 5");
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr) << "no main window";
    ASSERT_EQ(Narrow(AwaitText(GetDlgItem(window, kDateBox), L"2024/09/07")), "2024/09/07");
    std::string why;
    ASSERT_TRUE(
        DropFromDesktop(GetDlgItem(window, kSourceBox), {box.Path(L"first.txt"), box.Path(L"second.txt")}, &why))
        << why;
    EXPECT_EQ(Narrow(AwaitText(GetDlgItem(window, kDateBox), L"2019/06/01")), "2019/06/01");
    EXPECT_EQ(Narrow(AwaitText(GetDlgItem(window, kTimeBox), L"12:34:56")), "12:34:56");
    EXPECT_EQ(Narrow(AwaitText(GetDlgItem(window, kMSecBox), L"789")), "789");
    EXPECT_EQ(GetTimes(box.Path(L"first.txt")).lastWrite, first.lastWrite);
    EXPECT_EQ(GetTimes(box.Path(L"second.txt")).lastWrite, second.lastWrite);

    Click(GetDlgItem(window, kCloseButton));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_TRUE(program.boxes.empty());
}

}  // namespace EndToEnd
