// Notification codes that the framework's controls send or post to their own window as
// WM_COMMAND (high word = code, low word = identifier); through OnCommand they reach the
// parent's OnChildNotify. NotifyCancel (Escape in any view) lives with WinView.
#pragma once

namespace WinLayer {

constexpr int NotifyEnter = 0x1002;      // Enter; a double click on a list's cursor row
constexpr int NotifyDownKey = 0x1003;    // Down in a single-line edit box that asks for it
constexpr int NotifyFocusLost = 0x1005;  // a box lost the keyboard focus
constexpr int NotifyChanged = 0x1006;    // an edit box's text changed
constexpr int NotifyDropped = 0x1007;    // file names were dropped on an edit box
constexpr int NotifySelection = 0x1008;  // a list's cursor or selection changed
constexpr int NotifyScrolled = 0x100A;   // a scroll-bar update found the scroll positions changed

}  // namespace WinLayer
