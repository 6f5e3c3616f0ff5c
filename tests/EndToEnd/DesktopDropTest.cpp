// Files and folders dropped on the running main dialog from the Linux desktop, through X11 drag
// and drop, as a file manager drops them. The creation time is not checked: Wine on Linux
// cannot store it.
#include <gtest/gtest.h>

#include "EndToEnd/KairodexProcess.h"
#include "RealInput.h"

namespace EndToEnd {
namespace {

// Waits until the file's last write time leaves before; false when it did not within the limit.
bool AwaitChange(const std::wstring& path, uint64_t before) {
    return Await([&] { return GetTimes(path).lastWrite != before; }, 20000);
}

// count files below folder, made by the host's split, one per line of a list: far quicker than
// through Wine. False when they are not all there in time.
bool MakeManyFiles(const Sandbox& box, const std::wstring& folder, int count) {
    box.MakeFolder(folder);
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "x\n";
    box.WriteFile(folder + L"\\list", lines);
    std::wstring command = L"Z:\\usr\\bin\\split -l 1 -a 5 list f";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const std::wstring where = box.Path(folder);
    if (!CreateProcessW(L"Z:\\usr\\bin\\split", command.data(), nullptr, nullptr, FALSE, 0, nullptr, where.c_str(),
                        &startup, &process)) {
        return false;
    }
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    // The names run faaaaa, faaaab, ...: the last one is the count's, less one, in base 26.
    std::wstring last = L"aaaaa";
    for (int n = count - 1, at = 4; n > 0; n /= 26, --at) last[at] = static_cast<wchar_t>(L'a' + n % 26);
    return Await(
        [&] { return GetFileAttributesW(box.Path(folder + L"\\f" + last).c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
}

// Files directly in folder whose last write time is time.
int FilesAt(const std::wstring& folder, uint64_t time) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\f*").c_str(), &data);
    int count = 0;
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data) != FALSE) {
        const FILETIME& at = data.ftLastWriteTime;
        count += ((uint64_t(at.dwHighDateTime) << 32) | at.dwLowDateTime) == time ? 1 : 0;
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return count;
}

}  // namespace

// A drop that takes a while: the window answers, its title counts the files, and Escape stops
// it with a message of how many were changed; the rest keep their times. A second drop stops
// at a click of the mouse on Close, and the program goes on.
TEST(DesktopDrop, ALargeTreeShowsItsProgressAndStopsOnEscapeOrAClickOnClose) {
    Sandbox box;
    constexpr int kFiles = 20000;
    ASSERT_TRUE(MakeManyFiles(box, L"many", kFiles)) << "the host did not make the files";
    RunningProgram program(box, L"-u -D 2024/09/07 -T 10:20:30 -M 5 -d -t -m -w");
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr) << "no main window";
    ASSERT_EQ(Narrow(AwaitText(GetDlgItem(window, kDateBox), L"2024/09/07")), "2024/09/07");
    std::string why;
    ASSERT_TRUE(DropFromDesktop(GetDlgItem(window, kTargetBox), {box.Path(L"many")}, &why)) << why;
    const std::wstring progress(L"Kairodex - ");
    ASSERT_TRUE(Await([&] { return WindowTextOf(window).compare(0, progress.size(), progress) == 0; }, 30000))
        << "no progress in the title";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0)
        << "the window does not answer";
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(program.AwaitBox()) << "no message after the stop";
    ASSERT_EQ(program.boxes.size(), 1u);
    EXPECT_NE(program.boxes[0].find(L"Stopped: the times of "), std::wstring::npos) << Narrow(program.boxes[0]);
    const int changed = FilesAt(box.Path(L"many"), UtcTime(2024, 9, 7, 10, 20, 30, 5));
    EXPECT_GT(changed, 0);
    EXPECT_LT(changed, kFiles);
    EXPECT_EQ(Narrow(AwaitText(window, L"Kairodex")), "Kairodex");

    ASSERT_TRUE(DropFromDesktop(GetDlgItem(window, kTargetBox), {box.Path(L"many")}, &why)) << why;
    ASSERT_TRUE(Await([&] { return WindowTextOf(window).compare(0, progress.size(), progress) == 0; }, 30000))
        << "no progress in the second drop";
    ASSERT_TRUE(Await(
        [&] {
            SetForegroundWindow(window);
            return GetForegroundWindow() == window;
        },
        5000))
        << "the dialog is not in front";
    TestSupport::RealClick(TestSupport::CentreOf(GetDlgItem(window, kCloseButton)));
    ASSERT_TRUE(program.AwaitBox()) << "no message after the click on Close";
    ASSERT_EQ(program.boxes.size(), 2u);
    EXPECT_NE(program.boxes[1].find(L"Stopped: the times of "), std::wstring::npos) << Narrow(program.boxes[1]);
    EXPECT_EQ(Narrow(AwaitText(window, L"Kairodex")), "Kairodex");
    EXPECT_EQ(program.ExitCode(), static_cast<DWORD>(STILL_ACTIVE)) << "Close ended the program";

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

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
