#include "WinLayer/WinFont.h"

#include "WinLayer/WinGdiObjects.h"

namespace WinLayer {

WinFont::WinFont() : handle_(nullptr), logFont_() {}

WinFont::WinFont(const LOGFONTW& logFont) : handle_(nullptr), logFont_() { Create(logFont); }

WinFont::~WinFont() { Release(); }

// Counted with the other GDI owners, so leak checks see fonts too.
void WinFont::Release() {
    if (handle_ && DeleteObject(handle_)) --LiveGdiObjects();
    handle_ = nullptr;
}

bool WinFont::Create(const LOGFONTW& logFont) {
    Release();
    logFont_ = logFont;
    // A description from elsewhere may lack the terminator; CreateFontIndirectW would read on.
    logFont_.lfFaceName[LF_FACESIZE - 1] = 0;
    handle_ = CreateFontIndirectW(&logFont_);
    if (handle_) ++LiveGdiObjects();
    return handle_ != nullptr;
}

LOGFONTW WinFont::DefaultLogFont() {
    LOGFONTW logFont = {};
    logFont.lfHeight = 12;
    logFont.lfCharSet = DEFAULT_CHARSET;
    return logFont;
}

}  // namespace WinLayer
