// What the main dialog's controls do: every action writes straight into the settings record
// that start-up owns, and the boxes show its value again. Also the dialog mode that runs it.
#include <algorithm>

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
#include "WinLayer/WinMessageBox.h"
#include "WinLayer/WinRectParameters.h"

using RawLayer::RawString;
using WinLayer::WinView;

namespace AppLayer {
namespace {

// How many names of files that could not be changed the user is shown.
constexpr int32_t kFailedNamesShown = 5;

RawString WithCount(const RawString& text, uint32_t count) {
    static const RawString kPlaceholder("%1");
    RawString result(text, RawLayer::Utf8);
    const int32_t at = result.Find(kPlaceholder, 0, result.Length());
    const RawString number = RawString::Decimal(count);
    if (at < result.Length()) result.ReplaceRange(at, at + kPlaceholder.Length(), number, 0, number.Length());
    return result;
}

void SetBit(uint16_t& flags, uint16_t bit, bool set) {
    flags = set ? static_cast<uint16_t>(flags | bit) : static_cast<uint16_t>(flags & ~bit);
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
void GuiMainDialog::OnCreated() {
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

void GuiMainDialog::SetCheck(WinLayer::WinCheckBox& check, bool set) {
    check.checked = set ? 1 : 0;
    if (!check.Window()) return;
    SendMessageA(check.Window(), BM_SETCHECK, check.checked, 0);
    InvalidateRect(check.Window(), nullptr, FALSE);
}

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

// A drop where everything changed says nothing; otherwise one box says how many files failed
// and names the first few. Every drop is journalled: a drop that could not be taken back is
// not made, and a journal that fails part way stops the changes there.
void GuiMainDialog::ApplyToTargets() {
    FileTimeJournal journal;
    const RawString folder = JournalFolderBeside(gui_.profile.FilePath());
    if (!journal.Begin(folder)) return Warn(kTagJournalNotBegun, journal.Path().IsEmpty() ? folder : journal.Path());
    FailedFiles failed(kFailedNamesShown);
    const uint32_t count = ApplyToAll(*settings_, controls_.targetBox.DroppedNames(), &failed, &journal);
    if (count == 0) return;
    if (!journal.Failed()) return Warn(kTagTargetFailed, failed.Listed(count), count);
    RawString detail(journal.Path());
    detail.Concat(RawString("\r\n"), failed.Listed(count));
    Warn(kTagJournalFailed, detail, count);
}

// The newest run not undone is put back; one box names the files that could not be. Runs on
// the calling thread, as a drop does.
void GuiMainDialog::UndoLastChange() {
    FailedFiles failed(kFailedNamesShown);
    const UndoResult undone = UndoNewest(JournalFolderBeside(gui_.profile.FilePath()), &failed);
    if (undone.outcome == UndoOutcome::SomeFailed)
        Warn(kTagUndoFailed, failed.Listed(undone.failures), undone.failures);
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
    text.Concat(RawString("\r\n"), detail);
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

int RunDialogMode(FileTimeJob& job, bool sourceUnreadable) {
    GuiMainDialog dialog(GuiProfileRecord(), job.configProfile);
    dialog.SetSettings(&job.settings);
    dialog.StartUp();
    if (!dialog.Show()) return kExitDone;
    if (sourceUnreadable) dialog.WarnSourceUnreadable(job.sourcePath);
    dialog.RunMessageLoop();
    return kExitDone;
}

}  // namespace AppLayer
