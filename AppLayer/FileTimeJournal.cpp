#include "AppLayer/FileTimeJournal.h"

#include <algorithm>
#include <string>

#include "AppLayer/FileTimeValue.h"
#include "AppLayer/GuiProfile.h"
#include "RawLayer/RawFindFile.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawProductName.h"
#include "RawLayer/RawTimeText.h"

using RawLayer::FileHandle;
using RawLayer::RawString;

namespace AppLayer {
namespace {

constexpr int32_t kCounts = 6;           // old and new of each of the three times
constexpr int32_t kMaxCountDigits = 20;  // 2^64 - 1
constexpr int32_t kMaxSameMillisecond = 100;

const RawString& HeaderStart() {
    static const RawString text("Kairodex journal\t");
    return text;
}

const RawString& NamePrefix() {
    static const RawString text("Kairodex_Journal_");
    return text;
}

const RawString& Extension() {
    static const RawString text(".txt");
    return text;
}

const RawString& UndoneExtension() {
    static const RawString text(".undone.txt");
    return text;
}

uint64_t CountOf(const FILETIME& time) { return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

FILETIME TimeOf(uint64_t count) {
    return FILETIME{static_cast<DWORD>(count & 0xFFFFFFFFu), static_cast<DWORD>(count >> 32)};
}

// Writes count in decimal at out; returns the digits written.
// The digits go in pieces of nine below 10^9, so only the pieces take a 64-bit division: a
// 32-bit build divides 64 bits in a library call, and a run writes six counts for every file.
int32_t WriteCount(char* out, uint64_t count) {
    constexpr uint32_t kPiece = 1000000000;
    char digits[kMaxCountDigits];
    int32_t length = 0;
    for (;;) {
        const uint64_t above = count / kPiece;
        uint32_t piece = static_cast<uint32_t>(count - above * kPiece);
        const bool last = above == 0;
        for (int32_t index = 0; index < 9 && (!last || piece != 0 || index == 0); ++index) {
            digits[length++] = static_cast<char>('0' + piece % 10);
            piece /= 10;
        }
        if (last) break;
        count = above;
    }
    for (int32_t index = 0; index < length; ++index) out[index] = digits[length - 1 - index];
    return length;
}

// Appends the line to text (UTF-8): the path converted once, the counts written into one
// buffer and appended with it, since a run formats a line for every file.
void AppendJournalLine(RawString& text, const JournalLine& line, bool withLineEnd) {
    char counts[kCounts * (kMaxCountDigits + 1) + 2];
    int32_t length = 0;
    for (const FILETIME* time : {&line.old.creation, &line.changed.creation, &line.old.lastWrite,
                                 &line.changed.lastWrite, &line.old.lastAccess, &line.changed.lastAccess}) {
        counts[length++] = '\t';
        length += WriteCount(counts + length, CountOf(*time));
    }
    if (withLineEnd) {
        counts[length++] = '\r';
        counts[length++] = '\n';
    }
    text.Concat(line.path, RawString::MakeView(counts, length, RawLayer::Utf8));
}

// Only digits, at most what 64 bits hold.
bool ParseCount(const RawString& text, int32_t first, int32_t end, uint64_t& count) {
    if (first >= end || end - first > kMaxCountDigits) return false;
    count = 0;
    for (int32_t pos = first; pos < end; ++pos) {
        const uint32_t unit = text.UnitAt(pos);
        if (unit < '0' || unit > '9') return false;
        const uint64_t digit = unit - '0';
        if (count > (UINT64_MAX - digit) / 10) return false;
        count = count * 10 + digit;
    }
    return true;
}

bool EndsWith(const RawString& text, const RawString& end) {
    const int32_t at = text.Length() - end.Length();
    return at >= 0 && text.RangeEqualsIgnoreCase(at, text.Length(), end, 0, end.Length());
}

bool IsChanged(const JournalLine& line) {
    return CountOf(line.old.creation) != CountOf(line.changed.creation) ||
           CountOf(line.old.lastWrite) != CountOf(line.changed.lastWrite) ||
           CountOf(line.old.lastAccess) != CountOf(line.changed.lastAccess);
}

// "Kairodex_Journal_yyyymmdd_hhmmss_mmm", and "_nn" after it for a later run in the same
// millisecond.
RawString NameStem(const SYSTEMTIME& utc, int32_t sameMillisecond) {
    RawString stem(NamePrefix(), RawLayer::Utf8);
    stem.Concat(RawLayer::FormatDate(utc, 0), RawString("_"), RawLayer::FormatTime(utc, 0));
    stem.Concat(RawString("_"), RawLayer::FormatMSec(utc));
    if (sameMillisecond > 0) {
        stem.Append('_');
        stem.AppendDecimalWidth(static_cast<uint64_t>(sameMillisecond), 2);
    }
    return stem;
}

RawString HeaderLine(const SYSTEMTIME& utc) {
    RawString header(HeaderStart(), RawLayer::Utf8);
    header.Concat(RawLayer::ProductVersion(), RawString("\t"));
    header.Concat(RawLayer::FormatDate(utc, '-'), RawString(" "), RawLayer::FormatTime(utc, ':'));
    header.Concat(RawString("."), RawLayer::FormatMSec(utc));
    header.Concat(RawString(" UTC"));
    return header;
}

struct JournalName {
    std::string stem;  // the name without extension: sorts in the order the runs began
    RawString path;
    bool undone;
};

std::vector<JournalName> ListJournals(const RawString& folder) {
    std::vector<JournalName> journals;
    RawLayer::RawFindFile find(folder);
    while (find.Next()) {
        const RawString& name = find.Name();
        if (find.IsDirectory() || !name.MatchesAtIgnoreCase(0, NamePrefix(), NamePrefix().Length())) continue;
        const bool undone = EndsWith(name, UndoneExtension());
        if (!undone && !EndsWith(name, Extension())) continue;
        const RawString stem(name, RawLayer::Utf8);
        const int32_t cut = (undone ? UndoneExtension() : Extension()).Length();
        journals.push_back(
            {std::string(stem.Bytes(), static_cast<size_t>(stem.Length() - cut)), find.FullPath(), undone});
    }
    std::sort(journals.begin(), journals.end(),
              [](const JournalName& a, const JournalName& b) { return a.stem < b.stem; });
    return journals;
}

void DeleteOldest(const RawString& folder, size_t kept) {
    const std::vector<JournalName> journals = ListJournals(folder);
    for (size_t index = 0; index + kept < journals.size(); ++index) RawLayer::DeleteFileAt(journals[index].path);
}

uint32_t NoteFailure(const RawString& shownPath, FailedFiles* failed, ApplyRunControl* control = nullptr) {
    if (failed) failed->Note(shownPath);
    if (control) control->failed.fetch_add(1, std::memory_order_relaxed);
    return 1;
}

}  // namespace

RawString FormatJournalLine(const JournalLine& line) {
    RawString text(RawLayer::Utf8, line.path.Length() + kCounts * (kMaxCountDigits + 1));
    AppendJournalLine(text, line, false);
    return text;
}

bool ParseJournalLine(const RawString& text, JournalLine& line) {
    uint64_t counts[kCounts] = {};
    int32_t end = text.Length();
    for (int32_t index = kCounts - 1; index >= 0; --index) {
        int32_t tab = end - 1;
        while (tab >= 0 && text.UnitAt(tab) != '\t') --tab;
        if (tab < 0 || !ParseCount(text, tab + 1, end, counts[index])) return false;
        end = tab;
    }
    if (end == 0) return false;
    line.path = RawString::FromRange(text, 0, end, RawLayer::Wide);  // a copy: text views a read buffer
    line.old = {TimeOf(counts[0]), TimeOf(counts[4]), TimeOf(counts[2])};
    line.changed = {TimeOf(counts[1]), TimeOf(counts[5]), TimeOf(counts[3])};
    return true;
}

bool IsJournalHeader(const RawString& text) { return text.MatchesAt(0, HeaderStart(), HeaderStart().Length()); }

FileTimeJournal::FileTimeJournal(int32_t batchFiles) : batchFiles_(std::max<int32_t>(batchFiles, 1)) {
    held_.reserve(static_cast<size_t>(batchFiles_));
}

FileTimeJournal::~FileTimeJournal() { Finish(); }

bool FileTimeJournal::Begin(const RawString& folder) {
    folder_ = folder;
    failed_ = true;
    if (!RawLayer::CreateDirectories(folder)) return false;
    FileTimeValue start;
    start.SetFromNow();
    for (int32_t same = 0; same < kMaxSameMillisecond; ++same) {
        RawString name = NameStem(start.brokenDown, same);
        name.Concat(Extension());
        path_ = RawLayer::JoinPath(folder, name);
        file_ = std::make_unique<RawLayer::RawLineFile>(path_);
        if (file_->CreateWrite(CREATE_NEW)) break;
        const DWORD error = GetLastError();
        file_.reset();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    if (!file_) return false;
    failed_ = !(file_->BeginWrite() && file_->WriteLine(HeaderLine(start.brokenDown)) && file_->Flush());
    return !failed_;
}

uint32_t FileTimeJournal::Hold(FileHandle&& file, const RawString& path, const RawString& shownPath,
                               const FileTimes& old, const FileTimes& changed, FailedFiles* failed,
                               ApplyRunControl* control) {
    if (failed_) {
        file.Close();
        return NoteFailure(shownPath, failed, control);
    }
    held_.push_back(Held{std::move(file), JournalLine{path, old, changed}, shownPath});
    return HeldCount() >= batchFiles_ ? Commit(failed, control) : 0;
}

uint32_t FileTimeJournal::Commit(FailedFiles* failed, ApplyRunControl* control) {
    if (held_.empty()) return 0;
    const bool written = !failed_ && WriteBatch();
    failed_ = !written;
    uint32_t failures = 0;
    for (Held& held : held_) {
        if (!written) {
            held.file.Close();
            failures += NoteFailure(held.shownPath, failed, control);
        } else if (control && control->cancel.load(std::memory_order_relaxed)) {
            // Stopped: the file keeps its times; its line only says what it was to get.
            held.file.Close();
        } else if (!WriteFileTimes(held.file, held.line.changed)) {
            failures += NoteFailure(held.shownPath, failed, control);
        } else if (control) {
            control->changed.fetch_add(1, std::memory_order_relaxed);
        }
    }
    held_.clear();
    return failures;
}

// One write and one flush for the whole batch; files whose times stay as they are need no line.
bool FileTimeJournal::WriteBatch() {
    if (!file_) return false;
    RawString text(RawLayer::Utf8, 0);
    int32_t lines = 0;
    for (const Held& held : held_) {
        if (!IsChanged(held.line)) continue;
        AppendJournalLine(text, held.line, true);
        ++lines;
    }
    if (lines == 0) return true;
    if (!file_->WriteText(text) || !file_->Flush()) return false;
    lines_ += lines;
    return true;
}

void FileTimeJournal::Finish() {
    Commit(nullptr);
    if (!file_) return;
    file_->Close();
    file_.reset();
    if (lines_ == 0) RawLayer::DeleteFileAt(path_);
    DeleteOldest(folder_, kJournalsKept);
}

RawString JournalFolder() { return JournalFolderBeside(GuiProfileRecord().profile.FilePath()); }

RawString JournalFolderBeside(const RawString& guiProfilePath) {
    static const RawString kFolder("Journal");
    return RawLayer::JoinPath(RawLayer::DirectoryOf(guiProfilePath), kFolder);
}

RawString NewestJournal(const RawString& folder) {
    const std::vector<JournalName> journals = ListJournals(folder);
    for (auto it = journals.rbegin(); it != journals.rend(); ++it) {
        if (!it->undone) return it->path;
    }
    return RawString();
}

bool MarkUndone(const RawString& journalPath) {
    if (EndsWith(journalPath, UndoneExtension())) return true;
    RawString target(journalPath, RawLayer::Utf8);
    if (EndsWith(target, Extension())) target.Truncate(target.Length() - Extension().Length());
    target.Concat(UndoneExtension());
    return RawLayer::MoveIntoPlace(journalPath, target);
}

}  // namespace AppLayer
