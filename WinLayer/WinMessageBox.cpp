#include "WinLayer/WinMessageBox.h"

using RawLayer::RawString;

namespace WinLayer {

void ShowWarning(const RawString& text, const RawString& caption) { ShowWarning(nullptr, text, caption); }

void ShowWarning(HWND owner, const RawString& text, const RawString& caption) {
    const UINT style = MB_OK | MB_ICONWARNING;
    switch (RawLayer::NativeCallForm(text, caption)) {
        case RawLayer::Narrow:
        case RawLayer::EmptyText:
            MessageBoxA(owner, text.Bytes(), caption.Bytes(), style);
            break;
        default: {
            RawString wideText(text, RawLayer::Wide), wideCaption(caption, RawLayer::Wide);
            MessageBoxW(owner, wideText.WideUnits(), wideCaption.WideUnits(), style);
        }
    }
}

}  // namespace WinLayer
