// WinFont: a font object and the LOGFONTW it was made from. The WinFont owns its handle and
// deletes it when replaced or destroyed; views only borrow a WinFont by pointer, so the WinFont
// must outlive every view that refers to it.
#pragma once

#include <windows.h>

namespace WinLayer {

class WinFont {
public:
    WinFont();
    explicit WinFont(const LOGFONTW& logFont);
    ~WinFont();
    WinFont(const WinFont&) = delete;
    WinFont& operator=(const WinFont&) = delete;

    // Deletes the current font object first, then makes one from logFont; false when the
    // system made none (the description is kept either way).
    bool Create(const LOGFONTW& logFont);
    HFONT Handle() const { return handle_; }
    const LOGFONTW& LogFont() const { return logFont_; }

    // All zero except height 12 and DEFAULT_CHARSET: the framework's starting description.
    static LOGFONTW DefaultLogFont();

private:
    void Release();

    HFONT handle_;  // may be null
    LOGFONTW logFont_;
};

}  // namespace WinLayer
