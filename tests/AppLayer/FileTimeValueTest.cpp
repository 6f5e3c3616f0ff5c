#include "AppLayer/FileTimeValue.h"

#include <gtest/gtest.h>

#include "AppLayer/FileTimeTestSupport.h"

using namespace AppLayer;
using namespace FileTimeTest;
using RawLayer::RawString;

namespace {

bool KnownZone() { return TestZone() != Zone::Unknown; }

// Settings whose value shows `shown` in the zone the flags name.
FileTimeSettings SettingsAt(uint16_t flags, const SYSTEMTIME& shown) {
    FileTimeSettings settings;
    settings.flags = flags;
    const bool stored = (flags & ShowUtc) ? settings.value.StoreUtc(shown) : settings.value.StoreLocal(shown);
    EXPECT_TRUE(stored) << Show(shown);
    return settings;
}

// The value shows `expected` in its zone and its instant agrees.
void ExpectShows(const FileTimeValue& value, uint16_t flags, const SYSTEMTIME& expected) {
    const bool utc = (flags & ShowUtc) != 0;
    EXPECT_EQ(value.zone, utc ? ZoneUtc : ZoneLocal);
    EXPECT_EQ(Show(value.brokenDown), Show(expected));
    const FILETIME instant = utc ? Utc(expected) : FromLocal(expected);
    EXPECT_EQ(UtcText(value.fileTime), UtcText(instant));
}

SYSTEMTIME WithDate(SYSTEMTIME time, WORD year, WORD month, WORD day) {
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    return time;
}

SYSTEMTIME WithTime(SYSTEMTIME time, WORD hour, WORD minute, WORD second) {
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

const uint16_t kModes[] = {ShowUtc, 0};

}  // namespace

// ---- texts ----

TEST(FileTimeParse, DateTextsAreClampedAndMovedToRealDays) {
    if (!KnownZone()) GTEST_SKIP() << "TZ is neither UTC nor Europe/Berlin";
    struct Case {
        const char* text;
        WORD year, month, day;
    };
    const Case cases[] = {
        {"2024/9/7", 2024, 9, 7},
        {"2024-09-07", 2024, 9, 7},
        {"2024 9 7", 2024, 9, 7},
        {"2024.9.7 trailing", 2024, 9, 7},
        {"2024/2/30", 2024, 2, 29},
        {"2023/2/30", 2023, 2, 28},
        {"2023/02/29", 2023, 2, 28},
        {"2100/02/29", 2100, 2, 28},
        {"2000/02/29", 2000, 2, 29},
        {"2024/04/31", 2024, 4, 30},
        {"2024/13/40", 2024, 12, 31},
        {"2024/0/0", 2024, 1, 1},
        {"1500/01/01", 1601, 1, 1},
        {"99999/01/01", 30827, 1, 1},  // low 16 bits 34463, then clamped
        {"2024", 2024, 1, 1},
        {"  2024/9/7", 2024, 9, 7},
        {"\t 2024/9/7", 2024, 9, 7},
        {"+2024/9/7", 2024, 9, 7},
        {"-1/9/7", 30827, 9, 7},  // -1 is 65535 in 16 bits
    };
    const SYSTEMTIME start = Time(2020, 6, 15, 10, 20, 30, 456);
    for (uint16_t mode : kModes) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.text) + (mode ? " UTC" : " local"));
            FileTimeSettings settings = SettingsAt(mode | UseTime | UseMSec | SetCreation, start);
            settings.ParseDate(c.text);
            ExpectShows(settings.value, mode, WithDate(start, c.year, c.month, c.day));
            EXPECT_EQ(settings.flags, mode | UseTime | UseMSec | SetCreation);
        }
    }
}

TEST(FileTimeParse, TimeAndMillisecondTexts) {
    if (!KnownZone()) GTEST_SKIP() << "TZ is neither UTC nor Europe/Berlin";
    struct Case {
        const char* text;
        WORD hour, minute, second;
    };
    const Case times[] = {
        {"25:61:61", 23, 59, 59}, {"7", 7, 0, 0}, {"12-34-56", 12, 34, 56}, {" 8:05", 8, 5, 0}, {"0:0:0", 0, 0, 0},
    };
    struct MsecCase {
        const char* text;
        WORD msec;
    };
    const MsecCase msecs[] = {{"1234", 999}, {"0x10", 16}, {"12ab", 12}, {"5", 5}, {" 7", 7}, {"0", 0}};
    const SYSTEMTIME start = Time(2024, 1, 15, 10, 20, 30, 456);
    for (uint16_t mode : kModes) {
        for (const Case& c : times) {
            SCOPED_TRACE(c.text);
            FileTimeSettings settings = SettingsAt(mode, start);
            settings.ParseTime(c.text);
            ExpectShows(settings.value, mode, WithTime(start, c.hour, c.minute, c.second));
        }
        for (const MsecCase& c : msecs) {
            SCOPED_TRACE(c.text);
            FileTimeSettings settings = SettingsAt(mode, start);
            settings.ParseMSec(c.text);
            SYSTEMTIME expected = start;
            expected.wMilliseconds = c.msec;
            ExpectShows(settings.value, mode, expected);
        }
    }
}

