// Local times are read and shown by the daylight-saving rules of their own year. Runs under
// TZ=America/New_York, whose rules changed in 2007: until then summer time ran from the first
// Sunday of April to the last Sunday of October, since then from the second Sunday of March to
// the first Sunday of November.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "AppLayer/FileTimeApply.h"
#include "AppLayer/FileTimeApplySupport.h"
#include "AppLayer/FileTimeJob.h"
#include "AppLayer/FileTimeValue.h"

using namespace AppLayer;
using namespace FileTimeTest;
using RawLayer::RawParameterList;

namespace {

bool InNewYork() {
    const char* tz = std::getenv("TZ");
    return tz != nullptr && std::strcmp(tz, "America/New_York") == 0;
}

// Whether the platform keeps the zone's earlier rules at all, asked without the code under test.
bool Knows2005Rules() {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    TIME_ZONE_INFORMATION rules{};
    return GetDynamicTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID &&
           GetTimeZoneInformationForYear(2005, &zone, &rules) && rules.DaylightDate.wMonth == 4;
}

struct Case {
    SYSTEMTIME local;
    SYSTEMTIME utc;
};

// Both sides of each change, and hours next to the change itself.
const Case k2005[] = {
    {Time(2005, 3, 20, 12), Time(2005, 3, 20, 17)},  // summer time by today's rules
    {Time(2005, 4, 2, 12), Time(2005, 4, 2, 17)},       {Time(2005, 4, 3, 1, 30), Time(2005, 4, 3, 6, 30)},
    {Time(2005, 4, 3, 3, 30), Time(2005, 4, 3, 7, 30)}, {Time(2005, 4, 4, 12), Time(2005, 4, 4, 16)},
    {Time(2005, 10, 29, 12), Time(2005, 10, 29, 16)},   {Time(2005, 10, 30, 3), Time(2005, 10, 30, 8)},
    {Time(2005, 10, 31, 12), Time(2005, 10, 31, 17)},  // summer time by today's rules
};
const Case k2024[] = {
    {Time(2024, 3, 9, 12), Time(2024, 3, 9, 17)},   {Time(2024, 3, 10, 3, 30), Time(2024, 3, 10, 7, 30)},
    {Time(2024, 3, 11, 12), Time(2024, 3, 11, 16)}, {Time(2024, 11, 2, 12), Time(2024, 11, 2, 16)},
    {Time(2024, 11, 3, 3), Time(2024, 11, 3, 8)},   {Time(2024, 11, 4, 12), Time(2024, 11, 4, 17)},
};

void ExpectBothWays(const Case& c) {
    FileTimeValue stored;
    ASSERT_TRUE(stored.StoreLocal(c.local)) << Show(c.local);
    EXPECT_EQ(UtcText(stored.fileTime), UtcText(Utc(c.utc))) << "stored from " << Show(c.local);
    EXPECT_EQ(Show(stored.brokenDown), Show(c.local));
    FileTimeValue shown;
    ASSERT_TRUE(shown.SetFromFileTime(Utc(c.utc)));
    ASSERT_TRUE(shown.ShowAsLocal());
    EXPECT_EQ(Show(shown.brokenDown), Show(c.local)) << "shown from " << UtcText(Utc(c.utc));
}

RawParameterList Entries(std::initializer_list<std::pair<const char*, const char*>> entries) {
    RawParameterList list;
    list.SetCaseSensitive(true);
    for (const auto& entry : entries) list.Add(entry.first, entry.second);
    return list;
}

}  // namespace

TEST(FileTimeZoneRules, YearsWithTodaysRules) {
    ASSERT_TRUE(InNewYork()) << "this program runs under TZ=America/New_York";
    for (const Case& c : k2024) ExpectBothWays(c);
}

TEST(FileTimeZoneRules, YearsWithEarlierRules) {
    ASSERT_TRUE(InNewYork()) << "this program runs under TZ=America/New_York";
    ASSERT_TRUE(Knows2005Rules()) << "the platform gives 2005 today's rules: Wine 8 and Windows know them";
    for (const Case& c : k2005) ExpectBothWays(c);
}

// From the command-line texts to a file: -D and -T typed in local time, then only the date
// merged into a file whose time of day is read in its own year's local time.
TEST(FileTimeZoneRules, TypedDatesReachFilesByTheirYearsRules) {
    ASSERT_TRUE(InNewYork()) << "this program runs under TZ=America/New_York";
    ASSERT_TRUE(Knows2005Rules()) << "the platform gives 2005 today's rules: Wine 8 and Windows know them";
    for (const char* date : {"2005/03/20", "2005/10/31"}) {
        FileTimeJob job;
        ASSERT_TRUE(FillJob(job, "", Entries({{"D", date}, {"T", "12:00:00"}, {"M", "0"}})));
        const SYSTEMTIME day = job.settings.value.brokenDown;
        EXPECT_EQ(UtcText(job.settings.value.fileTime), UtcText(Utc(Time(day.wYear, day.wMonth, day.wDay, 17))))
            << date;
    }
    Scratch scratch;
    const std::wstring file = scratch.Below(L"f.txt");
    ASSERT_TRUE(MakeFile(file));
    const FILETIME summer2024 = Utc(Time(2024, 7, 1, 16));  // 12:00 local, summer time
    ASSERT_TRUE(WriteTimes(file, &summer2024, &summer2024));
    FileTimeJob job;
    ASSERT_TRUE(FillJob(job, "", Entries({{"w", ""}, {"d", ""}, {"D", "2005/03/20"}})));
    EXPECT_TRUE(ApplyToFile(job.settings, Wide(file)));
    EXPECT_EQ(UtcText(ReadTimes(file).lastWrite), UtcText(Utc(Time(2005, 3, 20, 17))));
}
