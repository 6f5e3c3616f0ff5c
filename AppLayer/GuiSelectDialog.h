// GuiSelectDialog: the modal dialog that picks a date (year, month, day) or a time of day (hour,
// minute, second) from three number lists. The owner sets it up for one use, runs it and reads
// the value back; the dialog owns its controls, and the owner view must outlive the run.
#pragma once

#include <windows.h>

#include <cstdint>

#include "AppLayer/FileTimeValue.h"
#include "AppLayer/GuiSelectBox.h"
#include "AppLayer/GuiSelectDialogIds.h"
#include "WinLayer/WinButton.h"
#include "WinLayer/WinDialog.h"
#include "WinLayer/WinStaticBox.h"

namespace AppLayer {

class GuiSelectDialog : public WinLayer::WinDialog {
public:
    GuiSelectDialog();
    ~GuiSelectDialog() override;

    // Sets up for selectMode (kSelectDate or kSelectTime) with chosen, runs modally over owner
    // and returns 1 after Finish, with the mode's three fields of chosen replaced by the numbers
    // picked (the rest untouched); 0 after Cancel, Escape or close, chosen untouched. The main
    // dialog then merges chosen with MergeSelection.
    int32_t Run(WinLayer::WinView* owner, uint16_t selectMode, SYSTEMTIME& chosen);
    // The set-up before RunModal: texts, layout, size and place centred on the owner's window
    // (or the work area without one), inside the primary work area and as tall as the owner.
    void SetUp(WinLayer::WinView* owner, uint16_t selectMode, const SYSTEMTIME& handedIn);

    void OnCreated() override;
    LRESULT OnChildNotify(WinLayer::WinView* child, int code) override;
    bool AdjustTrackLimits(SIZE& shrink, SIZE& growth) override;
    void LayoutChildren() override;
    void OnCreateWindow() override;
    // Anchors both groups to followed (the client rectangle, which must outlive the dialog); each keeps its size at
    // this moment.
    virtual void SetGroupAnchors(const RECT& followed);
    // Texts, control settings and the layout against the groups; gives the client size.
    virtual void BuildControls(RECT& client, WinLayer::WinViewResize& lists, WinLayer::WinViewResize& buttons);

    uint16_t mode = 0;
    SYSTEMTIME value = {};           // handed in; after Finish, the mode's three fields are the chosen ones
    WinLayer::WinViewResize groupA;  // the lists row
    WinLayer::WinViewResize groupB;  // the buttons row
    GuiSelectBox firstList;
    WinLayer::WinStaticBox firstSeparator;
    GuiSelectBox secondList;
    WinLayer::WinStaticBox secondSeparator;
    GuiSelectBox thirdList;
    WinLayer::WinButton finishButton;
    WinLayer::WinButton cancelButton;

private:
    void Finish();
    void End(int32_t code);
    void FillLists();
    void PlaceOver(const RECT& owner);
    void BuildListsRow(WinLayer::WinViewResize& lists);
    void BuildButtonsRow(WinLayer::WinViewResize& buttons);

    HWND ownerWindow_ = nullptr;  // the window the dialog stays above while it is open; borrowed
};

// Puts a calendar form picked in mode into target with the settings' flags, whose part bits give
// way to the mode's. A date its month does not have (31 April) becomes the month's last day.
bool MergeSelection(FileTimeValue& target, const SYSTEMTIME& chosen, uint16_t mode, uint16_t settingsFlags);

}  // namespace AppLayer
