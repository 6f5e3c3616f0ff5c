// What the main dialog's controls do (the command half of GuiMainDialog.h): every action writes
// straight into the settings record that start-up owns, and the boxes show its value again.
#include <algorithm>
#include <chrono>

#include "AppLayer/FileTimeApply.h"
#include "AppLayer/FileTimeJob.h"
#include "AppLayer/FileTimeJournal.h"
#include "AppLayer/FileTimeUndo.h"
#include "AppLayer/GuiMainDialog.h"
#include "AppLayer/GuiMainDialogIds.h"
#include "AppLayer/GuiSelectDialog.h"
#include "AppLayer/StartUp.h"
#include "RawLayer/RawCommandLine.h"
#include "RawLayer/RawFile.h"
#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawShell.h"
#include "RawLayer/RawSpecialPath.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinMessageBox.h"
#include "WinLayer/WinRectParameters.h"

using RawLayer::RawString;
using WinLayer::WinView;

namespace AppLayer {
namespace {

// Progress title: shown once a drop has run this long, so a small drop looks as it always did,
// and updated at most at this pace.
constexpr auto kProgressDelay = std::chrono::milliseconds(250);
constexpr UINT kProgressMilliseconds = 100;
constexpr UINT_PTR kProgressTimer = 1;

// 12345 as "12,345".
RawString Grouped(uint32_t count) {
    const RawString digits = RawString::Decimal(count);
    RawString grouped;
    for (int32_t at = 0; at < digits.Length(); ++at) {
        if (at > 0 && (digits.Length() - at) % 3 == 0) grouped.Append(',');
        grouped.Append(digits.UnitAt(at));
    }
    return grouped;
}

RawString WithCount(const RawString& text, uint32_t count) {
    static const RawString kPlaceholder("%1");
    RawString result(text, RawLayer::Utf8);
    const int32_t at = result.Find(kPlaceholder, 0, result.Length());
    const RawString number = Grouped(count);
    if (at < result.Length()) result.ReplaceRange(at, at + kPlaceholder.Length(), number, 0, number.Length());
    return result;
}

void SetBit(uint16_t& flags, uint16_t bit, bool set) {
    flags = set ? static_cast<uint16_t>(flags | bit) : static_cast<uint16_t>(flags & ~bit);
}

// The detail of a stopped run: the count's text (tag) over the names, or nothing without failures.
RawString CountedNames(const char* tag, uint32_t failures, const RawString& names) {
    if (failures == 0) return RawString();
    RawString detail = WithCount(RawLayer::RawTextMap(MainDialogTableName(), MainDialogTable()).Text(tag), failures);
    detail.Concat(RawString("\r\n"), names);
    return detail;
}

}  // namespace

LRESULT GuiMainDialog::OnCommand(int code) {
    HandleCommand(this, code);
    return WinDialog::OnCommand(code);
}

LRESULT GuiMainDialog::OnChildNotify(WinView* child, int code) {
    // Unlike the framework's other dialogs, the main dialog stays open on Escape.
    if (code != WinLayer::NotifyCancel) HandleCommand(child, code);
    return 0;
}

// The initial update: check boxes and rows from the flags, the boxes from the value.
// The controls take the settings before the window is first shown and painted, so the time
// boxes never show their templates.
void GuiMainDialog::ShowSettings() {
    if (!settings_) return;
    const uint16_t chosen = settings_->flags;
    SetRow(controls_.date, UseDate, chosen & UseDate);
    SetRow(controls_.time, UseTime, chosen & UseTime);
    SetRow(controls_.msec, UseMSec, chosen & UseMSec);
    SetCheck(controls_.utc.check, chosen & ShowUtc);
    SetCheck(controls_.creation.check, chosen & SetCreation);
    SetCheck(controls_.lastWrite.check, chosen & SetLastWrite);
    SetCheck(controls_.lastAccess.check, chosen & SetLastAccess);
    ShowValue();
}

void GuiMainDialog::HandleCommand(WinView* source, int code) {
    if (!settings_) return;
    GuiMainControls& c = controls_;
    switch (code) {
        case WinLayer::NotifyFocusLost:
            if (GuiTimeRow* row = RowOfBox(source)) TakeTypedText(*row);
            return;
        case WinLayer::NotifyDropped:
            if (GuiTimeRow* row = RowOfBox(source)) TakeDroppedTime(*row);
            return;
        case kCommandClose:
            return Close();
        case kCommandRestart:
            return Restart();
        case kCommandUndoLastChange:
            return UndoLastChange();
        case kCommandUseDate:
            return SetRow(c.date, UseDate, c.date.use.checked);
        case kCommandUseTime:
            return SetRow(c.time, UseTime, c.time.use.checked);
        case kCommandUseMSec:
            return SetRow(c.msec, UseMSec, c.msec.use.checked);
        case kCommandDateCurrent:
            return TakeNow(c.date, UseDate);
        case kCommandTimeCurrent:
            return TakeNow(c.time, UseTime);
        case kCommandMSecCurrent:
            return TakeNow(c.msec, UseMSec);
        case kCommandMSecClear:
            settings_->ClearMilliseconds();
            return c.msec.box.ShowValue(settings_->value);
        case kCommandSourceDrop:
            return TakeSource();
        case kCommandTargetDrop:
            return ApplyToTargets();
        case kCommandShowUtc:
            return SwitchUtc();
        case kCommandSetCreation:
            return SetFlag(c.creation.check, SetCreation);
        case kCommandSetLastWrite:
            return SetFlag(c.lastWrite.check, SetLastWrite);
        case kCommandSetLastAccess:
            return SetFlag(c.lastAccess.check, SetLastAccess);
        case kCommandDateSelect:
            return Select(c.date, kSelectDate);
        case kCommandTimeSelect:
            return Select(c.time, kSelectTime);
        default:
            return;
    }
}

void GuiMainDialog::ShowValue() {
    for (GuiTimeRow* row : {&controls_.date, &controls_.time, &controls_.msec}) row->box.ShowValue(settings_->value);
}

void GuiMainDialog::SetCheck(WinLayer::WinCheckBox& check, bool set) { check.SetChecked(set); }

// The flag follows the check box; the row's label, box and buttons are usable only while it is
// set. The check box itself stays enabled, and the value keeps the part either way.
void GuiMainDialog::SetRow(GuiTimeRow& row, uint16_t flag, bool set) {
    SetBit(settings_->flags, flag, set);
    SetCheck(row.use, set);
    for (WinView* control : {static_cast<WinView*>(&row.tag), static_cast<WinView*>(&row.box),
                             static_cast<WinView*>(&row.select), static_cast<WinView*>(&row.current)}) {
        if (control->Window()) EnableWindow(control->Window(), set ? TRUE : FALSE);
    }
}

void GuiMainDialog::SetFlag(WinLayer::WinCheckBox& check, uint16_t flag) {
    SetBit(settings_->flags, flag, check.checked != 0);
}

GuiTimeRow* GuiMainDialog::RowOfBox(WinView* source) {
    for (GuiTimeRow* row : {&controls_.date, &controls_.time, &controls_.msec}) {
        if (source == &row->box) return row;
    }
    return nullptr;
}

// What was typed is read as far as it goes; the box then shows the value, normalised, or as it
// was when the text was refused.
void GuiMainDialog::TakeTypedText(GuiTimeRow& row) {
    const RawString text = row.box.GetText();
    if (&row == &controls_.date) settings_->ParseDate(text);
    if (&row == &controls_.time) settings_->ParseTime(text);
    if (&row == &controls_.msec) settings_->ParseMSec(text);
    row.box.ShowValue(settings_->value);
}

// A file's last write time as a value; false when it cannot be read. A folder's own time counts,
// and names past MAX_PATH are read through their long form.
bool GuiMainDialog::ReadSourceTime(const RawString& path, FileTimeValue& value) {
    FILETIME time = {};
    return !path.IsEmpty() && RawLayer::LastWriteTime(RawLayer::LongPathForm(path), &time) &&
           value.SetFromFileTime(time);
}

// A file whose time cannot be read leaves the value as it was: taking the zero time instead
// would write 1601-01-01 into every file of the next target drop.
void GuiMainDialog::TakeDroppedTime(GuiTimeRow& row) {
    const RawString name = row.box.droppedName;
    FileTimeValue dropped;
    if (!ReadSourceTime(name, dropped)) return Warn(kTagSourceUnreadable, name);
    settings_->AssignValue(dropped, row.box.kind);
    row.box.ShowValue(settings_->value);
}

void GuiMainDialog::TakeSource() {
    const RawLayer::RawStringList& names = controls_.sourceBox.DroppedNames();
    if (names.Count() == 0) return;
    const RawString first = *names.First();
    FileTimeValue source;
    if (!ReadSourceTime(first, source)) return Warn(kTagSourceUnreadable, first);
    settings_->AssignValue(source, kPartMask);
    ShowValue();
}

void GuiMainDialog::TakeNow(GuiTimeRow& row, uint16_t part) {
    FileTimeValue now;
    now.SetFromNow();
    settings_->AssignValue(now, part);
    row.box.ShowValue(settings_->value);
}

// The select dialog's answer replaces the mode's part; the box shows it and takes the focus,
// which selects its whole text. Cancel changes nothing.
void GuiMainDialog::Select(GuiTimeRow& row, uint16_t mode) {
    GuiSelectDialog select;
    SYSTEMTIME chosen = settings_->value.brokenDown;
    if (select.Run(this, mode, chosen) != 1) return;
    MergeSelection(settings_->value, chosen, mode, settings_->flags);
    row.box.ShowValue(settings_->value);
    if (row.box.Window()) SetFocus(row.box.Window());
}

// The shown form changes zone; the instant applied to files does not.
void GuiMainDialog::SwitchUtc() {
    const bool utc = controls_.utc.check.checked != 0;
    SetBit(settings_->flags, ShowUtc, utc);
    if (utc) {
        settings_->value.ShowAsUtc();
    } else {
        settings_->value.ShowAsLocal();
    }
    controls_.date.box.ShowValue(settings_->value);
    controls_.time.box.ShowValue(settings_->value);
}

// The drop is applied on a worker while the dialog is blocked; without a thread, here as the
// command line does. Every drop is journalled: a drop that could not be taken back is not
// made, and a journal that fails part way stops the changes there.
void GuiMainDialog::ApplyToTargets() {
    const RawLayer::RawStringList& names = controls_.targetBox.DroppedNames();
    if (run_.Running() || !Window()) return;
    journal_ = std::make_unique<FileTimeJournal>();
    const RawString folder = JournalFolderBeside(gui_.profile.FilePath());
    if (!journal_->Begin(folder)) {
        return Warn(kTagJournalNotBegun, journal_->Path().IsEmpty() ? folder : journal_->Path());
    }
    if (!BlockSelf()) return;
    if (!run_.Start(*settings_, names, journal_.get(), Window())) {
        UnblockSelf();
        FailedFiles failed(kFailedNamesShown);
        const uint32_t failures = ApplyToAll(*settings_, names, &failed, journal_.get());
        journal_->Finish();
        return ReportRun(failures, failed, false, 0, journal_.get());
    }
    StartRun();
}

// The dialog stays blocked while the worker runs; a child with the focus hands it to the dialog
// itself, where Escape is heard, and keys reach no control.
void GuiMainDialog::StartRun() {
    closeAfterRun_ = false;
    progressShown_ = 0;
    progressText_ = RawLayer::RawTextMap(MainDialogTableName(), MainDialogTable()).Text(kTagRunProgress);
    HWND focus = GetFocus();
    focusBeforeRun_ = focus && IsChild(Window(), focus) ? focus : nullptr;
    if (focusBeforeRun_) SetFocus(Window());
    SetTimer(Window(), kProgressTimer, kProgressMilliseconds, nullptr);
}

// What a run lets through its blocking: its end and its timer, and the ways to stop it.
LRESULT GuiMainDialog::OnBlockedMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!run_.Running()) return WinLayer::NotHandled;  // a modal dialog's blocking
    switch (message) {
        case kApplyRunEnded:
            EndRun(true);
            return 0;
        case WM_TIMER:
            if (wParam != kProgressTimer) return WinLayer::NotHandled;
            ShowProgress();
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) run_.Cancel();
            return 0;
        case WM_COMMAND:
            // The Close button's own click report; the program goes on.
            if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == controls_.closeButton.Window()) {
                run_.Cancel();
            }
            return WinLayer::NotHandled;
        case WM_MOUSEACTIVATE:
            // The click itself is eaten by the blocking.
            if (HIWORD(lParam) == WM_LBUTTONDOWN && OverCloseButton()) run_.Cancel();
            return WinLayer::NotHandled;
        case WM_SYSKEYDOWN:
            if (wParam != VK_F4) return WinLayer::NotHandled;
            CancelAndClose();
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != SC_CLOSE) return WinLayer::NotHandled;
            CancelAndClose();
            return 0;
        case WM_CLOSE:
            CancelAndClose();
            return 0;
        case WM_SETTEXT:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:  // the title shows the progress
        case WM_DRAWITEM:       // the self-drawn controls keep painting
        case WM_MEASUREITEM:
            return WinLayer::kPassBlock;
        case WM_ENDSESSION:
            // The session ends: the worker stops and is waited for before the teardown.
            if (wParam) {
                run_.Cancel();
                EndRun(false);
            }
            return WinLayer::kPassBlock;
        default:
            if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) return WinLayer::kPassBlock;
            return WinLayer::NotHandled;
    }
}

