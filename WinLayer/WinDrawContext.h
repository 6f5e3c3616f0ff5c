// WinDrawContext: a borrowed device context that remembers the font, pen and brush it
// replaced and the text colour and background mode it changed, and puts them all back when it
// is released. It never frees the context or the objects selected through it: an object
// selected here must outlive the WinDrawContext (declare the context after the object), or be
// put back earlier with Restore().
#pragma once

#include <windows.h>

namespace WinLayer {

class WinDrawContext {
public:
    explicit WinDrawContext(HDC dc) : dc_(dc) {}
    ~WinDrawContext() { Restore(); }
    WinDrawContext(const WinDrawContext&) = delete;
    WinDrawContext& operator=(const WinDrawContext&) = delete;

    HDC Get() const { return dc_; }

    // Each selects the object (nothing for a null context or object) and keeps the object it
    // replaced first, so that several selections of one kind restore the original.
    void SelectFont(HFONT font) { Select(font, saved_[kFont]); }
    void SelectPen(HPEN pen) { Select(pen, saved_[kPen]); }
    void SelectBrush(HBRUSH brush) { Select(brush, saved_[kBrush]); }
    void SetTextColour(COLORREF colour);
    void SetTransparentBackground();

    // Puts back everything replaced so far; the context can be used again afterwards.
    void Restore();

private:
    enum Kind { kFont, kPen, kBrush, kKinds };
    void Select(HGDIOBJ object, HGDIOBJ& saved);

    HDC dc_;
    HGDIOBJ saved_[kKinds] = {};
    COLORREF savedTextColour_ = CLR_INVALID;
    int savedBackgroundMode_ = 0;  // 0: unchanged
};

}  // namespace WinLayer
