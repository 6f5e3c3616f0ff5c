// -O: the offset texts, the shift of the instant across daylight-saving nights whatever the
// zone, the ends of the calendar, and the undo of a shift through its journal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppLayer/FileTimeApplySupport.h"
#include "AppLayer/FileTimeJournal.h"
#include "AppLayer/FileTimeUndo.h"
#include "AppLayer/FileTimeValue.h"

using namespace AppLayer;
using namespace FileTimeTest;
using RawLayer::RawString;

namespace {

constexpr int64_t kMs = 10000;
constexpr int64_t kSecond = 1000 * kMs;
constexpr int64_t kHour = 3600 * kSecond;
constexpr int64_t kDay = 24 * kHour;

FILETIME Ticks(uint64_t count) { return FILETIME{static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)}; }

std::wstring WideOf(const RawString& text) {
    const RawString wide(text, RawLayer::Wide);
    return std::wstring(wide.WideUnits(), static_cast<size_t>(wide.Length()));
}

// The file system here keeps no times as early as 1601: the file named "first" is read as
// 01:30 on 1601-01-01.
bool EarlyFirstGetTimes(const RawLayer::FileHandle& file, FILETIME* creation, FILETIME* lastAccess,
                        FILETIME* lastWrite) {
    wchar_t name[MAX_PATH] = {};
    const DWORD length = GetFinalPathNameByHandleW(file.Handle(), name, MAX_PATH, FILE_NAME_NORMALIZED);
    if (length > 6 && length < MAX_PATH && std::wstring(name + length - 6) == L"\\first") {
        *creation = *lastAccess = *lastWrite = Ticks(90 * 60 * kSecond);
        return true;
    }
    return file.GetTimes(creation, lastAccess, lastWrite);
}

}  // namespace

TEST(FileTimeOffset, TextsParseToExactTicksAndBadFormsAreRefused) {
    const struct {
        const char* text;
        int64_t ticks;
    } good[] = {
        {"+01:00:00", kHour},
        {"01:00:00", kHour},
        {"-1.00:00:30.500", -(kDay + 30 * kSecond + 500 * kMs)},
        {"+0:00:00.250", 250 * kMs},
        {"-0:00:00.001", -kMs},
        {"00:00:00", 0},
        {"23:59:59.999", kDay - kMs},
        {"+9999999.23:59:59.999", 9999999 * kDay + kDay - kMs},
        {"2.03:04:05", 2 * kDay + 3 * kHour + 4 * 60 * kSecond + 5 * kSecond},
    };
    for (const auto& c : good) {
        int64_t ticks = 12345;
        EXPECT_TRUE(ParseOffset(RawString(c.text), ticks)) << c.text;
        EXPECT_EQ(ticks, c.ticks) << c.text;
    }
    for (const char* bad : {"",
                            "+",
                            "-",
                            "1:00",
                            "01:00:00:00",
                            "1.24:00:00",
                            "24:00:00",
                            "100:00:00",
                            "00:60:00",
                            "00:00:60",
                            "00:0:00",
                            "00:00:0",
                            "00:00:00.5",
                            "00:00:00.1234",
                            "00:00:00.",
                            "1.:00:00",
                            ".01:00:00",
                            "+-01:00:00",
                            " 01:00:00",
                            "01:00:00 ",
                            "01:00:00x",
                            "10000000.00:00:00",
                            "1h",
                            "\xef\xbc\x91:00:00"}) {
        int64_t ticks = 12345;
        EXPECT_FALSE(ParseOffset(RawString(bad), ticks)) << bad;
        EXPECT_EQ(ticks, 12345) << bad;
    }
}

TEST(FileTimeOffset, ResultsOutsideTheCalendarAreRefused) {
    SYSTEMTIME last = {30827, 12, 0, 31, 23, 59, 59, 999};
    FILETIME end{};
    ASSERT_TRUE(SystemTimeToFileTime(&last, &end));
    const uint64_t lastCount = Count(end);
    const struct {
        uint64_t from;
        int64_t by;
        bool done;
    } cases[] = {
        {0, 0, true},
        {0, -1, false},
        {kHour, -kHour, true},
        {kHour, -kHour - 1, false},
        {lastCount, 0, true},
        {lastCount - kMs, kMs, true},
        {lastCount, 9999999 * kDay, false},
        {0x7FFFFFFFFFFFFFFFull, 1, false},
        {0x8000000000000000ull, -kDay, false},
    };
    for (const auto& c : cases) {
        FILETIME shifted = Ticks(42);
        EXPECT_EQ(ShiftFileTime(Ticks(c.from), c.by, shifted), c.done) << c.from << " " << c.by;
        EXPECT_EQ(Count(shifted), c.done ? c.from + c.by : 42u) << c.from << " " << c.by;
    }
}

