// The undo journal of the real Kairodex.exe: -U after command-line runs, after a run ended by
// force, and the window menu's undo after a drop. Creation times are not checked: Wine reports
// the last write time for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "EndToEnd/KairodexProcess.h"

namespace EndToEnd {
namespace {

constexpr UINT kUndoItem = 4143;

bool Same(const Times& a, const Times& b) { return a.lastWrite == b.lastWrite && a.lastAccess == b.lastAccess; }

std::vector<std::wstring> JournalNames(const Sandbox& box) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(box.Path(L"Journal\\*.txt").c_str(), &data);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data))
        names.push_back(data.cFileName);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return names;
}

// Files with times of their own, a second apart, and what they read back.
std::vector<Times> MakeFiles(const Sandbox& box, const std::vector<std::wstring>& names) {
    std::vector<Times> times;
    for (size_t i = 0; i < names.size(); ++i) {
        box.WriteFile(names[i], "data");
        const uint64_t own = UtcTime(2019, 6, 1, 1, 2, 3, 4) + i * 10000000ull + 1234;
        SetTimes(box.Path(names[i]), Times{own, own + 5, own + 7});
        times.push_back(GetTimes(box.Path(names[i])));
    }
    return times;
}

}  // namespace

// Two runs, two undos: the second run goes first, then the first; then nothing is left.
TEST(CommandLineUndo, EachUndoTakesTheNewestRunBackExactly) {
    Sandbox box;
    box.MakeFolder(L"tree");
    box.MakeFolder(L"tree\\sub dir");
    const std::vector<std::wstring> names = {L"tree\\a.txt", L"tree\\sub dir\\b c.txt",
                                             L"tree\\sub dir\\\u00e9\u4e2d.txt"};
    const std::vector<Times> original = MakeFiles(box, names);
    ASSERT_EQ(box.Run(L"-u -D 2024/09/07 -T 12:00:00 -M 0 -w -a tree").exitCode, 0u);
    std::vector<Times> afterFirst;
    for (const std::wstring& name : names) afterFirst.push_back(GetTimes(box.Path(name)));
    ASSERT_EQ(box.Run(L"-u -M 500 -w tree").exitCode, 0u);
    EXPECT_EQ(JournalNames(box).size(), 2u);

    EXPECT_EQ(box.Run(L"-U").exitCode, 0u);
    for (size_t i = 0; i < names.size(); ++i) EXPECT_TRUE(Same(GetTimes(box.Path(names[i])), afterFirst[i])) << i;
    RunResult last = box.Run(L"-U");
    EXPECT_EQ(last.exitCode, 0u);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(FormatUtc(GetTimes(box.Path(names[i])).lastWrite), FormatUtc(original[i].lastWrite)) << i;
        EXPECT_TRUE(Same(GetTimes(box.Path(names[i])), original[i])) << i;
    }
    // Nothing left to undo: exit code 1 and no box waiting for a person.
    RunResult nothing = box.Run(L"-U");
    EXPECT_TRUE(nothing.finished);
    EXPECT_EQ(nothing.exitCode, 1u);
    EXPECT_TRUE(nothing.boxes.empty() && last.boxes.empty());
}

// A file changed since keeps its times, one deleted since is a failure too; the rest go back,
// also a file named twice in the run. A journal named by -U is taken, and -U beside anything
// else is a usage error.
TEST(CommandLineUndo, FilesChangedOrDeletedSinceFailWithExitTwo) {
    Sandbox box;
    const std::vector<std::wstring> names = {L"kept.txt", L"changed.txt", L"deleted.txt"};
    const std::vector<Times> original = MakeFiles(box, names);
    ASSERT_EQ(box.Run(L"-u -D 2024/09/07 -w -a kept.txt changed.txt deleted.txt kept.txt").exitCode, 0u);
    const Times later{UtcTime(2025, 1, 1, 0, 0, 0, 0), UtcTime(2025, 1, 1, 0, 0, 0, 0),
                      UtcTime(2025, 1, 1, 0, 0, 0, 0)};
    ASSERT_TRUE(SetTimes(box.Path(L"changed.txt"), later));
    ASSERT_TRUE(DeleteFileW(box.Path(L"deleted.txt").c_str()));
    const std::vector<std::wstring> journals = JournalNames(box);
    ASSERT_EQ(journals.size(), 1u);

    RunResult usage = box.Run(L"-U Journal\\" + journals[0] + L" kept.txt");
    EXPECT_EQ(usage.exitCode, 1u);
    EXPECT_EQ(usage.boxes.size(), 1u);
    EXPECT_EQ(box.Run(L"-U Journal\\" + journals[0]).exitCode, 2u);
    EXPECT_TRUE(Same(GetTimes(box.Path(L"kept.txt")), original[0]));
    EXPECT_EQ(FormatUtc(GetTimes(box.Path(L"changed.txt")).lastWrite), FormatUtc(later.lastWrite));
    EXPECT_EQ(box.Run(L"-U").exitCode, 1u) << "the journal was not marked undone";
}

