#include "WinLayer/WinCheckBox.h"

#include "WinLayer/WinDrawing.h"
#include "WinLayer/WinRect.h"

namespace WinLayer {

WinCheckBox::WinCheckBox() { margins = {0, 0, 0, 0}; }

LRESULT WinCheckBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DRAWITEM) return WinButton::HandleMessage(message, wParam, lParam);
    if (lParam) Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return 1;
}

void WinCheckBox::MeasureText(RECT& rect) const {
    WinButton::MeasureText(rect);
    rect.right = rect.left + (rect.bottom - rect.top) + 1;
}

void WinCheckBox::Draw(const DRAWITEMSTRUCT& item) {
    WinDrawContext dc(item.hDC);
    FillSolid(dc, item.rcItem, SystemColours().face);
    RECT square = Inset(item.rcItem, margins);
    UINT state = DFCS_BUTTONCHECK;
    if (item.itemState & (ODS_GRAYED | ODS_DISABLED)) state |= DFCS_INACTIVE;
    if (checked) state |= DFCS_CHECKED;
    DrawFrameControl(item.hDC, &square, DFC_BUTTON, state);
}

}  // namespace WinLayer
