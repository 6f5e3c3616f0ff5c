#include "RawLayer/RawFindFile.h"

#include "RawLayer/RawPath.h"

namespace RawLayer {

namespace {

const RawString& AllEntries() {
    static const RawString text("*.*");
    return text;
}

bool IsDotEntry(const RawString& name) {
    static const RawString dot(".");
    static const RawString dotDot("..");
    return name.Equals(dot) || name.Equals(dotDot);
}

uint64_t SizeOf(DWORD low, DWORD high) { return (static_cast<uint64_t>(high) << 32) | low; }

}  // namespace

RawFindFile::RawFindFile(const RawString& directory) : directory_(directory) {
    int32_t length = directory_.Length();
    // One trailing separator goes, except from a lone "\" that names the drive's root.
    if (length > 1 && IsSeparator(directory_, length - 1)) {
        directory_ = RawString::FromRange(directory_, 0, length - 1);
    }
    pattern_ = JoinPath(directory_, AllEntries());
}

RawFindFile::~RawFindFile() { CloseSearch(); }

bool RawFindFile::Next() {
    while (!finished_) {
        if (!Advance()) {
            // Callers tell the end (ERROR_NO_MORE_FILES) from a failure by the last error.
            DWORD error = GetLastError();
            CloseSearch();
            SetLastError(error);
            finished_ = true;
            return false;
        }
        if (!IsDotEntry(name_)) return true;
    }
    return false;
}

void RawFindFile::Restart() {
    CloseSearch();
    finished_ = false;
}

bool RawFindFile::Advance() {
    // The pattern's encoding decides: ShiftJis the narrow calls, everything else the wide ones.
    bool narrow = pattern_.Encoding() == ShiftJis;
    if (!handle_.IsValid()) return narrow ? FirstNarrow() : FirstWide();
    if (narrow) {
        WIN32_FIND_DATAA data{};
        if (!FindNextFileA(handle_.Get(), &data)) return false;
        TakeNarrow(data);
    } else {
        WIN32_FIND_DATAW data{};
        if (!FindNextFileW(handle_.Get(), &data)) return false;
        TakeWide(data);
    }
    return true;
}

bool RawFindFile::FirstNarrow() {
    WIN32_FIND_DATAA data{};
    handle_.Reset(FindFirstFileExA(pattern_.Bytes(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!handle_.IsValid()) return false;
    TakeNarrow(data);
    return true;
}

bool RawFindFile::FirstWide() {
    // Searched in the long form, so a folder whose path passes MAX_PATH is read too; the names
    // handed out keep the directory's own form.
    const RawString widePattern = LongPathForm(pattern_);
    WIN32_FIND_DATAW data{};
    handle_.Reset(FindFirstFileExW(widePattern.WideUnits(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!handle_.IsValid()) return false;
    TakeWide(data);
    return true;
}

void RawFindFile::TakeNarrow(const WIN32_FIND_DATAA& data) {
    attributes_ = data.dwFileAttributes;
    lastWriteTime_ = data.ftLastWriteTime;
    creationTime_ = data.ftCreationTime;
    lastAccessTime_ = data.ftLastAccessTime;
    size_ = SizeOf(data.nFileSizeLow, data.nFileSizeHigh);
    // The narrow calls answer in the system code page.
    name_ = RawString(RawString::FromUnits(data.cFileName, -1, Ansi), directory_.Encoding());
    fullPath_ = JoinPath(directory_, name_);
}

void RawFindFile::TakeWide(const WIN32_FIND_DATAW& data) {
    attributes_ = data.dwFileAttributes;
    lastWriteTime_ = data.ftLastWriteTime;
    creationTime_ = data.ftCreationTime;
    lastAccessTime_ = data.ftLastAccessTime;
    size_ = SizeOf(data.nFileSizeLow, data.nFileSizeHigh);
    name_ = RawString(RawString::FromWide(data.cFileName), directory_.Encoding());
    fullPath_ = JoinPath(directory_, name_);
}

void RawFindFile::CloseSearch() { handle_.Reset(); }

}  // namespace RawLayer
