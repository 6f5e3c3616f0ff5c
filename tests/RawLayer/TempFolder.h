// A unique folder under the temporary path for one test, removed with everything below it.
// Made, filled and removed with plain wide calls, independent of the code under test.
#pragma once

#include <windows.h>

#include <string>

class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        path_ = std::wstring(temp) + L"kx-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter) + L"-" + std::to_wstring(GetTickCount());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(L"\\\\?\\" + path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }  // no trailing backslash
    std::wstring Below(const std::wstring& name) const { return path_ + L"\\" + name; }

    static bool Write(const std::wstring& path, const std::string& content) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        bool done = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        return done && written == content.size();
    }

    // Whole content (up to 4 KiB), or "<missing>".
    static std::string Read(const std::wstring& path) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        char buffer[4096];
        DWORD count = 0;
        ReadFile(file, buffer, sizeof(buffer), &count, nullptr);
        CloseHandle(file);
        return std::string(buffer, count);
    }

private:
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
        for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
            else DeleteFileW(child.c_str());
        }
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};
