// Enumerates the entries of one folder (never "." or ".."), in the file system's order. A wide
// search goes through the long form of the folder's path, so folders past MAX_PATH are read;
// the paths handed out keep the form the folder was given in. Owns its find handle and closes
// it with FindClose.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawHandleOwner.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

class RawFindFile {
public:
    explicit RawFindFile(const RawString& directory);
    ~RawFindFile();
    RawFindFile(const RawFindFile&) = delete;
    RawFindFile& operator=(const RawFindFile&) = delete;

    // Advances to the next entry; false at the end or when the folder cannot be read, with the
    // platform's last error left as the failing find call set it.
    bool Next();
    // Closes the search; the next Next starts from the first entry again.
    void Restart();

    DWORD Attributes() const { return attributes_; }
    bool IsDirectory() const { return (attributes_ & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    FILETIME LastWriteTime() const { return lastWriteTime_; }
    FILETIME CreationTime() const { return creationTime_; }
    FILETIME LastAccessTime() const { return lastAccessTime_; }
    uint64_t Size() const { return size_; }
    // Name of the entry, in the directory's encoding.
    const RawString& Name() const { return name_; }
    // JoinPath(directory, name).
    const RawString& FullPath() const { return fullPath_; }
    const RawString& Directory() const { return directory_; }

private:
    bool Advance();
    bool FirstNarrow();
    bool FirstWide();
    void TakeNarrow(const WIN32_FIND_DATAA& data);
    void TakeWide(const WIN32_FIND_DATAW& data);
    void CloseSearch();

    DWORD attributes_ = 0;
    FILETIME lastWriteTime_{};
    FILETIME creationTime_{};
    FILETIME lastAccessTime_{};
    uint64_t size_ = 0;  // little-endian: low word first
    RawString name_;
    RawString fullPath_;
    FindHandle handle_;
    bool finished_ = false;  // set after the end; cleared by Restart
    RawString directory_;    // without a trailing separator
    RawString pattern_;      // JoinPath(directory_, "*.*")
};

}  // namespace RawLayer
