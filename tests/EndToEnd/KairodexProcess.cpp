#include "EndToEnd/KairodexProcess.h"

#include <winternl.h>

#include <cstdio>

namespace EndToEnd {
namespace {

std::wstring ModuleFolder() {
    wchar_t buffer[4096];
    DWORD n = GetModuleFileNameW(nullptr, buffer, 4096);
    std::wstring path(buffer, n);
    return path.substr(0, path.find_last_of(L"\\/"));
}

// The test exe lives in <build>/tests/EndToEnd; the program in <build>.
std::wstring ProgramPath() {
    std::wstring folder = ModuleFolder();
    for (int i = 0; i < 2; ++i) folder = folder.substr(0, folder.find_last_of(L"\\/"));
    return folder + L"\\Kairodex.exe";
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(path);
            } else if (!DeleteFileW(path.c_str())) {
                RemoveDirectoryW(path.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

struct BoxSearch {
    DWORD processId;
    std::vector<std::wstring>* boxes;
};

std::wstring WindowText(HWND window) {
    wchar_t buffer[2048];
    int n = GetWindowTextW(window, buffer, 2048);
    return std::wstring(buffer, n > 0 ? n : 0);
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM text) {
    wchar_t className[64];
    GetClassNameW(child, className, 64);
    if (lstrcmpiW(className, L"Static") == 0) {
        std::wstring piece = WindowText(child);
        if (!piece.empty()) *reinterpret_cast<std::wstring*>(text) += piece;
    }
    return TRUE;
}

BOOL CALLBACK CloseBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64];
    GetClassNameW(window, className, 64);
    if (owner != search->processId || lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    std::wstring text;
    EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&text));
    search->boxes->push_back(WindowText(window) + L"|" + text);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

// A writable command line for CreateProcessW: the quoted program, then the arguments.
std::vector<wchar_t> CommandLineOf(const std::wstring& program, const std::wstring& arguments) {
    std::wstring text = L"\"" + program + L"\" " + arguments;
    std::vector<wchar_t> units(text.begin(), text.end());
    units.push_back(0);
    return units;
}

uint64_t ToU64(const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }
FILETIME ToFileTime(uint64_t t) { return FILETIME{DWORD(t), DWORD(t >> 32)}; }

}  // namespace

Sandbox::Sandbox() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    static int counter = 0;
    wchar_t name[64];
    swprintf(name, 64, L"KairodexE2E_%lu_%d", GetCurrentProcessId(), ++counter);
    folder_ = std::wstring(temp) + name;
    RemoveTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
    CopyFileW(ProgramPath().c_str(), Exe().c_str(), FALSE);
}

Sandbox::~Sandbox() { RemoveTree(folder_); }

