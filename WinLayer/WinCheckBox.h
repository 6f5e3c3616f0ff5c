// WinCheckBox: a WinButton that draws only a check square; its owner puts a label beside it
// and sets the toggle bit.
#pragma once

#include <windows.h>

#include "WinLayer/WinButton.h"

namespace WinLayer {

class WinCheckBox : public WinButton {
public:
    WinCheckBox();
    virtual ~WinCheckBox() = default;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The text's rectangle made square: as wide as it is high, plus 1.
    void MeasureText(RECT& rect) const override;

private:
    void Draw(const DRAWITEMSTRUCT& item);
};

}  // namespace WinLayer
