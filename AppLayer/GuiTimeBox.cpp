#include "AppLayer/GuiTimeBox.h"

#include "RawLayer/RawDroppedFiles.h"
#include "RawLayer/RawTimeText.h"
#include "WinLayer/WinCalls.h"

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
    RawLayer::RawDroppedFiles handle(drop);
    const RawLayer::RawStringList names = RawLayer::DroppedFileNames(drop);
    droppedName = names.Count() > 0 ? *names.First() : RawString(RawLayer::Wide, 0);
    if (!droppedName.IsEmpty()) PostNotice(WinLayer::NotifyDropped);
    return 0;
}

}  // namespace AppLayer
