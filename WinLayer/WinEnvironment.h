// WinEnvironment: the window framework's process-wide record, made on first use through
// Environment() and destroyed at exit. It owns the default font; views borrow it, and windows
// hold its handle from WM_SETFONT, so a replaced default font lives on until the record ends.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "RawLayer/RawString.h"
#include "WinLayer/WinFont.h"

namespace WinLayer {

class WinEnvironment {
public:
    WinEnvironment();
    ~WinEnvironment();
    WinEnvironment(const WinEnvironment&) = delete;
    WinEnvironment& operator=(const WinEnvironment&) = delete;

    // Used for window creation, class registration and icon loading. Starts as the module
    // of the executable until start-up sets the instance it received.
    HINSTANCE Instance() const { return instance_; }
    void SetInstance(HINSTANCE instance) { instance_ = instance; }

    // The font of every view without a font of its own or of its parents. The font object is
    // made on the first call, so a run that opens no window never loads the drawing library.
    const WinFont& DefaultFont() const;
    // What the default font is made from; asking does not make it.
    const LOGFONTW& DefaultFontDescription() const { return defaultDescription_; }
    // Takes a new description. A font object already made is replaced at once by a new one;
    // the old one is kept, not deleted, since windows may still draw with it. False when no new
    // font could be made: the old one then stays the default. Without a font made yet, the
    // font is made from the new description at first use.
    bool ReplaceDefaultFont(const LOGFONTW& logFont);

    // Spacing between controls, in pixels.
    int StandardGap() const { return standardGap_; }
    void SetStandardGap(int gap) { standardGap_ = gap; }

    // Memory contexts compatible with the screen for measuring text and drawing off screen,
    // lent and taken back (WinDrawing's LentMemoryDC): a window's context or a new memory
    // context costs a round trip to the display each time, and every measure and every paint
    // of a control needs one. A context comes back in the state it was lent in. For the window
    // thread only; deleted with the record, so not counted among the live GDI objects. Null
    // when none could be made.
    HDC LendMemoryContext();
    void TakeBackMemoryContext(HDC context);

    // Class names and window texts are converted to this encoding before a platform call.
    RawLayer::StringEncoding TextEncoding() const { return RawLayer::Utf8; }

private:
    HINSTANCE instance_;
    LOGFONTW defaultDescription_;
    mutable std::unique_ptr<WinFont> defaultFont_;         // made from defaultDescription_ at first use
    std::vector<std::unique_ptr<WinFont>> replacedFonts_;  // handed out once; deleted with the record
    int standardGap_;
    std::vector<HDC> spareContexts_;  // lent ones are not here
};

WinEnvironment& Environment();

}  // namespace WinLayer
