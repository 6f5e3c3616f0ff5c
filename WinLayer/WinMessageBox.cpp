#include "WinLayer/WinMessageBox.h"

#include <windows.h>

using RawLayer::RawString;

namespace WinLayer {

void ShowWarning(const RawString& text, const RawString& caption) {
    const UINT style = MB_OK | MB_ICONWARNING;
    switch (RawLayer::NativeCallForm(text, caption)) {
        case RawLayer::Narrow:
        case RawLayer::EmptyText:
            MessageBoxA(nullptr, text.Bytes(), caption.Bytes(), style);
            break;
        default: {
            RawString wideText(text, RawLayer::Wide), wideCaption(caption, RawLayer::Wide);
            MessageBoxW(nullptr, wideText.WideUnits(), wideCaption.WideUnits(), style);
        }
    }
}

}  // namespace WinLayer