// The window closes once the worker has stopped; nothing is reported then.
void GuiMainDialog::CancelAndClose() {
    closeAfterRun_ = true;
    run_.Cancel();
}

bool GuiMainDialog::OverCloseButton() const {
    HWND button = controls_.closeButton.Window();
    POINT cursor = {};
    RECT rect = {};
    return button && GetCursorPos(&cursor) && GetWindowRect(button, &rect) && PtInRect(&rect, cursor);
}

void GuiMainDialog::ShowProgress() {
    if (run_.Elapsed() < kProgressDelay) return;
    const uint32_t handled = run_.Handled();
    if (handled == 0 || handled == progressShown_) return;
    if (progressShown_ == 0) targetText_ = controls_.targetBox.GetText();
    progressShown_ = handled;
    const RawString count = WithCount(progressText_, handled);
    RawString title(ProductName(), RawLayer::Utf8);
    title.Concat(RawString(" - "), count);
    ShowProgressTexts(title, count);
}

// The title, and the target box, which draws its text itself.
void GuiMainDialog::ShowProgressTexts(const RawString& title, const RawString& target) {
    SetText(title);
    if (Window()) WinLayer::SetViewWindowText(Window(), title);
    controls_.targetBox.SetText(target);
    if (controls_.targetBox.Window()) InvalidateRect(controls_.targetBox.Window(), nullptr, FALSE);
}

