// Whole-file byte access for the line-file and profile tests, over plain wide calls so that the
// code under test checks itself.
#pragma once

#include <windows.h>

#include <string>

namespace FileBytes {

inline bool Write(const std::wstring& path, const std::string& content) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool done = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                      written == content.size();
    CloseHandle(file);
    return done;
}

// Whole content, or "<missing>" when the file cannot be opened.
inline std::string Read(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string content;
    char buffer[65536];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &count, nullptr) && count > 0) content.append(buffer, count);
    CloseHandle(file);
    return content;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool IsPlainFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// 2001-01-01: a last-write time that no write during a test gives, so a test can tell whether
// the file was written since it was backdated.
constexpr FILETIME kBackdated = {0xC89DC000u, 0x01C07385u};

inline bool Backdate(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool done = SetFileTime(file, nullptr, nullptr, &kBackdated);
    CloseHandle(file);
    return done;
}

inline bool StillBackdated(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
           CompareFileTime(&data.ftLastWriteTime, &kBackdated) == 0;
}

}  // namespace FileBytes
