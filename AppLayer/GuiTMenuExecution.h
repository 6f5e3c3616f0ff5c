// GuiTMenuExecution: the program's items at the top of the main dialog's window menu, added the
// first time the menu opens, and their commands. It borrows the dialog and both profiles, which
// must outlive it. It owns its two popup menus until they are put into the window menu, which
// then destroys them with itself; a popup gone that way is never destroyed again.
#pragma once

#include <windows.h>

#include "RawLayer/RawHelp.h"
#include "RawLayer/RawList.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/RawString.h"
#include "WinLayer/WinDialog.h"
#include "WinLayer/WinMenu.h"
#include "WinLayer/WinTMenuExecution.h"

namespace AppLayer {

// Window menu identifiers; the manuals take RawHelp's kManualMenuFirst..Last, the languages
// WinMenu's kLanguageMenuAuto..Last.
constexpr UINT kMenuVersion = 4108;
constexpr UINT kMenuHelp = 4109;
constexpr UINT kMenuMoveToPrimaryScreen = 4110;
constexpr UINT kMenuOpenGuiProfile = 4111;
constexpr UINT kMenuWindowFont = 4112;
constexpr UINT kMenuUndoLastChange = 4143;

// Position of the items in the window menu: the first ten entries.
constexpr UINT kMenuHelpPosition = 2;
constexpr UINT kMenuLanguagePosition = 5;
constexpr UINT kMenuUndoPosition = 8;
constexpr UINT kMenuItemCount = 10;

class GuiTMenuExecution : public WinLayer::WinTMenuExecution {
public:
    // Adds itself to dialog's hooks. configProfile names the manuals; guiProfile receives the
    // language and window font chosen.
    GuiTMenuExecution(WinLayer::WinDialog& dialog, RawLayer::RawProfile& configProfile,
                      RawLayer::RawProfile& guiProfile);
    ~GuiTMenuExecution() override;

    // Nothing: the items are added when the menu first opens.
    void BuildMenu(HMENU& systemMenu) override;
    // Adds the items the first time; each time the undo item is grayed when there is nothing
    // to undo.
    void UpdateMenu(HMENU& systemMenu) override;
    void ExecuteCommand(WPARAM command) override;

    bool Built() const { return built_; }
    const RawLayer::RawHelp& Help() const { return help_; }
    HMENU HelpPopup() const { return helpInMenu_ ? helpInMenu_ : helpPopup_.Get(); }

    // The version line of the menu.
    static const RawLayer::RawString& VersionText();

private:
    void InsertItems(HMENU systemMenu);
    bool InsertHelpItem(HMENU systemMenu);
    bool InsertLanguageItem(HMENU systemMenu);
    void FillManualPopup();
    void MoveToPrimaryScreen();
    void OpenGuiProfile();
    void ChooseWindowFont();
    void ChooseLanguage(int32_t position);
    void Warn(const RawLayer::RawString& tag);
    void PostToDialog(int code);

    WinLayer::WinDialog& dialog_;          // borrowed
    RawLayer::RawProfile& configProfile_;  // borrowed
    RawLayer::RawProfile& guiProfile_;     // borrowed
    RawLayer::RawHelp help_;
    WinLayer::OwnedMenu helpPopup_;  // ours until put into the window menu
    HMENU helpInMenu_ = nullptr;     // the help popup once the window menu owns it
    RawLayer::RawParameterList languages_;
    WinLayer::OwnedMenu languagePopup_;  // ours until put into the window menu
    bool built_ = false;
};

}  // namespace AppLayer