// report: the user is told what the drop did (not while the session ends).
void GuiMainDialog::EndRun(bool report) {
    if (!run_.Running()) return;
    run_.Join();
    // Closed at once: an undo must be able to mark it, and the oldest journals go now.
    if (journal_) journal_->Finish();
    if (Window()) KillTimer(Window(), kProgressTimer);
    UnblockSelf();
    if (progressShown_ != 0) ShowProgressTexts(ProductName(), targetText_);
    progressShown_ = 0;
    if (focusBeforeRun_ && IsWindow(focusBeforeRun_)) SetFocus(focusBeforeRun_);
    focusBeforeRun_ = nullptr;
    if (closeAfterRun_) return Close();
    if (!report) return;
    if (const UndoResult* undone = run_.Undone()) return ReportUndo(*undone, *run_.Failed(), run_.Changed());
    ReportRun(run_.Failures(), *run_.Failed(), run_.Cancelled(), run_.Changed(), journal_.get());
}

// The window is going: the worker is stopped and waited for first.
void GuiMainDialog::OnDestroyed() {
    run_.Stop();
    WinDialog::OnDestroyed();
}

// A drop where everything changed says nothing; otherwise one box says how many files failed
// and names the first few (a journal that failed first). A cancelled drop says how many were
// changed, then the failures.
void GuiMainDialog::ReportRun(uint32_t failures, const FailedFiles& failed, bool cancelled, uint32_t changed,
                              const FileTimeJournal* journal) {
    const RawString names = failed.Listed(failures);
    if (!cancelled) {
        if (failures == 0) return;
        if (!journal || !journal->Failed()) return Warn(kTagTargetFailed, names, failures);
        RawString detail(journal->Path());
        detail.Concat(RawString("\r\n"), names);
        return Warn(kTagJournalFailed, detail, failures);
    }
    Warn(kTagRunCancelled, CountedNames(kTagTargetFailed, failures, names), changed);
}

