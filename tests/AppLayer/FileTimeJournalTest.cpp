// The undo journal on real files: its lines, its batches written ahead of their changes, and
// undo through it. Creation times are not compared: Wine reports the last write time for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppLayer/FileTimeApplySupport.h"
#include "AppLayer/FileTimeJournal.h"
#include "AppLayer/FileTimeUndo.h"

using namespace AppLayer;
using namespace FileTimeTest;
using RawLayer::RawString;
using RawLayer::RawStringList;

namespace {

RawStringList ListOf(const std::vector<std::wstring>& paths) {
    RawStringList list;
    for (const std::wstring& path : paths) list.Add(Wide(path));
    return list;
}

FILETIME Ticks(uint64_t count) { return FILETIME{static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)}; }

std::wstring WideOf(const RawString& text) {
    const RawString wide(text, RawLayer::Wide);
    return std::wstring(wide.WideUnits(), static_cast<size_t>(wide.Length()));
}

// Data lines of the newest journal in folder as they are on disk now.
int LinesOnDisk(const std::wstring& folder) {
    const std::wstring path = WideOf(NewestJournal(Wide(folder)));
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    std::string bytes(1 << 20, '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    int lines = 0;
    for (DWORD at = 0; at < read; ++at) lines += bytes[at] == '\n';
    return lines - 1;  // the header
}

std::wstring& WatchedFolder() {
    static std::wstring folder;
    return folder;
}

std::vector<int>& LinesAtEachChange() {
    static std::vector<int> lines;
    return lines;
}

bool WatchingSetTimes(RawLayer::FileHandle& file, const FILETIME* creation, const FILETIME* lastAccess,
                      const FILETIME* lastWrite) {
    LinesAtEachChange().push_back(LinesOnDisk(WatchedFolder()));
    return file.SetTimes(creation, lastAccess, lastWrite);
}

const SYSTEMTIME kChosen = {2024, 9, 6, 7, 12, 0, 0, 0};
constexpr uint16_t kWriteAndAccess = ShowUtc | kAllParts | SetLastWrite | SetLastAccess;

class FileTimeJournalTest : public RecordingTest {
protected:
    std::wstring Folder() const { return scratch_.Below(L"Journal"); }
    // A file with last write and access times of its own, a second apart per number.
    void MakeDated(const std::wstring& relative, int number) {
        ASSERT_TRUE(MakeFile(scratch_.Below(relative)));
        const FILETIME write = Ticks(132000000000000000ull + number * 10000000ull + 1234567);
        const FILETIME access = Ticks(131000000000000000ull + number * 10000000ull + 7654321);
        ASSERT_TRUE(WriteTimes(scratch_.Below(relative), &access, &write));
    }
    // One journalled run; returns its failures.
    uint32_t Run(const FileTimeSettings& settings, const RawStringList& paths, int32_t batch = 1000) {
        FileTimeJournal journal(batch);
        EXPECT_TRUE(journal.Begin(Wide(Folder())));
        return ApplyToAll(settings, paths, nullptr, &journal);
    }
    static bool SameTimes(const Times& a, const Times& b) {
        return Count(a.lastWrite) == Count(b.lastWrite) && Count(a.lastAccess) == Count(b.lastAccess);
    }
};

}  // namespace

TEST(FileTimeJournalLine, PathsAndEveryCountRoundTripAndBrokenLinesAreRefused) {
    const std::wstring paths[] = {L"C:\\plain.txt", L"C:\\with blanks\\a b .txt",
                                  L"\\\\?\\C:\\long\\\u00e9\u4e2d\U0001F600.txt", L"\\\\?\\UNC\\server\\share\\f",
                                  L"C:\\tab\there.txt"};
    // With the edges of the nine-digit pieces the counts are written in, and zeros inside them.
    const uint64_t counts[] = {0, 1, 0xFFFFFFFFull, 0x100000000ull, 1ull << 63, UINT64_MAX,
                               999999999ull, 1000000000ull, 1000000000000000007ull, 10000000010000000001ull};
    for (size_t index = 0; index < std::size(paths) * 2; ++index) {
        uint64_t c[6];
        for (size_t k = 0; k < 6; ++k) c[k] = counts[(index * 6 + k) % std::size(counts)];
        const JournalLine line{
            Wide(paths[index % std::size(paths)]),
            {Ticks(c[0]), Ticks(c[1]), Ticks(c[2])},
            {Ticks(c[3]), Ticks(c[4]), Ticks(c[5])}};
        JournalLine back;
        ASSERT_TRUE(ParseJournalLine(FormatJournalLine(line), back)) << index;
        EXPECT_EQ(WideOf(back.path), paths[index % std::size(paths)]);
        for (const auto& [a, b] : {std::pair{&line.old.creation, &back.old.creation},
                                   {&line.old.lastAccess, &back.old.lastAccess},
                                   {&line.old.lastWrite, &back.old.lastWrite},
                                   {&line.changed.creation, &back.changed.creation},
                                   {&line.changed.lastAccess, &back.changed.lastAccess},
                                   {&line.changed.lastWrite, &back.changed.lastWrite}}) {
            EXPECT_EQ(Count(*a), Count(*b)) << index;
        }
    }
    // The columns: creation, last write, last access, each old then new.
    const JournalLine line{Wide(L"C:\\f"), {Ticks(1), Ticks(5), Ticks(3)}, {Ticks(2), Ticks(6), Ticks(4)}};
    EXPECT_EQ(std::string(RawString(FormatJournalLine(line), RawLayer::Utf8).Bytes()), "C:\\f\t1\t2\t3\t4\t5\t6");

    for (const char* broken : {"", "C:\\f", "C:\\f\t1\t2\t3\t4\t5", "\t1\t2\t3\t4\t5\t6", "C:\\f\t1\t2\t3\t4\t5\tx",
                               "C:\\f\t1\t2\t3\t4\t5\t18446744073709551616", "C:\\f\t1\t2\t3\t4\t5\t-1",
                               "C:\\f\t1\t2\t3\t4\t5\t", "C:\\f\t1\t2\t3\t4\t 5\t6"}) {
        JournalLine ignored;
        EXPECT_FALSE(ParseJournalLine(RawString(broken), ignored)) << broken;
    }
}

