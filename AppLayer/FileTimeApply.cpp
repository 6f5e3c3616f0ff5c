#include "AppLayer/FileTimeApply.h"

#include <memory>
#include <vector>

#include "AppLayer/FileTimeJournal.h"
#include "RawLayer/RawFindFile.h"
#include "RawLayer/RawPath.h"

using RawLayer::FileHandle;
using RawLayer::RawFindFile;
using RawLayer::RawString;
using RawLayer::RawStringList;

namespace AppLayer {

namespace {

bool PlatformGetTimes(const FileHandle& file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
    return file.GetTimes(creation, lastAccess, lastWrite);
}

bool PlatformSetTimes(FileHandle& file, const FILETIME* creation, const FILETIME* lastAccess,
                      const FILETIME* lastWrite) {
    return file.SetTimes(creation, lastAccess, lastWrite);
}

// Each selected time takes the chosen parts and keeps its own other parts, or with a shift
// moves by the offset. False, times untouched, when a shifted time would leave the calendar.
bool MergeSelected(const FileTimeSettings& settings, FileTimes& times) {
    FILETIME* const selected[] = {(settings.flags & SetCreation) ? &times.creation : nullptr,
                                  (settings.flags & SetLastWrite) ? &times.lastWrite : nullptr,
                                  (settings.flags & SetLastAccess) ? &times.lastAccess : nullptr};
    FileTimes result = times;
    FILETIME* const target[] = {&result.creation, &result.lastWrite, &result.lastAccess};
    for (int index = 0; index < 3; ++index) {
        if (!selected[index]) continue;
        if (!settings.shift) {
            *target[index] = MergeIntoFileTime(settings.value, settings.flags, *selected[index]);
        } else if (!ShiftFileTime(*selected[index], settings.shiftTicks, *target[index])) {
            return false;
        }
    }
    times = result;
    return true;
}

// Advances to the next entry. When there is none, *readToEnd tells an enumeration that ended
// from one that failed; the last error is cleared first so a stale code is not taken for one.
bool NextEntry(RawFindFile& folder, bool* readToEnd) {
    SetLastError(ERROR_SUCCESS);
    if (folder.Next()) {
        return true;
    }
    const DWORD error = GetLastError();
    *readToEnd = error == ERROR_SUCCESS || error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND;
    return false;
}

// 1 after noting the name of a failure, 0 for a success; both are counted for the control.
uint32_t Failure(bool changed, const RawString& path, FailedFiles* failed, ApplyRunControl* control) {
    if (control) (changed ? control->changed : control->failed).fetch_add(1, std::memory_order_relaxed);
    if (changed) return 0;
    if (failed) failed->Note(path);
    return 1;
}

bool Cancelled(const ApplyRunControl* control) { return control && control->cancel.load(std::memory_order_relaxed); }

// The name of a path met in a walk as the user would know it: the walk's root, in the long
// form, replaced by the folder as it was given.
class ShownPath {
public:
    ShownPath(const RawString& walkedRoot, const RawString& givenRoot)
        : walkedRoot_(WithoutTrailingSeparators(walkedRoot)), givenRoot_(WithoutTrailingSeparators(givenRoot)) {}

    RawString Of(const RawString& walked) const {
        const int32_t rootLength = walkedRoot_.Length();
        if (!walked.RangeEquals(0, rootLength, walkedRoot_, 0, rootLength)) return walked;
        RawString shown(givenRoot_, RawLayer::Wide);
        shown.AppendRange(walked, rootLength, walked.Length());
        return shown;
    }

private:
    // A lone separator stays: it names the root.
    static RawString WithoutTrailingSeparators(const RawString& path) {
        int32_t end = path.Length();
        while (end > 1 && RawLayer::IsSeparator(path, end - 1)) --end;
        return RawString::FromRange(path, 0, end);
    }

