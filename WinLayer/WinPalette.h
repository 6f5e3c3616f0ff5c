// The fixed colours the self-drawn controls share, and the shading that derives a darker colour
// from the system face colour.
#pragma once

#include <windows.h>

namespace WinLayer {

constexpr COLORREF kGreyText = 0xA0A0A0;  // the text of a disabled control
constexpr int kShadeParts = 10;           // the buttons' face and the drop box: Darkened(face, 10)

// colour with each channel v made v - v * parts / 256.
inline COLORREF Darkened(COLORREF colour, int parts) {
    auto shade = [parts](int v) { return static_cast<BYTE>(v - v * parts / 256); };
    return RGB(shade(GetRValue(colour)), shade(GetGValue(colour)), shade(GetBValue(colour)));
}

}  // namespace WinLayer