// Ended by force once its first batch is written ahead: whatever it changed goes back.
TEST(CommandLineUndo, ARunEndedByForceHalfwayIsUndoneCompletely) {
    Sandbox box;
    std::vector<std::wstring> names;
    for (int folder = 0; folder < 6; ++folder) {
        box.MakeFolder(L"tree" + std::to_wstring(folder));
        for (int file = 0; file < 1000; ++file) {
            names.push_back(L"tree" + std::to_wstring(folder) + L"\\f" + std::to_wstring(file));
        }
    }
    const std::vector<Times> original = MakeFiles(box, names);
    bool stoppedRunning = false;
    {
        RunningProgram program(box, L"-u -D 2024/09/07 -T 12:00:00 -w -a tree0 tree1 tree2 tree3 tree4 tree5");
        ASSERT_TRUE(program.Started());
        ASSERT_TRUE(Await(
            [&] {
                const std::vector<std::wstring> journals = JournalNames(box);
                if (journals.empty()) return false;
                const std::string text = box.ReadFile(L"Journal\\" + journals[0]);
                return std::count(text.begin(), text.end(), '\n') > 1000;
            },
            60000))
            << "no batch was written";
        stoppedRunning = !program.WaitForExit(0);
    }  // ended by force here
    EXPECT_TRUE(stoppedRunning) << "the run ended before it could be stopped";
    size_t changed = 0;
    for (size_t i = 0; i < names.size(); ++i) changed += !Same(GetTimes(box.Path(names[i])), original[i]);
    EXPECT_GT(changed, 0u) << "stopped before any change";
    EXPECT_EQ(box.Run(L"-U").exitCode, 0u);
    size_t back = 0;
    for (size_t i = 0; i < names.size(); ++i) back += Same(GetTimes(box.Path(names[i])), original[i]);
    EXPECT_EQ(back, names.size()) << changed << " files had changed";
}

// The window menu's item undoes the last drop and names in one box the file that stayed.
TEST(DialogUndo, TheWindowMenuItemUndoesTheLastDropAndNamesWhatStayed) {
    Sandbox box;
    const std::vector<std::wstring> names = {L"back.txt", L"stays.txt"};
    const std::vector<Times> original = MakeFiles(box, names);
    RunningProgram program(box, L"-u -D 2024/09/07 -T 10:20:30 -M 5 -w -a");
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr) << "no main window";
    ASSERT_EQ(Narrow(AwaitText(GetDlgItem(window, kDateBox), L"2024/09/07")), "2024/09/07");
    std::string why;
    ASSERT_TRUE(DropFromDesktop(GetDlgItem(window, kTargetBox), {box.Path(names[0]), box.Path(names[1])}, &why)) << why;
    ASSERT_TRUE(Await(
        [&] {
            return GetTimes(box.Path(names[0])).lastWrite != original[0].lastWrite &&
                   GetTimes(box.Path(names[1])).lastWrite != original[1].lastWrite;
        },
        20000));
    const Times later{UtcTime(2025, 1, 1, 0, 0, 0, 0), UtcTime(2025, 1, 1, 0, 0, 0, 0),
                      UtcTime(2025, 1, 1, 0, 0, 0, 0)};
    ASSERT_TRUE(SetTimes(box.Path(names[1]), later));

    PostMessageW(window, WM_SYSCOMMAND, kUndoItem, 0);
    ASSERT_TRUE(program.AwaitBox());
    ASSERT_EQ(program.boxes.size(), 1u);
    EXPECT_NE(program.boxes[0].find(L"could not be put back"), std::wstring::npos) << Narrow(program.boxes[0]);
    EXPECT_NE(program.boxes[0].find(L"stays.txt"), std::wstring::npos) << Narrow(program.boxes[0]);
    EXPECT_EQ(program.boxes[0].find(L"back.txt"), std::wstring::npos) << Narrow(program.boxes[0]);
    EXPECT_TRUE(Same(GetTimes(box.Path(names[0])), original[0]));
    EXPECT_EQ(GetTimes(box.Path(names[1])).lastWrite, later.lastWrite);

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace EndToEnd

