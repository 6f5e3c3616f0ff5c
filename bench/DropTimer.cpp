// Times a target drop delivered in-process: takes Kairodex's own command line, builds the main
// dialog over the settings it names, as the dialog mode does, and hands the named targets to
// the target box as the shell hands a drop. Prints the seconds the drop took.
// Usage: DropTimer [options] File/Folder...   Exit code 0 when the drop ran.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "AppLayer/FileTimeJob.h"
#include "AppLayer/GuiMainDialog.h"
#include "AppLayer/GuiProfile.h"
#include "AppLayer/StartUp.h"
#include "RawLayer/ShellDrop.h"

namespace {

// The targets as wide names, as the shell hands them over.
std::vector<std::wstring> WideNames(const RawLayer::RawStringList& targets) {
    std::vector<std::wstring> names;
    for (const RawLayer::RawString& target : targets) {
        const RawLayer::RawString wide(target, RawLayer::Wide);
        names.emplace_back(wide.WideUnits(), static_cast<size_t>(wide.Length()));
    }
    return names;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RawLayer::RawParameterList parameters;
    if (AppLayer::StartUp(instance, parameters) != AppLayer::StartResult::Continue) return 2;
    AppLayer::FileTimeJob& job = AppLayer::Job();
    if (job.targets.Count() == 0) return 2;
    AppLayer::GuiMainDialog dialog(AppLayer::GuiProfileRecord(), job.configProfile);
    dialog.SetSettings(&job.settings);
    dialog.StartUp();
    if (!dialog.Show()) return 3;
    HDROP drop = ShellDrop::MakeDrop(WideNames(job.targets));
    if (!drop) return 3;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    SendMessageW(dialog.Controls().targetBox.Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    // The box hands the drop on as a posted command, which starts the worker; the drop is done
    // when the dialog has taken the worker's end. Meanwhile the thread waits in GetMessage as the
    // dialog mode's loop does: a loop that polls would wake a hundred times a second and take
    // the server's time from the worker.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    while (dialog.Running() && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    QueryPerformanceCounter(&end);
    // A console is not attached to a GUI program: the figure goes to the file named by the
    // environment, which the benchmark reads.
    wchar_t output[MAX_PATH];
    if (GetEnvironmentVariableW(L"DROPTIMER_OUT", output, MAX_PATH) - 1 < MAX_PATH - 1) {
        if (FILE* file = _wfopen(output, L"w")) {
            std::fprintf(file, "%.4f\n", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
            std::fclose(file);
        }
    }
    DestroyWindow(dialog.Window());
    return 0;
}
