// GuiDropBox: the shaded, framed area of the main dialog onto which files and folders are
// dropped from the shell. It shows a prompt of one or more lines, keeps the full names of the
// last drop and posts its command number to itself after each drop, so that its dialog hears of
// it through OnChildNotify. The box owns the list of names; its dialog reads it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawList.h"
#include "WinLayer/WinView.h"

namespace AppLayer {

class GuiDropBox : public WinLayer::WinView {
public:
    GuiDropBox();

    // WM_DRAWITEM draws the box, WM_DROPFILES takes a drop; the rest goes to WinView.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The text's rectangle with line margin between its lines; also sets the line height.
    void MeasureText(RECT& rect) const override;

    // Posted as the notification code after each drop; 0 until the dialog sets it.
    uint16_t CommandNumber() const { return commandNumber_; }
    void SetCommandNumber(uint16_t number) { commandNumber_ = number; }
    // Full names of the last drop, in drop order; empty before the first drop.
    const RawLayer::RawStringList& DroppedNames() const { return droppedNames_; }
    // Height of one text line; 0 until the text is measured.
    int32_t LineHeight() const { return lineHeight_; }
    // Extra pixels between text lines.
    int32_t LineMargin() const { return lineMargin_; }
    void SetLineMargin(int32_t margin) { lineMargin_ = margin; }

private:
    LRESULT TakeDrop(HDROP drop);
    void Draw(const DRAWITEMSTRUCT& item);

    uint16_t commandNumber_ = 0;
    RawLayer::RawStringList droppedNames_;
    mutable int32_t lineHeight_ = 0;  // a result of measuring, which is const
    int32_t lineMargin_ = 0;
};

}  // namespace AppLayer
