#include "WinLayer/WinDrawContext.h"

namespace WinLayer {

void WinDrawContext::Select(HGDIOBJ object, HGDIOBJ& saved) {
    if (!dc_ || !object) return;
    HGDIOBJ previous = SelectObject(dc_, object);
    // SelectObject answers null (or HGDI_ERROR for regions) when it fails: nothing to restore.
    if (!saved && previous && previous != HGDI_ERROR) saved = previous;
}

void WinDrawContext::SetTextColour(COLORREF colour) {
    if (!dc_) return;
    COLORREF previous = SetTextColor(dc_, colour);
    if (savedTextColour_ == CLR_INVALID) savedTextColour_ = previous;
}

void WinDrawContext::SetTransparentBackground() {
    if (!dc_) return;
    int previous = SetBkMode(dc_, TRANSPARENT);
    if (savedBackgroundMode_ == 0) savedBackgroundMode_ = previous;
}

void WinDrawContext::Restore() {
    if (!dc_) return;
    for (HGDIOBJ& saved : saved_) {
        if (saved) SelectObject(dc_, saved);
        saved = nullptr;
    }
    if (savedTextColour_ != CLR_INVALID) SetTextColor(dc_, savedTextColour_);
    savedTextColour_ = CLR_INVALID;
    if (savedBackgroundMode_ != 0) SetBkMode(dc_, savedBackgroundMode_);
    savedBackgroundMode_ = 0;
}

}  // namespace WinLayer
