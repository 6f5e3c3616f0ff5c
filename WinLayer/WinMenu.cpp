#include "WinLayer/WinMenu.h"

#include "WinLayer/WinCalls.h"

using RawLayer::RawString;

namespace WinLayer {

namespace {

constexpr UINT kAppend = static_cast<UINT>(-1);

const RawString& AutoItemText() {
    static const RawString text("(Auto)");
    return text;
}

void AppendItem(HMENU popup, UINT identifier, const RawString& text, bool checked) {
    const UINT flags = MF_BYPOSITION | MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED);
    InsertMenuText(popup, kAppend, flags, identifier, text);
}

}  // namespace

bool FillLanguageMenu(HMENU popup, const RawLayer::RawLanguageTexts& store, RawLayer::RawParameterList& languages) {
    languages = store.LanguageMap();
    const RawString current = store.LanguageName();
    if (!popup || languages.Count() < 2) return false;
    AppendItem(popup, kLanguageMenuAuto, AutoItemText(), current.IsEmpty());
    UINT identifier = kLanguageMenuAuto + 1;
    for (const RawLayer::RawParameterUnit& unit : languages) {
        if (identifier > kLanguageMenuLast) break;
        AppendItem(popup, identifier++, unit.name, unit.name.Equals(current));
    }
    return true;
}

}  // namespace WinLayer
