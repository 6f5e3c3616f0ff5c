#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppLayer/FileTimeApply.h"
#include "AppLayer/FileTimeApplySupport.h"

using namespace AppLayer;
using namespace FileTimeTest;
using RawLayer::FileHandle;
using RawLayer::RawStringList;

namespace {

// Three distinct times handed to the engine in place of what the file system keeps (under
// Wine the creation time always reads as the last write time).
Times& FakeTimes() {
    static Times times;
    return times;
}

bool FakeGetTimes(const FileHandle&, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
    *creation = FakeTimes().creation;
    *lastAccess = FakeTimes().lastAccess;
    *lastWrite = FakeTimes().lastWrite;
    return true;
}

bool FailingGetTimes(const FileHandle&, FILETIME*, FILETIME*, FILETIME*) { return false; }

// own with the parts of chosenUtc that mask names, worked out on UTC calendar fields.
FILETIME Compose(const FILETIME& own, const SYSTEMTIME& chosenUtc, uint16_t mask) {
    SYSTEMTIME fields{};
    FileTimeToSystemTime(&own, &fields);
    if (mask & UseDate) {
        fields.wYear = chosenUtc.wYear;
        fields.wMonth = chosenUtc.wMonth;
        fields.wDay = chosenUtc.wDay;
    }
    if (mask & UseTime) {
        fields.wHour = chosenUtc.wHour;
        fields.wMinute = chosenUtc.wMinute;
        fields.wSecond = chosenUtc.wSecond;
    }
    if (mask & UseMSec) fields.wMilliseconds = chosenUtc.wMilliseconds;
    return Utc(fields);
}

class FileTimeApplyTest : public RecordingTest {};

}  // namespace

TEST_F(FileTimeApplyTest, EachSelectedTimeTakesTheChosenPartsAndKeepsItsOwn) {
    const std::wstring file = scratch_.Below(L"f.txt");
    ASSERT_TRUE(MakeFile(file));
    FakeTimes() = Times{Utc(Time(2018, 3, 4, 5, 6, 7, 891)), Utc(Time(2019, 11, 12, 13, 14, 15, 678)),
                        Utc(Time(2020, 5, 6, 7, 8, 9, 123))};
    FileTimeEntries().getTimes = &FakeGetTimes;
    const SYSTEMTIME chosen = Time(2024, 9, 7, 12, 34, 56, 789);
    const uint16_t selections[] = {0, SetCreation, SetLastWrite, SetLastAccess, kAllTimes};
    for (uint16_t selection : selections) {
        for (uint16_t mask = 0; mask <= kAllParts; ++mask) {
            SCOPED_TRACE("times " + std::to_string(selection) + ", parts " + std::to_string(mask));
            Records().clear();
            EXPECT_TRUE(ApplyToFile(Chosen(ShowUtc | mask | selection, chosen), Wide(file)));
            ASSERT_EQ(Records().size(), 1u);
            const Times& handed = Records()[0].times;
            const Times& own = FakeTimes();
            auto expect = [&](uint16_t bit, const FILETIME& ownTime) {
                return (selection & bit) ? Compose(ownTime, chosen, mask) : ownTime;
            };
            EXPECT_EQ(UtcText(handed.creation), UtcText(expect(SetCreation, own.creation)));
            EXPECT_EQ(UtcText(handed.lastAccess), UtcText(expect(SetLastAccess, own.lastAccess)));
            EXPECT_EQ(UtcText(handed.lastWrite), UtcText(expect(SetLastWrite, own.lastWrite)));
        }
    }
}

TEST_F(FileTimeApplyTest, LocalDateKeepsTheFilesLocalTimeOfDay) {
    if (TestZone() == Zone::Unknown) GTEST_SKIP() << "TZ is neither UTC nor Europe/Berlin";
    struct Case {
        SYSTEMTIME ownLocal;
        SYSTEMTIME chosenLocal;
        SYSTEMTIME expectedLocal;
    };
    const Case cases[] = {
        {Time(2020, 5, 6, 7, 8, 9, 123), Time(2024, 9, 7, 12), Time(2024, 9, 7, 7, 8, 9, 123)},
        {Time(2020, 1, 10, 7, 8, 9, 123), Time(2024, 7, 1, 12), Time(2024, 7, 1, 7, 8, 9, 123)},
        {Time(2020, 7, 10, 23, 30, 0, 5), Time(2024, 12, 24, 1), Time(2024, 12, 24, 23, 30, 0, 5)},
    };
    const std::wstring file = scratch_.Below(L"local.txt");
    ASSERT_TRUE(MakeFile(file));
    const FILETIME access = Utc(Time(2019, 11, 12, 13, 14, 15, 678));
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.ownLocal));
        const FILETIME own = FromLocal(c.ownLocal);
        ASSERT_TRUE(WriteTimes(file, &access, &own));
        const Times before = ReadTimes(file);
        Records().clear();
        EXPECT_TRUE(ApplyToFile(Chosen(SetLastWrite | UseDate, c.chosenLocal), Wide(file)));
        const Times after = ReadTimes(file);
        EXPECT_EQ(UtcText(after.lastWrite), UtcText(FromLocal(c.expectedLocal)));
        EXPECT_EQ(UtcText(after.lastAccess), UtcText(access));
        ASSERT_EQ(Records().size(), 1u);
        EXPECT_EQ(UtcText(Records()[0].times.creation), UtcText(before.creation));
    }
}

