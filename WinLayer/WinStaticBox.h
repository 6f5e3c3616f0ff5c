// WinStaticBox: a text label on an owner-drawn system static window. The window is not
// subclassed, so the box is never a tab stop and sees only what its dialog forwards to it.
#pragma once

#include <windows.h>

#include "WinLayer/WinView.h"

namespace WinLayer {

// Band colour of a box without a band.
constexpr COLORREF kNoBand = static_cast<COLORREF>(-1);

class WinStaticBox : public WinView {
public:
    WinStaticBox();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    COLORREF backgroundColour;      // the system face colour at first
    COLORREF bandColour = kNoBand;  // fills the lower half when set
    COLORREF textColour;            // the system window text colour at first

private:
    void Draw(const DRAWITEMSTRUCT& item);
};

}  // namespace WinLayer
