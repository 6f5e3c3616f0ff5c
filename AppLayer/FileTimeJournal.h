// FileTimeJournal: the undo journal of one run, written ahead of the changes it records: the
// lines of a batch of files are written and flushed before any file of that batch changes, so a
// run stopped at any point leaves a journal that puts back everything it changed. One UTF-8
// text file per run: a header line, then one line per changed file (see FormatJournalLine).
// It owns its line file and the files of the current batch, held open until they are changed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "AppLayer/FileTimeApply.h"
#include "RawLayer/RawFile.h"
#include "RawLayer/RawLineFile.h"
#include "RawLayer/RawString.h"

namespace AppLayer {

// One file's times before and after a run.
struct JournalLine {
    RawLayer::RawString path;  // as handed to the platform
    FileTimes old;
    FileTimes changed;
};

// "path TAB creation old TAB new TAB last write old TAB new TAB last access old TAB new", the
// times as decimal 100-ns counts, without a line end.
RawLayer::RawString FormatJournalLine(const JournalLine& line);
// False for a text that is not a whole line of that form. The counts are read from the right,
// so a path may hold tabs.
bool ParseJournalLine(const RawLayer::RawString& text, JournalLine& line);
// Whether text is a journal's first line.
bool IsJournalHeader(const RawLayer::RawString& text);

class FileTimeJournal {
public:
    // The files of a batch stay open until it is changed, and under Wine many held files slow
    // the others' changes (1,000 cost a fifth of a run); each batch costs one flush of the
    // journal more (at 16 files a batch, 8 % of a run). 64 lies between the two costs.
    static constexpr int32_t kBatchFiles = 64;
    static constexpr int32_t kJournalsKept = 20;

    explicit FileTimeJournal(int32_t batchFiles = kBatchFiles);
    ~FileTimeJournal();  // Finish
    FileTimeJournal(const FileTimeJournal&) = delete;
    FileTimeJournal& operator=(const FileTimeJournal&) = delete;

    // Creates the run's journal in folder (made when missing), named from the UTC start to the
    // millisecond, and writes its header. False when it cannot be written: nothing may change.
    bool Begin(const RawLayer::RawString& folder);
    // Takes a file opened by OpenFileTimes with the times it has and is to get; shownPath names
    // it in failures. A full batch is committed: returns the failures of that commit.
    uint32_t Hold(RawLayer::FileHandle&& file, const RawLayer::RawString& path, const RawLayer::RawString& shownPath,
                  const FileTimes& old, const FileTimes& changed, FailedFiles* failed,
                  ApplyRunControl* control = nullptr);
    // Writes the lines of the held files and flushes the journal, then changes the files.
    // When the journal cannot be written no held file is changed: each counts as a failure,
    // as does every file held after that. Once control (may be null) says stop, the files not
    // yet changed keep their times. Counts for control; returns the failures.
    uint32_t Commit(FailedFiles* failed, ApplyRunControl* control = nullptr);
    // Commits and closes; a journal without lines is deleted, and the oldest journals of the
    // folder beyond kJournalsKept.
    void Finish();

    int32_t HeldCount() const { return static_cast<int32_t>(held_.size()); }
    // A journal write failed; no file has been changed since.
    bool Failed() const { return failed_; }
    const RawLayer::RawString& Path() const { return path_; }

private:
    struct Held {
        RawLayer::FileHandle file;
        JournalLine line;
        RawLayer::RawString shownPath;
    };

    bool WriteBatch();

    int32_t batchFiles_;
    std::vector<Held> held_;
    RawLayer::RawString folder_;
    RawLayer::RawString path_;
    std::unique_ptr<RawLayer::RawLineFile> file_;  // open from Begin to Finish
    int32_t lines_ = 0;                            // written into the file
    bool failed_ = false;
};

// The folder "Journal" beside the GUI profile: the process's, or the one at guiProfilePath.
RawLayer::RawString JournalFolder();
RawLayer::RawString JournalFolderBeside(const RawLayer::RawString& guiProfilePath);
// The newest journal in folder not yet undone; empty when there is none.
RawLayer::RawString NewestJournal(const RawLayer::RawString& folder);
// Renames an undone journal so that the next undo takes the run before it.
bool MarkUndone(const RawLayer::RawString& journalPath);

}  // namespace AppLayer
