// WinButton: a subclassed owner-drawn system button that the framework draws itself, with
// round corners, outer frames, a toggle state and a click code posted after every click.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawString.h"
#include "WinLayer/WinDrawContext.h"
#include "WinLayer/WinView.h"

namespace WinLayer {

// Button style bits.
constexpr uint32_t kButtonRoundTopLeft = 0x0001;
constexpr uint32_t kButtonRoundBottomLeft = 0x0002;
constexpr uint32_t kButtonRoundTopRight = 0x0004;
constexpr uint32_t kButtonRoundBottomRight = 0x0008;
constexpr uint32_t kButtonFrameLeft = 0x0010;
constexpr uint32_t kButtonFrameRight = 0x0020;
constexpr uint32_t kButtonFrameTop = 0x0040;
constexpr uint32_t kButtonFrameBottom = 0x0080;
constexpr uint32_t kButtonFrames = 0x00F0;
constexpr uint32_t kButtonToggle = 0x1000;  // a click flips the checked state

// A button's own state besides its view.
class WinButtonDraw {
public:
    uint32_t buttonStyle = 0;
    uint8_t focus = 0;       // the window has the keyboard focus
    uint8_t checked = 0;     // the system control is told by BM_SETCHECK; the owner reads it here
    uint32_t clickCode = 0;  // posted to the button as a notification after every click; 0 none
};

class WinButton : public WinView, public WinButtonDraw {
public:
    WinButton();

    // Every "\n" (backslash, n) of the caption becomes a line break; an empty caption leaves the
    // text as it is.
    void ConfigureButton(const RawLayer::RawString& caption, uint32_t style, uint32_t code);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnCommand(int code) override;
    // Sets the checked state, tells the system control and has the button drawn anew.
    void SetChecked(bool set);
    // Draws the caption into rect (already placed vertically) in the colour of the draw state.
    virtual void DrawCaption(WinDrawContext& dc, RECT& rect, uint32_t drawState);

protected:
    // The draw state of an owner-draw item state: style, checked, pushed/focused/disabled.
    uint32_t DrawStateOf(UINT itemState) const;

private:
    void Draw(const DRAWITEMSTRUCT& item);
    void DrawFace(WinDrawContext& dc, RECT face, uint32_t drawState);
    LRESULT PostClick();
    LRESULT Navigate(bool backwards);
};

}  // namespace WinLayer