TEST(FileTimeParse, EmptyTextsChangeNothing) {
    for (uint16_t mode : kModes) {
        FileTimeSettings settings = SettingsAt(mode, Time(2024, 7, 1, 1, 2, 3, 4));
        const FileTimeValue before = settings.value;
        settings.ParseDate("");
        settings.ParseTime("");
        settings.ParseMSec("");
        EXPECT_EQ(Count(settings.value.fileTime), Count(before.fileTime));
        EXPECT_EQ(Show(settings.value.brokenDown), Show(before.brokenDown));
    }
}

// ---- conversions ----

TEST(FileTimeValue, LocalTimesUseTheRulesOfTheirOwnDate) {
    if (!KnownZone()) GTEST_SKIP() << "TZ is neither UTC nor Europe/Berlin";
    struct Case {
        SYSTEMTIME local;
        SYSTEMTIME berlinUtc;  // in UTC the local time is the UTC time
    };
    const Case cases[] = {
        {Time(2024, 1, 15, 12), Time(2024, 1, 15, 11)},
        {Time(2024, 7, 15, 12), Time(2024, 7, 15, 10)},
        {Time(2023, 12, 31, 0, 30), Time(2023, 12, 30, 23, 30)},
        {Time(2030, 8, 1, 23, 59, 59, 999), Time(2030, 8, 1, 21, 59, 59, 999)},
        // The days of the changes, outside the skipped and the repeated hour.
        {Time(2024, 3, 31, 1, 30), Time(2024, 3, 31, 0, 30)},
        {Time(2024, 3, 31, 12), Time(2024, 3, 31, 10)},
        {Time(2024, 10, 27, 1, 30), Time(2024, 10, 26, 23, 30)},
        {Time(2024, 10, 27, 12), Time(2024, 10, 27, 11)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.local));
        FileTimeValue value;
        ASSERT_TRUE(value.StoreLocal(c.local));
        const SYSTEMTIME& utc = TestZone() == Zone::Berlin ? c.berlinUtc : c.local;
        EXPECT_EQ(UtcText(value.fileTime), UtcText(Utc(utc)));
        EXPECT_EQ(value.zone, ZoneLocal);
        EXPECT_EQ(Show(value.brokenDown), Show(c.local));
        // And back: UTC, then local again, gives the same fields.
        EXPECT_TRUE(value.ShowAsUtc());
        EXPECT_EQ(Show(value.brokenDown), Show(utc));
        EXPECT_TRUE(value.ShowAsLocal());
        EXPECT_EQ(Show(value.brokenDown), Show(c.local));
    }
}

TEST(FileTimeValue, LocalRoundTripIsExactAllYear) {
    for (WORD year : {1601, 1970, 2023, 2024, 2037, 30827}) {
        for (WORD month = 1; month <= 12; ++month) {
            const SYSTEMTIME local = Time(year, month, 10, 12, 34, 56, 789);
            SCOPED_TRACE(Show(local));
            FileTimeValue value;
            ASSERT_TRUE(value.StoreLocal(local));
            FileTimeValue again;
            ASSERT_TRUE(again.SetFromFileTime(value.fileTime));
            ASSERT_TRUE(again.ShowIn(0));
            EXPECT_EQ(Show(again.brokenDown), Show(local));
        }
    }
}

TEST(FileTimeValue, ImpossibleAndUnrepresentableTimesAreRefused) {
    const SYSTEMTIME refused[] = {
        Time(2023, 2, 29),  Time(2100, 2, 29),          Time(2024, 4, 31),       Time(2024, 13, 1),
        Time(2024, 0, 10),  Time(2024, 1, 0),           Time(2024, 1, 32),       Time(1600, 12, 31, 23),
        Time(30828, 1, 1),  Time(2024, 1, 1, 24),       Time(2024, 1, 1, 0, 60), Time(2024, 1, 1, 0, 0, 60),
        Time(2024, 1, 1, 0, 0, 0, 1000),
    };
    for (uint16_t mode : kModes) {
        for (const SYSTEMTIME& time : refused) {
            SCOPED_TRACE(Show(time));
            FileTimeSettings settings = SettingsAt(mode, Time(2022, 5, 5, 5, 5, 5, 5));
            const FileTimeValue before = settings.value;
            const bool stored = mode ? settings.value.StoreUtc(time) : settings.value.StoreLocal(time);
            EXPECT_FALSE(stored);
            EXPECT_EQ(Count(settings.value.fileTime), Count(before.fileTime));
            EXPECT_EQ(Show(settings.value.brokenDown), Show(before.brokenDown));
            EXPECT_EQ(settings.value.zone, before.zone);
        }
    }
    for (const SYSTEMTIME& leap : {Time(2000, 2, 29), Time(2024, 2, 29), Time(1604, 2, 29)}) {
        FileTimeValue value;
        EXPECT_TRUE(value.StoreUtc(leap)) << Show(leap);
        EXPECT_TRUE(value.StoreLocal(leap)) << Show(leap);
    }
}

