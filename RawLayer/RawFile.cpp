#include "RawLayer/RawFile.h"

#include <utility>

#include "RawLayer/RawCallText.h"
#include "RawLayer/RawPath.h"

namespace RawLayer {

namespace {

FileStepSeam g_fileStepSeam = nullptr;

// False when the seam fails the step, with the error the system gives for a broken device.
bool StepAllowed(FileStep step) {
    if (g_fileStepSeam == nullptr || g_fileStepSeam(step)) return true;
    SetLastError(ERROR_WRITE_FAULT);
    return false;
}

bool CreateDirectoryOnly(const RawString& path) {
    if (UsesNarrowCall(path.NativeCallForm())) return CreateDirectoryA(NarrowText(path), nullptr) != FALSE;
    return CreateDirectoryW(WideText(path).Get(), nullptr) != FALSE;
}

bool SetAttributesAt(const RawString& path, DWORD attributes) {
    if (UsesNarrowCall(path.NativeCallForm())) return SetFileAttributesA(NarrowText(path), attributes) != FALSE;
    return SetFileAttributesW(WideText(path).Get(), attributes) != FALSE;
}

}  // namespace

DWORD FileAttributes(const RawString& path) {
    if (UsesNarrowCall(path.NativeCallForm())) return GetFileAttributesA(NarrowText(path));
    return GetFileAttributesW(WideText(path).Get());
}

bool Exists(const RawString& path) { return FileAttributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFile(const RawString& path) {
    DWORD attributes = FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsDirectory(const RawString& path) {
    DWORD attributes = FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDirectories(const RawString& path) {
    DWORD attributes = FileAttributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A root ("C:", "\\server\share", "\\?\C:") is never created; it exists or not.
    if (path.Length() <= RootLength(path)) return IsDirectory(JoinPath(path, RawString()));
    RawRange parent = DirectoryRange(path);
    if (parent.end == 0) return false;
    if (!CreateDirectories(RawString::FromRange(path, parent.start, parent.end))) return false;
    // A trailing separator or a folder made meanwhile by someone else still counts as success.
    return CreateDirectoryOnly(path) || IsDirectory(path);
}

void SetFileStepSeam(FileStepSeam seam) { g_fileStepSeam = seam; }

bool MoveIntoPlace(const RawString& newFile, const RawString& target) {
    if (!StepAllowed(FileStep::Replace)) return false;
    if (UsesNarrowCall(NativeCallForm(newFile, target))) {
        return MoveFileExA(NarrowText(newFile), NarrowText(target), MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    return MoveFileExW(WideText(newFile).Get(), WideText(target).Get(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool MoveOver(const RawString& newFile, const RawString& target) {
    if (!StepAllowed(FileStep::Replace)) return false;
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    constexpr DWORD kMove = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    const DWORD attributes = FileAttributes(target);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // A read-only file is not replaced, as on Windows (Wine would rename over it).
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        if (attributes & kKept) SetAttributesAt(newFile, attributes & kKept);
    }
    if (UsesNarrowCall(NativeCallForm(newFile, target))) {
        return MoveFileExA(NarrowText(newFile), NarrowText(target), kMove) != FALSE;
    }
    return MoveFileExW(WideText(newFile).Get(), WideText(target).Get(), kMove) != FALSE;
}

bool ReplaceWith(const RawString& target, const RawString& newFile, const RawString& backupName) {
    if (!StepAllowed(FileStep::Replace)) return false;
    bool backup = !backupName.IsEmpty();
    if (UsesNarrowCall(NativeCallForm(target, newFile, backupName))) {
        return ReplaceFileA(NarrowText(target), NarrowText(newFile), backup ? NarrowText(backupName) : nullptr, 0,
                            nullptr, nullptr) != FALSE;
    }
    WideText wideBackup(backupName);
    return ReplaceFileW(WideText(target).Get(), WideText(newFile).Get(), backup ? wideBackup.Get() : nullptr, 0,
                        nullptr, nullptr) != FALSE;
}

bool DeleteFileAt(const RawString& path) {
    if (UsesNarrowCall(path.NativeCallForm())) return DeleteFileA(NarrowText(path)) != FALSE;
    return DeleteFileW(WideText(path).Get()) != FALSE;
}

bool LastWriteTime(const RawString& path, FILETIME* time) {
    FileHandle file;
    FILETIME lastWrite{};
    if (!file.OpenAttributes(path) || !file.GetTimes(nullptr, nullptr, &lastWrite)) return false;
    *time = lastWrite;
    return true;
}

HANDLE OpenFile(const RawString& path, DWORD access, DWORD share, DWORD disposition, DWORD flagsAndAttributes) {
    if (UsesNarrowCall(path.NativeCallForm())) {
        return CreateFileA(NarrowText(path), access, share, nullptr, disposition, flagsAndAttributes, nullptr);
    }
    return CreateFileW(WideText(path).Get(), access, share, nullptr, disposition, flagsAndAttributes, nullptr);
}

// ---- FileHandle ----

FileHandle::~FileHandle() { Close(); }

FileHandle::FileHandle(FileHandle&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)),
      access_(std::exchange(other.access_, 0)),
      lastCount_(std::exchange(other.lastCount_, 0)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        access_ = std::exchange(other.access_, 0);
        lastCount_ = std::exchange(other.lastCount_, 0);
    }
    return *this;
}

bool FileHandle::Open(const RawString& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    Close();
    handle_ = OpenFile(path, access, share, disposition, flags);
    access_ = IsOpen() ? access : 0;
    return IsOpen();
}

bool FileHandle::OpenRead(const RawString& path) {
    return Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

bool FileHandle::CreateWrite(const RawString& path, DWORD disposition) {
    if (!StepAllowed(FileStep::Create)) {
        Close();
        return false;
    }
    return Open(path, GENERIC_WRITE, FILE_SHARE_READ, disposition, FILE_ATTRIBUTE_NORMAL);
}

bool FileHandle::OpenAttributes(const RawString& path) {
    // Backup semantics let a folder be opened as well: its own times are a valid source.
    return Open(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS);
}

void FileHandle::Attach(HANDLE handle, DWORD access) {
    Close();
    handle_ = handle ? handle : INVALID_HANDLE_VALUE;
    access_ = IsOpen() ? access : 0;
}

bool FileHandle::Read(void* buffer, DWORD size) {
    lastCount_ = 0;
    if (!IsOpen()) return false;
    DWORD count = 0;
    bool done = ReadFile(handle_, buffer, size, &count, nullptr) != FALSE;
    lastCount_ = count;
    return done;
}

bool FileHandle::Write(const void* data, DWORD size) {
    lastCount_ = 0;
    if (!IsOpen()) return false;
    const char* bytes = static_cast<const char*>(data);
    if (!StepAllowed(FileStep::Write)) return false;
    while (lastCount_ < size) {
        DWORD count = 0;
        if (!WriteFile(handle_, bytes + lastCount_, size - lastCount_, &count, nullptr) || count == 0) return false;
        lastCount_ += count;
    }
    return true;
}

bool FileHandle::Seek(int64_t distance, DWORD method, int64_t* newPosition) {
    if (!IsOpen()) return false;
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(handle_, move, &position, method)) return false;
    if (newPosition) *newPosition = position.QuadPart;
    return true;
}

bool FileHandle::Size(uint64_t* size) const {
    LARGE_INTEGER value{};
    if (!IsOpen() || !GetFileSizeEx(handle_, &value)) return false;
    *size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool FileHandle::GetTimes(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) const {
    return IsOpen() && GetFileTime(handle_, creation, lastAccess, lastWrite) != FALSE;
}

bool FileHandle::SetTimes(const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite) {
    return IsOpen() && SetFileTime(handle_, creation, lastAccess, lastWrite) != FALSE;
}

bool FileHandle::Flush() { return IsOpen() && FlushFileBuffers(handle_) != FALSE; }

bool FileHandle::Close() {
    if (!IsOpen()) return true;
    const bool writing = (access_ & GENERIC_WRITE) != 0;
    bool flushed = !writing || (StepAllowed(FileStep::Flush) && FlushFileBuffers(handle_) != FALSE);
    bool closed = CloseHandle(handle_) != FALSE && (!writing || StepAllowed(FileStep::Close));
    handle_ = INVALID_HANDLE_VALUE;
    access_ = 0;
    return flushed && closed;
}

}  // namespace RawLayer
