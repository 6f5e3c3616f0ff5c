// GuiMainDialog: the one window of the dialog mode. It owns its title-menu hook and its controls
// as members, so they go in that order's reverse (controls, then hook) before the dialog itself;
// it borrows the file time settings of start-up's job, the GUI profile record and the
// configuration profile, which all outlive it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "AppLayer/FileTimeApply.h"
#include "AppLayer/FileTimeJournal.h"
#include "AppLayer/FileTimeValue.h"
#include "AppLayer/GuiApplyRun.h"
#include "AppLayer/GuiDropBox.h"
#include "AppLayer/GuiMainDialogIds.h"
#include "AppLayer/GuiProfile.h"
#include "AppLayer/GuiTMenuExecution.h"
#include "AppLayer/GuiTimeBox.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/RawString.h"
#include "WinLayer/WinButton.h"
#include "WinLayer/WinCheckBox.h"
#include "WinLayer/WinDialog.h"
#include "WinLayer/WinStaticBox.h"

namespace AppLayer {

struct FileTimeJob;

// One of the date, time and millisecond rows: check box, label, time box and two buttons.
struct GuiTimeRow {
    WinLayer::WinCheckBox use;
    WinLayer::WinStaticBox tag;
    GuiTimeBox box;
    WinLayer::WinButton select;   // select, or clear in the millisecond row
    WinLayer::WinButton current;  // now
};

// A check box and its label below the time rows.
struct GuiOptionRow {
    WinLayer::WinCheckBox check;
    WinLayer::WinStaticBox tag;
};

constexpr int kMainControlCount = 26;

// How many names of files that could not be changed the user is shown.
constexpr int32_t kFailedNamesShown = 5;

// The controls in creation order, which is also the order of keyboard focus.
struct GuiMainControls {
    GuiTimeRow date;
    GuiTimeRow time;
    GuiTimeRow msec;
    GuiOptionRow utc;
    GuiOptionRow creation;
    GuiOptionRow lastWrite;
    GuiOptionRow lastAccess;
    GuiDropBox sourceBox;
    GuiDropBox targetBox;
    WinLayer::WinButton closeButton;

    std::array<WinLayer::WinView*, kMainControlCount> InOrder();
};

// The eight layout rectangles.
enum GuiMainLayout : int {
    kLayoutTop = 0,  // the time rows and the source box
    kLayoutDateRow = 1,
    kLayoutTimeRow = 2,
    kLayoutMSecRow = 3,
    kLayoutSource = 4,
    kLayoutOptions = 5,
    kLayoutTarget = 6,
    kLayoutClose = 7,
    kLayoutCount = 8,
};

// How much of a restored window stays on its monitor's work area, in each direction.
constexpr int32_t kReachablePixels = 64;

class GuiMainDialog : public WinLayer::WinDialog {
public:
    GuiMainDialog(GuiProfile& gui, RawLayer::RawProfile& configProfile);

    // The settings the dialog edits in place; must be set before the start code.
    void SetSettings(FileTimeSettings* settings) { settings_ = settings; }
    FileTimeSettings* Settings() const { return settings_; }

    // The start code: the controls' texts, sizes and anchors, the title, the window rectangle.
    void StartUp();
    // Texts from the language file and the layout; the client size as {0, 0, width, height}.
    RECT BuildControls();
    // The window rectangle for the client size: centred on the primary work area, or the one
    // stored in the GUI profile with the computed height, moved until at least kReachablePixels
    // of it lie on its monitor's work area with the caption inside.
    void PlaceWindow(const RECT& client);

    LRESULT OnCommand(int code) override;
    LRESULT OnChildNotify(WinLayer::WinView* child, int code) override;
    bool AdjustTrackLimits(SIZE& shrink, SIZE& growth) override;
    void LayoutChildren() override;
    void OnSizeStateChanged(int previous, int current) override;
    void OnCreateWindow() override;
    LRESULT OnBlockedMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

    // True while a target drop is applied: from the drop until its results were shown.
    bool Running() const { return run_.Running(); }

    // Tells the user that the time of path could not be read and the value was kept.
    void WarnSourceUnreadable(const RawLayer::RawString& path) { Warn(kTagSourceUnreadable, path); }

    GuiMainControls& Controls() { return controls_; }
    GuiTMenuExecution& TitleMenu() { return titleMenu_; }
    const WinLayer::WinViewResize& Layout(int index) const { return layout_[index]; }

private:
    void SetDefaultTexts();
    void LookUpTexts();
    void FitControls();
    void LayOutTopGroup(int gap);
    void LayOutOptions(int gap);
    void LayOutTargetAndClose();
    RECT PlaceGroups(int gap);

    void HandleCommand(WinLayer::WinView* source, int code);
    void ShowSettings();
    void ShowValue();
    void SetRow(GuiTimeRow& row, uint16_t flag, bool set);
    void SetCheck(WinLayer::WinCheckBox& check, bool set);
    GuiTimeRow* RowOfBox(WinLayer::WinView* source);
    void TakeTypedText(GuiTimeRow& row);
    void TakeDroppedTime(GuiTimeRow& row);
    void TakeNow(GuiTimeRow& row, uint16_t part);
    void Select(GuiTimeRow& row, uint16_t mode);
    void TakeSource();
    void ApplyToTargets();
    void UndoLastChange();
    void StartRun();
    void EndRun(bool report);
    void ShowProgressTexts(const RawLayer::RawString& title, const RawLayer::RawString& target);
    void ShowProgress();
    void CancelAndClose();
    bool OverCloseButton() const;
    void ReportUndo(const UndoResult& undone, const FailedFiles& failed, uint32_t putBack);
    void ReportRun(uint32_t failures, const FailedFiles& failed, bool cancelled, uint32_t changed,
                   const FileTimeJournal* journal);
    void SwitchUtc();
    void SetFlag(WinLayer::WinCheckBox& check, uint16_t flag);
    void Close();
    void Restart();
    bool ReadSourceTime(const RawLayer::RawString& path, FileTimeValue& value);
    void Warn(const char* tag, const RawLayer::RawString& detail, uint32_t count = 0);
    void SaveWindowRect();
    // What the window writes as it goes: its restored rectangle (while restored) and the
    // language file's missing texts.
    void SaveState();

    GuiTMenuExecution titleMenu_;
    GuiMainControls controls_;
    WinLayer::WinViewResize layout_[kLayoutCount];
    FileTimeSettings* settings_ = nullptr;  // borrowed from start-up's job
    GuiProfile& gui_;                       // borrowed
    bool stateSaved_ = false;               // by a restart: the window's end writes nothing more
    // The drop being applied, and what the dialog keeps for it.
    RawLayer::RawString progressText_;  // the count text, looked up as the run starts
    RawLayer::RawString targetText_;    // the target box's own text while it shows the count
    HWND focusBeforeRun_ = nullptr;     // a child that had the focus, given it back at the end
    uint32_t progressShown_ = 0;        // files the title shows; 0: the plain title
    bool closeAfterRun_ = false;
    std::unique_ptr<FileTimeJournal> journal_;  // the drop's, written by its worker
    GuiApplyRun run_{kFailedNamesShown};        // last: its worker is joined before the rest goes
};

}  // namespace AppLayer
