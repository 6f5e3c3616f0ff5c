#include "AppLayer/FileTimeApply.h"

#include <memory>
#include <vector>

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

// Each selected time takes the chosen parts and keeps its own other parts.
void MergeSelected(const FileTimeSettings& settings, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
    if (settings.flags & SetCreation) {
        *creation = MergeIntoFileTime(settings.value, settings.flags, *creation);
    }
    if (settings.flags & SetLastWrite) {
        *lastWrite = MergeIntoFileTime(settings.value, settings.flags, *lastWrite);
    }
    if (settings.flags & SetLastAccess) {
        *lastAccess = MergeIntoFileTime(settings.value, settings.flags, *lastAccess);
    }
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

}  // namespace

FileTimeCalls& FileTimeEntries() {
    static FileTimeCalls entries = {&PlatformGetTimes, &PlatformSetTimes};
    return entries;
}

uint32_t ApplyToAll(const FileTimeSettings& settings, const RawStringList& paths, FailedFiles* failed,
                    ApplyRunControl* control) {
    uint32_t failures = 0;
    for (const RawString& path : paths) {
        if (Cancelled(control)) break;
        failures += ApplyToPath(settings, RawString(path), failed, control);
    }
    return failures;
}

uint32_t ApplyToPath(const FileTimeSettings& settings, const RawString& path, FailedFiles* failed,
                     ApplyRunControl* control) {
    const DWORD attributes = RawLayer::FileAttributes(RawLayer::LongPathForm(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return ApplyToFolder(settings, path, failed, control);
    }
    if (Cancelled(control)) return 0;
    return Failure(ApplyToFile(settings, path), path, failed, control);
}

uint32_t ApplyToFolder(const FileTimeSettings& settings, const RawString& folder, FailedFiles* failed,
                       ApplyRunControl* control) {
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
                Failure(ApplyToFile(settings, current.FullPath()), shown.Of(current.FullPath()), failed, control);
        } else if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // Folder links are not entered: they may lead back up the tree or off it.
            open.push_back(std::make_unique<RawFindFile>(current.FullPath()));
        }
    }
    return failures;
}

bool ApplyToFile(const FileTimeSettings& settings, const RawString& path) {
    // GetFileTime needs read-attribute access, which GENERIC_WRITE alone does not grant on
    // Windows. It takes no part in sharing checks, so no file that opened before is refused.
    const DWORD access = GENERIC_WRITE | FILE_READ_ATTRIBUTES;
    FileHandle file;
    file.Attach(
        RawLayer::OpenFile(RawLayer::LongPathForm(path), access, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL),
        access);
    if (!file.IsOpen()) {
        return false;
    }
    FILETIME creation{};
    FILETIME lastAccess{};
    FILETIME lastWrite{};
    // Times that cannot be read are not merged into zero: the file is left alone.
    if (!FileTimeEntries().getTimes(file, &creation, &lastAccess, &lastWrite)) {
        return false;
    }
    MergeSelected(settings, &creation, &lastAccess, &lastWrite);
    const bool written = FileTimeEntries().setTimes(file, &creation, &lastAccess, &lastWrite);
    const bool closed = file.Close();
    return written && closed;
}

}  // namespace AppLayer
