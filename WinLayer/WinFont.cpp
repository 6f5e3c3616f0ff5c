#include "WinLayer/WinFont.h"

namespace WinLayer {

WinFont::WinFont() : handle_(nullptr), logFont_() {}

WinFont::WinFont(const LOGFONTW& logFont) : handle_(nullptr), logFont_() { Create(logFont); }

WinFont::~WinFont() {
    if (handle_) DeleteObject(handle_);
}

bool WinFont::Create(const LOGFONTW& logFont) {
    if (handle_) DeleteObject(handle_);
    logFont_ = logFont;
    // A description from elsewhere may lack the terminator; CreateFontIndirectW would read on.
    logFont_.lfFaceName[LF_FACESIZE - 1] = 0;
    handle_ = CreateFontIndirectW(&logFont_);
    return handle_ != nullptr;
}

LOGFONTW WinFont::DefaultLogFont() {
    LOGFONTW logFont = {};
    logFont.lfHeight = 12;
    logFont.lfCharSet = DEFAULT_CHARSET;
    return logFont;
}

}  // namespace WinLayer