TEST_F(FileTimeApplyTest, FilesThatCannotBeChangedAreCountedAndTheRestDone) {
    const std::wstring good = scratch_.Below(L"good.txt");
    const std::wstring other = scratch_.Below(L"other.lnk");  // a shortcut is an ordinary file here
    const std::wstring locked = scratch_.Below(L"locked.txt");
    ASSERT_TRUE(MakeFile(good) && MakeFile(other) && MakeFile(locked));
    const FILETIME old = Utc(Time(2001, 1, 1, 1, 1, 1, 1));
    ASSERT_TRUE(WriteTimes(locked, &old, &old));
    // Held open without sharing: no one else can open it for writing.
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    RawStringList targets;
    targets.Add(Wide(scratch_.Below(L"missing.txt")));
    targets.Add(Wide(locked));
    targets.Add(Wide(good));
    targets.Add(Wide(good));
    targets.Add("Z:\\no\\such\\folder\\file.txt");
    targets.Add(Wide(other));
    const SYSTEMTIME chosen = Time(2024, 9, 7, 12, 34, 56, 789);
    FailedFiles failed(2);  // the first two names are kept, all three counted
    ApplyRunControl control;
    EXPECT_EQ(ApplyToAll(Chosen(ShowUtc | kAllParts | SetLastWrite, chosen), targets, &failed, nullptr, &control), 3u);
    EXPECT_EQ(control.changed.load(), 3u);
    EXPECT_EQ(control.failed.load(), 3u);
    CloseHandle(holder);
    ASSERT_EQ(failed.names.Count(), 2);
    EXPECT_TRUE(failed.names.First()->Equals(Wide(scratch_.Below(L"missing.txt"))));
    EXPECT_TRUE(failed.names.Last()->Equals(Wide(locked)));
    EXPECT_EQ(RecordedFiles(), (std::vector<std::wstring>{L"good.txt", L"good.txt", L"other.lnk"}));
    EXPECT_EQ(UtcText(ReadTimes(good).lastWrite), UtcText(Utc(chosen)));
    EXPECT_EQ(UtcText(ReadTimes(other).lastWrite), UtcText(Utc(chosen)));
    EXPECT_EQ(UtcText(ReadTimes(locked).lastWrite), UtcText(old));

    // Stopped before it began: nothing is touched, counted or failed.
    Records().clear();
    control.cancel = true;
    RawStringList folder;
    folder.Add(Wide(scratch_.Path()));
    EXPECT_EQ(ApplyToAll(Chosen(ShowUtc | kAllParts | SetLastWrite, chosen), targets, nullptr, nullptr, &control) +
                  ApplyToAll(Chosen(ShowUtc | kAllParts | SetLastWrite, chosen), folder, nullptr, nullptr, &control),
              0u);
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(control.changed.load() + control.failed.load(), 6u);
}

TEST_F(FileTimeApplyTest, UnreadableTimesAreNeverWritten) {
    const std::wstring file = scratch_.Below(L"f.txt");
    ASSERT_TRUE(MakeFile(file));
    const FILETIME old = Utc(Time(2001, 1, 1, 1, 1, 1, 1));
    ASSERT_TRUE(WriteTimes(file, &old, &old));
    FileTimeEntries().getTimes = &FailingGetTimes;
    const FileTimeSettings settings = Chosen(ShowUtc | UseDate | kAllTimes, Time(2024, 9, 7));
    EXPECT_FALSE(ApplyToFile(settings, Wide(file)));
    RawStringList targets;
    targets.Add(Wide(file));
    EXPECT_EQ(ApplyToAll(settings, targets), 1u);
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(UtcText(ReadTimes(file).lastWrite), UtcText(old));
}

