// GuiTimeBox: the main dialog's edit box for one part of the chosen time: the date, the time of
// day or the milliseconds. It shows that part of a value and, instead of pasting the names of
// a drop, keeps the first dropped name for the dialog and tells it. Typing, selection, undo and
// the clipboard are the edit box's own. The box owns its dropped name.
#pragma once

#include <windows.h>

#include <cstdint>

#include "AppLayer/FileTimeValue.h"
#include "RawLayer/RawString.h"
#include "WinLayer/WinEditBox.h"

namespace AppLayer {

// Which part a time box shows.
constexpr uint16_t kTimeBoxDate = 0x1;
constexpr uint16_t kTimeBoxTime = 0x2;
constexpr uint16_t kTimeBoxMSec = 0x4;

class GuiTimeBox : public WinLayer::WinEditBox {
public:
    // Tab moves the focus on from a time box instead of typing a tab into it.
    GuiTimeBox();

    // WM_DROPFILES is the box's own; every other message is the edit box's.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The box's part of value, as brokenDown shows it (so in the value's own zone), becomes its
    // text: date yyyy/mm/dd (at least four year digits), time hh:mm:ss, milliseconds with at
    // least three digits. Nothing for a box of no kind.
    void ShowValue(const FileTimeValue& value);

    RawLayer::RawString droppedName;  // the first name of the last drop, read by the dialog
    uint16_t kind = 0;                // kTimeBoxDate, kTimeBoxTime or kTimeBoxMSec

private:
    LRESULT OnDropFiles(HDROP drop);
};

}  // namespace AppLayer