TEST(FileTimeValue, RangeEdgesDependOnTheZone) {
    if (!KnownZone()) GTEST_SKIP() << "TZ is neither UTC nor Europe/Berlin";
    FileTimeValue value;
    // Local midnight of the first day lies before 1601 in UTC east of Greenwich.
    EXPECT_EQ(value.StoreLocal(Time(1601, 1, 1, 0, 30)), TestZone() == Zone::Utc);
    ASSERT_TRUE(value.StoreLocal(Time(30827, 12, 31, 23, 59, 59, 999)));
    EXPECT_EQ(UtcText(value.fileTime), UtcText(FromLocal(Time(30827, 12, 31, 23, 59, 59, 999))));
    EXPECT_TRUE(value.StoreUtc(Time(1601, 1, 1)));
    EXPECT_EQ(Count(value.fileTime), 0u);
}

// ---- merging ----

TEST(FileTimeMerge, EachPartMaskTakesOnlyItsParts) {
    if (!KnownZone()) GTEST_SKIP() << "TZ is neither UTC nor Europe/Berlin";
    // Existing in winter, chosen in summer: local results cross a change of offset.
    const SYSTEMTIME existing = Time(2020, 1, 1, 10, 20, 30, 456);
    const SYSTEMTIME chosen = Time(2024, 7, 31, 8, 9, 10, 789);
    for (uint16_t mode : kModes) {
        for (uint16_t mask = 0; mask <= 7; ++mask) {
            SCOPED_TRACE("mask " + std::to_string(mask) + (mode ? " UTC" : " local"));
            const uint16_t flags = mode | mask | SetLastWrite;
            FileTimeSettings old = SettingsAt(mode, existing);
            FileTimeSettings pick = SettingsAt(mode, chosen);
            SYSTEMTIME expected = existing;
            if (mask & UseDate) expected = WithDate(expected, chosen.wYear, chosen.wMonth, chosen.wDay);
            if (mask & UseTime) expected = WithTime(expected, chosen.wHour, chosen.wMinute, chosen.wSecond);
            if (mask & UseMSec) expected.wMilliseconds = chosen.wMilliseconds;
            const FILETIME merged = MergeIntoFileTime(pick.value, flags, old.value.fileTime);
            const FILETIME instant = mode ? Utc(expected) : FromLocal(expected);
            EXPECT_EQ(UtcText(merged), UtcText(instant));
        }
    }
}

TEST(FileTimeMerge, ChosenValueIsReadInTheZoneOfTheFlags) {
    if (!KnownZone()) GTEST_SKIP() << "TZ is neither UTC nor Europe/Berlin";
    // Chosen 2024-03-31 08:00 UTC, shown in local time; merged in UTC with the date only.
    FileTimeValue chosen;
    ASSERT_TRUE(chosen.StoreUtc(Time(2024, 3, 31, 8)));
    ASSERT_TRUE(chosen.ShowAsLocal());
    const FILETIME merged = MergeIntoFileTime(chosen, ShowUtc | UseDate, Utc(Time(2020, 1, 1, 10, 20, 30, 456)));
    EXPECT_EQ(UtcText(merged), UtcText(Utc(Time(2024, 3, 31, 10, 20, 30, 456))));
    // The hour of 23:30 UTC is the local hour of the next day in Berlin.
    ASSERT_TRUE(chosen.StoreUtc(Time(2024, 7, 31, 23, 30)));
    const FILETIME local = MergeIntoFileTime(chosen, UseTime, FromLocal(Time(2024, 6, 1, 5, 6, 7, 8)));
    const bool berlin = TestZone() == Zone::Berlin;
    EXPECT_EQ(UtcText(local), UtcText(FromLocal(Time(2024, 6, 1, berlin ? 1 : 23, 30, 0, 8))));
}

