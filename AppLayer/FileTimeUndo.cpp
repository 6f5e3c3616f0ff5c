#include "AppLayer/FileTimeUndo.h"

#include <vector>

#include "AppLayer/FileTimeJournal.h"
#include "RawLayer/RawFile.h"
#include "RawLayer/RawLineFile.h"

using RawLayer::RawString;

namespace AppLayer {
namespace {

// Room for a line holding the longest path the platform takes, in UTF-8.
constexpr int32_t kLongestLine = 32768 * 3 + 256;

bool Same(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// One time: back to old when it has the run's value; false when it has neither.
bool PutBack(const FILETIME& old, const FILETIME& changed, const FILETIME& now, FILETIME& back) {
    if (Same(old, changed) || Same(now, old)) return true;
    if (!Same(now, changed)) return false;
    back = old;
    return true;
}

bool RestoreFile(const JournalLine& line) {
    RawLayer::FileHandle file;
    FileTimes now;
    if (!OpenFileTimes(line.path, file, now)) return false;
    FileTimes back = now;
    if (!PutBack(line.old.creation, line.changed.creation, now.creation, back.creation) ||
        !PutBack(line.old.lastWrite, line.changed.lastWrite, now.lastWrite, back.lastWrite) ||
        !PutBack(line.old.lastAccess, line.changed.lastAccess, now.lastAccess, back.lastAccess)) {
        return false;
    }
    return WriteFileTimes(file, back);
}

// The lines after the header; false when the file is no journal. A last line without its end
// is the torn write of a run that was stopped: its files had not changed yet.
bool ReadJournal(const RawString& path, std::vector<JournalLine>& lines, uint32_t& unreadable) {
    RawLayer::RawLineFile file(path);
    file.SetBufferLimit(kLongestLine);
    if (!file.OpenRead()) return false;
    RawLayer::LineRecord record = file.NextLine();
    if (!record.found || !IsJournalHeader(record.text)) return false;
    for (record = file.NextLine(); record.found; record = file.NextLine()) {
        JournalLine line;
        if (ParseJournalLine(record.text, line)) {
            lines.push_back(line);
        } else if (!record.terminator.IsEmpty()) {
            ++unreadable;
        }
    }
    if (file.State() != RawLayer::LineFileState::EndOfFile) ++unreadable;
    return true;
}

}  // namespace

UndoResult UndoJournal(const RawString& journalPath, FailedFiles* failed, ApplyRunControl* control) {
    UndoResult result;
    result.journal = journalPath;
    std::vector<JournalLine> lines;
    if (!ReadJournal(journalPath, lines, result.failures)) return result;
    if (result.failures && failed) failed->Note(journalPath);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (control && control->cancel.load(std::memory_order_relaxed)) {
            result.outcome = UndoOutcome::Stopped;
            return result;
        }
        const bool back = RestoreFile(*line);
        if (control) ++(back ? control->changed : control->failed);
        if (back) continue;
        ++result.failures;
        if (failed) failed->Note(line->path);
    }
    MarkUndone(journalPath);
    result.outcome = result.failures ? UndoOutcome::SomeFailed : UndoOutcome::Done;
    return result;
}

UndoResult UndoNewest(const RawString& folder, FailedFiles* failed, ApplyRunControl* control) {
    const RawString newest = NewestJournal(folder);
    if (newest.IsEmpty()) return UndoResult();
    return UndoJournal(newest, failed, control);
}

}  // namespace AppLayer
