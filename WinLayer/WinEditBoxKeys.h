// WinEditBoxKeys: the edit box's key table (WM_KEYDOWN), Ctrl letters included. It acts on
// the box through the box's own operations; it belongs to the box it serves, which outlives it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace WinLayer {

class WinEditBox;

class WinEditBoxKeys {
public:
    explicit WinEditBoxKeys(WinEditBox& box) : box_(box) {}
    WinEditBoxKeys(const WinEditBoxKeys&) = delete;
    WinEditBoxKeys& operator=(const WinEditBoxKeys&) = delete;

    // Acts on a key of the table with the Ctrl and Shift states of the moment; false for a key
    // that is not the box's (Tab that moves the focus, Space, function keys, other Ctrl letters).
    bool OnKeyDown(WPARAM key);

private:
    bool OnEditingKey(WPARAM key, bool control, bool shift);
    bool OnMovingKey(WPARAM key, bool control, bool shift);
    bool OnControlLetter(WPARAM key);
    void Backspace();
    void DeleteForward();
    void Enter(bool control);
    void MoveLeft(bool shift);
    void MoveRight(bool shift);
    void MoveHome(bool shift);
    void MoveVertically(int32_t lines, bool extend);
    void UpOrDown(bool down, bool shift);

    WinEditBox& box_;
};

}  // namespace WinLayer