namespace EndToEnd {

// -O moves the chosen times of every file in a tree by the offset, in UTC whatever the zone
// (run in Berlin and New York too), and -U takes the shift back.
TEST(CommandLineShift, ATreeMovesByTheOffsetAndTheUndoTakesItBack) {
    Sandbox box;
    box.MakeFolder(L"tree");
    box.MakeFolder(L"tree\\sub");
    // The nights clocks change in Berlin (2024-03-31 01:00 UTC) and New York (2024-11-03 06:00 UTC).
    const std::vector<std::wstring> names = {L"tree\\berlin.txt", L"tree\\sub\\new york.txt"};
    const uint64_t at[] = {UtcTime(2024, 3, 31, 0, 30, 0, 0), UtcTime(2024, 11, 3, 5, 30, 0, 0)};
    for (size_t i = 0; i < names.size(); ++i) {
        box.WriteFile(names[i], "data");
        ASSERT_TRUE(SetTimes(box.Path(names[i]), Times{at[i], at[i] + 1, at[i] + 2}));
    }
    EXPECT_EQ(box.Run(L"-O -1.00:00:30.500 -w tree").exitCode, 0u);
    EXPECT_EQ(box.Run(L"-O +01:00:00 -a tree").exitCode, 0u);
    const uint64_t hour = 36000000000ull, dayAndHalfMinute = 864000000000ull + 305000000ull;
    for (size_t i = 0; i < names.size(); ++i) {
        const Times now = GetTimes(box.Path(names[i]));
        EXPECT_EQ(FormatUtc(now.lastWrite), FormatUtc(at[i] + 2 - dayAndHalfMinute)) << i;
        EXPECT_EQ(now.lastWrite, at[i] + 2 - dayAndHalfMinute) << i;
        EXPECT_EQ(now.lastAccess, at[i] + 1 + hour) << i;
    }
    EXPECT_EQ(box.Run(L"-U").exitCode, 0u);
    EXPECT_EQ(box.Run(L"-U").exitCode, 0u);
    for (size_t i = 0; i < names.size(); ++i) {
        const Times now = GetTimes(box.Path(names[i]));
        EXPECT_EQ(now.lastWrite, at[i] + 2) << i;
        EXPECT_EQ(now.lastAccess, at[i] + 1) << i;
    }
}

// With a value option, without targets or with a text that is no offset: the usage text (naming
// the bad text), exit code 1, nothing changed.
TEST(CommandLineShift, UsageErrorsChangeNothing) {
    Sandbox box;
    box.WriteFile(L"file.txt", "data");
    const Times old{UtcTime(2020, 1, 1, 0, 0, 0, 0), UtcTime(2020, 1, 1, 0, 0, 0, 0), UtcTime(2020, 1, 1, 0, 0, 0, 0)};
    ASSERT_TRUE(SetTimes(box.Path(L"file.txt"), old));
    const struct {
        const wchar_t* arguments;
        const wchar_t* named;
    } cases[] = {
        {L"-O +01:00:00 -D 2024/09/07 file.txt", nullptr}, {L"-O +01:00:00 -m file.txt", nullptr},
        {L"-s file.txt -O 01:00:00 file.txt", nullptr},    {L"-O +01:00:00", nullptr},
        {L"-O 1:0:0 file.txt", L"Bad offset: \"1:0:0\""},  {L"-O +25:00:00 file.txt", L"\"+25:00:00\""},
        {L"-O file.txt", L"Bad offset: \"file.txt\""},
    };
    for (const auto& c : cases) {
        RunResult r = box.Run(c.arguments);
        EXPECT_EQ(r.exitCode, 1u) << Narrow(c.arguments);
        ASSERT_EQ(r.boxes.size(), 1u) << Narrow(c.arguments);
        EXPECT_NE(r.boxes[0].find(L"-O [+|-][Days.]hh:mm:ss[.mmm]"), std::wstring::npos) << Narrow(r.boxes[0]);
        if (c.named) {
            EXPECT_NE(r.boxes[0].find(c.named), std::wstring::npos) << Narrow(r.boxes[0]);
        }
        EXPECT_EQ(GetTimes(box.Path(L"file.txt")).lastWrite, old.lastWrite) << Narrow(c.arguments);
    }
}

}  // namespace EndToEnd
