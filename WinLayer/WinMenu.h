// Menus the framework builds: OwnedMenu, the one owner of a popup menu that is not (yet) part of
// another menu (DestroyMenu), and the language popup of the title menu. Texts go in through
// InsertMenuText (WinCalls.h), which picks the call form.
#pragma once

#include <windows.h>

#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawList.h"

namespace WinLayer {

// Language menu identifiers: "(Auto)", then one per language up to the last.
constexpr UINT kLanguageMenuAuto = 4144;
constexpr UINT kLanguageMenuLast = 4173;

// A popup menu destroyed at the end of its scope; Release hands it to a menu that takes it over.
class OwnedMenu {
public:
    explicit OwnedMenu(HMENU menu) : menu_(menu) {}
    ~OwnedMenu() {
        if (menu_) DestroyMenu(menu_);
    }
    OwnedMenu(const OwnedMenu&) = delete;
    OwnedMenu& operator=(const OwnedMenu&) = delete;
    HMENU Get() const { return menu_; }
    // Destroys the menu held and takes menu in its place.
    void Reset(HMENU menu) {
        if (menu_ && menu_ != menu) DestroyMenu(menu_);
        menu_ = menu;
    }
    HMENU Release() {
        HMENU menu = menu_;
        menu_ = nullptr;
        return menu;
    }

private:
    HMENU menu_;
};

// Fills popup with "(Auto)" and one item per language of the store's language map (at most 29),
// the store's current choice checked; languages receives a shared copy of the map it offers.
// False, with nothing added, when there are fewer than two languages.
bool FillLanguageMenu(HMENU popup, const RawLayer::RawLanguageTexts& store, RawLayer::RawParameterList& languages);

}  // namespace WinLayer
