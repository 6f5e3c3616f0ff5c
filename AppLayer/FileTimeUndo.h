// Undo of a run: the times a journal recorded are put back, file by file, only where the file
// still has what the run gave it. Writes no journal of its own.
#pragma once

#include <cstdint>

#include "AppLayer/FileTimeApply.h"
#include "RawLayer/RawString.h"

namespace AppLayer {

enum class UndoOutcome {
    NothingToUndo,  // no journal, or the file named is none
    Done,           // every file is back
    SomeFailed,     // a file changed since, gone, or not writable
    Stopped,        // cancelled part way: the journal stays, to be undone again for the rest
};

struct UndoResult {
    UndoOutcome outcome = UndoOutcome::NothingToUndo;
    uint32_t failures = 0;
    RawLayer::RawString journal;  // the journal taken
};

// Puts back journalPath's times, the newest line first (a file named twice in the run goes
// back to what it had before the first), then marks the journal undone. A time is put back
// only when the file still has the run's new value; one that has another value leaves the
// whole file as it is and counts as a failure, one back at its old value already is done.
// control (may be null) is read and counted as a walk does; a stopped undo leaves the journal
// unmarked, and undoing it again puts back the rest (the files back already count as done).
UndoResult UndoJournal(const RawLayer::RawString& journalPath, FailedFiles* failed = nullptr,
                       ApplyRunControl* control = nullptr);
// UndoJournal of the newest journal in folder not yet undone.
UndoResult UndoNewest(const RawLayer::RawString& folder, FailedFiles* failed = nullptr,
                      ApplyRunControl* control = nullptr);

}  // namespace AppLayer
