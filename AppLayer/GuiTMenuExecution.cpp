#include "AppLayer/GuiTMenuExecution.h"

#include "AppLayer/FileTimeJournal.h"
#include "AppLayer/GuiMainDialogIds.h"
#include "AppLayer/StartUp.h"
#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawProductName.h"
#include "RawLayer/RawShell.h"
#include "WinLayer/WinCalls.h"
#include "WinLayer/WinFontParameters.h"
#include "WinLayer/WinMenu.h"
#include "WinLayer/WinMessageBox.h"
#include "WinLayer/WinMonitorChoice.h"

using RawLayer::RawLocaleRecord;
using RawLayer::RawString;
using RawLayer::RawTextMap;

namespace AppLayer {
namespace {

const RawString& TableName() {
    static const RawString text("TitleMenu");
    return text;
}

const RawLocaleRecord* TitleMenuTable() {
    static const RawLocaleRecord table[] = {
        {"ViewHelp", "View help."},
        {"MoveToPrimaryScreen", "Move to primary screen."},
        {"SelectLanguage", "Select language."},
        {"OpenGuiProfile", "Open gui profile."},
        {"SelectWindowFont", "Select window font."},
        {"UndoLastChange", "Undo last change."},
        {"LanguageNotSaved", "The language could not be written to the GUI profile.\nThe program keeps its language."},
        {"FontNotSaved", "The window font could not be written to the GUI profile."},
        {"", ""},
    };
    return table;
}

struct Tags {
    RawString help{"ViewHelp"}, move{"MoveToPrimaryScreen"}, language{"SelectLanguage"}, profile{"OpenGuiProfile"},
        font{"SelectWindowFont"}, undo{"UndoLastChange"}, languageNotSaved{"LanguageNotSaved"},
        fontNotSaved{"FontNotSaved"};
};

const Tags& Tag() {
    static const Tags tags;
    return tags;
}

constexpr UINT kAtPosition = MF_BYPOSITION | MF_STRING;
constexpr UINT kAppend = static_cast<UINT>(-1);

bool InsertSeparator(HMENU menu, UINT position) {
    return WinLayer::InsertMenuText(menu, position, MF_BYPOSITION | MF_SEPARATOR, 0, RawString());
}

// A submenu item carries its popup's handle in place of an identifier.
UINT_PTR PopupIdentifier(HMENU popup) { return reinterpret_cast<UINT_PTR>(popup); }

}  // namespace

GuiTMenuExecution::GuiTMenuExecution(WinLayer::WinDialog& dialog, RawLayer::RawProfile& configProfile,
                                     RawLayer::RawProfile& guiProfile)
    : WinTMenuExecution(dialog),
      dialog_(dialog),
      configProfile_(configProfile),
      guiProfile_(guiProfile),
      helpPopup_(CreatePopupMenu()),
      languagePopup_(CreatePopupMenu()) {}

GuiTMenuExecution::~GuiTMenuExecution() {
    // A window that outlives the hook must not keep items whose commands nobody carries out:
    // reverting its window menu destroys the menu copy together with the popups put into it.
    if (built_ && dialog_.Window() && IsWindow(dialog_.Window())) GetSystemMenu(dialog_.Window(), TRUE);
}  // the popups still ours go with their owners, the hook leaves the dialog's list with its base

const RawString& GuiTMenuExecution::VersionText() {
    static const RawString text = [] {
        RawString version("Version ");
        version.Concat(RawLayer::ProductVersion());
        return version;
    }();
    return text;
}

void GuiTMenuExecution::BuildMenu(HMENU&) {}

void GuiTMenuExecution::UpdateMenu(HMENU& systemMenu) {
    if (!systemMenu) return;
    if (!built_) {
        built_ = true;
        help_.SetUp(configProfile_);
        InsertItems(systemMenu);
    }
    const UINT state = NewestJournal(JournalFolderBeside(guiProfile_.FilePath())).IsEmpty() ? MF_GRAYED : MF_ENABLED;
    EnableMenuItem(systemMenu, kMenuUndoLastChange, MF_BYCOMMAND | state);
}

void GuiTMenuExecution::InsertItems(HMENU systemMenu) {
    const RawTextMap texts(TableName(), TitleMenuTable());
    const Tags& tag = Tag();
    using WinLayer::InsertMenuText;
    InsertMenuText(systemMenu, 0, kAtPosition, kMenuVersion, VersionText());
    InsertSeparator(systemMenu, 1);
    InsertHelpItem(systemMenu);
    InsertMenuText(systemMenu, 3, kAtPosition, kMenuMoveToPrimaryScreen, texts.Text(tag.move));
    InsertSeparator(systemMenu, 4);
    InsertLanguageItem(systemMenu);
    InsertMenuText(systemMenu, 6, kAtPosition, kMenuOpenGuiProfile, texts.Text(tag.profile));
    InsertMenuText(systemMenu, 7, kAtPosition, kMenuWindowFont, texts.Text(tag.font));
    InsertMenuText(systemMenu, kMenuUndoPosition, kAtPosition, kMenuUndoLastChange, texts.Text(tag.undo));
    InsertSeparator(systemMenu, 9);
}

// One manual: a command; none: the same command grayed; more: a submenu of the manuals.
bool GuiTMenuExecution::InsertHelpItem(HMENU systemMenu) {
    const RawString text = RawTextMap(TableName(), TitleMenuTable()).Text(Tag().help);
    const int32_t count = help_.Manuals().Count();
    if (count < 2) {
        const UINT grayed = count == 0 ? MF_GRAYED : 0;
        return WinLayer::InsertMenuText(systemMenu, kMenuHelpPosition, kAtPosition | grayed, kMenuHelp, text);
    }
    FillManualPopup();
    if (!WinLayer::InsertMenuText(systemMenu, kMenuHelpPosition, kAtPosition | MF_POPUP,
                                  PopupIdentifier(helpPopup_.Get()), text)) {
        return false;
    }
    helpInMenu_ = helpPopup_.Release();
    return true;
}

// Made anew, then one command per manual, captioned with its file name, at most as many as
// there are identifiers.
void GuiTMenuExecution::FillManualPopup() {
    helpPopup_.Reset(CreatePopupMenu());
    const int32_t count = help_.MenuManualCount();
    for (int32_t index = 0; index < count; ++index) {
        WinLayer::InsertMenuText(helpPopup_.Get(), kAppend, kAtPosition, RawLayer::kManualMenuFirst + index,
                                 RawLayer::FileNameOf(help_.Manual(index)));
    }
}

bool GuiTMenuExecution::InsertLanguageItem(HMENU systemMenu) {
    const RawString text = RawTextMap(TableName(), TitleMenuTable()).Text(Tag().language);
    if (!WinLayer::FillLanguageMenu(languagePopup_.Get(), RawLayer::LanguageTexts(), languages_)) {
        return WinLayer::InsertMenuText(systemMenu, kMenuLanguagePosition, kAtPosition | MF_GRAYED,
                                        WinLayer::kLanguageMenuAuto, text);
    }
    if (!WinLayer::InsertMenuText(systemMenu, kMenuLanguagePosition, kAtPosition | MF_POPUP,
                                  PopupIdentifier(languagePopup_.Get()), text)) {
        return false;
    }
    languagePopup_.Release();
    return true;
}

void GuiTMenuExecution::ExecuteCommand(WPARAM command) {
    const UINT identifier = static_cast<UINT>(command);
    switch (identifier) {
        case kMenuVersion:
            help_.OpenDocument(help_.DefaultDocument());
            return;
        case kMenuHelp:
            help_.OpenDocument(help_.Manual(0));
            return;
        case kMenuMoveToPrimaryScreen:
            MoveToPrimaryScreen();
            return;
        case kMenuOpenGuiProfile:
            OpenGuiProfile();
            return;
        case kMenuWindowFont:
            ChooseWindowFont();
            return;
        case kMenuUndoLastChange:
            PostToDialog(kCommandUndoLastChange);  // the dialog does its long work itself
            return;
        default:
            break;
    }
    if (identifier >= RawLayer::kManualMenuFirst && identifier <= RawLayer::kManualMenuLast) {
        help_.OpenDocument(help_.ManualOfCommand(identifier));
    } else if (identifier >= WinLayer::kLanguageMenuAuto && identifier <= WinLayer::kLanguageMenuLast) {
        ChooseLanguage(static_cast<int32_t>(identifier - WinLayer::kLanguageMenuAuto));
    }
}

void GuiTMenuExecution::MoveToPrimaryScreen() {
    if (dialog_.Window()) WinLayer::MoveToPrimaryWorkArea(dialog_.Window());
}

void GuiTMenuExecution::OpenGuiProfile() {
    RawLayer::RawShell shell(guiProfile_.FilePath());
    shell.Execute(RawString());
}  // the shell object closes the process handle; the editor keeps running

// The font takes effect at the next start; a font that could not be saved never would, so the
// user hears of it.
void GuiTMenuExecution::ChooseWindowFont() {
    static const RawString kSection("WindowFont");
    RawLayer::RawParameterList keys = WinLayer::ChooseFontParameters(&dialog_, dialog_.ResolvedFont());
    if (keys.Count() == 0) return;
    if (!guiProfile_.WriteSection(keys, kSection)) {
        Warn(Tag().fontNotSaved);
        return;
    }
    PostToDialog(kCommandFontChosen);
}

// The restart brings the new language only when the profile holds it: otherwise the new
// instance would come up in the old language, so the program stays and says why.
void GuiTMenuExecution::ChooseLanguage(int32_t position) {
    static const RawString kSection("UserSelection"), kKey("Language");
    RawLayer::RawLanguageTexts& texts = RawLayer::LanguageTexts();
    const RawString previous = texts.LanguageName();
    const RawString name = texts.ChooseLanguage(position);
    if (guiProfile_.SetValue(kSection, kKey, name)) {
        PostToDialog(kCommandRestart);
        return;
    }
    texts.SetLanguageName(previous);
    texts.SelectSection(previous);
    Warn(Tag().languageNotSaved);
}

void GuiTMenuExecution::Warn(const RawString& tag) {
    RawString text = RawTextMap(TableName(), TitleMenuTable()).Text(tag);
    text.Concat(RawString("\r\n"), guiProfile_.FilePath());
    WinLayer::ShowWarning(dialog_.Window(), text, ProductName());
}

void GuiTMenuExecution::PostToDialog(int code) {
    if (dialog_.Window()) WinLayer::PostCommandNotice(dialog_.Window(), 0, code);
}

}  // namespace AppLayer
