// What the select dialog's tests share: a picture of a window as it stands on the screen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "WinLayer/WinPixelSupport.h"

namespace AppLayerTest {

// The window as it stands on the screen, written under the build folder for a person to look
// at: whole, caption and frames included, or its client area only. Painted at once: a message
// pump here would run a step script's next step.
inline void KeepWindowPicture(HWND window, const char* name, bool whole = true) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT rect = {};
    if (whole) {
        GetWindowRect(window, &rect);
    } else {
        GetClientRect(window, &rect);
    }
    WinLayerTest::PixelCanvas canvas(rect.right - rect.left, rect.bottom - rect.top);
    HDC dc = whole ? GetWindowDC(window) : GetDC(window);
    BitBlt(canvas.Get(), 0, 0, canvas.Width(), canvas.Height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    EXPECT_TRUE(WinLayerTest::WritePicture(canvas, name));
}

}  // namespace AppLayerTest
