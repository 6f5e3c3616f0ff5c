// WinEditBar: the edit box's context menu. Its texts come from the language file under the
// table "EditBar" (the built-in defaults stand where the file lacks them); a chosen item is
// one of the commands below, which the box carries out.
#pragma once

#include <windows.h>

#include <cstdint>

namespace WinLayer {

// Commands of the edit bar, posted to the box as FrameworkMessage (wParam).
enum WinEditBarCommand : int {
    kEditBarCancel = 1,
    kEditBarUndo = 2,
    kEditBarCopy = 3,
    kEditBarPaste = 4,
    kEditBarDelete = 5,
    kEditBarSelectAll = 6,
    kEditBarInsertTab = 7,
    kEditBarIme = 8,
    kEditBarRegister = 9,
};

// What the items' presence and states depend on.
struct WinEditBarState {
    bool withCancel;  // "Cancel" first, then a separator
    bool canUndo;     // not read-only and something to undo
    bool hasIme;      // the box has an input context
};

// The popup menu for state; the caller destroys it. Null when no menu could be made.
HMENU BuildEditBar(const WinEditBarState& state);

// Tracks menu (destroyed before the call returns) at a client point of window; the chosen
// command, 0 for none.
int TrackEditBar(HWND window, POINT client, HMENU menu);

}  // namespace WinLayer