    RawString walkedRoot_;  // both without trailing separators
    RawString givenRoot_;
};

// One file of a walk. With a journal the file is held open, its old and new times in the
// journal's batch, until the batch is written ahead and changed.
uint32_t ChangeFile(const FileTimeSettings& settings, const RawString& path, const RawString& shownPath,
                    FailedFiles* failed, FileTimeJournal* journal, ApplyRunControl* control) {
    if (!journal) return Failure(ApplyToFile(settings, path), shownPath, failed, control);
    const RawString platformPath = RawLayer::LongPathForm(path);
    FileHandle file;
    FileTimes old;
    uint32_t failures = 0;
    if (!OpenFileTimes(platformPath, file, old)) {
        // A file named twice may still be held by the batch: the batch is changed first.
        if (GetLastError() != ERROR_SHARING_VIOLATION || journal->HeldCount() == 0) {
            return Failure(false, shownPath, failed, control);
        }
        failures += journal->Commit(failed, control);
        if (!OpenFileTimes(platformPath, file, old)) return failures + Failure(false, shownPath, failed, control);
    }
    FileTimes changed = old;
    if (!MergeSelected(settings, changed)) return failures + Failure(false, shownPath, failed, control);
    return failures + journal->Hold(std::move(file), platformPath, shownPath, old, changed, failed, control);
}

uint32_t WalkFolder(const FileTimeSettings& settings, const RawString& folder, FailedFiles* failed,
                    FileTimeJournal* journal, ApplyRunControl* control);

uint32_t WalkPath(const FileTimeSettings& settings, const RawString& path, FailedFiles* failed,
                  FileTimeJournal* journal, ApplyRunControl* control) {
    const DWORD attributes = RawLayer::FileAttributes(RawLayer::LongPathForm(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return WalkFolder(settings, path, failed, journal, control);
    }
    if (Cancelled(control)) return 0;
    return ChangeFile(settings, path, path, failed, journal, control);
}

uint32_t WalkFolder(const FileTimeSettings& settings, const RawString& folder, FailedFiles* failed,
                    FileTimeJournal* journal, ApplyRunControl* control) {
    // Depth first through a stack of open enumerators rather than recursion, so the deepest
    // tree the file system holds cannot exhaust the thread's stack. The walk runs in the long
    // form: paths below a folder pass MAX_PATH, and names that plain paths would alter (a
    // trailing dot or blank) are reached as they are. Failures are named below the folder as
    // the caller gave it.
    std::vector<std::unique_ptr<RawFindFile>> open;
    open.push_back(std::make_unique<RawFindFile>(RawLayer::LongPathForm(folder)));
    const ShownPath shown(open.back()->Directory(), folder);
    uint32_t failures = 0;
    while (!open.empty() && !Cancelled(control)) {
        RawFindFile& current = *open.back();
        bool readToEnd = true;
        if (!NextEntry(current, &readToEnd)) {
            if (!readToEnd) failures += Failure(false, shown.Of(current.Directory()), failed, control);
            open.pop_back();
            continue;
        }
        const DWORD attributes = current.Attributes();
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            failures +=
                ChangeFile(settings, current.FullPath(), shown.Of(current.FullPath()), failed, journal, control);
        } else if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // Folder links are not entered: they may lead back up the tree or off it.
            open.push_back(std::make_unique<RawFindFile>(current.FullPath()));
        }
    }
    return failures;
}

// The journal's last batch is changed before a walk reports, also when it was stopped: its
// files are in the journal already.
uint32_t Finished(FileTimeJournal* journal, FailedFiles* failed, ApplyRunControl* control) {
    return journal ? journal->Commit(failed, control) : 0;
}

}  // namespace

RawString FailedFiles::Listed(uint32_t count) const {
    static const RawString kLineEnd("\r\n"), kMore("\r\n...");
    RawString text;
    for (const RawString& name : names) {
        if (!text.IsEmpty()) text.Concat(kLineEnd);
        text.Concat(name);
    }
    if (count > static_cast<uint32_t>(names.Count())) text.Concat(kMore);
    return text;
}

FileTimeCalls& FileTimeEntries() {
    static FileTimeCalls entries = {&PlatformGetTimes, &PlatformSetTimes};
    return entries;
}

uint32_t ApplyToAll(const FileTimeSettings& settings, const RawStringList& paths, FailedFiles* failed,
                    FileTimeJournal* journal, ApplyRunControl* control) {
    uint32_t failures = 0;
    for (const RawString& path : paths) {
        if (Cancelled(control)) break;
        failures += WalkPath(settings, RawString(path), failed, journal, control);
    }
    return failures + Finished(journal, failed, control);
}

uint32_t ApplyToPath(const FileTimeSettings& settings, const RawString& path, FailedFiles* failed,
                     FileTimeJournal* journal, ApplyRunControl* control) {
    return WalkPath(settings, path, failed, journal, control) + Finished(journal, failed, control);
}

uint32_t ApplyToFolder(const FileTimeSettings& settings, const RawString& folder, FailedFiles* failed,
                       FileTimeJournal* journal, ApplyRunControl* control) {
    return WalkFolder(settings, folder, failed, journal, control) + Finished(journal, failed, control);
}

bool ApplyToFile(const FileTimeSettings& settings, const RawString& path) {
    FileHandle file;
    FileTimes times;
    if (!OpenFileTimes(RawLayer::LongPathForm(path), file, times) || !MergeSelected(settings, times)) return false;
    return WriteFileTimes(file, times);
}

bool OpenFileTimes(const RawString& path, FileHandle& file, FileTimes& times) {
    // GetFileTime needs read-attribute access, which GENERIC_WRITE alone does not grant on
    // Windows. It takes no part in sharing checks, so no file that opened before is refused.
    const DWORD access = GENERIC_WRITE | FILE_READ_ATTRIBUTES;
    file.Attach(RawLayer::OpenFile(path, access, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL), access);
    // Times that cannot be read are not merged into zero: the file is left alone.
    return file.IsOpen() && FileTimeEntries().getTimes(file, &times.creation, &times.lastAccess, &times.lastWrite);
}

bool WriteFileTimes(FileHandle& file, const FileTimes& times) {
    const bool written = FileTimeEntries().setTimes(file, &times.creation, &times.lastAccess, &times.lastWrite);
    const bool closed = file.Close();
    return written && closed;
}

}  // namespace AppLayer
