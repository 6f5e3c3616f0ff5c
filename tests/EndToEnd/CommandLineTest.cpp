// Drives the real Kairodex.exe in command-line mode on real files. Creation times are not
// checked on disk: Wine reports the last write time as the creation time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "EndToEnd/KairodexProcess.h"

namespace EndToEnd {
namespace {

const uint64_t kSecond = 10000000;

uint64_t NowUtc() {
    FILETIME f;
    GetSystemTimeAsFileTime(&f);
    return (uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

class CommandLine : public ::testing::Test {
protected:
    // A file with three distinct known times.
    void MakeFile(const std::wstring& name, const Times& times) {
        box.WriteFile(name, "data");
        ASSERT_TRUE(SetTimes(box.Path(name), times));
    }
    RunResult Run(const std::wstring& arguments) {
        RunResult r = box.Run(arguments);
        EXPECT_TRUE(r.finished) << "the program did not end";
        return r;
    }
    Sandbox box;
    const Times summer{LocalTime(2019, 6, 1, 1, 2, 3, 4), LocalTime(2021, 8, 9, 10, 11, 12, 345),
                       LocalTime(2020, 5, 6, 7, 8, 9, 123)};
    const Times winter{LocalTime(2019, 1, 1, 1, 2, 3, 4), LocalTime(2021, 2, 9, 10, 11, 12, 345),
                       LocalTime(2020, 1, 15, 7, 8, 9, 123)};
};

TEST_F(CommandLine, BareFileGetsTheCurrentTimeAsLastWrite) {
    MakeFile(L"file.txt", summer);
    uint64_t before = NowUtc();
    RunResult r = Run(L"file.txt");
    uint64_t after = NowUtc();
    EXPECT_EQ(0u, r.exitCode);
    Times t = GetTimes(box.Path(L"file.txt"));
    EXPECT_GE(t.lastWrite + kSecond, before) << FormatUtc(t.lastWrite);
    EXPECT_LE(t.lastWrite, after + kSecond) << FormatUtc(t.lastWrite);
    EXPECT_EQ(summer.lastAccess, t.lastAccess) << FormatUtc(t.lastAccess);
}

// A local time is read by the daylight-saving rules of its own year: New York changed its dates
// in 2007, so 2005-03-20 and 2005-10-31 were standard time (UTC-5) though today's rules would
// make them daylight time; 2024 follows today's rules on both sides of each change. Runs in the
// program's own New York entry.
TEST_F(CommandLine, LocalTimeFollowsTheZoneRulesOfItsOwnYear) {
    const char* tz = std::getenv("TZ");
    if (!tz || std::strcmp(tz, "America/New_York") != 0) {
        std::fprintf(stderr, "*** TZ is %s, not America/New_York: zone rules test SKIPPED ***\n", tz ? tz : "unset");
        GTEST_SKIP() << "needs TZ=America/New_York";
    }
    const struct {
        const wchar_t* date;
        uint64_t utc;
    } cases[] = {
        {L"2005/03/20", UtcTime(2005, 3, 20, 17, 0, 0, 0)},  {L"2005/04/04", UtcTime(2005, 4, 4, 16, 0, 0, 0)},
        {L"2005/10/28", UtcTime(2005, 10, 28, 16, 0, 0, 0)}, {L"2005/10/31", UtcTime(2005, 10, 31, 17, 0, 0, 0)},
        {L"2024/03/08", UtcTime(2024, 3, 8, 17, 0, 0, 0)},   {L"2024/03/11", UtcTime(2024, 3, 11, 16, 0, 0, 0)},
        {L"2024/11/01", UtcTime(2024, 11, 1, 16, 0, 0, 0)},  {L"2024/11/04", UtcTime(2024, 11, 4, 17, 0, 0, 0)},
    };
    for (const auto& c : cases) {
        MakeFile(L"file.txt", winter);
        EXPECT_EQ(0u, Run(std::wstring(L"-D ") + c.date + L" -T 12:00:00 -M 0 file.txt").exitCode);
        EXPECT_EQ(FormatUtc(c.utc), FormatUtc(GetTimes(box.Path(L"file.txt")).lastWrite)) << "12:00 on " << c.date;
    }
}

TEST_F(CommandLine, DateOnlyKeepsTheFilesTimeOfDayInBothHalvesOfTheYear) {
    MakeFile(L"summer.txt", summer);
    MakeFile(L"winter.txt", winter);
    EXPECT_EQ(0u, Run(L"-D 2024/09/07 summer.txt").exitCode);
    EXPECT_EQ(0u, Run(L"-D 2024/07/01 winter.txt").exitCode);
    EXPECT_EQ(FormatUtc(LocalTime(2024, 9, 7, 7, 8, 9, 123)), FormatUtc(GetTimes(box.Path(L"summer.txt")).lastWrite));
    EXPECT_EQ(FormatUtc(LocalTime(2024, 7, 1, 7, 8, 9, 123)), FormatUtc(GetTimes(box.Path(L"winter.txt")).lastWrite));
    EXPECT_EQ(summer.lastAccess, GetTimes(box.Path(L"summer.txt")).lastAccess);
}

TEST_F(CommandLine, TimeOfDayOnAllThreeTimesKeepsEachOwnDateAndMilliseconds) {
    MakeFile(L"file.txt", winter);
    EXPECT_EQ(0u, Run(L"-c -w -a -T 08:30:00 file.txt").exitCode);
    Times t = GetTimes(box.Path(L"file.txt"));
    EXPECT_EQ(FormatUtc(LocalTime(2020, 1, 15, 8, 30, 0, 123)), FormatUtc(t.lastWrite));
    EXPECT_EQ(FormatUtc(LocalTime(2021, 2, 9, 8, 30, 0, 345)), FormatUtc(t.lastAccess));
}

TEST_F(CommandLine, FullValueInUtcAndInLocalTime) {
    MakeFile(L"utc.txt", summer);
    MakeFile(L"local.txt", summer);
    EXPECT_EQ(0u, Run(L"-u -D 2024/09/07 -T 23:30:00 -M 5 utc.txt").exitCode);
    EXPECT_EQ(0u, Run(L"-D 2024/09/07 -T 23:30:00 -M 5 local.txt").exitCode);
    EXPECT_EQ(FormatUtc(UtcTime(2024, 9, 7, 23, 30, 0, 5)), FormatUtc(GetTimes(box.Path(L"utc.txt")).lastWrite));
    EXPECT_EQ(FormatUtc(LocalTime(2024, 9, 7, 23, 30, 0, 5)), FormatUtc(GetTimes(box.Path(L"local.txt")).lastWrite));
}

TEST_F(CommandLine, SourceTimeIsCopiedExactlyWithAndWithoutUtc) {
    MakeFile(L"src.txt", summer);
    MakeFile(L"a.txt", winter);
    MakeFile(L"b.txt", winter);
    EXPECT_EQ(0u, Run(L"-u -s src.txt -w a.txt").exitCode);
    EXPECT_EQ(0u, Run(L"-s src.txt b.txt").exitCode);
    EXPECT_EQ(FormatUtc(summer.lastWrite), FormatUtc(GetTimes(box.Path(L"a.txt")).lastWrite));
    EXPECT_EQ(FormatUtc(summer.lastWrite), FormatUtc(GetTimes(box.Path(L"b.txt")).lastWrite));
}

TEST_F(CommandLine, FolderAsSourceGivesItsOwnLastWriteTime) {
    box.MakeFolder(L"src");
    ASSERT_TRUE(SetTimes(box.Path(L"src"), summer));
    MakeFile(L"a.txt", winter);
    EXPECT_EQ(0u, Run(L"-u -s src a.txt").exitCode);
    EXPECT_EQ(FormatUtc(summer.lastWrite), FormatUtc(GetTimes(box.Path(L"a.txt")).lastWrite));
}

TEST_F(CommandLine, UnreadableSourceChangesNothingAndFails) {
    MakeFile(L"a.txt", winter);
    EXPECT_EQ(2u, Run(L"-s missing.txt a.txt").exitCode);
    EXPECT_EQ(winter.lastWrite, GetTimes(box.Path(L"a.txt")).lastWrite);
}

TEST_F(CommandLine, MillisecondsOnlyKeepsTheSecond) {
    MakeFile(L"file.txt", summer);
    EXPECT_EQ(0u, Run(L"-m file.txt").exitCode);
    EXPECT_EQ(summer.lastWrite / kSecond, GetTimes(box.Path(L"file.txt")).lastWrite / kSecond);
}

TEST_F(CommandLine, FolderChangesEveryFileBelowButNoFolder) {
    box.MakeFolder(L"tree");
    box.MakeFolder(L"tree\\sub");
    box.MakeFolder(L"tree\\sub\\deeper");
    MakeFile(L"tree\\one.txt", winter);
    MakeFile(L"tree\\sub\\two.txt", winter);
    MakeFile(L"tree\\sub\\deeper\\three.txt", winter);
    for (const wchar_t* folder : {L"tree", L"tree\\sub", L"tree\\sub\\deeper"}) SetTimes(box.Path(folder), summer);
    EXPECT_EQ(0u, Run(L"-u -D 2024/09/07 -T 12:00:00 -M 0 tree").exitCode);
    for (const wchar_t* file : {L"tree\\one.txt", L"tree\\sub\\two.txt", L"tree\\sub\\deeper\\three.txt"}) {
        EXPECT_EQ(FormatUtc(UtcTime(2024, 9, 7, 12, 0, 0, 0)), FormatUtc(GetTimes(box.Path(file)).lastWrite));
    }
    for (const wchar_t* folder : {L"tree", L"tree\\sub", L"tree\\sub\\deeper"}) {
        EXPECT_EQ(FormatUtc(summer.lastWrite), FormatUtc(GetTimes(box.Path(folder)).lastWrite));
    }
}

TEST_F(CommandLine, QuotedTargetsAndNoTagOptionsAreTargets) {
    MakeFile(L"with blank.txt", winter);
    MakeFile(L"tagged.txt", winter);
    EXPECT_EQ(0u, Run(L"-u -D 2024/09/07 \"with blank.txt\" -NoTagX tagged.txt").exitCode);
    for (const wchar_t* file : {L"with blank.txt", L"tagged.txt"}) {
        EXPECT_EQ(FormatUtc(UtcTime(2024, 9, 7, 0, 0, 0, 0)).substr(0, 10),
                  FormatUtc(GetTimes(box.Path(file)).lastWrite).substr(0, 10));
    }
}

TEST_F(CommandLine, AbsoluteTargetsWorkFromAnyFolder) {
    MakeFile(L"abs.txt", winter);
    EXPECT_EQ(0u, Run(L"-u -D 2024/09/07 -T 1:2:3 -M 4 \"" + box.Path(L"abs.txt") + L"\"").exitCode);
    EXPECT_EQ(FormatUtc(UtcTime(2024, 9, 7, 1, 2, 3, 4)), FormatUtc(GetTimes(box.Path(L"abs.txt")).lastWrite));
}

TEST_F(CommandLine, ExitCodeTwoWhenAFileCannotBeChangedWhileTheRestIsDone) {
    MakeFile(L"locked.txt", winter);
    MakeFile(L"free.txt", winter);
    HANDLE hold = CreateFileW(box.Path(L"locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hold);
    RunResult r = Run(L"-u -D 2024/09/07 missing.txt locked.txt free.txt");
    CloseHandle(hold);
    EXPECT_EQ(2u, r.exitCode);
    EXPECT_EQ(winter.lastWrite, GetTimes(box.Path(L"locked.txt")).lastWrite);
    EXPECT_EQ("2024-09-07", FormatUtc(GetTimes(box.Path(L"free.txt")).lastWrite).substr(0, 10));
}

TEST_F(CommandLine, UsageTextStopsWithExitCodeOneAndChangesNothing) {
    MakeFile(L"file.txt", winter);
    RunResult r = Run(L"-h file.txt");
    EXPECT_EQ(1u, r.exitCode);
    ASSERT_EQ(1u, r.boxes.size());
    EXPECT_EQ(
        L"Kairodex|Arguments = [-u] [-c] [-w] [-a] [-d] [-t] [-m] [-s SourceFile] [-D Date] [-T Time] "
        L"[-M MSec] [File/Folder]*\r\nor [-c] [-w] [-a] -O [+|-][Days.]hh:mm:ss[.mmm] [File/Folder]*\r\nor -U "
        L"[JournalFile]",
        r.boxes[0]);
    EXPECT_EQ(winter.lastWrite, GetTimes(box.Path(L"file.txt")).lastWrite);
}

TEST_F(CommandLine, MissingMainProfileIsCreated) {
    MakeFile(L"file.txt", winter);
    EXPECT_EQ(0u, Run(L"file.txt").exitCode);
    EXPECT_EQ("[Common]\r\nProgram=Kairodex\r\n\r\n", box.ReadFile(L"Kairodex.ini"));
}

TEST_F(CommandLine, MainProfileWithoutProgramIsRejected) {
    MakeFile(L"file.txt", winter);
    box.WriteFile(L"Kairodex.ini", "[Common]\r\nLanguage=Default\r\n");
    RunResult r = Run(L"file.txt");
    EXPECT_EQ(1u, r.exitCode);
    ASSERT_EQ(1u, r.boxes.size());
    EXPECT_EQ(L"Kairodex|Bad format profile !!", r.boxes[0]);
    EXPECT_EQ(winter.lastWrite, GetTimes(box.Path(L"file.txt")).lastWrite);
    EXPECT_EQ("[Common]\r\nLanguage=Default\r\n", box.ReadFile(L"Kairodex.ini"));
}

// The window, drawing, shell, dialog and input method libraries cost more to load than the rest
// of a start; the command-line mode needs none of them, nor the crash dump's library before a
// fault.
TEST_F(CommandLine, CommandLineModeLoadsNoWindowOrShellLibrary) {
    MakeFile(L"file.txt", winter);
    std::vector<std::wstring> loaded = box.LoadedLibraries(L"-D 2024/09/07 -c -w -a file.txt");
    auto has = [&loaded](const wchar_t* name) { return std::find(loaded.begin(), loaded.end(), name) != loaded.end(); };
    ASSERT_TRUE(has(L"kernel32.dll")) << "no library seen: the listing itself failed";
    for (const wchar_t* name : {L"user32.dll", L"gdi32.dll", L"shell32.dll", L"comdlg32.dll", L"comctl32.dll",
                                L"imm32.dll", L"dbghelp.dll"}) {
        EXPECT_FALSE(has(name)) << "loaded " << std::string(name, name + wcslen(name));
    }
    EXPECT_NE(winter.lastWrite, GetTimes(box.Path(L"file.txt")).lastWrite) << "the run did not do its work";
}

}  // namespace
}  // namespace EndToEnd
