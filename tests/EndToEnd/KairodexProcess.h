// Test support for driving the real Kairodex.exe: a private folder holding a copy of the
// program (its profile and relative targets live beside it), a runner that closes the message
// boxes the program shows, and file time helpers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace EndToEnd {

// The main dialog's controls as a tool outside the program finds them: numbered from 2500 in
// table order.
constexpr int kDateBox = 2502;
constexpr int kDateSelect = 2503;
constexpr int kTimeBox = 2507;
constexpr int kMSecBox = 2512;
constexpr int kSourceBox = 2523;
constexpr int kTargetBox = 2524;
constexpr int kCloseButton = 2525;
constexpr int kControls = 26;

struct RunResult {
    bool finished = false;           // exited within the time limit
    DWORD exitCode = 0;
    std::vector<std::wstring> boxes;  // "caption|text" of every message box closed
};

class Sandbox {
public:
    Sandbox();  // a fresh folder under the temporary folder with a copy of Kairodex.exe
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::wstring& Folder() const { return folder_; }
    std::wstring Path(const std::wstring& relative) const { return folder_ + L"\\" + relative; }
    std::wstring Exe() const { return Path(L"Kairodex.exe"); }
    void WriteFile(const std::wstring& relative, const std::string& bytes) const;
    std::string ReadFile(const std::wstring& relative) const;
    void MakeFolder(const std::wstring& relative) const;
    // Runs the program with the argument text; message boxes are recorded and closed.
    // The program takes the test's own zone: Wine reads TZ from the Linux side at process start.
    RunResult Run(const std::wstring& arguments) const;
    // Runs the program as this process's debuggee and lists the libraries it loads, as lower
    // case file names. For runs that show no message box.
    std::vector<std::wstring> LoadedLibraries(const std::wstring& arguments) const;

private:
    std::wstring folder_;
};

// A Kairodex.exe left running, for the dialog mode: its main window is found and driven from
// outside, message boxes it shows are closed and recorded while it is waited for. Ended by force
// (exit code 99) when still running at destruction.
class RunningProgram {
public:
    // Starts the sandbox's program with the arguments in folder (empty: the temporary folder).
    RunningProgram(const Sandbox& box, const std::wstring& arguments, const std::wstring& folder = L"");
    // Takes over a process that is already running (one the program started itself).
    explicit RunningProgram(DWORD processId);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return processId_; }
    // The visible top-level window of class and title "Kairodex" of this process, once it has
    // nothing left to paint (shown, laid out and painted) or at the time limit; null when none
    // came within it.
    HWND MainWindow(DWORD waitMilliseconds = 30000);
    // Waits for the end; false when it did not end in time.
    bool WaitForExit(DWORD waitMilliseconds = 30000);
    // Waits for a message box of the process, closes it and records it in boxes; false when none
    // came in time.
    bool AwaitBox(DWORD waitMilliseconds = 30000);
    DWORD ExitCode() const;

    std::vector<std::wstring> boxes;  // "caption|text" of every message box closed

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// The main window of a process running the program file, other than the one with processId;
// null when none. (Other tests may run their own Kairodex.exe meanwhile.)
HWND OtherMainWindow(const std::wstring& program, DWORD processId);
// The text of a window of another process.
std::wstring WindowTextOf(HWND window);
// The control's text once it reads text, or the last text it read when it did not in time.
std::wstring AwaitText(HWND control, const std::wstring& text, DWORD waitMilliseconds = 10000);
// Plain ASCII text of a wide one, for readable assertions.
inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
// A click near the top left corner of a control, as posted mouse messages.
void Click(HWND window);
// Asks ready() every 50 ms until it holds; false when it did not within the limit.
template <class Ready>
bool Await(Ready ready, DWORD waitMilliseconds = 10000) {
    for (DWORD waited = 0; waited < waitMilliseconds; waited += 50) {
        if (ready()) return true;
        Sleep(50);
    }
    return ready();
}
// The window that holds the keyboard focus in the thread of window; null when none does.
HWND FocusOf(HWND window);
// The first visible window of class className in the process; null when none.
HWND WindowOfProcess(DWORD processId, const wchar_t* className);
// The working folder of another process as it sees it now, read from its process parameters,
// without the closing backslash; empty when it cannot be read.
std::wstring CurrentFolderOf(DWORD processId);

// Drops files and folders on a window of a running program from the Linux desktop: a native
// drag source beside the test program offers them as a text/uri-list through XDND to the X
// window of target's top-level window, at target's centre, and waits for the target to take
// them; target must be in its place already (the main dialog lays its controls out after it
// shows). True when it did; otherwise why says what went wrong. Wine delivers the drop to target
// as WM_DROPFILES through its message loop, so it is handled after this returns.
bool DropFromDesktop(HWND target, const std::vector<std::wstring>& paths, std::string* why = nullptr);

// 100-ns UTC file time from UTC parts.
uint64_t UtcTime(int year, int month, int day, int hour, int minute, int second, int msec);
// 100-ns UTC file time from local wall clock parts in the process's time zone.
uint64_t LocalTime(int year, int month, int day, int hour, int minute, int second, int msec);

struct Times {
    uint64_t creation = 0;
    uint64_t lastAccess = 0;
    uint64_t lastWrite = 0;
};
bool SetTimes(const std::wstring& path, const Times& times);
Times GetTimes(const std::wstring& path);
std::string FormatUtc(uint64_t time);  // "2024-09-07 12:00:00.000" for readable failures

}  // namespace EndToEnd
