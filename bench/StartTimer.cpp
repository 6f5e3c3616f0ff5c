// Times a windowed program's start from outside: from CreateProcess until a top-level window
// of the process is visible and neither it nor any of its children still waits to be painted,
// or until the process ends (a program that exits on its first paint). Then asks the window to
// close and waits for the process.
// Usage: StartTimer <command line>   Prints the seconds; exit code 0 on success.
// With KAIRODEX_PHASE_LOG set (the phase table of the benchmark build), the moment the process
// was started goes to that file first, as the program's own phase marks follow it there.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    search->window = window;
    return FALSE;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM lParam) {
    if (!IsWindowVisible(window) || !GetUpdateRect(window, nullptr, FALSE)) return TRUE;
    *reinterpret_cast<bool*>(lParam) = true;
    return FALSE;
}

// The wall-clock time in FILETIME ticks, the clock of the phase marks.
unsigned long long Now() {
    using PreciseTime = VOID(WINAPI*)(LPFILETIME);
    static const auto precise = reinterpret_cast<PreciseTime>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME now = {};
    if (precise) {
        precise(&now);
    } else {
        GetSystemTimeAsFileTime(&now);
    }
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

void NoteStart(unsigned long long started) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"KAIRODEX_PHASE_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    if (FILE* file = _wfopen(path, L"w")) {
        std::fprintf(file, "process started\t%llu\n", started);
        std::fclose(file);
    }
}

bool Painted(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    bool unpainted = false;
    EnumChildWindows(window, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

}  // namespace

int wmain() {
    // Everything after the program's own name is the command line to start.
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    while (*line && (quoted || (*line != L' ' && *line != L'\t'))) {
        if (*line == L'"') quoted = !quoted;
        ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    std::wstring command(line);
    if (command.empty()) return 2;

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const unsigned long long started = Now();
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return 3;
    }
    NoteStart(started);
    Search search = {process.dwProcessId, nullptr};
    bool ended = false;
    for (DWORD waited = 0; waited < 60000; waited += 1) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        if (!search.window) EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.window && Painted(search.window)) break;
        Sleep(1);
    }
    QueryPerformanceCounter(&end);
    int result = 0;
    if (!ended) {
        if (!search.window) result = 4;  // no window within a minute
        if (search.window) PostMessageW(search.window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 1);
            result = 5;
        }
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("%.4f\n", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    return result;
}
