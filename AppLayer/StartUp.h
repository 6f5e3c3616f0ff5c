// Program entry and start-up: the crash handler, the command line, the main profile beside the
// executable, the settings it names, and the command-line mode.
#pragma once

#include <windows.h>

#include "RawLayer/RawList.h"
#include "RawLayer/RawProductName.h"
#include "RawLayer/RawString.h"

namespace AppLayer {

// Process exit codes.
constexpr int kExitDone = 0;           // every file reached was changed; or the dialog closed
constexpr int kExitStopped = 1;        // usage shown, or the main profile was rejected
constexpr int kExitFilesFailed = 2;    // a file could not be changed, or the source time could not be read
constexpr int kExitNothingToUndo = 1;  // -U found no journal to undo
constexpr int kExitNoJournal = 3;      // the undo journal could not be written: nothing was changed

enum class StartResult {
    Stop,              // end with kExitStopped
    Continue,          // go on with the filled job
    SourceUnreadable,  // go on, but a named source gave no time: apply nothing
};

using RawLayer::ProductName;
const RawLayer::RawString& UsageText();

// The executable's path with its last four units replaced by ".ini".
RawLayer::RawString MainProfilePath();

StartResult StartUp(HINSTANCE instance, RawLayer::RawParameterList& parameters);
StartResult LoadSettings(const RawLayer::RawString& mainProfilePath, const RawLayer::RawParameterList& parameters);

struct FileTimeJob;

// Command-line mode: changes the job's targets, journalled; kExitDone when every file was
// changed, else (a file not changed, or no source time to apply) kExitFilesFailed; a run whose
// journal cannot be begun changes nothing (kExitNoJournal).
int RunCommandLineMode(const FileTimeJob& job, StartResult start);

// -U: the job's journal, or the newest one not undone, put back; kExitDone when every file
// went back, kExitFilesFailed when one did not, kExitNothingToUndo without a journal.
int RunUndoMode(const FileTimeJob& job);

// The whole program; returns the process exit code.
int ProgramEntry(HINSTANCE instance);

}  // namespace AppLayer
