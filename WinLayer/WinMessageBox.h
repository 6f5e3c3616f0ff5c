// Warning message boxes, narrow or wide by the texts' encodings.
#pragma once

#include <windows.h>

#include "RawLayer/RawString.h"

namespace WinLayer {

// Blocks until the user dismisses the box; the answer is not used. Without an owner window.
void ShowWarning(const RawLayer::RawString& text, const RawLayer::RawString& caption);
// As above, modal over owner (null: none), which is disabled while the box is open.
void ShowWarning(HWND owner, const RawLayer::RawString& text, const RawLayer::RawString& caption);

}  // namespace WinLayer
