#include "AppLayer/GuiApplyRun.h"

using RawLayer::RawString;

namespace AppLayer {

bool GuiApplyRun::Start(const FileTimeSettings& settings, const RawLayer::RawStringList& names,
                        FileTimeJournal* journal, HWND window) {
    if (Running()) return false;
    state_ = std::make_unique<State>(settings, namesKept_);
    // A list of the run's own: the dialog's list body is never shared with the worker.
    for (const RawString& name : names) state_->names.Add(name);
    state_->journal = journal;
    return Launch(window);
}

bool GuiApplyRun::StartUndo(const RawString& folder, HWND window) {
    if (Running()) return false;
    state_ = std::make_unique<State>(FileTimeSettings(), namesKept_);
    state_->undo = true;
    state_->undoFolder = folder;
    return Launch(window);
}

bool GuiApplyRun::Launch(HWND window) {
    state_->window = window;
    started_ = std::chrono::steady_clock::now();
    return worker_.Start(&GuiApplyRun::Work, state_.get());
}

void GuiApplyRun::Work(void* context) {
    State& state = *static_cast<State*>(context);
    if (state.undo) {
        state.undone = UndoNewest(state.undoFolder, &state.failed, &state.control);
        state.failures = state.undone.failures;
    } else {
        state.failures = ApplyToAll(state.settings, state.names, &state.failed, state.journal, &state.control);
    }
    // Posted, never sent: the dialog's thread may be waiting for this one.
    if (state.window) PostMessageW(state.window, kApplyRunEnded, 0, 0);
}

void GuiApplyRun::Cancel() {
    if (state_) state_->control.cancel.store(true);
}

uint32_t GuiApplyRun::Handled() const {
    if (!state_) return 0;
    return state_->control.changed.load(std::memory_order_relaxed) +
           state_->control.failed.load(std::memory_order_relaxed);
}

uint32_t GuiApplyRun::Changed() const { return state_ ? state_->control.changed.load() : 0; }

bool GuiApplyRun::Cancelled() const { return state_ && state_->control.cancel.load(); }

std::chrono::milliseconds GuiApplyRun::Elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_);
}

}  // namespace AppLayer
