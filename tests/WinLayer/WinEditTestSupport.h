// Helpers for edit box tests: keys and mouse as real messages through a message loop, drops
// built as the shell builds them, and text measured independently of the box.
#pragma once

#include <windows.h>
// after windows.h, whose types it uses
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "RawLayer/RawString.h"
#include "RawLayer/ShellDrop.h"
#include "WinLayer/WinEnvironment.h"
#include "WinLayer/WinView.h"
#include "WinLayer/WinViewList.h"

namespace WinLayerTest {

// The views whose queued messages PumpWide offers to them first, as a dialog does for its
// children that ask for it; null: none.
inline const WinLayer::WinViewList*& LoopViews() {
    static const WinLayer::WinViewList* views = nullptr;
    return views;
}

// The thread's queue as the dialog loop runs it: the wide calls, queued messages offered first
// to the views of LoopViews() that ask for them.
inline void PumpWide() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        WinLayer::WinView* view = LoopViews() ? LoopViews()->FindByWindow(message.hwnd) : nullptr;
        if (view && (view->Property().flags & WinLayer::kViewPreTranslate) &&
            view->PreTranslateMessage(message.message, message.wParam, message.lParam, message.pt)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Ctrl and Shift as GetKeyState sees them, for one scope.
class HeldKeys {
public:
    HeldKeys(bool control, bool shift) {
        GetKeyboardState(saved_);
        BYTE state[256];
        std::memcpy(state, saved_, sizeof(state));
        const BYTE down = 0x80;
        state[VK_CONTROL] = control ? down : 0;
        state[VK_LCONTROL] = control ? down : 0;
        state[VK_SHIFT] = shift ? down : 0;
        state[VK_LSHIFT] = shift ? down : 0;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256] = {};
};

constexpr int kControl = 1;
constexpr int kShift = 2;

// A key pressed and released on window, through the queue (TranslateMessage makes its WM_CHAR).
inline void PressKey(HWND window, UINT key, int held = 0) {
    HeldKeys keys((held & kControl) != 0, (held & kShift) != 0);
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(window, WM_KEYDOWN, key, scan | 1);
    PumpWide();
    PostMessageW(window, WM_KEYUP, key, scan | 1 | (static_cast<LPARAM>(3) << 30));
    PumpWide();
}

inline void TypeUnits(HWND window, const std::wstring& units) {
    for (wchar_t unit : units) PostMessageW(window, WM_CHAR, unit, 1);
    PumpWide();
}

inline LPARAM PointParameter(POINT point) { return MAKELPARAM(point.x, point.y); }

using ShellDrop::MakeDrop;

// DragFinish frees the block; a freed movable handle has no size.
inline bool IsFinished(HDROP drop) { return GlobalSize(static_cast<HGLOBAL>(drop)) == 0; }

inline std::wstring WideOf(const RawLayer::RawString& text) {
    const RawLayer::RawString wide(text, RawLayer::Wide);
    return wide.IsEmpty() ? std::wstring() : std::wstring(wide.WideUnits(), wide.Length());
}

// The width of text in the framework's default font, measured without the box.
inline int TextWidth(const std::wstring& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, WinLayer::Environment().DefaultFont().Handle());
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

// The clipboard's Unicode text, read directly.
inline std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (auto* units = block ? static_cast<const wchar_t*>(GlobalLock(block)) : nullptr) {
        text = units;
        GlobalUnlock(block);
    }
    CloseClipboard();
    return text;
}

inline bool PutClipboard(const std::wstring& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) return GlobalFree(block), false;
    EmptyClipboard();
    const bool put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    if (!put) GlobalFree(block);
    CloseClipboard();
    return put;
}

// A clipboard that holds a picture and no text.
inline bool PutClipboardPicture() {
    HBITMAP picture = CreateBitmap(4, 4, 1, 32, nullptr);
    if (!OpenClipboard(nullptr)) return DeleteObject(picture), false;
    EmptyClipboard();
    const bool put = SetClipboardData(CF_BITMAP, picture) != nullptr;
    if (!put) DeleteObject(picture);
    CloseClipboard();
    return put;
}

}  // namespace WinLayerTest
