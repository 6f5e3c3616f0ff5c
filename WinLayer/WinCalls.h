// Wrappers of the platform calls that take text. Each picks the narrow (...A) or wide (...W)
// entry point from the native call form of its string arguments; callers never choose.
// Results are passed on as the platform gives them; GetLastError is left to the caller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "RawLayer/RawString.h"

namespace WinLayer {

HWND CreateViewWindow(DWORD exStyle, const RawLayer::RawString& className, const RawLayer::RawString& windowName,
                      DWORD style, int x, int y, int width, int height, HWND parent, HMENU menuOrIdentifier,
                      HINSTANCE instance, void* creationParameter);

// Style CS_HREDRAW | CS_VREDRAW, background COLOR_BTNFACE + 1, a menu only when menuName is
// not empty. procedure null: WinDialog::WindowProcedure, whose windows take their WinDialog as
// creation parameter.
ATOM RegisterViewClass(HINSTANCE instance, HICON icon, HCURSOR cursor, const RawLayer::RawString& menuName,
                       const RawLayer::RawString& className, HICON smallIcon, WNDPROC procedure = nullptr);

bool SetViewWindowText(HWND window, const RawLayer::RawString& text);

bool InsertMenuText(HMENU menu, UINT position, UINT flags, UINT_PTR identifier, const RawLayer::RawString& text);

// Number of names in a drop. Both drop calls pass on to RawLayer/RawDroppedFiles.h, which also
// owns and finishes drop handles.
UINT DroppedFileCount(HDROP drop);
// The whole name at index in the requested encoding; empty when there is none.
RawLayer::RawString DroppedFileName(HDROP drop, UINT index, RawLayer::StringEncoding encoding);

struct WinTextExtent {
    bool ok = false;
    int32_t fitCount = 0;      // code units of the range that fit
    SIZE size = {};            // of the whole range
    std::vector<int> extents;  // per code unit of the range: extent to the end of its character
};

// Partial extents of the clipped range [first, end) of text, with no width limit.
WinTextExtent TextExtentWithFit(HDC dc, const RawLayer::RawString& text, int32_t first, int32_t end);

// Maps partial extents of the UTF-16 form of UTF-8 bytes back to the bytes: every byte of a
// sequence gets the extent of its character, a surrogate pair counts as one character.
// byteExtents has room for byteCount values. Returns the fit count in bytes.
int32_t MapExtentsToUtf8(const uint8_t* bytes, int32_t byteCount, const wchar_t* wide, int32_t wideCount,
                         const int* wideExtents, int32_t wideFit, int* byteExtents);

// DrawTextEx over the clipped range [first, end) with tab length 4 and no margins; returns
// the text height (0 on failure). DT_MODIFYSTRING is never passed on: the text is shared.
int DrawTextRange(HDC dc, const RawLayer::RawString& text, int32_t first, int32_t end, RECT& rect, UINT format);
// As DrawTextRange with DT_CALCRECT. An empty range has the height of one line and width 0.
int MeasureTextRange(HDC dc, const RawLayer::RawString& text, int32_t first, int32_t end, RECT& rect, UINT format);

}  // namespace WinLayer
