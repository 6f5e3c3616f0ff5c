#include "AppLayer/GuiTimeBox.h"

#include "RawLayer/RawTimeText.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinDropHandle.h"

namespace AppLayer {

using RawLayer::RawString;

GuiTimeBox::GuiTimeBox() : droppedName(RawLayer::Wide, 0) { editFlags |= WinLayer::kEditTabMovesFocus; }

LRESULT GuiTimeBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES) return OnDropFiles(reinterpret_cast<HDROP>(wParam));
    return WinEditBox::HandleMessage(message, wParam, lParam);
}

void GuiTimeBox::ShowValue(const FileTimeValue& value) {
    RawString shown;
    if (kind & kTimeBoxDate) {
        shown = RawLayer::FormatDate(value.brokenDown, '/');
    } else if (kind & kTimeBoxTime) {
        shown = RawLayer::FormatTime(value.brokenDown, ':');
    } else if (kind & kTimeBoxMSec) {
        shown = RawLayer::FormatMSec(value.brokenDown);
    } else {
        return;
    }
    SetText(shown);
    UpdateWindowText();
}

// The first name, whole, becomes the dropped name and the dialog is told once; the text stays.
// The drop is finished in every case. A drop without a readable name tells nothing.
LRESULT GuiTimeBox::OnDropFiles(HDROP drop) {
    WinLayer::WinDropHandle handle(drop);
    const bool any = drop && WinLayer::DroppedFileCount(drop) > 0;
    droppedName = any ? WinLayer::DroppedFileName(drop, 0, RawLayer::Wide) : RawString(RawLayer::Wide, 0);
    if (!droppedName.IsEmpty()) PostNotice(WinLayer::NotifyDropped);
    return 0;
}

}  // namespace AppLayer
