// GuiApplyRun: one target drop applied, or one run undone, on a worker thread, so the dialog's
// message loop goes on meanwhile. The run owns the worker and copies of the settings and the names, which the worker
// alone reads; the dialog edits its own. The worker is joined before the run is gone.
//
// What the worker touches: its copies (strings share their bodies with the dialog's under
// each body's lock), its own lists and failed names, the run's atomic counters and cancel flag,
// the zone rules' cache (guarded) and the set-times calls (swapped by tests only between runs).
// It reaches the dialog only by one posted message at its end.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>

#include "AppLayer/FileTimeApply.h"
#include "AppLayer/FileTimeUndo.h"
#include "AppLayer/FileTimeValue.h"
#include "RawLayer/RawList.h"
#include "RawLayer/RawWorkerThread.h"

namespace AppLayer {

// Posted to the run's window when the worker has finished.
constexpr UINT kApplyRunEnded = WM_APP + 16;

class GuiApplyRun {
public:
    explicit GuiApplyRun(int32_t namesKept) : namesKept_(namesKept) {}
    ~GuiApplyRun() { Stop(); }
    GuiApplyRun(const GuiApplyRun&) = delete;
    GuiApplyRun& operator=(const GuiApplyRun&) = delete;

    // Starts a worker over copies of settings and names, writing journal (may be null; borrowed
    // until Join, and not touched by the caller meanwhile); it posts kApplyRunEnded to window at
    // its end. False when a run is in progress or no thread could be started.
    bool Start(const FileTimeSettings& settings, const RawLayer::RawStringList& names, FileTimeJournal* journal,
               HWND window);
    // The same for undoing the newest journal in folder.
    bool StartUndo(const RawLayer::RawString& folder, HWND window);
    // From Start until Join.
    bool Running() const { return worker_.Started(); }
    // The worker stops after the file it is at.
    void Cancel();
    // Waits for the worker; the results below are final afterwards.
    void Join() { worker_.Join(); }
    void Stop() {
        Cancel();
        Join();
    }

    // Files finished so far, changed or not: read while the worker runs.
    uint32_t Handled() const;
    uint32_t Changed() const;
    bool Cancelled() const;
    // After Join.
    uint32_t Failures() const { return state_ ? state_->failures : 0; }
    const FailedFiles* Failed() const { return state_ ? &state_->failed : nullptr; }
    // The undo's result; null after a drop.
    const UndoResult* Undone() const { return state_ && state_->undo ? &state_->undone : nullptr; }
    std::chrono::milliseconds Elapsed() const;

private:
    struct State {
        State(const FileTimeSettings& chosen, int32_t kept) : settings(chosen), failed(kept) {}
        FileTimeSettings settings;
        RawLayer::RawStringList names;
        FailedFiles failed;
        ApplyRunControl control;
        FileTimeJournal* journal = nullptr;  // borrowed
        uint32_t failures = 0;
        HWND window = nullptr;
        bool undo = false;
        RawLayer::RawString undoFolder;
        UndoResult undone;
    };
    bool Launch(HWND window);
    static void Work(void* state);

    int32_t namesKept_;
    std::unique_ptr<State> state_;  // the last run's, kept for its results
    std::chrono::steady_clock::time_point started_;
    RawLayer::RawWorkerThread worker_;  // last: joined before the state goes
};

}  // namespace AppLayer
