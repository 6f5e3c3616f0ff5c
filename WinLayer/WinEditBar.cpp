#include "WinLayer/WinEditBar.h"

#include "RawLayer/RawLanguageTexts.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinMenu.h"

namespace WinLayer {

namespace {

constexpr UINT kAppend = static_cast<UINT>(-1);

// The edit bar's texts by tag, with their defaults.
const RawLayer::RawLocaleRecord* EditBarTexts() {
    static const RawLayer::RawLocaleRecord kTexts[] = {
        {"Cancel", "Cancel edit."},          {"Undo", "Undo text."},
        {"Copy", "Copy to clipboard."},      {"Paste", "Paste from clipboard."},
        {"Delete", "Delete text."},          {"Select", "Select all text."},
        {"InsertTab", "Insert tab code."},   {"IME", "Open IME."},
        {"Register", "Register selection."}, {"", ""},
    };
    return kTexts;
}

}  // namespace

HMENU BuildEditBar(const WinEditBarState& state) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    const RawLayer::RawTextMap texts("EditBar", EditBarTexts());
    auto add = [&](int id, const char* tag, bool enabled) {
        const UINT flags = MF_BYPOSITION | MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED);
        InsertMenuText(menu, kAppend, flags, static_cast<UINT_PTR>(id), texts.Text(tag));
    };
    auto separate = [&] { InsertMenuText(menu, kAppend, MF_BYPOSITION | MF_SEPARATOR, 0, ""); };
    if (state.withCancel) {
        add(kEditBarCancel, "Cancel", true);
        separate();
    }
    add(kEditBarUndo, "Undo", state.canUndo);
    separate();
    add(kEditBarCopy, "Copy", true);
    add(kEditBarPaste, "Paste", true);
    add(kEditBarDelete, "Delete", true);
    add(kEditBarSelectAll, "Select", true);
    add(kEditBarInsertTab, "InsertTab", true);
    separate();
    add(kEditBarIme, "IME", state.hasIme);
    add(kEditBarRegister, "Register", state.hasIme);
    return menu;
}

int TrackEditBar(HWND window, POINT client, HMENU menu) {
    const OwnedMenu owned(menu);
    if (!window || !menu) return 0;
    POINT screen = client;
    ClientToScreen(window, &screen);
    return TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, window, nullptr);
}

}  // namespace WinLayer
