// Applies the chosen file times to files and to every file below folders. Works on the
// caller's settings and paths without keeping either.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "AppLayer/FileTimeValue.h"
#include "RawLayer/RawFile.h"
#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace AppLayer {

// The names of the first files that could not be changed, for telling the user; the rest are
// only counted by the apply calls.
struct FailedFiles {
    explicit FailedFiles(int32_t kept) : keep(kept) {}
    void Note(const RawLayer::RawString& path) {
        if (names.Count() < keep) names.Add(path);
    }

    // The names kept, one a line, and "..." when count failures are more.
    RawLayer::RawString Listed(uint32_t count) const;

    int32_t keep;                   // names kept at most
    RawLayer::RawStringList names;  // in the order the failures happened
};

class FileTimeJournal;

// Lets another thread follow a walk and stop it: the walk reads cancel before each file and
// counts every file it finishes, so a stopped walk leaves the files it did not reach alone.
struct ApplyRunControl {
    std::atomic<bool> cancel{false};
    std::atomic<uint32_t> changed{0};
    std::atomic<uint32_t> failed{0};  // also folders that could not be read
};

// Each returns the number of files whose times could not be changed: a target that is missing
// or cannot be opened for writing, times that could not be read or written, a folder that
// could not be read. Nothing is shown to the user; failed (may be null) keeps the first names.
// With a journal (may be null; borrowed) every file's old and new times go into it, and its
// batches are written ahead of their changes; all changes are made when the call returns.
// control (may be null) is followed as its record says.
uint32_t ApplyToAll(const FileTimeSettings& settings, const RawLayer::RawStringList& paths,
                    FailedFiles* failed = nullptr, FileTimeJournal* journal = nullptr,
                    ApplyRunControl* control = nullptr);
uint32_t ApplyToPath(const FileTimeSettings& settings, const RawLayer::RawString& path, FailedFiles* failed = nullptr,
                     FileTimeJournal* journal = nullptr, ApplyRunControl* control = nullptr);
// Every file below folder at any depth; folders' own times never change and folder links
// (reparse points) below it are not entered.
uint32_t ApplyToFolder(const FileTimeSettings& settings, const RawLayer::RawString& folder,
                       FailedFiles* failed = nullptr, FileTimeJournal* journal = nullptr,
                       ApplyRunControl* control = nullptr);
// True when the file's times were written.
bool ApplyToFile(const FileTimeSettings& settings, const RawLayer::RawString& path);

// A file's three times.
struct FileTimes {
    FILETIME creation{};
    FILETIME lastAccess{};
    FILETIME lastWrite{};
};

// Opens the file (path as handed to the platform) for changing its times and reads them;
// false when either fails, the last error telling why.
bool OpenFileTimes(const RawLayer::RawString& path, RawLayer::FileHandle& file, FileTimes& times);
// Writes the three times, flushes and closes; true when all of it succeeded.
bool WriteFileTimes(RawLayer::FileHandle& file, const FileTimes& times);

// The calls that read and write a file's three times: the platform's by default. Tests swap
// them to see what is handed over (Wine keeps no creation time to read back) or to fail a read;
// a walk on another thread calls them there, so they are swapped only while none runs.
struct FileTimeCalls {
    bool (*getTimes)(const RawLayer::FileHandle& file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
    bool (*setTimes)(RawLayer::FileHandle& file, const FILETIME* creation, const FILETIME* lastAccess,
                     const FILETIME* lastWrite);
};
FileTimeCalls& FileTimeEntries();

}  // namespace AppLayer