void Sandbox::WriteFile(const std::wstring& relative, const std::string& bytes) const {
    HANDLE file = CreateFileW(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Sandbox::ReadFile(const std::wstring& relative) const {
    HANDLE file =
        CreateFileW(Path(relative).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void Sandbox::MakeFolder(const std::wstring& relative) const { CreateDirectoryW(Path(relative).c_str(), nullptr); }

RunResult Sandbox::Run(const std::wstring& arguments) const {
    RunResult result;
    std::vector<wchar_t> buffer = CommandLineOf(Exe(), arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // The working folder is not the program's folder, so relative targets must not lean on it.
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    if (!CreateProcessW(Exe().c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, temp, &startup, &process)) {
        return result;
    }
    BoxSearch search{process.dwProcessId, &result.boxes};
    for (int waited = 0; waited < 60000; waited += 50) {
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) {
            result.finished = true;
            break;
        }
        EnumWindows(CloseBox, reinterpret_cast<LPARAM>(&search));
    }
    if (!result.finished) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

std::vector<std::wstring> Sandbox::LoadedLibraries(const std::wstring& arguments) const {
    std::vector<std::wstring> names;
    std::vector<wchar_t> buffer = CommandLineOf(Exe(), arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(Exe().c_str(), buffer.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                        folder_.c_str(), &startup, &process)) {
        return names;
    }
    DEBUG_EVENT event = {};
    bool running = true;
    while (running && WaitForDebugEvent(&event, 60000)) {
        DWORD answer = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile) {
                    wchar_t path[1024];
                    DWORD length = GetFinalPathNameByHandleW(event.u.LoadDll.hFile, path, 1024, 0);
                    if (length > 0 && length < 1024) {
                        std::wstring name(path);
                        name = name.substr(name.find_last_of(L"\\/") + 1);
                        CharLowerW(name.data());
                        names.push_back(name);
                    }
                    CloseHandle(event.u.LoadDll.hFile);
                }
                break;
            case EXCEPTION_DEBUG_EVENT:
                // The loader's breakpoint is ours to pass; every other exception is the program's.
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                    answer = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                running = false;
                break;
            default:
                break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
    }
    if (running) TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return names;
}

namespace {

struct WindowSearch {
    DWORD processId;
    bool other;                   // any process but processId
    const std::wstring* program;  // with other: only a process running this file
    HWND found;
};

std::wstring ProcessImage(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return L"";
    wchar_t path[MAX_PATH * 4];
    DWORD length = MAX_PATH * 4;
    const bool known = QueryFullProcessImageNameW(process, 0, path, &length);
    CloseHandle(process);
    return known ? std::wstring(path, length) : std::wstring();
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((owner == search->processId) == search->other || !IsWindowVisible(window)) return TRUE;
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (lstrcmpW(className, L"Kairodex") != 0 || WindowText(window) != L"Kairodex") return TRUE;
    if (search->program && !SamePath(ProcessImage(owner), *search->program)) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM param) {
    if (!IsWindowVisible(window) || !GetUpdateRect(window, nullptr, FALSE)) return TRUE;
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
}

// Nothing left to paint: the dialog lays its controls out as it is shown and paints them then,
// so a window that is visible may not have its layout yet.
bool Painted(HWND window) {
    bool unpainted = GetUpdateRect(window, nullptr, FALSE) != FALSE;
    if (!unpainted) EnumChildWindows(window, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

}  // namespace

RunningProgram::RunningProgram(const Sandbox& box, const std::wstring& arguments, const std::wstring& folder) {
    std::vector<wchar_t> buffer = CommandLineOf(box.Exe(), arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring directory = folder.empty() ? std::wstring(temp) : folder;
    // Under a loaded Wine the start of a process has been seen to fail at once now and then: the
    // error is logged and the start tried once more, so the test reports what the program does.
    for (int tries = 0;; ++tries) {
        if (CreateProcessW(box.Exe().c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                           &startup, &process)) {
            break;
        }
        std::fprintf(stderr, "*** the program could not be started (error %lu)%s\n", GetLastError(),
                     tries == 0 ? ", trying once more" : "");
        if (tries == 1) return;
        Sleep(500);
        buffer = CommandLineOf(box.Exe(), arguments);
    }
    CloseHandle(process.hThread);
    process_ = process.hProcess;
    processId_ = process.dwProcessId;
}

RunningProgram::RunningProgram(DWORD processId)
    : process_(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, processId)),
      processId_(processId) {}

RunningProgram::~RunningProgram() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) TerminateProcess(process_, 99);
    CloseHandle(process_);
}

HWND RunningProgram::MainWindow(DWORD waitMilliseconds) {
    HWND found = nullptr;
    for (DWORD waited = 0; process_ && waited < waitMilliseconds; waited += 50) {
        WindowSearch search{processId_, false, nullptr, nullptr};
        EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
        found = search.found;
        if (found && Painted(found)) return found;
        if (WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) return nullptr;
    }
    return found;
}

bool RunningProgram::WaitForExit(DWORD waitMilliseconds) {
    BoxSearch search{processId_, &boxes};
    for (DWORD waited = 0; process_ && waited < waitMilliseconds; waited += 50) {
        if (WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) return true;
        EnumWindows(CloseBox, reinterpret_cast<LPARAM>(&search));
    }
    return false;
}

bool RunningProgram::AwaitBox(DWORD waitMilliseconds) {
    const size_t before = boxes.size();
    BoxSearch search{processId_, &boxes};
    for (DWORD waited = 0; process_ && waited < waitMilliseconds; waited += 50) {
        EnumWindows(CloseBox, reinterpret_cast<LPARAM>(&search));
        if (boxes.size() > before) return true;
        if (WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) return false;
    }
    return false;
}

DWORD RunningProgram::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

HWND OtherMainWindow(const std::wstring& program, DWORD processId) {
    WindowSearch search{processId, true, &program, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowTextOf(HWND window) { return WindowText(window); }

std::wstring AwaitText(HWND control, const std::wstring& text, DWORD waitMilliseconds) {
    std::wstring now;
    Await([&] { return (now = WindowTextOf(control)) == text; }, waitMilliseconds);
    return now;
}

void Click(HWND window) {
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

namespace {

struct ClassSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindOfClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner != search->processId || !IsWindowVisible(window) || lstrcmpW(className, search->className) != 0) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

// The head of the process environment block and of its process parameters, as far as the
// working folder; the layout is the same for 32 and 64 bits, padding included.
struct PebHead {
    BYTE flags[4];
    PVOID mutant;
    PVOID imageBase;
    PVOID loaderData;
    PVOID parameters;
};
struct ParametersHead {
    ULONG maximumLength, length, flags, debugFlags;
    HANDLE console;
    ULONG consoleFlags;
    HANDLE input, output, error;
    UNICODE_STRING currentFolder;
};

using QueryProcess = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);

std::wstring ReadCurrentFolder(HANDLE process) {
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return L"";
    PebHead peb = {};
    ParametersHead parameters = {};
    if (!ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !ReadProcessMemory(process, peb.parameters, &parameters, sizeof parameters, nullptr)) {
        return L"";
    }
    std::wstring folder(parameters.currentFolder.Length / sizeof(wchar_t), L'\0');
    if (!ReadProcessMemory(process, parameters.currentFolder.Buffer, folder.data(), parameters.currentFolder.Length,
                           nullptr)) {
        return L"";
    }
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

}  // namespace

HWND WindowOfProcess(DWORD processId, const wchar_t* className) {
    ClassSearch search{processId, className, nullptr};
    EnumWindows(FindOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring CurrentFolderOf(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return L"";
    std::wstring folder = ReadCurrentFolder(process);
    CloseHandle(process);
    return folder;
}

namespace {

// Wine's own translation of a Windows path into the Linux one; empty outside Wine.
std::string UnixPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
    if (!unix) return "";
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// A file URI of a Linux path: every byte but the unreserved ones and "/" percent-encoded.
std::string FileUri(const std::string& unixPath) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : unixPath) {
        if (isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += {'%', kHex[c >> 4], kHex[c & 15]};
        }
    }
    return uri;
}

bool Fail(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

// Waits for the drag source's one-line outcome; the source ends itself after its own limits.
std::string AwaitOutcome(const std::wstring& resultFile) {
    for (int waited = 0; waited < 60000; waited += 50) {
        if (GetFileAttributesW(resultFile.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(50);
    }
    std::string outcome;
    HANDLE file = CreateFileW(resultFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "error: the drag source gave no answer";
    char buffer[1024];
    DWORD got = 0;
    if (ReadFile(file, buffer, sizeof buffer, &got, nullptr)) outcome.assign(buffer, got);
    CloseHandle(file);
    DeleteFileW(resultFile.c_str());
    while (!outcome.empty() && (outcome.back() == '\n' || outcome.back() == '\r')) outcome.pop_back();
    return outcome;
}

}  // namespace

bool DropFromDesktop(HWND target, const std::vector<std::wstring>& paths, std::string* why) {
    RECT box = {};
    if (!IsWindow(target) || !GetWindowRect(target, &box)) return Fail(why, "no target window");
    // Wine keeps the X window of each top-level window in a property; 0 lets the source look
    // for the window that takes drops under the point instead.
    const auto xWindow =
        reinterpret_cast<uintptr_t>(GetPropW(GetAncestor(target, GA_ROOT), L"__wine_x11_whole_window"));
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    static int counter = 0;
    wchar_t name[64];
    swprintf(name, 64, L"KairodexDrop_%lu_%d.txt", GetCurrentProcessId(), ++counter);
    const std::wstring resultFile = std::wstring(temp) + name;
    const std::string resultUnix = UnixPath(temp) + "/" + std::string(name, name + wcslen(name));
    char numbers[96];
    snprintf(numbers, sizeof numbers, " %lu %ld %ld", static_cast<unsigned long>(xWindow), (box.left + box.right) / 2,
             (box.top + box.bottom) / 2);
    std::string arguments = "\"";
    arguments.append(resultUnix).append("\"").append(numbers);
    for (const std::wstring& path : paths) {
        const std::string unixPath = UnixPath(path);
        if (unixPath.empty()) return Fail(why, "no Linux path for a dropped name");
        arguments.append(" ").append(FileUri(unixPath));
    }
    const std::wstring source = ModuleFolder() + L"\\XdndDragSource";
    std::vector<wchar_t> command = CommandLineOf(source, std::wstring(arguments.begin(), arguments.end()));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Wine runs a Linux program as a Linux process of its own; it may give no handles for it.
    if (!CreateProcessW(source.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return Fail(why, "the drag source did not start");
    }
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    const std::string outcome = AwaitOutcome(resultFile);
    return outcome == "ok" || Fail(why, outcome);
}

uint64_t UtcTime(int year, int month, int day, int hour, int minute, int second, int msec) {
    SYSTEMTIME s = {WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), WORD(msec)};
    FILETIME f = {};
    SystemTimeToFileTime(&s, &f);
    return ToU64(f);
}

uint64_t LocalTime(int year, int month, int day, int hour, int minute, int second, int msec) {
    SYSTEMTIME local = {WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), WORD(msec)};
    SYSTEMTIME utc = {};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME f = {};
    SystemTimeToFileTime(&utc, &f);
    return ToU64(f);
}

bool SetTimes(const std::wstring& path, const Times& times) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME c = ToFileTime(times.creation), a = ToFileTime(times.lastAccess), w = ToFileTime(times.lastWrite);
    bool ok = SetFileTime(file, &c, &a, &w);
    CloseHandle(file);
    return ok;
}

Times GetTimes(const std::wstring& path) {
    Times times;
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return times;
    FILETIME c, a, w;
    if (GetFileTime(file, &c, &a, &w)) times = Times{ToU64(c), ToU64(a), ToU64(w)};
    CloseHandle(file);
    return times;
}

std::string FormatUtc(uint64_t time) {
    FILETIME f = ToFileTime(time);
    SYSTEMTIME s = {};
    FileTimeToSystemTime(&f, &s);
    char text[64];
    snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute,
             s.wSecond, s.wMilliseconds);
    return text;
}

}  // namespace EndToEnd