// The newest run not undone is put back, on the worker like a drop and stopped the same ways;
// without a thread, here.
void GuiMainDialog::UndoLastChange() {
    if (run_.Running() || !Window()) return;
    const RawString folder = JournalFolderBeside(gui_.profile.FilePath());
    if (!BlockSelf()) return;
    if (!run_.StartUndo(folder, Window())) {
        UnblockSelf();
        FailedFiles failed(kFailedNamesShown);
        const UndoResult undone = UndoNewest(folder, &failed);
        return ReportUndo(undone, failed, 0);
    }
    StartRun();
}

// One box names the files that could not be put back; a stopped undo says how many were.
void GuiMainDialog::ReportUndo(const UndoResult& undone, const FailedFiles& failed, uint32_t putBack) {
    const RawString names = failed.Listed(undone.failures);
    if (undone.outcome == UndoOutcome::SomeFailed) return Warn(kTagUndoFailed, names, undone.failures);
    if (undone.outcome != UndoOutcome::Stopped) return;
    Warn(kTagUndoCancelled, CountedNames(kTagUndoFailed, undone.failures, names), putBack);
}

void GuiMainDialog::Close() {
    if (flags & WinLayer::kDialogEnded) return;
    flags |= WinLayer::kDialogEnded;
    result = 0;
    if (Window()) DestroyWindow(Window());
}

