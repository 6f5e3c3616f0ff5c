// Helpers for the tests that apply times to real files: a scratch folder, plain wide file
// calls that check the engine from outside, and a recorder of what the engine hands to the
// platform (installed by the FileTimeApplyTest fixture).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppLayer/FileTimeApply.h"
#include "AppLayer/FileTimeTestSupport.h"

namespace FileTimeTest {

inline std::wstring LongForm(const std::wstring& path) { return L"\\\\?\\" + path; }

inline bool IsWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

inline bool WaitUntil(bool (*done)(const std::wstring&), const std::wstring& path) {
    for (int round = 0; round < 3000; ++round) {
        if (done(path)) return true;
        Sleep(10);
    }
    return false;
}

inline bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(LongForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool PathGone(const std::wstring& path) { return !PathExists(path); }

// Starts a program of the host system under Wine (arguments split at blanks) in folder. Wine
// gives no handle to wait on: callers wait for the effect.
inline bool StartHostProgram(const wchar_t* program, const std::wstring& arguments, const std::wstring& folder) {
    std::wstring commandLine = std::wstring(program) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        return false;
    }
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    return true;
}

// A unique folder under the temporary path, removed at the end with everything below it.
// Under Wine the host removes it: Wine's server resolves every opened path component by
// component, so walking a tree 1,500 levels deep through it takes minutes.
class Scratch {
public:
    Scratch() {
        static int counter = 0;
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        parent_ = temp;
        parent_.resize(parent_.size() - 1);
        leaf_ = L"kx-apply-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L"-" +
                std::to_wstring(GetTickCount());
        path_ = parent_ + L"\\" + leaf_;
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~Scratch() {
        if (IsWine() && StartHostProgram(L"Z:\\bin\\rm", L"-rf " + leaf_, parent_) && WaitUntil(&PathGone, path_)) {
            return;
        }
        RemoveTree();
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring Below(const std::wstring& relative) const { return path_ + L"\\" + relative; }
    // The part of a path that lies below this folder ("a\b\f.txt"), empty when outside.
    std::wstring RelativeOf(const std::wstring& path) const {
        const size_t at = path.find(leaf_ + L"\\");
        return at == std::wstring::npos ? std::wstring() : path.substr(at + leaf_.size() + 1);
    }

    // A folder link name -> target in this folder: a host symlink under Wine (which shows it
    // as a reparse point), a symbolic link elsewhere.
    bool MakeLink(const std::wstring& target, const std::wstring& name) const {
        if (IsWine()) {
            return StartHostProgram(L"Z:\\bin\\ln", L"-s " + target + L" " + name, path_) &&
                   WaitUntil(&PathExists, Below(name));
        }
        const DWORD flags = SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2;  // unprivileged create
        return CreateSymbolicLinkW(Below(name).c_str(), target.c_str(), flags) != FALSE;
    }

    // Folders "d" nested levels deep below this folder; returns the deepest.
    std::wstring MakeChain(int levels) const {
        std::wstring relative = L"d";
        for (int level = 1; level < levels; ++level) relative += L"\\d";
        const std::wstring deepest = Below(relative);
        if (IsWine()) {
            std::wstring hostPath = relative;
            for (wchar_t& unit : hostPath) unit = unit == L'\\' ? L'/' : unit;
            StartHostProgram(L"Z:\\bin\\mkdir", L"-p " + hostPath, path_);
            WaitUntil(&PathExists, deepest);
        } else {
            for (size_t at = 1; at <= relative.size(); at += 2) {
                CreateDirectoryW(LongForm(Below(relative.substr(0, at))).c_str(), nullptr);
            }
        }
        return deepest;
    }

private:
    // Without recursion, and without entering folder links.
    void RemoveTree() const {
        std::vector<std::wstring> pending{LongForm(path_)};
        std::vector<std::wstring> folders;
        while (!pending.empty()) {
            const std::wstring folder = pending.back();
            pending.pop_back();
            folders.push_back(folder);
            WIN32_FIND_DATAW data;
            HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
            if (find == INVALID_HANDLE_VALUE) continue;
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring child = folder + L"\\" + name;
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                    pending.push_back(child);
                } else if (!DeleteFileW(child.c_str())) {
                    RemoveDirectoryW(child.c_str());
                }
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) RemoveDirectoryW(folder->c_str());
    }

    std::wstring parent_;
    std::wstring leaf_;
    std::wstring path_;
};

inline bool MakeFolder(const std::wstring& path) { return CreateDirectoryW(LongForm(path).c_str(), nullptr) != FALSE; }

inline bool MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool done = WriteFile(file, "x", 1, &written, nullptr) && written == 1;
    CloseHandle(file);
    return done;
}

struct Times {
    FILETIME creation{};
    FILETIME lastAccess{};
    FILETIME lastWrite{};
};

// Files and folders alike, through attribute-only handles.
inline Times ReadTimes(const std::wstring& path) {
    Times times;
    HANDLE file = CreateFileW(LongForm(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(GetFileTime(file, &times.creation, &times.lastAccess, &times.lastWrite));
    CloseHandle(file);
    return times;
}

inline bool WriteTimes(const std::wstring& path, const FILETIME* lastAccess, const FILETIME* lastWrite) {
    HANDLE file = CreateFileW(LongForm(path).c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool done = SetFileTime(file, nullptr, lastAccess, lastWrite) != FALSE;
    CloseHandle(file);
    return done;
}

inline RawLayer::RawString Wide(const std::wstring& text) { return RawLayer::RawString::FromWide(text.c_str()); }

// What the engine handed to the platform for one file.
struct Record {
    std::wstring path;
    Times times;
};

inline std::vector<Record>& Records() {
    static std::vector<Record> records;
    return records;
}

inline bool RecordingSetTimes(RawLayer::FileHandle& file, const FILETIME* creation, const FILETIME* lastAccess,
                              const FILETIME* lastWrite) {
    static std::vector<wchar_t> name(32768);
    const DWORD length =
        GetFinalPathNameByHandleW(file.Handle(), name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    Records().push_back(Record{std::wstring(name.data(), length < name.size() ? length : 0),
                               Times{*creation, *lastAccess, *lastWrite}});
    return file.SetTimes(creation, lastAccess, lastWrite);
}

inline AppLayer::FileTimeSettings Chosen(uint16_t flags, const SYSTEMTIME& shown) {
    AppLayer::FileTimeSettings settings;
    settings.flags = flags;
    const bool stored = (flags & AppLayer::ShowUtc) ? settings.value.StoreUtc(shown) : settings.value.StoreLocal(shown);
    EXPECT_TRUE(stored);
    return settings;
}

constexpr uint16_t kAllParts = AppLayer::UseDate | AppLayer::UseTime | AppLayer::UseMSec;
constexpr uint16_t kAllTimes = AppLayer::SetCreation | AppLayer::SetLastWrite | AppLayer::SetLastAccess;

// Records every write of times; puts the platform's calls back afterwards.
class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = AppLayer::FileTimeEntries();
        AppLayer::FileTimeEntries().setTimes = &RecordingSetTimes;
        Records().clear();
    }
    void TearDown() override { AppLayer::FileTimeEntries() = saved_; }

    // Relative paths of the recorded files, in the order they were written.
    std::vector<std::wstring> RecordedFiles() const {
        std::vector<std::wstring> files;
        for (const Record& record : Records()) files.push_back(scratch_.RelativeOf(record.path));
        return files;
    }

    AppLayer::FileTimeCalls saved_{};
    Scratch scratch_;
};

}  // namespace FileTimeTest
