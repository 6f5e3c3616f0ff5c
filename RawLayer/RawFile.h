// File system services over the Win32 file API; every path is a RawString and picks the narrow
// or wide entry point by its native call form. FileHandle owns its handle and closes it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawString.h"

namespace RawLayer {

// Attributes of path, INVALID_FILE_ATTRIBUTES when they cannot be read.
DWORD FileAttributes(const RawString& path);
bool Exists(const RawString& path);
bool IsFile(const RawString& path);
bool IsDirectory(const RawString& path);

// Creates path and every missing folder above it; true when path is a folder afterwards.
// A path without any separator is never created.
bool CreateDirectories(const RawString& path);

// The steps of writing a file that can fail. A test seam, when set, is asked before each one; a
// false answer makes the step fail as the system would (a failed flush or close still releases
// the handle), so every failure path of a save can be walked in turn.
enum class FileStep { Create, Write, Flush, Close, Replace };
using FileStepSeam = bool (*)(FileStep step);
// nullptr (the default) lets every step go to the system.
void SetFileStepSeam(FileStepSeam seam);

// Moves a freshly written file to target; fails when target already exists.
bool MoveIntoPlace(const RawString& newFile, const RawString& target);
// Puts newFile in the place of an existing target in one rename, with target's hidden, system
// and archive attributes: a process ended at any moment leaves the old file or the new one.
// (ReplaceWith under Wine takes the old file away before the new one arrives.)
bool MoveOver(const RawString& newFile, const RawString& target);
// Replaces target by newFile, keeping the old target as backupName unless that is empty.
bool ReplaceWith(const RawString& target, const RawString& newFile, const RawString& backupName);
bool DeleteFileAt(const RawString& path);

// Last write time (UTC) of a file or folder. False, leaving *time alone, when it cannot be read.
bool LastWriteTime(const RawString& path, FILETIME* time);

// Plain CreateFile: no security attributes, no template. The caller closes the handle.
HANDLE OpenFile(const RawString& path, DWORD access, DWORD share, DWORD disposition, DWORD flagsAndAttributes);

// Owner of one file handle. Each Open... first closes a handle still open.
class FileHandle {
public:
    FileHandle() = default;
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;

    bool OpenRead(const RawString& path);
    bool CreateWrite(const RawString& path, DWORD disposition);
    // No data access; for times and attributes. Opens folders too.
    bool OpenAttributes(const RawString& path);
    // Takes a handle from OpenFile (or any CreateFile) opened with access.
    void Attach(HANDLE handle, DWORD access);

    // True when ReadFile succeeded; LastCount() gives the bytes read (0 at the end).
    bool Read(void* buffer, DWORD size);
    // True only when every byte was written.
    bool Write(const void* data, DWORD size);
    bool Seek(int64_t distance, DWORD method, int64_t* newPosition = nullptr);
    bool Size(uint64_t* size) const;
    bool GetTimes(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) const;
    bool SetTimes(const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);
    // Writes what the system holds of the file to the disk.
    bool Flush();
    // Flushes when opened for writing, then closes. False when the flush or the close failed;
    // true when nothing was open.
    bool Close();

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return handle_; }
    DWORD Access() const { return access_; }
    DWORD LastCount() const { return lastCount_; }

private:
    bool Open(const RawString& path, DWORD access, DWORD share, DWORD disposition, DWORD flags);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD access_ = 0;
    DWORD lastCount_ = 0;
};

}  // namespace RawLayer
