// WinEnvironment: the window framework's process-wide record, made on first use through
// Environment() and destroyed at exit. It owns the default font; views borrow it.
#pragma once

#include <windows.h>

#include "RawLayer/RawString.h"
#include "WinLayer/WinFont.h"

namespace WinLayer {

class WinEnvironment {
public:
    WinEnvironment();
    WinEnvironment(const WinEnvironment&) = delete;
    WinEnvironment& operator=(const WinEnvironment&) = delete;

    // Used for window creation, class registration and icon loading. Starts as the module
    // of the executable until start-up sets the instance it received.
    HINSTANCE Instance() const { return instance_; }
    void SetInstance(HINSTANCE instance) { instance_ = instance; }

    // The font of every view without a font of its own or of its parents.
    const WinFont& DefaultFont() const { return defaultFont_; }
    // Deletes the old font object, then makes the new one; false when none could be made.
    bool ReplaceDefaultFont(const LOGFONTW& logFont) { return defaultFont_.Create(logFont); }

    // Spacing between controls, in pixels.
    int StandardGap() const { return standardGap_; }
    void SetStandardGap(int gap) { standardGap_ = gap; }

    // Class names and window texts are converted to this encoding before a platform call.
    RawLayer::StringEncoding TextEncoding() const { return RawLayer::Utf8; }

private:
    HINSTANCE instance_;
    WinFont defaultFont_;
    int standardGap_;
};

WinEnvironment& Environment();

}  // namespace WinLayer