TEST(FileTimeMerge, UnchangedPartsLeaveRepeatedHourAlone) {
    // 00:30 and 01:30 UTC on 2024-10-27 are both 02:30 in Berlin; rewriting either as
    // local time without a change must not turn one into the other.
    for (WORD hour : {0, 1}) {
        const FILETIME existing = Utc(Time(2024, 10, 27, hour, 30, 0, 250));
        FileTimeValue chosen;
        ASSERT_TRUE(chosen.StoreUtc(Time(2001, 2, 3, 4, 5, 6, 250)));
        EXPECT_EQ(Count(MergeIntoFileTime(chosen, 0, existing)), Count(existing));
        EXPECT_EQ(Count(MergeIntoFileTime(chosen, UseMSec, existing)), Count(existing));
    }
}

TEST(FileTimeMerge, FailedMergeKeepsTheExistingTime) {
    if (!KnownZone()) GTEST_SKIP() << "TZ is neither UTC nor Europe/Berlin";
    FileTimeValue chosen;
    ASSERT_TRUE(chosen.StoreUtc(Time(1601, 1, 1, 12)));
    ASSERT_TRUE(chosen.ShowAsLocal());
    // 1601-01-01 00:30 local is before the first instant in Berlin.
    const FILETIME existing = FromLocal(Time(2020, 1, 1, 0, 30));
    const FILETIME merged = MergeIntoFileTime(chosen, UseDate, existing);
    const FILETIME expected = TestZone() == Zone::Berlin ? existing : Utc(Time(1601, 1, 1, 0, 30));
    EXPECT_EQ(UtcText(merged), UtcText(expected));
    // A count past the calendar's range has no parts to keep: it stays as it is.
    const FILETIME beyond{0, 0x80000000u};
    EXPECT_EQ(Count(MergeIntoFileTime(chosen, ShowUtc | UseDate, beyond)), Count(beyond));
}

TEST(FileTimeMerge, TicksBelowAMillisecondGoWithTheMilliseconds) {
    const FILETIME existingTicks = PlusTicks(Utc(Time(2020, 1, 1, 10, 20, 30, 456)), 4321);
    FileTimeValue chosen;
    ASSERT_TRUE(chosen.StoreUtc(Time(2024, 7, 31, 8, 9, 10, 789)));
    chosen.fileTime = PlusTicks(chosen.fileTime, 1234);
    for (uint16_t mode : kModes) {
        for (uint16_t mask = 0; mask <= 7; ++mask) {
            SCOPED_TRACE("mask " + std::to_string(mask) + (mode ? " UTC" : " local"));
            const FILETIME merged = MergeIntoFileTime(chosen, mode | mask, existingTicks);
            EXPECT_EQ(Count(merged) % 10000, (mask & UseMSec) ? 1234u : 4321u);
        }
    }
    // A value taken whole is taken exactly; typed milliseconds have nothing below them.
    FileTimeSettings settings;
    settings.AssignValue(chosen, 7);
    EXPECT_EQ(Count(settings.value.fileTime), Count(chosen.fileTime));
    settings.ParseDate("2023/1/2");
    EXPECT_EQ(Count(settings.value.fileTime) % 10000, 1234u);
    settings.ParseMSec("5");
    EXPECT_EQ(Count(settings.value.fileTime) % 10000, 0u);
}

TEST(FileTimeSettings, AssignValueAndClearMilliseconds) {
    if (!KnownZone()) GTEST_SKIP() << "TZ is neither UTC nor Europe/Berlin";
    const SYSTEMTIME own = Time(2020, 1, 1, 10, 20, 30, 456);
    const SYSTEMTIME other = Time(2024, 7, 31, 8, 9, 10, 789);
    struct Case {
        uint16_t mask;
        SYSTEMTIME expected;
    };
    const Case cases[] = {
        {1, Time(2024, 7, 31, 10, 20, 30, 456)},
        {2, Time(2020, 1, 1, 8, 9, 10, 456)},
        {4, Time(2020, 1, 1, 10, 20, 30, 789)},
        {7, other},
    };
    for (uint16_t mode : kModes) {
        for (const Case& c : cases) {
            SCOPED_TRACE("mask " + std::to_string(c.mask) + (mode ? " UTC" : " local"));
            const uint16_t flags = mode | UseMSec | SetLastAccess;
            FileTimeSettings settings = SettingsAt(flags, own);
            FileTimeSettings source = SettingsAt(mode, other);
            settings.AssignValue(source.value, c.mask);
            ExpectShows(settings.value, mode, c.expected);
            EXPECT_EQ(settings.flags, flags);
            settings.ClearMilliseconds();
            SYSTEMTIME cleared = c.expected;
            cleared.wMilliseconds = 0;
            ExpectShows(settings.value, mode, cleared);
        }
    }
}
