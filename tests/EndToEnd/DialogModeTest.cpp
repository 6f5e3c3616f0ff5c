// The real Kairodex.exe without file arguments, operated from outside as a user would: the main
// window found by class and title, clicks and keys posted to it, its rectangle kept in the GUI
// profile, the options of the command line shown, and the restart after a language choice.
#include <gtest/gtest.h>

#include <string>

#include "EndToEnd/KairodexProcess.h"

namespace EndToEnd {
namespace {

constexpr UINT kSecondLanguageItem = 4146;

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ChildCount(HWND window) {
    int count = 0;
    EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::wstring ItemText(HWND dialog, int identifier) { return WindowTextOf(GetDlgItem(dialog, identifier)); }

// The window shows before the boxes are filled from the settings: waits for the date box to
// leave its template "0000/00/00 ".
HWND Filled(HWND window) {
    if (window) Await([&] { return ItemText(window, kDateBox).rfind(L"0000", 0) != 0; });
    return window;
}

const char kTwoLanguages[] =
    "[LangMap]\r\nEnglish=0x0409\r\nDeutsch=0x0407\r\n[English]\r\n[Deutsch]\r\n"
    "MainDlg_CloseButton=Schliessen\r\n";

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The value of key in the profile text, or "" when it is not there.
std::string ProfileValue(const std::string& profile, const std::string& key) {
    const size_t at = profile.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    const size_t start = at + key.size() + 2;
    return profile.substr(start, profile.find_first_of("\r\n", start) - start);
}

// The main window of the instance that a restart of firstId started; null when none came.
HWND NextInstance(const Sandbox& box, DWORD firstId) {
    HWND next = nullptr;
    Await([&] { return (next = OtherMainWindow(box.Exe(), firstId)) != nullptr; }, 30000);
    return next;
}

DWORD ProcessOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

// A main profile with a section of some megabytes: every save of it takes a while, so that what
// runs meanwhile meets it.
std::string LargeProfile() {
    std::string profile = "[Common]\r\nProgram=Kairodex\r\n[Filler]\r\n";
    for (int i = 0; i < 100000; ++i) {
        profile.append("f").append(std::to_string(i)).append("=filler text of a line\r\n");
    }
    return profile + "\r\n";
}

RECT Moved(HWND window, int by) {
    RECT placed = {};
    GetWindowRect(window, &placed);
    const RECT moved = {placed.left + by, placed.top + by / 2, placed.right + by, placed.bottom + by / 2};
    SetWindowPos(window, nullptr, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return moved;
}

std::string StoredRect(const std::string& profile) {
    return ProfileValue(profile, "WindowRect_L") + "," + ProfileValue(profile, "WindowRect_T") + "," +
           ProfileValue(profile, "WindowRect_R") + "," + ProfileValue(profile, "WindowRect_B");
}

std::string RectText(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

}  // namespace

TEST(DialogMode, WithoutArgumentsTheDialogRunsUntilClosedAndKeepsItsRectangle) {
    Sandbox box;
    RECT moved = {};
    {
        RunningProgram program(box, L"");
        HWND window = Filled(program.MainWindow());
        ASSERT_NE(window, nullptr) << "no main window";
        EXPECT_EQ(ChildCount(window), kControls);
        EXPECT_EQ(ItemText(window, kDateBox).size(), 10u);  // yyyy/mm/dd
        EXPECT_EQ(ItemText(window, kTimeBox).size(), 8u);   // hh:mm:ss
        EXPECT_EQ(ItemText(window, kMSecBox).size(), 3u);

        // Escape in a box and on the window leaves the dialog open.
        PostMessageW(GetDlgItem(window, kDateBox), WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_FALSE(program.WaitForExit(1500));
        ASSERT_TRUE(IsWindow(window));

        RECT placed = {};
        GetWindowRect(window, &placed);
        moved = {placed.left + 30, placed.top + 20, placed.right + 70, placed.bottom + 40};
        SetWindowPos(window, nullptr, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_FALSE(program.WaitForExit(500));
        Click(GetDlgItem(window, kCloseButton));
        ASSERT_TRUE(program.WaitForExit());
        EXPECT_EQ(program.ExitCode(), 0u);
        EXPECT_TRUE(program.boxes.empty());
    }
    // The GUI profile is the main profile here.
    const std::string profile = box.ReadFile(L"Kairodex.ini");
    EXPECT_EQ(ProfileValue(profile, "WindowRect_L"), std::to_string(moved.left)) << profile;
    EXPECT_EQ(ProfileValue(profile, "WindowRect_T"), std::to_string(moved.top));
    EXPECT_EQ(ProfileValue(profile, "WindowRect_R"), std::to_string(moved.right));
    EXPECT_EQ(ProfileValue(profile, "WindowRect_B"), std::to_string(moved.bottom));

    // The next start comes up there, at the width it had and the height of its layout.
    RunningProgram again(box, L"");
    HWND window = again.MainWindow();
    ASSERT_NE(window, nullptr);
    RECT restored = {};
    GetWindowRect(window, &restored);
    EXPECT_EQ(restored.left, moved.left);
    EXPECT_EQ(restored.top, moved.top);
    EXPECT_EQ(restored.right, moved.right);
    EXPECT_EQ(restored.bottom - restored.top, moved.bottom - moved.top - 20);
    PostMessageW(window, WM_CLOSE, 0, 0);  // the window's own close command
    ASSERT_TRUE(again.WaitForExit());
    EXPECT_EQ(again.ExitCode(), 0u);
}

TEST(DialogMode, OptionsWithoutTargetsPresetTheDialogAndChangeNothing) {
    Sandbox box;
    box.WriteFile(L"file.txt", "data");
    const Times before{UtcTime(2019, 1, 1, 1, 2, 3, 4), UtcTime(2021, 2, 9, 10, 11, 12, 345),
                       UtcTime(2020, 1, 15, 7, 8, 9, 123)};
    ASSERT_TRUE(SetTimes(box.Path(L"file.txt"), before));
    RunningProgram program(box, L"-u -D 2024/09/07 -T 10:20:30 -M 5 -c");
    HWND window = Filled(program.MainWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ItemText(window, kDateBox), L"2024/09/07");
    EXPECT_EQ(ItemText(window, kTimeBox), L"10:20:30");
    EXPECT_EQ(ItemText(window, kMSecBox), L"005");
    Click(GetDlgItem(window, kCloseButton));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(GetTimes(box.Path(L"file.txt")).lastWrite, before.lastWrite);
}

TEST(DialogMode, ASourceWhoseTimeCannotBeReadIsNamedAndTheClockStays) {
    Sandbox box;
    RunningProgram program(box, L"-s missing.txt -D 2024/09/07");
    HWND window = Filled(program.MainWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(program.WaitForExit(2000));  // closes the box meanwhile
    ASSERT_EQ(program.boxes.size(), 1u);
    EXPECT_NE(program.boxes[0].find(L"missing.txt"), std::wstring::npos);
    EXPECT_EQ(ItemText(window, kDateBox), L"2024/09/07");
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(DialogMode, ChoosingALanguageRestartsWithTheSameArgumentsInTheSameFolder) {
    Sandbox box;
    box.WriteFile(L"LanguageFile.ini", kTwoLanguages);
    // A working folder that is neither the program's nor the one the tests start it in.
    box.MakeFolder(L"work");
    RunningProgram first(box, L"-u -D 2024/09/07", box.Path(L"work"));
    HWND window = Filled(first.MainWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ItemText(window, kCloseButton), L"Close");
    ASSERT_TRUE(SameFolder(CurrentFolderOf(first.Id()), box.Path(L"work"))) << CurrentFolderOf(first.Id());
    PostMessageW(window, WM_SYSCOMMAND, kSecondLanguageItem, 0);
    ASSERT_TRUE(first.WaitForExit());
    EXPECT_EQ(first.ExitCode(), 0u);
    EXPECT_EQ(ProfileValue(box.ReadFile(L"Kairodex.ini"), "Language"), "Deutsch");

    // The new instance: same arguments, same working folder, the chosen language.
    HWND next = NextInstance(box, first.Id());
    ASSERT_NE(next, nullptr) << "no new instance";
    const DWORD nextId = ProcessOf(next);
    RunningProgram second(nextId);
    Filled(next);
    EXPECT_EQ(ItemText(next, kDateBox), L"2024/09/07");
    EXPECT_EQ(ItemText(next, kCloseButton), L"Schliessen");
    const std::wstring folder = CurrentFolderOf(nextId);
    EXPECT_TRUE(SameFolder(folder, box.Path(L"work"))) << std::string(folder.begin(), folder.end());
    PostMessageW(next, WM_CLOSE, 0, 0);
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(second.ExitCode(), 0u);
}

// The program's file is gone when the restart wants to start it again: the dialog stays, says
// so, and still closes normally.
TEST(DialogMode, ARestartThatCannotStartTheProgramKeepsTheDialogOpenAndSaysWhy) {
    Sandbox box;
    box.WriteFile(L"LanguageFile.ini", kTwoLanguages);
    RunningProgram program(box, L"-u -D 2024/09/07");
    HWND window = Filled(program.MainWindow());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(MoveFileW(box.Exe().c_str(), box.Path(L"Moved.exe").c_str())) << GetLastError();
    PostMessageW(window, WM_SYSCOMMAND, kSecondLanguageItem, 0);
    ASSERT_TRUE(program.AwaitBox()) << "no message box";
    ASSERT_EQ(program.boxes.size(), 1u);
    EXPECT_NE(program.boxes[0].find(L"Kairodex|The program could not be started again"), std::wstring::npos)
        << std::string(program.boxes[0].begin(), program.boxes[0].end());
    EXPECT_NE(program.boxes[0].find(L"Kairodex.exe"), std::wstring::npos);

    EXPECT_FALSE(program.WaitForExit(1500)) << "the dialog closed";
    EXPECT_TRUE(IsWindow(window) && IsWindowVisible(window));
    EXPECT_EQ(OtherMainWindow(box.Exe(), program.Id()), nullptr);
    Click(GetDlgItem(window, kCloseButton));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(program.boxes.size(), 1u);
}

// A language that cannot be written to the GUI profile would not come up after a restart: the
// program keeps its language, stays and says why.
TEST(DialogMode, ALanguageTheProfileCannotTakeKeepsTheDialogAndItsLanguage) {
    Sandbox box;
    box.WriteFile(L"LanguageFile.ini", kTwoLanguages);
    RunningProgram program(box, L"");
    HWND window = Filled(program.MainWindow());
    ASSERT_NE(window, nullptr);
    const std::string profileBefore = box.ReadFile(L"Kairodex.ini");
    {
        // Held open without sharing, the profile can be neither read nor replaced.
        HANDLE held =
            CreateFileW(box.Path(L"Kairodex.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        PostMessageW(window, WM_SYSCOMMAND, kSecondLanguageItem, 0);
        const bool shown = program.AwaitBox();
        CloseHandle(held);
        ASSERT_TRUE(shown) << "no message box";
    }
    ASSERT_EQ(program.boxes.size(), 1u);
    EXPECT_NE(program.boxes[0].find(L"Kairodex|The language could not be written"), std::wstring::npos)
        << std::string(program.boxes[0].begin(), program.boxes[0].end());
    EXPECT_NE(program.boxes[0].find(L"Kairodex.ini"), std::wstring::npos);

    EXPECT_FALSE(program.WaitForExit(1500)) << "the dialog closed";
    EXPECT_EQ(OtherMainWindow(box.Exe(), program.Id()), nullptr);
    EXPECT_EQ(box.ReadFile(L"Kairodex.ini"), profileBefore);
    Click(GetDlgItem(window, kCloseButton));
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(program.boxes.size(), 1u);
}

// Two dialogs on one GUI profile closed at the same moment: both save their rectangle, one
// after the other, so the file is one of the two whole versions with everything else intact.
TEST(DialogMode, TwoDialogsClosedAtOnceLeaveOneWholeVersionOfTheProfile) {
    Sandbox box;
    const std::string large = LargeProfile();
    box.WriteFile(L"Kairodex.ini", large);
    RunningProgram first(box, L""), second(box, L"");
    HWND one = Filled(first.MainWindow()), other = Filled(second.MainWindow());
    ASSERT_TRUE(one && other) << "no main windows";
    const RECT a = Moved(one, 20), b = Moved(other, 60);
    PostMessageW(one, WM_CLOSE, 0, 0);
    PostMessageW(other, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.WaitForExit() && second.WaitForExit());
    EXPECT_EQ(first.ExitCode(), 0u);
    EXPECT_EQ(second.ExitCode(), 0u);
    const std::string profile = box.ReadFile(L"Kairodex.ini");
    const std::string stored = StoredRect(profile);
    EXPECT_TRUE(stored == RectText(a) || stored == RectText(b)) << stored;
    EXPECT_EQ(profile.find(large), 0u) << "the rest of the profile was not kept";
    EXPECT_EQ(GetFileAttributesW(box.Path(L"Kairodex.ini.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The language restart writes the window's rectangle before it starts the new instance, which
// therefore comes up where the old window was, however long the save takes.
TEST(DialogMode, TheRestartedInstanceComesUpWhereTheOldWindowWas) {
    Sandbox box;
    box.WriteFile(L"LanguageFile.ini", kTwoLanguages);
    box.WriteFile(L"Kairodex.ini", LargeProfile());
    RunningProgram first(box, L"");
    HWND window = Filled(first.MainWindow());
    ASSERT_NE(window, nullptr);
    const RECT moved = Moved(window, 40);
    PostMessageW(window, WM_SYSCOMMAND, kSecondLanguageItem, 0);
    ASSERT_TRUE(first.WaitForExit());
    HWND next = NextInstance(box, first.Id());
    ASSERT_NE(next, nullptr) << "no new instance";
    const DWORD nextId = ProcessOf(next);
    RunningProgram second(nextId);
    RECT placed = {};
    GetWindowRect(next, &placed);
    EXPECT_EQ(placed.left, moved.left);
    EXPECT_EQ(placed.top, moved.top);
    EXPECT_EQ(StoredRect(box.ReadFile(L"Kairodex.ini")), RectText(moved));
    PostMessageW(next, WM_CLOSE, 0, 0);
    ASSERT_TRUE(second.WaitForExit());
}

}  // namespace EndToEnd