// Each batch's lines are on disk before the first file of the batch changes, and not the next
// batch's; undo then gives every file its times back exactly.
TEST_F(FileTimeJournalTest, BatchesAreWrittenAheadAndUndoPutsEveryTimeBack) {
    ASSERT_TRUE(MakeFolder(scratch_.Below(L"tree")));
    ASSERT_TRUE(MakeFolder(scratch_.Below(L"tree\\sub dir")));
    std::vector<std::wstring> files;
    for (int i = 0; i < 25; ++i) files.push_back((i % 2 ? L"tree\\sub dir\\f " : L"tree\\\u00e9") + std::to_wstring(i));
    std::vector<Times> before;
    for (size_t i = 0; i < files.size(); ++i) {
        MakeDated(files[i], static_cast<int>(i));
        before.push_back(ReadTimes(scratch_.Below(files[i])));
    }
    WatchedFolder() = Folder();
    LinesAtEachChange().clear();
    FileTimeEntries().setTimes = &WatchingSetTimes;
    EXPECT_EQ(Run(Chosen(kWriteAndAccess, kChosen), ListOf({scratch_.Below(L"tree")}), 10), 0u);
    FileTimeEntries().setTimes = saved_.setTimes;

    ASSERT_EQ(LinesAtEachChange().size(), files.size());
    for (size_t change = 0; change < files.size(); ++change) {
        EXPECT_EQ(LinesAtEachChange()[change], std::min<int>(static_cast<int>(change / 10 + 1) * 10, 25)) << change;
    }
    const FILETIME chosen = Utc(kChosen);
    EXPECT_EQ(Count(ReadTimes(scratch_.Below(files[7])).lastWrite), Count(chosen));

    const RawString journal = NewestJournal(Wide(Folder()));
    const UndoResult undone = UndoNewest(Wide(Folder()));
    EXPECT_EQ(undone.outcome, UndoOutcome::Done);
    EXPECT_TRUE(WideOf(undone.journal) == WideOf(journal));
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_TRUE(SameTimes(ReadTimes(scratch_.Below(files[i])), before[i])) << i;
    // Marked: the next undo finds nothing.
    EXPECT_TRUE(NewestJournal(Wide(Folder())).IsEmpty());
    EXPECT_EQ(UndoNewest(Wide(Folder())).outcome, UndoOutcome::NothingToUndo);
}

// Undos take the runs newest first; the 21st run leaves the 20 newest journals.
TEST_F(FileTimeJournalTest, UndosGoBackRunByRunAndOnlyTheNewestJournalsAreKept) {
    MakeDated(L"f", 0);
    const RawStringList paths = ListOf({scratch_.Below(L"f")});
    RawString first;
    for (uint16_t year = 2001; year <= 2021; ++year) {
        EXPECT_EQ(Run(Chosen(kWriteAndAccess, SYSTEMTIME{year, 1, 0, 2, 3, 4, 5, 6}), paths), 0u);
        if (year == 2001) first = NewestJournal(Wide(Folder()));
    }
    WIN32_FIND_DATAW data;
    int journals = 0;
    HANDLE find = FindFirstFileW((Folder() + L"\\*.txt").c_str(), &data);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) ++journals;
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    EXPECT_EQ(journals, FileTimeJournal::kJournalsKept);
    EXPECT_FALSE(PathExists(WideOf(first)));

    for (uint16_t year : {2020, 2019}) {
        EXPECT_EQ(UndoNewest(Wide(Folder())).outcome, UndoOutcome::Done);
        EXPECT_EQ(Count(ReadTimes(scratch_.Below(L"f")).lastWrite), Count(Utc(SYSTEMTIME{year, 1, 0, 2, 3, 4, 5, 6})));
    }
}