TEST_F(FileTimeApplyTest, FolderChangesEveryFileBelowDepthFirstAndNoFolder) {
    const wchar_t* folders[] = {L"a", L"a\\b", L"c", L"e"};
    const wchar_t* files[] = {L"a\\x1", L"a\\b\\y1", L"a\\b\\y2", L"a\\x2", L"c\\z1", L"f0"};
    for (const wchar_t* folder : folders) ASSERT_TRUE(MakeFolder(scratch_.Below(folder)));
    for (const wchar_t* file : files) ASSERT_TRUE(MakeFile(scratch_.Below(file)));
    const FILETIME old = Utc(Time(2001, 1, 1, 1, 1, 1, 1));
    std::vector<std::wstring> allFolders{scratch_.Path()};
    for (const wchar_t* folder : folders) allFolders.push_back(scratch_.Below(folder));
    for (const std::wstring& folder : allFolders) ASSERT_TRUE(WriteTimes(folder, &old, &old));
    const SYSTEMTIME chosen = Time(2024, 9, 7, 12, 34, 56, 789);
    // Named with a trailing separator, which the walk drops.
    RawStringList targets;
    targets.Add(Wide(scratch_.Path() + L"\\"));
    EXPECT_EQ(ApplyToAll(Chosen(ShowUtc | kAllParts | kAllTimes, chosen), targets), 0u);
    const std::vector<std::wstring> recorded = RecordedFiles();
    ASSERT_EQ(recorded.size(), 6u);
    for (const wchar_t* file : files) {
        EXPECT_EQ(UtcText(ReadTimes(scratch_.Below(file)).lastWrite), UtcText(Utc(chosen)));
    }
    for (const std::wstring& folder : allFolders) EXPECT_EQ(UtcText(ReadTimes(folder).lastWrite), UtcText(old));
    // Depth first: the files of one folder, its subfolders included, come in one run.
    for (const std::wstring prefix : {L"a\\", L"a\\b\\", L"c\\"}) {
        std::vector<size_t> at;
        for (size_t i = 0; i < recorded.size(); ++i) {
            if (recorded[i].compare(0, prefix.size(), prefix) == 0) at.push_back(i);
        }
        ASSERT_FALSE(at.empty()) << prefix.c_str();
        EXPECT_EQ(at.back() - at.front() + 1, at.size());
    }
}

TEST_F(FileTimeApplyTest, EmptyAndMissingFolders) {
    const std::wstring empty = scratch_.Below(L"empty");
    ASSERT_TRUE(MakeFolder(empty));
    const FileTimeSettings settings = Chosen(ShowUtc | kAllParts | kAllTimes, Time(2024, 9, 7));
    EXPECT_EQ(ApplyToPath(settings, Wide(empty)), 0u);
    EXPECT_EQ(ApplyToFolder(settings, Wide(scratch_.Below(L"gone"))), 1u);
    EXPECT_EQ(ApplyToPath(settings, Wide(scratch_.Below(L"gone"))), 1u);
    EXPECT_TRUE(Records().empty());
}

TEST_F(FileTimeApplyTest, FolderLinksBelowATargetAreNotEntered) {
    ASSERT_TRUE(MakeFolder(scratch_.Below(L"real")));
    ASSERT_TRUE(MakeFile(scratch_.Below(L"real\\f.txt")));
    if (!scratch_.MakeLink(L"real", L"link") || !scratch_.MakeLink(L".", L"loop")) {
        GTEST_SKIP() << "folder links cannot be made here";
    }
    const DWORD attributes = GetFileAttributesW(scratch_.Below(L"loop").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    const FileTimeSettings settings = Chosen(ShowUtc | kAllParts | SetLastWrite, Time(2024, 9, 7));
    EXPECT_EQ(ApplyToPath(settings, Wide(scratch_.Path())), 0u);
    EXPECT_EQ(RecordedFiles(), std::vector<std::wstring>{L"real\\f.txt"});
    // A link named as the target itself is still walked.
    Records().clear();
    EXPECT_EQ(ApplyToPath(settings, Wide(scratch_.Below(L"link"))), 0u);
    EXPECT_EQ(Records().size(), 1u);
}

// A folder named in plain form, with "/" and a "." step, is walked in the long form: names that
// a plain path cannot reach (the platform drops a trailing dot from those) are changed too, and
// a file that fails is named below the folder as it was given.
TEST_F(FileTimeApplyTest, PlainFolderIsWalkedInTheLongForm) {
    ASSERT_TRUE(MakeFolder(scratch_.Below(L"dots.")));
    const std::wstring files[] = {scratch_.Below(L"trail."), scratch_.Below(L"dots.\\f.txt"),
                                  scratch_.Below(L"plain.txt")};
    for (const std::wstring& file : files) ASSERT_TRUE(MakeFile(file));
    const std::wstring held = scratch_.Below(L"held.txt");
    ASSERT_TRUE(MakeFile(held));
    HANDLE holder = CreateFileW(LongForm(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::wstring given = scratch_.Path();
    for (wchar_t& unit : given) unit = unit == L'\\' ? L'/' : unit;
    given += L"/./";
    RawStringList targets;
    targets.Add(RawLayer::RawString(Wide(given), RawLayer::Utf8));
    const SYSTEMTIME chosen = Time(2024, 9, 7, 12, 34, 56, 789);
    FailedFiles failed(4);
    EXPECT_EQ(ApplyToAll(Chosen(ShowUtc | kAllParts | SetLastWrite, chosen), targets, &failed), 1u);
    CloseHandle(holder);
    for (const std::wstring& file : files) {
        EXPECT_EQ(UtcText(ReadTimes(file).lastWrite), UtcText(Utc(chosen))) << scratch_.RelativeOf(file).size();
    }
    ASSERT_EQ(failed.names.Count(), 1);
    const std::wstring shown = given.substr(0, given.size() - 1) + L"\\held.txt";
    EXPECT_TRUE(failed.names.First()->Equals(Wide(shown)));
}
