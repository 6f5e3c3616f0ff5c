// Warning message boxes without an owner window, narrow or wide by the texts' encodings.
#pragma once

#include "RawLayer/RawString.h"

namespace WinLayer {

// Blocks until the user dismisses the box; the answer is not used.
void ShowWarning(const RawLayer::RawString& text, const RawLayer::RawString& caption);

}  // namespace WinLayer
