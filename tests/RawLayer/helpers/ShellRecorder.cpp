// Test helper: writes the arguments it received, one per line, and then its working directory
// into the file named by its first argument with ".rec" appended (UTF-8).
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], size, nullptr, nullptr);
    return result;
}

}  // namespace

int wmain() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2) return 2;
    std::string record;
    for (int index = 1; index < count; ++index) record += Utf8(arguments[index]) + "\n";
    wchar_t directory[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, directory);
    record += Utf8(directory) + "\n";
    const std::wstring path = std::wstring(arguments[1]) + L".rec";
    LocalFree(arguments);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 4;
}