// Files at instants around the daylight-saving nights of Berlin and New York, in a tree, moved
// by an hour: each lands an hour later in UTC in every zone the test runs in. One file at the
// calendar's start fails a shift past it and stays; undo then brings everything back.
TEST(FileTimeOffset, ATreeShiftsByTheInstantAcrossDaylightSavingNightsAndIsUndone) {
    Scratch scratch;
    ASSERT_TRUE(MakeFolder(scratch.Below(L"tree")));
    ASSERT_TRUE(MakeFolder(scratch.Below(L"tree\\sub")));
    const SYSTEMTIME instants[] = {
        {2024, 3, 0, 31, 0, 30, 0, 0},   // Berlin: an hour before 02:00 local becomes 03:00
        {2024, 10, 0, 27, 0, 30, 0, 0},  // Berlin: 02:00-03:00 local twice
        {2024, 3, 0, 10, 6, 30, 0, 0},   // New York: 01:30 EST, the night clocks go forward
        {2024, 11, 0, 3, 5, 30, 0, 0},   // New York: 01:30 EDT, the hour that repeats
        {2024, 11, 0, 3, 6, 30, 0, 5},   // New York: 01:30 EST, its repetition
    };
    std::vector<std::wstring> files;
    for (size_t i = 0; i < std::size(instants); ++i) {
        files.push_back((i % 2 ? L"tree\\sub\\f" : L"tree\\f") + std::to_wstring(i));
        ASSERT_TRUE(MakeFile(scratch.Below(files.back())));
        const FILETIME at = Utc(instants[i]);
        ASSERT_TRUE(WriteTimes(scratch.Below(files.back()), &at, &at));
    }
    ASSERT_TRUE(MakeFile(scratch.Below(L"tree\\first")));
    const Times start = ReadTimes(scratch.Below(L"tree\\first"));

    FileTimeSettings settings;
    settings.flags = SetLastWrite | SetLastAccess;
    settings.shift = true;
    RawLayer::RawStringList paths;
    paths.Add(Wide(scratch.Below(L"tree")));
    settings.shiftTicks = kHour;
    {
        FileTimeJournal journal;
        ASSERT_TRUE(journal.Begin(Wide(scratch.Below(L"Journal"))));
        FailedFiles failed(5);
        EXPECT_EQ(ApplyToAll(settings, paths, &failed, &journal), 0u);
    }
    for (size_t i = 0; i < files.size(); ++i) {
        const Times moved = ReadTimes(scratch.Below(files[i]));
        EXPECT_EQ(UtcText(moved.lastWrite), UtcText(Ticks(Count(Utc(instants[i])) + kHour))) << i;
        EXPECT_EQ(Count(moved.lastAccess), Count(Utc(instants[i])) + kHour) << i;
    }
    // Two hours back would take the first file before 1601: it stays, the rest move.
    settings.shiftTicks = -2 * kHour;
    const FileTimeCalls saved = FileTimeEntries();
    FileTimeEntries().getTimes = &EarlyFirstGetTimes;
    {
        FileTimeJournal journal;
        ASSERT_TRUE(journal.Begin(Wide(scratch.Below(L"Journal"))));
        FailedFiles failed(5);
        EXPECT_EQ(ApplyToAll(settings, paths, &failed, &journal), 1u);
        ASSERT_EQ(failed.names.Count(), 1);
        EXPECT_NE(WideOf(failed.Listed(1)).find(L"first"), std::wstring::npos);
    }
    FileTimeEntries() = saved;
    EXPECT_EQ(Count(ReadTimes(scratch.Below(L"tree\\first")).lastWrite), Count(start.lastWrite) + kHour);
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(Count(ReadTimes(scratch.Below(files[i])).lastWrite), Count(Utc(instants[i])) - kHour) << i;
    }
    // Undoing both runs, newest first, gives everything back.
    EXPECT_EQ(UndoNewest(Wide(scratch.Below(L"Journal"))).outcome, UndoOutcome::Done);
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(Count(ReadTimes(scratch.Below(files[i])).lastWrite), Count(Utc(instants[i])) + kHour) << i;
    }
    EXPECT_EQ(UndoNewest(Wide(scratch.Below(L"Journal"))).outcome, UndoOutcome::Done);
    for (size_t i = 0; i < files.size(); ++i) {
        const Times back = ReadTimes(scratch.Below(files[i]));
        EXPECT_EQ(Count(back.lastWrite), Count(Utc(instants[i]))) << i;
        EXPECT_EQ(Count(back.lastAccess), Count(Utc(instants[i]))) << i;
    }
    EXPECT_EQ(Count(ReadTimes(scratch.Below(L"tree\\first")).lastWrite), Count(start.lastWrite));
}
