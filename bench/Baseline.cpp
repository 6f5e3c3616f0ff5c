// The bare platform work of changing every file's times below one folder: a depth-first walk
// and, per file, open for writing, read the times, set them, flush, close. Nothing else.
// Usage: Baseline <folder>   Exit code: the number of files that could not be changed.
#include <windows.h>

#include <string>

namespace {

// 2024-09-07 12:00:00 UTC for all three times, as Kairodex is asked to set in the benchmark.
FILETIME Chosen() {
    SYSTEMTIME s = {2024, 9, 0, 7, 12, 0, 0, 0};
    FILETIME f = {};
    SystemTimeToFileTime(&s, &f);
    return f;
}

int ChangeFile(const std::wstring& path, const FILETIME& value) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    FILETIME c, a, w;
    int failed = 1;
    if (GetFileTime(file, &c, &a, &w)) {
        c = a = w = value;
        failed = SetFileTime(file, &c, &a, &w) ? 0 : 1;
    }
    FlushFileBuffers(file);
    CloseHandle(file);
    return failed;
}

int Walk(const std::wstring& folder, const FILETIME& value) {
    int failed = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*.*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return 1;
    do {
        if (data.cFileName[0] == L'.' &&
            (data.cFileName[1] == 0 || (data.cFileName[1] == L'.' && data.cFileName[2] == 0))) {
            continue;
        }
        std::wstring path = folder + L"\\" + data.cFileName;
        failed += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Walk(path, value) : ChangeFile(path, value);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return failed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return -1;
    return Walk(argv[1], Chosen());
}
