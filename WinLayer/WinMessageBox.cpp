#include "WinLayer/WinMessageBox.h"

#include "RawLayer/RawCallText.h"

using RawLayer::RawString;

namespace WinLayer {

void ShowWarning(const RawString& text, const RawString& caption) { ShowWarning(nullptr, text, caption); }

void ShowWarning(HWND owner, const RawString& text, const RawString& caption) {
    const UINT style = MB_OK | MB_ICONWARNING;
    if (RawLayer::UsesNarrowCall(RawLayer::NativeCallForm(text, caption))) {
        MessageBoxA(owner, RawLayer::NarrowText(text), RawLayer::NarrowText(caption), style);
        return;
    }
    MessageBoxW(owner, RawLayer::WideText(text).Get(), RawLayer::WideText(caption).Get(), style);
}

}  // namespace WinLayer