// The same program with the same arguments in the same folder; this one closes only when the
// new one started, so a failed start never leaves the user with nothing. The window rectangle
// and the language file are written before: the new instance reads them as it starts, and a
// write from here after that would race it.
void GuiMainDialog::Restart() {
    if (flags & WinLayer::kDialogEnded) return;
    SaveState();
    const RawString program = RawLayer::ModulePath(RawLayer::Utf8);
    RawLayer::RawShell shell(program, RawLayer::CurrentDirectory(RawLayer::Utf8));
    if (!shell.Execute(RawLayer::MakeArgumentText())) return Warn(kTagRestartFailed, program);
    shell.CloseProcess();
    stateSaved_ = true;
    Close();
}

void GuiMainDialog::Warn(const char* tag, const RawString& detail, uint32_t count) {
    RawString text = WithCount(RawLayer::RawTextMap(MainDialogTableName(), MainDialogTable()).Text(tag), count);
    if (!detail.IsEmpty()) text.Concat(RawString("\r\n"), detail);
    WinLayer::ShowWarning(Window(), text, ProductName());
}

// Leaving the restored state, or destroyed while restored: the restored rectangle is kept.
void GuiMainDialog::OnSizeStateChanged(int previous, int) {
    if (previous == 0 && !stateSaved_) SaveWindowRect();
}

void GuiMainDialog::SaveWindowRect() {
    static const RawString kSection("MainDialog"), kKey("WindowRect");
    RawLayer::RawParameterList list;
    WinLayer::WriteRectParameters(list, kKey, normalRect);
    gui_.profile.WriteSection(list, kSection);
}

}  // namespace AppLayer
